#!/usr/bin/env bash
# Fails when a source file includes a header of a folder above its own. The layers, from the
# bottom up (each may include the folders listed on its line):
#   platform  the operating system's services
#   app       the data store's files            (platform)
#   timing    time records and their layouts    (platform app)
#   delivery  records to the store exactly once (platform app timing)
#   panel     the panel's model and handlers    (platform app timing delivery)
#   tool      the store tool                    (platform app timing)
#   qt        the Linux front end               (platform app timing delivery panel)
#   win32     the Windows front end             (platform app timing delivery panel)
# Usage: scripts/check-layers.sh
set -euo pipefail
cd "$(dirname "$0")/../src"

declare -A allowed=(
    [platform]="platform"
    [app]="platform app"
    [timing]="platform app timing"
    [delivery]="platform app timing delivery"
    [panel]="platform app timing delivery panel"
    [tool]="platform app timing tool"
    [qt]="platform app timing delivery panel qt"
    [win32]="platform app timing delivery panel win32"
)

status=0
for layer in "${!allowed[@]}"; do
    [[ -d $layer ]] || continue
    while IFS=: read -r file line folder; do
        if [[ " ${allowed[$layer]} " != *" $folder "* ]]; then
            echo "src/$file:$line: the $layer layer includes $folder/" >&2
            status=1
        fi
    done < <(grep -rnoE --include='*.h' --include='*.cpp' '^#include "[a-z0-9]+/' "$layer" \
        | sed -E 's|^([^:]+):([0-9]+):#include "([a-z0-9]+)/|\1:\2:\3|')
done
if [[ $status -eq 0 ]]; then
    echo "layers: no folder includes one above it"
fi
exit $status
