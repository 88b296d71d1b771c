#!/usr/bin/env bash
# The command line of the built program, run as an administrator would over SSH or from cron: no
# display, no session bus, a private store, real listeners and a refused port on 127.0.0.1.
# Usage: cli_test.sh PROGRAM VERSION
set -euo pipefail

program=$1
version=$2
negate=/usr/lib/nagios/plugins/negate
tmp=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-cli.XXXXXX")
peers_pid=
cleanup() {
    if [[ -n $peers_pid ]]; then kill "$peers_pid" 2>/dev/null || true; fi
    rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Two listening ports and one bound without listening (a connect there is refused at once). The
# kernel completes the connections on the backlog, so nothing needs to accept them.
coproc PEERS {
    exec python3 -c '
import socket, sys
def bound():
    s = socket.socket(); s.bind(("127.0.0.1", 0)); return s
socks = [bound(), bound(), bound()]
socks[0].listen(16); socks[1].listen(16)
print(*(s.getsockname()[1] for s in socks), flush=True)
sys.stdin.read()'
}
# shellcheck disable=SC2153 # set by coproc
peers_pid=$PEERS_PID
read -r open1 open2 closed <&"${PEERS[0]}"

config=$tmp/config
store=$config/Vantrel/vantrel.conf
mkdir -p "$tmp/home" "$tmp/runtime" "$config/Vantrel"
chmod 0700 "$tmp/runtime" "$config/Vantrel"
ulimit -c 0

# run ARGS...: the program without a graphical or bus session; sets status, out and err.
run() {
    set +e
    env -u DISPLAY -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u DBUS_SESSION_BUS_ADDRESS -u QT_QPA_PLATFORM \
        -u XDG_SESSION_TYPE HOME="$tmp/home" XDG_CONFIG_HOME="$config" XDG_RUNTIME_DIR="$tmp/runtime" \
        "$program" "$@" >"$tmp/out" 2>"$tmp/err"
    status=$?
    set -e
    out=$(cat "$tmp/out")
    err=$(cat "$tmp/err")
}
expect_status() { [[ $status == "$1" ]] || fail "$2: exit $status, expected $1 (stderr: $err)"; }
expect_match() { [[ $2 =~ $3 ]] || fail "$1: '$2' does not match '$3'"; }

write_store() {
    printf '%s\n' "$@" >"$store"
    chmod 0600 "$store"
}
# check_leaves_store_alone LABEL ARGS...: runs the program; the store's folder must be as it was.
check_leaves_store_alone() {
    local label=$1 before after
    shift
    before=$(cd "$config" && find . -printf '%p %m\n' | sort && cat Vantrel/* 2>/dev/null | sha256sum)
    run "$@"
    after=$(cd "$config" && find . -printf '%p %m\n' | sort && cat Vantrel/* 2>/dev/null | sha256sum)
    [[ $before == "$after" ]] || fail "$label: the store changed: $before -> $after"
}

# --help and --version answer at once, without a display, a bus or a store.
run --help
expect_status 0 --help
for option in --help --version --check --timeout; do
    [[ $out == *"$option"* ]] || fail "--help does not mention $option"
done
expect_match --help "$(head -n1 <<<"$out")" '^Usage: vantrel-local \[options\]$'
[[ $out != *platform* && $out != *session* ]] || fail "--help lists the toolkit's own options"
run -v
expect_status 0 -v
[[ $out == "vantrel-local $version" && -z $err ]] || fail "-v printed '$out' / '$err'"

# Bad usage: one line saying what, one line pointing at --help; 2, or UNKNOWN with --check.
for case in "2 --bogus" "2 --timeout 5" "2 extra" "3 --check --bogus" "3 --check --timeout abc" "3 --check --timeout"; do
    read -r expected args <<<"$case"
    # shellcheck disable=SC2086
    run $args
    expect_status "$expected" "$args"
    [[ -z $out && $(wc -l <<<"$err") == 2 && $err == "vantrel-local: "*"Try 'vantrel-local --help'"* ]] ||
        fail "$args: stdout '$out', stderr '$err'"
done

# No store at all, then a store without services: UNKNOWN, and nothing is created or seeded.
rm -rf "$config/Vantrel"
run --check
expect_status 3 "--check without a store"
[[ ! -e $config/Vantrel ]] || fail "--check created the store's folder"
mkdir -m 0700 "$config/Vantrel"
write_store "[Settings]" "Frequency=3"
check_leaves_store_alone "no services" --check
expect_status 3 "--check without services"
[[ $out == "VANTREL UNKNOWN - no services are defined" ]] || fail "no services: '$out'"

# A store that is there but cannot be read is UNKNOWN too, and says which file.
rm "$store" && mkdir "$store"
run --check
expect_status 3 "--check with an unreadable store"
[[ $out == "VANTREL UNKNOWN - "*"$store"* ]] || fail "unreadable store: '$out'"
rmdir "$store"

# Green, yellow and red from the stored thresholds; no Green, Yellow or Timeout stored in the first,
# which the tray program would seed and --check must not.
perf_item="('([^']|'')+'|[^ '=]+)=(-?[0-9.]+|U)(ms)?(;[^; ]*){0,4}"
while read -r expected word services settings; do
    lines=("[Services]")
    for service in ${services//,/ }; do lines+=("$service=127.0.0.1:${!service}"); done
    # shellcheck disable=SC2206
    lines+=("[Settings]" ${settings//,/ })
    write_store "${lines[@]}"
    check_leaves_store_alone "$word" --check
    expect_status "$expected" "$word"
    head=$(head -n1 <<<"$out")
    expect_match "$word status line" "$head" "^VANTREL $word - [0-9]+ of [0-9]+ servers \([0-9]+%\) are up \| up=[0-9]+;;;0;[0-9]+( $perf_item)+$"
done <<EOF_CASES
0 OK open1,open2 Frequency=3
1 WARNING open1,closed Green=100,Yellow=50,Timeout=2
2 CRITICAL closed,open1 Green=100,Yellow=51,Timeout=2
EOF_CASES

# The red case in full: the counts, the times per service and the reason of the one that is down.
expect_match "red counts" "$head" "^VANTREL CRITICAL - 1 of 2 servers \(50%\) are up \| up=1;;;0;2 'closed'=U;;;0 'open1'=[0-9]+ms;;;0$"
mapfile -t body < <(tail -n +2 <<<"$out")
[[ ${#body[@]} == 2 ]] || fail "red: ${#body[@]} service lines"
expect_match "refused line" "${body[0]:-}" "^closed: 127\.0\.0\.1:$closed down, [0-9]+ ms, connection refused$"
expect_match "open line" "${body[1]:-}" "^open1: 127\.0\.0\.1:$open1 up, [0-9]+ ms$"
[[ -z $err ]] || fail "red: stderr '$err'"
# A real plugin tool reads the same result: negate turns CRITICAL into OK, text and status.
if [[ -x $negate ]]; then
    set +e
    negated=$(env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$config" XDG_RUNTIME_DIR="$tmp/runtime" \
        "$negate" -s "$(realpath "$program")" --check)
    negate_status=$?
    set -e
    [[ $negate_status == 0 && $negated == "VANTREL OK - 1 of 2 servers"* ]] || fail "negate: $negate_status '$negated'"
fi

# --timeout overrides the stored one, bounded like it; a damaged line is said on stderr and nothing
# is repaired, kept aside or seeded.
write_store "[Services]" "a=127.0.0.1:$open2" "this line is damaged" "[Settings]" "Timeout=abc"
check_leaves_store_alone "damaged store" --check --timeout 99
expect_status 0 "damaged store"
[[ $err == *damaged* ]] || fail "damaged store: nothing on stderr"

# The single-instance socket and lock were never made: --check is never handed to a tray program.
[[ -z $(ls -A "$tmp/runtime") ]] || fail "something was made in XDG_RUNTIME_DIR: $(ls -A "$tmp/runtime")"

# The tray program without a display, with one that does not exist, and on a Wayland socket that is
# not there: one line pointing at --check, exit 1, never an abort.
display=4711
while [[ -e /tmp/.X11-unix/X$display ]]; do display=$((display + 1)); done
for session in "" "DISPLAY=:$display" "QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=none-$$" \
    "QT_QPA_PLATFORM=xcb;wayland DISPLAY=:$display"; do
    set +e
    # shellcheck disable=SC2086
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE -u DBUS_SESSION_BUS_ADDRESS \
        XDG_CONFIG_HOME="$config" XDG_RUNTIME_DIR="$tmp/runtime" $session "$program" >"$tmp/out" 2>"$tmp/err"
    status=$?
    set -e
    err=$(cat "$tmp/err")
    [[ $status == 1 && ! -s $tmp/out && $(wc -l <"$tmp/err") == 1 && $err == *"--check"* ]] ||
        fail "tray program with '$session': exit $status, stderr '$err'"
done

if ((failures > 0)); then
    echo "$failures failure(s)" >&2
    exit 1
fi
echo "all command-line checks passed"
