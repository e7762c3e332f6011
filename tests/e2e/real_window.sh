#!/usr/bin/env bash
# The real game in a real window under Xvfb, driven with xdotool as a player would: logo,
# name, menu, Alt+Enter to a window and back, a game with a few shots, Escape, the
# high-score screen, the credits, quit; then a second start closed by Alt+F4. Each step is
# checked on a screenshot; the still screens must equal, pixel for pixel, the headless
# replay's picture scaled the same way.
# The screenshots stay in SHOTS (default build/e2e-screenshots) for CI to keep. With
# SDL_RENDER_DRIVER set, the picture goes through SDL's renderer, the path of machines with a
# GPU: the renderer converts the 16-bit picture itself, a level of green apart from SDL's
# conversion in places, so its pictures may differ by that much and no more.
#   [SDL_RENDER_DRIVER=software] bash tests/e2e/real_window.sh build/sidescroller [SHOTS] [WIDTHxHEIGHT]
set -euo pipefail
game=$(realpath "$1")
replay=$(dirname "$game")/sidescroller-replay
root=$(realpath "$(dirname "$0")/../..")
shots=$(realpath -m "${2:-$root/build/e2e-screenshots}")
size=${3:-1280x1024}
width=${size%x*}
height=${size#*x}
magick=/usr/bin/convert
colour_levels=0
[ -n "${SDL_RENDER_DRIVER:-}" ] && colour_levels=0.5%
rm -rf "$shots"
mkdir -p "$shots"
work=$(mktemp -d)
ln -s "$root/data" "$work/data"
ln -s "$root/font.des" "$work/font.des"

# The headless game's pictures of the still screens, the cursor where the real one goes.
mkdir "$work/replay"
ln -s "$root/data" "$work/replay/data"
ln -s "$root/font.des" "$work/replay/font.des"
printf '%s\n' "frames 2" "screenshot logo.bmp" "key A" "frames 2" "move 20 440" "key RETURN" \
    "frames 2" "screenshot menu.bmp" "move 0 200" "frames 2" "screenshot menu-left.bmp" \
    "move 639 479" "frames 2" "screenshot menu-corner.bmp" > "$work/replay/pictures.txt"
(cd "$work/replay" && "$replay" pictures.txt > /dev/null)

# Xvfb picks a display no one else uses and says which once it is ready.
Xvfb -displayfd 1 -screen 0 "${size}x24" -br -nolisten tcp > "$work/display" 2> "$work/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; [ -n "${gamepid:-}" ] && kill $gamepid 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")

# The 640 x 480 picture scaled by the largest whole number that fits, centred on black.
scale=$(( width / 640 < height / 480 ? width / 640 : height / 480 ))
left=$(( (width - 640 * scale) / 2 ))
top=$(( (height - 480 * scale) / 2 ))
# The last screen pixel of a picture pixel, so that a position rounded the wrong way shows.
sx() { echo $(( left + $1 * scale + scale - 1 )); }
sy() { echo $(( top + $2 * scale + scale - 1 )); }
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

source "$(dirname "$(realpath "$0")")/lib.sh"
verdict() {
    if [ "$1" = ok ]; then pass "$2"; else fail "$2"; fi
}

# check NAME SHOT PICTURE PX PY X Y: the screenshot at the scaled place of logical (X, Y)
# shows the picture's pixel (PX, PY).
check() {
    local name=$1 png=$2 picture=$3 px=$4 py=$5 x=$6 y=$7
    local want got
    want=$(pixel "$root/data/$picture" "$px" "$py")
    got=$(pixel "$shots/$png.png" "$(sx "$x" "$y")" "$(sy "$x" "$y")")
    if near "$want" "$got"; then
        verdict ok "$name: ($x, $y) is $got"
    else
        verdict fail "$name: ($x, $y) is $got, expected $want from $picture ($px, $py)"
    fi
}

# same_picture NAME SHOT PICTURE [SCALE X Y]: the whole screenshot is the headless PICTURE
# scaled by SCALE (default the full-screen one) with its corner at (X, Y), black around it.
same_picture() {
    local name=$1 png=$shots/$2.png want=$work/want-$2.png
    local s=${4:-$scale} x=${5:-$left} y=${6:-$top} differ
    "$magick" "$work/replay/$3" -sample $((s * 100))% -background black \
        -extent "${width}x${height}-${x}-${y}" "$want"
    differ=$(compare -metric AE -fuzz "$colour_levels" "$png" "$want" null: 2>&1 || true)
    if [ "$differ" = 0 ]; then
        verdict ok "$name: the headless picture, scaled by $s at ($x, $y)"
    else
        verdict fail "$name: ${differ} pixels differ from the headless picture scaled by $s"
        cp "$want" "$shots/"
    fi
}

mouse() { xdotool mousemove $(screen_xy "$1" "$2"); sleep 0.3; }

cd "$work"
SIDESCROLLER_TRACE_STARTUP=1 SDL_AUDIODRIVER=dummy "$game" > "$work/game.out" 2> "$work/game.err" &
gamepid=$!
for _ in $(seq 100); do xdotool search --name '^Sidescroller$' > /dev/null 2>&1 && break; sleep 0.1; done
sleep 1.5

shot 01-logo
same_picture logo 01-logo logo.bmp
for p in "100 50" "300 180"; do
    set -- $p
    check logo 01-logo logo.bmp "$1" "$2" $((120 + $1)) $((127 + $2))
done

xdotool key a; sleep 0.5
xdotool type --delay 120 TESTER; sleep 0.3
shot 02-name
# Placed before the menu shows, so that no button is ever hovered and they all stand still.
mouse 20 440
xdotool key Return; sleep 0.8
shot 03-menu
same_picture menu 03-menu menu.bmp
# The cursor reaches the picture's first column from the black border left of it, and its
# last column and row from the screen's corner (drawn at 590, 430, where the game stops it).
xdotool mousemove 0 "$(sy 0 200)"; sleep 0.3
shot 03-menu-left
same_picture "cursor at the left edge" 03-menu-left menu-left.bmp
xdotool mousemove $((width - 1)) $((height - 1)); sleep 0.3
shot 03-menu-corner
same_picture "cursor in the corner" 03-menu-corner menu-corner.bmp

# Alt+Enter: a window of the largest whole multiple that leaves a tenth of the screen free,
# centred, and the picture follows it; then full screen again.
mouse 20 440
xdotool key alt+Return; sleep 0.8
k=1
while [ $((640 * (k + 1))) -le $((width * 9 / 10)) ] && [ $((480 * (k + 1))) -le $((height * 9 / 10)) ]; do
    k=$((k + 1))
done
wx=$(((width - 640 * k) / 2))
wy=$(((height - 480 * k) / 2))
xdotool mousemove $((wx + 20 * k + k - 1)) $((wy + 440 * k + k - 1)); sleep 0.3
shot 04-windowed
same_picture "Alt+Enter, windowed" 04-windowed menu.bmp "$k" "$wx" "$wy"
xdotool key alt+Return; sleep 0.8
mouse 20 440
shot 04-fullscreen-again
same_picture "Alt+Enter, full screen again" 04-fullscreen-again menu.bmp

# The cursor sprite follows the mouse: its centre is 25, 25 from where the mouse is.
mouse 40 300
shot 04-cursor
check "cursor sprite" 04-cursor cursor.bmp 25 25 65 325

mouse 300 100          # hot spot (325, 125): the new-game button
xdotool click 1; sleep 0.6
mouse 300 200
shot 05-game
# The tree layer, drawn over every bird, so that no bird flying past can hide it.
check "tree layer" 05-game baum.bmp 170 100 396 178
check "tree layer" 05-game baum.bmp 180 350 406 428
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

expect_game_end "$gamepid"
gamepid=""
# The path the screenshots went through: SDL's renderer exactly when it was asked for.
path="window surface"
[ -n "${SDL_RENDER_DRIVER:-}" ] && path=renderer
grep -q "first frame shown .* ($path)" "$work/game.err" && verdict ok "the picture went through the $path" ||
    verdict fail "the picture did not go through the $path"
[ -s "$work/game.err" ] && { echo "-- the game said:"; cat "$work/game.err"; }
grep -c . "$work/high.dat" > /dev/null 2>&1 && verdict ok "high.dat written" || verdict fail "no high.dat"

# Alt+F4 closes the game at once, from the logo, with 0 like the quit button.
SDL_AUDIODRIVER=dummy "$game" > /dev/null 2>&1 &
gamepid=$!
for _ in $(seq 100); do xdotool search --name '^Sidescroller$' > /dev/null 2>&1 && break; sleep 0.1; done
sleep 1
xdotool key alt+F4
expect_game_end "$gamepid" "the game closed by Alt+F4"
gamepid=""
echo "screenshots: $shots"
rm -rf "$work"
[ "$failures" -eq 0 ]
