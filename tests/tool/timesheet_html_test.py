#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# The store tool's timesheet page, rendered by headless Chromium: read back from its DOM, and
# printed to PDF.
#
# The store: three workers over two weeks across a year's end (day shifts, a night shift past
# midnight, Saturday work, an open start, a record appended late by another workstation), job
# names and worker names that hold markup and letters beyond ASCII, and invalid lines, one of
# them crafted as a script. The page's cells must be those of `report --csv` and `--json` (each
# card, job card and day; the day and week totals) and of `report --summary --csv` (every cell of
# the shop's table); the names stand beside the cards; exactly the days and weeks above the limits
# are marked; markup shows as text and runs nothing; the invalid lines are those `records --csv`
# names. Printed, the page has PAGES pages, each with the period, the time it was made and
# "Page n of PAGES" in its bottom margin and nothing else outside the margins, and each card's
# heading on every page that holds its weeks. The pages are drawn to PNG in the output folder,
# beside a screenshot (--screenshot PNG also writes the first printed page to PNG-print.png).
#
# Exit status 77 (a skipped ctest test) when Chromium or poppler's tools are not installed.
# Usage: timesheet_html_test.py --store-tool PATH --out FOLDER [--screenshot PNG]
import argparse
import csv
import datetime
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

PAGES = 4
INJECTED = '<script>document.title="pwned"</script>'
JOBS = ("prefix,code,name,detail,card,listed\nWS,1001,<i>Weld</i> & grind,x,00001001,yes\n"
        "WS,1002,Fa\u00e7ade brackets,,00001002,yes\nWS,1003,Press brake,,00001003,yes\n"
        "WS,1007,CNC milling,,00001007,yes\nWS,1010,Packing,,00001010,yes\n")
NAMES = {"1234": "Anna Berg", "2002": "J\u00fcrgen \u00d6zt\u00fcrk", "4711": "<b>Bo</b> & Co"}
LIMITS = ("--day-limit", "10:00", "--week-limit", "45:00")
BROWSER = shutil.which("chromium") or shutil.which("chromium-browser")
OPEN = ("card", "job_card", "day", "start", "line")  # the fields of an open start
ARGS = None


def record(minute, event, card, job=0):
    """A record `minute` minutes after Monday 28 December 2026, 00:00."""
    when = datetime.datetime(2026, 12, 28) + datetime.timedelta(minutes=minute)
    return f"01{when:%Y%m%d%H%M}{event}{card:016d}{job:016d}{1:016d}\r\n"


def two_weeks():
    rng = random.Random(22)
    lines = []
    shifts = {1234: (6 * 60, (1001, 1003)), 2002: (22 * 60, (1007, 1002)), 4711: (7 * 60, (1010, 1002))}
    for card, (begin, jobs) in shifts.items():
        for day in (d for d in range(13) if d % 7 < 5 or (d % 7 == 5 and card == 4711)):
            minute = day * 1440 + begin + rng.randrange(-10, 15)
            end = minute + (5 * 60 if day % 7 == 5 else rng.randrange(8 * 60, 11 * 60))
            while minute < end:
                lines.append((minute, record(minute, "00", card, rng.choice(jobs))))
                minute += rng.randrange(40, 180)
            if (card, day) != (1234, 11):  # still running on Friday 8 January: an open start
                lines.append((end, record(end, "01", card)))
    data = [line for _, line in sorted(lines)]
    data.insert(3, data.pop(20))  # appended late by another workstation
    data.insert(10, "01202612290715-00000000000000120000000000001001\r\n")  # a negative card
    data.insert(30, INJECTED + "\r\n")
    return "".join(data)


def text(markup):
    return html.unescape(re.sub(r"<[^>]*>", "", markup)).replace("\u25b2", "").strip()


def minutes(value):
    hours, _, mins = text(value).replace("(open)", "").strip().partition(":")
    return int(hours) * 60 + int(mins) if mins else 0


def run(*argv):
    done = subprocess.run(argv, capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, f"{argv}: {done.stderr}"
    return done.stdout


def tool(work, *arguments):
    os.environ["XDG_DATA_HOME"] = os.path.join(work, "xdg")
    return run(ARGS.store_tool, *arguments).lstrip("\ufeff")


def rows(csv_text, kind):
    return [row for row in csv.DictReader(io.StringIO(csv_text)) if row["kind"] == kind]


def chromium(work, *arguments):
    flags = ["--headless", "--disable-gpu", "--no-first-run", "--hide-scrollbars", "--no-pdf-header-footer"]
    flags.append(f"--user-data-dir={os.path.join(work, 'profile')}")
    if os.geteuid() == 0:
        flags.append("--no-sandbox")  # Chromium refuses to run as root with its sandbox
    return run(BROWSER, *flags, *arguments)


def cells(table, row_key):
    """{(row, attribute, value): (minutes or None when empty, marked)} of the rows `row_key`: each cell
    under the data- attribute of its column's header."""
    head = re.search(r"<thead>(.*?)</thead>", table, re.S).group(1)
    columns = [re.search(r'data-(\w+)="([^"]*)"', a) for a in re.findall(r'<th scope="col"([^>]*)>', head)][1:]
    found = {}
    for key, row in re.findall(f'<tr {row_key}="([^"]*)">(.*?)</tr>', table, re.S):
        for column, (attributes, content) in zip(columns, re.findall(r"<td([^>]*)>(.*?)</td>", row, re.S)):
            value = minutes(content) if text(content) else None
            found[(key, *column.groups())] = (value, 'class="over' in attributes)
    return found


def check_details(dom, report, report_json):
    totals = {(r["card"], r["job_card"], r["day"]): int(r["minutes"]) for r in rows(report, "total")}
    opens = {tuple(r[k] for k in OPEN) for r in rows(report, "open")}
    assert {(t["card"], t["job_card"], t["day"]): t["minutes"] for t in report_json["totals"]} == totals
    assert {tuple(str(o[k]) for k in OPEN) for o in report_json["open"]} == opens, "JSON and CSV open starts"
    assert len(totals) > 40 and len(opens) == 1, f"{len(totals)} totals, {len(opens)} open"
    page, days, weeks = {}, {}, {}
    for card, table in re.findall(r'<table data-card="(\w*)">(.*?)</table>', dom, re.S):
        for (job, kind, day), (value, _) in cells(table, "data-job").items():
            if value is None:
                continue
            if job and kind == "day":
                page[(card, job, day)] = value
            elif not job and kind == "day" and value:
                days[(card, day)] = value
            elif not job and kind == "week":
                weeks[card] = weeks.get(card, 0) + value
    assert page == totals, f"page cells {sorted(set(page.items()) ^ set(totals.items()))}"
    expected_days, expected_weeks = {}, {}
    for (card, _, day), value in totals.items():
        expected_days[(card, day)] = expected_days.get((card, day), 0) + value
        expected_weeks[card] = expected_weeks.get(card, 0) + value
    assert days == expected_days, "day totals differ from the CSV"
    assert weeks == expected_weeks, f"week totals {weeks}, expected {expected_weeks}"
    assert re.search(r'<div class="open">[^<]*open since', dom), "the open start is not on its day"


def check_summary(dom, summary):
    expected, over = {}, set()
    for row in csv.DictReader(io.StringIO(summary)):
        card = row["card"] if row["kind"] == "card" else ""
        for column, value in row.items():
            kind = "day" if re.match(r"\d{4}-\d\d-\d\d$", column) else "week" if "-W" in column else column
            if kind in ("day", "week", "total"):
                expected[(card, kind, column if kind != "total" else "")] = int(value)
        over |= {(card, "day", d) for d in row["days_over_limit"].split()}
        over |= {(card, "week", w) for w in row["weeks_over_limit"].split()}
    shop = re.search(r'<section class="shop".*?</section>', dom, re.S).group(0)
    found = {}
    for table in re.findall(r"<table.*?</table>", shop, re.S):
        found.update(cells(table, "data-card"))
    assert {k: v or 0 for k, (v, _) in found.items()} == expected, "the shop's table differs from --summary --csv"
    assert {k for k, (_, marked) in found.items() if marked} == over, "marks differ from --summary --csv"
    computed = {(card, kind, column) for (card, kind, column), value in expected.items()
                if card and value > {"day": 10 * 60, "week": 45 * 60}.get(kind, 1 << 30)}
    assert over == computed and len(over) > 5, f"days and weeks above the limits: {over} vs {computed}"
    for card, name in NAMES.items():
        header = re.search(f'<tr data-card="{card}"><th scope="row">(.*?)</th>', shop, re.S).group(1)
        assert text(header) == f"{card} {name}", f"row of card {card}: {text(header)!r}"
        heading = re.search(f'<h2 id="card-{card}-title">(.*?)</h2>', dom, re.S).group(1)
        assert text(heading) == f"Card {card} {name}", f"sheet of card {card}: {text(heading)!r}"


def check_markup(work, folder, dom):
    assert "<script" not in dom and "<i>" not in dom and "<b>" not in dom, "markup became elements"
    assert re.search("<title>(.*?)</title>", dom).group(1).startswith("Timesheet"), "a script ran"
    assert f"<code>{html.escape(INJECTED, False)}</code>" in dom, "the crafted line is not text"
    assert html.escape("<i>Weld</i> & grind", False) in dom, "the job name is not shown as text"
    invalid = [r["line"] for r in csv.DictReader(io.StringIO(tool(work, "records", folder, "--csv")))
               if r["kind"] == "invalid"]
    section = re.search(r'<section[^>]*id="invalid">(.*?)</section>', dom, re.S).group(1)
    shown = re.findall(r"<tr><td>(\d+)</td>", section)
    assert invalid == ["11", "31"] and shown == invalid, f"invalid lines: records {invalid}, page {shown}"


def check_print(work, page_file, made, period):
    pdf = os.path.join(work, "timesheet.pdf")
    chromium(work, f"--print-to-pdf={pdf}", f"file://{page_file}")
    pages = int(re.search(r"Pages:\s+(\d+)", run("pdfinfo", pdf)).group(1))
    assert pages == PAGES, f"{pages} printed pages, expected {PAGES}"
    for old in (f for f in os.listdir(ARGS.out) if f.startswith("timesheet-page-")):
        os.remove(os.path.join(ARGS.out, old))
    run("pdftoppm", "-r", "60", "-png", pdf, os.path.join(ARGS.out, "timesheet-page"))
    # Words with their boxes, in points: A4 landscape, margins of 10 mm and 14 mm at the bottom.
    boxes = run("pdftotext", "-bbox", pdf, "-")
    headings = {card: 0 for card in NAMES}
    for number, page in enumerate(re.findall(r"<page[^>]*>(.*?)</page>", boxes, re.S), 1):
        words = [(float(x0), float(y0), float(x1), float(y1), html.unescape(w)) for x0, y0, x1, y1, w in
                 re.findall(r'xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<', page)]
        bottom = 595 - 39.7  # A4 landscape in points; margins of 10 mm, 14 mm at the bottom (1 pt spare)
        margin = " ".join(w for x0, y0, x1, y1, w in words if y0 >= bottom)
        assert margin == f"Timesheet {period} Made {made} Page {number} of {PAGES}", f"page {number}: {margin!r}"
        assert all(27.3 <= x0 and x1 <= 842 - 27.3 and y0 >= 27.3 and (y1 <= bottom + 1 or y0 >= bottom)
                   for x0, y0, x1, y1, w in words), f"page {number}: text outside the margins"
        body = " ".join(w for x0, y0, x1, y1, w in words if y0 < bottom)
        for card, name in NAMES.items():
            if f"Card {card}, Week" in body:
                assert f"Card {card} {name}" in body, f"page {number} holds weeks of card {card} without its heading"
                headings[card] += 1
    assert max(headings.values()) > 1, f"no sheet went on over a page: headings {headings}"


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--store-tool", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--screenshot")
    ARGS = parser.parse_args()
    missing = [p for p in ("pdfinfo", "pdftotext", "pdftoppm") if not shutil.which(p)]
    if not BROWSER or missing:
        print(f"SKIPPED: {'chromium' if not BROWSER else ', '.join(missing)} not installed (scripts/install-deps.sh)")
        return 77
    os.makedirs(ARGS.out, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="shiftloom-timesheet-") as work:
        folder, jobs, names = (os.path.join(work, name) for name in ("store", "jobs.csv", "names.csv"))
        with open(jobs, "w", encoding="utf-8") as out:
            out.write(JOBS)
        with open(names, "w", encoding="utf-8") as out:
            out.write("card,name\n" + "".join(f'{card},"{name}"\n' for card, name in NAMES.items()))
        tool(work, "init", folder, "--jobs", jobs)
        with open(os.path.join(folder, "data"), "w", newline="") as out:
            out.write(two_weeks())
        given = ("--names", names, *LIMITS)
        tool(work, "report", folder, *given, "--html", folder + ".html")
        dom = chromium(work, "--dump-dom", f"file://{folder}.html")
        check_details(dom, tool(work, "report", folder, *given, "--csv"),
                      json.loads(tool(work, "report", folder, *given, "--json")))
        check_summary(dom, tool(work, "report", folder, *given, "--summary", "--csv"))
        check_markup(work, folder, dom)
        made = re.search(r"Made by shift-loom-store on ([\d-]+ [\d:]+)", dom).group(1)
        check_print(work, folder + ".html", made, "2026-12-28 to 2027-01-09")
        shot = ARGS.screenshot or os.path.join(ARGS.out, "timesheet.png")
        chromium(work, f"--screenshot={shot}", "--window-size=1400,1900", f"file://{folder}.html")
        assert os.path.getsize(shot) > 10000, "no screenshot"
        if ARGS.screenshot:
            run("pdftoppm", "-r", "110", "-png", "-singlefile", "-f", "1", "-l", "1",
                os.path.join(work, "timesheet.pdf"), ARGS.screenshot[:-len(".png")] + "-print")
    return 0


if __name__ == "__main__":
    sys.exit(main())
