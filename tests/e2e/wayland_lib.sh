# Shared helpers for the desktop tests on Wayland: a headless sway, waybar's tray as the
# StatusNotifierItem host, a private session bus, and the program on Qt's wayland platform. Source
# lib.sh first, then this file, then call e2e_start_wayland_desktop; lib.sh's helpers for the
# program's log and its orderly end work as they do on X.
#
# Needs: sway, swaymsg, waybar, grim, wtype, dbus-run-session, busctl, setpriv and python3.

# sway refuses to run as root. Run as root (as CI does), the desktop, the program and every tool that
# talks to them run as the unprivileged user nobody: E2E_AS_USER is the command prefix that does so,
# empty when the test already runs as an ordinary user.
E2E_AS_USER=()
E2E_USER_IDS=
# The program's item as the watcher lists it, "BUS-NAME/OBJECT-PATH"; set by e2e_wait_for_sni_item.
E2E_SNI_ITEM=
E2E_BAR_HEIGHT=30

e2e_as_user() { "${E2E_AS_USER[@]}" "$@"; }

# e2e_hand_to_user PATH...: gives these files and folders to the desktop's user.
e2e_hand_to_user() {
    [[ -z $E2E_USER_IDS ]] || chown -R "$E2E_USER_IDS" "$@"
}

# e2e_write_user_store LINE...: e2e_write_store, readable by the program that runs as that user.
e2e_write_user_store() {
    e2e_write_store "$@"
    e2e_hand_to_user "$XDG_CONFIG_HOME"
}

# e2e_user_program PROGRAM: a copy of the program and of what lies beside it (alarm sound, help page)
# in a folder the desktop's user can read, since the build folder may lie below one that only root
# may enter; prints the copy's path.
e2e_user_program() {
    local dir=$E2E_TMP/program
    mkdir -p "$dir"
    find "$(dirname "$1")" -maxdepth 1 -type f -exec cp -t "$dir" {} +
    chmod -R a+rX "$dir"
    e2e_as_user test -x "$dir/$(basename "$1")" || e2e_fail "the copy of the program in $dir is out of the user's reach"
    echo "$dir/$(basename "$1")"
}

e2e_choose_desktop_user() {
    ((EUID == 0)) || return 0
    local uid gid
    uid=$(id -u nobody 2>/dev/null) && gid=$(id -g nobody 2>/dev/null) ||
        e2e_skip "sway does not run as root, and there is no user nobody to run the desktop as"
    E2E_AS_USER=(setpriv --reuid="$uid" --regid="$gid" --clear-groups)
    E2E_USER_IDS=$uid:$gid
}

e2e_start_wayland_desktop() {
    local tool missing=() dir=$E2E_TMP/wayland session
    for tool in sway swaymsg waybar grim wtype dbus-run-session busctl setpriv python3; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    ((${#missing[@]} == 0)) || e2e_fail "missing programs: ${missing[*]}"
    e2e_choose_desktop_user
    # The user passes through the test's private folder to the profile, which it owns.
    chmod 711 "$E2E_TMP"
    e2e_fresh_profile wayland
    e2e_hand_to_user "$(dirname "$HOME")"
    e2e_as_user test -w "$XDG_RUNTIME_DIR" ||
        e2e_skip "user ${E2E_USER_IDS:-$EUID} cannot enter $E2E_TMP; point TMPDIR at a folder others may pass through"

    # No X server, no session of the caller's: Qt and waybar find only this desktop.
    unset DISPLAY WAYLAND_DISPLAY SWAYSOCK DBUS_SESSION_BUS_ADDRESS
    export QT_QPA_PLATFORM=wayland
    # An output drawn in memory by the CPU, no input devices but the virtual keyboard below.
    export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman
    # waybar's toolkit would otherwise start an accessibility bus that nothing here uses.
    export NO_AT_BRIDGE=1

    mkdir -p "$dir"
    chmod 755 "$dir"
    # Once running, sway tells the test its session bus, display and control socket through a file.
    cat >"$dir/sway.conf" <<'EOF'
xwayland disable
exec sh -c 'printf "%s\n" "$DBUS_SESSION_BUS_ADDRESS" "$WAYLAND_DISPLAY" "$SWAYSOCK" >"$HOME/session.tmp" && mv "$HOME/session.tmp" "$HOME/session"'
EOF
    cat >"$dir/waybar.json" <<EOF
{ "layer": "top", "position": "top", "height": $E2E_BAR_HEIGHT, "modules-right": ["tray"],
  "tray": { "icon-size": 16, "spacing": 4 } }
EOF
    echo 'window#waybar { background: #303030; }' >"$dir/waybar.css"
    chmod 644 "$dir"/*

    session=$HOME/session
    e2e_spawn "$E2E_ARTIFACTS/sway.log" "${E2E_AS_USER[@]}" dbus-run-session -- sway --config "$dir/sway.conf"
    local launcher=$E2E_LAST_PID
    e2e_wait_until 15 test -s "$session" || e2e_fail "sway did not start: $(tail -n 20 "$E2E_ARTIFACTS/sway.log")"
    { read -r DBUS_SESSION_BUS_ADDRESS && read -r WAYLAND_DISPLAY && read -r SWAYSOCK; } <"$session" ||
        e2e_fail "sway's session file is incomplete: $(cat "$session")"
    export DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY SWAYSOCK
    # dbus-run-session ends its bus when sway ends: the clean-up stops sway, then the bus, by their ids.
    local bus compositor
    bus=$(pgrep -P "$launcher" -x dbus-daemon) && compositor=$(pgrep -P "$launcher" -x sway) ||
        e2e_fail "no bus or compositor below dbus-run-session $launcher"
    E2E_PIDS+=("$bus" "$compositor")
    e2e_log "sway on $WAYLAND_DISPLAY (pid $compositor), session bus $DBUS_SESSION_BUS_ADDRESS"

    # A seat without a keyboard gives no window the keyboard focus, and a keyboard that comes and
    # goes with each short-lived wtype closes an open menu as it goes. A virtual keyboard that stays
    # for the whole run is the keyboard a real seat has; the keys come from further wtype calls.
    e2e_spawn "$E2E_ARTIFACTS/keyboard.log" "${E2E_AS_USER[@]}" wtype -s 2000000

    e2e_spawn "$E2E_ARTIFACTS/waybar.log" "${E2E_AS_USER[@]}" waybar --config "$dir/waybar.json" --style "$dir/waybar.css"
    e2e_wait_until 15 e2e_sni_host_ready ||
        e2e_fail "waybar's tray did not register as StatusNotifierItem host: $(tail -n 20 "$E2E_ARTIFACTS/waybar.log")"
    e2e_log "waybar's tray is the StatusNotifierItem host"
}

e2e_capture_screen() {
    [[ -z ${WAYLAND_DISPLAY:-} ]] || e2e_as_user grim -t png - >"$1"
}

# --- the StatusNotifierItem protocol ------------------------------------------------------------

E2E_SNI_WATCHER=(org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.kde.StatusNotifierWatcher)

e2e_busctl() { e2e_as_user busctl --user "$@"; }

e2e_sni_host_ready() {
    [[ $(e2e_busctl get-property "${E2E_SNI_WATCHER[@]}" IsStatusNotifierHostRegistered) == 'b true' ]]
}

# e2e_sni_items: the items registered with the watcher, one a line.
e2e_sni_items() {
    e2e_busctl --json=short get-property "${E2E_SNI_WATCHER[@]}" RegisteredStatusNotifierItems |
        python3 -c 'import json, sys; print("\n".join(json.load(sys.stdin)["data"]))'
}

# An item is listed as a bus name, optionally followed by its object path.
e2e_sni_bus() { echo "${1%%/*}"; }
e2e_sni_path() { [[ $1 == */* ]] && echo "/${1#*/}" || echo /StatusNotifierItem; }

# e2e_sni_item_of PID: prints the registered item that process PID serves.
e2e_sni_item_of() {
    local items item owner
    items=$(e2e_sni_items) || return 1
    for item in $items; do
        owner=$(e2e_busctl call org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus \
            GetConnectionUnixProcessID s "$(e2e_sni_bus "$item")") || continue
        [[ $owner == "u $1" ]] || continue
        echo "$item"
        return 0
    done
    return 1
}

# e2e_wait_for_sni_item PID SECONDS: waits for the process's item to be registered; sets E2E_SNI_ITEM.
e2e_wait_for_sni_item() {
    e2e_wait_until "$2" e2e_sni_item_of "$1" || return 1
    E2E_SNI_ITEM=$(e2e_sni_item_of "$1")
    e2e_log "the program's item is $E2E_SNI_ITEM"
}

# Replaces the X notification area's test: the program's item has left the watcher's list.
e2e_tray_icon_gone() {
    local items
    items=$(e2e_sni_items) || return 1
    ! grep -qxF -- "$E2E_SNI_ITEM" <<<"$items"
}

# e2e_sni_get PROPERTY: one property of the program's item, as busctl's JSON.
e2e_sni_get() {
    e2e_busctl --json=short get-property "$(e2e_sni_bus "$E2E_SNI_ITEM")" "$(e2e_sni_path "$E2E_SNI_ITEM")" \
        org.kde.StatusNotifierItem "$1"
}

# e2e_sni_tooltip: the title of the item's ToolTip, the text a host shows, with line breaks written
# as \r and \n as in the program's log.
e2e_sni_tooltip() {
    e2e_sni_get ToolTip |
        python3 -c 'import json, sys; print(json.load(sys.stdin)["data"][2].encode("unicode_escape").decode())'
}

# e2e_sni_call METHOD: calls Activate or ContextMenu as a host does for a left or right click, spaced
# like separate clicks. Returns when the program has handled the call.
e2e_sni_call() {
    e2e_pace_click
    e2e_busctl call "$(e2e_sni_bus "$E2E_SNI_ITEM")" "$(e2e_sni_path "$E2E_SNI_ITEM")" \
        org.kde.StatusNotifierItem "$1" ii 0 0
    E2E_LAST_CLICK_NS=$(date +%s%N)
}

# Which light some pixels show: green, yellow or red when that light's body colour is among them and
# the other two are not (the program's own icon has all three), none otherwise. Reads the item's
# IconPixmap as busctl's JSON (argument "pixmap", ARGB), or a PPM image of which it looks at the
# first ROWS rows (argument "ppm ROWS").
E2E_LIGHT_OF_PIXELS='
import json, re, sys
bodies = {"green": (0x00, 0xC2, 0x2E), "yellow": (0xF5, 0xC4, 0x00), "red": (0xE0, 0x1B, 0x1B)}
if sys.argv[1] == "pixmap":
    pixels = [tuple(data[i + 1:i + 4]) for _, _, data in json.load(sys.stdin)["data"]
              for i in range(0, len(data), 4) if data[i] == 255]
else:
    raw = sys.stdin.buffer.read()
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", raw)
    width, height = int(header[1]), min(int(header[2]), int(sys.argv[2]))
    body = raw[header.end():header.end() + width * height * 3]
    pixels = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
seen = {name: pixels.count(rgb) for name, rgb in bodies.items()}
lit = [name for name, count in seen.items() if count]
print(lit[0] if len(lit) == 1 and seen[lit[0]] >= 20 else "none")
'

e2e_sni_icon_light() { e2e_sni_get IconPixmap | python3 -c "$E2E_LIGHT_OF_PIXELS" pixmap; }

# e2e_bar_light: the light that waybar's bar shows on screen.
e2e_bar_light() { e2e_as_user grim -t ppm - | python3 -c "$E2E_LIGHT_OF_PIXELS" ppm "$E2E_BAR_HEIGHT"; }

# e2e_sni_shows TOOLTIP LIGHT: the item's tooltip and icon are these, and the bar draws that light.
e2e_sni_shows() {
    [[ $(e2e_sni_tooltip) == "$1" && $(e2e_sni_icon_light) == "$2" && $(e2e_bar_light) == "$2" ]]
}

# e2e_sni_describe: what the item and the bar show now, for a failure message.
e2e_sni_describe() {
    echo "tooltip \"$(e2e_sni_tooltip)\", icon $(e2e_sni_icon_light), bar $(e2e_bar_light)"
}

# --- windows and keys ---------------------------------------------------------------------------

# e2e_sway_window_of PID: prints "focused TITLE" or "shown TITLE" for the window of process PID in
# sway's tree; fails when the process has no window there (a hidden window is none).
e2e_sway_window_of() {
    e2e_as_user swaymsg -t get_tree | python3 -c '
import json, sys
def views(node):
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield child
        yield from views(child)
for view in views(json.load(sys.stdin)):
    if view.get("pid") == int(sys.argv[1]):
        print("focused" if view.get("focused") else "shown", view.get("name"))
        sys.exit(0)
sys.exit(1)
' "$1"
}

e2e_sway_window_is() { [[ $(e2e_sway_window_of "$1") == "$2" ]]; }

# e2e_wayland_menu_command RIGHT DOWN: with the program's main window focused, opens its menu bar by
# keyboard (Alt), moves RIGHT menus to the right, opens that menu, moves DOWN items down and presses
# Return, as e2e_menu_command does on X. A menu is no window of sway's tree that the test could wait
# for, so the keys go in one call: they reach the program in order, and the toolkit hands each to the
# menu that the previous one opened.
e2e_wayland_menu_command() {
    local keys=(-P Alt_L -p Alt_L) i
    for ((i = 0; i < $1; i++)); do keys+=(-k Right); done
    keys+=(-k Down)
    for ((i = 0; i < $2; i++)); do keys+=(-k Down); done
    keys+=(-k Return)
    e2e_as_user wtype "${keys[@]}"
}
