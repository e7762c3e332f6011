"""The leaderboard with the web game, in browsers against the real server, which runs in a
folder of its own and serves the built site under /play/:
- the board's page: a name typed as markup ("<B>X</B>") shows as text and makes no element;
- in Chromium, a game played for the board through real DOM input (the player agrees to
  play in public, types a name, ends the game with Escape): its ranks shown beside the
  picture once the page has asked again for the verification (the server answers every
  hand-in 202), the entry on the board page with a link that plays its recording;
- in Firefox, a game from the same site on another origin, which the server allows by CORS;
- with the server stopped, the game starts at once, plays, and the page says why the score
  stays in the browser.
    board_test.py SERVER SITE"""
import functools
import http.server
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import urllib.request

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from marionette import Firefox
from webtest import Page, check, chromium, finish, wait_for

NAME = "<B>X</B>"


def recording(seed):
    """A game named by key codes, started from the menu and ended by Escape at once."""
    lines = ["# made by tests/web/board_test.py", "seed %d" % seed, "start 1000",
             "at 1005", "key 65"]  # the first key ends the logo
    at = 1010
    for ch in NAME:
        lines += ["at %d" % at, "key %d" % ord(ch)]
        at += 20
    lines += ["at %d" % at, "key 13", "at 1300", "move 185 65", "at 1400", "click left"]
    for at in range(1420, 1700, 20):
        lines.append("at %d" % at)
    lines.append("key 27")
    for at in range(1700, 1900, 20):
        lines.append("at %d" % at)
    return "\n".join(lines) + "\n"


def call(url, body=None, headers=None):
    request = urllib.request.Request(url, data=body, headers=headers or {})
    try:
        with urllib.request.urlopen(request, timeout=20) as answer:
            return answer.status, json.loads(answer.read())
    except urllib.error.HTTPError as e:
        return e.code, json.loads(e.read() or b"{}")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def static_site(site, server):
    """The built site served from another origin, with a leaderboard.json naming server."""
    folder = tempfile.mkdtemp(prefix="board-site-")
    for name in set(os.listdir(site)) - {"leaderboard.json"}:
        os.symlink(os.path.join(site, name), os.path.join(folder, name))
    with open(os.path.join(folder, "leaderboard.json"), "w") as f:
        json.dump({"server": server}, f)
    handler = functools.partial(QuietHandler, directory=folder)
    httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=httpd.serve_forever, daemon=True).start()
    return httpd, folder


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def online_line(driver, pattern, seconds=15):
    """The line beside the picture and its link, once it matches pattern."""
    return wait_for(driver, "var l = document.getElementById('online');"
                    "return !l.hidden && new RegExp(%s).test(l.textContent) &&"
                    " [l.textContent, (l.querySelector('a') || {}).href || ''];"
                    % json.dumps(pattern), seconds)


def waited(driver):
    """How long the page waited for the board after the player's choice, in ms."""
    return driver.execute_script(
        "function at(n) { return performance.getEntriesByName(n)[0].startTime; }"
        "return at('board-decided') - at('board-chosen');")


def play_chromium(driver, url, name):
    """The page from url: the player agrees to play for the board, types name, starts a
    game, shoots twice and ends it with Escape. How long it waited for the board."""
    page = Page(driver)
    driver.get(url)
    ask = wait_for(driver, "return !document.getElementById('ask').hidden", 20)
    check(bool(ask), "the page asks once whether to play in public on the board")
    driver.find_element(By.ID, "ask-board").click()
    wait_for(driver, "return document.getElementById('notice').hidden", 20)
    page.frames()
    page.keys("a")
    page.frames()
    page.keys(name, Keys.RETURN)
    page.frames(4)
    page.move(300, 100)  # hot spot (325, 125): the new-game button
    page.frames()
    page.click()
    page.frames(10)
    for x in (100, 400):
        page.move(x, 200)
        page.frames(2)
        page.click()
    page.frames(4)
    page.keys(Keys.ESCAPE)
    page.frames(6)
    return waited(driver)


def play_firefox(driver, url, name):
    """As play_chromium, through Marionette."""
    driver.get(url)
    check(bool(wait_for(driver, "return !document.getElementById('ask').hidden", 20)),
          "Firefox: the page asks whether to play for the board")

    def mouse(x, y, click=True):
        steps = [{"type": "pointerMove", "x": int(x), "y": int(y), "origin": "viewport"}]
        if click:
            steps += [{"type": "pointerDown", "button": 0}, {"type": "pointerUp", "button": 0}]
        driver.actions({"type": "pointer", "id": "mouse",
                        "parameters": {"pointerType": "mouse"}, "actions": steps})

    def frames(count=3):
        """Until the game has run count frames (two seconds at most)."""
        ran = "return window.Module && Module._WebFrames ? Module._WebFrames() : 0"
        first, end = driver.execute_script(ran), time.time() + 2
        while driver.execute_script(ran) < first + count and time.time() < end:
            time.sleep(0.01)

    def keys(text):
        steps = []
        for key in text:
            steps += [{"type": "keyDown", "value": key}, {"type": "keyUp", "value": key}]
        driver.actions({"type": "key", "id": "keyboard", "actions": steps})
        frames()

    def at(element, x=None, y=None):
        box = driver.execute_script(
            "var r = document.getElementById(arguments[0]).getBoundingClientRect();"
            "return [r.left, r.top, r.width, r.height];", element)
        if x is None:
            return box[0] + box[2] / 2, box[1] + box[3] / 2
        return box[0] + (x + 0.5) * box[2] / 640, box[1] + (y + 0.5) * box[3] / 480

    mouse(*at("ask-board"))
    wait_for(driver, "return document.getElementById('notice').hidden", 20)
    keys("a")
    keys(name + "\ue007")
    mouse(*at("screen", 300, 100), click=False)
    frames()
    mouse(*at("screen", 300, 100))
    frames(10)
    mouse(*at("screen", 200, 200))
    frames(4)
    keys("\ue00c")


def main():
    binary, site = sys.argv[1:3]
    work = tempfile.mkdtemp(prefix="board-web-")
    version = subprocess.run([binary, "--version"], capture_output=True, text=True,
                             check=True).stdout.split()[-1]
    page_version = re.search(r'data-version="([^"]*)"',
                             open(os.path.join(site, "index.html")).read()).group(1)
    check(page_version == version, "the page carries the server's version %s (%s)"
          % (version, page_version))
    # The server's address is chosen first, so that the site on another origin can name it
    # and the server allow that origin.
    base = "http://127.0.0.1:%d" % free_port()
    static, static_folder = static_site(site, base + "/")
    other = "http://127.0.0.1:%d" % static.server_address[1]
    # Every hand-in is answered 202 at once, so the pages ask again until it is verified.
    server = subprocess.Popen([binary, "--listen", base[len("http://"):], "--site", site,
                               "--allow-origin", other, "--answer-wait", "0"], cwd=work,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    driver = firefox = None
    try:
        server.stdout.readline()
        status, token = call(base + "/api/v1/tokens",
                             json.dumps({"board": "open", "version": version}).encode(),
                             {"Content-Type": "application/json"})
        check(status == 201, "a token (%d %s)" % (status, token))
        # The game's span is under the 5 s that any token allows, so nothing waits here.
        status, answer = call(base + "/api/v1/games", recording(token["seed"]).encode(),
                              {"Authorization": "Bearer " + token["token"],
                               "Content-Type": "text/plain"})
        for _ in range(100):
            if status != 202:
                break
            time.sleep(0.05)
            status, answer = call(base + answer["location"])
        games = answer.get("games", [])
        check(status == 200 and len(games) == 1 and games[0]["name"] == NAME,
              "the game is entered under its typed name (%d %s)" % (status, answer))

        driver = chromium("--window-size=1280,900")
        driver.get(base + "/")
        text = driver.find_element(By.TAG_NAME, "body").text
        check(NAME in text, "the board page shows the name as text")
        check(not driver.find_elements(By.TAG_NAME, "b"), "the name made no element")

        # A game for the board from the site the server serves.
        play_chromium(driver, base + "/play/", "web")
        shown = online_line(driver, r"^Rank \d+ of \d+ today, \d+ of \d+ this week")
        check(bool(shown) and re.search(r"/games/\d+$", shown[1]),
              "the game's ranks are shown beside the picture, with a link to its entry: %s"
              % (shown,))
        if shown:
            check(driver.execute_script("return !document.getElementById('daily').hidden"),
                  "beside the picture a link starts the daily hunt")
            driver.get(shown[1])
            check("WEB" in driver.find_element(By.TAG_NAME, "body").text,
                  "the entry's page names the player WEB")
            watch = [a.get_attribute("href") for a in driver.find_elements(By.TAG_NAME, "a")
                     if a.text == "watch it"]
            wanted = base + "/play/index.html?watch=" + urllib.parse.quote(
                base + "/api/v1/games/%s/recording" % shown[1].rsplit("/", 1)[1], safe="")
            check(watch == [wanted], "its page links to the site playing its recording: %s"
                  % watch)
            driver.get(base + "/")
            check(driver.find_elements(By.LINK_TEXT, "Play today's daily hunt"),
                  "the board's page links to the daily hunt")

        # Firefox, from the site on another origin.
        firefox = Firefox()
        play_firefox(firefox, other + "/index.html", "fox")
        shown = online_line(firefox, r"^Rank \d+ of \d+ today", 20)
        check(bool(shown), "Firefox, across origins: the game's ranks are shown: %s"
              % (shown or firefox.execute_script(
                  "return document.getElementById('online').textContent"),))
        firefox.quit()
        firefox = None

        # The server stopped: the game starts at once all the same (from the other origin,
        # where the player has not chosen yet).
        server.terminate()
        server.wait(10)
        wait = play_chromium(driver, other + "/index.html", "off")
        check(wait < 1000, "without the server the game waited %.0f ms for it" % wait)
        said = online_line(driver, "^The score stays in this browser: the board cannot be "
                           "reached", 3)
        saved = Page(driver).file("/save/high.dat")
        check(bool(said) and saved is not None,
              "the game played and saved its table, and the page says why the score stays "
              "in the browser: %s" % (said,))
    finally:
        if driver:
            driver.quit()
        if firefox:
            firefox.quit()
        server.terminate()
        server.wait(10)
        static.shutdown()
        shutil.rmtree(static_folder, ignore_errors=True)
        shutil.rmtree(work, ignore_errors=True)
    finish("board_test")


main()
