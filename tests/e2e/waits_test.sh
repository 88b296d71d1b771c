#!/usr/bin/env bash
# waits_test.sh PROGRAM ARTIFACT_DIR: boxes left open during a check hold nothing up. Two services: a
# silent one (its accept queue is full, so the connect runs into the 2 s time-out) and one that
# answers until its listener goes away. While the second check waits on the silent service, the About
# box is opened and a click on the icon shows "Currently checking services. Please wait"; both stay
# open. The check still ends within its bound, the silent service shows its own time-out rather than
# the time the boxes were open, and the icon flashes visibly from green to red. Once both boxes are
# closed, the next check runs.
E2E_ARTIFACTS=$2
source "$(dirname "$0")/lib.sh"
program=$1
timeout_s=2
slack_s=3
bound_s=$((2 * timeout_s + slack_s))

e2e_start_desktop
e2e_start_loopback
listener=$E2E_LAST_PID
e2e_start_silent_peer
e2e_write_store '[Services]' "silent=127.0.0.1:$E2E_SILENT_PORT" "web=127.0.0.1:$E2E_OPEN_PORT" '' \
    '[Settings]' "Timeout=$timeout_s" 'Green=50' 'Yellow=10'

e2e_start_program "$program"
icon=$(e2e_wait_for_tray_icon "$E2E_CLASS" 20) || e2e_fail "no icon of the program in the notification area"
e2e_expect 0 -F 'vantrel.cycle: result 1 of 2 up, 50%, light 3' $((bound_s + 10)) "the first check's green light"
e2e_click "$icon" 1
main=$(e2e_wait_for_focus NORMAL) || e2e_fail "the click did not show the main window"

# Without its listener the second service refuses: the next check finds nothing up.
kill "$listener"
mark=$(e2e_mark)
e2e_check_now "$main"
e2e_expect "$mark" -F 'vantrel.cycle: cycle start interactive' 10 "the check button"
started=$(date +%s%N)
# Help is the third menu (the keyboard passes over Tools, disabled during the check); About its second item.
e2e_menu_command "$main" 1 1
about=$(e2e_wait_for_focus DIALOG "About $E2E_TITLE") || e2e_fail "About did not open during the check"
e2e_click "$icon" 1
e2e_expect "$mark" -F "vantrel.message: shown \"$E2E_TITLE\" \"Currently checking services. Please wait\" Ok" 10 \
    "the note of a click on the icon during the check"
note=$(e2e_wait_for_focus DIALOG "$E2E_TITLE") || e2e_fail "the note did not open"
e2e_screenshot boxes-open

# Both stay open; the check ends within its bound all the same.
e2e_expect "$mark" -F 'vantrel.cycle: result 0 of 2 up, 0%, light 1' "$bound_s" "the end of the check while both boxes are open"
elapsed_ms=$((($(date +%s%N) - started) / 1000000))
((elapsed_ms <= bound_s * 1000)) || e2e_fail "the check took $elapsed_ms ms, more than $bound_s s"
e2e_window_viewable "$about" && e2e_window_viewable "$note" || e2e_fail "a box closed by itself"
e2e_expect "$mark" -E '^vantrel.board: row 0 "silent" down "[0-9]+ms"$' 10 "the silent service's row"
silent_ms=$(tail -n "+$((mark + 1))" "$E2E_PROGRAM_LOG" | sed -n 's/^vantrel.board: row 0 "silent" down "\([0-9]*\)ms"$/\1/p' | tail -n1)
((silent_ms >= timeout_s * 1000 - 10 && silent_ms <= (timeout_s + slack_s) * 1000)) ||
    e2e_fail "the silent service took ${silent_ms} ms, not its own time-out of $timeout_s s"
e2e_log "the check ended after $elapsed_ms ms with both boxes open; the silent service took $silent_ms ms"

# The flash: twenty images, the previous light's and the new one's by turns, each long enough to be
# seen, ending on the new light.
e2e_expect "$mark" -F 'vantrel.tray: flash 20 of 20' 15 "the end of the flash"
flash=$(tail -n "+$((mark + 1))" "$E2E_PROGRAM_LOG" | grep -A1 '^vantrel.tray: flash ')
steps=$(sed -n 's/^vantrel.tray: flash \([0-9]*\) of 20 at \([0-9]*\) ms: .*/\2/p' <<<"$flash")
images=$(sed -n 's/^vantrel.tray: shown image=\([A-Z]*\) .*/\1/p' <<<"$flash" | tr '\n' ' ')
[[ $images == "$(printf 'GREENLED REDLED %.0s' {1..10})" ]] || e2e_fail "the flash showed: $images"
awk 'NR > 1 && $1 - previous < 150 { exit 1 } { previous = $1 } END { exit NR != 20 }' <<<"$steps" ||
    e2e_fail "an image of the flash stood less than 150 ms: $(tr '\n' ' ' <<<"$steps")"
e2e_screenshot checked-with-boxes-open

# Closed again, the boxes leave the main window to the user: the next check runs.
xdotool windowactivate --sync "$note" key --clearmodifiers Return
xdotool windowactivate --sync "$about" key --clearmodifiers Return
e2e_wait_until 10 e2e_window_gone "$note" && e2e_wait_until 10 e2e_window_gone "$about" ||
    e2e_fail "the boxes did not close"
e2e_wait_for_focus NORMAL >/dev/null || e2e_fail "the main window did not get the focus back"
mark=$(e2e_mark)
e2e_check_now "$main"
e2e_expect "$mark" -F 'vantrel.cycle: cycle start interactive' 10 "the next check"
e2e_expect "$mark" -F 'vantrel.cycle: result 0 of 2 up, 0%, light 1' "$bound_s" "the next check's end"

e2e_terminate_program
echo "boxes left open during a check on a real desktop: passed"
