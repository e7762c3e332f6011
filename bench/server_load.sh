#!/usr/bin/env bash
# Board reads under load: a board of ENTRIES entries (default a million, spread over thirty
# days and three hundred scores) written straight into a fresh database, then the top-100
# page, an entry's ranks and its neighbours, each read by wrk at 32 connections for SECONDS
# (default 10), on SQLite and on a PostgreSQL 15 started for the run (as the test does).
# Each is read twice: the same address over and over (what the server's cache of a second
# answers), then a random entry or page at each request (a deep page at a random offset),
# which goes to the database every time. Prints requests a second and the latency
# percentiles of each. Further servers (an older build, say) are measured beside the first,
# on the same databases, read by read, so that their figures come from one run.
#   bash bench/server_load.sh build/sidescroller-server [ENTRIES] [SECONDS] [SERVER...]
set -euo pipefail
server=$(realpath "$1")
entries=${2:-1000000}
seconds=${3:-10}
servers=("$server")
for other in "${@:4}"; do servers+=("$(realpath "$other")"); done
root=$(realpath "$(dirname "$0")/..")
source "$root/bench/server_lib.sh"

measure() {
    local name=$1 database=$2 urls=() k
    # Every server runs at once, each on its own port; each read is then measured on one
    # after the other, so that a change in the machine's load falls on them alike.
    for k in "${!servers[@]}"; do
        "${servers[$k]}" --database "$database" --listen 127.0.0.1:0 --game-folder "$root" \
            --threads 64 > "$work/out$k" 2> "$work/err$k" &
        pids+=($!)
        for _ in $(seq 100); do grep -q listening "$work/out$k" 2> /dev/null && break; sleep 0.1; done
        urls+=("$(grep -o 'http://[0-9.:]*' "$work/out$k")")
    done
    local middle=$((entries / 2)) path
    for path in "/api/v1/boards/open?period=all&limit=100" "/api/v1/games/$middle" \
        "/api/v1/games/$middle/around?count=10"; do
        for k in "${!servers[@]}"; do
            echo "== $name, ${servers[$k]}: $path (load average $(cut -d' ' -f1 /proc/loadavg))"
            wrk -t2 -c32 -d"${seconds}s" --latency "${urls[$k]}$path" |
                grep -E 'Requests/sec|^ +(50|90|99)%|Non-2xx|Socket errors'
        done
    done
    for path in "/api/v1/boards/open?period=all&limit=100&offset=%d" "/api/v1/games/%d" \
        "/api/v1/games/%d/around?count=10"; do
        for k in "${!servers[@]}"; do
            echo "== $name, ${servers[$k]}: $path, at random (load average $(cut -d' ' -f1 /proc/loadavg))"
            PATTERN=$path ENTRIES=$entries wrk -t2 -c32 -d"${seconds}s" --latency \
                -s "$work/random.lua" "${urls[$k]}" |
                grep -E 'Requests/sec|^ +(50|90|99)%|Non-2xx|Socket errors'
        done
    done
    kill "${pids[@]}"
    wait "${pids[@]}" || true
    pids=()
}


echo "$(nproc) cores: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2)"

# SQLite, then a PostgreSQL 15 on a Unix socket in the work folder.
fill_board "$server" "sqlite:$work/board.sqlite" "$entries"
measure sqlite "sqlite:$work/board.sqlite"
if [ "$(id -u)" = 0 ]; then
    as="runuser -u postgres --"
    chown postgres "$work"
fi
PG_CONNECTIONS=$((${#servers[@]} * 64 + 20)) start_postgres
database="postgresql://postgres@/board?host=$work"
fill_board "$server" "$database" "$entries"
measure postgresql "$database"
