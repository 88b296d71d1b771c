#!/usr/bin/env bash
# report.sh [OUTPUT]: builds the program (RelWithDebInfo), runs every measurement on this machine in
# one go and writes the performance report (default docs/PERFORMANCE.md). Ratios against a baseline
# measured in the same run are the headline; absolute times depend on the machine and its load.
#
#   REPORT_BUILD   build folder (default build)
#   IDLE_SECONDS   how long the idle program is watched for wake-ups (default 60)
#   SOAK_ARGS      arguments for the soak (default: 30 simulated minutes, 10 silent peers)
#
# Needs: nc (OpenBSD), /usr/lib/nagios/plugins/check_tcp (monitoring-plugins-basic), python3, and for
# the desktop part Xvfb, openbox, trayer, xdotool (see tests/e2e/lib.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/PERFORMANCE.md}
build=${REPORT_BUILD:-$root/build}
idle=${IDLE_SECONDS:-60}
soak_args=${SOAK_ARGS:-}
check_tcp=/usr/lib/nagios/plugins/check_tcp
work=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-report.XXXXXX")
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

say() { printf '[report %s] %s\n' "$(date +%T)" "$*" >&2; }
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf (b > 0 ? "%.1f" : "n/a"), a / b}'; }
field() { sed -n "s/.*[ :]$1=\([^ ]*\).*/\1/p" "$2" | tail -n1; }
verdict() { awk -v v="$1" -v op="$2" -v g="$3" 'BEGIN {ok = (op == "<=") ? v <= g : v >= g; print ok ? "met" : "NOT met"}'; }
now_us() { echo $(($(date +%s%N) / 1000)); }

# A loopback listener that accepts and closes every connection, and a loopback port nobody listens on.
start_listener() {
    python3 -u -c '
import socket
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", 0)); s.listen(512); print(s.getsockname()[1], flush=True)
while True:
    c, _ = s.accept(); c.close()' >"$work/listener.port" &
    pids+=("$!")
    until [[ -s $work/listener.port ]]; do sleep 0.05; done
    head -n1 "$work/listener.port"
}
closed_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

say "building into $build"
bash "$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_BUILD_BENCH=ON >&2

machine_cpu=$(lscpu | sed -n 's/^Model name: *//p' | head -n1)
machine_load=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- 1. the probe against a raw connect ----
say "probe against a raw connect (5 runs)"
: >"$work/probe.txt"
for run in 1 2 3 4 5; do
    "$build/bench/bench_probe" --benchmark_min_time=0.5 --benchmark_color=false >>"$work/probe.txt" 2>&1
done
sed -i 's/\x1b\[[0-9;]*m//g' "$work/probe.txt" # the library colours some lines whatever it is told
probe_open=$(sed -n 's/^probe\/raw, open port: *\([0-9.]*\)x.*/\1/p' "$work/probe.txt" | median)
probe_refused=$(sed -n 's/^probe\/raw, refused port: *\([0-9.]*\)x.*/\1/p' "$work/probe.txt" | median)

# ---- 2. a cycle of 100 services, in-process, against a process per probe ----
say "1,000 cycles of 100 loopback services in-process"
"$build/bench/bench_soak" --open=50 --refused=50 --silent=0 --cycles=1000 >"$work/cycles.txt" 2>&1
cycle_ms=$(awk -v s="$(field median_cycle_s "$work/cycles.txt")" 'BEGIN {printf "%.3f", s * 1000}')

open_port=$(start_listener)
shut_port=$(closed_port)
nc_loop() {
    local i up=0
    for ((i = 0; i < 50; i++)); do
        nc -z 127.0.0.1 "$open_port" && up=$((up + 1))
        nc -z 127.0.0.1 "$shut_port" && up=$((up + 1))
    done
    echo "$up" >"$work/nc.up"
}
check_tcp_loop() {
    local i up=0
    for ((i = 0; i < 50; i++)); do
        "$check_tcp" -H 127.0.0.1 -p "$open_port" -t 1 >/dev/null && up=$((up + 1))
        "$check_tcp" -H 127.0.0.1 -p "$shut_port" -t 1 >/dev/null && up=$((up + 1))
    done
    echo "$up" >"$work/check_tcp.up"
}
time_ms() {
    local start end
    start=$(now_us)
    "$@"
    end=$(now_us)
    awk -v us=$((end - start)) 'BEGIN {printf "%.1f\n", us / 1000}'
}
say "the same 100 checks with nc -z and with check_tcp (5 runs each)"
nc_ms=$(for run in 1 2 3 4 5; do time_ms nc_loop; done | median)
tcp_ms=$(for run in 1 2 3 4 5; do time_ms check_tcp_loop; done | median)
nc_up=$(cat "$work/nc.up")
tcp_up=$(cat "$work/check_tcp.up")
nc_ratio=$(ratio "$nc_ms" "$cycle_ms")
tcp_ratio=$(ratio "$tcp_ms" "$cycle_ms")

# ---- 3. the soak ----
say "soak: bench_soak $soak_args"
# shellcheck disable=SC2086
"$build/bench/bench_soak" $soak_args >"$work/soak.txt" 2>&1 || true

# ---- 3b. a long list: the event loop during a cycle, and opening the main window ----
say "event-loop lateness during cycles of 1,000 and 10,000 near services"
"$build/bench/bench_cycle_lateness" --runs=5 >"$work/lateness.txt" 2>&1 || true
late() { sed -n "s/^lateness-result: services=$1 .*[ ]$2=\([^ ]*\).*/\1/p" "$work/lateness.txt"; }
say "opening the main window over 100,000 services"
"$build/bench/bench_main_window" --services=100000 >"$work/window.txt" 2>&1 || true

# ---- 4. the real program on a real desktop: time to icon, memory, idle wake-ups ----
say "the program on Xvfb with trayer (idle watch ${idle}s)"
desktop() (
    source "$root/tests/e2e/lib.sh"
    e2e_start_desktop
    mkdir -p "$XDG_CONFIG_HOME/Vantrel"
    chmod 700 "$XDG_CONFIG_HOME/Vantrel"
    printf '[Services]\nweb=127.0.0.1:%s\nmail=127.0.0.1:%s\nbackup=127.0.0.1:%s\n' \
        "$open_port" "$shut_port" "$shut_port" >"$XDG_CONFIG_HOME/Vantrel/vantrel.conf"
    chmod 600 "$XDG_CONFIG_HOME/Vantrel/vantrel.conf"

    rss_of() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
    switches_of() { cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ {n += $2} END {print n}'; }
    # start_timed NAME CLASS COMMAND...: starts the program and waits for its icon; sets ICON_MS to
    # the milliseconds from start to the embedded icon and leaves the pid in E2E_LAST_PID.
    start_timed() {
        local name=$1 class=$2 start end
        shift 2
        start=$(now_us)
        e2e_spawn "$E2E_TMP/$name.log" "$@"
        e2e_wait_for_tray_icon "$class" 20 >/dev/null || e2e_fail "$name: no icon: $(cat "$E2E_TMP/$name.log")"
        end=$(now_us)
        ICON_MS=$(((end - start) / 1000))
    }
    stop() {
        kill -TERM "$1"
        e2e_wait_for_exit "$1" 10 || e2e_fail "pid $1 did not end after SIGTERM"
    }
    local run program_ms=() demo_ms=()
    for run in 1 2 3 4 5; do
        start_timed program vantrel-local "$build/app/vantrel-local"
        program_ms+=("$ICON_MS")
        stop "$E2E_LAST_PID"
        start_timed demo tray_demo "$build/tests/e2e/tray_demo"
        demo_ms+=("$ICON_MS")
        stop "$E2E_LAST_PID"
    done
    echo "icon_program_ms=$(printf '%s\n' "${program_ms[@]}" | median)"
    echo "icon_demo_ms=$(printf '%s\n' "${demo_ms[@]}" | median)"

    # Both stay up side by side; after the program's first cycle has settled, both are left alone.
    start_timed program vantrel-local "$build/app/vantrel-local"
    local program=$E2E_LAST_PID
    start_timed demo tray_demo "$build/tests/e2e/tray_demo"
    local demo=$E2E_LAST_PID
    sleep 5
    echo "rss_program_kib=$(rss_of "$program")"
    echo "rss_demo_kib=$(rss_of "$demo")"
    local p0 d0
    p0=$(switches_of "$program")
    d0=$(switches_of "$demo")
    sleep "$idle"
    echo "wakeups_program_per_min=$(awk -v n=$(($(switches_of "$program") - p0)) -v s="$idle" 'BEGIN {printf "%.1f", n * 60 / s}')"
    echo "wakeups_demo_per_min=$(awk -v n=$(($(switches_of "$demo") - d0)) -v s="$idle" 'BEGIN {printf "%.1f", n * 60 / s}')"
    echo "threads_program=$(ls /proc/"$program"/task | wc -l)"
    stop "$program"
    stop "$demo"
)
desktop >"$work/desktop.txt"
d() { sed -n "s/^$1=//p" "$work/desktop.txt"; }

# ---- the report ----
say "writing $out"
soak_growth=$(($(field rss_after_kib "$work/soak.txt") - $(field rss_first_kib "$work/soak.txt")))
cycles_growth=$(($(field rss_after_kib "$work/cycles.txt") - $(field rss_first_kib "$work/cycles.txt")))
rss_at() { sed -n "s/^resident after cycle $1: \([0-9]*\) KiB/\1/p" "$2"; }
cycles_late_growth=$(($(rss_at 1000 "$work/cycles.txt") - $(rss_at 100 "$work/cycles.txt")))
mkdir -p "$(dirname "$out")"
{
    cat <<EOF
# Performance

Produced by \`bench/report.sh\` in one run on one machine; do not edit by hand, run the script again.
Ratios against a baseline measured in the same run are the headline: absolute times move with the
machine and its load.

Machine: ${machine_cpu}, $(nproc) cores, Linux $(uname -r); load average at the start ${machine_load}
(the machine was shared with other work). Commit $(git -C "$root" rev-parse --short HEAD), $(date -u +%Y-%m-%d).

## Headline

| measure | result | goal | |
|---|---|---|---|
| probe against a raw \`connect()\` + \`close()\`, open port (median of 5 runs) | ${probe_open}x | at most 1.5x | $(verdict "$probe_open" "<=" 1.5) |
| probe against a raw \`connect()\` + \`close()\`, refused port | ${probe_refused}x | at most 2x | $(verdict "$probe_refused" "<=" 2) |
| 100-service cycle in-process against a loop of \`nc -z\` | ${nc_ratio}x faster | at least 50x | $(verdict "$nc_ratio" ">=" 50) |
| 100-service cycle in-process against a loop of \`check_tcp\` | ${tcp_ratio}x faster | | |
| time from start to the icon in the notification area, against a minimal tray program | $(ratio "$(d icon_program_ms)" "$(d icon_demo_ms)")x | | |
| resident memory after start, against a minimal tray program | $(ratio "$(d rss_program_kib)" "$(d rss_demo_kib)")x | | |
| resident memory growth over 1,000 cycles (after the first to after the last) | ${cycles_growth} KiB of $(field rss_first_kib "$work/cycles.txt") KiB; ${cycles_late_growth} KiB from cycle 100 to 1,000 | none | |
| resident memory growth over the soak (30 simulated minutes) | ${soak_growth} KiB of $(field rss_first_kib "$work/soak.txt") KiB | none | |
| open descriptors before and after the soak | $(field fds_before "$work/soak.txt") / $(field fds_after "$work/soak.txt") | no leak | $(verdict "$(field fds_after "$work/soak.txt")" "<=" "$(field fds_before "$work/soak.txt")") |
| idle wake-ups per minute (all threads' context switches) | $(d wakeups_program_per_min) (minimal tray program $(d wakeups_demo_per_min)) | | |
| worst event-loop lateness during a cycle of 10,000 near services (1,000) | $(late 10000 sliced_late_ms) ms ($(late 1000 sliced_late_ms) ms); $(late 10000 whole_late_ms) ms without the slices | under 16 ms | $(verdict "$(late 10000 sliced_late_ms)" "<=" 16) |
| cycle time with the slices against without, 10,000 near services (1,000) | $(late 10000 ratio)x ($(late 1000 ratio)x) | within 1.10x | $(verdict "$(late 10000 ratio)" "<=" 1.10) |
| opening the main window over 100,000 services: painted and answering | $(field answering_ms "$work/window.txt") ms | within 1,000 ms | $(verdict "$(field answering_ms "$work/window.txt")" "<=" 1000) |
| resident memory with that window open | $(field rss_after_kib "$work/window.txt") KiB | under 153,600 KiB | $(verdict "$(field rss_after_kib "$work/window.txt")" "<=" 153600) |
| cycles with a wrong result (soak / 1,000 cycles) | $(field wrong "$work/soak.txt") / $(field wrong "$work/cycles.txt") | 0 | |

## The probe against a raw connect

\`bench/bench_probe\`: \`ProbeService\` on 127.0.0.1 against a blocking \`connect()\` and \`close()\` to the
same port in the same process. Five runs; the times and ratios of each run:

\`\`\`
$(grep -E '^(BM_|probe/raw)' "$work/probe.txt")
\`\`\`

## A cycle of 100 services against a process per probe

The same 100 loopback checks (50 on a listening port, 50 on a refused one): one check cycle of the
program (\`bench/bench_soak --open=50 --refused=50 --silent=0 --cycles=1000\`, median cycle of 1,000,
which includes reading the service list from the store), against a shell loop that starts
\`nc -z\` once per check, and a shell loop that starts \`check_tcp\` (monitoring-plugins-basic) once per
check (median of 5 loops each).

| way | time for 100 checks | services up | against the cycle |
|---|---|---|---|
| check cycle, in-process | ${cycle_ms} ms | $(field open "$work/cycles.txt") | 1x |
| \`nc -z\` loop | ${nc_ms} ms | ${nc_up} | ${nc_ratio}x |
| \`check_tcp\` loop | ${tcp_ms} ms | ${tcp_up} | ${tcp_ratio}x |

Memory of the same run:

\`\`\`
$(grep -E '^(resident|descriptors|cycles with)' "$work/cycles.txt")
\`\`\`

## Soak

\`bench/bench_soak${soak_args:+ }${soak_args}\`: the real schedule and check cycle on a settable wall clock (every
5 minutes, ticks every 10 s of simulated time), every probe real. The default run uses 245 open,
245 refused and 10 silent services (a listener that never answers, 1 s time-out) for 30 simulated
minutes, so it ends in a few minutes of real time; \`--full\` uses thirds (167 / 167 / 166), about
three minutes of real time per cycle. Each cycle's duration against the silent services' time-outs
(the floor) and N x time-out (the ceiling):

\`\`\`
$(grep -vE '^soak-result' "$work/soak.txt")
\`\`\`

## A long list

\`bench/bench_cycle_lateness\`: a 2 ms timer ticks while one cycle probes 1,000 or 10,000 services on
127.0.0.1 (one in ten open, the rest refused, so every answer is there at once). The cycle hands the
event loop a turn every 5 ms; without that (the "whole" rows) it holds the loop for its whole length.

\`\`\`
$(grep -v '^lateness-result' "$work/lateness.txt")
\`\`\`

\`bench/bench_main_window --services=100000\`: the state a finished cycle leaves for 100,000 services, then the
main window restored as a click on the icon does (Qt's offscreen platform).

\`\`\`
$(grep -E '^[0-9]+ services' "$work/window.txt")
\`\`\`

## The program on a real desktop

\`app/vantrel-local\` started under Xvfb with openbox and trayer (a real XEmbed notification area,
\`tests/e2e/lib.sh\`), with three loopback services in its store; the baseline is
\`tests/e2e/tray_demo\`, a minimal Qt program that shows one tray icon with the same control.

| measure | vantrel-local | minimal tray program | ratio |
|---|---|---|---|
| start to embedded icon (median of 5; polled every 50 ms) | $(d icon_program_ms) ms | $(d icon_demo_ms) ms | $(ratio "$(d icon_program_ms)" "$(d icon_demo_ms)")x |
| resident memory 5 s after the icon | $(d rss_program_kib) KiB | $(d rss_demo_kib) KiB | $(ratio "$(d rss_program_kib)" "$(d rss_demo_kib)")x |
| wake-ups per minute while idle (${idle} s) | $(d wakeups_program_per_min) | $(d wakeups_demo_per_min) | |

The program's schedule ticks every 10 s (6 wake-ups a minute of its own); it runs
$(d threads_program) threads.
EOF
} >"$out"
say "done: $out"
