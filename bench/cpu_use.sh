#!/usr/bin/env bash
# The real game's CPU use over ten seconds on the menu and in a game, on an Xvfb screen of
# the given size, and how long the first picture takes to show.
#   bash bench/cpu_use.sh build/sidescroller [WIDTHxHEIGHT]
set -euo pipefail
game=$(realpath "$1")
size=${2:-640x480}
root=$(realpath "$(dirname "$0")/..")
work=$(mktemp -d)
ln -s "$root/data" "$work/data"
ln -s "$root/font.des" "$work/font.des"
display=:$(( 70 + RANDOM % 9 ))
Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb $pid 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done
cd "$work"
SIDESCROLLER_TRACE_STARTUP=1 SDL_AUDIODRIVER=dummy "$game" 2> err.txt &
pid=$!
sleep 2
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
measure() {
    local before after
    before=$(cpu); sleep 10; after=$(cpu)
    awk -v d=$((after - before)) -v t="$ticks" 'BEGIN { printf "%.1f%%", 100 * d / t / 10 }'
}
xdotool key a key Return
sleep 0.5
echo "screen $size: menu $(measure) of one core"
w=${size%x*}
xdotool mousemove $(( w * 300 / 640 )) $(( w * 100 / 640 )) click 1
xdotool mousemove $(( w * 300 / 640 )) $(( w * 200 / 640 ))
echo "screen $size: game $(measure) of one core"
grep -h "first frame" err.txt || true
