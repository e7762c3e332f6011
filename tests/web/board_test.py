"""The leaderboard's page in Chromium: a name typed as markup ("<B>X</B>") shows as text and
makes no element. The real server runs in a folder of its own, takes a short game ended by
Escape, and the page is read as a browser renders it.
    board_test.py SERVER"""
import json
import shutil
import subprocess
import sys
import tempfile
import urllib.request

from selenium.webdriver.common.by import By

from webtest import check, chromium, finish

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


def main():
    binary = sys.argv[1]
    work = tempfile.mkdtemp(prefix="board-web-")
    version = subprocess.run([binary, "--version"], capture_output=True, text=True,
                             check=True).stdout.split()[-1]
    server = subprocess.Popen([binary, "--listen", "127.0.0.1:0"], cwd=work,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    driver = None
    try:
        # Its first line names the address it took.
        base = server.stdout.readline().split("listening on ")[-1].strip().rstrip("/")
        status, token = call(base + "/api/v1/tokens",
                             json.dumps({"board": "open", "version": version}).encode(),
                             {"Content-Type": "application/json"})
        check(status == 201, "a token (%d %s)" % (status, token))
        # The game's span is under the 5 s that any token allows, so nothing waits here.
        status, answer = call(base + "/api/v1/games", recording(token["seed"]).encode(),
                              {"Authorization": "Bearer " + token["token"],
                               "Content-Type": "text/plain"})
        games = answer.get("games", [])
        check(status == 200 and len(games) == 1 and games[0]["name"] == NAME,
              "the game is entered under its typed name (%d %s)" % (status, answer))

        driver = chromium()
        driver.get(base + "/")
        text = driver.find_element(By.TAG_NAME, "body").text
        check(NAME in text, "the board page shows the name as text")
        check(not driver.find_elements(By.TAG_NAME, "b"), "the name made no element")
    finally:
        if driver:
            driver.quit()
        server.terminate()
        server.wait(10)
        shutil.rmtree(work, ignore_errors=True)
    finish("board_test")


main()
