#!/usr/bin/python3
"""The web game in headless Firefox, through Marionette with real DOM input: the logo, name and
menu screens against the headless replay's, a game with shots and a reload, Escape, high.dat
as the headless replay of Firefox's own recording saves it, and the score after a reload; then
a recording watched at 4x to where its headless replay ends (as watch_test.py in Chromium).

firefox_test.py URL REPLAY REFERENCE OUT WATCHED
(as browser_test.py; OUT keeps the pictures; WATCHED is the recording's address)
"""
import base64
import os
import shutil
import subprocess
import sys
import time
import urllib.request

from marionette import Firefox
from webtest import (canvas_rgb, check, check_watched_end, differing, finish,
                     new_game_and_eight_shots, read_bmp, replayed_end, wait_for)

url, replay, reference, out, watched = sys.argv[1:6]
ENTER, ESCAPE = "\ue007", "\ue00c"


class Page:
    def __init__(self, driver):
        self.driver = driver
        self.at = (0, 0)

    def frames(self, count=3):
        """Until the game has run count frames (two seconds at most)."""
        ran = "return Module._WebFrames()"
        first, end = self.driver.execute_script(ran), time.time() + 2
        while self.driver.execute_script(ran) < first + count and time.time() < end:
            time.sleep(0.01)

    def move(self, x, y):
        """The mouse over picture pixel (x, y)."""
        left, top, width, height = self.driver.execute_script(
            "var r = document.getElementById('screen').getBoundingClientRect();"
            "return [r.left, r.top, r.width, r.height];")
        self.at = (int(left + (x + 0.5) * width / 640), int(top + (y + 0.5) * height / 480))
        self.mouse({"type": "pointerMove", "x": self.at[0], "y": self.at[1], "origin": "viewport"})

    def click(self, button=0):
        self.mouse({"type": "pointerMove", "x": self.at[0], "y": self.at[1], "origin": "viewport"},
                   {"type": "pointerDown", "button": button}, {"type": "pointerUp", "button": button})

    def mouse(self, *steps):
        self.driver.actions({"type": "pointer", "id": "mouse",
                             "parameters": {"pointerType": "mouse"}, "actions": list(steps)})

    def press(self, selector):
        """A click in the middle of a control beside the picture."""
        left, top, width, height = self.driver.execute_script(
            "var r = document.querySelector(arguments[0]).getBoundingClientRect();"
            "return [r.left, r.top, r.width, r.height];", selector)
        self.at = (int(left + width / 2), int(top + height / 2))
        self.click()

    def keys(self, text):
        steps = []
        for key in text:
            steps += [{"type": "keyDown", "value": key}, {"type": "keyUp", "value": key}]
        self.driver.actions({"type": "key", "id": "keyboard", "actions": steps})

    def saved(self):
        text = self.driver.execute_script(
            "try { var b = Module.FS.readFile('/save/high.dat'), s = '';"
            " for (var i = 0; i < b.length; i++) s += String.fromCharCode(b[i]);"
            " return btoa(s); } catch (e) { return null; }")
        return base64.b64decode(text) if text is not None else None


def compare(page, name):
    count = differing(canvas_rgb(page.driver), read_bmp(os.path.join(reference, name + ".bmp")))
    check(count == 0, "Firefox, %s screen: %d of 307200 pixels differ from the headless "
          "replay's" % (name, count))


def replayed_high_dat(recording):
    folder = os.path.join(out, "replayed")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for link in ("data", "font.des"):
        os.symlink(os.path.abspath(os.path.join(reference, link)), os.path.join(folder, link))
    with open(os.path.join(folder, "play.txt"), "w") as f:
        f.write(recording)
    subprocess.run([replay, "play.txt"], cwd=folder, capture_output=True, check=True)
    with open(os.path.join(folder, "high.dat"), "rb") as f:
        return f.read()


os.makedirs(out, exist_ok=True)
driver = Firefox()
page = Page(driver)
try:
    driver.get(url)
    shown = wait_for(driver, "return document.getElementById('notice').hidden", 20)
    check(bool(shown), "Firefox draws the logo before any input")
    page.frames()
    compare(page, "logo")
    page.keys("a")
    page.frames()
    page.keys("web")
    page.frames()
    compare(page, "name")
    page.move(20, 440)
    page.keys(ENTER)
    page.frames()
    compare(page, "menu")
    # This machine has no sound device, where Chromium has a stand-in for one: Firefox's sound
    # never starts, and the game plays on silently, as it must.
    sound = driver.execute_script("return sidescrollerPage.soundState()")
    check(sound["decoded"] == ["data/load.wav", "data/shot.wav", "data/tavok.mp3"],
          "Firefox decoded the effects and the music: %s" % sound)

    # A game: shots across the field, a reload, Escape; the table saved as the game ends.
    new_game_and_eight_shots(page, settle=2)
    page.click(2)
    page.frames(4)
    page.keys(ESCAPE)
    page.frames(6)
    saved = page.saved()
    recording = driver.execute_script("return sidescrollerPage.recording()")
    with open(os.path.join(out, "play.txt"), "w") as f:
        f.write(recording)
    check(saved is not None and replayed_high_dat(recording) == saved,
          "Firefox's recording replays headlessly to the same high.dat (%s bytes)"
          % (len(saved) if saved else "no"))
    driver.refresh()
    wait_for(driver, "return document.getElementById('notice').hidden", 20)
    check(page.saved() == saved, "after a reload Firefox still holds that high.dat")
    notice = driver.execute_script("var n = document.getElementById('notice');"
                                   "return n.hidden ? '' : n.textContent")
    check(not notice, "no problem shown on the page: %r" % notice)

    # The recording watch_test.py watches in Chromium, watched here to its end at 4x.
    end = replayed_end(urllib.request.urlopen(watched).read().decode(), replay, reference,
                       os.path.join(out, "watched"))
    driver.get(url + "?watch=" + watched)
    started = wait_for(driver, "return document.getElementById('notice').hidden && "
                               "sidescrollerWatch.state().length > 0", 20)
    check(bool(started), "Firefox watches the recording")
    page.press("#watch [data-speed='4']")
    over = wait_for(driver, "return sidescrollerWatch.state().over", 30)
    check(bool(over) and driver.execute_script("return sidescrollerWatch.state().speed") == 4,
          "Firefox watched it at 4x to the end")
    check_watched_end(driver, end, "Firefox")
finally:
    driver.quit()

finish("firefox")
