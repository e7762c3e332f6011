"""What the browser tests share: verdicts, headless Chromium as this machine can run it, and
waiting for the page."""
import base64
import json
import os
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.mouse_button import MouseButton

passes = []
failures = []


class Page:
    """The game on a page in Chromium, played through real DOM input."""

    def __init__(self, driver):
        self.driver = driver

    def box(self):
        return self.driver.execute_script(
            "var r = document.getElementById('screen').getBoundingClientRect();"
            "return [r.left, r.top, r.width, r.height];")

    def move(self, x, y):
        """The mouse to the page position over picture pixel (x, y); beyond the picture for
        x < 0 or x >= 640."""
        left, top, width, height = self.box()
        px = int(left + (x + 0.5) * width / 640)
        py = int(top + (y + 0.5) * height / 480)
        width_limit = self.driver.execute_script("return window.innerWidth")
        actions = ActionBuilder(self.driver)
        actions.pointer_action.move_to_location(max(0, min(width_limit - 1, px)), py)
        actions.perform()

    def click(self, button=MouseButton.LEFT):
        actions = ActionBuilder(self.driver)
        actions.pointer_action.pointer_down(button=button)
        actions.pointer_action.pointer_up(button=button)
        actions.perform()

    def keys(self, *keys):
        ActionChains(self.driver).send_keys(*keys).perform()

    def file(self, path):
        text = self.driver.execute_script(
            "try { var b = Module.FS.readFile(arguments[0]); var s = '';"
            " for (var i = 0; i < b.length; i++) s += String.fromCharCode(b[i]);"
            " return btoa(s); } catch (e) { return null; }", path)
        return base64.b64decode(text) if text is not None else None

    def frames(self, count=3):
        time.sleep(0.026 * count + 0.05)


def check(ok, what):
    print(("pass: " if ok else "FAIL: ") + what, flush=True)
    (passes if ok else failures).append(what)


def finish(name):
    print("%s: %d passed, %d failed" % (name, len(passes), len(failures)))
    sys.exit(1 if failures else 0)


def chromium(*arguments, prefs=None):
    """A fresh headless Chromium with its console kept, and a profile of its own."""
    options = webdriver.ChromeOptions()
    # Without these, Chromium waits on a network that this machine does not have.
    for arg in ["--headless=new", "--no-sandbox", "--disable-gpu",
                "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--no-first-run",
                "--user-data-dir=" + tempfile.mkdtemp(prefix="web-chromium-"), *arguments]:
        options.add_argument(arg)
    options.binary_location = "/usr/bin/chromium"
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    if prefs:
        options.add_experimental_option("prefs", prefs)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def wait_for(driver, script, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.05)
    return None


def canvas_rgb(driver, with_recording=False):
    """The canvas's pixels; with the recording up to the frame it shows, read in the same
    turn of the page's event loop, so that the game cannot move on in between."""
    data = driver.execute_script("""
        // Scaled, the canvas holds each pixel as a k x k square: one of each is read.
        var c = document.getElementById('screen'), k = c.width / 640, h = k >> 1;
        var d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data, s = '';
        for (var y = 0; y < 480; y++)
            for (var x = 0; x < 640; x++) {
                var i = ((y * k + h) * c.width + x * k + h) * 4;
                s += String.fromCharCode(d[i], d[i + 1], d[i + 2]);
            }
        return arguments[0] ? [btoa(s), sidescrollerPage.recording()] : btoa(s);""",
        with_recording)
    if with_recording:
        return base64.b64decode(data[0]), data[1]
    return base64.b64decode(data)


def read_bmp(path):
    with open(path, "rb") as f:
        b = f.read()
    at, w, h = int.from_bytes(b[10:14], "little"), int.from_bytes(b[18:22], "little"), \
        int.from_bytes(b[22:26], "little", signed=True)
    row = (w * 3 + 3) // 4 * 4
    rgb = bytearray()
    for y in range(abs(h)):
        line = b[at + (abs(h) - 1 - y if h > 0 else y) * row:][:w * 3]
        for x in range(w):
            rgb += bytes((line[3 * x + 2], line[3 * x + 1], line[3 * x]))
    return bytes(rgb)


def differing(a, b):
    return sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])


def new_game_and_eight_shots(page, settle=0):
    """From the menu: the new-game button, then eight shots across the field (each followed
    by settle frames)."""
    page.move(300, 100)  # hot spot (325, 125): the new-game button
    page.frames()
    page.click()
    page.frames(10)
    for i in range(8):
        page.move(40 + 70 * i, 30 + 50 * i)
        page.frames(2)
        page.click()
        if settle:
            page.frames(settle)


def replayed_end(recording, replay, reference, folder):
    """The headless replay of a recording: its last state, its last picture and the high.dat
    it leaves (None when it writes none)."""
    os.makedirs(folder, exist_ok=True)
    for name in ("data", "font.des"):
        if not os.path.lexists(os.path.join(folder, name)):
            os.symlink(os.path.realpath(os.path.join(reference, name)),
                       os.path.join(folder, name))
    with open(os.path.join(folder, "game.txt"), "w") as f:
        f.write(recording + "dump\nscreenshot end.bmp\n")
    table = os.path.join(folder, "high.dat")
    if os.path.exists(table):
        os.remove(table)  # an earlier run's, which the replay would start from
    dumped = subprocess.run([replay, "game.txt"], cwd=folder, capture_output=True, text=True,
                            check=True).stdout
    saved = None
    if os.path.exists(table):
        with open(table, "rb") as f:
            saved = f.read()
    return json.loads(dumped.splitlines()[-1]), read_bmp(os.path.join(folder, "end.bmp")), saved


def check_watched_end(driver, end, browser):
    """A recording watched to its end stands where its headless replay ends (replayed_end):
    the same picture, the same score shown, and the same table in the game's memory."""
    state, picture, table = end
    count = differing(canvas_rgb(driver), picture)
    check(count == 0, "%s: the last picture watched is the replay's last: %d of 307200 pixels "
          "differ" % (browser, count))
    shown = driver.execute_script("return document.getElementById('watch-score').textContent")
    check(shown == str(state["score"]), "%s: the score shown, %s, is the replay's, %d"
          % (browser, shown, state["score"]))
    kept = driver.execute_script(
        "try { return Array.prototype.slice.call(Module.FS.readFile('/game/high.dat')); }"
        " catch (e) { return null; }")
    check((bytes(kept) if kept is not None else None) == table,
          "%s: the watched game's table is the replay's, byte for byte (%s bytes)"
          % (browser, len(table) if table is not None else "no"))
