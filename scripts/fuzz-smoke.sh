#!/usr/bin/env bash
# Builds the libFuzzer targets (preset `fuzz`, clang) and runs each one briefly on its seed
# corpus in fuzz/corpus/<target>/. New inputs go to a temporary folder, never into the
# repository. A crash, leak or sanitizer report fails the script; the reproducer is kept in the
# temporary folder and its path printed.
# Usage: scripts/fuzz-smoke.sh [seconds per target, default 20]
# With SHIFTLOOM_RELIABILITY_FIGURES set, appends "fuzz.<target>.executions <n>" and
# "fuzz.<target>.seconds <s>" to that file (scripts/reliability-report.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"

work=$(mktemp -d "${TMPDIR:-/tmp}/shiftloom-fuzz-XXXXXX")
failed=0
for target in build/fuzz/bin/fuzz_*; do
    name=$(basename "$target")
    mkdir -p "$work/$name/corpus" "$work/$name/artifacts"
    log="$work/$name/log"
    if "$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$work/$name/artifacts/" "$work/$name/corpus" "fuzz/corpus/$name" >"$log" 2>&1; then
        status=ok
    else
        status=FAILED
        failed=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    echo "fuzz-smoke: $name: $status, ${runs:-0} executions in ${seconds}s"
    if [ "$status" != ok ]; then
        grep -E "ERROR|SUMMARY|Test unit written" "$log" || tail -20 "$log"
    fi
    if [ -n "${SHIFTLOOM_RELIABILITY_FIGURES:-}" ]; then
        echo "fuzz.$name.executions ${runs:-0}" >>"$SHIFTLOOM_RELIABILITY_FIGURES"
        echo "fuzz.$name.seconds $seconds" >>"$SHIFTLOOM_RELIABILITY_FIGURES"
        echo "fuzz.$name.crashes $([ "$status" = ok ] && echo 0 || echo 1)" >>"$SHIFTLOOM_RELIABILITY_FIGURES"
    fi
done

if [ "$failed" -ne 0 ]; then
    echo "fuzz-smoke: failures; reproducers in $work/*/artifacts" >&2
    exit 1
fi
rm -rf "$work"
