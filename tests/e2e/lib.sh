# Shared by the end-to-end scripts: verdicts, and the wait for the game's end.
failures=0
pass() { echo "ok   $*"; }
fail() {
    echo "FAIL $*"
    failures=$((failures + 1))
}

# expect_game_end PID [NAME]: after its last key the game must end by itself, within ten
# seconds, with 0; one that does not is stopped.
expect_game_end() {
    local pid=$1 name=${2:-the game} status=0
    for _ in $(seq 100); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2> /dev/null; then
        fail "$name did not end after the credits"
        kill "$pid" 2> /dev/null || true
    fi
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] && pass "$name ended with 0" || fail "$name ended with $status"
}

# start_xvfb SIZE LOG: a screen of SIZE (640x480) on a display no one else uses, which Xvfb
# picks and names once it is ready; sets DISPLAY, and xvfb to the server's process.
start_xvfb() {
    local named
    named=$(mktemp)
    Xvfb -displayfd 1 -screen 0 "$1x24" -nolisten tcp > "$named" 2> "$2" &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$named" ] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$named")
    rm -f "$named"
}
