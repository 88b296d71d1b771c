#!/usr/bin/env bash
# Sets everything up, builds the program and starts it in the notification area.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec build/app/vantrel-local
