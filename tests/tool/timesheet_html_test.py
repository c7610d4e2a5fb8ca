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
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def record(day, minute, event, card, job=0):
    return f"01202612{day:02d}{minute // 60:02d}{minute % 60:02d}{event}{card:016d}{job:016d}{1:016d}\r\n"


def sample_week():
    """Four workers, Monday to Friday (one on Saturday morning), a night start, an open start."""
    rng = random.Random(50)
    lines = []
    for card, jobs in ((1234, (1001, 1003)), (2002, (1007, 1009)), (4711, (1002, 1010)), (5678, (1006, 2001))):
        for day in range(7, 12 + (card == 4711)):
            minute = 7 * 60 + rng.randrange(-10, 20)
            end = (12 if day == 12 else 15) * 60 + rng.randrange(30, 75)
            while minute < end:
                lines.append(record(day, minute, "00", card, rng.choice(jobs)))
                minute += rng.randrange(50, 200)
            if (card, day) != (5678, 11):
                lines.append(record(day, end, "01", card))
    lines += [record(9, 22 * 60, "00", 2002, 2001), record(10, 90, "01", 2002)]  # counts for Wednesday
    lines.append("01202612080715-00000000000000120000000000001001\r\n")  # a negative card: invalid
    lines.sort(key=lambda line: line[2:14])
    lines.insert(5, lines.pop(30))  # a record appended late by another workstation
    return "".join(lines)


def text(markup):
    return html.unescape(re.sub(r"<[^>]*>", "", markup)).strip()


def table_rows(page, section):
    """The rows of cells of the tables in the section `section` of the page."""
    markup = re.search(f'<section[^>]*id="{section}">(.*?)</section>', page, re.S).group(1)
    cells = (re.findall(r"<td[^>]*>(.*?)</td>", row, re.S) for row in re.findall(r"<tr>(.*?)</tr>", markup, re.S))
    return [tuple(text(cell) for cell in row) for row in cells if row]


def minutes(text):
    text = text.replace("(open)", "").strip()
    hours, _, mins = text.partition(":")
    return int(hours) * 60 + int(mins) if mins else 0


def run(args, work, store, data, jobs_csv=None):
    """Makes `store` holding `data`; its page read back by Chromium, and a runner of the tool on it."""

    def tool(*arguments):
        env = {**os.environ, "XDG_DATA_HOME": os.path.join(work, "xdg")}
        done = subprocess.run([args.store_tool, *arguments], capture_output=True, text=True, env=env)
        if done.returncode != 0:
            raise SystemExit(f"shift-loom-store {' '.join(arguments)}: {done.returncode}: {done.stderr}")
        return done.stdout

    folder, page = os.path.join(work, store), os.path.join(work, store + ".html")
    options = []
    if jobs_csv:
        with open(folder + ".csv", "w", encoding="utf-8") as out:
            out.write(jobs_csv)
        options = ["--jobs", folder + ".csv"]
    tool("init", folder, *options)
    with open(os.path.join(folder, "data"), "w", newline="") as out:
        out.write(data)
    tool("report", folder, "--html", page)
    return chromium(work, "--dump-dom", "file://" + page), lambda *a: tool(a[0], folder, *a[1:]), page


def chromium(work, *arguments):
    flags = ["--headless", "--disable-gpu", "--no-first-run", "--hide-scrollbars",
             f"--user-data-dir={os.path.join(work, 'profile')}"]
    if os.geteuid() == 0:
        flags.append("--no-sandbox")  # Chromium refuses to run as root with its sandbox
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    return subprocess.run([browser, *flags, *arguments], capture_output=True, text=True, timeout=90).stdout


def sample(args, work):
    dom, tool, page = run(args, work, "sample", sample_week())
    rows = list(csv.DictReader(io.StringIO(tool("report", "--csv"))))
    totals = {(r["card"], r["job_card"], r["day"]): int(r["minutes"]) for r in rows if r["kind"] == "total"}
    opens = {(r["card"], r["job_card"], r["day"], r["start"], r["line"]) for r in rows if r["kind"] == "open"}
    report = json.loads(tool("report", "--json"))
    check({(t["card"], t["job_card"], t["day"]): t["minutes"] for t in report["totals"]} == totals,
          "JSON totals differ from the CSV")
    check({(o["card"], o["job_card"], o["day"], o["start"], str(o["line"])) for o in report["open"]} == opens,
          "JSON open starts differ from the CSV")
    check(len(totals) > 40 and len(opens) == 1, f"sample week: {len(totals)} totals, {len(opens)} open")

    cells, days, weeks = {}, {}, {}
    for card, table in re.findall(r'<table data-card="(\w*)">(.*?)</table>', dom, re.S):
        for job, row in re.findall(r'<tr data-job="(\w*)">(.*?)</tr>', table, re.S):
            for kind, day, value in re.findall(r'<td data-(day|week)="([\d-]+)">(.*?)</td>', row, re.S):
                if kind == "week":
                    weeks[card] = minutes(text(value))
                elif job:
                    cells[(card, job, day)] = minutes(text(value))
                else:
                    days[(card, day)] = minutes(text(value))
    check(cells == totals, f"page cells {sorted(set(cells.items()) ^ set(totals.items()))}")
    expected_days, expected_weeks = {}, {}
    for (card, _, day), value in totals.items():
        expected_days[(card, day)] = expected_days.get((card, day), 0) + value
        expected_weeks[card] = expected_weeks.get(card, 0) + value
    check({k: v for k, v in days.items() if v} == expected_days, "day totals differ from the CSV")
    check(weeks == expected_weeks, f"week totals {weeks}, expected {expected_weeks}")
    listed = table_rows(dom, "open")
    for card, job, day, start, line in opens:
        check(any(r[:1] == (card,) and r[1].startswith(job) and r[2:] == (day, start, line) for r in listed),
              f"open start {card} {job} {day} {start} line {line} not listed: {listed}")
    check(re.search(r'<div class="open">[^<]*open since', dom), "the open start is not marked on its day")
    shot = args.screenshot or os.path.join(args.out, "timesheet.png")
    chromium(work, f"--screenshot={shot}", "--window-size=1400,2120", "file://" + page)
    check(os.path.getsize(shot) > 10000, "no screenshot")


def crafted(args, work):
    jobs = "prefix,code,name,detail,card,listed\nWS,1001,<i>Weld</i> & grind,x,00001001,yes\n"
    data = record(7, 480, "00", 1234, 1001) + INJECTED + "\r\n" + record(7, 540, "01", 1234)
    dom, tool, _ = run(args, work, "crafted", data, jobs)
    check("<script" not in dom and "<i>" not in dom, "markup from the store became elements")
    check(re.search("<title>(.*?)</title>", dom).group(1).startswith("Timesheet"), "a script from the data file ran")
    check(f"<code>{html.escape(INJECTED, False)}</code>" in dom, "the crafted line is not shown as text")
    check(html.escape("<i>Weld</i> & grind", False) in dom, "the job name is not shown as text")
    records = list(csv.DictReader(io.StringIO(tool("records", "--csv"))))
    invalid = [r["line"] for r in records if r["kind"] == "invalid"]
    shown = [row[0] for row in table_rows(dom, "invalid")]
    check(invalid == ["2"] and shown == invalid, f"invalid lines: records {invalid}, page {shown}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--store-tool", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--screenshot")
    args = parser.parse_args()
    if not (shutil.which("chromium") or shutil.which("chromium-browser")):
        print("SKIPPED: chromium is not installed (scripts/install-deps.sh installs it)")
        return 77
    os.makedirs(args.out, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="shiftloom-timesheet-") as work:
        sample(args, work)
        crafted(args, work)
    for failure in failures:
        print("FAILED:", failure)
    print(f"{len(failures)} failures; screenshot in {args.screenshot or args.out}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
