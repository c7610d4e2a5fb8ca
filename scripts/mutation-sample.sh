#!/usr/bin/env bash
# A mutation sample: applies the small faults of scripts/mutants.txt to the code one at a time,
# builds, runs the unit, widget and reliability tests (not the end-to-end ones), and reports for
# each fault whether the suite caught it. It shows that the suite finds real faults; it is slow
# and not part of CI.
#
# The code measured is a committed revision, copied out of git into build/mutation/<commit>/tree,
# so that the working tree can change while the sample runs. The mutants come from the working
# tree's scripts/mutants.txt (or --mutants), so that they can be re-targeted and tried against
# any revision. A mutant whose anchor text is missing is "not applicable"; one that does not build
# is "no build"; neither is counted. A mutant whose tests fail or time out is "caught".
#
# Usage: scripts/mutation-sample.sh [--commit REV] [--mutants FILE] [--only ID[,ID...]]
#                                   [--jobs N] [--test-jobs N] [--timeout SECONDS]
# --jobs is for the build (default 2); --test-jobs for ctest (default 8: the reliability tests
# mostly wait for processes, locks and kills, so more of them than cores run well side by side).
# --timeout bounds one mutant's whole test run (default 400 s; the unmutated suite takes one to
# three minutes on a busy machine). A run that fails a test is "caught"; a run cut off at the
# bound before any test failed is "timeout", counted as caught (the suite does not pass) but
# listed apart, so that a bound too tight for a loaded machine shows.
# --name NAME keeps this run's copy and build apart (build/mutation/<commit>-NAME), so that two
# runs of one commit can go side by side.
# --check only tries each mutant's anchor on the working tree (nothing is built): for re-targeting.
# Results: printed, and written to build/mutation/<commit>/results.md (a Markdown table).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

rev=HEAD
mutants=$repo/scripts/mutants.txt
only=
check=
name=
jobs=2
test_jobs=8
timeout=400
while [ $# -gt 0 ]; do
    case $1 in
    --commit) rev=$2; shift 2 ;;
    --mutants) mutants=$(realpath "$2"); shift 2 ;;
    --only) only=,$2,; shift 2 ;;
    --check) check=1; shift ;;
    --name) name=-$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --test-jobs) test_jobs=$2; shift 2 ;;
    --timeout) timeout=$2; shift 2 ;;
    *) echo "usage: $0 [--commit REV] [--mutants FILE] [--only IDS] [--jobs N] [--test-jobs N] [--timeout SECONDS]" >&2; exit 2 ;;
    esac
done

if [ -n "$check" ]; then
    while IFS= read -r line || [ -n "$line" ]; do
        case $line in
        '['*']'*) id=${line#[}; id=${id%%]*} ;;
        'file = '*) file=${line#file = } ;;
        'from = '*) from=${line#from = } ;;
        'to   = '*)
            python3 - "$file" "$from" "$id" <<'PY'
import sys
path, old, ident = sys.argv[1], sys.argv[2].replace("<NL>", "\n"), sys.argv[3]
try:
    n = open(path, encoding="utf-8").read().count(old)
except FileNotFoundError:
    n = -1
print(f"{ident:5} {'applies' if n == 1 else 'NOT APPLICABLE (' + ('no file' if n < 0 else f'anchor found {n} times') + ')'}  {path}")
PY
            ;;
        esac
    done <"$mutants"
    exit 0
fi

commit=$(git rev-parse --short=12 "$rev^{commit}")
work=$repo/build/mutation/$commit$name
tree=$work/tree
build=$work/build
log=$work/log
mkdir -p "$work" "$log"

if [ ! -f "$tree/CMakeLists.txt" ]; then
    rm -rf "$tree"
    mkdir -p "$tree"
    git archive "$commit" | tar -x -C "$tree"
fi

# One mutant at a time; whatever happens (a failed build, Ctrl-C), the file is put back.
backup=
target=
restore() {
    if [ -n "$target" ] && [ -f "$backup" ]; then
        cp -p "$backup" "$target"
        # The restored file is older than the objects built from the mutant: make it newer.
        touch "$target"
    fi
    target=
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

run() { nice -n 10 "$@"; }

# The reliability runs at a fraction of their CI size, so that a mutant takes a minute rather
# than several: every kind of run still happens, with fewer records and kills.
export SHIFTLOOM_RELIABILITY_KILLS=${SHIFTLOOM_RELIABILITY_KILLS:-40}
export SHIFTLOOM_RELIABILITY_REPLAY_KILLS=${SHIFTLOOM_RELIABILITY_REPLAY_KILLS:-8}
export SHIFTLOOM_RELIABILITY_REPLAY_RECORDS=${SHIFTLOOM_RELIABILITY_REPLAY_RECORDS:-2000}
export SHIFTLOOM_RELIABILITY_REAL_RECORDS=${SHIFTLOOM_RELIABILITY_REAL_RECORDS:-300}

build_suite() {
    run cmake --build "$build" -j "$jobs" >"$1" 2>&1
}

# The tests of the sample: everything ctest knows but the end-to-end tests and valgrind's run.
# Once a test has failed the mutant is caught: the run stops there rather than wait for tests
# that a fault keeps waiting (a dialog nobody answers) until their own time-out.
test_suite() {
    local out=$1
    shift
    (cd "$build" && exec setsid nice -n 10 timeout -k 10 "$timeout" ctest -LE 'e2e|valgrind' -j "$test_jobs" \
        --stop-on-failure "$@") >"$out" 2>&1 &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        if grep -a -q -E '\*\*\*(Failed|Timeout|Exception)|(SEGFAULT|Subprocess aborted|Child aborted)' "$out"; then
            kill -TERM -- "-$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
            return 1
        fi
        sleep 1
    done
    wait "$pid"
}

echo "mutation-sample: commit $commit, build in $build"
if [ ! -f "$build/CMakeCache.txt" ]; then
    run cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHIFTLOOM_WERROR=OFF \
        -DSHIFTLOOM_BENCHMARKS=OFF -DSHIFTLOOM_E2E_TESTS=OFF -DSHIFTLOOM_FUZZ=OFF >"$log/configure.txt" 2>&1
fi
if ! build_suite "$log/baseline-build.txt"; then
    echo "mutation-sample: the unmutated code does not build (see $log/baseline-build.txt)" >&2
    exit 1
fi
start=$(date +%s)
if ! test_suite "$log/baseline-test.txt"; then
    echo "mutation-sample: the unmutated code fails its tests (see $log/baseline-test.txt)" >&2
    exit 1
fi
echo "mutation-sample: the unmutated suite passes in $(($(date +%s) - start)) s"

# Applies one mutant: `apply FILE FROM TO` replaces the one occurrence of FROM in FILE by TO.
# Exit 0 applied, 3 anchor missing, 4 anchor not unique.
apply() {
    python3 - "$@" <<'PY'
import sys
path, old, new = sys.argv[1], sys.argv[2].replace("<NL>", "\n"), sys.argv[3].replace("<NL>", "\n")
try:
    text = open(path, encoding="utf-8").read()
except FileNotFoundError:
    sys.exit(3)
n = text.count(old)
if n != 1:
    sys.exit(3 if n == 0 else 4)
open(path, "w", encoding="utf-8").write(text.replace(old, new))
PY
}

results=$work/results.md
{
    echo "| Mutant | Fault | Result | Caught by |"
    echo "|---|---|---|---|"
} >"$results"

caught=0
timeouts=0
survived=0
skipped=0
id=
desc=
file=
from=
to=
finish_mutant() {
    [ -n "$id" ] || return 0
    if [ -n "$only" ] && [[ $only != *",$id,"* ]]; then
        id=
        return 0
    fi
    local result by=
    target=$tree/$file
    backup=$work/backup
    if [ -f "$target" ]; then cp -p "$target" "$backup"; fi
    local status=0
    apply "$target" "$from" "$to" || status=$?
    if [ $status -eq 3 ]; then
        result="not applicable"
        target=
    elif [ $status -eq 4 ]; then
        result="not applicable (anchor not unique)"
        restore
    elif [ $status -ne 0 ]; then
        result="not applicable (error $status)"
        restore
    elif ! build_suite "$log/$id-build.txt"; then
        result="no build"
    else
        status=0
        test_suite "$log/$id-test.txt" || status=$?
        # A test that fails only under load is no catch: a second run must fail too (at any test).
        if [ $status -ne 0 ] && [ $status -ne 124 ] && [ $status -ne 137 ] \
            && test_suite "$log/$id-again.txt"; then
            status=0
        fi
        by=$(grep -a -m1 -E 'Test +#[0-9]+: .* \.+\**(Failed|Timeout|Exception|SEGFAULT|Subprocess aborted|Child aborted)' \
            "$log/$id-test.txt" | sed -E 's/^.*Test +#[0-9]+: (.*[^ .]) \.+\**([A-Za-z ]*[a-z]).*$/\1 (\2)/' || true)
        if [ $status -eq 0 ]; then
            result="SURVIVED"
            by=
        else
            result="caught"
            if [ -z "$by" ] && { [ $status -eq 124 ] || [ $status -eq 137 ]; }; then
                result="timeout"
                by="(no test failed within ${timeout} s)"
            fi
            [ -n "$by" ] || by="(see log/$id-test.txt)"
        fi
    fi
    restore
    case $result in
    caught) caught=$((caught + 1)) ;;
    timeout) caught=$((caught + 1)) timeouts=$((timeouts + 1)) ;;
    SURVIVED) survived=$((survived + 1)) ;;
    *) skipped=$((skipped + 1)) ;;
    esac
    printf '%-5s %-20s %s  %s\n' "$id" "$result" "$desc" "$by"
    echo "| $id | $desc | $result | $by |" >>"$results"
    id=
}

while IFS= read -r line || [ -n "$line" ]; do
    case $line in
    '['*']'*)
        finish_mutant
        id=${line#[}
        id=${id%%]*}
        desc=${line#*] }
        file= from= to=
        ;;
    'file = '*) file=${line#file = } ;;
    'from = '*) from=${line#from = } ;;
    'to   = '*) to=${line#to   = } ;;
    esac
done <"$mutants"
finish_mutant

# The mutated files are back as they were: a last build leaves the build tree matching the code.
build_suite "$log/final-build.txt" || true

counted=$((caught + survived))
share=0
[ $counted -eq 0 ] || share=$((100 * caught / counted))
summary="commit $commit: $caught of $counted mutants caught ($share %; $timeouts of them by timeout), $survived survived, $skipped not counted"
{
    echo
    echo "$summary"
} >>"$results"
echo "mutation-sample: $summary"
echo "mutation-sample: table in $results"
