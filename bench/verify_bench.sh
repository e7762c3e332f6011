#!/usr/bin/env bash
# What verifying a handed-in recording costs, side by side: the CPU of a verification as the
# server runs it (the drawing skipped, forked from the loaded game), the same with every pixel
# drawn, and a whole headless replay with its start-up (sidescroller-replay); then how many
# games a second two threads verify, sustained. The recordings are made by
# bench/verify_games.py in the recorder's shape: two-minute games ended by the clock, and
# games of 15 s ended by Escape. Figures go to docs/leaderboard-verification.md.
#   bash bench/verify_bench.sh BUILD_DIR [RUNS] [SECONDS]
set -euo pipefail
build=$(realpath "$1")
runs=${2:-40}
seconds=${3:-30}
root=$(realpath "$(dirname "$0")/..")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for i in 1 2 3; do
    python3 "$root/bench/verify_games.py" "$work/two_minutes_$i.txt" --seed "$i" --rng "$i"
done
python3 "$root/bench/verify_games.py" "$work/escape_3x15s.txt" --seed 4 --games 3 \
    --escape-after 15 --rng 4
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
    "Linux $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "-- as the server verifies (drawing skipped), $runs runs each"
"$build/server/verify/verify_bench" "$root" "$runs" 2 "$seconds" "$work"/*.txt
echo "-- every pixel drawn, $((runs / 4)) runs"
"$build/server/verify/verify_bench" "$root" $((runs / 4)) 2 5 --full "$work/two_minutes_1.txt" |
    head -n 1
echo "-- a whole headless replay, start-up included (sidescroller-replay), 5 runs"
mkdir "$work/run"
ln -s "$root/data" "$work/run/data"
ln -s "$root/font.des" "$work/run/font.des"
for _ in 1 2 3 4 5; do
    (cd "$work/run" && /usr/bin/time -f "%U %S" "$build/sidescroller-replay" \
        "$work/two_minutes_1.txt" > /dev/null 2>> "$work/times.txt")
done
sort -n "$work/times.txt" | awk '{ cpu[NR] = ($1 + $2) * 1000 }
    END { printf "two_minutes_1.txt: CPU median %.0f ms (user + system)\n", cpu[int((NR + 1) / 2)] }'
