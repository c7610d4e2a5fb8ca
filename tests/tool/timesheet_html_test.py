#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# The store tool's timesheet page, rendered by headless Chromium and read back from its DOM.
#
# A sample week of four workers goes into a store; the page's figures per card, job card and day,
# its day and week totals and its open starts must be those of `report --csv` and `report --json`.
# A second store holds a record line and a job name crafted as markup: the page must show them as
# text, list the invalid line that `records --csv` names, and run no script. A screenshot of the
# sample week lands in the output folder (docs/timesheet.png is made with --screenshot).
#
# Exit status 77 (a skipped ctest test) when Chromium is not installed.
# Usage: timesheet_html_test.py --store-tool PATH --out FOLDER [--screenshot PNG]
import argparse
import csv
import html
import io
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

INJECTED = '<script>document.title="pwned"</script>'
BROWSER = shutil.which("chromium") or shutil.which("chromium-browser")
JOBS = "prefix,code,name,detail,card,listed\nWS,1001,<i>Weld</i> & grind,x,00001001,yes\n"
CELL = r'<td data-(day|week)="([\d-]+)">(.*?)</td>'  # a day's or the week's time of a row
OPEN = ("card", "job_card", "day", "start", "line")  # the fields of an open start
ARGS = None


def record(day, minute, event, card, job=0):
    when = f"202612{day:02d}{minute // 60:02d}{minute % 60:02d}"
    return f"01{when}{event}{card:016d}{job:016d}{1:016d}\r\n"


def sample_week():
    """Four workers, Monday to Friday (one on Saturday morning), a night start, an open start."""
    rng = random.Random(50)
    lines = []
    workers = {1234: (1001, 1003), 2002: (1007, 1009), 4711: (1002, 1010), 5678: (1006, 2001)}
    for card, jobs in workers.items():
        for day in range(7, 12 + (card == 4711)):
            minute = 7 * 60 + rng.randrange(-10, 20)
            end = (12 if day == 12 else 15) * 60 + rng.randrange(30, 75)
            while minute < end:
                lines.append(record(day, minute, "00", card, rng.choice(jobs)))
                minute += rng.randrange(50, 200)
            if (card, day) != (5678, 11):
                lines.append(record(day, end, "01", card))
    lines.append(record(9, 22 * 60, "00", 2002, 2001))  # counts for Wednesday
    lines.append(record(10, 90, "01", 2002))
    lines.append("01202612080715-00000000000000120000000000001001\r\n")  # a negative card: invalid
    lines.sort(key=lambda line: line[2:14])
    lines.insert(5, lines.pop(30))  # a record appended late by another workstation
    return "".join(lines)


def open_starts(items):
    return {tuple(str(item[key]) for key in OPEN) for item in items}


def text(markup):
    return html.unescape(re.sub(r"<[^>]*>", "", markup)).strip()


def table_rows(page, section):
    """The rows of cells of the tables in the section `section` of the page."""
    markup = re.search(f'<section[^>]*id="{section}">(.*?)</section>', page, re.S).group(1)
    rows = re.findall(r"<tr>(.*?)</tr>", markup, re.S)
    cells = [[text(c) for c in re.findall(r"<td[^>]*>(.*?)</td>", row, re.S)] for row in rows]
    return [tuple(row) for row in cells if row]


def minutes(text):
    hours, _, mins = text.replace("(open)", "").strip().partition(":")
    return int(hours) * 60 + int(mins) if mins else 0


def tool(work, *arguments):
    env = {**os.environ, "XDG_DATA_HOME": os.path.join(work, "xdg")}
    done = subprocess.run([ARGS.store_tool, *arguments], capture_output=True, text=True, env=env)
    assert done.returncode == 0, f"shift-loom-store {arguments}: {done.stderr}"
    return done.stdout


def chromium(work, *arguments):
    flags = ["--headless", "--disable-gpu", "--no-first-run", "--hide-scrollbars"]
    flags.append(f"--user-data-dir={os.path.join(work, 'profile')}")
    if os.geteuid() == 0:
        flags.append("--no-sandbox")  # Chromium refuses to run as root with its sandbox
    argv = [BROWSER, *flags, *arguments]
    return subprocess.run(argv, capture_output=True, text=True, timeout=90).stdout


def page_of(work, store, data, *options):
    """Makes the store `store` holding `data`, and its page; the store's folder and the page."""
    folder = os.path.join(work, store)
    tool(work, "init", folder, *options)
    with open(os.path.join(folder, "data"), "w", newline="") as out:
        out.write(data)
    tool(work, "report", folder, "--html", folder + ".html")
    return folder, chromium(work, "--dump-dom", f"file://{folder}.html")


def sample(work):
    folder, dom = page_of(work, "sample", sample_week())
    rows = list(csv.DictReader(io.StringIO(tool(work, "report", folder, "--csv"))))
    total_rows = [r for r in rows if r["kind"] == "total"]
    totals = {(r["card"], r["job_card"], r["day"]): int(r["minutes"]) for r in total_rows}
    opens = open_starts(r for r in rows if r["kind"] == "open")
    report = json.loads(tool(work, "report", folder, "--json"))
    assert {(t["card"], t["job_card"], t["day"]): t["minutes"] for t in report["totals"]} == totals
    assert open_starts(report["open"]) == opens, "JSON open starts differ from the CSV"
    assert len(totals) > 40 and len(opens) == 1, f"{len(totals)} totals, {len(opens)} open"

    cells, days, weeks = {}, {}, {}
    for card, table in re.findall(r'<table data-card="(\w*)">(.*?)</table>', dom, re.S):
        for job, row in re.findall(r'<tr data-job="(\w*)">(.*?)</tr>', table, re.S):
            for kind, day, value in re.findall(CELL, row, re.S):
                if kind == "week":
                    weeks[card] = minutes(text(value))
                elif job:
                    cells[(card, job, day)] = minutes(text(value))
                else:
                    days[(card, day)] = minutes(text(value))
    assert cells == totals, f"page cells {sorted(set(cells.items()) ^ set(totals.items()))}"
    expected_days, expected_weeks = {}, {}
    for (card, _, day), value in totals.items():
        expected_days[(card, day)] = expected_days.get((card, day), 0) + value
        expected_weeks[card] = expected_weeks.get(card, 0) + value
    assert {k: v for k, v in days.items() if v} == expected_days, "day totals differ from the CSV"
    assert weeks == expected_weeks, f"week totals {weeks}, expected {expected_weeks}"
    listed = {(r[0], r[1].split()[0], *r[2:]) for r in table_rows(dom, "open")}
    assert opens <= listed, f"open starts {opens}, listed {listed}"
    assert re.search(r'<div class="open">[^<]*open since', dom), "the open start is not on its day"
    shot = ARGS.screenshot or os.path.join(ARGS.out, "timesheet.png")
    chromium(work, f"--screenshot={shot}", "--window-size=1400,2120", f"file://{folder}.html")
    assert os.path.getsize(shot) > 10000, "no screenshot"


def crafted(work):
    with open(os.path.join(work, "jobs.csv"), "w", encoding="utf-8") as out:
        out.write(JOBS)
    data = record(7, 480, "00", 1234, 1001) + INJECTED + "\r\n" + record(7, 540, "01", 1234)
    folder, dom = page_of(work, "crafted", data, "--jobs", os.path.join(work, "jobs.csv"))
    assert "<script" not in dom and "<i>" not in dom, "markup from the store became elements"
    assert re.search("<title>(.*?)</title>", dom).group(1).startswith("Timesheet"), "a script ran"
    assert f"<code>{html.escape(INJECTED, False)}</code>" in dom, "the crafted line is not text"
    assert html.escape("<i>Weld</i> & grind", False) in dom, "the job name is not shown as text"
    records = csv.DictReader(io.StringIO(tool(work, "records", folder, "--csv")))
    invalid = [r["line"] for r in records if r["kind"] == "invalid"]
    shown = [row[0] for row in table_rows(dom, "invalid")]
    assert invalid == ["2"] and shown == invalid, f"invalid lines: records {invalid}, page {shown}"


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--store-tool", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--screenshot")
    ARGS = parser.parse_args()
    if not BROWSER:
        print("SKIPPED: chromium is not installed (scripts/install-deps.sh installs it)")
        return 77
    os.makedirs(ARGS.out, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="shiftloom-timesheet-") as work:
        sample(work)
        crafted(work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
