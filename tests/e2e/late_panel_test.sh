#!/usr/bin/env bash
# late_panel_test.sh PROGRAM ARTIFACT_DIR: at login the panel often starts after the program. Started
# on a desktop without a notification area, the program waits for one: when trayer comes up during
# the wait (started once the program's log says it waits), its icon enters it and the main window is
# never shown; when none comes, the window is shown once the wait is over, so the program can be
# reached.
E2E_ARTIFACTS=$2
source "$(dirname "$0")/lib.sh"
program=$1

# main_window_id: the main window's X window, which Qt makes before the window is first shown.
main_window_id() {
    local id
    for id in $(xdotool search --classname "^$E2E_CLASS\$" 2>/dev/null); do
        xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '= _NET_WM_WINDOW_TYPE_NORMAL$' &&
            [[ $(xdotool getwindowname "$id" 2>/dev/null) == "$E2E_TITLE" ]] && echo "$id" && return 0
    done
    return 1
}

# watch_top_levels LOG: writes "watching" to LOG once it listens, then "managed ID" whenever the window
# manager takes a top-level window in to show it (it moves the window into its frame) and "mapped ID"
# whenever a window is shown straight on the screen, until the display goes.
watch_top_levels() {
    e2e_spawn "$1" python3 -u -c '
import ctypes, ctypes.util
x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
display = x11.XOpenDisplay(None)
x11.XSelectInput(display, x11.XDefaultRootWindow(display), 1 << 19)  # SubstructureNotifyMask
x11.XSync(display, 0)
print("watching")
event = (ctypes.c_ulong * 24)()
names = {19: "mapped", 21: "managed"}  # MapNotify, ReparentNotify: the event field at index 5 is the window
while True:
    x11.XNextEvent(display, event)
    kind = event[0] & 0xFFFFFFFF
    if kind in names:
        print(names[kind], event[5])
'
    e2e_wait_for_line "$1" '^watching$' 10 || e2e_fail "could not watch the top-level windows: $(cat "$1")"
}

e2e_start_desktop_without_tray
e2e_start_loopback
e2e_write_store '[Services]' "web=127.0.0.1:$E2E_OPEN_PORT"

# No notification area comes: the window is shown when the wait has run out (which also proves that the
# watcher sees a window being shown).
watch_top_levels "$E2E_TMP/top-levels.log"
e2e_start_program "$program"
e2e_expect 0 -F 'vantrel.tray: waiting for a notification area' 20 "the wait for a notification area"
e2e_expect 0 -F 'vantrel.tray: no notification area after' 30 "the end of the wait"
main=$(e2e_wait_for_window "^$E2E_TITLE\$" 10) || e2e_fail "the main window was not shown without a notification area"
e2e_screenshot no-panel-window-shown
e2e_wait_for_line "$E2E_TMP/top-levels.log" "^managed $main\$" 10 || e2e_fail "the watcher missed the window being shown"
kill -TERM "$E2E_PROGRAM_PID"
e2e_wait_for_exit "$E2E_PROGRAM_PID" 15 || e2e_fail "the program did not end on SIGTERM"

# The panel comes during the wait: the icon goes into it and the window stays hidden.
e2e_start_program "$program"
e2e_expect 0 -F 'vantrel.tray: waiting for a notification area' 20 "the wait for a notification area"
e2e_start_tray
e2e_wait_for_tray_icon "$E2E_CLASS" 20 >/dev/null || e2e_fail "the icon did not enter the late notification area"
e2e_expect 0 -F 'vantrel.tray: notification area found after' 20 "the notification area found"
e2e_expect 0 -F 'vantrel.cycle: result 1 of 1 up' 20 "the first check"
e2e_screenshot late-panel-icon
# Qt makes the main window's X window at the latest when it first shows it.
if main=$(main_window_id); then
    grep -Eq "^(managed|mapped) $main\$" "$E2E_TMP/top-levels.log" &&
        e2e_fail "the main window was shown although a notification area came"
fi
grep -q 'no notification area after' "$E2E_PROGRAM_LOG" && e2e_fail "the program gave up waiting"
kill -0 "$E2E_PROGRAM_PID" || e2e_fail "the program ended"
e2e_terminate_program

echo "a late notification area: passed"
