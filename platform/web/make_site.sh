#!/usr/bin/env bash
# Lays out the web site beside the built script and .wasm: the page, the game's files, the
# Liberation Sans face and data/tavok.mp3, the music rendered from data/tavok.mid with
# FluidSynth and the General MIDI soundfont the native game plays it with, then a list of
# every file the page loads, with its size, for the page's progress.
# The page carries the version the board's server compares and names its recordings by (the
# release and the fingerprint in FINGERPRINT, a header made by server/cmake/fingerprint.cmake).
# make_site.sh SOURCE SITE BUILD VERSION FINGERPRINT
set -euo pipefail
src=$1 site=$2 build=$3 version=$4
fingerprint=$(sed -n 's/^#define SERVER_FINGERPRINT "\([0-9a-f]*\)"$/\1/p' "$5")
[ -n "$fingerprint" ] || { echo "make_site: no fingerprint in $5" >&2; exit 1; }
mkdir -p "$site/data" "$site/fonts"
sed -e "s/@VERSION@/$version/g" -e "s/@REPLAY_VERSION@/$version+$fingerprint/g" \
    "$src/platform/web/index.html" > "$site/index.html"
cp "$src/platform/web/page.js" "$src/platform/web/storage.js" "$src/platform/web/online.js" \
    "$src/platform/web/watch.js" "$site/"
cp "$src/font.des" "$site/"
# No board until the publisher names one here (docs/web.md); the file is there so that the
# page's question for it is never an error.
printf '{"server": ""}\n' > "$site/leaderboard.json"
cp "$src"/data/*.bmp "$src"/data/*.wav "$src"/data/*.mid "$site/data/"
cp /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf "$site/fonts/"

# Rendered once per change of the MIDI file.
mp3=$build/tavok.mp3
if [ ! -s "$mp3" ] || [ "$src/data/tavok.mid" -nt "$mp3" ]; then
    soundfont=
    for f in /usr/share/sounds/sf3/default-GM.sf3 /usr/share/sounds/sf2/default-GM.sf2 \
        /usr/share/sounds/sf2/TimGM6mb.sf2; do
        if [ -r "$f" ]; then soundfont=$f; break; fi
    done
    [ -n "$soundfont" ] || { echo "make_site: no General MIDI soundfont" >&2; exit 1; }
    fluidsynth -q -ni -g 0.6 -r 44100 -F "$build/tavok.wav" "$soundfont" "$src/data/tavok.mid" \
        > /dev/null
    lame --quiet -V 6 "$build/tavok.wav" "$mp3"
    rm -f "$build/tavok.wav"
fi
cp "$mp3" "$site/data/tavok.mp3"

cd "$site"
{
    echo '['
    first=1
    for f in sidescroller.wasm font.des fonts/*.ttf data/*; do
        [ $first = 1 ] || echo ','
        first=0
        printf '  {"name": "%s", "size": %d}' "$f" "$(stat -c %s "$f")"
    done
    echo
    echo ']'
} > files.json
bash "$src/platform/web/make_offline.sh" "$src" "$site"
