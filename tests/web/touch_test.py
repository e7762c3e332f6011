#!/usr/bin/python3
"""The web game on a phone: touch play, the page held upright, offline play, an update of the
site, the manifest and its icons, in headless Chromium with touch emulation.

touch_test.py SITE REPLAY REFERENCE OUT

SITE is build-web/site (copied and served here from a sub-path, by a server this script
stops to cut the network), REPLAY is sidescroller-replay, REFERENCE a folder holding data/
and font.des for it, OUT keeps high.dat and the recording of the game played by touch.
"""
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

from selenium.webdriver.common.keys import Keys

from webtest import check, chromium, finish, wait_for

site, replay, reference, out = sys.argv[1:5]
root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PLAYING, MAIN_MENU, HIGH_SCORES, NAME_ENTRY = 1, 2, 4, 8


def browser():
    return chromium("--autoplay-policy=no-user-gesture-required")


class Server:
    """python3 -m http.server over a folder, on one port for the whole run (the origin, and
    with it the service worker and the scores, depends on it)."""

    def __init__(self, folder):
        s = socket.socket()
        s.bind(("127.0.0.1", 0))
        self.port = s.getsockname()[1]
        s.close()
        self.folder = folder
        self.process = None

    def start(self):
        self.process = subprocess.Popen(
            [sys.executable, "-m", "http.server", "--bind", "127.0.0.1", "--directory",
             self.folder, str(self.port)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            try:
                socket.create_connection(("127.0.0.1", self.port), 0.2).close()
                return
            except OSError:
                time.sleep(0.05)

    def stop(self):
        if self.process:
            self.process.terminate()
            self.process.wait()
            self.process = None


def frames(count=3):
    """Waits for the game to run count frames: their time at full speed, and on a busy machine
    until the page's frame counter shows them (two seconds at most, for a page that stopped)."""
    began = time.time()
    ran = "return typeof Module === 'object' && Module._WebFrames ? Module._WebFrames() : -1"
    first = driver.execute_script(ran)
    time.sleep(0.026 * count + 0.05)
    while first >= 0 and time.time() - began < 2 and driver.execute_script(ran) < first + count:
        time.sleep(0.01)


def state_of(driver):
    """The game state now, from the headless replay of the page's recording."""
    recording = driver.execute_script("return sidescrollerPage.recording()")
    folder = tempfile.mkdtemp(prefix="touch-look-")
    for name in ("data", "font.des"):
        os.symlink(os.path.abspath(os.path.join(reference, name)), os.path.join(folder, name))
    high = driver.execute_script("try { return Array.from(Module.FS.readFile('/save/high.dat'))"
                                 " } catch (e) { return null; }")
    with open(os.path.join(folder, "play.txt"), "w") as f:
        f.write(recording + "dump\n")
    result = subprocess.run([replay, "play.txt"], cwd=folder, capture_output=True, text=True)
    shutil.rmtree(folder)
    lines = [l for l in result.stdout.splitlines() if l.startswith("{")]
    state = json.loads(lines[-1]) if lines else {}
    state["high"] = bytes(high) if high is not None else None
    return state


class Fingers:
    def __init__(self, driver):
        self.driver = driver

    def at(self, x, y):
        """The page position over picture pixel (x, y); beyond the picture for x < 0 or
        x >= 640."""
        left, top, width, height = self.driver.execute_script(
            "var r = document.getElementById('screen').getBoundingClientRect();"
            "return [r.left, r.top, r.width, r.height];")
        return left + (x + 0.5) * width / 640, top + (y + 0.5) * height / 480

    def send(self, kind, points):
        self.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {
            "type": kind, "touchPoints": [{"x": x, "y": y, "id": i} for i, (x, y) in
                                          enumerate(points)]})

    def down(self, x, y):
        self.send("touchStart", [self.at(x, y)])

    def up(self):
        self.send("touchEnd", [])

    def tap(self, x, y):
        self.down(x, y)
        frames(2)
        self.up()

    def two_finger_tap(self):
        first, second = self.at(200, 300), self.at(400, 300)
        self.send("touchStart", [first])
        self.send("touchStart", [first, second])
        frames(2)
        self.up()


def aim(state, ahead):
    """The picture pixel to put a finger on to hit a bird that many frames on, or None."""
    for size, birds in ((100, state["bigBirds"]), (50, state["smallBirds"])):
        for b in birds:
            x = b["x"] + size // 2 + ahead * b["dx"] - state["scrollX"]
            y = b["y"] + size * 6 // 10 + ahead * b["dy"]
            if b["active"] and not b["falling"] and 40 <= x <= 600 and 40 <= y <= 440:
                return x, y
    return None


def clear_of_plane_and_para(state):
    """A picture pixel that neither the plane nor the para covers, nor will within a few
    frames, or None."""
    for x, y in ((40, 40), (600, 40), (320, 40), (40, 440), (600, 440), (320, 440)):
        wx = x + state["scrollX"]
        if all(not o["active"] or not (o["x"] - 60 <= wx <= o["x"] + w + 60 and
                                       o["y"] - 60 <= y <= o["y"] + h + 60)
               for o, w, h in ((state["plane"], 220, 60), (state["para"], 150, 180))):
            return x, y
    return None


def empty_at_birds(driver, fingers):
    """Shoots the magazine empty at birds (which the shot tests before the plane and the
    para, whose hits cost points); the shots left at the end. With no bird in reach for a
    while (a busy machine's slow looks let them fly off), the rest go where the plane and
    the para are not."""
    for tries in range(80):
        state = state_of(driver)
        if state["shotsLeft"] == 0:
            break
        spot = aim(state, 10) or (clear_of_plane_and_para(state) if tries >= 20 else None)
        if spot:
            fingers.tap(*spot)
        frames(4)
    return state["shotsLeft"]


def background(driver):
    """Another tab in front for two seconds: what the game's page saw meanwhile."""
    driver.execute_script("""
        var log = window.visibilityLog = [];
        function note(what) {
          log.push([what, Module._WebFrames(), sidescrollerPage.soundState().context]);
        }
        note('before');
        document.addEventListener('visibilitychange', function () {
          note(document.visibilityState);
          if (document.hidden) setTimeout(function () { note('later'); }, 500);
        });""")
    game = driver.current_window_handle
    driver.switch_to.new_window("tab")
    time.sleep(2.5)
    driver.close()
    driver.switch_to.window(game)
    frames(10)
    return driver.execute_script("return window.visibilityLog.concat([['after',"
                                 " Module._WebFrames(), sidescrollerPage.soundState().context]])")


def landscape(driver, wide=True):
    width, height = (844, 390) if wide else (390, 844)
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": 2, "mobile": True,
        "screenOrientation": {"type": "landscapePrimary" if wide else "portraitPrimary",
                              "angle": 90 if wide else 0}})


def start(driver, fingers, name):
    """From the logo, by touch, to the menu: a tap, the name on the device's keyboard."""
    check(bool(wait_for(driver, "return document.getElementById('notice').hidden", 20)),
          "%s: the logo is drawn" % name)
    frames()
    fingers.tap(320, 240)
    frames(4)
    typing = driver.execute_script(
        "return document.activeElement && document.activeElement.getAttribute('aria-label')")
    check(typing == "Your name", "%s: a tap on the logo brings up the keyboard (%r has the "
          "focus)" % (name, typing))
    driver.switch_to.active_element.send_keys(name)
    frames()
    driver.switch_to.active_element.send_keys(Keys.RETURN)
    frames(4)
    state = state_of(driver)
    check(state.get("state") == MAIN_MENU and state.get("name") == name.upper(),
          "%s: the typed name %r, then the menu (state %s)" % (name, state.get("name"),
                                                              state.get("state")))


def new_game(driver, fingers):
    fingers.tap(325, 125)  # the new-game button
    frames(6)
    return state_of(driver)


os.makedirs(out, exist_ok=True)
www = tempfile.mkdtemp(prefix="touch-www-")
copy = os.path.join(www, "games", "sidescroller")
shutil.copytree(site, copy)
server = Server(www)
server.start()
url = "http://127.0.0.1:%d/games/sidescroller/" % server.port
driver = browser()
fingers = Fingers(driver)
try:
    landscape(driver)
    driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled",
                           {"enabled": True, "maxTouchPoints": 5})
    driver.get(url)

    # The manifest names the game, and its icons are PNGs of their sizes.
    manifest = driver.execute_cdp_cmd("Page.getAppManifest", {})
    data = json.loads(manifest.get("data") or "{}")
    check(not manifest.get("errors") and data.get("name") == "Sidescroller" and
          data.get("display") == "fullscreen",
          "the manifest is read without errors: %s" % manifest.get("errors"))
    icons = driver.execute_async_script("""
        var done = arguments[arguments.length - 1];
        var manifest = document.querySelector('link[rel=manifest]').href;
        fetch(manifest).then(r => r.json()).then(m => Promise.all(m.icons.map(icon =>
            new Promise(function (resolve) {
                var image = new Image();
                image.onload = () => resolve([icon.sizes, image.naturalWidth + 'x' +
                                              image.naturalHeight, icon.type]);
                image.onerror = () => resolve([icon.sizes, 'missing', icon.type]);
                image.src = new URL(icon.src, manifest).href;
            })))).then(done, e => done(String(e)));""")
    check(isinstance(icons, list) and len(icons) >= 2 and
          all(i[0] == i[1] and i[2] == "image/png" for i in icons) and
          {"192x192", "512x512"} <= {i[0] for i in icons},
          "the manifest's icons exist at their sizes: %s" % icons)

    # A game by touch, played to the end of its clock.
    start(driver, fingers, "tap")
    box = driver.execute_script(
        "var r = document.getElementById('screen').getBoundingClientRect();"
        "return [r.width, r.height, innerWidth, innerHeight]")
    check(box[1] == 390 and abs(box[0] - 520) <= 1,
          "landscape: the picture fills the height at 4:3 (%s)" % box)
    state = new_game(driver, fingers)
    check(state.get("state") == PLAYING, "a tap on the new-game button starts a game")
    began = time.time()

    # A finger held beside the picture scrolls as the mouse at the edge does; lifted, the
    # view stops.
    fingers.down(660, 240)
    frames(20)
    fingers.up()
    right = state_of(driver)["scrollX"]
    frames(10)
    stopped = state_of(driver)["scrollX"]
    fingers.down(-20, 240)
    frames(10)
    fingers.up()
    frames(2)
    left = state_of(driver)["scrollX"]
    check(right >= 40 and stopped == right and left < right,
          "a finger held right of the picture scrolls to %d, lifted stays at %d, held left "
          "scrolls back to %d" % (right, stopped, left))

    # Taps shoot where the finger is: aimed taps until a bird falls, the magazine emptied,
    # a two-finger tap reloads, and the control beside the picture reloads too.
    score = 0
    for _ in range(30):
        state = state_of(driver)
        score = state["score"]
        if score > 0:
            break
        if state["shotsLeft"] == 0:
            fingers.two_finger_tap()
            frames(2)
        spot = aim(state, 10)
        if spot:
            fingers.tap(*spot)
        frames(4)
    check(score > 0, "taps aimed at the birds score %d" % score)
    emptied = empty_at_birds(driver, fingers)
    fingers.two_finger_tap()
    frames(4)
    reloaded = state_of(driver)["shotsLeft"]
    again = empty_at_birds(driver, fingers)
    control = driver.execute_script(
        "var r = document.getElementById('reload').getBoundingClientRect();"
        "return [r.left + r.width / 2, r.top + r.height / 2]")
    fingers.send("touchStart", [control])
    frames(2)
    fingers.up()
    frames(4)
    by_control = state_of(driver)
    check(emptied == 0 and reloaded == 8 and again == 0 and by_control["shotsLeft"] == 8,
          "a two-finger tap reloads the emptied magazine (%d, then %d), and so does the "
          "reload control (%d, then %d)" % (emptied, reloaded, again, by_control["shotsLeft"]))
    score = by_control["score"]
    reload_box = driver.execute_script(
        "var r = document.getElementById('reload').getBoundingClientRect(),"
        " c = document.getElementById('screen').getBoundingClientRect();"
        "return [r.right <= c.left || r.left >= c.right, r.width,"
        " r.top >= 0 && r.bottom <= innerHeight && r.left >= 0]")
    check(reload_box[0] and reload_box[1] > 0 and reload_box[2],
          "the reload control stands beside the picture, wholly on the screen")

    still = driver.execute_script("return [visualViewport.scale, scrollX, scrollY,"
                                  " String(getSelection())]")
    check(still == [1, 0, 0, ""], "the touches neither zoomed, scrolled nor selected the "
          "page: %s" % still)

    # Upright, the page asks to be turned and the game waits: no frame, no second counted.
    before = state_of(driver)
    landscape(driver, False)
    frames(2)
    asked = driver.execute_script("return !document.getElementById('turn').hidden")
    held_from = state_of(driver)
    time.sleep(4)
    held_to = state_of(driver)
    landscape(driver)
    frames(10)
    after = state_of(driver)
    check(asked and held_to["frames"] == held_from["frames"] and
          held_to["secondsLeft"] == held_from["secondsLeft"] and
          after["frames"] > held_to["frames"] and
          after["secondsLeft"] >= before["secondsLeft"] - 2,
          "upright the page asks to turn and the game waits (frames %d and %d, seconds %d "
          "and %d), then goes on" % (held_from["frames"], held_to["frames"],
                                     held_from["secondsLeft"], held_to["secondsLeft"]))

    # In the background the game is held and silent; back in front, it goes on with sound.
    log = background(driver)
    seen = {entry[0]: entry for entry in log}
    check(all(k in seen for k in ("before", "hidden", "later", "visible")) and
          seen["before"][2] == "running" and seen["later"][2] == "suspended" and
          seen["visible"][1] - seen["hidden"][1] <= 2 and seen["after"][1] > seen["visible"][1]
          and seen["after"][2] == "running",
          "in the background no frame runs and the sound stops, both come back: %s" % log)

    # The clock ends the game; the score is saved, and a tap leaves the high scores.
    ended = None
    while time.time() < began + 135:
        state = state_of(driver)
        if state["state"] == HIGH_SCORES:
            ended = state
            break
        time.sleep(2)
    score = ended["score"] if ended else None
    check(ended is not None and {"score": score, "name": "TAP"} in ended["highScores"],
          "the game ended by its clock and the table holds TAP with %s" % score)
    saved = ended["high"] if ended else None
    # The file keeps each byte inverted.
    check(saved is not None and bytes(255 - c for c in b"TAP") in saved,
          "high.dat is saved in the browser's storage with TAP")
    with open(os.path.join(out, "high.dat"), "wb") as f:
        f.write(saved or b"")
    with open(os.path.join(out, "play.txt"), "w") as f:
        f.write(driver.execute_script("return sidescrollerPage.recording()"))
    fingers.tap(320, 240)
    frames(4)
    check(state_of(driver)["state"] == MAIN_MENU, "a tap leaves the high-score screen")
    check(bool(driver.execute_async_script(
        "var done = arguments[arguments.length - 1];"
        "navigator.serviceWorker.ready.then(() => setTimeout(() =>"
        " done(!!navigator.serviceWorker.controller), 100));")),
        "the service worker keeps the site and controls the page")
    installable = driver.execute_cdp_cmd("Page.getInstallabilityErrors", {})
    check(installable.get("installabilityErrors") == [],
          "Chromium finds the site installable: %s" % installable)

    # No network: the server stopped, the page reloaded from what the worker kept.
    server.stop()
    driver.refresh()
    offline = driver.execute_async_script(
        "var done = arguments[arguments.length - 1];"
        "fetch('not-kept.txt').then(() => done('answered'), () => done('no network'));")
    check(offline == "no network", "the server is gone: %s" % offline)
    driver.get_log("browser")  # the refused request's line
    start(driver, fingers, "off")
    state = new_game(driver, fingers)
    for x in (200, 300, 400):
        fingers.tap(x, 200)
        frames(3)
    state = state_of(driver)
    check(state["state"] == PLAYING and state["shotsLeft"] == 5,
          "offline: a game is played by touch (%d shots left)" % state["shotsLeft"])
    check(saved is not None and state["high"] == saved,
          "offline: the saved scores are still there")
    control = driver.execute_script(
        "var r = document.getElementById('endgame').getBoundingClientRect();"
        "return [r.left + r.width / 2, r.top + r.height / 2]")
    fingers.send("touchStart", [control])
    fingers.up()
    frames(4)
    check(state_of(driver)["state"] == MAIN_MENU, "the end-game control ends a game early")

    # A new build of the site replaces the kept one on the next visits; the scores stay.
    old = driver.execute_async_script(
        "var done = arguments[arguments.length - 1]; caches.keys().then(done);")
    with open(os.path.join(copy, "index.html")) as f:
        page = f.read()
    with open(os.path.join(copy, "index.html"), "w") as f:
        f.write(page.replace("</body>", "<!-- the second build -->\n</body>"))
    subprocess.run(["bash", os.path.join(root, "platform/web/make_offline.sh"), root, copy],
                   check=True)
    server.start()
    driver.refresh()
    wait_for(driver, "return document.getElementById('notice').hidden", 20)
    renewed = None
    end = time.time() + 20
    while time.time() < end:
        renewed = driver.execute_async_script(
            "var done = arguments[arguments.length - 1]; caches.keys().then(done);")
        if len(renewed) == 1 and renewed != old:
            break
        time.sleep(0.2)
    driver.refresh()
    wait_for(driver, "return document.getElementById('notice').hidden", 20)
    newest = driver.execute_script(
        "return document.body.innerHTML.indexOf('the second build') >= 0")
    kept = state_of(driver)["high"]
    check(len(old) == 1 and len(renewed) == 1 and renewed != old and newest,
          "a new build replaces the kept one (%s, then %s) and is the one played" %
          ([n.split()[-1] for n in old], [n.split()[-1] for n in renewed]))
    check(saved is not None and kept == saved, "the saved scores survive the update")
    errors = [e["message"] for e in driver.get_log("browser") if e["level"] == "SEVERE"]
    check(not errors, "no errors on the console: %s" % errors)
finally:
    driver.quit()
    server.stop()
    shutil.rmtree(www, ignore_errors=True)

finish("touch")
