#!/usr/bin/env bash
# notify_test.sh PROGRAM ARTIFACT_DIR: desktop notifications through a real notification server
# (dunst) on a private session bus. The first check names the one service that is down from the start
# (its name written as markup, which reaches the server as plain text); a service that stops listening
# is named by the next check with its reason, and its return by the check after that, each notification
# replacing the one before; choosing the notification shows the main window.
E2E_ARTIFACTS=$2
source "$(dirname "$0")/lib.sh"
program=$1

for tool in dbus-daemon dbus-monitor dbus-send dunst dunstctl; do
    command -v "$tool" >/dev/null || e2e_fail "missing program: $tool"
done

e2e_start_desktop
e2e_start_loopback

# A private session bus, in place of the none that the desktop helpers set.
e2e_spawn "$E2E_TMP/bus.log" dbus-daemon --session --nofork --nopidfile --print-address
e2e_wait_until 10 grep -q '^unix:' "$E2E_TMP/bus.log" || e2e_fail "the session bus did not start: $(cat "$E2E_TMP/bus.log")"
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$E2E_TMP/bus.log")
export DBUS_SESSION_BUS_ADDRESS
e2e_log "session bus $DBUS_SESSION_BUS_ADDRESS"

calls=$E2E_ARTIFACTS/notify-calls.log
e2e_spawn "$calls" dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications',member='Notify'"
e2e_spawn "$E2E_ARTIFACTS/dunst.log" dunst
server_up() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.Notifications | grep -q 'boolean true'
}
e2e_wait_until 15 server_up || e2e_fail "dunst did not take the notification service: $(cat "$E2E_ARTIFACTS/dunst.log")"

# "mail" is a listener of its own that the test stops and starts again on the same port.
mail_port_file=$E2E_TMP/mail-port
start_mail() {
    rm -f "$mail_port_file"
    e2e_spawn "$E2E_TMP/mail-$1.log" python3 -u -c '
import os, socket, sys
listener = socket.socket()
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", int(sys.argv[2])))
listener.listen(16)
with open(sys.argv[1] + ".tmp", "w") as f:
    f.write("%d\n" % listener.getsockname()[1])
os.rename(sys.argv[1] + ".tmp", sys.argv[1])
while True:
    connection, _ = listener.accept()
    connection.close()
' "$mail_port_file" "$1"
    mail_pid=$E2E_LAST_PID
    e2e_wait_until 10 test -s "$mail_port_file" || e2e_fail "the mail listener did not start"
    mail_port=$(cat "$mail_port_file")
}
start_mail 0
e2e_write_store '[Services]' "mail=127.0.0.1:$mail_port" "web=127.0.0.1:$E2E_OPEN_PORT" \
    "<i>db</i>=127.0.0.1:$E2E_CLOSED_PORT"

e2e_start_program "$program"
icon=$(e2e_wait_for_tray_icon "$E2E_CLASS" 20) || e2e_fail "no icon of the program in the notification area"
e2e_expect 0 -F 'vantrel.notify: sent critical replaces 0 summary "1 of 3 servers down" body "<i>db</i>: connection refused"' \
    20 "the notification of the service down from the start"
e2e_expect 0 -E '^vantrel.notify: shown id [1-9][0-9]*$' 10 "the server's answer to the first notification"
first_id=$(sed -n 's/^vantrel.notify: shown id \([0-9]*\)$/\1/p' "$E2E_PROGRAM_LOG" | head -n1)
e2e_wait_until 10 grep -qF 'string "1 of 3 servers down"' "$calls" || e2e_fail "the bus carried no such notification"
grep -qF 'string "&lt;i&gt;db&lt;/i&gt;: connection refused"' "$calls" ||
    e2e_fail "the body did not reach the server as plain text: $(grep -F 'connection refused' "$calls")"
grep -qF 'string "Vantrel Local"' "$calls" || e2e_fail "the notification did not carry the program's name"
grep -A1 -F 'string "urgency"' "$calls" | grep -qF 'byte 2' || e2e_fail "the notification was not critical"
grep -A1 -F 'string "desktop-entry"' "$calls" | grep -qF 'string "vantrel-local"' ||
    e2e_fail "the notification did not name the desktop entry"
e2e_wait_until 10 test "$(dunstctl count displayed)" -ge 1 || e2e_fail "dunst shows no notification"

mark=$(e2e_mark)
e2e_click "$icon" 1
main=$(e2e_wait_for_focus NORMAL) || e2e_fail "the click did not show the main window"

# mail stops listening: the next check names it, with why, in a critical notification.
kill -TERM "$mail_pid"
e2e_wait_for_exit "$mail_pid" 10 || true
mark=$(e2e_mark)
e2e_check_now "$main"
e2e_expect "$mark" -F "vantrel.notify: sent critical replaces $first_id summary \"2 of 3 servers down\" body \"mail: connection refused\"" \
    20 "the notification of the service that went down"
e2e_expect "$mark" -F "vantrel.notify: shown id $first_id" 10 "the server's answer to the second notification"
e2e_wait_until 10 grep -qF 'string "mail: connection refused"' "$calls" || e2e_fail "the bus carried no notification naming mail"
e2e_screenshot notification-down

# mail listens again: the check after that says so, in place of the first notification.
start_mail "$mail_port"
e2e_wait_for_focus NORMAL >/dev/null || e2e_fail "the main window lost the focus"
mark=$(e2e_mark)
e2e_check_now "$main"
e2e_expect "$mark" -F "vantrel.notify: sent normal replaces $first_id summary \"mail is up again\" body \"\"" \
    20 "the notification of the service that came back"
e2e_expect "$mark" -F "vantrel.notify: shown id $first_id" 10 "the replaced notification's id"
e2e_wait_until 10 grep -qF 'string "mail is up again"' "$calls" || e2e_fail "the bus carried no notification of mail's return"
grep -A1 -F 'string "urgency"' "$calls" | grep -qF 'byte 1' || e2e_fail "the return was not of normal urgency"
e2e_screenshot notification-up

# Choosing the notification shows the main window, as a click on the icon does.
e2e_request_close "$main"
e2e_wait_until 10 e2e_main_window_withdrawn "$main" || e2e_fail "the main window did not hide"
mark=$(e2e_mark)
dunstctl action 0
e2e_expect "$mark" -F "vantrel.notify: activated id $first_id" 10 "the notification's default action"
e2e_wait_for_focus NORMAL >/dev/null || e2e_fail "choosing the notification did not show the main window"
e2e_screenshot window-from-notification

e2e_terminate_program
echo "notifications on a real desktop: passed"
