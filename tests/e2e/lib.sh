# Shared helpers for the real-desktop tests. Source this file from a test script, then call
# e2e_start_desktop. Everything started through these helpers is stopped when the script exits.
#
# Needs: Xvfb, xdpyinfo, xwininfo, openbox, trayer, xdotool and import (imagemagick).

set -euo pipefail

E2E_PIDS=()
E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-e2e.XXXXXX")
E2E_ARTIFACTS=${E2E_ARTIFACTS:-$E2E_TMP/artifacts}
E2E_TRAY_PANEL=
E2E_LAST_PID=

e2e_log() { printf '[e2e %s] %s\n' "$(date +%T.%3N)" "$*" >&2; }

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
    for tool in Xvfb xdpyinfo xwininfo openbox trayer xdotool import; do
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
    Xvfb -displayfd 9 -noreset -screen 0 1280x800x24 -nolisten tcp 9>"$numberfile" >"$E2E_TMP/xvfb.log" 2>&1 &
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
    e2e_require_tools
    mkdir -p "$E2E_ARTIFACTS" "$E2E_TMP/config" "$E2E_TMP/runtime"
    chmod 700 "$E2E_TMP/runtime"
    # Nothing from the caller's session may leak in: no D-Bus session (so Qt talks XEmbed to trayer
    # rather than looking for a StatusNotifier host), no user configuration.
    export XDG_CONFIG_HOME=$E2E_TMP/config XDG_RUNTIME_DIR=$E2E_TMP/runtime
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$E2E_TMP/no-session-bus
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
    e2e_start_xvfb
    if command -v xprop >/dev/null; then
        e2e_spawn "$E2E_TMP/openbox.log" openbox
        e2e_wait_until 10 e2e_wm_running || e2e_fail "openbox did not start"
    fi
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

# e2e_click WINDOW [BUTTON [REPEAT]]: a real pointer click inside the window.
e2e_click() {
    xdotool mousemove --window "$1" 8 8 click --repeat "${3:-1}" --delay 60 "${2:-1}"
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

# e2e_screenshot NAME: the whole screen as ARTIFACTS/NAME.png.
e2e_screenshot() {
    [[ -n ${DISPLAY:-} ]] || return 0
    import -window root "$E2E_ARTIFACTS/$1.png" && e2e_log "screenshot $E2E_ARTIFACTS/$1.png"
}
