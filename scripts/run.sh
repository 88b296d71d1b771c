#!/usr/bin/env bash
# run.sh [program options...]: installs what building and running the program needs, builds the
# program alone (no tests, no benchmarks) in build-run/, and starts it. JOBS sets the number of
# parallel build jobs (default: one per processor).
#
# Meant to be run by the desktop user, who is asked for sudo only to install packages. Run as root
# through sudo, it builds and starts the program as the user who called sudo: a tray program belongs
# in that user's session and store, and the build folder must stay theirs to rebuild.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh run

as_user=()   # starts the program
builder=()   # runs the build
if [ "$(id -u)" -eq 0 ]; then
    user=${SUDO_USER:-}
    if [ -n "$user" ] && [ "$user" != root ] && id -u "$user" >/dev/null 2>&1; then
        uid=$(id -u "$user")
        # sudo hands over a cleaned environment: the user's home, runtime folder and session bus
        # are found again from the account, so the program finds its store and its desktop.
        session=(HOME="$(getent passwd "$user" | cut -d: -f6)" USER="$user" LOGNAME="$user")
        runtime=/run/user/$uid
        if [ -d "$runtime" ]; then
            session+=(XDG_RUNTIME_DIR="$runtime")
            [ -S "$runtime/bus" ] && session+=(DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus")
            [ -z "${XAUTHORITY:-}" ] && [ -f "$runtime/gdm/Xauthority" ] && session+=(XAUTHORITY="$runtime/gdm/Xauthority")
        else
            session=(-u XDG_RUNTIME_DIR -u DBUS_SESSION_BUS_ADDRESS "${session[@]}")
        fi
        as_user=(runuser -u "$user" -- env "${session[@]}")
        builder=("${as_user[@]}")
        if ! "${as_user[@]}" test -w "$root"; then
            echo "run.sh: $user cannot write $root; building as root, starting as $user." >&2
            builder=()
        fi
    else
        echo "run.sh: a tray program normally runs as the desktop user (run this without sudo);" \
            "starting it as root." >&2
    fi
fi

"${builder[@]}" env JOBS="${JOBS:-$(nproc)}" bash scripts/build.sh build-run \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF
exec "${as_user[@]}" "$root/build-run/app/vantrel-local" "$@"
