#!/usr/bin/env bash
# screenshots_test.sh PROGRAM ARTIFACT_DIR: the main window with three real services (two answering, one
# refusing), both pages of the options dialog and the about box, each taken with its window frame at
# scale factors 1 and 2, and the main window once more under a dark theme. The main window must draw
# two green lights and one red each time. With
# VANTREL_SCREENSHOTS set to a folder, the pictures are copied there too (the README shows them from
# docs/).
E2E_ARTIFACTS=$2
# Room for the windows at scale 2.
E2E_SCREEN=1920x1200x24
source "$(dirname "$0")/lib.sh"
program=$1

e2e_start_desktop
e2e_start_loopback

# shoot WINDOW NAME: the window with its frame as ARTIFACTS/NAME.png.
shoot() {
    sleep 0.5 # the last paint
    import -frame -window "$1" "$E2E_ARTIFACTS/$2.png" || e2e_fail "no picture of $2"
    e2e_log "picture $2"
}

# close_by_escape WINDOW TITLE: Esc in the focused dialog, again should the key arrive before the focus.
close_by_escape() {
    local try
    for try in 1 2 3; do
        e2e_wait_for_focus DIALOG "$2" >/dev/null || true
        xdotool key --clearmodifiers Escape
        e2e_wait_until 5 e2e_window_gone "$1" && return 0
        e2e_log "Esc did not close \"$2\" (try $try)"
    done
    e2e_fail "Esc did not close \"$2\""
}

# lights_drawn FILE: two green lights and one red, each a disc of well over 100 pixels.
lights_drawn() {
    local histogram green red
    histogram=$(convert "$1" -format %c histogram:info:-)
    green=$(awk '/\(0,255,0\)/ { sub(":", "", $1); print $1 }' <<<"$histogram")
    red=$(awk '/\(255,0,0\)/ { sub(":", "", $1); print $1 }' <<<"$histogram")
    green=${green:-0} red=${red:-0}
    e2e_log "$1: $green green and $red red light pixels"
    ((red >= 100 && green * 2 >= 3 * red && green <= 3 * red))
}

# main_with_lights WINDOW NAME: whether the picture NAME shows the lights; when not, it is taken anew.
main_with_lights() {
    lights_drawn "$E2E_ARTIFACTS/$2.png" || { shoot "$1" "$2" && false; }
}

for scale in 1 2; do
    e2e_fresh_profile "scale$scale"
    e2e_write_store '[Services]' "intranet=127.0.0.1:$E2E_OPEN_PORT" "mail=127.0.0.1:$E2E_CLOSED_PORT" \
        "files.example.com=127.0.0.1:$E2E_OPEN_PORT" '' '[Settings]' 'Green=100' 'Yellow=60'
    e2e_start_program env QT_SCALE_FACTOR=$scale "$program"
    icon=$(e2e_wait_for_tray_icon "$E2E_CLASS" 20) || e2e_fail "no icon of the program in the notification area"
    e2e_expect 0 -F 'vantrel.tray: shown image=YELLOWLED' 20 "the first check's light"

    mark=$(e2e_mark)
    e2e_click "$icon" 1
    main=$(e2e_wait_for_focus NORMAL) || e2e_fail "the click did not show the main window"
    e2e_expect "$mark" -E '^vantrel.board: row 2 "files.example.com" up' 10 "the board's last row"
    shoot "$main" "main-window-${scale}x"
    # The window may not have drawn its rows yet.
    e2e_wait_until 10 main_with_lights "$main" "main-window-${scale}x" ||
        e2e_fail "the lights are not drawn at scale $scale"

    # Tools, Options; the first service opened for editing shows every control of the page.
    e2e_menu_command "$main" 1 0
    options=$(e2e_wait_for_focus DIALOG Options) || e2e_fail "Options did not open the options dialog"
    xdotool key --clearmodifiers Tab Tab Tab Tab Down Tab space
    shoot "$options" "options-services-${scale}x"
    xdotool key --clearmodifiers ctrl+Tab
    shoot "$options" "options-settings-${scale}x"
    close_by_escape "$options" Options

    # Help, About.
    e2e_wait_for_focus NORMAL >/dev/null || e2e_fail "the main window did not come back"
    e2e_menu_command "$main" 2 1
    about=$(e2e_wait_for_focus DIALOG "About Vantrel Local") || e2e_fail "About did not open the about box"
    shoot "$about" "about-${scale}x"
    close_by_escape "$about" "About Vantrel Local"
    e2e_terminate_program
done

# Under a dark theme (near-white text on dark grey, given as a style sheet, as no desktop theme is
# installed here) the board keeps its tinted rows and its lights.
e2e_fresh_profile dark
e2e_write_store '[Services]' "intranet=127.0.0.1:$E2E_OPEN_PORT" "mail=127.0.0.1:$E2E_CLOSED_PORT" \
    "files.example.com=127.0.0.1:$E2E_OPEN_PORT" '' '[Settings]' 'Green=100' 'Yellow=60'
e2e_start_program "$program" -stylesheet "$(dirname "$0")/dark.qss"
icon=$(e2e_wait_for_tray_icon "$E2E_CLASS" 20) || e2e_fail "no icon of the program in the notification area"
e2e_expect 0 -F 'vantrel.tray: shown image=YELLOWLED' 20 "the first check's light under the dark theme"
mark=$(e2e_mark)
e2e_click "$icon" 1
main=$(e2e_wait_for_focus NORMAL) || e2e_fail "the click did not show the main window"
e2e_expect "$mark" -E '^vantrel.board: row 2 "files.example.com" up' 10 "the board's last row"
shoot "$main" main-window-dark
e2e_wait_until 10 main_with_lights "$main" main-window-dark || e2e_fail "the lights are not drawn under the dark theme"
e2e_terminate_program

if [[ -n ${VANTREL_SCREENSHOTS:-} ]]; then
    mkdir -p "$VANTREL_SCREENSHOTS"
    for picture in main-window options-services options-settings about; do
        cp "$E2E_ARTIFACTS/$picture-1x.png" "$VANTREL_SCREENSHOTS/$picture.png"
        cp "$E2E_ARTIFACTS/$picture-2x.png" "$VANTREL_SCREENSHOTS/$picture-2x.png"
    done
    cp "$E2E_ARTIFACTS/main-window-dark.png" "$VANTREL_SCREENSHOTS/main-window-dark.png"
    e2e_log "pictures copied to $VANTREL_SCREENSHOTS"
fi

echo "windows pictured at scale 1 and 2 and under a dark theme on a real desktop: passed"
