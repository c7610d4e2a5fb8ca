#!/usr/bin/env bash
# Builds the release preset and starts the panel on a demo data store of its own.
#
# Everything of the demo lives under build/release/demo/: the store made by shift-loom-store, and
# the panel's settings, registration, buffer and fallback folder (the XDG folders point there), so
# a worker's real settings and records are never touched.
#
# With a display ($DISPLAY or $WAYLAND_DISPLAY) the panel starts there and runs until it is ended.
# Without one, the script starts a virtual X display and a tray host, starts the panel with two
# jobs on its buttons, starts the first one (choosing an activity), saves a screenshot as
# build/release/demo/panel.png and ends every process it started.
#
# Usage: scripts/run-demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset release
cmake --build --preset release -j "$jobs" --target shift-loom shift-loom-store

bin="$root/build/release/bin"
demo="$root/build/release/demo"
rm -rf "$demo"
mkdir -p "$demo/config" "$demo/data" "$demo/state" "$demo/xdg"
export XDG_CONFIG_HOME="$demo/config"
export XDG_CONFIG_DIRS="$demo/xdg"
export XDG_DATA_HOME="$demo/data"
export XDG_STATE_HOME="$demo/state"
store="$demo/store"
"$bin/shift-loom-store" init "$store"
"$bin/shift-loom-store" register "$store"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "run-demo: the data store is $store; the panel's settings are in $XDG_CONFIG_HOME"
    echo "run-demo: starting the panel (end it with the keypad code, a double-click on its background, or Ctrl+C)"
    exec "$bin/shift-loom"
fi

# --- No display: a virtual one, driven by xdotool. ---

pids=()
cleanup() {
    local pid
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[i]}
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT

# A display number nobody uses.
number=90
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
    number=$((number + 1))
done
export DISPLAY=":$number"
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$demo/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || { echo "run-demo: Xvfb did not start (see $demo/xvfb.log)" >&2; exit 1; }

trayer --edge bottom --align right --widthtype request --height 24 --SetDockType true \
    --transparent false --tint 0x303030 >"$demo/trayer.log" 2>&1 &
pids+=($!)

# Two jobs of the store on the top buttons, as a pick in the job list would leave them. A job
# line holds the job key in columns 1-16, the card code in 27-34 and the description in its last
# 41 characters.
export LC_ALL=C.UTF-8
quote() {
    local value=${1//\\/\\\\}
    printf '"%s"' "${value//\"/\\\"}"
}
trim() {
    local text=$1
    text=${text#"${text%%[! ]*}"}
    printf '%s' "${text%"${text##*[! ]}"}"
}
mapfile -t lines < <("$bin/shift-loom-store" jobs "$store")
settings="$XDG_CONFIG_HOME/Ovix_Shift-Loom.conf"
{
    echo "[Properties]"
    echo "DataLoc=$(quote "$store")"
    echo "autocode=4711"
    for slot in 0 1 2 3 4 5 6 7 8 9; do
        if [ "$slot" -lt 2 ] && [ "$slot" -lt "${#lines[@]}" ]; then
            line=${lines[slot]}
            echo "button$slot=$(quote "$(trim "${line:0:16}")")"
            echo "card$slot=$(quote "${line:26:8}")"
            echo "desc$slot=$(quote "${line: -41}")"
        else
            echo "button$slot=[empty]"
            echo "card$slot="
            echo "desc$slot="
        fi
    done
} >"$settings"

"$bin/shift-loom" >"$demo/panel.log" 2>&1 &
panel=$!
pids+=("$panel")

# The panel: a borderless window of 192 x 395 pixels at 96 dpi (positions below in pixels, the
# design's twips divided by 15).
panelWindow=$(timeout 20 xdotool search --sync --onlyvisible --classname shift-loom | head -n 1) || true
[ -n "$panelWindow" ] || { echo "run-demo: the panel did not show (see $demo/panel.log)" >&2; exit 1; }
sleep 1

# Press the top job button (Left 120, Top 1740, 1635 x 315 twips) and choose the second activity
# in the activity dialog with the keyboard.
xdotool mousemove --window "$panelWindow" 62 126 click 1
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name "SELECT ACTIVITY" | head -n 1) || true
if [ -n "$dialog" ]; then
    sleep 0.5
    xdotool windowfocus --sync "$dialog" 2>/dev/null || true
    xdotool key Down
    sleep 0.5
    # Still open (the key went elsewhere): pick with the mouse from the open list.
    if xdotool search --onlyvisible --name "SELECT ACTIVITY" >/dev/null 2>&1; then
        xdotool mousemove --window "$dialog" 137 26 click 1
        sleep 0.5
        xdotool key Down Return
    fi
fi

# A few ticks of the clock, then the picture, before the panel hides itself five seconds after
# the start.
sleep 3
import -window root "$demo/screen.png"
import -window "$panelWindow" "$demo/panel.png"
echo "run-demo: screenshot of the panel: $demo/panel.png (whole screen: $demo/screen.png)"
echo "run-demo: time records written: $store/data"
cat "$store/data" 2>/dev/null || true

# The panel ends as on a session logout: its unload writes the stop record of the running job.
kill -TERM "$panel" 2>/dev/null || true
wait "$panel" 2>/dev/null || true
