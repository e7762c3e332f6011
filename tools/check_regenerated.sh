#!/bin/sh
# Runs the generator twice into fresh folders and compares both runs with the committed
# files byte for byte: the committed assets must be exactly what the generator makes.
set -eu
generator="$1"
source_dir="$2"
work="$3"
rm -rf "$work"
mkdir -p "$work/a" "$work/b"
"$generator" "$work/a"
"$generator" "$work/b"
status=0
for file in $(cd "$work/a" && find . -type f | sort); do
    cmp "$work/a/$file" "$work/b/$file" || status=1
    committed="$source_dir/${file#./}"
    cmp "$work/a/$file" "$committed" || status=1
done
count=$(cd "$work/a" && find . -type f | wc -l)
if [ "$count" -lt 31 ]; then
    echo "generator wrote only $count files" >&2
    status=1
fi
exit $status
