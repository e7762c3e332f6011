"""What the browser tests share: verdicts, headless Chromium as this machine can run it, and
waiting for the page."""
import base64
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

passes = []
failures = []


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
