#!/usr/bin/env bash
# The real game's CPU use over ten seconds on the menu, in a game as a player plays it (aiming
# across the field, shooting, reloading, and scrolling three seconds of the ten), and in a game
# scrolled to and fro without pause (every pixel changes every frame), on an Xvfb screen of the
# given size, with the X server's share added (a software picture costs the server the copy to
# the screen), and how long the first picture takes to show; then what the pixels of a
# scrolled frame cost without the game (bench/present_floor, built beside the game). Run RUNS
# times (default 1), it ends with the median of each figure.
#   bash bench/cpu_use.sh build/sidescroller [WIDTHxHEIGHT] [RUNS]
set -euo pipefail
game=$(realpath "$1")
size=${2:-640x480}
runs=${3:-1}
root=$(realpath "$(dirname "$0")/..")
floor_tool=$(dirname "$game")/bench/present_floor
work=$(mktemp -d)
ln -s "$root/data" "$work/data"
ln -s "$root/font.des" "$work/font.des"
xvfb="" pid=""
trap 'kill $xvfb $pid 2>/dev/null || true; rm -rf "$work"' EXIT
ticks=$(getconf CLK_TCK)
w=${size%x*}
h=${size#*x}
# Where the game shows logical (x, y): the picture scaled by a whole number, centred.
scale=$(( w / 640 < h / 480 ? w / 640 : h / 480 ))
scale=$(( scale < 1 ? 1 : scale ))
at() { echo $(( (w - 640 * scale) / 2 + $1 * scale )) $(( (h - 480 * scale) / 2 + $2 * scale )); }

cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Percent of one core that the game and the X server used over ten seconds, as "game server".
measure() {
    local game0 server0 game1 server1
    game0=$(cpu "$pid"); server0=$(cpu "$xvfb")
    sleep 10
    game1=$(cpu "$pid"); server1=$(cpu "$xvfb")
    awk -v g=$((game1 - game0)) -v s=$((server1 - server0)) -v t="$ticks" \
        'BEGIN { printf "%.1f %.1f", 100 * g / t / 10, 100 * s / t / 10 }'
}
# Aim and shoot at eight places, reload after the magazine, and visit each edge of the screen
# for 1.5 s, which scrolls the landscape under the cursor.
play() {
    for _ in 1 2; do
        for spot in "100 150" "420 120" "250 300" "560 240"; do
            xdotool mousemove $(at $spot); sleep 0.3; xdotool click 1; sleep 0.3
        done
        xdotool click 3
        xdotool mousemove $((w - 1)) $((h / 2)); sleep 1.5
        xdotool mousemove $(at 320 200); sleep 0.3
        xdotool mousemove 0 $((h / 2)); sleep 1.5
    done
}
# Against the right edge and the left one in turn: a full sweep takes 4.2 s.
sweep() {
    for _ in 1 2 3; do
        xdotool mousemove $((w - 1)) $((h / 2)); sleep 4.3
        xdotool mousemove 0 $((h / 2)); sleep 4.3
    done
}
# measure, while the given player runs beside it.
measure_during() {
    "$1" > /dev/null 2>&1 &
    local player=$!
    measure
    kill "$player" 2>/dev/null || true
    wait "$player" 2>/dev/null || true
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

one_run() {
    # Xvfb picks a display no one else uses and says which once it is ready.
    rm -f "$work/display"
    Xvfb -displayfd 1 -screen 0 "${size}x24" -nolisten tcp > "$work/display" 2> /dev/null &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$work/display")
    (cd "$work" && SIDESCROLLER_TRACE_STARTUP=1 SDL_AUDIODRIVER=dummy exec "$game" 2> err.txt) &
    pid=$!
    sleep 2
    xdotool key a key Return
    sleep 0.5
    read -r menu_game menu_server <<< "$(measure)"
    # A click acts where the last frame saw the cursor: move, let a frame pass, click.
    xdotool mousemove $(at 300 100); sleep 0.3; xdotool click 1      # the new-game button
    read -r play_game play_server <<< "$(measure_during play)"
    read -r scroll_game scroll_server <<< "$(measure_during sweep)"
    first=$(sed -n 's/.*first frame shown \([0-9]*\) ms.*/\1/p' "$work/err.txt")
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""
    # The same scrolled frames sent by a program that does nothing else: what moving the pixels
    # alone costs on this screen.
    floor=""
    if [ -x "$floor_tool" ]; then
        floor=$(cd "$work" && "$floor_tool" "$xvfb" 2>&1 | sed -n 's/.*: \([0-9.]*\)% .*/\1/p') || true
    fi
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    xvfb=""
    menu=$(awk -v a="$menu_game" -v b="$menu_server" 'BEGIN { print a + b }')
    play=$(awk -v a="$play_game" -v b="$play_server" 'BEGIN { print a + b }')
    scroll=$(awk -v a="$scroll_game" -v b="$scroll_server" 'BEGIN { print a + b }')
    echo "screen $size: menu $menu% (game $menu_game + X $menu_server)," \
         "game $play% (game $play_game + X $play_server)," \
         "scrolling $scroll% (game $scroll_game + X $scroll_server) of one core," \
         "first frame ${first:-?} ms; the pixels of a scrolled frame alone ${floor:-?}%"
    echo "$menu $play $scroll ${first:-0} ${floor:-0}" >> "$work/figures"
}

for _ in $(seq "$runs"); do one_run; done
if [ "$runs" -gt 1 ]; then
    echo "screen $size, median of $runs: menu $(cut -d' ' -f1 "$work/figures" | median)%," \
         "game $(cut -d' ' -f2 "$work/figures" | median)%," \
         "scrolling $(cut -d' ' -f3 "$work/figures" | median)% of one core," \
         "first frame $(cut -d' ' -f4 "$work/figures" | median) ms;" \
         "the pixels of a scrolled frame alone $(cut -d' ' -f5 "$work/figures" | median)%"
fi
