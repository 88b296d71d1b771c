#!/usr/bin/env bash
# check-package.sh [BUILD-DIR]: builds the Debian package with scripts/package.sh in BUILD-DIR
# (default build-deb/, emptied first), runs the validators, the catalog builder and the hardening
# check on it and fails on a finding (validate-package.sh), installs it with dpkg, checks what it put where, starts the installed program
# on a virtual X display and checks that it stays up, that a second start hands over to the first and
# that SIGTERM ends it cleanly, then removes the package again and checks that nothing is left.
# Needs root (dpkg), xvfb-run, the validators, and a machine on which vantrel-local is not installed.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-deb}")
began=$(date +%s)

fail() {
    echo "check-package: FAIL: $*" >&2
    exit 1
}
step() { echo "check-package: $*"; }

[ "$(id -u)" -eq 0 ] || fail "dpkg -i needs root"
command -v xvfb-run >/dev/null || fail "xvfb-run is missing (Debian package xvfb)"
if dpkg-query -W -f='${Status}' vantrel-local 2>/dev/null | grep -q "install ok installed"; then
    fail "vantrel-local is installed already; remove it first (dpkg -r vantrel-local)"
fi

scratch=$(mktemp -d)
installed=no
cleanup() {
    [ "$installed" = yes ] && dpkg -r vantrel-local >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap cleanup EXIT

step "building the package"
bash "$root/scripts/package.sh" "$build" >"$scratch/package.log" 2>&1 ||
    { cat "$scratch/package.log" >&2; fail "scripts/package.sh"; }
deb=$(ls "$build"/vantrel-local_*.deb)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

[ "$(dpkg-deb -f "$deb" Package)" = vantrel-local ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not the project's $version"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6core6 libqt6widgets6 qt6-qpa-plugins; do
    grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
for recommended in qt6-wayland xdg-utils; do
    grep -qw "$recommended" <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "the package does not recommend $recommended"
done
grep -qw dunst <<<"$(dpkg-deb -f "$deb" Suggests)" || fail "the package does not suggest dunst"

step "validating $(basename "$deb")"
bash "$root/packaging/validate-package.sh" "$deb" || fail "the validators found errors or warnings"

step "installing $(basename "$deb")"
dpkg -i "$deb" >/dev/null
installed=yes

folder=/usr/lib/vantrel-local
metainfo=/usr/share/metainfo/example.vantrel.vantrel_local.metainfo.xml
expected=(
    /usr/bin/vantrel-local "$folder/vantrel-local" "$folder/sos.wav" "$folder/qorvix.html"
    /usr/share/applications/vantrel-local.desktop "$metainfo"
    /usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/vantrel-local.png
    /usr/share/icons/hicolor/scalable/apps/vantrel-local.svg
    /usr/share/doc/vantrel-local/copyright /usr/share/doc/vantrel-local/changelog.gz
    /usr/share/man/man1/vantrel-local.1.gz
)
listed=$(dpkg -L vantrel-local)
for path in "${expected[@]}"; do
    grep -qx "$path" <<<"$listed" || fail "dpkg -L does not list $path"
    [ -e "$path" ] || fail "$path is listed but missing"
done
[ "$(command -v vantrel-local)" = /usr/bin/vantrel-local ] || fail "vantrel-local is not on PATH"
[ "$(readlink -f /usr/bin/vantrel-local)" = "$folder/vantrel-local" ] || fail "the launcher does not lead to $folder"
for size in 16 32 48 64 128 256; do
    file "/usr/share/icons/hicolor/${size}x${size}/apps/vantrel-local.png" | grep -q "PNG image data, $size x $size" ||
        fail "the ${size}x${size} icon is not a $size x $size PNG"
done
grep -qx 'Categories=Network;Monitor;' /usr/share/applications/vantrel-local.desktop || fail "desktop categories"

step "starting the installed program on a virtual display"
mkdir -p "$scratch/home" "$scratch/config" "$scratch/run"
chmod 700 "$scratch/run"
cat >"$scratch/start.sh" <<'EOF'
set -u
log=$1
vantrel-local >"$log" 2>&1 &
pid=$!
# Whatever fails below, no program is left behind on the display.
trap 'kill -KILL "$pid" 2>/dev/null' EXIT
# Ready once start-up has seeded the settings store.
for _ in $(seq 200); do
    ls "$XDG_CONFIG_HOME"/Vantrel/* >/dev/null 2>&1 && break
    kill -0 "$pid" 2>/dev/null || { echo "the program ended during start-up"; exit 1; }
    sleep 0.1
done
ls "$XDG_CONFIG_HOME"/Vantrel/* >/dev/null 2>&1 || { echo "no settings store after 20 s"; exit 1; }
# It lives in the notification area until it is told to end: still there a while later.
sleep 3
kill -0 "$pid" 2>/dev/null || { echo "the program ended by itself"; exit 1; }
# A second start finds the first, asks it to come forward and ends at once, leaving the first running.
timeout 20 vantrel-local >>"$log" 2>&1
second=$?
[ "$second" -eq 0 ] || { echo "the second start ended with $second"; exit 1; }
kill -0 "$pid" 2>/dev/null || { echo "the first instance ended when the second started"; exit 1; }
kill -TERM "$pid"
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    echo "the program did not end within 10 s of SIGTERM"
    exit 1
fi
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "the program ended with $status after SIGTERM"; exit 1; }
exit 0
EOF
env QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-xcb}" HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/run" \
    xvfb-run -a -s "-screen 0 1024x768x24" bash "$scratch/start.sh" "$scratch/program.log" >"$scratch/start.log" 2>&1 ||
    { cat "$scratch/start.log" "$scratch/program.log" >&2; fail "start under xvfb-run"; }

step "removing the package"
dpkg -r vantrel-local >/dev/null
installed=no
for path in "${expected[@]}" "$folder"; do
    [ ! -e "$path" ] && [ ! -L "$path" ] || fail "$path is still there after dpkg -r"
done

step "passed in $(($(date +%s) - began)) s"
