#!/usr/bin/env bash
# Figures of the web game, side by side in one run: what the page loads, compressed as a
# static host serves it (gzip -9), and how it divides; what ASYNCIFY adds to the .wasm (a
# second build without it, made only to be measured: it cannot run); navigation to the first
# drawn logo and the CPU of all of headless Chromium's processes during a game at 640 x 480
# and on a page that shows frames with no game (bench/web_figures.py), then the native game's
# CPU in the same run (bench/cpu_use.sh). With BEFORE_SITE (a site of another build, e.g. the
# page as it was), games of the two alternate in a page of 1280 x 900, where the picture is
# scaled.
#   bash bench/web_figures.sh [BUILD] [WEB_BUILD] [RUNS] [BEFORE_SITE]
set -euo pipefail
root=$(realpath "$(dirname "$0")/..")
build=$(realpath "${1:-$root/build}")
web=$(realpath -m "${2:-$root/build-web}")
runs=${3:-5}
before=${4:+$(realpath "$4")}
export NODE_PATH=/usr/share/nodejs

mkdir -p "$web" "$web-no-asyncify"
emcmake cmake -S "$root" -B "$web" > "$web/configure.log"
cmake --build "$web" -j2 > /dev/null
emcmake cmake -S "$root" -B "$web-no-asyncify" -DSIDESCROLLER_WEB_ASYNCIFY=OFF \
    > "$web-no-asyncify/configure.log"
cmake --build "$web-no-asyncify" -j2 --target sidescroller > /dev/null

site=$web/site
gz() { gzip -9 -c "$1" | wc -c; }
sum() { local t=0 f; for f in "$@"; do t=$((t + $(gz "$f"))); done; echo $t; }
kb() { awk -v b="$1" 'BEGIN { printf "%.0f KB", b / 1024 }'; }
code=$(sum "$site"/sidescroller.wasm "$site"/sidescroller.js "$site"/page.js "$site"/index.html \
    "$site"/files.json)
pictures=$(sum "$site"/data/*.bmp)
music=$(sum "$site"/data/tavok.mp3 "$site"/data/tavok.mid)
effects=$(sum "$site"/data/*.wav)
text=$(sum "$site"/fonts/*.ttf "$site"/font.des)
total=$((code + pictures + music + effects + text))
echo "what the page loads, gzip -9: $(kb $total) ($total bytes): code $(kb $code)," \
    "pictures $(kb $pictures), music $(kb $music), effects $(kb $effects), fonts $(kb $text)"
with=$(stat -c %s "$site/sidescroller.wasm")
without=$(stat -c %s "$web-no-asyncify/site/sidescroller.wasm")
echo "sidescroller.wasm: $with bytes with ASYNCIFY, $without without" \
    "(+$(( (with - without) * 100 / without )) %); gzip $(gz "$site/sidescroller.wasm")" \
    "and $(gz "$web-no-asyncify/site/sidescroller.wasm")"

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
# The site and, beside it, the page that shows frames with no game (the floor).
www=$(mktemp -d)
ln -s "$site" "$www/game"
cp "$root/bench/web_floor.html" "$www/"
[ -n "$before" ] && ln -s "$before" "$www/before"
python3 -m http.server --bind 127.0.0.1 --directory "$www" "$port" > /dev/null 2>&1 &
server=$!
trap 'kill $server 2> /dev/null || true; rm -rf "$www"' EXIT
sleep 1
/usr/bin/python3 "$root/bench/web_figures.py" "http://127.0.0.1:$port/game/" "$runs" \
    "http://127.0.0.1:$port/web_floor.html" ${before:+"http://127.0.0.1:$port/before/"}
kill $server
echo "the native game in the same run:"
bash "$root/bench/cpu_use.sh" "$build/sidescroller" 640x480 1
