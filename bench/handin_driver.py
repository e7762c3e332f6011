#!/usr/bin/env python3
# Hands real recordings in to the leaderboard as players would, and times each from the
# hand-in to its rank: a token per game taken first (a game may not arrive sooner after its
# token than it lasted, so the tokens must age before the hand-ins), then the hand-ins at a
# steady rate spread over the api processes, each followed to its answer (200 with the rank,
# or 202 and its submission asked again every 250 ms, or --poll). Every hand-in must be answered, with
# its game entered: anything lost or refused is counted and fails the run.
#   handin_driver.py tokens URL COUNT TOKENS.json
#   handin_driver.py handin URL[,URL...] TOKENS.json RECORDING --rate N [--out RESULT.json]
import argparse
import http.client
import json
import sys
import threading
import time
import urllib.parse


def request(url, method, path, body=None, headers=None):
    u = urllib.parse.urlsplit(url)
    c = http.client.HTTPConnection(u.hostname, u.port, timeout=600)
    try:
        c.request(method, path, body=body, headers=headers or {})
        r = c.getresponse()
        return r.status, r.read()
    finally:
        c.close()


def version(url):
    # The server tells its version when a token asks for another.
    status, body = request(url, "POST", "/api/v1/tokens",
                           json.dumps({"board": "open", "version": "?"}),
                           {"Content-Type": "application/json"})
    return json.loads(body)["server"]


def take_tokens(a):
    v = version(a.url)
    tokens = []
    for _ in range(a.count):
        status, body = request(a.url, "POST", "/api/v1/tokens",
                               json.dumps({"board": "open", "version": v}),
                               {"Content-Type": "application/json"})
        if status != 201:
            sys.exit("token: %d %s" % (status, body[:200]))
        t = json.loads(body)
        tokens.append({"token": t["token"], "seed": t["seed"]})
    with open(a.out, "w") as f:
        json.dump(tokens, f)


def percentile(values, p):
    s = sorted(values)
    return s[min(len(s) - 1, int(p / 100 * len(s)))] if s else float("nan")


def hand_in(a):
    urls = a.urls.split(",")
    tokens = json.load(open(a.tokens))
    template = open(a.recording).read().splitlines(keepends=True)
    seed_line = next(i for i, line in enumerate(template) if line.startswith("seed "))
    results = [None] * len(tokens)

    def one(i, t):
        lines = list(template)
        lines[seed_line] = "seed %d\n" % t["seed"]
        url = urls[i % len(urls)]
        started = time.monotonic()
        retries = 0

        def ask(*args):
            # A connection refused or cut is tried again, as a client would: the same bytes
            # handed in twice make the same entries.
            nonlocal retries
            while True:
                try:
                    return request(url, *args)
                except OSError:
                    retries += 1
                    time.sleep(1)

        status, body = ask("POST", "/api/v1/games", "".join(lines).encode(),
                           {"Authorization": "Bearer " + t["token"], "Content-Type": "text/plain"})
        first = status
        while status == 202:
            time.sleep(a.poll)
            status, body = ask("GET", json.loads(body)["location"])
        ranked = False
        if status == 200:
            games = json.loads(body).get("games", [])
            ranked = bool(games) and all("rank" in g for g in games)
        results[i] = {"first": first, "status": status, "ranked": ranked, "retries": retries,
                      "seconds": time.monotonic() - started}

    threads = []
    began = time.monotonic()
    for i, t in enumerate(tokens):
        # Open loop: each hand-in leaves at its time, whatever the others are waiting for.
        delay = began + i / a.rate - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        th = threading.Thread(target=one, args=(i, t))
        th.start()
        threads.append(th)
    for th in threads:
        th.join()
    elapsed = time.monotonic() - began
    done = [r for r in results if r]
    ranked = [r for r in done if r["ranked"]]
    secs = [r["seconds"] for r in ranked]
    summary = {
        "handed_in": len(tokens), "answered": len(done), "ranked": len(ranked),
        "answered_200_at_once": sum(1 for r in done if r["first"] == 200),
        "rate": a.rate, "elapsed": round(elapsed, 1),
        "p50": round(percentile(secs, 50), 3), "p99": round(percentile(secs, 99), 3),
        "max": round(max(secs), 3) if secs else None,
        "statuses": sorted({r["status"] for r in done}),
        "connections_tried_again": sum(r["retries"] for r in done),
    }
    print(json.dumps(summary))
    if a.out:
        json.dump({"summary": summary, "results": results}, open(a.out, "w"))
    if len(ranked) != len(tokens):
        sys.exit("lost or refused: %d of %d not ranked" % (len(tokens) - len(ranked), len(tokens)))


p = argparse.ArgumentParser()
sub = p.add_subparsers(dest="command", required=True)
t = sub.add_parser("tokens")
t.add_argument("url")
t.add_argument("count", type=int)
t.add_argument("out")
h = sub.add_parser("handin")
h.add_argument("urls")
h.add_argument("tokens")
h.add_argument("recording")
h.add_argument("--rate", type=float, required=True, help="hand-ins a second")
h.add_argument("--out")
h.add_argument("--poll", type=float, default=0.25, help="seconds between asking again")
a = p.parse_args()
take_tokens(a) if a.command == "tokens" else hand_in(a)
