#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a bounded time
# (FUZZ_SECONDS, default 60). New inputs go to build-fuzz/corpus/, never into the seed corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${FUZZ_SECONDS:-60}
build=$root/build-fuzz

cmake -S "$root/tests/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DVANTREL_FUZZ=ON >/dev/null
cmake --build "$build"

for target in fuzz_converter fuzz_store_reader; do
    echo "== $target (${seconds}s) =="
    mkdir -p "$build/corpus/$target"
    "$build/$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/$target-" \
        "$build/corpus/$target" "$root/tests/fuzz/corpus/$target"
done
