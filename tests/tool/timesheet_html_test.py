#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The store tool's timesheet page, rendered by headless Chromium and read back from its DOM.

A sample week of four workers goes into a store; the page's figures per card, job card and day,
its day totals, open starts and invalid lines must be those of `report --csv`, `report --json` and
`records --csv`. A second store holds a record line and a job name crafted as markup: the page
must show them as text, and no script may run. A screenshot of the sample week lands in the output
folder (docs/timesheet.png is made with --screenshot).

Exit status 77 (a skipped ctest test) when Chromium is not installed.
Usage: timesheet_html_test.py --store-tool PATH --out FOLDER [--screenshot PNG]
"""
import argparse
import csv
import io
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
from html.parser import HTMLParser

MONDAY = (2026, 12, 7)
INJECTED = '<script>document.title="pwned"</script>'


def record(day, hhmm, event, card, job=0, activity=1):
    return f'01202612{day:02d}{hhmm}{event}{card:016d}{job:016d}{activity:016d}\r\n'


def sample_week():
    """Four workers, Monday to Friday (one on Saturday morning), a night start, an open start."""
    rng = random.Random(50)
    lines = []
    for card, jobs in ((1234, (1001, 1003, 1005)), (2002, (1007, 1008, 1009)),
                       (4711, (1002, 1004, 1010)), (5678, (1006, 1005, 2001))):
        for day in range(7, 12 + (card == 4711)):
            minute = 7 * 60 + rng.randrange(-10, 20)
            end = (12 if day == 12 else 15) * 60 + rng.randrange(30, 75)
            while minute < end:
                lines.append(record(day, f'{minute // 60:02d}{minute % 60:02d}', '00', card, rng.choice(jobs)))
                minute += rng.randrange(50, 200)
                if 11 * 60 + 45 < minute < 13 * 60 and day < 12:
                    lines.append(record(day, f'{minute // 60:02d}{minute % 60:02d}', '01', card))
                    minute += 30
            if not (card == 5678 and day == 11):
                lines.append(record(day, f'{end // 60:02d}{end % 60:02d}', '01', card))
    lines.append(record(9, '2200', '00', 2002, 2001))  # a night job: its time counts for Wednesday
    lines.append(record(10, '0130', '01', 2002))
    lines.append('01202612080715-00000000000000120000000000001001\r\n')  # a negative card: invalid
    lines.sort(key=lambda line: line[2:14])
    lines.insert(5, lines.pop(30))  # a record appended late by another workstation
    return ''.join(lines)


class Dom(HTMLParser):
    """The elements of a page, each with its tag, attributes, text and ancestors."""
    VOID = {'meta', 'br', 'rect', 'path', 'line', 'img', 'input', 'link'}

    def __init__(self, text):
        super().__init__()
        self.elements, self.open = [], []
        self.feed(text)

    def handle_starttag(self, tag, attrs):
        element = {'tag': tag, 'attrs': dict(attrs), 'text': '', 'up': list(self.open)}
        self.elements.append(element)
        if tag not in self.VOID:
            self.open.append(element)

    def handle_endtag(self, tag):
        while self.open and self.open.pop()['tag'] != tag:
            pass

    def handle_data(self, data):
        for element in self.open:
            element['text'] += data

    def find(self, tag, **attrs):
        return [e for e in self.elements if e['tag'] == tag and all(e['attrs'].get(k) == v for k, v in attrs.items())]

    def inside(self, element, key, value=None):
        """The attribute `key` of the nearest ancestor that has it (with `value`, when given)."""
        found = (e['attrs'][key] for e in reversed(element['up']) if key in e['attrs'])
        return next((v for v in found if value in (None, v)), None)

    def cells(self, row):
        return tuple(e['text'].strip() for e in self.elements if e['tag'] == 'td' and e['up'][-1] is row)


def minutes(text):
    text = text.replace('(open)', '').strip()
    if text in ('–', ''):
        return 0
    hours, mins = text.split(':')
    return int(hours) * 60 + int(mins)


class Checks:
    def __init__(self, args):
        self.args, self.failures = args, []
        self.work = tempfile.mkdtemp(prefix='shiftloom-timesheet-')
        self.browser = shutil.which('chromium') or shutil.which('chromium-browser')

    def check(self, condition, message):
        if not condition:
            self.failures.append(message)

    def tool(self, *arguments):
        run = subprocess.run([self.args.store_tool, *arguments], capture_output=True, text=True,
                             env={**os.environ, 'XDG_DATA_HOME': os.path.join(self.work, 'xdg')})
        if run.returncode != 0:
            raise SystemExit(f'shift-loom-store {" ".join(arguments)}: status {run.returncode}: {run.stderr}')
        return run.stdout

    def chromium(self, *arguments):
        flags = ['--headless', '--disable-gpu', '--no-first-run', '--hide-scrollbars',
                 f'--user-data-dir={os.path.join(self.work, "profile")}']
        if os.geteuid() == 0:
            flags.append('--no-sandbox')  # Chromium refuses to run as root with its sandbox
        return subprocess.run([self.browser, *flags, *arguments], capture_output=True, text=True, timeout=90).stdout

    def store(self, name, data, jobs_csv=None):
        folder = os.path.join(self.work, name)
        options = []
        if jobs_csv:
            with open(os.path.join(self.work, name + '.csv'), 'w', encoding='utf-8') as out:
                out.write(jobs_csv)
            options = ['--jobs', os.path.join(self.work, name + '.csv')]
        self.tool('init', folder, *options)
        with open(os.path.join(folder, 'data'), 'w', newline='') as out:
            out.write(data)
        page = os.path.join(self.work, name + '.html')
        self.tool('report', folder, '--html', page)
        return folder, page

    def sample(self):
        folder, page = self.store('sample', sample_week())
        dom = Dom(self.chromium('--dump-dom', 'file://' + page))
        rows = list(csv.DictReader(io.StringIO(self.tool('report', folder, '--csv'))))
        totals = {(r['card'], r['job_card'], r['day']): int(r['minutes']) for r in rows if r['kind'] == 'total'}
        opens = {(r['card'], r['job_card'], r['day'], r['start'], r['line']) for r in rows if r['kind'] == 'open'}
        report = json.loads(self.tool('report', folder, '--json'))
        self.check({(t['card'], t['job_card'], t['day']): t['minutes'] for t in report['totals']} == totals,
                   'JSON totals differ from the CSV')
        self.check({(o['card'], o['job_card'], o['day'], o['start'], str(o['line'])) for o in report['open']}
                   == opens, 'JSON open starts differ from the CSV')
        self.check(len(totals) > 40 and len(opens) == 1, f'sample week: {len(totals)} totals, {len(opens)} open')

        page_cells, day_totals = {}, {}
        for td in dom.find('td'):
            day, card, job = td['attrs'].get('data-day'), dom.inside(td, 'data-card'), dom.inside(td, 'data-job')
            if day and job:
                page_cells[(card, job, day)] = minutes(td['text'])
            elif day:
                day_totals[(card, day)] = minutes(td['text'])
        self.check(page_cells == totals, f'page cells {sorted(set(page_cells.items()) ^ set(totals.items()))}')
        expected_days = {}
        for (card, _, day), value in totals.items():
            expected_days[(card, day)] = expected_days.get((card, day), 0) + value
        self.check({k: v for k, v in day_totals.items() if v} == expected_days, 'day totals differ from the CSV')
        for td in dom.find('td'):
            if 'data-week' in td['attrs']:
                card, week = dom.inside(td, 'data-card'), td['attrs']['data-week']
                in_week = sum(v for (c, d), v in expected_days.items() if c == card and week <= d <= '2026-12-13')
                self.check(minutes(td['text']) == in_week, f'week total of card {card}: {td["text"]}')
        listed = {dom.cells(tr) for tr in dom.find('tr') if dom.inside(tr, 'id', 'open') and dom.cells(tr)}
        for card, job, day, start, line in opens:
            self.check(any(r[0] == card and r[1].startswith(job) and r[2:] == (day, start, line) for r in listed),
                       f'open start {card} {job} {day} {start} line {line} not listed: {listed}')
        self.check(any('open since' in e['text'] for e in dom.find('div', **{'class': 'open'})),
                   'the open start is not marked on its day')
        shot = self.args.screenshot or os.path.join(self.args.out, 'timesheet.png')
        self.chromium(f'--screenshot={shot}', '--window-size=1400,2120', 'file://' + page)
        self.check(os.path.getsize(shot) > 10000, 'no screenshot')

    def crafted(self):
        jobs = 'prefix,code,name,detail,card,listed\nWS,1001,<i>Weld</i> & grind,x,00001001,yes\n'
        data = record(7, '0800', '00', 1234, 1001) + INJECTED + '\r\n' + record(7, '0900', '01', 1234)
        folder, page = self.store('crafted', data, jobs)
        dom = Dom(self.chromium('--dump-dom', 'file://' + page))
        self.check(not dom.find('script') and not dom.find('i'), 'markup from the store became elements')
        self.check(dom.find('title')[0]['text'].startswith('Timesheet'), 'a script from the data file ran')
        self.check(any(e['text'] == INJECTED for e in dom.find('code')), 'the crafted line is not shown as text')
        self.check(any('<i>Weld</i> & grind' in e['text'] for e in dom.find('li')), 'the job name is not text')
        records = list(csv.DictReader(io.StringIO(self.tool('records', folder, '--csv'))))
        invalid = [r['line'] for r in records if r['kind'] == 'invalid']
        shown = [e['text'] for e in dom.find('td') if dom.inside(e, 'id', 'invalid') and e['text'].isdigit()]
        self.check(invalid == ['2'] and shown == invalid, f'invalid lines: records {invalid}, page {shown}')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--store-tool', required=True)
    parser.add_argument('--out', required=True)
    parser.add_argument('--screenshot')
    args = parser.parse_args()
    checks = Checks(args)
    if not checks.browser:
        print('SKIPPED: chromium is not installed (scripts/install-deps.sh installs it)')
        return 77
    os.makedirs(args.out, exist_ok=True)
    try:
        checks.sample()
        checks.crafted()
    finally:
        shutil.rmtree(checks.work, ignore_errors=True)
    for failure in checks.failures:
        print('FAILED:', failure)
    print(f'{len(checks.failures)} failures; screenshot in {args.screenshot or args.out}')
    return 1 if checks.failures else 0


if __name__ == '__main__':
    sys.exit(main())
