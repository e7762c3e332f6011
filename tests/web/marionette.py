"""Firefox driven through Marionette, its own remote protocol, which geckodriver (not packaged
for Debian 12) would only pass on: JSON commands, each message prefixed by its length."""
import json
import os
import shutil
import socket
import subprocess
import tempfile
import time

PREFS = {
    "browser.shell.checkDefaultBrowser": False,
    "browser.aboutwelcome.enabled": False,
    "datareporting.policy.dataSubmissionEnabled": False,
    "toolkit.telemetry.reportingpolicy.firstRun": False,
    "app.update.disabledForTesting": True,
    # The test's keys are a player's first gesture: the sound may start with them.
    "media.autoplay.default": 0,
}


class Firefox:
    def __init__(self, binary="firefox-esr"):
        self.profile = tempfile.mkdtemp(prefix="web-firefox-")
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            port = s.getsockname()[1]
        with open(os.path.join(self.profile, "user.js"), "w") as f:
            for name, value in {**PREFS, "marionette.port": port}.items():
                f.write("user_pref(%s, %s);\n" % (json.dumps(name), json.dumps(value)))
        self.process = subprocess.Popen(
            [binary, "--headless", "--marionette", "--no-remote", "--profile", self.profile,
             "--width", "1280", "--height", "1024", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        end = time.time() + 60
        while True:
            try:
                self.socket = socket.create_connection(("127.0.0.1", port), timeout=60)
                break
            except OSError:
                if time.time() > end or self.process.poll() is not None:
                    self.quit()
                    raise RuntimeError("Firefox did not open Marionette on port %d" % port)
                time.sleep(0.2)
        self.buffer = b""
        self.next_id = 0
        self.receive()  # the greeting
        self.command("WebDriver:NewSession", {"capabilities": {}})

    def receive(self):
        while b":" not in self.buffer:
            self.buffer += self.socket.recv(65536)
        length, rest = self.buffer.split(b":", 1)
        while len(rest) < int(length):
            rest += self.socket.recv(65536)
        self.buffer = rest[int(length):]
        return json.loads(rest[:int(length)])

    def command(self, name, parameters=None):
        self.next_id += 1
        data = json.dumps([0, self.next_id, name, parameters or {}]).encode()
        self.socket.sendall(b"%d:%s" % (len(data), data))
        while True:
            kind, at, error, result = self.receive()
            if kind == 1 and at == self.next_id:
                break
        if error:
            raise RuntimeError("%s: %s" % (name, error.get("message", error)))
        return result.get("value") if isinstance(result, dict) else result

    # What the browser tests call on a Selenium driver.
    def get(self, url):
        self.command("WebDriver:Navigate", {"url": url})

    def refresh(self):
        self.command("WebDriver:Refresh")

    def execute_script(self, script, *args):
        return self.command("WebDriver:ExecuteScript", {"script": script, "args": list(args)})

    def actions(self, *sources):
        self.command("WebDriver:PerformActions", {"actions": list(sources)})

    def quit(self):
        try:
            self.command("Marionette:Quit")
        except Exception:
            pass
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
        shutil.rmtree(self.profile, ignore_errors=True)
