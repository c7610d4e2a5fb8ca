#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Measures the performance budgets and writes docs/performance.md: builds the release preset with
# the benchmarks, runs the core and Qt benchmarks (JSON, medians of repetitions run in random
# interleaving), runs the whole-process measurements (bench/run-process-bench.sh) and the report of
# a year (bench/run-report-bench.sh), and puts every figure beside its floor from the same run, as
# a ratio.
#
# Usage: scripts/perf-report.sh [--quick] [--no-build] [--render-only] [--build-dir DIR]
#                               [--commit REV] [--out FILE]
#   --quick          fewer repetitions and runs, 10 s of idle instead of 60 (a check of the
#                    script; the figures are rougher)
#   --no-build       use the binaries already built
#   --render-only    measure nothing: write the report from the last results in the build folder
#   --build-dir DIR  the build folder (default build/release, the release preset's)
#   --commit REV     the commit the binaries were built from (default: the checkout's HEAD)
#   --out FILE       write the report there instead of docs/performance.md
# Needs: scripts/install-deps.sh (Google Benchmark, Qt 6, Xvfb, trayer, xdotool, x11-utils, jq).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/docs/performance.md"
build_dir="$root/build/release"
quick=0 build=1 measure=1 commit=''
while [ $# -gt 0 ]; do
    case "$1" in
    --quick) quick=1; shift ;;
    --no-build) build=0; shift ;;
    --render-only) measure=0 build=0; shift ;;
    --build-dir) build_dir=$(cd "$2" && pwd); shift 2 ;;
    --commit) commit=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "perf-report: unknown argument $1" >&2; exit 2 ;;
    esac
done
for tool in cmake jq awk; do
    command -v "$tool" >/dev/null || { echo "perf-report: $tool is missing (scripts/install-deps.sh)" >&2; exit 2; }
done

if [ "$quick" = 1 ]; then
    repetitions=3 min_time=0.05 runs=5 idle_runs=1 idle_seconds=10 report_rounds=3
else
    repetitions=9 min_time=0.3 runs=15 idle_runs=3 idle_seconds=60 report_rounds=9
fi

bin="$build_dir/bin"
if [ "$build" = 1 ]; then
    if [ "$build_dir" = "$root/build/release" ]; then
        (cd "$root" && cmake --preset release -DSHIFTLOOM_BENCHMARKS=ON >/dev/null)
    else
        cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHIFTLOOM_BENCHMARKS=ON >/dev/null
    fi
    cmake --build "$build_dir" --target shiftloom_bench shiftloom_bench_qt bare_window shift-loom shift-loom-store
fi
results="$build_dir/perf-results"
mkdir -p "$results"

commit_given=$commit
if [ -z "$commit" ]; then
    commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)
    if [ "$commit" != unknown ] && [ -n "$(git -C "$root" status --porcelain -- src bench 2>/dev/null)" ]; then
        commit="$commit (with changes in the working tree)"
    fi
fi

if [ "$measure" = 1 ]; then
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
bench_args=(--benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true
    --benchmark_report_aggregates_only=true --benchmark_min_time="$min_time" --benchmark_out_format=json)
echo "perf-report: core benchmarks ($repetitions repetitions each)"
"$bin/shiftloom_bench" "${bench_args[@]}" --benchmark_out="$results/core.json" >"$results/core.txt"
echo "perf-report: Qt benchmarks"
QT_QPA_PLATFORM=offscreen "$bin/shiftloom_bench_qt" "${bench_args[@]}" --benchmark_out="$results/qt.json" \
    >"$results/qt.txt"
echo "perf-report: whole-process measurements"
"$root/bench/run-process-bench.sh" --program "$bin/shift-loom" --store-tool "$bin/shift-loom-store" \
    --bare "$bin/bare_window" --runs "$runs" --idle-runs "$idle_runs" --idle-seconds "$idle_seconds" \
    --out "$results/process.tsv" | tee "$results/process.txt"
echo "perf-report: store tool report of a year ($report_rounds rounds)"
"$root/bench/run-report-bench.sh" --store-tool "$bin/shift-loom-store" --rounds "$report_rounds" \
    --out "$results/report.tsv" | tee "$results/report.txt"
# The Windows programs under wine, where the windows preset is built (panel and bare window).
windows_bin="$root/build/windows/bin"
rm -f "$results/wine.tsv"
if [ -f "$windows_bin/win32_bare_window.exe" ]; then
    echo "perf-report: Windows start-up under wine"
    panel_args=()
    [ -f "$windows_bin/shift-loom.exe" ] \
        && panel_args=(--panel "$windows_bin/shift-loom.exe" --store-tool "$windows_bin/shift-loom-store.exe")
    (cd "$root/build/windows" && cpack -G NSIS >/dev/null) || true
    "$root/bench/run-wine-bench.sh" --bare "$windows_bin/win32_bare_window.exe" "${panel_args[@]}" \
        --build "$root/build/windows" --runs "$runs" --out "$results/wine.tsv" | tee "$results/wine.txt"
fi
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
printf '%s\n%s\n%s\n%s\n%s\n%s\n%s\n' "$load_before" "$load_after" "$repetitions" "$runs" "$idle_runs" "$idle_seconds" \
    "$commit" >"$results/run.txt"
fi
# The commit is the one measured, also when the page is only written again from its results.
measured_commit=''
{ read -r load_before; read -r load_after; read -r repetitions; read -r runs; read -r idle_runs; read -r idle_seconds
    read -r measured_commit || true; } <"$results/run.txt"
if [ "$measure" = 0 ] && [ -z "$commit_given" ]; then
    commit=${measured_commit:-unknown (results from before the commit was kept with them)}
fi

# --- figures ---------------------------------------------------------------------------------------
# bench FILE RUN FIELD: the median of a benchmark in microseconds (FIELD cpu_time or real_time).
bench() {
    jq -r --arg run "$2" --arg field "$3" '
        .benchmarks[] | select(.run_name == $run and .aggregate_name == "median")
        | .[$field] * ({"ns": 0.001, "us": 1, "ms": 1000, "s": 1000000}[.time_unit])' "$1" | head -n1
}
core() { bench "$results/core.json" "$@"; }
qt() { bench "$results/qt.json" "$@"; }
# proc KEY: the median of a whole-process figure.
proc() { awk -F'\t' -v key="$1" '$1 == key { print $2 }' "$results/process.tsv"; }
proc_runs() { awk -F'\t' -v key="$1" '$1 == key { print $3 }' "$results/process.tsv"; }
# ratio A B: A / B to six places (the verdicts use it); shown with two (`num`).
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 == 0) print "n/a"; else printf "%.6f", a / b }'; }
num() { awk -v a="$1" -v d="${2:-1}" 'BEGIN { if (a == "" || a == "n/a") print "n/a"; else printf "%.*f", d, a }'; }
# verdict VALUE LIMIT [AIM]: met when VALUE <= LIMIT.
verdict() {
    awk -v v="$1" -v l="$2" -v a="${3:-}" 'BEGIN {
        if (v == "n/a" || v == "") { print "not measured"; exit }
        if (v + 0 > l + 0) { print "**missed**"; exit }
        if (a != "" && v + 0 > a + 0) print "met (aim " a " missed)"; else print "met" }'
}

fill10k=$(core BM_JobList_Fill/10000 cpu_time)
fill100k=$(core BM_JobList_Fill/100000 cpu_time)
read10k=$(core BM_JobFile_PlainRead/10000 cpu_time)
refill10k=$(qt BM_Qt_TrayClickRefill/10000 cpu_time)
refill10k_wall=$(qt BM_Qt_TrayClickRefill/10000 real_time)
refill100k=$(qt BM_Qt_TrayClickRefill/100000 cpu_time)
append=$(core BM_Append_WriteRecord/real_time real_time)
append_locked=$(core BM_Append_AppendLocked/real_time real_time)
append_floor=$(core BM_Append_PlainSyscalls/real_time real_time)
start_panel=$(proc startup_ms.panel)
start_bare=$(proc startup_ms.bare)
hwm_panel=$(proc panel-idle.vmhwm_kb)
hwm_bare=$(proc bare.vmhwm_kb)

r_start=$(ratio "$start_panel" "$start_bare")
r_hwm=$(ratio "$hwm_panel" "$hwm_bare")
r_fill=$(ratio "$fill10k" "$read10k")
r_scale=$(ratio "$fill100k" "$fill10k")
r_scale_qt=$(ratio "$refill100k" "$refill10k")
r_append=$(ratio "$append" "$append_floor")
r_append_locked=$(ratio "$append_locked" "$append_floor")

cpu_model=$(awk -F': *' '/^model name/ { print $2; exit }' /proc/cpuinfo)
[ -n "$cpu_model" ] || cpu_model=$(lscpu | awk -F': *' '/Model name/ { print $2; exit }')
build_fs=$(jq -r '.context.work_folder_fs' "$results/core.json")
compiler=$(awk -F= '/^CMAKE_CXX_COMPILER:/ { print $2 }' "$build_dir/CMakeCache.txt")
compiler_version=$("$compiler" --version | head -n1)
build_type=$(awk -F= '/^CMAKE_BUILD_TYPE:/ { print $2 }' "$build_dir/CMakeCache.txt")
qt_version=$(jq -r '.context.qt_version' "$results/qt.json")

# row NAME FIGURE FLOOR RATIO LIMIT VERDICT
row() { printf '| %s | %s | %s | %s | %s | %s |\n' "$@"; }

{
    cat <<EOF
# Performance

Every figure here was measured by \`scripts/perf-report.sh\` in one run, beside a floor measured
in the same run by the same harness; the ratio is figure / floor. The file is generated: run the
script again instead of editing it.

## Machine

| | |
|---|---|
| CPU | $cpu_model |
| Cores | $(nproc) |
| Kernel | $(uname -r) |
| Date | $(date -u -r "$results/process.tsv" '+%Y-%m-%d %H:%M UTC') |
| Commit | $commit |
| Load average (1, 5, 15 min) | $load_before before, $load_after after |
| Compiler, build type | $compiler_version, $build_type |
| Qt | $qt_version |
| File system of the build folder | $build_fs |

Timings are medians: of $repetitions repetitions run in random interleaving for the benchmarks, of
$runs start-ups each for the start-up, of $idle_runs rounds of $idle_seconds s for idle running and
memory. CPU-bound figures are CPU time (less disturbed by other load on the machine); the record
append, which waits for the disk, is wall-clock time.

## Budgets

| Budget | Figure | Floor | Ratio | Limit (aim) | Verdict |
|---|---|---|---|---|---|
EOF
    row "Start to first window, 10,000-job dep.dat" "$(num "$start_panel") ms" "$(num "$start_bare") ms bare window with tray icon" \
        "$(num "$r_start" 3)" "≤ 1.15" "$(verdict "$r_start" 1.15)"
    row "Peak RSS after 60 s, 10,000 jobs listed" "$(num "$(awk -v k="$hwm_panel" 'BEGIN { print k / 1024 }')") MiB" \
        "$(num "$(awk -v k="$hwm_bare" 'BEGIN { print k / 1024 }')") MiB bare window" "$(num "$r_hwm" 3)" "≤ 1.25" "$(verdict "$r_hwm" 1.25)"
    row "Job list fill, core part, 10,000 jobs" "$(num "$fill10k") µs" "$(num "$read10k") µs plain read of dep.dat" \
        "$(num "$r_fill" 3)" "≤ 2" "$(verdict "$r_fill" 2)"
    row "Job list on the panel filled (tray click), 10,000 jobs" \
        "$(num "$(awk -v a="$refill10k" 'BEGIN { print a / 1000 }')") ms CPU, $(num "$(awk -v a="$refill10k_wall" 'BEGIN { print a / 1000 }')") ms wall" "–" \
        "–" "< 50 ms" "$(verdict "$(awk -v a="$refill10k_wall" 'BEGIN { print a / 1000 }')" 50)"
    row "Job list fill, 100,000 / 10,000 jobs (core)" "$(num "$fill100k") µs" "$(num "$fill10k") µs" "$(num "$r_scale" 3)" "≤ 12" \
        "$(verdict "$r_scale" 12)"
    row "Job list on the panel, 100,000 / 10,000 jobs" "$(num "$refill100k") µs" "$(num "$refill10k") µs" "$(num "$r_scale_qt" 3)" "≤ 12" \
        "$(verdict "$r_scale_qt" 12)"
    row "One record written (\`TimeRecordWriter::write\`)" "$(num "$append") µs" "$(num "$append_floor") µs plain system calls" \
        "$(num "$r_append" 3)" "≤ 1.2" "$(verdict "$r_append" 1.2)"
    row "One locked append (\`appendLocked\`)" "$(num "$append_locked") µs" "$(num "$append_floor") µs plain system calls" \
        "$(num "$r_append_locked" 3)" "≤ 1.2" "$(verdict "$r_append_locked" 1.2)"
    for kind in panel-running panel-idle; do
        case $kind in
        panel-running) what="job running, panel hidden" floor=bare-timer floor_what="bare window with a 1 s timer" ;;
        panel-idle) what="panel shown, no job running" floor=bare-clock floor_what="bare window with a clock label" ;;
        esac
        wake=$(proc "$kind.wakeups_per_s")
        share=$(proc "$kind.core_percent")
        row "Idle wake-ups, $what" "$(num "$wake" 2)/s" "$(num "$(proc "$floor.wakeups_per_s")" 2)/s $floor_what" \
            "$(num "$(ratio "$wake" "$(proc "$floor.wakeups_per_s")")" 3)" "1/s, the clock tick only" "$(verdict "$wake" 1.05)"
        row "Idle CPU, $what" "$(num "$share" 3) % of a core" "$(num "$(proc "$floor.core_percent")" 3) % $floor_what" \
            "$(num "$(ratio "$share" "$(proc "$floor.core_percent")")" 3)" "< 0.05 %" "$(verdict "$share" 0.05)"
    done

    cat <<EOF

"Start to first window" is the time from the exec of the program to the map of its main window,
for the panel and the bare window alike (see *Method*); the bare window also reports its own first
paint, a median $(num "$(proc map_to_first_paint_ms.bare)") ms after its map. The CPU time the start-up takes up to that
point: panel $(num "$(proc startup_cpu_ms.panel)") ms, bare window $(num "$(proc startup_cpu_ms.bare)") ms (ratio $(num "$(ratio "$(proc startup_cpu_ms.panel)" "$(proc startup_cpu_ms.bare)")" 2)).

The bare window draws no text. The same window with one clock label set every second
(\`bare_window --clock\`, measured in the same rounds) peaks at $(num "$(awk -v k="$(proc bare-clock.vmhwm_kb)" 'BEGIN { print k / 1024 }')") MiB: drawing text at all
(fontconfig, FreeType, HarfBuzz and a font file) takes the floor up by $(num "$(ratio "$(proc bare-clock.vmhwm_kb)" "$hwm_bare")" 2) times, and the panel's peak is
$(num "$(ratio "$hwm_panel" "$(proc bare-clock.vmhwm_kb)")" 3) times that window's.

"One record written" times the whole way of a record to the store (\`TimeRecordWriter::write\` in
its inline mode), and its limit of 1.2 dates from when that way was one locked append. A record
now reaches the disk twice: first as a file of its own in the worker's folder (written, forced to
the disk, renamed into place and the folder forced), and only then in the store (the journal's
intent, the store's write and its flush, the file's removal). Each flush is a step of the promise
that no record is ever only in memory, so the row stays missed by design; the panel's window waits
only for the first part, the store's part runs on the delivery's thread. "One locked append" is
the store's part alone.

## Benchmarks

Medians in µs; CPU time and wall-clock time. Floors are marked *floor*.

| Benchmark | CPU | Wall | Ratio to its floor |
|---|---|---|---|
EOF
    for file in core qt; do
        jq -r '.benchmarks[] | select(.aggregate_name == "median")
            | [.run_name, (.cpu_time * ({"ns": 0.001, "us": 1, "ms": 1000, "s": 1000000}[.time_unit])),
               (.real_time * ({"ns": 0.001, "us": 1, "ms": 1000, "s": 1000000}[.time_unit])), (.label // "")] | @tsv' \
            "$results/$file.json"
    done | sort | while IFS=$'\t' read -r name cpu wall label; do
        floor='' field=cpu
        case "$name" in
        BM_JobFile_ReadJobList/* | BM_JobList_Fill/* | BM_JobList_SortForDisplay/*) floor="BM_JobFile_PlainRead/${name##*/}" ;;
        BM_Append_AppendLocked/* | BM_Append_WriteRecord/*) floor=BM_Append_PlainSyscalls/real_time field=wall ;;
        BM_NumberField/*) floor=BM_NumberField_PlainInteger ;;
        BM_Qt_TrayClickRefill/*) floor="BM_Qt_PlainComboFill/${name##*/}" ;;
        esac
        mark=''
        case "$name" in BM_JobFile_PlainRead/* | BM_Append_PlainSyscalls/* | BM_NumberField_PlainInteger | BM_Qt_PlainComboFill/*) mark=' *floor*' ;; esac
        r='–'
        if [ -n "$floor" ]; then
            if [ "$field" = wall ]; then f=$(core "$floor" real_time); r=$(ratio "$wall" "$f"); else
                f=$(core "$floor" cpu_time)
                [ -n "$f" ] || f=$(qt "$floor" cpu_time)
                r=$(ratio "$cpu" "$f")
            fi
        fi
        [ "$r" = '–' ] || r=$(num "$r" 2)
        printf '| `%s`%s%s | %s | %s | %s |\n' "$name" "${label:+ ($label)}" "$mark" "$(num "$cpu" 2)" "$(num "$wall" 2)" "$r"
    done

    cat <<EOF

\`BM_Qt_TrayClickRefill\` is the tray click on the loaded panel (offscreen platform): dep.dat read
again, the list sorted for display and handed to the job list widget, which converts only the lines
it shows. Its floor \`BM_Qt_PlainComboFill\` converts the same lines, already read, and sets them on
a plain combo box's string list: what the panel did before it showed the lines where they are.
\`BM_Qt_ClockTick\` is one tick with the repaint it causes (panel shown) or without (hidden).

## Whole process

Medians, then the single runs.

| Figure | Median | Runs |
|---|---|---|
EOF
    grep -v '\.threads\.' "$results/process.tsv" | grep -v -e '^idle_seconds' -e '^jobs' \
        | awk -F'\t' '{ printf "| `%s` | %s | %s |\n", $1, $2, $3 }'
    cat <<EOF

Wake-ups per thread over the last round ($idle_seconds s; voluntary context switches):

| Program | Threads |
|---|---|
EOF
    awk -F'\t' '/\.threads\./ { key = $1; sub(/\.threads\..*/, "", key); last[key] = $3 } END { for (k in last) printf "| %s | %s |\n", k, last[k] }' \
        "$results/process.tsv" | sort

    if [ -f "$results/wine.tsv" ]; then
        wine_fig() { awk -F'\t' -v key="$1" '$1 == key { print $2 }' "$results/wine.tsv"; }
        cat <<EOF

## Windows, under Wine

Wine is not Windows: these are the Windows programs (cross-built with mingw-w64, static runtime)
started under Wine 8 on this Linux machine, in a private prefix whose wineserver stays up, on Xvfb
with the trayer tray host (\`bench/run-wine-bench.sh\`). The floor is a bare Win32 window with a
tray icon built the same way (\`bench/win32/win32_bare_window.cpp\`); the ratio says what the
program adds to what Wine costs any such window.

| Figure | Value | Floor | Ratio |
|---|---|---|---|
EOF
        bare_ms=$(wine_fig wine.startup.bare)
        if [ -n "$(wine_fig wine.startup.panel)" ]; then
            printf '| Start to first window under Wine | %s ms | %s ms bare Win32 window with tray icon | %s |\n' \
                "$(num "$(wine_fig wine.startup.panel)")" "$(num "$bare_ms")" \
                "$(num "$(ratio "$(wine_fig wine.startup.panel)" "$bare_ms")" 3)"
        else
            printf '| Start to first window under Wine | (no shift-loom.exe built) | %s ms bare Win32 window with tray icon | – |\n' \
                "$(num "$bare_ms")"
        fi
        printf '| Installed size | %s KiB | – | – |\n| Installer | %s KiB | – | – |\n' \
            "$(wine_fig wine.installed_kib)" "$(wine_fig wine.installer_kib)"
        printf '\nRuns (ms):\n\n'
        awk -F'\t' '/^wine\.startup/ { printf "- %s: %s\n", $1, $3 }' "$results/wine.tsv"
        cat <<'EOF'

The panel here starts on the small store `shift-loom-store init` makes, named in its settings in
the prefix's registry. What it does before its window is mapped that the bare window does not,
from a run of the panel with a mark written through `OutputDebugStringA` at each step and Wine's
time-stamped trace (9 runs, December 2026, medians; not a run of this report): the process's
start up to `WinMain`, which the bare window pays as well, about 50 ms (Wine loads the DLLs and its X11
driver); the panel window 15 ms; its 70 child windows with their fonts 18 ms (each a call to the
Wine server, and Wine's font system set up at the first font: the bare window draws no text);
the tooltips and the screen reader's names (comctl32 version 6, COM and oleacc, which the bare
window does not load) 4 ms; the start-up (`Panel::load`: the settings from the registry, one
Wine server call each, the first delivery's answer and the job list) 13 ms; the first render
1 ms; the show, up to the map, 14 ms. The ratio is that of a panel of 70 controls to one empty
window on a system where every window and registry call goes through the Wine server; on Windows
those calls stay in the process and the kernel.
EOF
    fi

    cat <<'EOF'

## Causes found

Profiled with perf (cpu-clock and sched_switch samples), valgrind's callgrind and strace on this
machine in December 2026; the figures above show whether they still hold.

- **Job list fill, core part.** The plain read only copies bytes out of the page cache. The fill
  used to make one `std::string` per job line (malloc and free were half of its time) and read
  the file in chunks of 770 KB, a fresh mapping at every fill. The job lines now go end to end
  into one buffer (`TextList`), each written straight from its record's text, with copies of
  fixed sizes when every field is whole (as in nearly every record); the chunk is 2,048 records,
  which the allocator reuses. For 10,000 jobs that took the fill from 412 µs to about 100 µs
  (6.9x the plain read to about 1.8x; perf showed a `rep stos` that blanked every line before
  its fields were copied as the next largest cost on the way).
- **Job list fill, 100,000 / 10,000 jobs.** No step grows faster than the list: the plain read
  of the file grows the same way (its own ratio is in the table of benchmarks), because a file
  of 18.8 MB and a list of 8.5 MB no longer fit the caches that hold those of 10,000 jobs.
- **Job list on the panel.** The panel window used to convert every line to a
  `QString` and hand the widget a string list: 2 MB of UTF-16 for 10,000 jobs, converted at
  every tray click, beside the panel's own lines. The list widget now reads the panel's lines
  where they are, in the display order (an index stable-sorted by the first 16 characters,
  case-folded into two 64-bit numbers, whole lines compared only on a tie), and converts a line
  only when the view asks for it: the rows on view, a pick, and the longest line, which sets the
  width of the open list.
- **Idle, panel shown.** Each tick changes the clock display and repaints it. With Qt's MIT-SHM
  image transport the repaint waits for an X round trip: the X event thread wakes for the reply
  and the main thread waits for it, about three context switches a tick; a bare Qt window whose
  label changes every second does the same. Without MIT-SHM (`QT_XCB_NO_MITSHM=1`) it is one.
  What is left is the repaint of a clock that changes every second: a bare window with a clock
  label costs as much, more than the 0.05 % budget on this virtual machine.
- **Idle, panel hidden.** One wake-up a second, the tick's. Under perf, half of the hidden
  panel's CPU time went to the text layout (HarfBuzz, font advances) of `QLabel::setText` and
  `QLineEdit::setText` for the clock, the running time and the total, although nothing was shown
  (0.054 % of a core). The window now renders nothing while it is hidden and shows the panel's
  state when it is shown again, before its first paint; the rest is the wake-up itself
  (see the bare window with an empty 1 s timer).
- **Start-up and memory.** At start-up every page is fresh, and on this virtual machine a page
  fault costs tens of microseconds: under perf, faults were a fifth of the panel's start-up. The
  job list's share fell with the changes above (one buffer of lines and an index instead of
  10,000 strings, a sorted copy and 10,000 `QString`s): start-up CPU time 114 ms to 106 ms and
  peak memory 1.50x to 1.41x the bare window in the runs that followed them.
- **Start-up and memory, the single instance and what came with it.** Measured in December 2026
  beside the bare window with a harness of the same kind (the same 10,000-job store, VmHWM after
  3 s, CPU time from schedstat, medians of 5 to 11 alternating runs each, on a machine whose load
  varied between 1 and 7), one change at a time:
  - the single-instance socket through `QLocalServer` linked QtNetwork, and with it libproxy,
    the Kerberos libraries (krb5, GSSAPI, k5crypto, com_err, keyutils) and libresolv: 1.25 MB
    and, with the regular expressions below, about 4 ms of CPU time and 10 ms to the window. It
    is now a plain `AF_UNIX` socket with the caller's account checked (`SO_PEERCRED`), read
    through a `QSocketNotifier`; the panel links the same libraries as the bare window;
  - two regular expressions in the same code (the display's name as a file name) loaded PCRE2
    and its JIT: 0.49 MB. Plain loops now;
  - the icon's five PNGs were read without naming their format, so Qt loaded every image plugin
    installed (GIF, ICO, JPEG with libjpeg) to ask each whether it could read them: 0.23 MB and
    about 2 ms. They were then read as PNG with the format's detection off (and are now raw
    rows: see the third pass);
  - the coloured ("graphical") buttons took their colour and raised edge from a style sheet
    each, which brings in Qt's style sheet machinery: 0.53 MB and about 2 ms. They now paint
    themselves, pixel for pixel the same (compared in both states, with and without the focus,
    on offscreen and on X11);
  - the sixteen hidden holder controls (drag flag and origin, keypad entry, data folder, idle
    colour, ten slot cards): 0.08 MB, and no start-up time beyond the noise (under 1 ms); they
    are left to the shared view, which takes their state out of the window;
  - the 10,000 jobs themselves: about 0.95 MB (their lines, 850 KB, and the display order).
  What remains over the bare window (about 7.3 MB after the third pass below; by
  `/proc/PID/smaps` of one side-by-side run of that pass, not of this report's rounds): code
  pages of Qt Widgets, Gui and Core for the widgets the panel has and the bare window has not
  (2.75 MB), the heap and anonymous memory (2.2 MB: the job list's lines
  and order, about 1 MB; the widgets, the fonts' caches, the line edits' text layouts; the
  window's image, which the bare window keeps in shared memory), text rendering (HarfBuzz and
  FreeType 1.26 MB, fontconfig and expat 0.31 MB with its caches, the four font files 0.46 MB;
  the bare window draws no text) and the program itself (0.6 MB). In time: building the window
  (`PanelWindow::createControls`, some 70 widgets, about 10 ms under perf), the first use of the
  font database (fontconfig's configuration read with expat, about 8 ms; the first line edit lays
  out its text before the window is mapped), and the start-up's own work (`Panel::load`, 4 to 9
  ms, most of it waiting for the delivery thread's first answer and the job list it reads).
- **Start-up, a second pass (December 2026).** Measured side by side with the code before it,
  alternating, medians of 9 start-ups each, three pairs on a quiet machine: start to first window
  1.56, 1.70 and 1.54 times the bare window before; 1.22, 1.59 and 1.51 after; peak memory 32.8
  and 32.9 MiB. Within the noise of this virtual machine, whose bare window alone varied from 22.6
  to 28.5 ms in those runs. Kept, each sound on its own: the first delivery to the store starts
  before the window is built (`Panel::prepare`; on a share its round trips overlap the window's
  10 ms instead of following them), the job list's open list (view, scroll bars, delegate) is made
  when it first opens, and the two threads share one heap (the job list's lines read on the
  delivery's thread are kept by the window's: 0.1 to 0.2 MB less in two trials, within the noise;
  0.25 MB less while the list's order was also sorted there). Tried
  and dropped: the font configuration read on a thread of its own while Qt starts (the window's
  build went from 9.5 to 5.3 ms, but Qt's own start-up, sharing two cores with the X server, took
  as much longer: no gain), and the list's order sorted on the delivery's thread (it then counted
  in the core fill, which missed its budget of twice the plain read).
- **Memory, a third pass (December 2026).** Where the panel's pages went that a text panel need
  not have, found in `/proc/PID/smaps` and the start-up's file opens under strace: the job list's
  text field was made before its font was set and laid out its empty text in the desktop's
  default face, a font file the panel never shows (0.16 MB; every text of the program now has the
  panel's faces, messages too); the close button's "X" had a face of its own (0.2 MB; it now
  uses the bold face the job buttons load); the delivery wrote its three messages through
  `std::clog`, whose stream set-up at start touched 0.25 MB of the C++ library's locale code
  (plain `fputs` now); and the icon's five PNGs brought in the PNG decoder and zlib (0.15 MB with
  their buffers; the icon is now embedded as raw RGBA rows, made by `scripts/render-icons.sh`
  beside the PNGs and held to them by a test). Side by side with the code before it, alternating,
  two pairs of 9 start-ups and one 60-second idle run each: peak memory 33,468 and 33,468 KiB
  before, 32,500 and 32,616 KiB after (0.9 MiB less, 1.29 to 1.30 times the bare window against
  1.33); start to first window 1.40 and 1.38 times the bare window before, 1.55 and 1.62 after,
  which is this machine's noise in both directions (the bare window alone took 23.6 to 29.1 ms),
  not a cost of the change. Tried and not kept: the combo box made editable by its own text
  field only (one text field and completer fewer; no change in memory beyond the noise), and the
  program built with `-Os` and unused sections dropped (0.27 MB less, but the job list's fill
  and the record's encoding are the code the budgets above time, and they would pay for it).
- **Start-up, where the panel's extra time goes (December 2026).** Time stamps written by a
  scratch build of this code at each step of its start (medians of 9 start-ups each, alternating
  with the bare window likewise stamped, on Xvfb with trayer): both reach the end of
  `QApplication`'s construction at about 17.5 ms after the exec (the dynamic loader, Qt, the X
  connection). From there the bare window is shown 4.7 ms later (4.2 of them its tray icon). The
  panel takes 14.8 ms: its first text, 7.7 ms (the program's face set, 2.0 ms, and the job list's
  text field, whose construction lays out its empty text: the font database read from fontconfig
  and the first face loaded, 5.7 ms); the other 68 controls, 0.8 ms; the tray icon, 1.9 ms; the
  start-up's own work, 1.1 ms (the delivery's first answer had come during the window's build;
  the job list read and ordered, 1.0 ms); the show, 2.4 ms against the bare window's 0.5 (the
  style's polish of 70 widgets). The budget of 1.15 times leaves about 3.4 ms over this bare
  window, less than half of what the first line of text costs a Qt window here, and the bare
  window draws none: as long as the panel shows text through Qt, the budget cannot be met on this
  machine by cutting the panel's own work, which is 2 to 3 ms of the difference. (Moving the text's
  first layout behind the map would bring the map forward and the first paint back by as much:
  not done, the figure would then measure less than what the worker sees.)
EOF

    # The report of a year (bench/run-report-bench.sh): medians of its rounds.
    echo
    echo '## Store tool report of a year'
    echo
    if [ -f "$results/report.tsv" ]; then
        rep() { awk -F'\t' -v key="$1" '$1 == key { print $2 }' "$results/report.tsv"; }
        read_cpu=$(rep read_cpu_ms) read_wall=$(rep read_wall_ms)
        r_report=$(ratio "$(rep html_cpu_ms)" "$read_cpu")
        r_summary=$(ratio "$(rep summary_cpu_ms)" "$read_cpu")
        cat <<EOF
\`shift-loom-store report\` on a data file of a year of a 50-worker shop (every card and day a
run of starts a few minutes apart on three job cards of the day, a stop at the end of the day),
beside a plain read of the same file, in one run of \`bench/run-report-bench.sh\` (medians of its
rounds). Other builds running on the machine change the wall times more than the CPU times (user
+ system), so the CPU ratios are the steadier figures. $(sed -n 's/^Data file: \(.*\)$/Data file: \1./p' "$results/report.txt")

| Run | Wall | CPU | Peak RSS | Wall / read | CPU / read |
|---|---|---|---|---|---|
EOF
        for run in 'read|plain read: `cat data > /dev/null` *floor*' \
            'decode|reading: `report --csv --from 2100-01-01` (every line decoded and paired, no day selected)' \
            'summary|`report --summary --csv` (the shop'"'"'s table)' \
            'csv|`report --csv`' 'html|`report --html`' 'html2x|`report --html`, twice the records, same cards and days'; do
            name=${run%%|*}
            row "${run#*|}" "$(num "$(rep "${name}_wall_ms")" 0) ms" "$(num "$(rep "${name}_cpu_ms")" 0) ms" \
                "$(num "$(rep "${name}_rss_mib")") MiB" "$(num "$(ratio "$(rep "${name}_wall_ms")" "$read_wall")")" \
                "$(num "$(ratio "$(rep "${name}_cpu_ms")" "$read_cpu")")"
        done
        cat <<EOF

- **Ratios**: the HTML report takes $(num "$r_report") times the plain read's CPU time: $(verdict "$r_report" 5) (aim: at
  most 5); the shop's table alone (\`--summary\`) $(num "$r_summary") times: $(verdict "$r_summary" 3) (aim: at most 3).
- **Memory** follows the cards, days and job cards, not the records: compare the runs with one
  and two million records.
EOF
    else
        echo 'Not measured in this run.'
    fi
    cat <<'EOF'

## Method

- **Core benchmarks** (`bench/`, Google Benchmark): the job file read (`readJobList`) and the job
  list refill of a tray click (`Panel::showFromTray`) for
  1,000, 10,000 and 100,000 jobs, beside a plain read of the same dep.dat (open, read every byte
  into a kept buffer, close); the display's sort order (`sortedForDisplay`); the number rule
  (`numberField`) and `startRecord`; one record written through `TimeRecordWriter::write` and through
  `appendLocked`, beside the same system calls in a plain loop (open with O_APPEND, F_OFD_SETLK,
  pread of the last byte, write, fsync, unlock, close), all on a file in the build folder; the
  clock tick `Panel::tick` on a loaded panel, idle and with a running job button.
- **Qt benchmarks**: the panel itself (`Panel`, `QtFrontEnd`, `PanelWindow`) on Qt's offscreen
  platform: the tray click refill of the job list, and a clock tick with and without a repaint.
- **Whole process** (`bench/run-process-bench.sh`): a private Xvfb with trayer as the tray host;
  a data store of 10,000 jobs made by `shift-loom-store init` from a generated CSV; the panel's
  settings (`$XDG_CONFIG_HOME/Ovix_Shift-Loom.conf`, `[Properties] DataLoc=`) and data folder in
  temporary folders. *Start to first window* is measured from the exec to the MapNotify of the
  program's main window (its first top-level window at least 200 pixels high), which `xev` sees on
  the root window and the script stamps as it arrives: the panel cannot report its first paint
  without a change to its code, and both programs are measured the same way. The floor is
  `bench/bare_window` (a QApplication, a frameless 192 x 395 window without a taskbar button and a
  tray icon, shown), which also prints the time of its first paint. Memory is VmHWM and VmRSS
  from `/proc/PID/status` at least 60 s after the start. Idle running is measured side by side for
  the bare window, the bare window with a clock label set every second (`--clock`, the floor for a
  panel whose clock display changes every second), the panel shown with no job running (also once
  without MIT-SHM, `QT_XCB_NO_MITSHM=1`) and the panel with job button 0 running (pressed with
  xdotool; the panel hides itself 5 s later): CPU time from `/proc/PID/task/*/schedstat` (and
  utime+stime from `/proc/PID/stat`) and wake-ups as voluntary context switches of every thread,
  over the measured interval, which starts once each program has run for 20 s.
- No test checks a timing: the ctest smoke runs (`bench_smoke`, `bench_qt_smoke`,
  `bench_bare_window_smoke`) only keep the benchmarks building and running.

## Commands

```sh
scripts/install-deps.sh                 # Google Benchmark, Qt, Xvfb, trayer, xdotool, x11-utils, jq
scripts/perf-report.sh                  # builds build/release with the benchmarks, writes this file
scripts/perf-report.sh --quick          # the same, rougher, in a few minutes

# by hand
cmake --preset release -DSHIFTLOOM_BENCHMARKS=ON && cmake --build --preset release
build/release/bin/shiftloom_bench --benchmark_filter=JobList
QT_QPA_PLATFORM=offscreen build/release/bin/shiftloom_bench_qt
bench/run-process-bench.sh --program build/release/bin/shift-loom \
    --store-tool build/release/bin/shift-loom-store --bare build/release/bin/bare_window
bench/run-report-bench.sh --store-tool build/release/bin/shift-loom-store   # the report of a year
ctest --preset ci -L bench              # the smoke runs
```

Benchmarks write their files under `build/<preset>/bench/work` (or `SHIFTLOOM_BENCH_DIR`), so that
appends are flushed to the disk the build folder lies on.
EOF
} >"$out"
echo "perf-report: wrote $out"
