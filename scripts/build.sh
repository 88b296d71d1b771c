#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configures (once) and builds the project into DIR, with JOBS
# parallel jobs (default: one per processor).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j "${JOBS:-$(nproc)}"
