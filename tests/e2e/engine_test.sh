#!/usr/bin/env bash
# engine_test.sh PROGRAM ARTIFACT_DIR: the program on a real desktop with one service that answers.
# Its icon appears in the notification area with the start-up picture, turns green with the summary of
# the first check (which really reached the listener), a left click on it shows the main window, and
# SIGTERM removes the icon and ends the program with status 0.
E2E_ARTIFACTS=$2
source "$(dirname "$0")/lib.sh"
program=$1

e2e_start_desktop
e2e_start_loopback
e2e_write_store '[Services]' "web=127.0.0.1:$E2E_OPEN_PORT"

e2e_start_program "$program"
icon=$(e2e_wait_for_tray_icon "$E2E_CLASS" 20) || e2e_fail "no icon of the program in the notification area"
e2e_expect 0 -F 'vantrel.tray: shown image=PROGRAM tooltip="Click to see server status"' 10 "the start-up icon"
e2e_expect 0 -F 'vantrel.tray: shown image=GREENLED tooltip="1 of 1 servers (100%) are up.\r\n Click to see details."' \
    20 "the first check's light and summary"
e2e_expect_connection
e2e_screenshot icon-green

mark=$(e2e_mark)
e2e_click "$icon" 1
e2e_expect "$mark" -F 'vantrel.tray: click MouseClick button=1' 10 "the left click on the icon"
main=$(e2e_wait_for_focus NORMAL) || e2e_fail "the click did not show the main window"
e2e_expect "$mark" -E '^vantrel.board: row 0 "web" up "[0-9]+ms"$' 10 "the board's row"
e2e_screenshot main-window

e2e_terminate_program
e2e_window_gone "$main" || e2e_fail "the main window outlived the program"
e2e_screenshot icon-removed

echo "engine on a real desktop: passed"
