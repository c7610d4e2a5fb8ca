#!/usr/bin/env bash
# Runs the reliability tests at full size and a longer fuzz run, and writes docs/reliability.md
# from the figures they report: records sent and found, kills whose exit status was checked and
# where they fell, faults injected by kind of file operation, fuzz executions, and beside each the
# records lost, doubled, torn, merged or out of order. Every cell of the page is read from the
# figures file of the run, and so is the run's status: what ctest and the fuzzers said.
# Usage: scripts/reliability-report.sh [fuzz seconds per target, default 300]
#        scripts/reliability-report.sh --render FIGURES
#            (only writes the page again from the figures file of an earlier run; the last run's
#            is kept as build/reliability/figures.txt)
# Sizes can be set through the variables read by tests/reliability (see its CMakeLists.txt).
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/reliability
status=0
if [ "${1:-}" = "--render" ]; then
    figures=$2
else
    fuzz_seconds=${1:-300}
    jobs=$(nproc 2>/dev/null || echo 2)
    export SHIFTLOOM_RELIABILITY_KILLS=${SHIFTLOOM_RELIABILITY_KILLS:-1000}
    export SHIFTLOOM_RELIABILITY_REPLAY_KILLS=${SHIFTLOOM_RELIABILITY_REPLAY_KILLS:-300}
    export SHIFTLOOM_RELIABILITY_REPLAY_RECORDS=${SHIFTLOOM_RELIABILITY_REPLAY_RECORDS:-200000}
    export SHIFTLOOM_RELIABILITY_REAL_RECORDS=${SHIFTLOOM_RELIABILITY_REAL_RECORDS:-1200}
    export SHIFTLOOM_RELIABILITY_LATE_SECONDS=${SHIFTLOOM_RELIABILITY_LATE_SECONDS:-45}
    export SHIFTLOOM_RELIABILITY_POINT_STRIDE=${SHIFTLOOM_RELIABILITY_POINT_STRIDE:-1}
    export SHIFTLOOM_RELIABILITY_PAIR_STRIDE=${SHIFTLOOM_RELIABILITY_PAIR_STRIDE:-1}

    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHIFTLOOM_WERROR=ON \
        -DSHIFTLOOM_BUILD_GUI=OFF -DSHIFTLOOM_BUILD_TOOL=OFF -DSHIFTLOOM_E2E_TESTS=OFF \
        -DSHIFTLOOM_RELIABILITY_TIMEOUT=21600 >/dev/null
    cmake --build "$build" -j "$jobs" --target test_reliability test_reliability_leaks reliability-driver
    figures=$build/figures.txt
    : >"$figures"
    export SHIFTLOOM_RELIABILITY_FIGURES=$PWD/$figures
    {
        echo "run.date $(date -u '+%Y-%m-%d_%H:%M_UTC')"
        echo "run.commit $(git rev-parse --short HEAD)$(git diff --quiet HEAD -- src tests || echo '+changes')"
        echo "run.machine $(uname -sr | tr ' ' _),_$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1 | tr ' ' _),_$(nproc)_cores"
        echo "run.files_on $(df -T "${TMPDIR:-/tmp}" | awk 'NR == 2 { print $2 }')"
        echo "run.as $([ "$(id -u)" -eq 0 ] && echo root || echo a_normal_user)"
        env | sed -n 's/^SHIFTLOOM_RELIABILITY_\([A-Z_]*\)=\([0-9]*\)$/size.\1 \2/p'
    } >>"$figures"
    start=$(date +%s)
    set +e
    ctest --test-dir "$build" -R '^(ConcurrencyTest|CrashTest|RealFaultTest|InjectedFaultTest|GiantInputTest|LeakCycleTest)[./]|^valgrind_' \
        -j "$jobs" --output-on-failure 2>&1 | tee "$build/ctest.log"
    test_status=${PIPESTATUS[0]}
    set -e
    echo "run.ctest_status $test_status" >>"$figures"
    echo "run.test_seconds $(($(date +%s) - start))" >>"$figures"
    # Each case that failed or did not run, by its name: "test.Failed.<name> 1", "test.Disabled.<name> 1".
    sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\).*(\([A-Za-z]*\))$/test.\2.\1 1/p' "$build/ctest.log" >>"$figures"
    fuzz_status=0
    scripts/fuzz-smoke.sh "$fuzz_seconds" || fuzz_status=$?
    echo "run.fuzz_status $fuzz_status" >>"$figures"
    echo "run.fuzz_seconds $fuzz_seconds" >>"$figures"
    status=$((test_status || fuzz_status))
fi

python3 - "$figures" >docs/reliability.md <<'PY'
import collections, sys

TEXT = r"""
## How records reach the store exactly once

- **A file per record, on the disk first.** `write()` puts each record into the offline buffer before
  anything else: a file of its own in the worker's own folder (`<own>\buffer`: on Linux
  `$XDG_STATE_HOME/Ovix_Shift-Loom/buffer`, folder 0700, files 0600; on Windows
  `%LOCALAPPDATA%\Ovix\Shift-Loom\buffer`), written under a hidden name, forced to the disk, given
  its name in one step (the moment it was made, so that the names' order is the records' order) and
  its folder forced to the disk. This takes no lock and no network, so a record never waits for the
  share or for another panel of the same worker. Only if the local disk refuses it (full, or the
  folder unwritable) is a record held in memory; newer records wait behind it, every delivery tries
  it again, and the worker is told at once.
- **One delivery at a time per worker.** The delivery (in the panel on a thread of its own, so that
  a share that takes a minute to answer never stops the clock or the buttons) takes the worker's
  journal `<own>\journal` and its whole-file lock, so that two panels of one worker never deliver at
  once. It hands over, in this order: records left by earlier versions, whatever the journal holds
  unsettled, the buffer's files by name, and records held in memory.
- **An intent before every write.** Before a batch goes to the store, an entry is appended to the
  journal and forced to the disk: `F` for a batch of the buffer's files (about 1 MiB; it carries the
  batch's records and names each file by name, identity and size), `W` for records held in memory
  written straight to the store (it carries them), `S` for a batch of a single-file buffer of an
  earlier version (it names the batch's extent in that file and a hash of the file up to its end).
  The entry also names the store's data file by its identity and its size before the write. Then the
  batch is appended to the data file in one write under its whole-file lock (the lock Card-Warden
  takes too) and forced to the disk, and only then are the buffer's files of the batch deleted.
- **Settling after a kill or a power cut.** The next delivery reads what the journal holds since its
  last `R` (settled) entry and compares the data file at the recorded size with the batch: wholly
  there, the batch is not written again and its files are deleted; cut short with nothing after it,
  its missing rest is appended; followed by something else, the whole records stay, and the record cut
  short and those after it are written again on a line of their own; not there, the batch goes
  again. A data file that is not the one the entry names (another identity) or a journal that is
  torn or foreign never lets a record be dropped: in doubt, records are copied. The data file is
  never cut back, and a torn last journal entry is cut off so that later entries count.
- **Only the store is the store.** Records go only into a folder that holds Card-Warden's
  `cardward.ini`; the data file is opened beside that file through one descriptor of the folder, so
  an empty mount point where the share is not mounted never receives a file. Such a folder counts as
  away: records wait, and reach the store when it is there again, without a restart.
- **No merged lines.** Before appending, a writer that can read the data file and finds it not ending
  in CR LF (a fragment left by a writer that died) ends the fragment first: a fragment is at worst a
  torn line of its own, never glued to a good record, and the writer whose fragment it was writes
  its records again whole.
- **A store that may be appended to but not read.** Where workers may append to `data` but not read
  it, a write is settled from what can be known without reading: the file's identity and its size,
  taken under the lock. No growth after the recorded size: nothing arrived, the batch goes again.
  Growth by exactly the batch: the batch is taken as arrived (*settled from the size*). Any other
  growth proves nothing: the batch is written again on a line of its own (*written again in doubt*,
  a possible double; where the file ended with a whole line, that leaves an empty line before it). The one case this cannot tell apart: the write did not arrive (the panel died
  between its intent and its write, which lets go of the lock) and, before the worker's next delivery,
  another writer appended exactly as many bytes, for example one record of the same kind from another
  worker. The delivery then presumes that the write arrived, and those records are lost. It errs this
  way because the other way would write a batch a second time whenever any other worker appended after
  a write that did arrive, which is the far more common case on a share that many workers append to;
  and between the panels of one worker the case cannot arise, since their journal's lock makes the
  next delivery settle before any of them appends (the append-only row above is such a worker's
  panels). Both kinds of settlement are counted and shown here.
- **Records left by earlier versions** (`c:\data`, its journal `c:\data.journal`, and the spool
  `<own>\spool`) are handed over first, under their own journal, whenever this account can read and
  remove them; a `c:\data` that belongs to another account is left alone and never holds this
  account's records back.
- **Soon.** A new record asks for a delivery at once; while records wait or the store is away, the
  store is tried again after 1, 2, 4, 8 and 16 s and then every 30 s, so that records reach a store
  within 30 s of its being there again. A panel that started on its own folder because the store was
  away takes the store back as soon as it answers.

## What the panel promises

| When the share is | What the worker sees | What the administrator should know |
|---|---|---|
| **late** (not mounted yet at log-on) | The panel starts on this computer's own folder and keeps every record on this computer. Within 30 s of the share being there, the records are in Card-Warden, in order, and the panel works from the store again, without a restart. | Nothing to do. Records made meanwhile are on the worker's computer (`<own>\buffer`), one file each, until then. |
| **away** (server down, network or VPN off) | The same: the clock, the buttons and the tray keep answering; nothing is lost when the panel or the computer is ended meanwhile. | The records wait on the worker's computer and arrive when the share is back; a worker's computer that never sees the share again keeps them. |
| **full** | Nothing changes for the worker. | A write the full disk cut short is completed, not repeated, once there is room; until then the records wait on the worker's computer. |
| **read-only** | The panel works from its own folder, as when the store is away. | Workers need to be able to append to `data`; once they can, the records waiting arrive, once each. |
| **append-only** (append, no read) | Nothing changes for the worker. | Records arrive. A write cut off by a crash is settled from the file's size; in the one case described above a record can be taken as arrived when it was not, and a write that nothing settles is written again (a possible double): both are counted here. Giving workers read access to `data` removes both. |
| held by Card-Warden (its lock) | Nothing changes; records wait a moment. | A lock held longer than a panel waits (300 ms) never switches a panel to its own folder. |

If even the worker's own disk refuses a record (full, or its folder unwritable), the panel keeps it in
memory, says so at once ("Time record not saved"), and saves it as soon as it can.

## Running it

- CI (`scripts/test-all.sh`): the tests in `tests/reliability` run with the other ctest tests at
  their small sizes: 200 kills in the first writer row and 100 in the others, 20 start-up kills
  inside the hand-over of 5,000 records, a store 3 s late, every second point of a pair sampled
  one in three; `scripts/fuzz-smoke.sh 20` runs each fuzz target for 20 s.
- Full size and this page: `scripts/reliability-report.sh [fuzz seconds per target]`; sizes through
  `SHIFTLOOM_RELIABILITY_KILLS`, `_REPLAY_KILLS`, `_REPLAY_RECORDS`, `_REAL_RECORDS`,
  `_LATE_SECONDS`, `_POINT_STRIDE`, `_PAIR_STRIDE`. `--render FIGURES` writes the page again from a
  run's figures file, its status included.
"""

fig = {}
for line in open(sys.argv[1]):
    name, _, value = line.strip().rpartition(' ')
    if not name:
        continue
    try:
        fig[name] = fig.get(name, 0.0) + float(value)
    except ValueError:
        fig[name] = value.replace('_', ' ')

def ran(row):
    return f'{row}.runs' in fig

def fmt(v):
    if isinstance(v, str):
        return v
    return f"{int(v):,}" if v == int(v) else f"{v:,.2f}" if v < 10 else f"{v:,.1f}"

def num(key):
    return fmt(fig.get(key, 0.0))

def n(key):
    """A figure of a row, or "not run" when the row has no figures in this run."""
    return num(key) if ran(key.split('.')[0]) else 'not run'

def text(key):
    return str(fig.get(key, 'unknown'))

def tests(state):
    return sorted(k.split('.', 2)[2] for k in fig if k.startswith(f'test.{state}.'))

out = []
w = out.append
w('# Reliability figures')
w('')
w('Generated by `scripts/reliability-report.sh`; do not edit by hand. Every figure below is read from')
w('the figures file of the run it describes; a row that did not run says so.')
w('')
w(f'- Run: {text("run.date")}, commit {text("run.commit")}; {text("run.machine")}; temporary files on {text("run.files_on")}; running as {text("run.as")}')
failed, disabled = tests('Failed') + tests('Timeout'), tests('Disabled')
w(f'- Reliability tests: {num("run.test_seconds")} s at full size; ctest status **{num("run.ctest_status")}**'
  + (f'; failed: {", ".join("`" + t + "`" for t in failed)}' if failed else '')
  + (f'; not run (disabled): {", ".join("`" + t + "`" for t in disabled)}' if disabled else ''))
w(f'- Fuzzing: {num("run.fuzz_seconds")} s per target, status **{num("run.fuzz_status")}**')
w('')
w('Every record carries its writer and sequence number, so the checker (`tests/reliability/RecordCheck.h`)')
w('tells each line of the store apart, as Card-Warden reads it. *Sent*: records whose `write()` returned')
w('(for a hand-over: the records waiting in the buffer), counted from the writers\' logs, in which a line is')
w('written only after `write()` returned. *Found*: those of them in the store after the next start.')
w('*Lost*: sent and not in the store after the next start of each account, wherever the record was when its')
w('process died: in the buffer, in the journal, or in memory (`write()` said "held"). *Doubled*: copies beyond')
w('the first. *Torn*: lines that hold no whole record (a fragment of a write cut short, ended by the next')
w('writer). *Merged*: lines that hold a whole record glued to other bytes (that record does not count as')
w('found). *Kills*: processes whose exit status was checked to be that of `kill -9`; one that ended first is')
w('counted apart. The tests fail on any record lost, doubled, merged or out of order; the figures file is')
w('written all the same, so that a loss shows here as the number it is.')
w('')
w('## Records under kills and faults')
w('')
w('| Run | Sent | Found | Kills | Lost | Doubled | Torn | Merged | Out of order |')
w('|---|---:|---:|---:|---:|---:|---:|---:|---:|')

def kills(row):
    if not ran(row):
        return 'not run'
    extra = [f'{num(row + ".kills_in_hand_over")} inside the hand-over'] if f'{row}.kills_in_hand_over' in fig else []
    if fig.get(f'{row}.finished_before_kill'):
        extra.append(f'{num(row + ".finished_before_kill")} ended before the kill')
    if fig.get(f'{row}.not_killed'):
        extra.append(f'**{num(row + ".not_killed")} not killed**')
    return num(row + '.kills') + (f' ({"; ".join(extra)})' if extra else '')

def row(key, title, kill=True):
    w(f'| {title} | {n(key + ".sent")} | {n(key + ".found")} | {kills(key) if kill else "-"} | {n(key + ".lost")} | '
      f'{n(key + ".doubled")} | {n(key + ".torn")} | {n(key + ".merged")} | {n(key + ".out_of_order")} |')

row('kill_hand_over', f'kill -9 of the start-up at random moments while it hands over a buffer of {n("kill_hand_over.buffered_records")} record files, one round per kill')
row('kill_hand_over_earlier', f'the same, the buffer a `c:\\data` of {n("kill_hand_over_earlier.buffered_records")} records left by an earlier version')
row('kill_writers', f'writers at full speed killed at random moments, {n("kill_writers.at_a_time")} at a time, two panels each of {n("kill_writers.accounts")} workers, each started again')
row('kill_writers_locked', f'the same, {n("kill_writers_locked.accounts")} workers, while the Card-Warden stand-in holds the lock ({n("kill_writers_locked.reader_holds")} holds, {n("kill_writers_locked.reader_held_ms")} ms, every third longer than a writer waits)')
row('kill_append_only', f'the same on an append-only store (no read), {n("kill_append_only.at_a_time")} panels of {n("kill_append_only.accounts")} worker')
row('kill_accounts', f'{n("kill_accounts.accounts")} workers with separate accounts (journals, buffers) on one store, all at once, killed at random moments')
row('late_store', f'a store that comes {n("late_store.late_by_seconds")} s late (its folder missing at the start): there {n("late_store.seconds_to_arrive")} s after it came, no restart', False)
row('empty_folder', f'an empty folder (no marker) in the store\'s place for {n("empty_folder.late_by_seconds")} s: {n("empty_folder.files_in_the_folder_before_the_store")} files written into it; there {n("empty_folder.seconds_to_arrive")} s after the marker came', False)
row('real_faults', f'real faults while {n("real_faults.accounts")} workers write: the store renamed away, removed and made again, read-only; a worker\'s buffer folder unwritable ({n("real_faults.faults")} faults)', False)
row('kill_points', f'kill -9 of the start-up before, right after and half-way through each of its {n("kill_points.fault_points")} file operations, handing over {n("kill_points.buffered_records")} records in batches')
row('kill_points_writer', f'kill -9 of a writer ({n("kill_points_writer.buffered_records")} records waiting) before, right after and half-way through each of its {n("kill_points_writer.fault_points")} file operations')
row('kill_points_append_only', f'the start-up on an append-only store, killed before and right after each of its {n("kill_points_append_only.fault_points")} file operations')
row('kill_points_writer_append_only', f'a writer on an append-only store, killed before and right after each of its {n("kill_points_writer_append_only.fault_points")} file operations')
row('residual', '*Residual*: the start-up killed half-way through a batch\'s write, then another program (not a panel) appends a line before the next start')
row('residual_append_only', 'On an append-only store: the start-up killed right before a batch\'s write, then another program appends a line before the next start')
w('')
w('| Run | `write()` said: store / buffer / held in memory | Settled from the size | Written again in doubt | Fragments written again | Start-ups that needed another try |')
w('|---|---:|---:|---:|---:|---:|')
for key in ['kill_hand_over', 'kill_hand_over_earlier', 'kill_writers', 'kill_writers_locked', 'kill_append_only',
            'kill_accounts', 'late_store', 'empty_folder', 'real_faults', 'kill_points', 'kill_points_writer',
            'kill_points_append_only', 'kill_points_writer_append_only', 'residual', 'residual_append_only']:
    wrote = any(k.startswith(key + '.to_') for k in fig)
    places = ' / '.join(n(f'{key}.to_{p}') for p in ('store', 'buffer', 'held')) if wrote or not ran(key) else '-'
    w(f'| {key} | {places} | {n(key + ".presumed_whole")} | {n(key + ".in_doubt_written_again")} | '
      f'{n(key + ".refragments")} | {n(key + ".start_ups_needing_another_try")} |')
w('')
w('*Settled from the size*: writes to a store that may be appended to but not read, taken as arrived because')
w('the data file had grown by exactly the write (see below for the one case this cannot tell apart).')
w('*Written again in doubt*: settlements of such writes that the size could not decide, after which what was not')
w('known to be there goes again on a line of its own (a possible double; the count includes batches whose files')
w('were already gone, so that nothing went again). *Start-ups that needed another try*: the next start\'s first')
w('delivery left records waiting, which its next try (the clock tick) took; none may wait after that.')
w('')

roles = {'j': 'the journal', 'b': 'the buffer (a record file, or its folder)', 'd': 'the store\'s data file', 'm': 'the store\'s marker',
         'B': '`c:\\data` of an earlier version', 'J': '`c:\\data.journal`', 's': 'the spool of an earlier version', 'o': 'another file'}
calls = {'o': 'open', 'l': 'lock', 's': 'size', 'r': 'read', 'w': 'write', 't': 'truncate', 'f': 'flush', 'd': 'delete',
         'p': 'rename', 'L': 'list'}
hand = ['kill_hand_over', 'kill_hand_over_earlier']
steps = sorted({k.split('.', 2)[2].split('.', 1)[1] for r in hand for k in fig
                if k.startswith(r + '.where.in.') or k.startswith(r + '.where.after.')}, key=lambda c: ('jbdmBJso'.find(c[0]), c[1]))
w('Where the random kills of the start-up fell, from its trace of file operations (each call named by the file')
w('it is on):')
w('')
w('| Step | Record files: inside it | right after it | `c:\\data`: inside it | right after it |')
w('|---|---:|---:|---:|---:|')
for code in steps:
    cells = [n(f'{r}.where.{at}.{code}') for r in hand for at in ('in', 'after')]
    step = 'list of the buffer\'s folder' if code == 'bL' else f'{calls.get(code[1], code[1])} of {roles.get(code[0], code[0])}'
    w(f'| {step} | ' + ' | '.join(cells) + ' |')
for key, title in [('before', 'before the hand-over (the process starting, the settings)'),
                   ('past', 'after the hand-over, reading the job list (not counted as inside it)')]:
    w(f'| {title} | {n(hand[0] + ".where." + key)} | | {n(hand[1] + ".where." + key)} | |')
w('')
w('## Injected faults and kills, by kind of file operation')
w('')
kinds = ['open', 'lock', 'size', 'read', 'write', 'truncate', 'flush', 'remove', 'replace', 'list']
letters = dict(zip('olsrwtfdpL', kinds))
w('| Run | Fault points | Runs | ' + ' | '.join(kinds) + ' | Lost | Doubled | Torn | Merged |')
w('|---|---:|---:|' + '---:|' * len(kinds) + '---:|---:|---:|---:|')
def per_run(key):
    return fmt(fig[key + '.sent'] / fig[key + '.runs']) if ran(key) and fig.get(key + '.runs') else 'some'
for key, title in [('seam_run', f'A writer with records waiting, in process ({per_run("seam_run")} records a run): each point failing in 5 ways'),
                   ('seam_pairs', f'The same ({per_run("seam_pairs")} records a run): each point short, then a later one failing'),
                   ('seam_hand_over', f'A hand-over of {per_run("seam_hand_over")} record files in batches of one record: each point in 5 ways, and with a later one'),
                   ('seam_hand_over_earlier', f'The same for a `c:\\data` of {per_run("seam_hand_over_earlier")} records'),
                   ('kill_points', 'The start-up\'s process killed at each point (above)'),
                   ('kill_points_writer', 'A writer\'s process killed at each point (above)'),
                   ('kill_points_append_only', 'The start-up\'s, on an append-only store (above)'),
                   ('kill_points_writer_append_only', 'A writer\'s, on an append-only store (above)')]:
    if key.startswith('kill'):
        cells = [n(key + '.kills') if not ran(key) else fmt(sum(v for k, v in fig.items()
                 if k.startswith(key + '.at.') and letters.get(k[-1]) == op)) for op in kinds]
    else:
        cells = [n(f'{key}.injected.{op}') for op in kinds]
    w(f'| {title} | {n(key + ".fault_points")} | {n(key + ".runs")} | ' + ' | '.join(cells)
      + f' | {n(key + ".lost")} | {n(key + ".doubled")} | {n(key + ".torn")} | {n(key + ".merged")} |')
w('')
w('## Hostile input')
w('')
w('| Fuzz target | Executions | Seconds | Crashes |')
w('|---|---:|---:|---:|')
for key in sorted({k.split('.')[1] for k in fig if k.startswith('fuzz.')}):
    w(f'| {key} | {num("fuzz." + key + ".executions")} | {num("fuzz." + key + ".seconds")} | {num("fuzz." + key + ".crashes")} |')
w('')
w('| Giant input (unit test, own process) | Peak memory (MiB) | Seconds |')
w('|---|---:|---:|')
for key, title in [('sparse_job_file', 'dep.dat of 100 MB claiming 1,000,000,000 jobs'),
                   ('listed_job_file', 'dep.dat of 20 MB, every one of 111,000 jobs listed'),
                   ('activity_line', 'activities.txt with a 10 MB line'),
                   ('in_record_million_digits', 'IN punch of a million digits, written to the store')]:
    g = 'giant.' + key
    w(f'| {title} | {num(g + ".peak_mib") if g + ".peak_mib" in fig else "not run"} | {num(g + ".seconds") if g + ".seconds" in fig else "not run"} |')
w('')
w(TEXT.strip())
print('\n'.join(out))
PY
echo "reliability-report: docs/reliability.md written"
exit "$status"
