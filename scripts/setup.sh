#!/usr/bin/env bash
# setup.sh [run|package|test]: installs the Debian 12 packages that a purpose needs. "run" is what
# building and running the program needs; "package" adds building the Debian package; "test" (the
# default) adds the tests, the benchmarks and the package checks. Idempotent: installs only what is
# missing. Runs apt-get as root, or through sudo.
set -euo pipefail

purpose=${1:-test}

# Building and running the program (scripts/run.sh).
run_packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-multimedia-dev qt6-qpa-plugins libqt6network6 fonts-dejavu-core
    libxcb1-dev qt6-wayland xdg-utils
)

# Besides, for building the Debian package (scripts/package.sh).
package_packages=(
    dpkg-dev file
)

# Besides: the tests, the benchmarks and the package checks (scripts/test.sh).
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    xvfb xauth trayer xdotool x11-utils x11-apps openbox imagemagick
    sway waybar grim wtype dbus systemd procps
    libsm-dev libice-dev
    netcat-openbsd monitoring-plugins-basic
    dunst
    lintian desktop-file-utils appstream appstream-compose
)

case $purpose in
run) packages=("${run_packages[@]}") ;;
package) packages=("${run_packages[@]}" "${package_packages[@]}") ;;
test) packages=("${run_packages[@]}" "${package_packages[@]}" "${test_packages[@]}") ;;
*)
    echo "usage: $0 [run|package|test]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
