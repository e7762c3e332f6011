#!/usr/bin/python3
"""Figures of the web game in headless Chromium: navigation to the first drawn logo (fresh
profile each time), and during ten seconds of a game at 640 x 480 the CPU of all the
browser's processes and the game's awake time per frame.

web_figures.py URL RUNS
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.mouse_button import MouseButton
from selenium.webdriver.common.keys import Keys

url, runs = sys.argv[1], int(sys.argv[2])
ticks = os.sysconf("SC_CLK_TCK")


def browser():
    options = webdriver.ChromeOptions()
    for arg in ["--headless=new", "--no-sandbox", "--disable-gpu",
                "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--no-first-run",
                "--user-data-dir=" + tempfile.mkdtemp(prefix="web-bench-")]:
        options.add_argument(arg)
    options.binary_location = "/usr/bin/chromium"
    service = Service("/usr/bin/chromedriver")
    driver = webdriver.Chrome(service=service, options=options)
    # The page at exactly 640 x 480, the picture as it is.
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": 640, "height": 480, "deviceScaleFactor": 1, "mobile": False})
    return driver, service.process.pid


def descendants(pid):
    found, todo = [], [pid]
    while todo:
        p = todo.pop()
        try:
            with open("/proc/%d/task/%d/children" % (p, p)) as f:
                kids = [int(k) for k in f.read().split()]
        except OSError:
            kids = []
        found += kids
        todo += kids
    return found


def cpu_ticks(pids):
    total = 0
    for p in pids:
        try:
            with open("/proc/%d/stat" % p) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except OSError:
            pass
    return total


def wait_for(driver, script, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.02)
    return None


def move(driver, x, y):
    actions = ActionBuilder(driver)
    actions.pointer_action.move_to_location(max(0, min(639, x)), max(0, min(479, y)))
    actions.perform()


def click(driver, button=MouseButton.LEFT):
    actions = ActionBuilder(driver)
    actions.pointer_action.pointer_down(button=button)
    actions.pointer_action.pointer_up(button=button)
    actions.perform()


firsts, cpus, awake = [], [], []
for _ in range(runs):
    driver, chromedriver = browser()
    try:
        driver.get(url)
        wait_for(driver, "return document.getElementById('notice').hidden")
        firsts.append(driver.execute_script(
            "return performance.getEntriesByName('first-picture')[0].startTime"))
        ActionChains(driver).send_keys("a").perform()
        time.sleep(0.3)
        ActionChains(driver).send_keys(Keys.RETURN).perform()
        time.sleep(0.3)
        move(driver, 300, 100)
        time.sleep(0.3)
        click(driver)
        time.sleep(0.5)
        pids = descendants(chromedriver)
        before = cpu_ticks(pids), time.time(), driver.execute_script(
            "return [Module._WebAwakeMs(), Module._WebFrames()]")
        # The game as cpu_use.sh plays it: eight aimed shots, a reload, 1.5 s at each edge.
        for _ in range(2):
            for x, y in ((100, 150), (420, 120), (250, 300), (560, 240)):
                move(driver, x, y)
                time.sleep(0.3)
                click(driver)
                time.sleep(0.3)
            click(driver, MouseButton.RIGHT)
            move(driver, 639, 240)
            time.sleep(1.5)
            move(driver, 320, 200)
            time.sleep(0.3)
            move(driver, 0, 240)
            time.sleep(1.5)
        after = cpu_ticks(pids), time.time(), driver.execute_script(
            "return [Module._WebAwakeMs(), Module._WebFrames()]")
        seconds = after[1] - before[1]
        cpus.append(100.0 * (after[0] - before[0]) / ticks / seconds)
        awake.append((after[2][0] - before[2][0]) / max(1, after[2][1] - before[2][1]))
    finally:
        driver.quit()

print("first drawn logo after navigation: median %.0f ms (%s)"
      % (statistics.median(firsts), ", ".join("%.0f" % f for f in firsts)))
print("game at 640 x 480, all browser processes: median %.1f %% of one core (%s)"
      % (statistics.median(cpus), ", ".join("%.1f" % c for c in cpus)))
print("the game awake per frame (logic, drawing, putImageData, ASYNCIFY's unwinding and "
      "rewinding): median %.2f ms" % statistics.median(awake))
