#!/usr/bin/env bash
# What a 100 MB replay script costs sidescroller-replay: a recording-like script of about
# 8 million lines (the cursor moving at every line, the clock every thousand), played to its
# end, and the same with a bad last line, refused once every line before it is checked. For
# each: the peak memory (maximum resident set) and the time, from /usr/bin/time -v.
#   bash bench/long_script.sh build/sidescroller-replay [MEGABYTES]
set -euo pipefail
replay=$(realpath "$1")
megabytes=${2:-100}
root=$(realpath "$(dirname "$0")/..")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ln -s "$root/data" "$work/data"
ln -s "$root/font.des" "$work/font.des"
cd "$work"
python3 - "$megabytes" << 'PY'
import sys
limit = int(sys.argv[1]) * 1000 * 1000
with open("long.txt", "w") as f:
    f.write("# A play-through recorded with sidescroller --record; sidescroller-replay plays it.\n")
    f.write("seed 1\nstart 0\n")
    size, n, block = 0, 0, []
    while size < limit:
        if n % 1000 == 0:
            block.append("at %d\n" % (16 * (n // 1000 + 1)))
        block.append("move %d %d\n" % (n % 640, n % 480))
        n += 1
        if len(block) >= 10000:
            text = "".join(block)
            f.write(text)
            size += len(text)
            block = []
PY
cp long.txt bad.txt
echo "fly away" >> bad.txt
measure() {
    /usr/bin/time -v "$replay" "$1" > /dev/null 2> time.txt || true
    local rss elapsed
    rss=$(awk -F': ' '/Maximum resident/ {print $2}' time.txt)
    elapsed=$(awk -F': ' '/Elapsed/ {print $2}' time.txt)
    echo "$2: $(grep -c '' "$1") lines, $(($(stat -c %s "$1") / 1000000)) MB: peak memory $((rss / 1024)) MB, $elapsed (m:ss)"
}
measure long.txt "played to its end"
measure bad.txt "refused at its last line"
