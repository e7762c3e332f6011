#!/bin/sh
# Renders the README screenshots with the replay tool from the committed assets.
# Usage: tools/screenshots/take.sh BUILD_DIR   (run from the repository root)
set -eu
build="$1"
root="$(pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
ln -s "$root/data" "$work/data"
ln -s "$root/font.des" "$work/font.des"
# high.dat stores each name byte complemented and the score as 255 minus the score.
printf '%s\n' "JONAS 640" "MAREIKE 590" "TOBIAS 520" "HANNA 480" "PAUL 410" \
    "KARINA 350" "ANNA 290" "NIKLAS 230" "SABINE 150" "DENNIS 90" |
while read -r name score; do
    padded=$(printf '%-10s' "$name" | tr ' ' '\000' | od -An -v -tu1)
    for byte in $padded; do printf "\\$(printf '%03o' $((255 - byte)))"; done
    printf ' %d\n' $((255 - score))
done > "$work/high.dat"
cd "$work"
"$build/sidescroller-replay" "$root/tools/screenshots/menu.txt" > /dev/null
rm -f high.dat
"$build/sidescroller-replay" "$root/tools/screenshots/game.txt" > /dev/null
mkdir -p "$root/docs/screenshots"
for shot in *.bmp; do
    convert "$shot" -strip "$root/docs/screenshots/${shot%.bmp}.png"
done
