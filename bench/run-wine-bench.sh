#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows panel's start-up under wine beside its floor, a bare Win32 window with a tray icon
# built the same way (bench/win32/win32_bare_window.cpp), and the installed size of the program.
#
#  start-up   time from exec of `wine PROGRAM.exe` to the map of the program's main window
#             (MapNotify of its first top-level window at least 200 pixels high, or the resize that
#             makes a mapped one so, seen by `xev` on the root window of a private Xvfb with the
#             trayer tray host), in a private wine
#             prefix whose wineserver stays up between runs; several runs each, alternating, after
#             one warm-up run each.
#  installed  the size of the files the installer puts in place (the CPack staging folder).
#
# Wine is not Windows: these figures say how the program starts under Wine on this machine, and
# the ratio to the bare window says what the program itself adds.
#
# Usage: bench/run-wine-bench.sh --bare BIN/win32_bare_window.exe [--panel BIN/shift-loom.exe
#            --store-tool BIN/shift-loom-store.exe] [--build build/windows] [--runs 10] [--out FILE.tsv]
set -euo pipefail

bare='' panel='' store_tool='' build='' runs=10 out=wine-bench.tsv
while [ $# -gt 0 ]; do
    case "$1" in
    --bare) bare=$2; shift 2 ;;
    --panel) panel=$2; shift 2 ;;
    --store-tool) store_tool=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    -h | --help) sed -n '3,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "run-wine-bench: unknown argument $1" >&2; exit 2 ;;
    esac
done
[ -f "$bare" ] || { echo "run-wine-bench: --bare must name the built win32_bare_window.exe" >&2; exit 2; }
for tool in Xvfb trayer xdotool xev wine wineserver wineboot awk; do
    command -v "$tool" >/dev/null || { echo "run-wine-bench: $tool is missing (scripts/install-deps.sh)" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/shiftloom-winebench-XXXXXX")
started=()
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
    # The private prefix's server, and with it what runs in that prefix only.
    WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
ms_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b - a) * 1000 }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >"$work/Xvfb.log" 2>&1 &
started+=($!)
for _ in $(seq 200); do grep -q '^[0-9]' "$work/display" 2>/dev/null && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"
trayer --edge top --align right --widthtype request --height 32 --SetDockType true >"$work/trayer.log" 2>&1 &
started+=($!)
mkfifo "$work/xev.fifo"
xev -root -event substructure >"$work/xev.fifo" 2>/dev/null &
started+=($!)
(while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done <"$work/xev.fifo" >"$work/xev.log") &
started+=($!)

export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wineserver -w
wineserver -p || true # stays up between the runs, as the system does on Windows
if [ -n "$panel" ]; then
    # The panel on a store of its own, named in its settings.
    wine "$store_tool" init "$work/store" >/dev/null
    wine reg add 'HKCU\Software\Ovix_Shift-Loom\Properties' /v DataLoc /d "Z:${work//\//\\}\\store" /f >/dev/null
    wine reg add 'HKCU\Software\Ovix_Shift-Loom\Properties' /v autocode /d 1234 /f >/dev/null
fi

# The first top-level window at least 200 pixels high made after SINCE, once mapped: Wine creates
# a window's X window small and sizes it afterwards, for a window that is scaled to its monitor.
wait_mapped() {
    local since=$1 found=''
    for _ in $(seq 1200); do
        found=$(awk -v since="$since" '
            function id_of(line) { return match(line, /window 0x[0-9a-f]+/) ? substr(line, RSTART + 7, RLENGTH - 7) : "" }
            function seen(id, stamp) { if ((id in tall) && (id in mapped)) { print (stamp > mapped[id] ? stamp : mapped[id]); exit } }
            $1 < since { next }
            /(CreateNotify|ConfigureNotify) event/ { sized = 1; stamp = $1; next }
            sized { sized = 0; id = id_of($0); h = $0; sub(/.*height /, "", h)
                    if (id != "" && h + 0 >= 200 && !(id in tall)) { tall[id] = stamp; seen(id, stamp) } next }
            /MapNotify event/ { map = 1; stamp = $1; next }
            map { map = 0; id = id_of($0); if (id != "") { mapped[id] = stamp; seen(id, stamp) } }' "$work/xev.log")
        [ -n "$found" ] && { printf '%s\n' "$found"; return 0; }
        sleep 0.05
    done
    return 1
}

kinds=(bare)
[ -n "$panel" ] && kinds+=(panel)
declare -A figures=()
echo "start-up under wine: $runs runs each after a warm-up, alternating (exec to map of the main window)"
for ((run = 0; run <= runs; run++)); do
    for kind in "${kinds[@]}"; do
        # The bare window ends by itself once painted; the panel is ended by its process id.
        args=("$bare" --exit-after-paint)
        [ "$kind" = panel ] && args=("$panel")
        t0=$EPOCHREALTIME
        wine "${args[@]}" >"$work/$kind.out" 2>&1 &
        pid=$!
        started+=("$pid")
        mapped=$(wait_mapped "$t0") || { echo "run-wine-bench: $kind showed no window" >&2; exit 1; }
        ms=$(ms_between "$t0" "$mapped")
        sleep 0.5
        stop_pid "$pid"
        [ "$run" -gt 0 ] && figures[$kind]+="$ms "
        printf '  %-5s run %d: %s ms%s\n' "$kind" "$run" "$ms" "$([ "$run" = 0 ] && echo ' (warm-up)')"
        sleep 0.5
    done
done

{
    for kind in "${kinds[@]}"; do
        # shellcheck disable=SC2086
        printf 'wine.startup.%s\t%s\t%s\n' "$kind" "$(median ${figures[$kind]})" "${figures[$kind]}"
    done
    if [ -n "$build" ]; then
        staged=$(ls -d "$build"/packages/_CPack_Packages/win64/NSIS/shift-loom-*-win64 2>/dev/null | head -n1)
        installer=$(ls "$build"/packages/shift-loom-*-win64.exe 2>/dev/null | head -n1)
        [ -n "$staged" ] && printf 'wine.installed_kib\t%s\t%s\n' "$(du -sk "$staged" | cut -f1)" "$(cd "$staged" && find . -type f | sort | tr '\n' ' ')"
        [ -n "$installer" ] && printf 'wine.installer_kib\t%s\t%s\n' "$(du -k "$installer" | cut -f1)" "$(basename "$installer")"
    fi
} >"$out"
cat "$out"
