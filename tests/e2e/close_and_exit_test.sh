#!/usr/bin/env bash
# close_and_exit_test.sh PROGRAM ARTIFACT_DIR: closing the main window (a close request through the
# window manager, as from its close box) and minimising it both hide it altogether while the program
# and its icon stay; a click on the icon brings it back each time; "Exit and unload", reached through
# the File menu by keyboard, removes the icon and ends the program with status 0.
E2E_ARTIFACTS=$2
source "$(dirname "$0")/lib.sh"
program=$1
summary='tooltip="1 of 1 servers (100%) are up.\r\n Click to see details."'

e2e_start_desktop
e2e_start_loopback
e2e_write_store '[Services]' "web=127.0.0.1:$E2E_OPEN_PORT"
e2e_start_program "$program"
icon=$(e2e_wait_for_tray_icon "$E2E_CLASS" 20) || e2e_fail "no icon of the program in the notification area"
e2e_expect 0 -F "vantrel.tray: shown image=GREENLED $summary" 20 "the first check's light"

# restore_from_icon: a left click on the icon; sets $shown to the main window once it is shown and
# focused, in a normal state.
restore_from_icon() {
    local mark
    mark=$(e2e_mark)
    e2e_click "$icon" 1
    e2e_expect "$mark" -F 'vantrel.tray: click MouseClick button=1' 10 "the left click on the icon"
    shown=$(e2e_wait_for_focus NORMAL) || e2e_fail "the click did not show the main window"
    xprop -id "$shown" WM_STATE | grep -q 'window state: Normal' || e2e_fail "the window came back minimised"
}

# still_in_tray WHAT: the program runs on and its icon is still embedded and shown.
still_in_tray() {
    kill -0 "$E2E_PROGRAM_PID" 2>/dev/null || e2e_fail "the program ended after $1"
    [[ $(e2e_tray_icon_of "$E2E_CLASS") == "$icon" ]] && e2e_window_viewable "$icon" ||
        e2e_fail "the icon left the notification area after $1"
}

restore_from_icon
main=$shown
e2e_screenshot shown
mark=$(e2e_mark)
e2e_request_close "$main"
e2e_wait_until 10 e2e_main_window_withdrawn "$main" ||
    e2e_fail "the close request did not hide the window (active window $(xdotool getactivewindow), main window $main:
$(xprop -id "$main" WM_STATE _NET_WM_STATE; xwininfo -id "$main" | grep 'Map State'))"
# Closing puts the current light back on the icon.
e2e_expect "$mark" -F "vantrel.tray: shown image=GREENLED $summary" 10 "the icon after closing"
still_in_tray "closing the window"
e2e_screenshot closed

restore_from_icon
[[ $shown == "$main" ]] || e2e_fail "the click showed another window than the main window"
xdotool windowminimize "$main"
e2e_wait_until 10 e2e_main_window_withdrawn "$main" || e2e_fail "minimising did not hide the window"
still_in_tray "minimising the window"
e2e_screenshot minimised

restore_from_icon
[[ $shown == "$main" ]] || e2e_fail "the click showed another window than the main window"
e2e_screenshot restored

# File is the first menu; "Exit and unload" its only item.
mark=$(e2e_mark)
e2e_menu_command "$main" 0 0
e2e_expect_orderly_end "$mark" "Exit and unload"
e2e_screenshot exited

echo "close, minimise and exit on a real desktop: passed"
