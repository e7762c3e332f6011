#!/usr/bin/env bash
# Soak: random play, replayed headlessly in five-minute runs one after the other in one
# folder (so every run loads the "high.dat" the last one saved), until MINUTES of game time.
#   bash tests/soak/run.sh REPLAY_BINARY MINUTES [SEED]    (CI: 60; a long run: 600)
# Build the replay with -DSIDESCROLLER_SANITIZE=ON to catch memory faults and leaks.
set -euo pipefail
replay=$(realpath "$1")
minutes=${2:-60}
seed=${3:-1}
here=$(realpath "$(dirname "$0")")
root=$(realpath "$here/../..")
work=$(mktemp -d)
ln -s "$root/data" "$work/data"
ln -s "$root/font.des" "$work/font.des"
cd "$work"

runs=$(( (minutes + 4) / 5 ))
for run in $(seq 1 "$runs"); do
    bash "$here/random_script.sh" $((seed * 1000 + run)) 300000 > script.txt
    if ! "$replay" script.txt > out.txt 2> err.txt; then
        # The quit path ends the program with 0; anything else is a fault.
        echo "soak run $run failed:"; tail -n 30 err.txt; exit 1
    fi
    if [ -s err.txt ]; then echo "soak run $run wrote errors:"; tail -n 30 err.txt; exit 1; fi
    if ! grep -q '"highScores"' out.txt; then echo "soak run $run printed no state"; exit 1; fi
    if [ -f high.dat ] && [ "$(wc -l < high.dat)" -ne 10 ]; then
        echo "soak run $run left a damaged high.dat"; od -c high.dat | head; exit 1
    fi
done
echo "soak: $runs runs of 5 minutes, no fault; high.dat:"
od -An -c high.dat 2>/dev/null | head -n 3 || true
rm -rf "$work"
