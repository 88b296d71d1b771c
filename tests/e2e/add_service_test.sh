#!/usr/bin/env bash
# add_service_test.sh PROGRAM ARTIFACT_DIR: a first user defines a service with the keyboard alone.
# Yes to the first question, the Tools menu's Options, Add, host name, the four octets and the port
# of a listener, Save, OK on the confirmation, OK on the dialog; the store file then holds the
# service, and "Check all saved services now" turns the icon green with the summary 1 of 1 (100%).
E2E_ARTIFACTS=$2
source "$(dirname "$0")/lib.sh"
program=$1
host='web server'

e2e_start_desktop
e2e_start_loopback
e2e_fresh_profile keyboard
e2e_start_program "$program"
e2e_wait_for_tray_icon "$E2E_CLASS" 20 >/dev/null || e2e_fail "no icon of the program in the notification area"
e2e_answer_box 0 'No services to be monitored have been defined\r\nWould you like to define one now?' question Return
main=$(e2e_wait_for_focus NORMAL) || e2e_fail "Yes did not show the main window"

# Tools is the second menu; Options its first item.
e2e_menu_command "$main" 1 0
options=$(e2e_wait_for_focus DIALOG Options) || e2e_fail "Options did not open the options dialog"
e2e_screenshot options-open

# The dialog's focus order: tab strip, OK, Cancel, Apply, list, Edit, Add, Delete, then the detail
# boxes that Add shows: host name, Resolve, the four octets, port, port lookup, Save.
mark=$(e2e_mark)
xdotool key --clearmodifiers Tab Tab Tab Tab Tab Tab space
xdotool key --clearmodifiers Tab Tab
xdotool type --delay 20 "$host"
xdotool key --clearmodifiers Tab Tab
for octet in 127 0 0 1; do
    xdotool type --delay 20 "$octet"
    xdotool key --clearmodifiers Tab
done
xdotool type --delay 20 "$E2E_OPEN_PORT"
e2e_screenshot service-typed
xdotool key --clearmodifiers Tab Tab space
e2e_answer_box "$mark" "Service $host (127.0.0.1:$E2E_OPEN_PORT) has been saved." saved Return
grep -qx "$host=127.0.0.1:$E2E_OPEN_PORT" "$E2E_STORE" || e2e_fail "the store lacks the service: $(cat "$E2E_STORE")"
grep -q '^\[Services\]' "$E2E_STORE" || e2e_fail "the service is not in the Services section: $(cat "$E2E_STORE")"

# Saving hid the Save button, which passed the focus on to Help; two more steps reach OK.
e2e_wait_for_focus DIALOG Options >/dev/null || e2e_fail "the options dialog lost the focus"
e2e_screenshot service-listed
xdotool key --clearmodifiers Tab Tab space
e2e_wait_until 10 e2e_window_gone "$options" || e2e_fail "OK did not close the options dialog"
main=$(e2e_wait_for_focus NORMAL) || e2e_fail "the main window did not come back"

mark=$(e2e_mark)
e2e_check_now "$main"
e2e_expect "$mark" -F 'vantrel.cycle: cycle start interactive' 10 \
    "the check button (has the main window's focus order changed?)"
e2e_expect "$mark" -F 'vantrel.tray: shown image=GREENLED tooltip="1 of 1 servers (100%) are up.\r\n Click to see details."' \
    20 "the icon after the check"
e2e_expect "$mark" -E "^vantrel.board: row 0 \"$host\" up \"[0-9]+ms\"\$" 10 "the board's row"
e2e_expect_connection
e2e_screenshot checked

echo "service added by keyboard on a real desktop: passed"
