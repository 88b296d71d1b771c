#!/usr/bin/env bash
# wayland_tray_test.sh PROGRAM ARTIFACT_DIR: the program on a Wayland desktop whose notification area
# speaks StatusNotifierItem: a headless sway with waybar's tray, on a private session bus. The item
# registers with the watcher; its tooltip carries the summary of the first check and its icon the
# light, which the bar draws; ContextMenu (what a host calls on a right click) does nothing; Activate
# (a left click) shows the main window with the board; "Exit and unload", reached through the File
# menu by keyboard, removes the item. A second run against a refusing port shows the red light
# instead, and SIGTERM removes the item too.
E2E_ARTIFACTS=$2
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/wayland_lib.sh"

e2e_start_wayland_desktop
program=$(e2e_user_program "$1")
e2e_start_loopback

# first_check LIGHT IMAGE UP PERCENT: starts the program on the current store; the first check ends
# with IMAGE and the summary of UP of 1 services; the item registers and shows both.
first_check() {
    local tooltip="$3 of 1 servers ($4%) are up.\r\n Click to see details."
    e2e_start_program "${E2E_AS_USER[@]}" "$program"
    e2e_expect 0 -F "vantrel.tray: shown image=$2 tooltip=\"$tooltip\"" 20 "the first check's light and summary"
    e2e_wait_for_sni_item "$E2E_PROGRAM_PID" 20 ||
        e2e_fail "the program's item is not registered with the watcher: $(e2e_sni_items)"
    e2e_wait_until 10 e2e_sni_shows "$tooltip" "$1" ||
        e2e_fail "the item does not show the $1 light with \"$tooltip\": $(e2e_sni_describe)"
    e2e_screenshot "$1"
}

e2e_write_user_store '[Services]' "web=127.0.0.1:$E2E_OPEN_PORT"
first_check green GREENLED 1 100
e2e_expect_connection

# The program has no context menu: a right click is logged and changes nothing.
mark=$(e2e_mark)
e2e_sni_call ContextMenu
e2e_expect "$mark" -F 'vantrel.tray: click MouseClick button=2' 10 "ContextMenu"
! e2e_logged_since "$mark" -F 'vantrel.board:' || e2e_fail "ContextMenu rebuilt the board"
! e2e_sway_window_of "$E2E_PROGRAM_PID" >/dev/null || e2e_fail "ContextMenu showed a window"
kill -0 "$E2E_PROGRAM_PID" 2>/dev/null || e2e_fail "the program ended after ContextMenu"
e2e_screenshot context-menu

mark=$(e2e_mark)
e2e_sni_call Activate
e2e_expect "$mark" -F 'vantrel.tray: click MouseClick button=1' 10 "Activate"
e2e_expect "$mark" -E '^vantrel.board: row 0 "web" up "[0-9]+ms"$' 10 "the board's row"
e2e_wait_until 10 e2e_sway_window_is "$E2E_PROGRAM_PID" "focused $E2E_TITLE" ||
    e2e_fail "Activate did not show the main window with the keyboard focus: $(e2e_sway_window_of "$E2E_PROGRAM_PID")"
e2e_screenshot main-window

# File is the first menu; "Exit and unload" its only item.
mark=$(e2e_mark)
e2e_wayland_menu_command 0 0
e2e_expect_orderly_end "$mark" "Exit and unload"
e2e_screenshot exited

e2e_write_user_store '[Services]' "web=127.0.0.1:$E2E_CLOSED_PORT"
first_check red REDLED 0 0
e2e_terminate_program

echo "tray on a Wayland desktop: passed"
