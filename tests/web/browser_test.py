#!/usr/bin/python3
"""The web game in headless Chromium, driven through real DOM input by Selenium.

browser_test.py URL BAD_URL REPLAY REFERENCE OUT

URL serves build-web/site, BAD_URL holds broken copies of it: missing/ without data/pelko.bmp,
html/ with an HTML page in place of data/baum.bmp, nowasm/ without sidescroller.wasm; REPLAY is sidescroller-replay, REFERENCE a folder of the
headless replay's screenshots (logo.bmp, name.bmp, menu.bmp); OUT keeps this run's pictures,
the browser's recording and high.dat.
"""
import base64
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.mouse_button import MouseButton
from selenium.webdriver.common.keys import Keys

from webtest import (Page, canvas_rgb, check, chromium, differing, finish,
                     new_game_and_eight_shots, read_bmp, wait_for)

url, bad_url, replay, reference, out = sys.argv[1:6]


def browser(downloads):
    return chromium("--window-size=1400,1200",
                    prefs={"download.default_directory": downloads,
                           "download.prompt_for_download": False})


def console_errors(driver):
    return [e["message"] for e in driver.get_log("browser") if e["level"] == "SEVERE"]


def write_bmp(path, rgb):
    header = b"BM" + (54 + len(rgb)).to_bytes(4, "little") + bytes(4) + (54).to_bytes(4, "little")
    info = (40).to_bytes(4, "little") + (640).to_bytes(4, "little") + (-480).to_bytes(
        4, "little", signed=True) + (1).to_bytes(2, "little") + (24).to_bytes(2, "little") + bytes(24)
    with open(path, "wb") as f:
        f.write(header + info + b"".join(
            bytes((rgb[i + 2], rgb[i + 1], rgb[i])) for i in range(0, len(rgb), 3)))


def compare(driver, name, most=0):
    """The canvas against the headless replay's screenshot of the same screen."""
    shot = canvas_rgb(driver)
    write_bmp(os.path.join(out, name + "-browser.bmp"), shot)
    count = differing(shot, read_bmp(os.path.join(reference, name + ".bmp")))
    check(count <= most, "%s screen: %d of 307200 pixels differ from the headless replay's"
          % (name, count))
    return count


def stored_table(driver, folder=False):
    """The record IndexedDB keeps high.dat in, as (mode, bytes); with folder, a folder's
    record put in its place first."""
    record = driver.execute_async_script("""
        var folder = arguments[0], done = arguments[1], r = indexedDB.open('/save', 21);
        r.onsuccess = function () {
          var t = r.result.transaction(['FILE_DATA'], 'readwrite');
          var s = t.objectStore('FILE_DATA'), key = '/save/high.dat';
          var get = folder ? s.put({timestamp: new Date(), mode: 16877}, key) : s.get(key);
          t.oncomplete = function () {
            r.result.close();
            var v = get.result, b = v && v.contents, text = '';
            for (var i = 0; b && i < b.length; i++) text += String.fromCharCode(b[i]);
            done(v && [v.mode, btoa(text)]);
          };
        };""", folder)
    return (record[0], base64.b64decode(record[1])) if record else None


def replay_state(recording):
    """The game state at the end of a recording, from the headless replay."""
    folder = tempfile.mkdtemp(prefix="web-look-")
    for name in ("data", "font.des"):
        os.symlink(os.path.abspath(os.path.join(reference, name)), os.path.join(folder, name))
    with open(os.path.join(folder, "play.txt"), "w") as f:
        f.write(recording + "dump\n")
    result = subprocess.run([replay, "play.txt"], cwd=folder, capture_output=True, text=True)
    shutil.rmtree(folder)
    lines = [l for l in result.stdout.splitlines() if l.startswith("{")]
    return json.loads(lines[-1]) if lines else None


def replayed_screen(recording, high_dat, name):
    """The headless replay's screen at the end of a recording, from a folder holding
    high_dat (or no high.dat), and its table."""
    folder = os.path.join(out, name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for link in ("data", "font.des"):
        os.symlink(os.path.abspath(os.path.join(reference, link)), os.path.join(folder, link))
    if high_dat is not None:
        with open(os.path.join(folder, "high.dat"), "wb") as f:
            f.write(high_dat)
    with open(os.path.join(folder, "play.txt"), "w") as f:
        f.write(recording + "screenshot screen.bmp\ndump\n")
    dumped = subprocess.run([replay, "play.txt"], cwd=folder, capture_output=True, text=True)
    table = json.loads(dumped.stdout.splitlines()[-1])["highScores"]
    return read_bmp(os.path.join(folder, "screen.bmp")), table


def aim(state, ahead):
    """Where the mouse goes to hit a bird that many frames on, or None."""
    for size, birds in ((100, state["bigBirds"]), (50, state["smallBirds"])):
        for b in birds:
            x = b["x"] + size // 2 + ahead * b["dx"] - state["scrollX"]
            y = b["y"] + size * 6 // 10 + ahead * b["dy"]
            if b["active"] and not b["falling"] and 40 <= x <= 600 and 40 <= y <= 440:
                return x - 25, y - 25
    return None


os.makedirs(out, exist_ok=True)
downloads = tempfile.mkdtemp(prefix="web-downloads-")
driver = browser(downloads)
page = Page(driver)
try:
    # The logo is on the canvas before any input; loading took this long.
    driver.get(url)
    shown = wait_for(driver, "return document.getElementById('notice').hidden")
    first = driver.execute_script(
        "var m = performance.getEntriesByName('first-picture'); return m.length && m[0].startTime")
    check(bool(shown), "the logo is drawn %.0f ms after navigation, before any input" % first)
    page.frames()
    compare(driver, "logo")
    sound = driver.execute_script("return sidescrollerPage.soundState()")
    check(sound["context"] == "suspended" and not sound["music"],
          "no sound before the first key: %s" % sound)
    page.keys("a")
    page.frames()
    sound = driver.execute_script("return sidescrollerPage.soundState()")
    check(sound == {"context": "running", "music": True, "decoded": [
        "data/load.wav", "data/shot.wav", "data/tavok.mp3"]},
          "the first key starts the sound, the music playing: %s" % sound)
    # A typo corrected with Backspace; Control+= zooms the page and types nothing.
    page.keys("wex", Keys.BACKSPACE, "b")
    ActionChains(driver).key_down(Keys.CONTROL).send_keys("=").key_up(Keys.CONTROL).perform()
    page.frames()
    compare(driver, "name")
    page.move(20, 440)
    page.keys(Keys.RETURN)
    page.frames()
    compare(driver, "menu")
    driver.find_element("id", "full").click()
    full = wait_for(driver, "return !!document.fullscreenElement", 3)
    ActionChains(driver).key_down(Keys.ALT).send_keys(Keys.RETURN).key_up(Keys.ALT).perform()
    windowed = wait_for(driver, "return !document.fullscreenElement", 3)
    check(bool(full) and bool(windowed), "the button goes full screen, Alt+Enter back")
    page.move(20, 440)
    page.frames()
    scroll_y = driver.execute_script("return window.scrollY + document.scrollingElement.scrollTop")
    check(scroll_y == 0, "the game's keys did not scroll the page")

    # A game: shots across the screen, a reload, scrolling by arrow key and by the edges,
    # then shots aimed where the replay of the recording so far says a bird will be. The
    # browser has no room for its scores meanwhile.
    origin = driver.execute_script("return location.origin")
    driver.execute_cdp_cmd("Storage.overrideQuotaForOrigin", {"origin": origin, "quotaSize": 1})
    new_game_and_eight_shots(page)
    page.click(MouseButton.RIGHT)
    page.keys(Keys.ARROW_RIGHT * 5)
    page.frames()
    before = replay_state(driver.execute_script("return sidescrollerPage.recording()"))
    page.move(700, 200)  # beyond the picture's right edge: held there, it scrolls
    page.frames(20)
    so_far = driver.execute_script("return sidescrollerPage.recording()")
    state = replay_state(so_far)
    held = [l for l in so_far.splitlines() if l.startswith("move ")][-1]
    check(held == "move 639 200" and state["scrollX"] > before["scrollX"],
          "a pointer beyond the picture's right edge is held at it (%s), and the landscape "
          "scrolls: scrollX %d to %d" % (held, before["scrollX"], state["scrollX"]))
    page.move(-60, 200)
    page.frames(10)
    score = 0
    for _ in range(25):
        state = replay_state(page.driver.execute_script("return sidescrollerPage.recording()"))
        score = state["score"] if state else 0
        if score > 0:
            break
        if state and state["shotsLeft"] == 0:
            page.click(MouseButton.RIGHT)
        spot = aim(state, 12) if state else None
        if spot:
            page.move(*spot)
            page.frames(2)
            page.click()
        page.frames(4)
    check(score > 0, "the game scored %d" % score)
    # Frame for frame: the frame on the canvas is the replay's frame at that moment.
    playing, so_far = canvas_rgb(driver, True)
    write_bmp(os.path.join(out, "game-browser.bmp"), playing)
    replay_shot, _ = replayed_screen(so_far, None, "replayed-game")
    # Only the score popups' text may differ (a popup is about 35 x 14 pixels).
    count = differing(playing, replay_shot)
    check(count <= 1000, "a frame of the game: %d of 307200 pixels differ from the replay's "
          "frame at the same moment (popup text only)" % count)
    page.keys(Keys.ESCAPE)
    page.frames(4)
    page.move(300, 350)  # hot spot (325, 375): the high-score button
    page.frames()
    page.click()
    page.frames(4)
    shot, so_far = canvas_rgb(driver, True)
    write_bmp(os.path.join(out, "highscores-browser.bmp"), shot)
    saved = page.file("/save/high.dat")
    check(saved is not None, "the game saved high.dat in the browser's storage")
    line = wait_for(driver, "var s = document.getElementById('storage');"
                            "return !s.hidden && s.textContent")
    lines = [e["message"] for e in driver.get_log("browser") if "scores" in e["message"]]
    check(bool(line) and "no room" in line and len(lines) == 1 and "keeps no scores" in lines[0],
          "a save the browser has no room for is told on the page (%r) and in one console "
          "line: %s" % (line, lines))
    # In a small window the picture leaves the controls room.
    driver.set_window_size(800, 600)
    page.frames()
    overlaps = driver.execute_script("""
        var p = document.getElementById('screen').getBoundingClientRect();
        return ['storage', 'record', 'full'].filter(function (id) {
          var r = document.getElementById(id).getBoundingClientRect();
          return r.width && r.height && r.left < p.right && p.left < r.right &&
                 r.top < p.bottom && p.top < r.bottom; });""")
    size = driver.execute_script("return [innerWidth, innerHeight]")
    check(overlaps == [], "at %d x %d no control lies on the picture: %s" % (*size, overlaps))
    driver.set_window_size(1400, 1200)

    # The browser's recording, saved from the page's button, replayed headlessly.
    driver.find_element("id", "record").click()
    recording = os.path.join(downloads, "play.txt")
    end = time.time() + 10
    while not os.path.exists(recording) and time.time() < end:
        time.sleep(0.1)
    check(os.path.exists(recording), "the page saved its recording")
    shutil.copy(recording, os.path.join(out, "play.txt"))
    with open(os.path.join(out, "high.dat"), "wb") as f:
        f.write(saved or b"")
    with open(recording) as f:
        _, table = replayed_screen(f.read(), None, "replayed")
    with open(os.path.join(out, "replayed", "high.dat"), "rb") as f:
        replayed = f.read()
    check({"score": score, "name": "WEB"} in table,
          "the replayed table holds WEB with %d: %s" % (score, table[:2]))
    check(replayed == saved, "the replay of the browser's recording saved the same high.dat "
          "(%d bytes)" % len(replayed))
    # The same frame: only the high-score rows' text, rendered by stb_truetype in the
    # browser and by FreeType natively, may differ.
    replay_shot, _ = replayed_screen(so_far, None, "replayed-high-scores")
    text_pixels = differing(shot, replay_shot)
    check(text_pixels < 307200 * 2 // 100,
          "high-score screen, the same frame: %d of 307200 pixels differ (text only)"
          % text_pixels)
    # With room again, a second game's save reaches IndexedDB, and the page says no more.
    driver.execute_cdp_cmd("Storage.overrideQuotaForOrigin", {"origin": origin})
    page.keys(Keys.SPACE)
    page.move(300, 100)  # hot spot (325, 125): the new-game button
    page.frames()
    page.click()
    page.frames(4)
    page.keys(Keys.ESCAPE)
    kept = wait_for(driver, "return document.getElementById('storage').hidden")
    lines = [e["message"] for e in driver.get_log("browser") if "scores" in e["message"]]
    check(bool(kept) and len(lines) == 1 and "keeps the scores again" in lines[0],
          "the next save is kept, the page's line gone, one console line: %s" % lines)
    saved = page.file("/save/high.dat")
    errors = console_errors(driver)
    check(not errors, "no errors on the console: %s" % errors)

    # After a reload the score is still there, read back from IndexedDB.
    driver.refresh()
    wait_for(driver, "return document.getElementById('notice').hidden")
    page.frames()
    check(page.file("/save/high.dat") == saved,
          "after a reload high.dat is the second game's table")
    page.keys("a")
    page.frames()
    page.keys(Keys.RETURN)
    page.frames()
    page.move(300, 350)
    page.frames()
    page.click()
    page.frames(4)
    again, visit = canvas_rgb(driver, True)
    with_score, _ = replayed_screen(visit, saved, "reloaded")
    without, _ = replayed_screen(visit, None, "reloaded-without-scores")
    near, far = differing(again, with_score), differing(again, without)
    check(near < far, "after a reload the high-score screen shows the score (%d pixels from "
          "the replay with the saved table, %d from one without)" % (near, far))
    page.keys(Keys.SPACE)
    page.frames(4)
    page.move(300, 170)  # hot spot (325, 195): the quit button
    page.frames()
    page.click()
    # Quitting shows the credits first; a key moves each page on.
    page.frames(10)
    page.keys("x")
    page.frames(10)
    page.keys("x")
    ended = wait_for(driver, "return !document.getElementById('again').hidden && "
                             "document.getElementById('message').textContent")
    check(bool(ended), "quitting ends on a page offering to play again: %r" % ended)
    driver.find_element("id", "record-end").click()
    second = os.path.join(downloads, "play (1).txt")
    end = time.time() + 10
    while not os.path.exists(second) and time.time() < end:
        time.sleep(0.1)
    text = open(second).read() if os.path.exists(second) else None
    check(text == driver.execute_script("return sidescrollerPage.recording()"),
          "the play-again page saves the visit's recording")
    errors = console_errors(driver)
    check(not errors, "no errors on the console after the reload: %s" % errors)

    # A missing picture, then an HTML page in place of one, are named on the page.
    for copy, broken, words in (
            ("missing/", "data/pelko.bmp", ["data/pelko.bmp", "missing", "404"]),
            ("html/", "data/baum.bmp", ["data/baum.bmp", "damaged", "web page"]),
            ("nowasm/", "sidescroller.wasm", ["sidescroller.wasm is missing"])):
        driver.get(bad_url + copy)
        text = wait_for(driver, "var n = document.getElementById('notice');"
                                "return !n.hidden && /cannot/i.test(n.textContent) && "
                                "n.textContent")
        check(bool(text) and all(w in text for w in words),
              "%s: the page says %r" % (broken, text))
        driver.get_log("browser")
    # A stored high.dat that is a folder is replaced by the table the game has.
    driver.get(url)
    wait_for(driver, "return document.getElementById('notice').hidden")
    stored_table(driver, folder=True)
    driver.get_log("browser")
    driver.refresh()
    wait_for(driver, "return document.getElementById('notice').hidden")
    end, record = time.time() + 5, None
    while time.time() < end and (not record or record[0] & 0o170000 != 0o100000):
        record = stored_table(driver)
    # The replacing save is the visit's first: no other line comes with it.
    lines = [e["message"] for e in driver.get_log("browser") if "Sidescroller:" in e["message"]]
    is_file = bool(record) and record[0] & 0o170000 == 0o100000
    check(is_file and record[1] == page.file("/save/high.dat") and len(lines) == 1 and
          "a folder, not a table file" in lines[0],
          "a folder stored as high.dat is replaced by the game's table, with one console line: "
          "%s" % lines)
    # A browser that refuses storage: the game plays, and says so in one console line.
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {
        "source": "Object.defineProperty(window, 'indexedDB', {value: undefined});"})
    driver.get(url)
    shown = wait_for(driver, "return document.getElementById('notice').hidden")
    lines = [e["message"] for e in driver.get_log("browser") if "keeps no scores" in e["message"]]
    line = driver.execute_script("var s = document.getElementById('storage');"
                                 "return !s.hidden && s.textContent")
    check(bool(shown) and len(lines) == 1 and bool(line),
          "without storage the game starts, saying so on the page (%r) and in one console "
          "line: %s" % (line, lines))
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {
        "source": "delete window.WebAssembly;"})
    driver.get(url)
    text = wait_for(driver, "return document.getElementById('message').textContent")
    check("no WebAssembly" in text, "without WebAssembly the page says %r" % text)

finally:
    driver.quit()
    shutil.rmtree(downloads, ignore_errors=True)

finish("web")
