#!/usr/bin/env bash
# A Linux process and a Windows process under wine on one data file: each keeps the other out of
# the whole-file lock, and both appending at once lose and tear no line.
# Usage: lock_interplay.sh <native lock-helper> <wine-run.sh> <wine prefix> <lock-helper.exe> <work folder>
set -euo pipefail
native=$1 wine_run=$2 prefix=$3 windows=$4 work=$5
rm -rf "$work" && mkdir -p "$work"
file=$work/data
: >"$file"
failed=0

win() { "$wine_run" "$prefix" "$windows" "$@"; }
wait_held() {
    for _ in $(seq 300); do [ -f "$file.held" ] && return 0; sleep 0.05; done
    echo "the holder never took the lock"; return 1
}
# expect <description> <wanted exit code> <command...>
expect() {
    local what=$1 want=$2 got=0
    shift 2
    "$@" || got=$?
    if [ "$got" -eq "$want" ]; then echo "ok: $what"; else echo "FAILED: $what (exit $got, wanted $want)"; failed=1; fi
}

for holder in linux windows; do
    for kind in exclusive shared; do
        rm -f "$file.held"
        if [ "$holder" = linux ]; then
            "$native" hold "$file" "$kind" 3000 &
            wait_held
            expect "Linux holds the lock ($kind), Windows cannot take it" 3 win probe "$file"
        else
            win hold "$file" "$kind" 6000 &
            wait_held
            expect "Windows holds the lock ($kind), Linux cannot take it" 3 "$native" probe "$file"
        fi
        wait
    done
done
expect "the lock is free again for Windows" 0 win probe "$file"
expect "the lock is free again for Linux" 0 "$native" probe "$file"

# Both append 300 lines at once, each line under the lock.
lines=300
"$native" append "$file" a $lines &
win append "$file" b $lines &
wait
python3 - "$file" $lines <<'PY' || failed=1
import sys
text = open(sys.argv[1], 'rb').read().decode('ascii')
count = int(sys.argv[2])
assert text.endswith('\r\n'), 'last line not ended'
lines = text[:-2].split('\r\n')
nxt = {'a': 1000, 'b': 1000}
for line in lines:
    assert len(line) == 64 and line[:60] == line[0] * 60, 'torn line: %r' % line
    assert int(line[60:]) == nxt[line[0]], 'out of order or lost: %r' % line
    nxt[line[0]] += 1
assert nxt == {'a': 1000 + count, 'b': 1000 + count}, 'lines lost: %r' % nxt
print('ok: %d lines from Linux and Windows appending at once, none lost, none torn' % len(lines))
PY
exit $failed
