#!/usr/bin/env bash
# Makes the site installable and playable offline: the touch layer, the manifest and its
# icons beside the page, then sw.js, the service worker, with the list of every file of the
# site and its SHA-256, and a version made of them all, so that any change to the site
# gives a new sw.js; leaderboard.json is left out, as the publisher sets it after the build.
# Run last, on the finished site.
# make_offline.sh SOURCE SITE
set -euo pipefail
src=$1 site=$2
web=$src/platform/web
mkdir -p "$site/icons"
cp "$web/touch.js" "$web/touch.css" "$web/offline.js" "$web/manifest.webmanifest" "$site/"
for size in 192 512; do
    cp "$src/packaging/icons/hicolor/${size}x$size/apps/sidescroller.png" "$site/icons/$size.png"
done

cd "$site"
rm -f sw.js
list=$(find . -type f ! -name sw.js ! -name leaderboard.json -printf '%P\n' | LC_ALL=C sort | xargs -d '\n' sha256sum)
version=$(printf '%s\n' "$list" | sha256sum | cut -c1-16)
files=$(printf '%s\n' "$list" | awk 'BEGIN { printf "[" }
    { printf "%s\n  [\"%s\", \"%s\"]", (NR > 1 ? "," : ""), $2, $1 } END { printf "\n]" }')
awk -v version="$version" -v files="$files" \
    '{ gsub(/@VERSION@/, version); if ($0 ~ /@FILES@/) sub(/@FILES@/, files); print }' \
    "$web/sw.js.in" > sw.js
