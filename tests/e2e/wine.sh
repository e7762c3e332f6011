#!/usr/bin/env bash
# The Windows game under Wine, whose window system, DirectDraw and GDI nobody here wrote, on a
# screen of the display mode's own size, driven as a player would: logo, name, menu, the
# high-score table, a game with shots and a reload, Escape, the table again, the credits and
# the quit path. It checks the exit code and the "high.dat" written, and compares the screens
# that do not depend on the clock with the headless replay's pictures of the same screens.
# That game plays online, for a local sidescroller-server: it must print its rank, and the
# board, which replays it, must hold the game with the score the game saved.
# The game runs from the zip a player would be given, and needs no DLL Windows does not ship.
# Then the installer: the installed game, started from elsewhere, keeps its scores in the
# player's own folder and writes nothing where it is installed; the uninstaller removes it.
#   bash tests/e2e/wine.sh build-win build/sidescroller-replay build/tests/screen_diff \
#        build/sidescroller-server [SHOTS]
set -euo pipefail
zip=$(realpath "$(ls "$1"/Sidescroller-*-windows-x64.zip | head -1)")
installer=$(realpath "$(ls "$1"/Sidescroller-*-windows-x64.exe | head -1)")
replay=$(realpath "$2")
screen_diff=$(realpath "$3")
server=$(realpath "$4")
root=$(realpath "$(dirname "$0")/../..")
shots=$(realpath -m "${5:-$root/build-win/wine-screenshots}")
magick=/usr/bin/convert
rm -rf "$shots"
mkdir -p "$shots"
work=$(mktemp -d)

source "$(dirname "$(realpath "$0")")/lib.sh"
start_xvfb 640x480 "$work/xvfb.log"
trap 'kill $xvfb 2>/dev/null || true; [ -n "${gamepid:-}" ] && kill $gamepid 2>/dev/null || true
      [ -n "${serverpid:-}" ] && kill $serverpid 2>/dev/null || true
      wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT

# A prefix of its own, without the .NET and HTML engines Wine would offer to download.
export WINEPREFIX=${WINEPREFIX:-$work/prefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
wineboot -i > "$work/wineboot.log" 2>&1
wineserver -w

# Ten scores from 50 down to -40, so that a game of any score from -39 on enters the table.
table() {
    local names=(ANNA BERT CARL DORA EMIL FRED GRET HANS IRMA JENS) i
    for i in $(seq 0 9); do
        printf '%s' "${names[$i]}" | perl -pe 's/(.)/chr(255 - ord($1))/ge'
        printf '\377\377\377\377\377\377 %d\n' $(( 255 - (50 - 10 * i) ))
    done
}

mkdir -p "$work/unzipped"
(cd "$work/unzipped" && cmake -E tar xf "$zip")
game=$(echo "$work"/unzipped/*/)
for f in sidescroller.exe font.des "How to play.txt" LICENSE.txt data/side1.bmp data/tavok.mid; do
    [ -e "$game/$f" ] || fail "the zip holds no $f"
done
imports=$(x86_64-w64-mingw32-objdump -p "$game/sidescroller.exe" | sed -n 's/.*DLL Name: //p' | tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
unexpected=$(echo "$imports" | tr ' ' '\n' | grep -vxE 'KERNEL32.DLL|USER32.DLL|GDI32.DLL|DDRAW.DLL|WINMM.DLL|WINHTTP.DLL|MSVCRT.DLL|' || true)
[ -z "$unexpected" ] && echo "ok   imports only system DLLs: $imports" || fail "needs DLLs Windows does not ship: $unexpected"
table > "$game/high.dat"

shot() { import -window root "$shots/$1.png"; }
# Screens are shot once they have settled: two grabs in a row alike. The machine may be busy,
# so every step waits for what it is waiting for rather than for a fixed time.
grab() { import -window root "$1"; }
alike() { /usr/bin/compare -metric AE "$1" "$2" null: > /dev/null 2>&1; }
settle() {
    grab "$work/a.png"
    for _ in $(seq 60); do
        sleep 0.4
        grab "$work/b.png"
        alike "$work/a.png" "$work/b.png" && break
        cp "$work/b.png" "$work/a.png"
    done
    cp "$work/b.png" "$shots/$1.png"
}
# Runs the command, then waits until the screen is no longer the picture it showed before.
act() {
    grab "$work/before.png"
    "$@"
    for _ in $(seq 100); do
        sleep 0.1
        grab "$work/after.png"
        alike "$work/before.png" "$work/after.png" || return 0
    done
    fail "nothing changed on the screen after: $*"
}
# Moves the cursor and waits until the game has drawn it there (at most 3 s, for a place where
# it changes nothing): a click acts where the last frame saw the cursor, and on a busy machine
# a fixed pause let a click land where the cursor had been.
mouse() {
    grab "$work/before.png"
    xdotool mousemove "$1" "$2"
    for _ in $(seq 30); do
        sleep 0.1
        grab "$work/after.png"
        alike "$work/before.png" "$work/after.png" || break
    done
    sleep 0.1
}

# A picture that cannot be used is named in a message box, and the program ends with 1.
broken=$work/broken
cp -r "$game" "$broken"
rm "$broken/data"/side1.bmp
printf 'BM not a picture' > "$broken/data/side1.bmp"
(cd "$broken" && exec wine sidescroller.exe > "$work/broken.out" 2> "$work/broken.err") &
brokenpid=$!
# The game's window, then the message box over it, both of that title.
for _ in $(seq 300); do
    [ "$(xdotool search --name '^Sidescroller$' 2> /dev/null | wc -l)" -ge 2 ] && break
    sleep 0.1
done
sleep 1
shot failure-message
xdotool key Return
status=0
wait "$brokenpid" || status=$?
if [ "$status" -eq 1 ] && grep -q 'side1.bmp' "$work/broken.err"; then
    echo "ok   a broken picture: message box, exit code 1: $(grep 'side1' "$work/broken.err")"
else
    fail "a broken picture gave exit code $status: $(cat "$work/broken.err")"
fi

# The command line answers in a message box, as a window program must, and on the console;
# a wrong one gives the usage and 2, and the game does not start.
answer() {  # answer NAME ARGUMENT...: runs the game, waits for its box, shoots and closes it
    local name=$1 status=0 pid
    shift
    (cd "$game" && exec wine sidescroller.exe "$@" > "$work/$name.out" 2> "$work/$name.err") &
    pid=$!
    for _ in $(seq 300); do xdotool search --name '^Sidescroller$' > /dev/null 2>&1 && break; sleep 0.1; done
    sleep 1
    shot "$name"
    xdotool key Return
    wait "$pid" || status=$?
    echo "$status"
}
status=$(answer help-message --help)
if [ "$status" -eq 0 ] && grep -q '^Usage: sidescroller \[OPTION\]' "$work/help-message.out"; then
    pass "--help: the usage in a message box and on stdout, exit code 0"
else
    fail "--help gave exit code $status: $(cat "$work/help-message.out" "$work/help-message.err")"
fi
status=$(answer wrong-message --record play.txt)
if [ "$status" -eq 2 ] && grep -q "^sidescroller: unknown option '--record'" "$work/wrong-message.err" &&
    [ ! -e "$game/log.txt" ] && [ ! -e "$game/play.txt" ]; then
    pass "--record, which the Windows game cannot do: the usage, exit code 2, the game not started"
else
    fail "--record gave exit code $status: $(cat "$work/wrong-message.err")"
fi

# The board, on a free port, with its database in the work folder.
"$server" --listen 127.0.0.1:0 --database "sqlite:$work/scores.sqlite" --game-folder "$root" \
    > "$work/server.out" 2> "$work/server.err" &
serverpid=$!
for _ in $(seq 50); do grep -q listening "$work/server.out" && break; sleep 0.1; done
board=$(grep -o 'http://[0-9.:]*' "$work/server.out") || fail "the board did not start: $(cat "$work/server.err")"

cd "$game"
started=$(date +%s%N)
# Through start /wait, whose exit code is the game's as Windows reports it: Wine kills a
# process that ends by itself but is slow to let go of its Unix side (a busy machine), and
# the shell then sees 137 whatever the game returned. start hands the game no console, so
# cmd gives it its standard output and error, in files of the game's folder.
wine start /wait cmd /c "sidescroller.exe --online $board > online.out 2> online.err" \
    > "$work/game.out" 2> "$work/game.err" &
gamepid=$!
for _ in $(seq 200); do
    gameproc=$(pgrep -f '^([A-Za-z]:\\.*\\)?sidescroller\.exe( |$)' | head -1) && break
    sleep 0.1
done
for _ in $(seq 200); do xdotool search --name '^Sidescroller$' > /dev/null 2>&1 && break; sleep 0.1; done
# The first picture: the logo in the middle of a black screen.
for _ in $(seq 300); do
    [ "$(import -window root -format "%[fx:mean>0.05]" info: 2> /dev/null)" = 1 ] && break
    sleep 0.1
done
sleep 0.5

settle logo
act xdotool key a
act xdotool key w i n e
settle name
mouse 100 440
act xdotool key Return
settle menu
mouse 300 350          # hot spot (325, 375): the high-score button
act xdotool click 1
sleep 1                # the rows change colour as they fade in: not a still picture
shot highscores
act xdotool key space
mouse 300 100          # the new-game button
act xdotool click 1
for x in 40 120 200 280 360 440 520 580; do mouse "$x" 150; xdotool click 1; done
xdotool click 3; sleep 0.3       # the magazine is empty: reload
for x in 100 300 500; do mouse "$x" 250; xdotool click 1; done
shot game
act xdotool key Escape
mouse 300 350
act xdotool click 1
sleep 1
shot highscores-after
act xdotool key space
mouse 300 170          # hot spot (325, 195): the quit button
act xdotool click 1
settle credits1
act xdotool key space
settle credits2
# The game's loop waits for messages or the next frame instead of spinning: its thread uses
# well under half a core (Wine draws DirectDraw on threads of its own, not counted here).
read -r -a stat < "/proc/$gameproc/task/$gameproc/stat"
cpu_ms=$(( (stat[13] + stat[14]) * 1000 / $(getconf CLK_TCK) ))
wall_ms=$(( ($(date +%s%N) - started) / 1000000 ))
if [ $(( cpu_ms * 2 )) -lt "$wall_ms" ]; then
    echo "ok   the game used $cpu_ms ms of CPU in $wall_ms ms"
else
    fail "the game used $cpu_ms ms of CPU in $wall_ms ms: it spins"
fi
xdotool key space

expect_game_end "$gamepid"
gamepid=""

# The table: ten lines of ten name bytes, a space and a number; the typed name among them.
if [ "$(wc -l < high.dat)" -eq 10 ] && ! LC_ALL=C grep -qvE '^.{10} -?[0-9]+$' high.dat; then
    echo "ok   high.dat has ten lines in the file's format"
else
    fail "high.dat is not in the file's format"; od -c high.dat | head -20
fi
wine_row=$(printf 'WINE' | perl -pe 's/(.)/chr(255 - ord($1))/ge')
if LC_ALL=C grep -q "^$wine_row" high.dat; then
    echo "ok   high.dat holds the game of WINE: $(LC_ALL=C grep "^$wine_row" high.dat | cut -c12-) (255 minus the score)"
else
    fail "high.dat has no row for WINE"
fi

# The board's entry of the game, which it replayed: the name typed and the score saved.
line=$(tr -d '\r' < online.out)
if [[ "$line" =~ ^sidescroller:\ rank\ 1\ of\ 1\ today\ at\ $board/games/([0-9]+)$ ]]; then
    pass "the game played online and printed its rank: $line"
    saved=$((255 - $(LC_ALL=C grep "^$wine_row" high.dat | head -1 | awk '{print $NF}')))
    entered=$(python3 -c 'import json, sys, urllib.request
game = json.load(urllib.request.urlopen(sys.argv[1]))
print(game["name"], game["score"])' "$board/api/v1/games/${BASH_REMATCH[1]}")
    [ "$entered" = "WINE $saved" ] && pass "the board entered the game of WINE with the score $saved" ||
        fail "the board entered '$entered', the game saved WINE $saved"
    # The recording the board entered, replayed from the same table, leaves the table the
    # Windows game left, byte for byte.
    mkdir "$work/online"
    ln -s "$root/data" "$work/online/data"
    ln -s "$root/font.des" "$work/online/font.des"
    table > "$work/online/high.dat"
    python3 -c 'import sys, urllib.request
sys.stdout.buffer.write(urllib.request.urlopen(sys.argv[1]).read())' \
        "$board/api/v1/games/${BASH_REMATCH[1]}/recording" > "$work/online/play.txt"
    (cd "$work/online" && "$replay" play.txt > /dev/null) && cmp -s "$work/online/high.dat" high.dat &&
        pass "its recording replays headlessly to the high.dat the Windows game wrote" ||
        fail "its recording ($(grep -c '^at' "$work/online/play.txt") moments) replays to another high.dat"
else
    fail "the game printed '$line' for its rank: $(cat online.err)"
fi
kill "$serverpid"
serverpid=""

# The installed game, started from the player's own folder as a Start-menu entry may do.
wine "$installer" /S > /dev/null 2>&1
wineserver -w
drive=$WINEPREFIX/drive_c
installed="$drive/Program Files/Sidescroller"
scores="$drive/users/$(whoami)/AppData/Local/Sidescroller/high.dat"
[ -f "$installed/bin/sidescroller.exe" ] && [ -f "$installed/share/sidescroller/data/side1.bmp" ] &&
    ls "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Sidescroller/Sidescroller.lnk" \
        > /dev/null && echo "ok   installed, with a Start-menu entry" || fail "the installer did not install"
find "$installed" -type f | sort > "$work/installed-before"
# The player's folder holds a table already, so that the short game below enters it.
mkdir -p "$(dirname "$scores")"
table > "$scores"
mkdir -p "$work/elsewhere"
cd "$work/elsewhere"
# The first program of a fresh Wine server starts Wine's desktop, and does not wait for it
# for ever: on a loaded machine the installed game once found none and could not make its
# window ("cannot create the game window"), and the same run passed again at once. Such a
# start is tried once more; any other failure stands.
start_installed() {
    wine "C:\\Program Files\\Sidescroller\\bin\\sidescroller.exe" > /dev/null 2> "$work/installed.err" &
    gamepid=$!
    for _ in $(seq 300); do
        [ "$(import -window root -format "%[fx:mean>0.05]" info: 2> /dev/null)" = 1 ] && return 0
        kill -0 "$gamepid" 2> /dev/null || return 0
        sleep 0.1
    done
}
start_installed
if ! kill -0 "$gamepid" 2> /dev/null && grep -q "cannot create the game window" "$work/installed.err"; then
    echo "--   Wine's desktop was not ready for the installed game; starting it again"
    wait "$gamepid" || true
    start_installed
fi
settle installed-logo
act xdotool key a
act xdotool key i n s t
mouse 100 440
act xdotool key Return
mouse 300 100
act xdotool click 1
act xdotool key Escape
mouse 300 170
act xdotool click 1
act xdotool key space
xdotool key space
# The exit code is checked on the first run above: here Wine once reported the installed
# game's end as killed (137) although it had ended by itself, so this run checks that it
# ended and what it kept.
status=0
for _ in $(seq 100); do kill -0 "$gamepid" 2> /dev/null || break; sleep 0.1; done
kill -0 "$gamepid" 2> /dev/null && fail "the installed game did not end after the credits"
wait "$gamepid" || status=$?
gamepid=""
inst_row=$(printf 'INST' | perl -pe 's/(.)/chr(255 - ord($1))/ge')
if LC_ALL=C grep -q "^$inst_row" "$scores" 2> /dev/null; then
    pass "the installed game (exit code $status) kept its score in AppData\\Local\\Sidescroller"
else
    fail "the installed game ended with $status, scores: $(ls "$scores" 2>&1)"; cat "$work/installed.err"
fi
find "$installed" -type f | sort > "$work/installed-after"
cmp -s "$work/installed-before" "$work/installed-after" && [ -z "$(ls "$work/elsewhere")" ] &&
    echo "ok   nothing written where it is installed or where it was started" ||
    fail "the installed game wrote into $installed or $work/elsewhere"
wine "C:\\Program Files\\Sidescroller\\Uninstall.exe" /S > /dev/null 2>&1
wineserver -w
for _ in $(seq 50); do [ -e "$installed" ] || break; sleep 0.2; done
[ ! -e "$installed" ] && [ -f "$scores" ] && echo "ok   uninstalled; the scores stay" ||
    fail "the uninstaller left $installed"

# The same screens from the headless replay, in a folder with the same table.
ref=$work/replay
mkdir -p "$ref"
ln -s "$root/data" "$ref/data"
ln -s "$root/font.des" "$ref/font.des"
table > "$ref/high.dat"
cat > "$ref/screens.txt" << 'SCRIPT'
frames 3
screenshot logo.bmp
key A
frames 2
key W
key I
key N
key E
frames 2
screenshot name.bmp
move 100 440
key RETURN
frames 3
screenshot menu.bmp
move 300 350
frames 2
click left
frames 3
screenshot highscores.bmp
key SPACE
frames 2
move 300 170
frames 2
click left
frames 3
screenshot credits1.bmp
key SPACE
frames 3
screenshot credits2.bmp
SCRIPT
(cd "$ref" && "$replay" screens.txt > /dev/null)

# Bitmap lettering and pictures must agree exactly; the high-score rows are written by the
# system's own GDI in its own Arial, in colours that change from frame to frame, so there only
# the figure is reported.
echo "screen comparison with the headless replay (pixels that differ, at 16-bit precision):"
for screen in logo name menu highscores credits1 credits2; do
    "$magick" "$shots/$screen.png" "BMP3:$work/$screen-wine.bmp"
    result=$("$screen_diff" "$work/$screen-wine.bmp" "$ref/$screen.bmp" "$work/$screen-diff.bmp")
    "$magick" "$work/$screen-diff.bmp" "$shots/$screen-diff.png"
    "$magick" "$ref/$screen.bmp" "$shots/$screen-replay.png"
    echo "     $screen: $result"
    differ=${result%% *}
    if [ "$screen" != highscores ] && [ "$differ" -ne 0 ]; then
        fail "$screen differs from the replay's picture (see $shots/$screen-diff.png)"
    fi
done
cat "$work/game.err" "$game/online.err" > "$work/said"
[ -s "$work/said" ] && { echo "-- the game said:"; grep -v '^ALSA\|^ *$' "$work/said" || true; }
echo "screenshots: $shots"
[ "$failures" -eq 0 ]
