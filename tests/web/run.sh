#!/usr/bin/env bash
# The web game in a real browser: builds build-web/site with Emscripten, serves it on
# 127.0.0.1 from a sub-path, and plays it in headless Chromium through Selenium with real
# DOM input (tests/web/browser_test.py): the logo, name and menu screens against the
# headless replay's (the name corrected with Backspace, a zoom key typing nothing), a game
# the browser has no room to keep, the high-score screen, the browser's recording replayed
# headlessly to the same high.dat, no control on the picture in a small window, a second
# game kept and found after a reload, a stored table that is a folder replaced, and a
# missing or broken picture named on the page; a recording watched to the end with ?watch=
# (tests/web/watch_test.py); then a game in headless Firefox and the same recording watched
# there (tests/web/firefox_test.py), the touch and phone checks (tests/web/touch_test.py), and the
# leaderboard (tests/web/board_test.py, on BUILD's sidescroller-server serving the site): its
# page with a name typed as markup, games played for it in Chromium and Firefox, and the game
# without it. Pictures, the recording and high.dat stay in OUT (default
# build-web/browser-test).
#   bash tests/web/run.sh [BUILD] [WEB_BUILD] [OUT]
#   WEB_PREBUILT=1 bash tests/web/run.sh ...   tests WEB_BUILD/site as it is, without building
set -euo pipefail
root=$(realpath "$(dirname "$0")/../..")
build=$(realpath "${1:-$root/build}")
web=$(realpath -m "${2:-$root/build-web}")
out=$(realpath -m "${3:-$web/browser-test}")
# Debian's emcc finds its JavaScript modules there, whichever node comes first on the PATH.
export NODE_PATH=/usr/share/nodejs

mkdir -p "$web"
# A site already built (CI unpacks the release's own) is tested as it is; else it is built.
if [ -z "${WEB_PREBUILT:-}" ]; then
    emcmake cmake -S "$root" -B "$web" -DSIDESCROLLER_WERROR=ON > "$web/configure.log" 2>&1 ||
        { cat "$web/configure.log"; exit 1; }
    cmake --build "$web" -j2
fi
[ -f "$web/site/index.html" ] || { echo "web: no site in $web/site" >&2; exit 1; }

work=$(mktemp -d)
server=""
cleanup() {
    [ -n "$server" ] && kill "$server" 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The headless replay's pictures of the same screens.
mkdir "$work/reference"
ln -s "$root/data" "$work/reference/data"
ln -s "$root/font.des" "$work/reference/font.des"
printf '%s\n' "frames 2" "screenshot logo.bmp" "key A" "frames 2" "key W" "key E" "key B" \
    "frames 2" "screenshot name.bmp" "move 20 440" "key RETURN" "frames 2" \
    "screenshot menu.bmp" > "$work/reference/screens.txt"
(cd "$work/reference" && "$build/sidescroller-replay" screens.txt > /dev/null)

# The site from a sub-path, and broken copies of it.
mkdir -p "$work/www/bad"
ln -s "$web/site" "$work/www/game"
cp -r "$web/site" "$work/www/bad/missing"
rm "$work/www/bad/missing/data/pelko.bmp"
cp -r "$web/site" "$work/www/bad/html"
printf '<!DOCTYPE html>\n<html><body><h1>Not here</h1></body></html>\n' \
    > "$work/www/bad/html/data/baum.bmp"
cp -r "$web/site" "$work/www/bad/nowasm"
rm "$work/www/bad/nowasm/sidescroller.wasm"

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$work/www" "$port" > "$work/http.log" 2>&1 &
server=$!
for _ in $(seq 50); do
    python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$port/game/')" \
        2> /dev/null && break
    sleep 0.1
done

rm -rf "$out"
/usr/bin/python3 "$root/tests/web/browser_test.py" "http://127.0.0.1:$port/game/" \
    "http://127.0.0.1:$port/bad/" "$build/sidescroller-replay" "$work/reference" "$out"
# A recording watched with ?watch= to the end at 4x (a bird shot two seconds into a game),
# and the same named as verified by another version.
mkdir "$work/www/watch"
cp "$root/tests/web/data/shot_bird.txt" "$work/www/watch/game.txt"
{ echo "# verified by sidescroller-server 0.9.0+000000000000"; cat "$work/www/watch/game.txt"; } \
    > "$work/www/watch/other.txt"
/usr/bin/python3 "$root/tests/web/watch_test.py" "http://127.0.0.1:$port/game/" \
    "http://127.0.0.1:$port/watch/" "$build/sidescroller-replay" "$work/reference" "$out/watch"
# The same game in Firefox, through its own remote protocol (tests/web/marionette.py), and
# the same recording watched there.
/usr/bin/python3 "$root/tests/web/firefox_test.py" "http://127.0.0.1:$port/game/" \
    "$build/sidescroller-replay" "$work/reference" "$out/firefox" \
    "http://127.0.0.1:$port/watch/game.txt"
# The same site on a phone: touch play, held upright, offline, updated, installable.
/usr/bin/python3 "$root/tests/web/touch_test.py" "$web/site" "$build/sidescroller-replay" \
    "$work/reference" "$out/touch"
# The leaderboard server's page (a name typed as "<B>X</B>" shows as text, never as markup),
# and the site playing for it.
/usr/bin/python3 "$root/tests/web/board_test.py" "$build/sidescroller-server" "$web/site"
