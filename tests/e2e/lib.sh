# Shared helpers for the real-desktop tests. Source this file from a test script, then call
# e2e_start_desktop. Everything started through these helpers is stopped when the script exits.
#
# Needs: Xvfb, xdpyinfo, xwininfo, xprop, openbox, trayer, xdotool, import (imagemagick) and python3.

set -euo pipefail

E2E_PIDS=()
E2E_CLEANUP_HOOKS=()
E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-e2e.XXXXXX")
E2E_ARTIFACTS=${E2E_ARTIFACTS:-$E2E_TMP/artifacts}
E2E_TRAY_PANEL=
E2E_LAST_PID=
E2E_SHOTS=0
# The exit status ctest reads as "skipped" (SKIP_RETURN_CODE).
E2E_SKIP=77
# The screen's size and depth; a test may set it before sourcing this file.
E2E_SCREEN=${E2E_SCREEN:-1280x800x24}
# Each run starts with an empty artifact folder, so what is there afterwards belongs to this run.
mkdir -p "$E2E_ARTIFACTS"
rm -f "$E2E_ARTIFACTS"/*.png "$E2E_ARTIFACTS"/*.log

e2e_log() { printf '[e2e %s] %s\n' "$(date +%T.%3N)" "$*" >&2; }

# e2e_skip REASON: ends the test as skipped (E2E_SKIP), saying why.
e2e_skip() {
    echo "$(basename "$0") skipped: $*"
    exit "$E2E_SKIP"
}

e2e_fail() {
    e2e_log "FAIL: $*"
    e2e_screenshot failure || true
    exit 1
}

e2e_cleanup() {
    local status=$? i pid
    # Stop in reverse order of start: programs, then the notification area, the window manager, X.
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${E2E_PIDS[i]}
        if kill -0 "$pid" 2>/dev/null; then
            kill -TERM "$pid" 2>/dev/null || true
            e2e_wait_for_exit "$pid" 5 >/dev/null 2>&1 || kill -KILL "$pid" 2>/dev/null || true
        fi
        wait "$pid" 2>/dev/null || true
    done
    # Hooks undo what was done outside the processes (an installed package), also after a failure.
    for ((i = ${#E2E_CLEANUP_HOOKS[@]} - 1; i >= 0; i--)); do
        "${E2E_CLEANUP_HOOKS[i]}" || status=1
    done
    rm -rf "$E2E_TMP"
    exit "$status"
}
trap e2e_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# e2e_wait_until SECONDS COMMAND...: polls COMMAND until it succeeds; fails after SECONDS.
e2e_wait_until() {
    local limit=$1
    shift
    local deadline=$(($(date +%s%N) + limit * 1000000000))
    until "$@" >/dev/null 2>&1; do
        (($(date +%s%N) < deadline)) || return 1
        sleep 0.05
    done
}

e2e_require_tools() {
    local tool missing=()
    for tool in Xvfb xdpyinfo xwininfo xprop openbox trayer xdotool import python3; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    ((${#missing[@]} == 0)) || e2e_fail "missing programs: ${missing[*]}"
}

# e2e_spawn LOG COMMAND...: starts COMMAND in the background with its output in LOG; sets E2E_LAST_PID.
e2e_spawn() {
    local log=$1
    shift
    "$@" >"$log" 2>&1 &
    E2E_LAST_PID=$!
    E2E_PIDS+=("$E2E_LAST_PID")
}

e2e_start_xvfb() {
    # Xvfb picks a free display itself and writes its number to the given descriptor: no race with
    # other servers started at the same time. Without -noreset the server resets whenever its last
    # client leaves, and the next client to connect during the reset (the window manager) fails.
    local numberfile=$E2E_TMP/display
    Xvfb -displayfd 9 -noreset -screen 0 "$E2E_SCREEN" -nolisten tcp 9>"$numberfile" >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_PIDS+=("$!")
    e2e_wait_until 10 test -s "$numberfile" || e2e_fail "Xvfb did not start: $(cat "$E2E_TMP/xvfb.log")"
    export DISPLAY=":$(head -n1 "$numberfile")"
    e2e_wait_until 10 xdpyinfo || e2e_fail "display $DISPLAY does not answer"
    e2e_log "Xvfb on $DISPLAY"
}

e2e_window_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

e2e_wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

e2e_find_tray_panel() {
    local id
    for id in $(xdotool search --class '^trayer$' 2>/dev/null); do
        if xwininfo -id "$id" 2>/dev/null | grep -q '"panel"'; then
            echo "$id"
            return 0
        fi
    done
    return 1
}

e2e_start_desktop() {
    e2e_start_desktop_without_tray
    e2e_start_tray
}

# e2e_start_desktop_without_tray: the display and the window manager, but no notification area yet.
e2e_start_desktop_without_tray() {
    e2e_require_tools
    mkdir -p "$E2E_ARTIFACTS"
    # Nothing from the caller's session may leak in: no D-Bus session (so Qt talks XEmbed to trayer
    # rather than looking for a StatusNotifier host), no user configuration, home or runtime folder.
    e2e_fresh_profile desktop
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$E2E_TMP/no-session-bus
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
    e2e_start_xvfb
    if command -v xprop >/dev/null; then
        e2e_spawn "$E2E_TMP/openbox.log" openbox
        e2e_wait_until 10 e2e_wm_running || e2e_fail "openbox did not start"
    fi
}

# e2e_start_tray: a real XEmbed notification area (trayer) at the top right; sets E2E_TRAY_PANEL.
e2e_start_tray() {
    e2e_spawn "$E2E_TMP/trayer.log" trayer --edge top --align right --widthtype request --height 32 \
        --transparent false
    e2e_wait_until 10 e2e_find_tray_panel || e2e_fail "trayer did not start: $(cat "$E2E_TMP/trayer.log")"
    E2E_TRAY_PANEL=$(e2e_find_tray_panel)
    e2e_log "notification area window $E2E_TRAY_PANEL"
}

# e2e_tray_icon_of CLASS: the icon window that a program of that X resource name has embedded in the
# notification area (printed); fails when there is none.
e2e_tray_icon_of() {
    xwininfo -tree -id "$E2E_TRAY_PANEL" 2>/dev/null |
        awk -v want="(\"$1\"" '$0 ~ /^ *0x/ && index($0, want) { print $1; found = 1; exit } END { exit !found }'
}

# e2e_wait_for_tray_icon CLASS SECONDS: prints the icon window once it is embedded and viewable.
e2e_wait_for_tray_icon() {
    local id
    e2e_icon_ready() { id=$(e2e_tray_icon_of "$1") && e2e_window_viewable "$id"; }
    e2e_wait_until "$2" e2e_icon_ready "$1" || return 1
    e2e_tray_icon_of "$1"
}

# e2e_wait_for_window NAME SECONDS: prints the first visible window whose title matches NAME.
e2e_wait_for_window() {
    e2e_wait_until "$2" xdotool search --onlyvisible --name "$1" || return 1
    xdotool search --onlyvisible --name "$1" | head -n1
}

# e2e_click WINDOW [BUTTON [REPEAT]]: a real pointer click inside the window. A click that follows the
# previous one within the toolkit's double-click interval (400 ms) would be taken for the second half
# of a double click, so separate clicks are kept further apart than that, as a user's would be.
E2E_LAST_CLICK_NS=0
E2E_CLICK_GAP_NS=600000000
e2e_click() {
    e2e_pace_click
    xdotool mousemove --window "$1" 8 8 click --repeat "${3:-1}" --delay 60 "${2:-1}"
    E2E_LAST_CLICK_NS=$(date +%s%N)
}

# e2e_pace_click: waits until the next click may follow the previous one as a separate click.
e2e_pace_click() {
    local wait_ns=$((E2E_LAST_CLICK_NS + E2E_CLICK_GAP_NS - $(date +%s%N)))
    ((wait_ns <= 0)) || sleep "$(printf '0.%09d' "$wait_ns")"
}

# e2e_wait_for_line FILE REGEX SECONDS
e2e_wait_for_line() { e2e_wait_until "$3" grep -Eq -- "$2" "$1"; }

e2e_process_gone() { ! kill -0 "$1" 2>/dev/null; }

# e2e_wait_for_exit PID SECONDS: waits for a process we started to end; returns its exit status.
e2e_wait_for_exit() {
    e2e_wait_until "$2" e2e_process_gone "$1" || return 124
    local status=0
    wait "$1" 2>/dev/null || status=$?
    return "$status"
}

# e2e_screenshot NAME: the whole screen as ARTIFACTS/NN-NAME.png, numbered in the order taken.
e2e_screenshot() {
    [[ -d $E2E_ARTIFACTS ]] || return 0
    local file
    E2E_SHOTS=$((E2E_SHOTS + 1))
    file=$(printf '%s/%02d-%s.png' "$E2E_ARTIFACTS" "$E2E_SHOTS" "$1")
    e2e_capture_screen "$file" || return 1
    [[ ! -e $file ]] || e2e_log "screenshot $file"
}

# e2e_capture_screen FILE: the X screen as a PNG; nothing before the display runs. The Wayland
# helpers put their own in its place, as they do for e2e_tray_icon_gone.
e2e_capture_screen() {
    [[ -z ${DISPLAY:-} ]] || import -window root "$1"
}

# e2e_fresh_profile NAME: points XDG_CONFIG_HOME, HOME and XDG_RUNTIME_DIR at new private folders, so
# the next program started finds an empty store and no other instance. Sets E2E_STORE, the store file.
e2e_fresh_profile() {
    local dir=$E2E_TMP/profile-$1
    mkdir -p "$dir/config" "$dir/home" "$dir/runtime"
    chmod 700 "$dir/runtime"
    export XDG_CONFIG_HOME=$dir/config HOME=$dir/home XDG_RUNTIME_DIR=$dir/runtime
    E2E_STORE=$XDG_CONFIG_HOME/Vantrel/vantrel.conf
}

# e2e_write_store LINE...: writes the store file of the current profile with these lines.
e2e_write_store() {
    mkdir -p "$(dirname "$E2E_STORE")"
    chmod 700 "$(dirname "$E2E_STORE")"
    printf '%s\n' "$@" >"$E2E_STORE"
    chmod 600 "$E2E_STORE"
}

# e2e_start_loopback: a listener that accepts and closes every connection, and a port that refuses
# them (bound but never listening, so no other program can take it meanwhile), both on 127.0.0.1.
# Sets E2E_OPEN_PORT, E2E_CLOSED_PORT and E2E_LOOPBACK_LOG (one "accepted" line per connection).
e2e_start_loopback() {
    local ports=$E2E_TMP/ports
    E2E_LOOPBACK_LOG=$E2E_TMP/loopback.log
    e2e_spawn "$E2E_LOOPBACK_LOG" python3 -u -c '
import os, socket, sys
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(16)
refusing = socket.socket()
refusing.bind(("127.0.0.1", 0))
with open(sys.argv[1] + ".tmp", "w") as f:
    f.write("%d %d\n" % (listener.getsockname()[1], refusing.getsockname()[1]))
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
while True:
    connection, _ = listener.accept()
    connection.close()
    print("accepted")
' "$ports"
    e2e_wait_until 10 test -s "$ports" || e2e_fail "the loopback services did not start: $(cat "$E2E_LOOPBACK_LOG")"
    read -r E2E_OPEN_PORT E2E_CLOSED_PORT <"$ports"
    e2e_log "listening on 127.0.0.1:$E2E_OPEN_PORT, refusing on 127.0.0.1:$E2E_CLOSED_PORT"
}

# e2e_expect_connection: the listener has accepted a connection. The program finds a service up as
# soon as the kernel completes the connection, which may be before the listener logs its accept.
e2e_expect_connection() {
    e2e_wait_for_line "$E2E_LOOPBACK_LOG" '^accepted$' 10 || e2e_fail "the check never connected to the listener"
}

# e2e_start_silent_peer: a listener on 127.0.0.1 whose accept queue is full and which never accepts,
# so a new connect gets no answer and runs into its time-out. Sets E2E_SILENT_PORT.
e2e_start_silent_peer() {
    local portfile=$E2E_TMP/silent-port
    e2e_spawn "$E2E_TMP/silent.log" python3 -u -c '
import os, select, socket, sys, time
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(0)
port = listener.getsockname()[1]
fillers = []
for _ in range(8):  # until a connect is no longer answered: the queue is full
    client = socket.socket()
    client.setblocking(False)
    client.connect_ex(("127.0.0.1", port))
    fillers.append(client)
    if not select.select([], [client], [], 0.2)[1]:
        break
with open(sys.argv[1] + ".tmp", "w") as f:
    f.write("%d\n" % port)
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
while True:
    time.sleep(3600)
' "$portfile"
    e2e_wait_until 10 test -s "$portfile" || e2e_fail "the silent peer did not start: $(cat "$E2E_TMP/silent.log")"
    E2E_SILENT_PORT=$(cat "$portfile")
    e2e_log "silent on 127.0.0.1:$E2E_SILENT_PORT"
}

# --- the program under test -------------------------------------------------------------------

E2E_CLASS=vantrel-local
E2E_TITLE="Vantrel Local"
E2E_PROGRAM_LOG=
E2E_PROGRAM_PID=
E2E_RUNS=0

# e2e_start_program COMMAND...: starts the program with its test logging on; its output goes to
# ARTIFACTS/program-N.log (kept with the screenshots). Sets E2E_PROGRAM_PID and E2E_PROGRAM_LOG.
e2e_start_program() {
    E2E_RUNS=$((E2E_RUNS + 1))
    E2E_PROGRAM_LOG=$E2E_ARTIFACTS/program-$E2E_RUNS.log
    e2e_spawn "$E2E_PROGRAM_LOG" env QT_LOGGING_RULES='vantrel.*.info=true' "$@"
    E2E_PROGRAM_PID=$E2E_LAST_PID
    e2e_log "started $* as $E2E_PROGRAM_PID"
}

# e2e_expect_orderly_end MARK WHAT: the program ends with status 0 after WHAT, having logged the
# removal of its icon since MARK, and the icon leaves the notification area.
e2e_expect_orderly_end() {
    local status=0
    e2e_wait_for_exit "$E2E_PROGRAM_PID" 15 || status=$?
    ((status == 0)) || e2e_fail "the program ended with status $status after $2"
    e2e_expect "$1" -F 'vantrel.tray: removed' 1 "the icon's removal after $2"
    e2e_wait_until 10 e2e_tray_icon_gone || e2e_fail "the icon stayed in the notification area after $2"
}

e2e_tray_icon_gone() { ! e2e_tray_icon_of "$E2E_CLASS"; }

# e2e_terminate_program: SIGTERM, as the session's end sends it, and an orderly end.
e2e_terminate_program() {
    local mark
    mark=$(e2e_mark)
    kill -TERM "$E2E_PROGRAM_PID"
    e2e_expect_orderly_end "$mark" SIGTERM
}

# e2e_mark: the number of lines the program has logged so far; pass it to e2e_expect.
e2e_mark() { wc -l <"$E2E_PROGRAM_LOG"; }

e2e_logged_since() { tail -n "+$(($1 + 1))" "$E2E_PROGRAM_LOG" | grep -q "$2" -- "$3"; }

# e2e_expect MARK -F|-E PATTERN SECONDS WHAT: waits for a line after MARK that matches PATTERN (fixed
# text with -F, extended regular expression with -E); fails naming WHAT otherwise.
e2e_expect() {
    e2e_wait_until "$4" e2e_logged_since "$1" "$2" "$3" ||
        e2e_fail "$5: no line matching '$3' within $4 s; the program logged:
$(tail -n "+$(($1 + 1))" "$E2E_PROGRAM_LOG" | tail -n 30)"
}

# e2e_program_window TYPE: the first visible window of the program whose first window type is TYPE
# (NORMAL for the main window, DIALOG, DROPDOWN_MENU), titled "Vantrel Local" unless TITLE is given.
e2e_program_window() {
    local type=$1 title=${2-$E2E_TITLE} id first
    for id in $(xdotool search --onlyvisible --classname "^$E2E_CLASS\$" 2>/dev/null); do
        first=$(xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | sed -n 's/.*= _NET_WM_WINDOW_TYPE_\([A-Z_]*\).*/\1/p')
        [[ $first == "$type" ]] || continue
        [[ -z $title || $(xdotool getwindowname "$id" 2>/dev/null) == "$title" ]] || continue
        echo "$id"
        return 0
    done
    return 1
}

e2e_active_is() { [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]]; }

# e2e_wait_for_focus TYPE [TITLE]: waits for that window of the program to be shown and to hold the
# keyboard focus (asking the window manager to give it if need be); prints its id.
e2e_wait_for_focus() {
    local id
    e2e_focused() {
        id=$(e2e_program_window "$@") || return 1
        e2e_active_is "$id" && return 0
        xdotool windowactivate "$id" >/dev/null 2>&1
        return 1
    }
    e2e_wait_until 10 e2e_focused "$@" || return 1
    echo "$id"
}

# e2e_answer_box MARK TEXT SHOT KEYS...: waits for the message box with TEXT (as logged: line breaks
# as \r\n) opened after MARK, gives it the focus, screenshots it as SHOT, presses KEYS and waits for
# the box to close, so that a box opened next is never mistaken for this one.
e2e_answer_box() {
    local mark=$1 text=$2 shot=$3 box
    shift 3
    e2e_expect "$mark" -F "vantrel.message: shown \"$E2E_TITLE\" \"$text\"" 20 "message box \"$text\""
    box=$(e2e_wait_for_focus DIALOG) || e2e_fail "the message box \"$text\" never got the focus"
    e2e_screenshot "$shot"
    xdotool key --clearmodifiers "$@"
    e2e_wait_until 10 e2e_window_gone "$box" || e2e_fail "the message box \"$text\" stayed open after $*"
}

e2e_window_gone() { ! e2e_window_viewable "$1"; }

# e2e_main_window_viewable ID / e2e_main_window_withdrawn ID: shown, or hidden altogether (neither on
# screen nor minimised: no WM_STATE, and not among the window manager's clients).
e2e_main_window_viewable() { e2e_window_viewable "$1"; }
e2e_main_window_withdrawn() {
    ! e2e_window_viewable "$1" &&
        ! xprop -id "$1" WM_STATE 2>/dev/null | grep -Eq 'window state: (Normal|Iconic)' &&
        ! xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -qi "$(printf '0x%x' "$1")\b"
}

# e2e_request_close WINDOW: asks the window manager to close the window, as its close box or a task
# bar does (_NET_CLOSE_WINDOW, which the manager turns into WM_DELETE_WINDOW for the program). The
# manager's Alt+F4 binding does the same, but on a loaded machine a synthetic Alt+F4 was now and then
# lost before any close request reached the program.
e2e_request_close() {
    python3 -c '
import ctypes, ctypes.util, sys
x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]
x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(Event)]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.send_event = 1
event.xclient.window = int(sys.argv[1], 0)
event.xclient.message_type = x11.XInternAtom(display, b"_NET_CLOSE_WINDOW", 0)
event.xclient.format = 32
event.xclient.data[0] = 0  # timestamp: none
event.xclient.data[1] = 2  # source: a pager or similar tool acting for the user
mask = (1 << 19) | (1 << 20)  # SubstructureNotifyMask | SubstructureRedirectMask
x11.XSendEvent(display, x11.XDefaultRootWindow(display), 0, mask, ctypes.byref(event))
x11.XFlush(display)
x11.XCloseDisplay(display)
' "$1"
}

# e2e_check_now MAIN: presses "Check all saved services now" by keyboard, wherever the focus is: a
# click in the middle of the main window lands on the status board, which takes the focus (a click on
# a row only fills the quick-check panel), and the button is the next stop of Tab after the board.
e2e_check_now() {
    local width height
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(WIDTH|HEIGHT)=')"
    width=$WIDTH height=$HEIGHT
    xdotool mousemove --window "$1" $((width / 2)) $((height / 2)) click 1
    xdotool key --clearmodifiers Tab space
}

# e2e_menu_command MAIN RIGHT DOWN: with the main window MAIN focused, opens its menu bar by keyboard
# (Alt), moves RIGHT menus to the right, opens that menu, moves DOWN items down and presses Return.
# The menus carry no access keys, so this is how a keyboard user reaches them.
e2e_menu_command() {
    local main=$1 right=$2 down=$3 keys=() i
    e2e_wait_until 10 e2e_active_is "$main" || e2e_fail "the main window does not have the focus"
    xdotool key --clearmodifiers alt
    for ((i = 0; i < right; i++)); do keys+=(Right); done
    keys+=(Down)
    xdotool key --clearmodifiers "${keys[@]}"
    e2e_wait_until 10 e2e_program_window DROPDOWN_MENU "" || e2e_fail "the menu did not open"
    keys=()
    for ((i = 0; i < down; i++)); do keys+=(Down); done
    keys+=(Return)
    e2e_screenshot menu-open
    xdotool key --clearmodifiers "${keys[@]}"
}
