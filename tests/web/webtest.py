"""What the browser tests share: verdicts, headless Chromium as this machine can run it, and
waiting for the page."""
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
