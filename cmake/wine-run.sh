#!/bin/sh
# Runs a Windows program under wine in the given prefix, creating the prefix on first use.
# Usage: cmake/wine-run.sh <prefix> <program.exe> [arguments...]
# Used by the Windows build as its CMAKE_CROSSCOMPILING_EMULATOR, so that ctest and test discovery
# run the test executables under wine. Several tests may start at once: the first creates the
# prefix under a lock, the others wait for it.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko download prompt while the prefix is made; none of our programs needs them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/.shiftloom-ready" ]; then
        wineboot -i >/dev/null 2>&1
        wineserver -w
        touch "$prefix/.shiftloom-ready"
    fi
    # A server that outlives each test by a minute: one that ends the moment its last program
    # ends races with the next test's start, which then loses its connection. (A server already
    # running answers "already running"; that is fine.)
    wineserver -p60 >/dev/null 2>&1 9>&- || true
) 9>"$prefix.lock"
exec wine "$@"
