#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Whole-process measurements of the panel, beside the floor: a bare Qt window with a tray icon
# (bench/bare_window), both measured the same way on a private X display (Xvfb) with a tray host
# (trayer).
#
#  start-up   time from exec to the map of the program's main window (MapNotify of its first
#             top-level window at least 200 pixels high, seen by `xev` on the root window and
#             time-stamped as it arrives); several runs each, alternating, after one warm-up run
#             each; the bare window also reports its own first paint, which gives the gap from
#             map to first paint for the floor.
#  idle       the bare window (also with a 1 s timer, and with a clock label set every second),
#             the panel with no job button running, and the panel with job button 0 running
#             (pressed with xdotool; the panel hides itself 5 s later), side by side: over
#             IDLE_SECONDS of idle running, CPU time (utime+stime from
#             /proc/PID/stat, and the run time in ns from /proc/PID/task/*/schedstat) and
#             wake-ups (voluntary context switches of every thread); then the peak resident
#             memory VmHWM and VmRSS from /proc/PID/status, at least 60 s after the start.
#
# The panel reads a data store of JOBS jobs made by `shift-loom-store init` from a generated CSV,
# with its own XDG_CONFIG_HOME (settings file Ovix_Shift-Loom.conf, [Properties] DataLoc=...),
# XDG_DATA_HOME and XDG_RUNTIME_DIR in a temporary folder: each program measured is a worker of its
# own, so the panels measured side by side are not one panel to each other. Nothing outside that folder is touched; only the processes
# this script starts are ended, by their process ids.
#
# Usage: bench/run-process-bench.sh --program BIN/shift-loom --store-tool BIN/shift-loom-store
#            --bare BIN/bare_window [--runs 15] [--idle-runs 3] [--idle-seconds 60] [--jobs 10000]
#            [--out FILE.tsv] [--keep]
# Output: a summary on stdout, and FILE.tsv (default process-bench.tsv) with one line per
# figure: name, median, then the single runs.
set -euo pipefail

program='' store_tool='' bare='' runs=15 idle_runs=3 idle_seconds=60 jobs=10000 out=process-bench.tsv keep=0
while [ $# -gt 0 ]; do
    case "$1" in
    --program) program=$2; shift 2 ;;
    --store-tool) store_tool=$2; shift 2 ;;
    --bare) bare=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --idle-runs) idle_runs=$2; shift 2 ;;
    --idle-seconds) idle_seconds=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "run-process-bench: unknown argument $1" >&2; exit 2 ;;
    esac
done
for file in "$program" "$store_tool" "$bare"; do
    if [ ! -x "$file" ]; then
        echo "run-process-bench: --program, --store-tool and --bare must name built programs ('$file')" >&2
        exit 2
    fi
done
for tool in Xvfb trayer xdotool xev awk; do
    command -v "$tool" >/dev/null || { echo "run-process-bench: $tool is missing (scripts/install-deps.sh)" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/shiftloom-procbench-XXXXXX")
started=() # process ids of everything started here, in start order

stop_pid() {
    local pid=$1
    if kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
}
cleanup() {
    local i
    for ((i = ${#started[@]} - 1; i >= 0; i--)); do stop_pid "${started[i]}"; done
    if [ "$keep" = 1 ]; then echo "run-process-bench: files kept in $work" >&2; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

now() { printf '%s\n' "$EPOCHREALTIME"; }
# Milliseconds between two EPOCHREALTIME stamps.
ms_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b - a) * 1000 }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# --- the display, the tray host and the watcher of the root window ------------------------------
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY # Qt then uses the XEmbed tray, which trayer speaks
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# -noreset: the server would otherwise start over each time its last client leaves.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >"$work/Xvfb.log" 2>&1 &
started+=($!)
for _ in $(seq 200); do grep -q '^[0-9]' "$work/display" 2>/dev/null && break; sleep 0.05; done
grep -q '^[0-9]' "$work/display" || { echo "run-process-bench: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

trayer --edge top --align right --widthtype request --height 32 --SetDockType true >"$work/trayer.log" 2>&1 &
started+=($!)
for _ in $(seq 200); do xdotool search --name '^panel$' >/dev/null 2>&1 && break; sleep 0.05; done

# Every structure event of the root window's children, each line stamped as it arrives.
mkfifo "$work/xev.fifo"
xev -root -event substructure >"$work/xev.fifo" 2>/dev/null &
started+=($!)
(while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done <"$work/xev.fifo" >"$work/xev.log") &
started+=($!)
sleep 0.5

# --- the data store and the settings -------------------------------------------------------------
awk -v n="$jobs" 'BEGIN {
    split("Assembly Repair Welding Paint Inspection Packing Service Drilling Milling Testing Wiring Cleaning Transport Design", w, " ")
    print "prefix,code,name,detail,card,listed"
    for (i = 1; i <= n; i++)
        printf "WS%d,J%07d,%s %d,%s line %d,%d,%s\n", i % 97, i, w[(i * 7) % 14 + 1], i % 1013, w[(i * 3) % 14 + 1], i % 31, i, (i % 50 == 0 ? "no" : "yes")
}' >"$work/jobs.csv"
"$store_tool" init "$work/store" --jobs "$work/jobs.csv" >"$work/store-tool.log"

# make_home NAME [settings lines...]: a private store copy, config and data folder for one run.
make_home() {
    local home="$work/home-$1"
    shift
    rm -rf "$home"
    mkdir -p "$home/config" "$home/data"
    mkdir -m 700 "$home/runtime"
    cp -r "$work/store" "$home/store"
    {
        printf '[Properties]\nDataLoc=%s\nautocode=1234\n' "$home/store"
        local line
        for line in "$@"; do printf '%s\n' "$line"; done
    } >"$home/config/Ovix_Shift-Loom.conf"
    printf '%s\n' "$home"
}

# launch NAME HOME PROGRAM...: starts a program with the home's folders; the process id goes to
# $launched, the time just before its exec to $launched_at (read back from NAME.t0).
launch() {
    local name=$1 home=$2
    shift 2
    (
        printf '%s\n' "$EPOCHREALTIME" >"$work/$name.t0"
        exec env XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" "$@"
    ) >"$work/$name.out" 2>"$work/$name.err" &
    launched=$!
    started+=("$launched")
    for _ in $(seq 100); do [ -s "$work/$name.t0" ] && break; sleep 0.01; done
    launched_at=$(cat "$work/$name.t0")
}

# wait_mapped SINCE: the first top-level window created after SINCE that is at least 200 pixels
# high, once it is mapped: prints "<stamp> <window id>" (empty after 60 s).
wait_mapped() {
    local since=$1 found=''
    for _ in $(seq 1200); do
        found=$(awk -v since="$since" '
            $1 < since { next }
            /CreateNotify event/ { create = 1; next }
            create { create = 0; if (match($0, /window 0x[0-9a-f]+/)) { id = substr($0, RSTART + 7, RLENGTH - 7)
                     h = $0; sub(/.*height /, "", h); if (h + 0 >= 200) tall[id] = 1 } next }
            /MapNotify event/ { map = 1; stamp = $1; next }
            map { map = 0; if (match($0, /window 0x[0-9a-f]+/)) { id = substr($0, RSTART + 7, RLENGTH - 7)
                  if (id in tall) { print stamp, id; exit } } }' "$work/xev.log")
        [ -n "$found" ] && { printf '%s\n' "$found"; return 0; }
        sleep 0.05
    done
    return 1
}

# CPU time (ns) of every thread of a process so far.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { print s + 0 }'; }

# --- start-up -------------------------------------------------------------------------------------
declare -a startup_bare=() startup_panel=() bare_map_to_paint=() startup_cpu_bare=() startup_cpu_panel=()
echo "start-up: $runs runs each after a warm-up, alternating (exec to map of the main window)"
for ((run = 0; run <= runs; run++)); do
    for kind in bare panel; do
        name="start-$kind-$run"
        home=$(make_home "$name")
        if [ "$kind" = bare ]; then launch "$name" "$home" "$bare"; else launch "$name" "$home" "$program"; fi
        pid=$launched
        mapped=$(wait_mapped "$launched_at") || { echo "run-process-bench: $kind showed no window" >&2; exit 1; }
        ms=$(ms_between "$launched_at" "${mapped%% *}")
        if [ "$kind" = bare ]; then
            for _ in $(seq 100); do grep -q '^first-paint' "$work/$name.out" && break; sleep 0.02; done
            paint_ns=$(awk '/^first-paint/ { print $2; exit }' "$work/$name.out")
            gap=$(awk -v p="$paint_ns" -v m="${mapped%% *}" 'BEGIN { printf "%.1f", p / 1e6 - m * 1000 }')
        fi
        # The CPU time the start-up took, all threads, once the window is up and painted; less
        # disturbed by other load on the machine than the wall-clock time.
        sleep 0.5
        cpu=$(awk -v n="$(cpu_ns "$pid")" 'BEGIN { printf "%.1f", n / 1e6 }')
        stop_pid "$pid"
        if [ "$run" -gt 0 ]; then
            if [ "$kind" = bare ]; then
                startup_bare+=("$ms")
                startup_cpu_bare+=("$cpu")
                bare_map_to_paint+=("$gap")
            else
                startup_panel+=("$ms")
                startup_cpu_panel+=("$cpu")
            fi
        fi
        printf '  %-5s run %d: %s ms, CPU %s ms%s\n' "$kind" "$run" "$ms" "$cpu" "$([ "$run" = 0 ] && echo ' (warm-up)')"
        sleep 0.3
    done
done

# --- idle running and memory ------------------------------------------------------------------------
# snapshot PID: "cpu_ticks runtime_ns voluntary nonvoluntary" over all threads, then per thread
# "name=voluntary" joined by commas.
snapshot() {
    local pid=$1 ticks runtime=0 vol=0 nonvol=0 threads='' task v n r comm
    ticks=$(awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$pid/stat")
    for task in /proc/"$pid"/task/*; do
        v=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$task/status")
        n=$(awk '/^nonvoluntary_ctxt_switches/ { print $2 }' "$task/status")
        r=$(awk '{ print $1 }' "$task/schedstat" 2>/dev/null || echo 0)
        comm=$(tr ' ' '_' <"$task/comm")
        runtime=$((runtime + r))
        vol=$((vol + v))
        nonvol=$((nonvol + n))
        threads+="${threads:+,}${task##*/}:$comm=$v"
    done
    printf '%s %s %s %s %s\n' "$ticks" "$runtime" "$vol" "$nonvol" "$threads"
}
# Voluntary switches per thread between two per-thread lists (threads matched by id).
thread_delta() {
    awk -v a="$1" -v b="$2" 'BEGIN {
        n = split(a, x, ","); for (i = 1; i <= n; i++) { split(x[i], kv, "="); before[kv[1]] = kv[2] }
        n = split(b, y, ","); out = ""
        for (i = 1; i <= n; i++) { split(y[i], kv, "="); name = kv[1]; sub(/^[0-9]+:/, "", name)
            out = out (out == "" ? "" : " ") name "=" (kv[2] - before[kv[1]]) }
        print out }'
}
memory_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }

# press_slot0 PID WINDOW: presses job button 0 and closes the activity dialog with a pick (or
# Escape); true when a start record reached the store's data file.
press_slot0() {
    local pid=$1 window=$2 home=$3 before dialog id
    before=$(wc -l <"$home/store/data" 2>/dev/null || echo 0)
    # Job button 0: Left 120, Top 1740, 1635 x 315 twips; its middle, at 15 twips a pixel.
    xdotool mousemove --window "$window" $(((120 + 1635 / 2) / 15)) $(((1740 + 315 / 2) / 15)) click 1
    dialog=''
    for _ in $(seq 100); do
        for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            [ "$((id))" = "$((window))" ] && continue
            # Not a tray icon: the activity dialog is some 58 pixels high.
            eval "$(xdotool getwindowgeometry --shell "$id")"
            [ "${HEIGHT:-0}" -ge 40 ] && dialog=$id
        done
        [ -n "$dialog" ] && break
        sleep 0.05
    done
    if [ -n "$dialog" ]; then
        xdotool windowfocus --sync "$dialog" 2>/dev/null || true
        xdotool key Down
        sleep 0.5
        if xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -qx "$((dialog))"; then
            xdotool key Escape
        fi
    fi
    # Out of every window, so that no hover or tooltip wakes anything during the measurement.
    xdotool mousemove 1270 1010
    for _ in $(seq 50); do
        [ "$(wc -l <"$home/store/data" 2>/dev/null || echo 0)" -gt "$before" ] && return 0
        sleep 0.1
    done
    return 1
}

# bare: the floor (tray icon, nothing changing); bare-timer: the floor with a timer that fires
# once a second and does nothing; bare-clock: the floor with a clock label set every second;
# panel-idle: the panel shown, no job button running; panel-idle-noshm: the same without Qt's
# MIT-SHM image transport (QT_XCB_NO_MITSHM=1); panel-running: job button 0 running, the panel
# hidden (as it is from 5 s after the press).
declare -a idle_names=(bare bare-timer bare-clock panel-idle panel-idle-noshm panel-running)
declare -A samples=()
add_sample() { samples[$1]="${samples[$1]:-}${samples[$1]:+ }$2"; }

echo "idle: $idle_runs rounds of ${idle_seconds} s, all side by side"
for ((round = 1; round <= idle_runs; round++)); do
    declare -A pids=() homes=() windows=() starts=()
    for kind in "${idle_names[@]}"; do
        name="idle-$kind-$round"
        case "$kind" in
        bare) home=$(make_home "$name"); launch "$name" "$home" "$bare" ;;
        bare-timer) home=$(make_home "$name"); launch "$name" "$home" "$bare" --timer ;;
        bare-clock) home=$(make_home "$name"); launch "$name" "$home" "$bare" --clock ;;
        panel-idle) home=$(make_home "$name"); launch "$name" "$home" "$program" ;;
        panel-idle-noshm) home=$(make_home "$name"); launch "$name" "$home" env QT_XCB_NO_MITSHM=1 "$program" ;;
        panel-running)
            home=$(make_home "$name" 'button0=WS1     J0000001' 'card0=1' 'desc0=Drilling 1           Paint line 1')
            launch "$name" "$home" "$program"
            ;;
        esac
        pids[$kind]=$launched homes[$kind]=$home starts[$kind]=$launched_at
        mapped=$(wait_mapped "$launched_at") || { echo "run-process-bench: $kind showed no window" >&2; exit 1; }
        windows[$kind]=${mapped#* }
    done
    sleep 2
    if ! press_slot0 "${pids[panel-running]}" "${windows[panel-running]}" "${homes[panel-running]}"; then
        echo "run-process-bench: job button 0 did not start (no start record)" >&2
        exit 1
    fi
    # The panel hides itself 5 s after the press; the measurement starts once every program has
    # run for 20 s and the press lies 10 s back.
    sleep 10
    while [ "$(ms_between "${starts[panel-running]}" "$(now)" | cut -d. -f1)" -lt 20000 ]; do sleep 1; done
    declare -A before=()
    for kind in "${idle_names[@]}"; do before[$kind]=$(snapshot "${pids[$kind]}"); done
    t_before=$(now)
    sleep "$idle_seconds"
    t_after=$(now)
    declare -A after=()
    for kind in "${idle_names[@]}"; do after[$kind]=$(snapshot "${pids[$kind]}"); done
    seconds=$(awk -v a="$t_before" -v b="$t_after" 'BEGIN { printf "%.3f", b - a }')
    for kind in "${idle_names[@]}"; do
        pid=${pids[$kind]}
        read -r t0 r0 v0 n0 th0 <<<"${before[$kind]}"
        read -r t1 r1 v1 n1 th1 <<<"${after[$kind]}"
        # Memory at least 60 s after the start.
        while [ "$(ms_between "${starts[$kind]}" "$(now)" | cut -d. -f1)" -lt 60000 ]; do sleep 1; done
        hwm=$(memory_kb "$pid" VmHWM)
        rss=$(memory_kb "$pid" VmRSS)
        cpu_ms=$(((t1 - t0) * 10))
        run_ms=$(awk -v a="$r0" -v b="$r1" 'BEGIN { printf "%.2f", (b - a) / 1e6 }')
        share=$(awk -v r="$run_ms" -v s="$seconds" 'BEGIN { printf "%.4f", r / (s * 1000) * 100 }')
        per_s=$(awk -v v="$((v1 - v0))" -v s="$seconds" 'BEGIN { printf "%.2f", v / s }')
        add_sample "$kind.vmhwm_kb" "$hwm"
        add_sample "$kind.vmrss_kb" "$rss"
        add_sample "$kind.cpu_ticks_ms" "$cpu_ms"
        add_sample "$kind.runtime_ms" "$run_ms"
        add_sample "$kind.core_percent" "$share"
        add_sample "$kind.wakeups_per_s" "$per_s"
        add_sample "$kind.nonvoluntary" "$((n1 - n0))"
        threads=$(thread_delta "$th0" "$th1")
        printf '  round %d %-13s VmHWM %s kB, VmRSS %s kB, CPU %s ms (ticks) %s ms (run time) = %s %% of a core, wake-ups %s/s [%s]\n' \
            "$round" "$kind" "$hwm" "$rss" "$cpu_ms" "$run_ms" "$share" "$per_s" "$threads"
        printf '%s\n' "$kind.threads.$round $threads" >>"$work/threads.txt"
    done
    for kind in "${idle_names[@]}"; do stop_pid "${pids[$kind]}"; done
    unset pids homes windows starts before after
done

# --- summary --------------------------------------------------------------------------------------
{
    printf 'startup_ms.bare\t%s\t%s\n' "$(median "${startup_bare[@]}")" "${startup_bare[*]}"
    printf 'startup_ms.panel\t%s\t%s\n' "$(median "${startup_panel[@]}")" "${startup_panel[*]}"
    printf 'map_to_first_paint_ms.bare\t%s\t%s\n' "$(median "${bare_map_to_paint[@]}")" "${bare_map_to_paint[*]}"
    printf 'startup_cpu_ms.bare\t%s\t%s\n' "$(median "${startup_cpu_bare[@]}")" "${startup_cpu_bare[*]}"
    printf 'startup_cpu_ms.panel\t%s\t%s\n' "$(median "${startup_cpu_panel[@]}")" "${startup_cpu_panel[*]}"
    for key in $(printf '%s\n' "${!samples[@]}" | sort); do
        # shellcheck disable=SC2086
        printf '%s\t%s\t%s\n' "$key" "$(median ${samples[$key]})" "${samples[$key]}"
    done
    printf 'idle_seconds\t%s\t\n' "$idle_seconds"
    printf 'jobs\t%s\t\n' "$jobs"
    if [ -f "$work/threads.txt" ]; then
        while read -r key value; do printf '%s\t\t%s\n' "$key" "$value"; done <"$work/threads.txt"
    fi
} >"$out"
echo "figures (median, then the runs) written to $out:"
cut -f1,2 "$out" | grep -v '\.threads\.' | column -t
