#!/usr/bin/env python3
# Writes recordings shaped as the game's recorder writes them: a wake ("at") every 26 ms or
# so, the cursor at most wakes, clicks and reloads, a name typed at start-up and two-minute
# games ended by the clock (or by Escape when asked), so that the verifier can be measured
# and tested on what players hand in.
#   verify_games.py OUT.txt [--seed N] [--games N] [--escape-after SECONDS] [--rng N]
import argparse
import random

p = argparse.ArgumentParser()
p.add_argument("out")
p.add_argument("--seed", type=int, default=1)
p.add_argument("--games", type=int, default=1)
p.add_argument("--escape-after", type=int, default=0, help="end each game by Escape then")
p.add_argument("--rng", type=int, default=1, help="varies the player's moves")
a = p.parse_args()
rnd = random.Random(a.rng)
start = 5_000_000 + rnd.randrange(1000)
t = start
lines = [
    "# A play-through recorded with sidescroller --record; sidescroller-replay plays it.",
    "seed %d" % a.seed,
    "start %d" % start,
]


def wake(ms=None):
    global t
    t += ms if ms is not None else rnd.choice((25, 26, 26, 26, 27))
    lines.append("at %d" % t)


x, y = 320, 240


def move(nx, ny):
    global x, y
    x, y = max(0, min(639, nx)), max(0, min(479, ny))
    lines.append("move %d %d" % (x, y))


wake(400)
lines.append("key A")
for name_key in ("B", "C"):
    wake(150)
    lines.append("key " + name_key)
wake(200)
lines.append("key RETURN")
for g in range(a.games):
    # To the new-game button, and a click on it.
    for _ in range(10):
        wake()
        move(x + (250 - x) // 3, y + (100 - y) // 3)
    wake()
    lines.append("click left")
    length = a.escape_after * 1000 if a.escape_after else 122_000
    end = t + length
    shots = 6
    tx, ty = rnd.randrange(640), rnd.randrange(400)
    while t < end:
        wake()
        if rnd.random() < 0.02:
            tx, ty = rnd.randrange(640), rnd.randrange(400)
        move(x + (tx - x) // 4 + rnd.randrange(-3, 4), y + (ty - y) // 4 + rnd.randrange(-3, 4))
        if rnd.random() < 0.03:
            if shots > 0:
                lines.append("click left")
                shots -= 1
            else:
                lines.append("click right")
                shots = 6
    if a.escape_after:
        lines.append("key ESCAPE")
        for _ in range(3):
            wake()
    else:
        # The table shows; Space goes back to the menu.
        for _ in range(40):
            wake()
        lines.append("key SPACE")
        for _ in range(3):
            wake()
wake()
lines.append("close")
with open(a.out, "w") as f:
    f.write("\n".join(lines) + "\n")
