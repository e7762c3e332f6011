#!/usr/bin/env bash
# One game, one replay: the real game under Xvfb, played with xdotool and recorded with
# --record (name, menu, a game with many shots across the screen, reloads, scrolling,
# Escape, high scores, credits, quit), is replayed headlessly in a fresh folder. Both must
# leave the same high.dat byte for byte, the score must not be zero, and the real screen
# photographed at the end of the game and on the high-score screen must equal the replay's
# screenshots at the same frames, pixel for pixel (the screen is 640 x 480, so there is no
# scaling to allow for). The game plays online too, for a local sidescroller-server: it must
# print its rank, and the board must hold the game with the score the player saw. Before it,
# a game whose board never answers must play offline within two seconds and say so. The
# pictures and the recording stay in OUT (default build/e2e-record) for CI to keep.
#   bash tests/e2e/record_replay.sh BUILD_DIR [OUT]
set -euo pipefail
build=$(realpath "$1")
root=$(realpath "$(dirname "$0")/../..")
out=$(realpath -m "${2:-$root/build/e2e-record}")
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
mkdir "$work/real" "$work/replay" "$work/check"
for dir in real replay check; do
    ln -s "$root/data" "$work/$dir/data"
    ln -s "$root/font.des" "$work/$dir/font.des"
done

source "$(dirname "$(realpath "$0")")/lib.sh"
start_xvfb 640x480 "$work/xvfb.log"
gamepid=""
serverpid=""
silentpid=""
cleanup() {
    [ -n "$gamepid" ] && kill -CONT "$gamepid" 2> /dev/null && kill "$gamepid" 2> /dev/null
    [ -n "$serverpid" ] && kill "$serverpid" 2> /dev/null
    [ -n "$silentpid" ] && kill "$silentpid" 2> /dev/null
    kill "$xvfb" 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

window_shown() {
    for _ in $(seq 100); do xdotool search --name '^Sidescroller$' > /dev/null 2>&1 && return; sleep 0.1; done
}

# A board that takes the connection and never answers: the game must not wait for it. The
# listener times the game's word from its connection, which leaves out the program's start.
said="did not answer within two seconds; playing offline"
python3 -c '
import socket, sys, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen()
print(s.getsockname()[1], flush=True)
s.settimeout(20)
connection = s.accept()
start = time.monotonic()
while time.monotonic() < start + 10:
    with open(sys.argv[1], errors="replace") as err:
        if sys.argv[2] in err.read():
            break
    time.sleep(0.02)
print(round((time.monotonic() - start) * 1000), flush=True)' "$work/offline.err" "$said" > "$work/silent.out" &
silentpid=$!
for _ in $(seq 50); do [ -s "$work/silent.out" ] && break; sleep 0.1; done
cd "$work/check"
SDL_AUDIODRIVER=dummy "$build/sidescroller" --online "http://127.0.0.1:$(head -n 1 "$work/silent.out")" \
    > /dev/null 2> "$work/offline.err" &
gamepid=$!
wait "$silentpid" || true
silentpid=""
after=$(sed -n 2p "$work/silent.out")
window_shown
xdotool search --name '^Sidescroller$' > /dev/null 2>&1 && shown=yes || shown=no
kill "$gamepid"
wait "$gamepid" || true
gamepid=""
grep -q "$said" "$work/offline.err" && [ -n "$after" ] && [ "$after" -lt 3000 ] && [ $shown = yes ] &&
    pass "a board that never answers: the game said so after $after ms and played offline" ||
    fail "a board that never answers: after ${after:-no} ms, window shown: $shown; the game said: $(cat "$work/offline.err")"

# The board, on a free port, with its database in the work folder.
"$build/sidescroller-server" --listen 127.0.0.1:0 --database "sqlite:$work/scores.sqlite" \
    --game-folder "$root" > "$work/server.out" 2> "$work/server.err" &
serverpid=$!
for _ in $(seq 50); do grep -q listening "$work/server.out" && break; sleep 0.1; done
board=$(grep -o 'http://[0-9.:]*' "$work/server.out")

cd "$work/real"
SDL_AUDIODRIVER=dummy "$build/sidescroller" --record "$work/real/play.txt" --online "$board" \
    > "$work/game.out" 2> "$work/game.err" &
gamepid=$!
window_shown
sleep 1

mouse() {
    xdotool mousemove "$1" "$2"
    sleep 0.1
}

# Asks the game to stop itself after its next frame and takes the real screen while that
# frame is shown; the recording then names the frame in a screenshot line. The game stays
# stopped until resume.
photos=0
photo() {
    photos=$((photos + 1))
    kill -USR1 "$gamepid"
    local state=""
    for _ in $(seq 100); do
        state=$(awk '{print $3}' "/proc/$gamepid/stat")
        [ "$state" = T ] && break
        sleep 0.05
    done
    [ "$state" = T ] || { fail "the game did not stop for photo $photos"; return; }
    sleep 0.3 # the X server draws what the game sent before it stopped
    import -window root "$out/real-$photos.png"
    cp "$work/real/play.txt" "$work/check/play-$photos.txt"
}
resume() { kill -CONT "$gamepid"; }

# The replay of the recording up to the last photo: prints the score, the shots left and
# where to put the mouse to hit a bird five frames on, about when the shot follows the mouse
# (or nothing when none is in view).
look() {
    cp "$work/check/play-$photos.txt" "$work/check/play.txt"
    echo dump >> "$work/check/play.txt"
    (cd "$work/check" && rm -f high.dat && "$build/sidescroller-replay" play.txt) |
        tail -n 1 | python3 -c '
import json, sys
d = json.load(sys.stdin)
aim = ""
for size, birds in ((100, d["bigBirds"]), (50, d["smallBirds"])):
    for b in birds:
        x = b["x"] + size // 2 + 5 * b["dx"] - d["scrollX"]
        y = b["y"] + size * 6 // 10 + 5 * b["dy"]
        if b["active"] and not b["falling"] and 40 <= x <= 600 and 40 <= y <= 440 and not aim:
            aim = "%d %d" % (x - 25, y - 25)
print(d["score"], d["shotsLeft"], aim)'
}

xdotool key a
sleep 0.4
xdotool type --delay 100 TESTER
xdotool key Return
sleep 0.4
mouse 300 100 # hot spot (325, 125): the new-game button
xdotool click 1
sleep 0.5

# Three magazines of eight shots across the screen, each reloaded, scrolling between.
for magazine in 0 1 2; do
    for i in 0 1 2 3 4 5 6 7; do
        mouse $((40 + 70 * i)) $((30 + (50 * i + 90 * magazine) % 380))
        xdotool click 1
        sleep 0.08
    done
    xdotool click 3
    sleep 0.2
    if [ "$magazine" -eq 1 ]; then
        # With the arrow key held, then against the right edge, and back.
        xdotool keydown Right
        sleep 0.8
        xdotool keyup Right
        mouse 639 200
        sleep 0.6
        mouse 0 200
        sleep 0.3
    fi
done
# Then aimed shots, at where the replay says a bird is, until the score is above 0, so that
# it goes into the table.
score=0
for round in $(seq 20); do
    photo
    read -r score shots aim <<< "$(look)"
    echo "     photo $photos: score $score, $shots shots left, aim at '$aim'"
    resume
    [ "$score" -gt 0 ] && break
    [ "$shots" = 0 ] && { xdotool click 3; sleep 0.1; }
    # A shot goes where the last frame saw the mouse, so the mouse moves first.
    [ -n "$aim" ] && { mouse $aim; xdotool click 1; sleep 0.1; } || sleep 0.5
done
[ "$score" -gt 0 ] && pass "the game scored $score" || fail "score $score"
end_of_game=$photos

xdotool key Escape
sleep 0.5
mouse 300 350 # hot spot (325, 375): the high-score button
xdotool click 1
sleep 0.5
photo
resume
xdotool key space
sleep 0.4
mouse 300 170 # hot spot (325, 195): the quit button
xdotool click 1
sleep 0.5
xdotool key space
sleep 0.4
xdotool key space

expect_game_end "$gamepid"
gamepid=""
[ -s "$work/game.err" ] && { echo "-- the game said:"; cat "$work/game.err"; }
# The board's entry of the game: what the player saw, ranked.
line=$(cat "$work/game.out")
if [[ "$line" =~ ^sidescroller:\ rank\ 1\ of\ 1\ today\ at\ $board/games/([0-9]+)$ ]]; then
    pass "the game printed its rank: $line"
    entered=$(python3 -c 'import json, sys, urllib.request
print(json.load(urllib.request.urlopen(sys.argv[1]))["score"])' "$board/api/v1/games/${BASH_REMATCH[1]}")
    [ "$entered" = "$score" ] && pass "the board entered the game with the score $score" ||
        fail "the board entered the score $entered, the player saw $score"
else
    fail "the game printed '$line' for its rank"
fi
cp "$work/real/play.txt" "$out/play.txt"
echo "     recorded $(grep -c . "$out/play.txt") lines, $(grep -c '^click' "$out/play.txt") clicks"

# The whole recording, replayed in a folder of its own.
cp "$work/real/play.txt" "$work/replay/play.txt"
(cd "$work/replay" && "$build/sidescroller-replay" play.txt > /dev/null) && pass "the replay ended with 0" ||
    fail "the replay ended with $?"
if [ -s "$work/real/high.dat" ] && cmp "$work/real/high.dat" "$work/replay/high.dat"; then
    pass "high.dat of the game and of the replay are the same"
else
    fail "high.dat differs (or is missing)"
fi
# The best score is written as 255 minus the score after the name.
best=$((255 - $(head -n 1 "$work/replay/high.dat" | awk '{print $NF}')))
[ "$best" -eq "$score" ] && pass "high.dat holds the score $best" || fail "high.dat's best is $best"
for n in $(seq "$photos"); do
    cp "$work/replay/photo-$n.bmp" "$out/replay-$n.bmp" 2> /dev/null || true
    differ=$(compare -metric AE "$out/real-$n.png" "$out/replay-$n.bmp" null: 2>&1 || true)
    what=$([ "$n" -eq "$end_of_game" ] && echo "the end of the game" || echo "photo $n")
    [ "$differ" = 0 ] && pass "$what: the real screen and the replay agree" ||
        fail "$what: $differ pixels differ between the real screen and the replay"
done
echo "pictures and recording: $out"
[ "$failures" -eq 0 ]
