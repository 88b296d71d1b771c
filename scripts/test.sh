#!/usr/bin/env bash
# Sets everything up and runs every test: the plain build (unit, widget and desktop end-to-end
# tests), then the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer, then a
# bounded fuzzing run of every fuzz target (FUZZ_SECONDS each, default 60; a crash fails the script).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh

echo "== plain build =="
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build && ctest --output-on-failure -j "$(nproc)" --timeout 600)

echo "== sanitizer build (address, undefined behaviour) =="
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON -DVANTREL_BUILD_BENCH=OFF
(cd build-asan && ctest --output-on-failure -j "$(nproc)" --timeout 900 -LE desktop)

echo "== bounded fuzzing (${FUZZ_SECONDS:-60}s per target) =="
FUZZ_SECONDS=${FUZZ_SECONDS:-60} bash tests/fuzz/run.sh
