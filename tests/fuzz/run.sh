#!/usr/bin/env bash
# Runs every fuzz target for a bounded time on a copy of its seed corpus.
#   bash tests/fuzz/run.sh BUILD_DIR SECONDS     (CI: 60 s each; a long run: 3600)
# A finding is left as crash-* in tests/fuzz/findings/ and fails the run; add it to the
# regression inputs in tests/fuzz/regressions/ once mended.
set -euo pipefail
build=$(realpath "$1")
seconds=${2:-60}
here=$(realpath "$(dirname "$0")")
mkdir -p "$here/findings"
status=0
for target in high_score font bitmap replay_script; do
    work=$(mktemp -d)
    cp -r "$here/corpus/$target/." "$work/"
    if [ -d "$here/regressions/$target" ]; then cp -r "$here/regressions/$target/." "$work/"; fi
    echo "-- fuzz_$target for $seconds s"
    if ! "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
        -artifact_prefix="$here/findings/$target-" "$work" > "$work.log" 2>&1; then
        tail -n 40 "$work.log"
        status=1
    else
        grep -E '^Done' "$work.log" || true
    fi
    rm -rf "$work" "$work.log"
done
exit $status
