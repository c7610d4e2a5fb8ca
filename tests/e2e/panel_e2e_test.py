#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The panel as a worker uses it, whole flows on a real X display with a tray host: each class
is one ctest test with its own display; checks read the data store, the buffer, the settings and
the screen. Usage: panel_e2e_test.py --panel PATH --store-tool PATH --out FOLDER [class]"""
import argparse
import datetime
import os
import re
import signal
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import panel_session as ps  # noqa: E402

ARGS = None

# Three listed jobs and one that is not: the job list shows "[settings]", then the listed jobs.
JOBS_CSV = """prefix,code,name,detail,card,listed
SHOP,1001,Frame welding,Trailer chassis T4,00001001,yes
SHOP,1002,Sheet metal cutting,"Laser, 3 mm steel",00001002,yes
SHOP,1003,Press brake bending,Façade brackets,00001003,yes
MAINT,2002,Paint line,Decommissioned,00002002,no
"""
ACTIVITIES = "ASSEMBLY Assembly 00000001;\r\nSETUP Setup 00000002;\r\nWELDING Welding 00000007;\r\n"
LOCATE_TITLE = "LOCATE DATA FOLDER"


def start_tail(card, job_card, activity):
    """What follows the date and time in a start record."""
    return "00" + card.zfill(16) + job_card.zfill(16) + activity.zfill(16)


def stop_tail(card):
    return "01" + card.zfill(16) + "0" * 32


class PanelTestCase(unittest.TestCase):
    """One X display for the class; a fresh workstation (folders, store, panel) for each test."""

    session_class, tray = ps.XSession, True

    @classmethod
    def setUpClass(cls):
        cls.session = cls.session_class(os.path.join(ARGS.out, cls.__name__), tray=cls.tray)
        cls.addClassCleanup(cls.session.stop)
        cls.session.start()

    def setUp(self):
        self.ws = ps.Workstation(self.session, ARGS.panel, ARGS.store_tool, self._testMethodName)
        self.addCleanup(self.ws.close)

    def configured(self, jobs_on_buttons=0, **extra):
        """A store, and settings naming it with its first jobs on the top buttons (each slot's job
        key, card and description)."""
        lines = self.ws.make_store(JOBS_CSV, ACTIVITIES)[:jobs_on_buttons]
        parts = [(line[:16].strip(" "), line[26:34], line[-41:]) for line in lines]
        keys = ("button{}", "card{}", "desc{}")
        jobs = {
            key.format(i): part[k] for i, part in enumerate(parts) for k, key in enumerate(keys)
        }
        self.ws.write_settings({"DataLoc": self.ws.store, **jobs, **extra})

    def start_panel(self, **env):
        self.ws.start(**env)
        return self.ws.wait_panel()

    def pick_from_list(self, arrow, row, rows, window=None):
        """Opens a combo box's list by its arrow and clicks row `row` of its `rows` equal rows."""
        known = self.ws.mapped()
        self.ws.click(arrow, window)
        opened = lambda: next((w for w in self.ws.mapped() if w not in known), None)  # noqa: E731
        x, y, width, height = self.session.geometry(ps.wait_for("an open list", opened, timeout=5))
        self.session.click_screen(x + width // 3, y + 1 + int((row + 0.5) * (height - 2) / rows))

    def wait_records(self, count, path=None, timeout=5.0):
        """The records of the data file (or of `path`) once there are exactly `count` of them."""
        path = path or self.ws.data_file
        what = lambda: f"{count} record(s) in {path}; found {ps.records(path)}"  # noqa: E731
        return ps.wait_for(
            what, lambda: len(ps.records(path)) == count and ps.records(path), timeout
        )

    def assert_record(self, line, before, tail):
        """A record made since `before`: "01", its date and time, then `tail`."""
        stamp, now = line[2:14], datetime.datetime.now().strftime("%Y%m%d%H%M")
        self.assertEqual((line[:2], line[14:]), ("01", tail), f"record {line!r}")
        self.assertTrue(before.strftime("%Y%m%d%H%M") <= stamp <= now, f"the time of {line!r}")

    def start_job(self, slot, activity_row=None, press=None):
        """Presses a job button (with the mouse, or by `press`) and picks an activity (or keeps it:
        Escape); the time before."""
        before = datetime.datetime.now()
        press() if press else self.ws.click(ps.job_button(slot))
        dialog = self.ws.find_window("SELECT ACTIVITY", timeout=10)
        if activity_row is None:
            self.session.keys(dialog, "Escape")
        else:
            self.pick_from_list(ps.arrow_of(ps.ACTIVITY_COMBO), activity_row, 3, window=dialog)
        ps.wait_for("the activity dialog closed", lambda: dialog not in self.ws.mapped(), 5)
        return before

    def end_by_sigterm(self):
        os.kill(self.ws.process.pid, signal.SIGTERM)
        self.assertEqual(self.ws.wait_exit(), 0)


class WorkdayTest(PanelTestCase):
    """A worker's first days: the store asked for, then found, a job timed and stopped."""

    def test_first_start_to_a_job_stopped(self):
        # Nothing configured: the locate dialog is the only window, and Cancel ends silently.
        self.ws.start()
        dialog = self.ws.find_window(LOCATE_TITLE, timeout=30)
        time.sleep(0.5)
        self.assertEqual(self.ws.window_names(), [LOCATE_TITLE])
        self.ws.click(ps.LOCATE_CANCEL, window=dialog)
        self.assertEqual(self.ws.wait_exit(), 0, "Cancel ends the program with exit code 0")
        self.assertNotRegex(self.ws.settings(), "DataLoc=.")
        self.assertEqual(ps.records(self.ws.buffer), [])

        # A store registered for this account by the store tool: no question, and the panel keeps it.
        self.ws.make_store(JOBS_CSV, ACTIVITIES)
        ps.run([self.ws.tool_bin, "register", self.ws.store], self.ws.env)
        self.ws.write_settings({"autocode": "4711"})
        self.start_panel()
        self.assertNotIn(LOCATE_TITLE, self.ws.window_names())
        self.assertRegex(self.ws.settings(), 'DataLoc="?' + re.escape(self.ws.store))

        # The last job of the list, picked with the mouse, goes on the top button and is started.
        self.pick_from_list(ps.arrow_of(ps.JOB_LIST), 3, 4)
        before = self.start_job(0, activity_row=2)
        chosen = time.monotonic()
        tail = start_tail("4711", "00001003", "00000007")
        self.assert_record(self.wait_records(1)[0], before, tail)
        self.assertTrue(self.ws.panel_visible(), "the panel stays a moment after the start")
        self.assertEqual(self.ws.button_colour(0), ps.RUNNING_COLOUR)

        # It hides itself five seconds after the start, and comes back through the tray with the
        # job still running and its time and the total advancing.
        self.ws.wait_hidden("five seconds after the start")
        self.assertGreater(time.monotonic() - chosen, 4.0, "the panel hid itself too early")
        self.ws.show_panel()
        first = self.session.grab()
        time.sleep(1.5)
        second = self.session.grab()
        self.assertEqual(self.ws.button_colour(0, second), ps.RUNNING_COLOUR)
        for box in (ps.job_button(0, time_box=True), ps.TOTAL_BOX):
            self.assertNotEqual(self.ws.panel_pixels(box, first), self.ws.panel_pixels(box, second))

        # STOP ALL: a stop record, and the button no longer runs.
        self.ws.show_panel()
        before = datetime.datetime.now()
        self.ws.click(ps.STOP_ALL)
        self.assert_record(self.wait_records(2)[1], before, stop_tail("4711"))
        self.ws.show_panel()
        self.assertNotEqual(self.ws.button_colour(0), ps.RUNNING_COLOUR)

        # A fresh account's files all lie in its XDG folders: nothing in its home, no drive folder.
        self.assertEqual(os.listdir(self.ws.home), [])
        made = [os.path.relpath(d, self.ws.root) for d, _, _ in os.walk(self.ws.root)]
        self.assertEqual([d for d in made if "drive_" in d], [])


class OfflineTest(PanelTestCase):
    """The store out of reach: records wait in the worker's private buffer and reach the store
    once it is there, without a restart."""

    def test_store_away_then_back_while_the_panel_runs(self):
        # The share is not mounted: its mount point is an empty folder, which is no store.
        away = os.path.join(self.ws.root, "share-offline", "cardwarden")
        os.makedirs(away)
        self.configured(1, DataLoc=away, autocode="55", activity_num="2")
        self.start_panel()
        self.assertNotIn(LOCATE_TITLE, self.ws.window_names(), "an unreachable store asks nothing")
        before = self.start_job(0)
        self.ws.show_panel()
        self.ws.click(ps.STOP_ALL)
        buffered = self.wait_records(2, path=self.ws.buffer)
        self.assert_record(buffered[0], before, start_tail("55", "00001001", "2"))
        self.assert_record(buffered[1], before, stop_tail("55"))
        self.assertEqual(os.stat(self.ws.buffer).st_mode & 0o777, 0o700, "the buffer is private")
        self.assertEqual(os.listdir(away), [], "nothing was written into the empty mount point")

        # The share comes, with a record of another workstation: the buffer follows it within a
        # minute, once, and the buffer is empty.
        self.ws.make_store(JOBS_CSV, ACTIVITIES, folder=away)
        self.ws.data_file = os.path.join(away, "data")
        other = "01" + before.strftime("%Y%m%d%H%M") + start_tail("9", "1004", "1")
        with open(self.ws.data_file, "ab") as file:
            file.write(other.encode() + b"\r\n")
        self.assertEqual(self.wait_records(3, timeout=60), [other] + buffered)
        # The files go once their records are in the store: a moment after.
        ps.wait_for("the buffer empty", lambda: ps.records(self.ws.buffer) == [], timeout=10)
        self.end_by_sigterm()


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    for option in ("--panel", "--store-tool", "--out"):
        parser.add_argument(option, required=True)
    ARGS, rest = parser.parse_known_args()
    ps.install_exit_guard()
    unittest.main(argv=[sys.argv[0], "-v"] + rest)


if __name__ == "__main__":
    main()
