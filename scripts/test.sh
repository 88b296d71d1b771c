#!/usr/bin/env bash
# Sets everything up and runs every test: the plain build (unit, widget and desktop end-to-end
# tests), then the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer, then a
# bounded fuzzing run of every fuzz target (FUZZ_SECONDS each, default 60; a crash fails the script).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh test

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

echo "== plain build =="
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build && ctest --output-on-failure -j "$(nproc)" --timeout 600) | tee "$logs/plain"

echo "== sanitizer build (address, undefined behaviour) =="
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON -DVANTREL_BUILD_BENCH=OFF
(cd build-asan && ctest --output-on-failure -j "$(nproc)" --timeout 900 -LE desktop) | tee "$logs/sanitizer"

echo "== bounded fuzzing (${FUZZ_SECONDS:-60}s per target) =="
FUZZ_SECONDS=${FUZZ_SECONDS:-60} bash tests/fuzz/run.sh
fuzz_targets=$(find tests/fuzz -maxdepth 1 -name 'fuzz_*.cpp' | wc -l)

# One closing line for the whole run: every ctest case of both builds and every fuzz target.
ran=$(grep -hoE 'tests failed out of [0-9]+' "$logs/plain" "$logs/sanitizer" | awk '{s += $NF} END {print s}')
echo "all: $((ran + fuzz_targets)) passed, 0 failed"
