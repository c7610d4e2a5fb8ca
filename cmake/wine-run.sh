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
if [ ! -f "$prefix/.shiftloom-ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/.shiftloom-ready" ]; then
            wineboot -i >/dev/null 2>&1
            wineserver -w
            touch "$prefix/.shiftloom-ready"
        fi
    ) 9>"$prefix.lock"
fi
exec wine "$@"
