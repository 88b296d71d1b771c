#!/usr/bin/env bash
# first_start_test.sh PROGRAM ARTIFACT_DIR: the first start with an empty store, answered both ways by
# keyboard. The store is seeded with the default settings; the question about defining services
# appears; Yes (Return, the default) shows the main window; No (n) shows the hint about the tray icon,
# which Return closes, and leaves only the icon.
E2E_ARTIFACTS=$2
source "$(dirname "$0")/lib.sh"
program=$1

question='No services to be monitored have been defined\r\nWould you like to define one now?'
hint='Click on the Vantrel icon in the system tray at any time\r\nto define services to be monitored.'

e2e_start_desktop

# --- answered Yes ---
e2e_fresh_profile yes
e2e_start_program "$program"
e2e_wait_for_tray_icon "$E2E_CLASS" 20 >/dev/null || e2e_fail "no icon of the program in the notification area"
e2e_answer_box 0 "$question" question-yes Return
e2e_expect 0 -F 'vantrel.message: answered Yes' 10 "Return answering Yes"
main=$(e2e_wait_for_focus NORMAL) || e2e_fail "Yes did not show the main window"
e2e_screenshot yes-main-window
grep -qF "$hint" "$E2E_PROGRAM_LOG" && e2e_fail "the hint was shown although the answer was Yes"
for setting in Green=100 Yellow=70 Timeout=10 Frequency=3; do
    grep -qx "$setting" "$E2E_STORE" || e2e_fail "the store lacks the seeded $setting: $(cat "$E2E_STORE")"
done
grep -q '^\[Services\]' "$E2E_STORE" && e2e_fail "the store gained a Services section: $(cat "$E2E_STORE")"

e2e_terminate_program
e2e_window_gone "$main" || e2e_fail "the main window outlived the program"

# --- answered No ---
e2e_fresh_profile no
e2e_start_program "$program"
icon=$(e2e_wait_for_tray_icon "$E2E_CLASS" 20) || e2e_fail "no icon of the second program in the notification area"
e2e_answer_box 0 "$question" question-no n
e2e_expect 0 -F 'vantrel.message: answered No' 10 "n answering No"
e2e_answer_box 0 "$hint" hint Return
e2e_expect 0 -F 'vantrel.message: answered Ok' 10 "Return closing the hint"
# Start-up shows the icon once more after its first check; from then on it only waits.
answered=$(grep -n -m1 -F 'vantrel.message: answered Ok' "$E2E_PROGRAM_LOG" | cut -d: -f1)
e2e_expect "$answered" -F 'vantrel.tray: shown image=PROGRAM tooltip="Click to see server status"' 10 "the end of start-up"
e2e_program_window NORMAL >/dev/null && e2e_fail "No showed the main window"
e2e_window_viewable "$icon" || e2e_fail "the icon left the notification area"
kill -0 "$E2E_PROGRAM_PID" 2>/dev/null || e2e_fail "the program ended after the hint"
e2e_screenshot no-icon-only

echo "first start on a real desktop: passed"
