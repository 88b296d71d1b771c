#!/usr/bin/env bash
# package_test.sh SOURCE_DIR ARTIFACT_DIR: the Debian package as a user meets it. Builds the .deb
# twice from the sources with the README's command (scripts/package.sh), in two clean folders a
# little apart; the validators find no error or warning in it, the catalog builder accepts it, its
# program is hardened, and the two builds are byte-identical (packaging/validate-package.sh).
# Installs it, copies its desktop entry into the user's autostart folder as the README says, and
# starts the program the way a desktop does, from that entry's Exec line, on the test display; its
# icon appears and shows the first check; the same line started again brings the running program's
# window forward and ends; SIGTERM ends the program and removes the icon; then the package is purged
# and nothing of it is left.
#
# Installing needs root: run as another user, the test is skipped. It never leaves the package
# installed: the removal runs on every way out, and a run that was killed outright is cleaned up by
# the next one. A package that this test did not install is left alone, and the test is skipped.
E2E_ARTIFACTS=$2
source "$(dirname "$0")/lib.sh"
source_dir=$(cd "$1" && pwd)
package=vantrel-local
entry=/usr/share/applications/$package.desktop
state=/var/lib/vantrel-local-e2e
marker=$state/installed-by-test

((EUID == 0)) || e2e_skip "installing a package needs root"
for tool in dpkg dpkg-query dpkg-buildflags cpack flock; do
    command -v "$tool" >/dev/null || e2e_skip "$tool is missing"
done

# One installation at a time on this machine, whichever build folder it comes from.
exec 8>/var/lock/vantrel-local-e2e-package.lock
flock -w 600 8 || e2e_fail "another package test held the lock for ten minutes"

package_installed() { dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; }

remove_package() {
    if [[ -e $marker ]] && package_installed; then
        dpkg --purge "$package" >"$E2E_ARTIFACTS/dpkg-purge.log" 2>&1 || return 1
    fi
    rm -f "$marker"
}

if package_installed; then
    [[ -e $marker ]] || e2e_skip "$package is installed on this machine, and not by this test; remove it first"
    e2e_log "removing the package an interrupted run left installed"
fi
remove_package || e2e_fail "the package left by an earlier run could not be removed"
package_installed && e2e_fail "$package is still installed"

# Two clean builds of one commit, in different folders: the same bytes, whatever the time or place.
for copy in first second; do
    e2e_log "building the package ($copy time)"
    bash "$source_dir/scripts/package.sh" "$E2E_TMP/$copy" >"$E2E_ARTIFACTS/package-$copy.log" 2>&1 ||
        e2e_fail "scripts/package.sh failed: $(tail -n 20 "$E2E_ARTIFACTS/package-$copy.log")"
done
debs=("$E2E_TMP"/first/"$package"_*.deb)
[[ ${#debs[@]} == 1 && -f ${debs[0]} ]] || e2e_fail "the build made no single package: ${debs[*]}"
again=$E2E_TMP/second/$(basename "${debs[0]}")
bash "$source_dir/packaging/validate-package.sh" "${debs[0]}" "$again" >"$E2E_ARTIFACTS/validate.log" 2>&1 ||
    e2e_fail "the package checks found errors or warnings:
$(cat "$E2E_ARTIFACTS/validate.log")"

# The marker goes down before dpkg starts, so even a run killed during the installation is undone.
mkdir -p "$state"
touch "$marker"
E2E_CLEANUP_HOOKS+=(remove_package)
e2e_log "installing $(basename "${debs[0]}")"
dpkg -i "${debs[0]}" >"$E2E_ARTIFACTS/dpkg-install.log" 2>&1 ||
    e2e_fail "dpkg -i failed: $(tail -n 20 "$E2E_ARTIFACTS/dpkg-install.log")"
package_installed || e2e_fail "dpkg -i did not leave $package installed"

[[ -f $entry ]] || e2e_fail "the package installed no desktop entry $entry"
bash "$source_dir/packaging/check-hardening.sh" "/usr/lib/$package/$package" >"$E2E_ARTIFACTS/hardening.log" ||
    e2e_fail "the installed program lacks hardening: $(cat "$E2E_ARTIFACTS/hardening.log")"

e2e_start_desktop
e2e_start_loopback
e2e_write_store '[Services]' "web=127.0.0.1:$E2E_OPEN_PORT"
# Started at login as the README and the manual page tell: the entry copied, unchanged, into the
# user's autostart folder.
mkdir -p "$XDG_CONFIG_HOME/autostart"
cp "$entry" "$XDG_CONFIG_HOME/autostart/"
entry=$XDG_CONFIG_HOME/autostart/$package.desktop
desktop-file-validate "$entry" || e2e_fail "the desktop entry is not valid in the autostart folder"
exec_line=$(sed -n 's/^Exec=//p' "$entry" | head -n1)
[[ -n $exec_line ]] || e2e_fail "the desktop entry has no Exec line"
# Field codes stand for files or addresses handed over by the desktop; a plain start has none.
read -ra command <<<"$(sed -E 's/(^| )%[fFuUdDnNickvm]//g' <<<"$exec_line")"
resolved=$(command -v "${command[0]}") || e2e_fail "the Exec line's program ${command[0]} is not on PATH"
[[ $(readlink -f "$resolved") == /usr/lib/$package/$package ]] ||
    e2e_fail "the Exec line leads to $resolved, not to the installed program"
e2e_log "the autostart entry starts: ${command[*]}"

e2e_start_program "${command[@]}"
icon=$(e2e_wait_for_tray_icon "$E2E_CLASS" 20) || e2e_fail "no icon of the installed program in the notification area"
e2e_expect 0 -F 'vantrel.tray: shown image=GREENLED tooltip="1 of 1 servers (100%) are up.\r\n Click to see details."' \
    20 "the first check's light and summary"
e2e_screenshot installed-icon

# A second start from the menu hands over to the running program, which shows its window.
status=0
timeout 20 "${command[@]}" >"$E2E_ARTIFACTS/second-start.log" 2>&1 || status=$?
((status == 0)) || e2e_fail "the second start ended with status $status"
e2e_wait_for_focus NORMAL >/dev/null || e2e_fail "the second start did not bring the main window forward"
kill -0 "$E2E_PROGRAM_PID" 2>/dev/null || e2e_fail "the first program ended when the second started"
[[ $(e2e_tray_icon_of "$E2E_CLASS") == "$icon" ]] || e2e_fail "the second start changed the notification area"
e2e_screenshot second-start

e2e_terminate_program
e2e_screenshot ended

installed_files=$(dpkg -L "$package" | grep -v '^/\.$')
remove_package || e2e_fail "dpkg --purge failed: $(cat "$E2E_ARTIFACTS/dpkg-purge.log")"
package_installed && e2e_fail "$package is still installed after the purge"
while read -r path; do
    [[ -d $path && ! -L $path ]] && continue # shared folders such as /usr/share stay
    [[ ! -e $path && ! -L $path ]] || e2e_fail "$path is still there after the purge"
done <<<"$installed_files"
[[ ! -e /usr/lib/$package ]] || e2e_fail "/usr/lib/$package is still there after the purge"

echo "installed package on a real desktop: passed"
