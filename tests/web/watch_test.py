#!/usr/bin/python3
"""Watching a recording in headless Chromium: index.html?watch=URL plays it to the end at 4x
and ends where the headless replay of it ends, a bird shot and falling; the visitor's stored
table stays as it was; a recording verified by another version is named and not played; in a
1280 x 900 window the picture fills the window's 4:3 area.

watch_test.py SITE_URL RECORDINGS_URL REPLAY REFERENCE OUT

RECORDINGS_URL serves game.txt (a short game that scores) and other.txt (the same, named as
verified by another version); REFERENCE holds the links data and font.des.
"""
import base64
import struct
import sys
import time
import urllib.request
import zlib

from webtest import check, check_watched_end, chromium, finish, replayed_end, wait_for

site, recordings, replay, reference, out = sys.argv[1:6]

# Where the headless replay of the same recording ends: a game under way that has scored, its
# popup gone (the browser's text differs at the letters' edges, docs/web.md#text).
end = replayed_end(urllib.request.urlopen(recordings + "game.txt").read().decode(), replay,
                   reference, out)
check(end[0]["state"] == 1 and end[0]["score"] > 0 and
      not any(p["active"] for p in end[0]["popups"]),
      "the replayed game is under way with a score of %d and no text" % end[0]["score"])

# A table of the visitor's own, stored before the visit.
MINE = list(range(1, 41))
driver = chromium("--window-size=1280,900", "--autoplay-policy=user-gesture-required")
driver.get(site + "LICENSE.txt")
# The page itself 1280 x 900, as in a window of a 1280-pixel-wide screen.
outer = driver.get_window_size()
inner = driver.execute_script("return [innerWidth, innerHeight]")
driver.set_window_size(outer["width"] + 1280 - inner[0], outer["height"] + 900 - inner[1])
driver.execute_async_script("""
    var mine = arguments[0], done = arguments[1], r = indexedDB.open('/save', 21);
    r.onupgradeneeded = function () { r.result.createObjectStore('FILE_DATA'); };
    r.onsuccess = function () {
      var t = r.result.transaction(['FILE_DATA'], 'readwrite');
      t.objectStore('FILE_DATA').put({timestamp: new Date(), mode: 33206,
                                      contents: new Uint8Array(mine)}, '/save/high.dat');
      t.oncomplete = function () { r.result.close(); done(); };
    };""", MINE)

driver.get(site + "?watch=" + recordings + "game.txt")
started = wait_for(driver, "return document.getElementById('notice').hidden && "
                           "sidescrollerWatch.state().length > 0", 60)
check(bool(started), "the recording is watched")
# Paused, the recording's clock stands; then on at 4x.
driver.find_element("id", "watch-play").click()
paused = driver.execute_script("return sidescrollerWatch.state().at")
time.sleep(0.3)
check(driver.execute_script("return sidescrollerWatch.state().at") == paused,
      "paused at %.0f ms, the recording's clock stands" % paused)
driver.find_element("css selector", "#watch [data-speed='4']").click()
driver.find_element("id", "watch-play").click()
over = wait_for(driver, "return sidescrollerWatch.state().over", 60)
check(bool(over), "watched at 4x to the end")

check_watched_end(driver, end, "Chromium")
stored = driver.execute_async_script("""
    var done = arguments[0], r = indexedDB.open('/save');
    r.onsuccess = function () {
      var g = r.result.transaction(['FILE_DATA']).objectStore('FILE_DATA').get('/save/high.dat');
      g.onsuccess = function () { done(Array.prototype.slice.call(g.result.contents)); };
    };""")
check(stored == MINE, "the visitor's stored table is untouched")
sound = driver.execute_script("return sidescrollerPage.soundState().context")
check(sound == "running", "a click on the controls started the sound: %s" % sound)

# The picture fills the window at 4:3, beside the controls, as the browser shows it.
box = driver.execute_script(
    "var r = document.getElementById('screen').getBoundingClientRect(),"
    " b = document.getElementById('bar').getBoundingClientRect();"
    "return [r.left, r.top, r.width, r.height, innerWidth, innerHeight, b.top];")
left, top, width, height, window_width, window_height, bar_top = box
# A quarter of the page as the browser composites it, decoded here (PNG's filters, 8-bit RGB
# or RGBA): enough to see where the picture's pixels reach.
clip = {"x": 0, "y": 0, "width": window_width, "height": window_height, "scale": 0.25}
png = base64.b64decode(driver.execute_cdp_cmd("Page.captureScreenshot", {"clip": clip})["data"])
w, h = struct.unpack(">II", png[16:24])
bpp = 4 if png[25] == 6 else 3
data = b"".join(png[at + 8:at + 8 + struct.unpack(">I", png[at:at + 4])[0]]
                for at in range(8, len(png)) if png[at + 4:at + 8] == b"IDAT")
raw, rows, stride = zlib.decompress(data), [], w * bpp
previous = bytearray(stride)
for y in range(h):
    kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for i in range(stride):
        a = line[i - bpp] if i >= bpp else 0
        b, c = previous[i], previous[i - bpp] if i >= bpp else 0
        p = a + b - c
        pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
        line[i] = (line[i] + [0, a, b, (a + b) // 2,
                              a if pa <= pb and pa <= pc else b if pb <= pc else c][kind]) & 255
    rows.append(line)
    previous = line
lit = [(4 * x, 4 * y) for y in range(min(h, int(bar_top) // 4)) for x in range(w)
       if any(rows[y][bpp * x:bpp * x + 3])]
xs, ys = [p[0] for p in lit], [p[1] for p in lit]
check(abs(width * 3 - height * 4) <= 4 and height >= window_height - 60 and
      min(xs) <= left + 4 and max(xs) >= left + width - 8 and min(ys) <= top + 4,
      "in a %d x %d window the picture is %d x %d, shown from (%d, %d) to (%d, %d)"
      % (window_width, window_height, width, height, min(xs), min(ys), max(xs), max(ys)))

# Another version's recording is named, not played.
driver.get(site + "?watch=" + recordings + "other.txt")
said = wait_for(driver, "var n = document.getElementById('notice');"
                        "return !n.hidden && /0\\.9\\.0/.test(n.textContent) && n.textContent")
check(bool(said) and not driver.execute_script("return typeof Module === 'object' && "
                                               "Module.calledRun === true"),
      "another version's recording is named, not played: %r" % said)
driver.quit()
finish("watch_test")
