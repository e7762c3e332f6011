#!/usr/bin/env bash
# Line and branch coverage of the game's code under every test that runs it on Linux: the
# suite, the real window under Xvfb (three ways), the recorded play-through and its replay,
# and the installed game with its package. Prints the figures per folder and fails when a
# folder falls below its floor in floors.txt (the table in docs/testing.md).
#   bash tests/coverage/run.sh [BUILD_DIR [PART]]     (default build-coverage, every part)
# PART is one of suite (build, counters to zero, ctest), e2e or report, for CI, which runs
# its own end-to-end stages on this build between the first and the last. The e2e
# screenshots and the recording stay under build/, where CI keeps them.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-coverage}
part=${2:-all}
jobs=$(nproc)
if [ "$part" = all ] || [ "$part" = suite ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DSIDESCROLLER_COVERAGE=ON \
        -DSIDESCROLLER_TOOLS=OFF -DSIDESCROLLER_BENCH=OFF -DSIDESCROLLER_WERROR=ON > /dev/null
    cmake --build "$build" -j"$jobs"
    find "$build" -name '*.gcda' -delete
    ctest --test-dir "$build" --output-on-failure -j"$jobs"
fi
if [ "$part" = all ] || [ "$part" = e2e ]; then
    bash tests/e2e/real_window.sh "$build/sidescroller"
    bash tests/e2e/real_window.sh "$build/sidescroller" build/e2e-screenshots-1920x1080 1920x1080
    SDL_RENDER_DRIVER=software \
        bash tests/e2e/real_window.sh "$build/sidescroller" build/e2e-screenshots-renderer 1920x1080
    bash tests/e2e/record_replay.sh "$build"
    bash tests/e2e/installed_game.sh "$build"
fi
if [ "$part" = all ] || [ "$part" = report ]; then
    # Throw branches are the compiler's, for exceptions the game never throws.
    gcovr --root . --object-directory "$build" --filter 'app/' --filter 'display/' \
        --filter 'hunt/' --filter 'screens/' --filter 'state/' --filter 'platform/' \
        --exclude-throw-branches --exclude-unreachable-branches -j"$jobs" \
        --json-summary "$build/coverage.json" --txt "$build/coverage.txt"
    python3 tests/coverage/by_folder.py "$build/coverage.json" tests/coverage/floors.txt
fi
