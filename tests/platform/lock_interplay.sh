#!/usr/bin/env bash
# A Linux process and a Windows process under wine on one data file: each keeps the other out of
# the whole-file lock, and both appending at once lose and tear no line.
# Usage: lock_interplay.sh <native lock-helper> <wine-run.sh> <wine prefix> <lock-helper.exe> <work folder>
set -uo pipefail
linux=("$1") windows=("$2" "$3" "$4") file=$5/data failed=0
rm -rf "$5" && mkdir -p "$5" && : >"$file"

# expect <what> <wanted exit code> <command...>
expect() {
    local what=$1 want=$2 got=0
    shift 2
    "$@" || got=$?
    if [ "$got" -eq "$want" ]; then echo "ok: $what"; else echo "FAILED: $what (exit $got, wanted $want)"; failed=1; fi
}

for kind in exclusive shared; do
    for holder in linux windows; do
        other=windows && [ $holder = windows ] && other=linux
        declare -n holding=$holder probing=$other
        rm -f "$file.held"
        "${holding[@]}" hold "$file" $kind 3000 &
        for _ in $(seq 300); do [ -f "$file.held" ] && break; sleep 0.05; done
        expect "$holder holds the lock ($kind), $other cannot take it" 3 "${probing[@]}" probe "$file"
        wait
    done
done
expect "the lock is free again for Windows" 0 "${windows[@]}" probe "$file"
expect "the lock is free again for Linux" 0 "${linux[@]}" probe "$file"

# Both append 300 lines at once, each line under the lock.
"${linux[@]}" append "$file" a 300 &
"${windows[@]}" append "$file" b 300 &
wait
expect "Linux and Windows appending at once lose and tear no line" 0 "${linux[@]}" check "$file" 300
exit $failed
