#!/usr/bin/env bash
# The server spread over processes on one PostgreSQL 15 (started for the run), side by side
# in one run: board reads against one and two api processes at 32 and 256 connections;
# verifications a second with one and two verify processes and their CPU a game; the time
# from a hand-in to its rank with the queue empty and with hand-ins coming at twice what the
# verifiers keep up with. The hand-ins are real two-minute recordings in the recorder's
# shape (bench/verify_games.py), handed in by bench/handin_driver.py. Figures go to
# docs/deployment.md.
#   bash bench/server_scale.sh build/sidescroller-server [ENTRIES] [SECONDS] [GAMES]
# ENTRIES on the board (default a million), SECONDS a read (10), GAMES verified per
# measurement (300); READS=0 leaves the reads out.
set -euo pipefail
server=$(realpath "$1")
entries=${2:-1000000}
seconds=${3:-10}
games=${4:-300}
root=$(realpath "$(dirname "$0")/..")
source "$root/bench/server_lib.sh"
say() { echo "== $* (load average $(cut -d' ' -f1-3 /proc/loadavg), $(date -u +%H:%M:%S) UTC)"; }

echo "$(nproc) cores: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
    "$(free -g | awk '/Mem:/ { print $2 }') GB, Linux $(uname -r)"
if [ "$(id -u)" = 0 ]; then
    as="runuser -u postgres --"
    chown postgres "$work"
fi
PG_CONNECTIONS=300 start_postgres
database="postgresql://postgres@/board?host=$work"
sql() { psql -qAt -h "$work" -U postgres -c "$1" board; }
say "filling $entries entries"
fill_board "$server" "$database" "$entries"

# start ROLE [OPTIONS...]: one more process; an api's address goes into urls.
urls=()
start() {
    local role=$1 n=${#pids[@]}
    shift
    "$server" --role "$role" --database "$database" --listen 127.0.0.1:0 --game-folder "$root" \
        --tokens-per-minute 0 --games-per-minute 0 --queue-limit 100000 "$@" \
        > "$work/out$n" 2> "$work/err$n" &
    pids+=($!)
    for _ in $(seq 300); do grep -q 'listening\|verifying' "$work/out$n" 2> /dev/null && break; sleep 0.1; done
    [ "$role" = verify ] || urls+=("$(grep -o 'http://[0-9.:]*' "$work/out$n")")
}
stop_all() {
    kill "${pids[@]}" 2> /dev/null || true
    wait "${pids[@]}" 2> /dev/null || true
    pids=()
    urls=()
}
# CPU seconds of the processes given and of their children waited for (the replays).
cpu() { for p in "$@"; do cut -d' ' -f14-17 "/proc/$p/stat"; done |
    awk -v hz="$(getconf CLK_TCK)" '{ s += $1 + $2 + $3 + $4 } END { printf "%.2f", s / hz }'; }

# Tokens first: a two-minute game may not be handed in sooner after its token than it
# lasted, so they age while the reads are measured.
python3 "$root/bench/verify_games.py" "$work/game.txt" --seed 1 --rng 1
start api
token_count=$((games * 2 + 10 + games * 2))
python3 "$root/bench/handin_driver.py" tokens "${urls[0]}" "$token_count" "$work/tokens.json"
tokens_taken=$SECONDS
stop_all
python3 - "$work" "$games" <<'EOF'
import json, sys
work, games = sys.argv[1], int(sys.argv[2])
t = json.load(open(work + "/tokens.json"))
parts = {"verify1": t[:games], "verify2": t[games:2 * games], "empty": t[2 * games:2 * games + 10],
         "loaded": t[2 * games + 10:]}
for name, part in parts.items():
    json.dump(part, open("%s/tokens_%s.json" % (work, name), "w"))
EOF

# Reads: wrk's connections split between the api processes, one wrk each, at once.
for apis in $([ "${READS:-1}" = 0 ] || echo 1 2); do
    for _ in $(seq $apis); do start api --threads 128; done
    for path in "/api/v1/games/%d" "/api/v1/boards/open?period=all&limit=100&offset=%d"; do
        for connections in 32 256; do
            say "$apis api, $connections connections: $path at random"
            wrk_split "$path" "$connections" "$seconds" "${urls[@]}"
        done
    done
    stop_all
done

# Verifications: the games queued by an api with no verifier, then verified by one or two
# verify processes; the rate from their start to an empty queue, the CPU theirs and their
# replays'.
sleep $((tokens_taken + 135 - SECONDS > 0 ? tokens_taken + 135 - SECONDS : 0))
for verifiers in 1 2; do
    start api --answer-wait 0 --threads 256
    python3 "$root/bench/handin_driver.py" handin "${urls[0]}" "$work/tokens_verify$verifiers.json" \
        "$work/game.txt" --rate 50 --poll 5 > "$work/driver_verify$verifiers" &
    driver=$!
    until [ "$(sql "SELECT COUNT(*) FROM submissions WHERE state = 'queued'")" -ge "$games" ]; do
        sleep 0.5
    done
    say "$verifiers verify processes, $games two-minute games queued"
    vpids=()
    for _ in $(seq $verifiers); do start verify; vpids+=("${pids[-1]}"); done
    began=$(date +%s.%N)
    before=$(cpu "${vpids[@]}")
    until [ "$(sql "SELECT COUNT(*) FROM submissions WHERE state = 'queued'")" -eq 0 ]; do
        sleep 0.5
        if [ $(($(date +%s) - ${began%.*})) -gt 600 ]; then
            echo "the queue did not empty in ten minutes:" >&2
            tail -n 5 "$work"/err* >&2
            exit 1
        fi
    done
    ended=$(date +%s.%N)
    after=$(cpu "${vpids[@]}")
    wait "$driver"
    awk -v n="$games" -v b="$began" -v e="$ended" -v c0="$before" -v c1="$after" -v v="$verifiers" \
        'BEGIN { printf "%d games in %.1f s: %.1f verifications a second, %.1f ms CPU each (the verify processes and their replays), %.0f games a minute a core busy\n",
                 n, e - b, n / (e - b), (c1 - c0) * 1000 / n, 60000 / ((c1 - c0) * 1000 / n) }'
    echo "driver: $(cat "$work/driver_verify$verifiers")"
    [ "$verifiers" = 1 ] && rate=$(awk -v n="$games" -v b="$began" -v e="$ended" \
        'BEGIN { printf "%.1f", 2 * n / (e - b) }')
    stop_all
done

# From hand-in to rank: one api and one verifier (the site's smallest), the queue empty
# (a hand-in every two seconds), then hand-ins at twice the rate the single verifier kept
# up with above.
start api --threads 256
start verify
say "from hand-in to rank, the queue empty: 10 hand-ins, one every 2 s"
python3 "$root/bench/handin_driver.py" handin "${urls[0]}" "$work/tokens_empty.json" \
    "$work/game.txt" --rate 0.5
rate=${LOADED_RATE:-$rate}
say "from hand-in to rank, loaded: $((games * 2)) hand-ins at $rate a second"
python3 "$root/bench/handin_driver.py" handin "${urls[0]}" "$work/tokens_loaded.json" \
    "$work/game.txt" --rate "$rate" --poll 0.5
say "done"
stop_all
