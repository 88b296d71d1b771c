#!/usr/bin/env bash
# session_end_test.sh PROGRAM SESSION_MANAGER ARTIFACT_DIR: a real X session manager (XSMP over ICE)
# ends the session while the main window is open: it asks the program to save for a shutdown, with
# interaction allowed, then tells it to die. The program must not cancel the session's end, and must
# then end with status 0 and take its icon out of the notification area. Run a few times, since the
# fault this guards against came and went with timing.
E2E_ARTIFACTS=$3
source "$(dirname "$0")/lib.sh"
program=$1
session_manager=$2
rounds=${SESSION_END_ROUNDS:-5}

e2e_start_desktop
e2e_start_loopback

for ((round = 1; round <= rounds; round++)); do
    e2e_fresh_profile "round$round"
    e2e_write_store '[Services]' "web=127.0.0.1:$E2E_OPEN_PORT"
    sm_log=$E2E_TMP/sm-$round.log sm_in=$E2E_TMP/sm-$round.in
    mkfifo "$sm_in"
    e2e_spawn "$sm_log" bash -c 'exec "$1" <"$2"' _ "$session_manager" "$sm_in"
    exec 7>"$sm_in" # held open, so the manager reads commands as they come
    e2e_wait_for_line "$sm_log" '^SESSION_MANAGER=' 10 || e2e_fail "the session manager did not start: $(cat "$sm_log")"
    address=$(sed -n 's/^SESSION_MANAGER=//p' "$sm_log")

    e2e_start_program env SESSION_MANAGER="$address" "$program"
    e2e_wait_for_line "$sm_log" '^registered ' 20 || e2e_fail "the program did not join the session: $(cat "$sm_log")"
    icon=$(e2e_wait_for_tray_icon "$E2E_CLASS" 20) || e2e_fail "no icon of the program in the notification area"
    e2e_expect 0 -F 'vantrel.cycle: result 1 of 1 up' 20 "the first check"
    e2e_click "$icon" 1
    main=$(e2e_wait_for_focus NORMAL) || e2e_fail "the click did not show the main window"
    e2e_screenshot "round$round-window-open"

    mark=$(e2e_mark)
    echo end >&7
    e2e_wait_for_line "$sm_log" '^(die-sent|shutdown-cancelled)$' 20 ||
        e2e_fail "the program never finished saving: $(cat "$sm_log")"
    grep -q '^shutdown-cancelled$' "$sm_log" && e2e_fail "the program cancelled the session's end: $(cat "$sm_log")"
    e2e_expect_orderly_end "$mark" "the session's end (round $round)"
    e2e_main_window_withdrawn "$main" || e2e_fail "the main window stayed after the session's end"
    exec 7>&-
    e2e_log "round $round: $(tr '\n' ' ' <"$sm_log")"
done
e2e_screenshot ended

echo "the session's end with the main window open, $rounds rounds: passed"
