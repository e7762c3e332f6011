#!/usr/bin/env bash
# Runs every fuzz target for a bounded time on a copy of its corpus (seeds and the inputs of
# mended findings), and prints for each its executions, speed, coverage and findings.
#   bash tests/fuzz/run.sh BUILD_DIR SECONDS [TARGET...]   (CI: 60 s each; a long run: 3600)
# FUZZ_RUNS=N stops a target after N inputs if that comes first (the documented run: 10000000).
# FUZZ_FORK=N fuzzes in N processes at once, sharing one corpus (libFuzzer's -fork).
# FUZZ_KEEP=1 adds to tests/fuzz/corpus/TARGET/ the inputs of the run that reach something
# the kept ones do not (libFuzzer's -merge=1), for the next runs and the suite.
# The whole-game target starts from the replay scripts in corpus/game/ and
# corpus/replay_script/, turned into its input by game_seeds. A finding is left as crash-*
# (or leak-*, timeout-*) in tests/fuzz/findings/ and fails the run; once mended, add it to
# tests/fuzz/corpus/TARGET/.
set -euo pipefail
build=$(realpath "$1")
seconds=${2:-60}
shift $(( $# < 2 ? $# : 2 ))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(high_score font bitmap replay_script handin game)
here=$(realpath "$(dirname "$0")")
# The corpora, and the job folders of -fork, in memory where there is a memory file system:
# on a disk, the making of files took a fifteenth of a forked run's time.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ]; then export TMPDIR=/dev/shm; fi
mkdir -p "$here/findings"
status=0
for target in "${targets[@]}"; do
    work=$(mktemp -d)
    if [ "$target" = game ]; then
        "$build/tests/fuzz/game_seeds" "$work" "$here"/corpus/game/*.txt \
            "$here"/corpus/replay_script/*.txt
        # A kept finding is the fuzzer's own input, not a script.
        find "$here/corpus/game" -type f ! -name '*.txt' -exec cp {} "$work/" \;
    else
        cp -r "$here/corpus/$target/." "$work/"
    fi
    fork=()
    [ -z "${FUZZ_FORK:-}" ] || fork=(-fork="$FUZZ_FORK")
    found=0
    if ! "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -runs="${FUZZ_RUNS:--1}" \
        -rss_limit_mb=2048 "${fork[@]}" \
        -artifact_prefix="$here/findings/$target-" "$work" > "$work.log" 2>&1; then
        echo "-- fuzz_$target: FINDING after $seconds s or less"
        tail -n 40 "$work.log"
        status=1
        found=1
    elif [ ${#fork[@]} -gt 0 ]; then
        # The forked run's last report: "#N: cov: C ft: F corp: K exec/s E ... time: Ts".
        last=$(grep -E '^#[0-9]+: cov:' "$work.log" | tail -n 1)
        runs=$(sed -E 's/^#([0-9]+):.*/\1/' <<< "$last")
        took=$(grep -E '^INFO: exiting: ' "$work.log" | sed -E 's/.*time: ([0-9]+)s.*/\1/')
        features=$(sed -E 's/.* ft: ([0-9]+).*/\1/' <<< "$last")
        corpus=$(sed -E 's/.* corp: ([0-9]+).*/\1/' <<< "$last")
        echo "-- fuzz_$target: $runs executions in $took s ($((runs / (took > 0 ? took : 1))) a" \
            "second) in $FUZZ_FORK processes, $features features, $corpus inputs kept, no finding"
    else
        done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$work.log" | tail -n 1)
        runs=$(sed -E 's/^#([0-9]+).*/\1/' <<< "$done_line")
        rate=$(sed -E 's/.*exec\/s: ([0-9]+).*/\1/' <<< "$done_line")
        cov=$(sed -E 's/.*cov: ([0-9]+).*/\1/' <<< "$done_line")
        features=$(sed -E 's/.*ft: ([0-9]+).*/\1/' <<< "$done_line")
        corpus=$(sed -E 's/.*corp: ([0-9]+).*/\1/' <<< "$done_line")
        took=$(grep -E '^Done [0-9]+ runs in' "$work.log" | sed -E 's/.* in ([0-9]+) second.*/\1/')
        echo "-- fuzz_$target: $runs executions in $took s ($rate a second)," \
            "$cov edges covered, $features features, $corpus inputs kept, no finding"
    fi
    if [ -n "${FUZZ_KEEP:-}" ] && [ $found -eq 0 ]; then
        "$build/tests/fuzz/fuzz_$target" -merge=1 -rss_limit_mb=2048 "$here/corpus/$target" \
            "$work" > "$work.log" 2>&1
        echo "   kept: $(grep -oE '[0-9]+ new files' "$work.log" || echo 'no new files')"
    fi
    rm -rf "$work" "$work.log"
done
exit $status
