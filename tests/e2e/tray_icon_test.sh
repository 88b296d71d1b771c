#!/usr/bin/env bash
# tray_icon_test.sh DEMO ARTIFACT_DIR: the tray control on a real X desktop with a real XEmbed
# notification area. Proves that the icon is embedded, that real clicks reach the program as the
# control's events, that a double click raises one event, and that SIGTERM removes the icon.
E2E_ARTIFACTS=$2
source "$(dirname "$0")/lib.sh"
demo=$1


e2e_start_desktop

out=$E2E_TMP/demo.out
e2e_spawn "$out" "$demo"
demo_pid=$E2E_LAST_PID
e2e_wait_for_line "$out" '^shown' 10 || e2e_fail "the demo did not start: $(cat "$out")"
grep -q '^shown$' "$out" || e2e_fail "the control saw no notification area: $(cat "$out")"

icon=$(e2e_wait_for_tray_icon tray_demo 10) || e2e_fail "no icon of the demo inside the notification area"
e2e_log "icon window $icon"

# Hovering shows the tooltip: a second visible window of the program appears.
xdotool mousemove --window "$icon" 8 8
two_windows() { (($(xdotool search --onlyvisible --class '^tray_demo$' | wc -l) >= 2)); }
e2e_wait_until 10 two_windows || e2e_fail "no tooltip on hover"
e2e_screenshot icon-with-tooltip

e2e_click "$icon" 1
e2e_wait_for_line "$out" '^MouseClick 1$' 10 || e2e_fail "a left click raised nothing: $(cat "$out")"
e2e_click "$icon" 3
e2e_wait_for_line "$out" '^MouseClick 2$' 10 || e2e_fail "a right click raised nothing: $(cat "$out")"

# A double click, then a right click as a marker: when the marker has arrived, so has everything
# the double click raised, which must be one event.
e2e_click "$icon" 1 2
e2e_click "$icon" 3
marker() { (($(grep -c '^MouseClick 2$' "$out") >= 2)); }
e2e_wait_until 10 marker || e2e_fail "the marker click never arrived: $(cat "$out")"
left=$(grep -c '^MouseClick 1$' "$out")
((left == 2)) || e2e_fail "a double click raised $((left - 1)) events: $(cat "$out")"

kill -TERM "$demo_pid"
status=0
e2e_wait_for_exit "$demo_pid" 10 || status=$?
((status == 0)) || e2e_fail "the demo ended with status $status after SIGTERM"
grep -q '^removed$' "$out" || e2e_fail "the demo did not remove its icon"
icon_gone() { ! e2e_tray_icon_of tray_demo; }
e2e_wait_until 10 icon_gone || e2e_fail "the icon stayed in the notification area"
e2e_screenshot icon-removed

echo "tray icon on a real desktop: 1 passed, 0 failed"
