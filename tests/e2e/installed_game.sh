#!/usr/bin/env bash
# The game as a player gets it: installed with `cmake --install` into a temporary prefix (and,
# as root where the package is not installed yet, as the .deb through apt, removed again
# afterwards, with the leaderboard server's package beside it, started once and purged), its
# menu entry and metadata validated, then played under Xvfb from an empty folder with a
# fresh home. The scores must be kept in the player's data folder and read
# again by the next run; nothing may be written into the working folder or the installation.
#   bash tests/e2e/installed_game.sh BUILD_FOLDER
set -euo pipefail
build=$(realpath "$1")
work=$(mktemp -d)
failures=0
xvfb=""
gamepid=""
package_installed=""
server_installed=""
cleanup() {
    [ -n "$gamepid" ] && kill "$gamepid" 2> /dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2> /dev/null || true
    [ -n "$package_installed" ] && apt-get remove -y -qq sidescroller > /dev/null || true
    [ -n "$server_installed" ] && apt-get purge -y -qq sidescroller-server > /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$(realpath "$0")")/lib.sh"
ok() { pass "$1"; }
expect() {  # expect DESCRIPTION COMMAND...: what the command says is shown when it fails
    local what=$1
    shift
    if "$@" > "$work/said" 2>&1; then
        ok "$what"
    else
        fail "$what"
        cat "$work/said"
    fi
}

# Every file under the folders with its size and time, to see that nothing changed.
snapshot() { find "$@" -printf '%p %s %T@\n' | sort; }

# A high-score file as the game writes it: one named entry, then nine empty ones.
write_scores() {  # FILE NAME SCORE
    local file=$1 name=$2 score=$3 i code
    {
        for ((i = 0; i < 10; i++)); do
            code=255
            [ "$i" -lt "${#name}" ] && code=$((255 - $(printf '%d' "'${name:i:1}")))
            printf "\\$(printf '%03o' "$code")"
        done
        printf ' %d\n' $((255 - score))
        for ((i = 0; i < 9; i++)); do printf '\377\377\377\377\377\377\377\377\377\377 255\n'; done
    } > "$file"
}

start_xvfb 640x480 "$work/xvfb.log"

# One short session: logo, name, a game with two shots, Escape (the score is saved), then
# quit through the credits. The screen is the game's own size, so no scaling.
play() {  # PROGRAM SCORE_FILE HOME [XDG_DATA_HOME]
    local program=$1 scores=$2 home=$3 data=${4:-}
    mkdir -p "$home" "$work/cwd"
    touch "$work/started"
    (
        cd "$work/cwd"
        env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME="$home" \
            ${data:+XDG_DATA_HOME="$data"} SDL_AUDIODRIVER=dummy "$program"
    ) > "$work/game.out" 2> "$work/game.err" &
    gamepid=$!
    for _ in $(seq 100); do xdotool search --name '^Sidescroller$' > /dev/null 2>&1 && break; sleep 0.1; done
    sleep 1.5
    xdotool key a; sleep 0.5
    xdotool type --delay 120 PLAYER; sleep 0.3
    xdotool key Return; sleep 0.5
    xdotool mousemove 300 100; sleep 0.3   # hot spot on the new-game button
    xdotool click 1; sleep 0.6
    for x in 200 320; do xdotool mousemove "$x" 150; sleep 0.2; xdotool click 1; sleep 0.2; done
    xdotool key Escape
    for _ in $(seq 100); do [ "$scores" -nt "$work/started" ] && break; sleep 0.1; done
    sleep 0.3
    xdotool mousemove 300 170; sleep 0.3   # the quit button
    xdotool click 1; sleep 0.6
    xdotool key space; sleep 0.5
    xdotool key space
    expect_game_end "$gamepid" "$program"
    gamepid=""
    [ -s "$work/game.err" ] && { echo "-- the game said:"; cat "$work/game.err"; }
    expect "nothing written into the working folder" [ -z "$(ls -A "$work/cwd")" ]
    rm -rf "$work/cwd"
}

# PROGRAM GAME_FILES: two runs, with the default data folder and with XDG_DATA_HOME.
check_installed() {
    local program=$1 files=$2
    local before
    before=$(snapshot "$files" "$program")

    local home=$work/home-$RANDOM
    local kept=$home/.local/share/sidescroller
    play "$program" "$kept/high.dat" "$home"
    expect "high.dat in the player's data folder" [ "$(grep -c '' "$kept/high.dat" 2> /dev/null)" = 10 ]
    expect "log.txt in the player's data folder" [ -f "$kept/log.txt" ]

    # The next run reads the scores kept before and saves them again.
    local data=$work/data-$RANDOM
    mkdir -p "$data/sidescroller"
    write_scores "$data/sidescroller/high.dat" EARLIER 500
    cp "$data/sidescroller/high.dat" "$work/expected.dat"
    touch -d '2000-01-01' "$data/sidescroller/high.dat"
    rm -rf "$kept"
    play "$program" "$data/sidescroller/high.dat" "$home" "$data"
    expect "the kept score was read and saved again" cmp -s "$data/sidescroller/high.dat" "$work/expected.dat"
    expect "saved by this run" [ "$data/sidescroller/high.dat" -nt "$work/expected.dat" ]
    expect "XDG_DATA_HOME is used instead of ~/.local/share" [ ! -e "$kept" ]

    expect "nothing written into the installation" [ "$before" = "$(snapshot "$files" "$program")" ]
}

echo "== cmake --install into a temporary prefix"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > /dev/null
app_id=$(basename "$prefix"/share/applications/*.desktop .desktop)
expect "desktop entry valid" desktop-file-validate "$prefix/share/applications/$app_id.desktop"
expect "AppStream metadata valid" appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml"
expect "AppStream tree valid" appstreamcli validate-tree --no-net "$prefix"
expect "icons installed" test -f "$prefix/share/icons/hicolor/48x48/apps/sidescroller.png" \
    -a -f "$prefix/share/icons/hicolor/scalable/apps/sidescroller.svg"
check_installed "$prefix/bin/sidescroller" "$prefix/share/sidescroller"

if [ "$(id -u)" -eq 0 ] && ! dpkg-query -W -f='${Status}' sidescroller 2> /dev/null | grep -q installed; then
    echo "== the Debian package"
    (cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB > cpack.log) || { cat "$work/cpack.log"; exit 1; }
    deb=$(echo "$work"/sidescroller_*.deb)
    # The server's package, made by the same run where the build has the server.
    server_deb=$(compgen -G "$work/sidescroller-server_*.deb" || true)
    expect "lintian finds no errors" lintian --fail-on error "$deb" $server_deb
    expect "the package depends on SDL" sh -c "dpkg-deb -f '$deb' Depends | grep -q libsdl2"
    apt-get install -y -qq "$deb" > "$work/apt.log" 2>&1 || { cat "$work/apt.log"; exit 1; }
    package_installed=yes
    expect "the menu entry installed" test -f "/usr/share/applications/$app_id.desktop"
    check_installed /usr/games/sidescroller /usr/share/sidescroller
    apt-get remove -y -qq sidescroller > /dev/null
    package_installed=""
    expect "the package is removed again" test ! -e /usr/games/sidescroller
    if [ -n "$server_deb" ]; then
        apt-get install -y -qq "$server_deb" > "$work/apt.log" 2>&1 || { cat "$work/apt.log"; exit 1; }
        server_installed=yes
        expect "the server's unit and defaults installed" \
            test -f /lib/systemd/system/sidescroller-server.service -a -f /etc/default/sidescroller-server
        # As the unit starts it, but as an unprivileged user without new privileges: it must
        # load its own copy of the game's files and answer.
        chmod o+x "$work"
        mkdir "$work/state" && chown nobody "$work/state"
        (cd "$work/state" && exec setpriv --reuid=nobody --regid=nogroup --clear-groups --no-new-privs \
            /usr/bin/sidescroller-server --game-folder /usr/share/sidescroller-server \
            --listen 127.0.0.1:0 > "$work/server.out" 2>&1) &
        serverpid=$!
        for _ in $(seq 100); do grep -q listening "$work/server.out" && break; sleep 0.1; done
        url=$(grep -o 'http://[0-9.:]*' "$work/server.out" || true)
        expect "the installed server answers" python3 -c \
            'import sys, urllib.request; urllib.request.urlopen(sys.argv[1] + "/healthz")' "$url"
        kill "$serverpid" 2> /dev/null || true
        wait "$serverpid" || true
        apt-get purge -y -qq sidescroller-server > /dev/null
        server_installed=""
        expect "the server's package is purged" \
            test ! -e /usr/bin/sidescroller-server -a ! -e /etc/default/sidescroller-server
    fi
fi
[ "$failures" -eq 0 ]
