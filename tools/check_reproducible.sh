#!/usr/bin/env bash
# Builds the release of one commit twice, at once, in different folders, started at different
# times, with a different time zone and umask, and compares every artefact byte for byte;
# diffoscope, where installed, says what differs:
#   tools/check_reproducible.sh [FOLDER]     (default: build-release/; a/ and b/ inside)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=$(realpath -m "${1:-$root/build-release}")
rm -rf "$folder"
mkdir -p "$folder"
started=$(date +%s)
# Both builds of the one commit, even if another is made meanwhile.
export COMMIT
COMMIT=$(git -C "$root" rev-parse "${COMMIT:-HEAD}^{commit}")
# The two builds run at once: each spends much of its time in one-core steps (configuring,
# linking the page, packing and compressing), which the other fills.
bash "$root/tools/release.sh" "$folder/a" > "$folder/a.log" 2>&1 &
first=$!
sleep 2   # at least a second apart, whatever the machine's speed: times must not leak
(umask 077 && TZ=Pacific/Kiritimati bash "$root/tools/release.sh" "$folder/b") > "$folder/b.log" 2>&1 &
second=$!
wait "$first" || { cat "$folder/a.log"; exit 1; }
wait "$second" || { cat "$folder/b.log"; exit 1; }
cat "$folder/b.log"
failures=0
if ! diff <(ls "$folder/a") <(ls "$folder/b"); then
    echo "FAIL the two releases hold different files" >&2
    failures=1
fi
for file in "$folder"/a/*; do
    name=$(basename "$file")
    if cmp -s "$file" "$folder/b/$name"; then
        echo "ok   $name: the same bytes in both builds"
    else
        echo "FAIL $name differs between the builds" >&2
        failures=$((failures + 1))
        if command -v diffoscope > /dev/null; then
            diffoscope --no-progress "$file" "$folder/b/$name" | head -200 || true
        else
            cmp "$file" "$folder/b/$name" | head -5 || true
        fi
    fi
done
echo "two releases built and compared in $(( $(date +%s) - started )) s"
[ "$failures" -eq 0 ]
