#!/usr/bin/env bash
# The Windows programs as Windows reads them before it starts them: the PE header marks them
# terminal-server aware, and the manifest in their resources asks for the invoker's rights, names
# Windows 10 and 11, carries the build's version and, for the panel alone, per-monitor DPI (v2).
# Usage: program_headers_test.sh <mingw tool prefix> <version> <panel.exe> <tool.exe>
set -uo pipefail
tools=$1 version=$2 failed=0
for program in "$3" "$4"; do
    manifest=$("$tools-objcopy" -O binary --only-section=.rsrc "$program" /dev/stdout | tr '\0\r\n' '   ' |
        grep -a -o '<?xml.*</assembly>')
    headers=$("$tools-objdump" -p "$program")
    dpi='no'
    [ "$program" = "$3" ] && dpi='yes'
    for check in "header:TERMINAL_SERVICE_AWARE" 'yes:level="asInvoker"' "yes:{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}" \
        "yes:version=\"$version.0\"" "$dpi:>PerMonitorV2</dpiAwareness>"; do
        want=${check%%:*} text=${check#*:}
        if [ "$want" = header ]; then
            grep -q "$text" <<<"$headers" && continue
        elif grep -q -F "$text" <<<"$manifest"; then
            [ "$want" = yes ] && continue
        elif [ "$want" = no ]; then
            continue
        fi
        echo "FAILED: $program: $text ($want)"
        failed=1
    done
done
exit $failed
