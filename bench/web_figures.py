#!/usr/bin/python3
"""Figures of the web game in headless Chromium: navigation to the first drawn logo (fresh
profile each time), and during ten seconds of a game at 640 x 480 the CPU of all the
browser's processes and the game's awake time per frame; and the same CPU for ten seconds
of a page that shows frames with no game (bench/web_floor.html), what any game's frames cost.

With BEFORE_URL, another build of the site (the page as it was), games of the two alternate,
each in a fresh browser, in a page of 1280 x 900, where the picture is scaled.

web_figures.py URL RUNS [FLOOR_URL] [BEFORE_URL]
"""
import os
import statistics
import sys
import time

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.mouse_button import MouseButton
from selenium.webdriver.common.keys import Keys

# Headless Chromium as the browser tests start it.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from webtest import chromium  # noqa: E402

url, runs = sys.argv[1], int(sys.argv[2])
floor_url = sys.argv[3] if len(sys.argv) > 3 and sys.argv[3] else None
before_url = sys.argv[4] if len(sys.argv) > 4 else None
ticks = os.sysconf("SC_CLK_TCK")


# The game's awake time, its frames, the time in putImageData and the waits that yielded.
COUNTERS = ("return [Module._WebAwakeMs(), Module._WebFrames(), sidescrollerPage.putMs(),"
            " Module._WebSleeps()]")


def browser(width=640, height=480):
    driver = chromium()
    # The page at exactly 640 x 480, the picture as it is, unless asked otherwise.
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": width, "height": height, "deviceScaleFactor": 1,
                            "mobile": False})
    return driver, driver.service.process.pid


def descendants(pid):
    """Every process below pid, by the parents the system records."""
    parent = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open("/proc/%s/stat" % entry) as f:
                    parent[int(entry)] = int(f.read().rsplit(")", 1)[1].split()[1])
            except OSError:
                pass
    found, todo = [], [pid]
    while todo:
        p = todo.pop()
        kids = [k for k, v in parent.items() if v == p]
        found += kids
        todo += kids
    return found


def kind(pid):
    """The kind of Chromium process: browser, renderer, gpu-process, utility..."""
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            args = f.read().decode(errors="replace").replace("\0", " ").split()
    except OSError:
        return "gone"
    types = [a.split("=", 1)[1] for a in args if a.startswith("--type=")]
    return types[0] if types else "browser"


def cpu_ticks(pids):
    by_kind = {}
    for p in pids:
        try:
            with open("/proc/%d/stat" % p) as f:
                fields = f.read().rsplit(")", 1)[1].split()
            by_kind[kind(p)] = by_kind.get(kind(p), 0) + int(fields[11]) + int(fields[12])
        except OSError:
            pass
    return by_kind


def wait_for(driver, script, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.02)
    return None


def move(driver, x, y):
    """The pointer over picture pixel (x, y), wherever the page shows the picture."""
    left, top, width, height = driver.execute_script(
        "var r = document.getElementById('screen').getBoundingClientRect();"
        "return [r.left, r.top, r.width, r.height];")
    actions = ActionBuilder(driver)
    actions.pointer_action.move_to_location(int(left + max(0, min(639, x)) * width / 640),
                                            int(top + max(0, min(479, y)) * height / 480))
    actions.perform()


def click(driver, button=MouseButton.LEFT):
    actions = ActionBuilder(driver)
    actions.pointer_action.pointer_down(button=button)
    actions.pointer_action.pointer_up(button=button)
    actions.perform()


floors = []
for _ in range(runs if floor_url else 0):
    driver, chromedriver = browser()
    try:
        driver.get(floor_url)
        time.sleep(2)
        pids = descendants(chromedriver)
        before = cpu_ticks(pids), time.time()
        time.sleep(10)
        after = cpu_ticks(pids), time.time()
        floors.append(sum(after[0].get(k, 0) - before[0].get(k, 0) for k in after[0]) * 100.0
                      / ticks / (after[1] - before[1]))
    finally:
        driver.quit()

def game(address, width=640, height=480):
    """A page load and ten seconds of a game: (the marks of the load, CPU by process, awake ms
    a frame, putImageData ms a frame, waits a frame, frames a second)."""
    driver, chromedriver = browser(width, height)
    try:
        driver.get(address)
        wait_for(driver, "return document.getElementById('notice').hidden", 30)
        marks = driver.execute_script(
            "return ['files-loaded', 'game-started', 'first-picture'].map(function (m) {"
            " return performance.getEntriesByName(m)[0].startTime; })")
        ActionChains(driver).send_keys("a").perform()
        time.sleep(0.3)
        ActionChains(driver).send_keys(Keys.RETURN).perform()
        time.sleep(0.3)
        move(driver, 300, 100)
        time.sleep(0.3)
        click(driver)
        time.sleep(0.5)
        pids = descendants(chromedriver)
        before = cpu_ticks(pids), time.time(), driver.execute_script(COUNTERS)
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
        after = cpu_ticks(pids), time.time(), driver.execute_script(COUNTERS)
        seconds = after[1] - before[1]
        used = {k: 100.0 * (after[0].get(k, 0) - before[0].get(k, 0)) / ticks / seconds
                for k in after[0]}
        frames = max(1, after[2][1] - before[2][1])
        return (marks, used, (after[2][0] - before[2][0]) / frames,
                (after[2][2] - before[2][2]) / frames, (after[2][3] - before[2][3]) / frames,
                frames / seconds)
    finally:
        driver.quit()


firsts, cpus, awake, puts, sleeps, rates, steps, kinds = [], [], [], [], [], [], [], []
for _ in range(runs):
    marks, used, a, p, w, r = game(url)
    firsts.append(marks[2])
    steps.append(marks)
    cpus.append(sum(used.values()))
    kinds.append(used)
    awake.append(a)
    puts.append(p)
    sleeps.append(w)
    rates.append(r)

print("first drawn logo after navigation: median %.0f ms (%s)"
      % (statistics.median(firsts), ", ".join("%.0f" % f for f in firsts)))
print("  of which: files loaded at %.0f ms, the game started at %.0f ms (medians)"
      % (statistics.median(m[0] for m in steps), statistics.median(m[1] for m in steps)))
print("game at 640 x 480, all browser processes: median %.1f %% of one core (%s)"
      % (statistics.median(cpus), ", ".join("%.1f" % c for c in cpus)))
print("  by process (last run): " + ", ".join("%s %.1f %%" % (k, v) for k, v in
                                             sorted(kinds[-1].items()) if v > 0))
print("the game awake per frame (logic, drawing, putImageData, ASYNCIFY's unwinding and "
      "rewinding): median %.2f ms, of which putImageData %.2f ms"
      % (statistics.median(awake), statistics.median(puts)))
print("  %.1f frames a second, %.2f waits yielded to the page a frame (medians)"
      % (statistics.median(rates), statistics.median(sleeps)))
if floors:
    print("frames alone (bench/web_floor.html, a whole changed 640 x 480 picture 38 times a "
          "second, no game, no sound): median %.1f %% of one core (%s)"
          % (statistics.median(floors), ", ".join("%.1f" % f for f in floors)))
if before_url:
    # The page as it was and as it is, alternately, in a page of 1280 x 900.
    scaled = {before_url: [], url: []}
    for _ in range(runs):
        for address in (before_url, url):
            scaled[address].append(game(address, 1280, 900))
    for name, address in (("before", before_url), ("after", url)):
        use = [sum(g[1].values()) for g in scaled[address]]
        print("page of 1280 x 900, %s: median %.1f %% of one core (%s); the page's drawing "
              "%.2f ms a frame; by process (last run): %s"
              % (name, statistics.median(use), ", ".join("%.1f" % c for c in use),
                 statistics.median(g[3] for g in scaled[address]),
                 ", ".join("%s %.1f %%" % (k, v) for k, v in sorted(scaled[address][-1][1].items())
                           if v > 0)))
