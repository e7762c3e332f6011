#!/usr/bin/env bash
# The real game in a real window under Xvfb, driven with xdotool as a player would: logo,
# name, menu, a game with a few shots, Escape, the high-score screen, the credits, quit.
# Each step is checked on a screenshot; the screenshots stay in SHOTS (default
# build/e2e-screenshots) for CI to keep.
#   bash tests/e2e/real_window.sh build/sidescroller [SHOTS]
set -euo pipefail
game=$(realpath "$1")
root=$(realpath "$(dirname "$0")/../..")
shots=$(realpath -m "${2:-$root/build/e2e-screenshots}")
magick=/usr/bin/convert
rm -rf "$shots"
mkdir -p "$shots"
work=$(mktemp -d)
ln -s "$root/data" "$work/data"
ln -s "$root/font.des" "$work/font.des"

display=:$(( 90 + RANDOM % 9 ))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; [ -n "${gamepid:-}" ] && kill $gamepid 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done

# 640 x 480 scaled by 2 into 1280 x 1024: letterboxed, 32 pixels of bar above and below.
sx() { echo $(( $1 * 2 + 1 )); }
sy() { echo $(( 32 + $2 * 2 + 1 )); }
screen_xy() { echo "$(sx "$1" "$2") $(sy "$1" "$2")"; }

shot() {
    import -window root "$shots/$1.png"
}

# The colour of a pixel as "r,g,b" (0 to 255), from a screenshot or a picture file.
pixel() {
    "$magick" "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# True when two colours differ by at most 8 in every channel (16-bit display rounding).
near() {
    local IFS=,
    read -r r1 g1 b1 <<< "$1"
    read -r r2 g2 b2 <<< "$2"
    for d in $((r1 - r2)) $((g1 - g2)) $((b1 - b2)); do
        [ "${d#-}" -le 8 ] || return 1
    done
}

# check NAME SHOT PICTURE PX PY X Y: the screenshot at the scaled place of logical (X, Y)
# shows the picture's pixel (PX, PY).
failures=0
check() {
    local name=$1 png=$2 picture=$3 px=$4 py=$5 x=$6 y=$7
    local want got
    want=$(pixel "$root/data/$picture" "$px" "$py")
    got=$(pixel "$shots/$png.png" "$(sx "$x" "$y")" "$(sy "$x" "$y")")
    if near "$want" "$got"; then
        echo "ok   $name: ($x, $y) is $got"
    else
        echo "FAIL $name: ($x, $y) is $got, expected $want from $picture ($px, $py)"
        failures=$((failures + 1))
    fi
}

mouse() { xdotool mousemove $(screen_xy "$1" "$2"); sleep 0.3; }

cd "$work"
SDL_AUDIODRIVER=dummy "$game" > "$work/game.out" 2> "$work/game.err" &
gamepid=$!
for _ in $(seq 100); do xdotool search --name '^Sidescroller$' > /dev/null 2>&1 && break; sleep 0.1; done
sleep 1.5

shot 01-logo
for p in "100 50" "200 113" "300 180" "10 10"; do
    set -- $p
    check logo 01-logo logo.bmp "$1" "$2" $((120 + $1)) $((127 + $2))
done
bar=$(pixel "$shots/01-logo.png" 640 10)
near "$bar" "0,0,0" && echo "ok   letterbox bar is black" || { echo "FAIL letterbox bar $bar"; failures=$((failures + 1)); }

xdotool key a; sleep 0.5
xdotool type --delay 120 TESTER; sleep 0.3
shot 02-name
xdotool key Return; sleep 0.5
mouse 20 440
shot 03-menu
check "menu background" 03-menu menu.bmp 5 5 5 5
check "menu background" 03-menu menu.bmp 620 20 620 20
# The cursor sprite follows the mouse: its centre is 25, 25 from where the mouse is.
mouse 40 300
shot 04-cursor
check "cursor sprite" 04-cursor cursor.bmp 25 25 65 325

mouse 300 100          # hot spot (325, 125): the new-game button
xdotool click 1; sleep 0.6
mouse 300 200
shot 05-game
check "game backdrop" 05-game side1.bmp 5 470 5 470
check "game backdrop" 05-game side1.bmp 150 300 150 300
for x in 200 260 320 380; do mouse "$x" 150; xdotool click 1; sleep 0.2; done
shot 06-shots
xdotool key Escape; sleep 0.6
shot 07-after-escape
mouse 300 350          # hot spot (325, 375): the high-score button
xdotool click 1; sleep 0.6
shot 08-highscores
check "high-score panel" 08-highscores high.bmp 10 10 190 80
xdotool key space; sleep 0.5
mouse 300 170          # hot spot (325, 195): the quit button
xdotool click 1; sleep 0.6
shot 09-credits
xdotool key space; sleep 0.5
shot 10-greetings
xdotool key space

status=0
for _ in $(seq 50); do kill -0 "$gamepid" 2> /dev/null || break; sleep 0.1; done
if kill -0 "$gamepid" 2> /dev/null; then
    echo "FAIL the game did not end after the credits"
    failures=$((failures + 1))
else
    wait "$gamepid" || status=$?
    gamepid=""
    [ "$status" -eq 0 ] && echo "ok   the game ended with 0" || { echo "FAIL exit code $status"; failures=$((failures + 1)); }
fi
[ -s "$work/game.err" ] && { echo "-- the game said:"; cat "$work/game.err"; }
grep -c . "$work/high.dat" > /dev/null 2>&1 && echo "ok   high.dat written" || { echo "FAIL no high.dat"; failures=$((failures + 1)); }
echo "screenshots: $shots"
rm -rf "$work"
[ "$failures" -eq 0 ]
