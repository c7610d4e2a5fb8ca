#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Whole-process measurement of the store tool's report on a large data file, beside a plain read
# of the same file in the same run.
#
# The data file holds RECORDS records of a 50-worker shop over the days of 2026: every card and
# day a run of starts a few minutes apart, each on one of three job cards of the day (out of the
# shop's twelve, 1001 to 1012), ended by a stop. A second file holds twice the records over the
# same cards and days (twice as many starts a day), to show that the report's memory follows the
# cards, days and job cards, not the records.
#
# Each round runs, one after the other and under /usr/bin/time:
#   plain read   cat FILE > /dev/null (the floor)
#   decode       shift-loom-store report STORE --csv --from 2100-01-01: every line read and
#                decoded, every interval found, no day selected (a second floor: the reading)
#   summary      shift-loom-store report STORE --summary --csv > /dev/null: the shop's table
#   csv          shift-loom-store report STORE --csv > /dev/null
#   html         shift-loom-store report STORE --html PAGE
#   html 2x      the same on the file with twice the records
# and the medians over the rounds are printed: wall time, CPU time (user + system), peak resident
# memory (maximum RSS), and the ratios of the wall and CPU times to the plain read's. On a machine
# busy with other work the CPU times are the steadier figures.
#
# Usage: bench/run-report-bench.sh --store-tool BIN/shift-loom-store [--records 1000000]
#            [--rounds 5] [--out FILE.tsv] [--keep]
# Output: a summary on stdout, and FILE.tsv (default report-bench.tsv) with one line per figure:
# name, median, then the single rounds.
set -euo pipefail

store_tool='' records=1000000 rounds=5 out=report-bench.tsv keep=0
while [ $# -gt 0 ]; do
    case "$1" in
    --store-tool) store_tool=$2; shift 2 ;;
    --records) records=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "run-report-bench: unknown argument $1" >&2; exit 2 ;;
    esac
done
if [ ! -x "$store_tool" ]; then
    echo "run-report-bench: --store-tool must name the built shift-loom-store ('$store_tool')" >&2
    exit 2
fi
[ -x /usr/bin/time ] || { echo "run-report-bench: /usr/bin/time is missing (Debian package time)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/shiftloom-reportbench-XXXXXX")
cleanup() { if [ "$keep" = 1 ]; then echo "run-report-bench: files kept in $work" >&2; else rm -rf "$work"; fi; }
trap cleanup EXIT

# generate FOLDER RECORDS: a store whose data file holds RECORDS records.
generate() {
    XDG_DATA_HOME="$work/xdg" "$store_tool" init "$1" >/dev/null
    awk -v target="$2" 'BEGIN {
        srand(16)
        perDay = int((target + 365 * 50 - 1) / (365 * 50)); if (perDay < 2) perDay = 2
        n = 0
        for (d = 0; d < 365 && n < target; d++) {
            date = strftime("%Y%m%d", mktime("2026 01 01 12 00 00") + d * 86400, 1)
            for (c = 1; c <= 50 && n < target; c++) {
                m = 6 * 60 + int(rand() * 30); first = int(rand() * 12)
                step = int(600 / perDay); if (step < 1) step = 1
                for (k = 0; k < perDay - 1 && n < target - 1; k++) {
                    printf "01%s%02d%02d00%016d%016d%016d\r\n", date, int(m / 60), m % 60, 1000 + c, 1001 + (first + int(rand() * 3) * 5) % 12, 1 + int(rand() * 5)
                    n++; m += step
                }
                printf "01%s%02d%02d01%016d%016d%016d\r\n", date, int(m / 60), m % 60, 1000 + c, 0, 0; n++
            }
        }
    }' >"$1/data"
}

echo "run-report-bench: making data files of $records and $((records * 2)) records in $work" >&2
generate "$work/store" "$records"
generate "$work/store2x" "$((records * 2))"
bytes=$(stat -c %s "$work/store/data")

# measure NAME COMMAND...: one run; appends "wall_ms cpu_ms rss_mib" to $work/NAME. Wall and CPU
# time (user + system) come from the shell's `time` in milliseconds (/usr/bin/time counts in
# hundredths, too coarse for the plain read), the peak memory from /usr/bin/time.
measure() {
    local name=$1 TIMEFORMAT='%3R %3U %3S'
    shift
    { time /usr/bin/time -f '%M' -o "$work/rss.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
        echo "run-report-bench: $name failed:" >&2; cat "$work/stderr.txt" >&2; exit 1; }; } 2>"$work/time.txt"
    awk -v rss="$(cat "$work/rss.txt")" '{ printf "%.1f %.1f %.1f\n", $1 * 1000, ($2 + $3) * 1000, rss / 1024 }' \
        "$work/time.txt" >>"$work/$name"
}

for round in $(seq "$rounds"); do
    measure read cat "$work/store/data"
    measure decode "$store_tool" report "$work/store" --csv --from 2100-01-01
    measure summary "$store_tool" report "$work/store" --summary --csv
    measure csv "$store_tool" report "$work/store" --csv
    measure html "$store_tool" report "$work/store" --html "$work/page.html"
    measure html2x "$store_tool" report "$work/store2x" --html "$work/page2x.html"
    echo "run-report-bench: round $round of $rounds done" >&2
done

# median NAME COLUMN
median() { awk -v c="$2" '{ print $c }' "$work/$1" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf (b > 0 ? "%.1f" : "-"), a / b }'; }

: >"$out"
for name in read decode summary csv html html2x; do
    for column in 1 2 3; do
        figure=$(case $column in 1) echo wall_ms ;; 2) echo cpu_ms ;; 3) echo rss_mib ;; esac)
        printf '%s_%s\t%s\t%s\n' "$name" "$figure" "$(median "$name" "$column")" \
            "$(awk -v c="$column" '{ printf "%s%s", sep, $c; sep = "\t" }' "$work/$name")" >>"$out"
    done
done

page=$(stat -c %s "$work/page.html")
printf 'Data file: %s records, %s bytes; page: %s bytes; %s rounds\n' "$records" "$bytes" "$page" "$rounds"
printf '%-10s %10s %10s %10s %10s %10s\n' run wall_ms cpu_ms rss_mib 'wall/read' 'cpu/read'
for name in read decode summary csv html html2x; do
    printf '%-10s %10s %10s %10s %10s %10s\n' "$name" "$(median "$name" 1)" "$(median "$name" 2)" "$(median "$name" 3)" \
        "$(ratio "$(median "$name" 1)" "$(median read 1)")" "$(ratio "$(median "$name" 2)" "$(median read 2)")"
done
echo "run-report-bench: figures in $out" >&2
