#!/usr/bin/env bash
# The benchmark runs and prints every row of its table with a figure in it. Timings are not
# judged here: they are too noisy for a test.
set -euo pipefail
: "${SOURCE_DIR:?}" "${BUILD_DIR:?}"
out="$(bash "$SOURCE_DIR/scripts/bench.sh" --runs 1 --seconds 1 --build "$BUILD_DIR")"
echo "$out"
for row in "Start-up to the mapped window" "Peak resident memory after start-up" "CPU time, idle, no game" \
    "Main-thread wake-ups, idle, no game" "CPU time, in a game" "Main-thread wake-ups, in a game" \
    "One deal (ShuffleBoard, 36 picture reads)" "One reshuffle tick"; do
    echo "$out" | grep -F "| $row" | grep -qE '\| +[0-9.]+( (ms|kB|us))? +\|' || { echo "FAIL: no figure for '$row'"; exit 1; }
done
echo "PASS: the benchmark printed every row"
