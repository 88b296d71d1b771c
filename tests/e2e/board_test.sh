#!/usr/bin/env bash
# board_test.sh PROGRAM ARTIFACT_DIR: three stored services, two answering and one refusing. The first
# check shows the yellow light with "2 of 3 servers (67%) are up."; a click on the icon shows the
# board with the three rows in stored order, and the window really draws two green lights and one red.
E2E_ARTIFACTS=$2
source "$(dirname "$0")/lib.sh"
program=$1

e2e_start_desktop
e2e_start_loopback
e2e_write_store '[Services]' "web=127.0.0.1:$E2E_OPEN_PORT" "mail=127.0.0.1:$E2E_CLOSED_PORT" \
    "files=127.0.0.1:$E2E_OPEN_PORT" '' '[Settings]' 'Green=100' 'Yellow=60'

e2e_start_program "$program"
icon=$(e2e_wait_for_tray_icon "$E2E_CLASS" 20) || e2e_fail "no icon of the program in the notification area"
e2e_expect 0 -F 'vantrel.tray: shown image=YELLOWLED tooltip="2 of 3 servers (67%) are up.\r\n Click to see details."' \
    20 "the first check's light and summary"
e2e_screenshot icon-yellow

mark=$(e2e_mark)
e2e_click "$icon" 1
main=$(e2e_wait_for_focus NORMAL) || e2e_fail "the click did not show the main window"
rows=('0 "web" up' '1 "mail" down' '2 "files" up')
for row in "${rows[@]}"; do
    e2e_expect "$mark" -E "^vantrel.board: row ${row} \"[0-9]+ms\"\$" 10 "the board's row $row"
done
e2e_screenshot board

# The lights are filled with pure green and pure red; count the pixels the window shows of each.
shot=$E2E_ARTIFACTS/board-window.png
lights_drawn() {
    import -window "$main" "$shot" || return 1
    local histogram
    histogram=$(convert "$shot" -format %c histogram:info:-)
    green=$(awk '/\(0,255,0\)/ { sub(":", "", $1); print $1 }' <<<"$histogram")
    red=$(awk '/\(255,0,0\)/ { sub(":", "", $1); print $1 }' <<<"$histogram")
    green=${green:-0} red=${red:-0}
    # One light is a disc of well over 100 pixels: two green ones, one red one.
    ((red >= 100 && green * 2 >= 3 * red && green <= 3 * red))
}
green=0 red=0
e2e_wait_until 10 lights_drawn ||
    e2e_fail "the window does not show two green lights and one red ($green green and $red red pixels)"
e2e_log "the board draws $green green and $red red light pixels"

echo "status board on a real desktop: passed"
