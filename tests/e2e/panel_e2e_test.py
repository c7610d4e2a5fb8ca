#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The panel as a worker uses it, on a real X display.

Each test class is one ctest test with its own Xvfb and tray host; each test starts the real
`shift-loom` as a session starts it (no arguments, settings and drives in temporary XDG folders),
drives it with the mouse and the keyboard through xdotool, and checks what it wrote to the data
store, the offline buffer and the settings file, and what the screen shows. Screenshots and the
programs' logs stay in the output folder, one subfolder per class.

Usage: panel_e2e_test.py --panel PATH --store-tool PATH --out FOLDER [unittest arguments, e.g. a class name]
"""
import argparse
import datetime
import fcntl
import os
import signal
import struct
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import panel_session as ps  # noqa: E402

ARGS = None

# Four listed jobs and one that is not listed. In the job list, which shows its items sorted,
# "[settings]" comes first and the unlisted MAINT job would come before the SHOP jobs.
JOBS_CSV = '''prefix,code,name,detail,card,listed
SHOP,1001,Frame welding,Trailer chassis T4,00001001,yes
SHOP,1002,Sheet metal cutting,"Laser, 3 mm steel",00001002,yes
SHOP,1003,Press brake bending,Façade brackets,00001003,yes
MAINT,2002,Paint line,Decommissioned,00002002,no
SHOP,1004,Powder coating,RAL 7016 grey,00001004,yes
'''
ACTIVITIES = ('ASSEMBLY Assembly work    00000001;\r\n'
              'SETUP    Machine setup    00000002;\r\n'
              'WELDING  Welding seams    00000007;\r\n')

LOCATE_TITLE = 'LOCATE DATA FOLDER'
ACTIVITY_TITLE = 'SELECT ACTIVITY'
NO_JOB_TITLE = "NO JOB, CAN'T START"
DUPLICATE_TITLE = "Can't assign that job"
EXIT_TITLE = 'Exit Shift-Loom?'
ABOUT_TITLE = 'About Ovix_Shift-Loom'

ZEROS16 = '0' * 16


def slot_keys(line):
    """The three settings a job line leaves on a button: job key, card, description."""
    return line[:16].strip(' '), line[26:34], line[-41:]


def row_settings(lines=()):
    """The thirty slot keys of a row holding the jobs of `lines` from the top, the rest free."""
    values = {}
    for i in range(10):
        key, card, desc = slot_keys(lines[i]) if i < len(lines) else ('[empty]', '', '')
        values.update({f'button{i}': key, f'card{i}': card, f'desc{i}': desc})
    return values


class PanelTestCase(unittest.TestCase):
    """One X display for the class; a fresh workstation (folders, store, panel) for each test."""

    session = None

    @classmethod
    def make_session(cls):
        return ps.XSession(cls.out)

    @classmethod
    def setUpClass(cls):
        cls.out = os.path.join(ARGS.out, cls.__name__)
        cls.session = cls.make_session()
        try:
            cls.session.start()
        except BaseException:
            cls.session.stop()
            raise
        print(f'\n{cls.__name__}: display {cls.session.env["DISPLAY"]}, logs and screenshots in {cls.out}')

    @classmethod
    def tearDownClass(cls):
        cls.session.stop()

    def setUp(self):
        self.ws = ps.Workstation(self.session, ARGS.panel, ARGS.store_tool, self._testMethodName)
        self.addCleanup(self.ws.close)

    # Set-ups a worker's machine may be in.

    def store_with_jobs(self):
        self.ws.make_store(JOBS_CSV, ACTIVITIES)
        return self.ws.job_lines()

    def configured(self, jobs_on_buttons=0, **extra):
        """A store and settings naming it, with its first jobs on the top buttons."""
        lines = self.store_with_jobs()
        values = {'DataLoc': self.ws.store}
        values.update(row_settings(lines[:jobs_on_buttons]))
        values.update(extra)
        self.ws.write_settings(values)
        return lines

    def start_panel(self):
        self.ws.start()
        return self.ws.wait_panel()

    # What the worker sees.

    def shot(self, name, window=None):
        path = self.ws.screenshot(name, window)
        print(f'screenshot: {path}')
        return path

    def popup(self, known, timeout=5.0):
        """The window that opened beside the known ones: a combo box's list."""
        return ps.wait_for('an open list', lambda: next((w for w in self.ws.mapped() if w not in known), None),
                           timeout=timeout)

    def click_list_row(self, popup, row, rows):
        """Clicks row `row` of an open list of `rows` items of equal height."""
        x, y, width, height = self.session.geometry(popup)
        row_height = (height - 2) / rows
        self.session.click_screen(x + width // 3, y + 1 + int((row + 0.5) * row_height))

    def wait_settings(self, expected, what, timeout=5.0):
        """The settings once every key of `expected` holds its value (the panel writes a row of
        jobs key by key)."""
        deadline = time.monotonic() + timeout
        while True:
            settings = self.ws.settings()
            differing = {key: (settings.get(key), value) for key, value in expected.items()
                         if settings.get(key) != value}
            if not differing:
                return settings
            if time.monotonic() >= deadline:
                self.fail(f'{what}: settings (found, expected) after {timeout:g} s: {differing}')
            time.sleep(0.1)

    def wait_gone(self, window, what, timeout=5.0):
        ps.wait_for(f'{what} to close', lambda: window not in self.ws.mapped(), timeout=timeout)

    def wait_records(self, count, timeout=5.0, path=None):
        """The records of the data file (or of `path`) once there are `count` of them."""
        deadline = time.monotonic() + timeout
        while True:
            records = self.ws.records(path)
            if len(records) == count:
                return records
            if time.monotonic() >= deadline:
                self.fail(f'{count} record(s) expected in {path or self.ws.data_file} within {timeout:g} s, '
                          f'found {records}')
            time.sleep(0.1)

    def assert_no_more_records(self, count, path=None, settle=1.0):
        time.sleep(settle)
        records = self.ws.records(path)
        self.assertEqual(len(records), count, f'records: {records}')
        return records

    def dismiss_with_return(self, window):
        self.session.keys(window, 'Return')
        self.wait_gone(window, 'the message box')

    def choose_activity(self, row=None, rows=3):
        """Answers the activity dialog: picks item `row` with the mouse, or closes it (Escape)."""
        dialog = self.ws.find_window(ACTIVITY_TITLE, timeout=10)
        if row is None:
            self.session.keys(dialog, 'Escape')
        else:
            known = self.ws.mapped()
            self.ws.click(self.arrow_of(ps.ACTIVITY_COMBO), window=dialog)
            self.click_list_row(self.popup(known), row, rows)
        self.wait_gone(dialog, 'the activity dialog')
        return dialog

    @staticmethod
    def arrow_of(combo):
        left, top, width, height = combo
        return left + width - 8, top + height // 2

    def start_job(self, slot, activity_row=None):
        """Presses a job button and answers the activity dialog; returns the moment before the press."""
        before = datetime.datetime.now()
        self.ws.click(ps.job_button(slot))
        self.choose_activity(activity_row)
        return before

    def assert_start_record(self, line, before, card, job_card, activity):
        self.assertEqual(len(line), 64, f'start record {line!r}')
        self.assertTrue(line.isdigit(), line)
        self.assertEqual(line[:2], '01')
        ps.check_stamp(line, before, datetime.datetime.now())
        self.assertEqual(line[14:16], '00', f'event code of {line!r}')
        self.assertEqual(line[16:32], card.zfill(16), f'card number of {line!r}')
        self.assertEqual(line[32:48], job_card.zfill(16), f'job card of {line!r}')
        self.assertEqual(line[48:64], activity.zfill(16), f'activity of {line!r}')

    def assert_stop_record(self, line, before, card):
        self.assertEqual(len(line), 64, f'stop record {line!r}')
        self.assertEqual(line[:2], '01')
        ps.check_stamp(line, before, datetime.datetime.now())
        self.assertEqual(line[14:16], '01', f'event code of {line!r}')
        self.assertEqual(line[16:32], card.zfill(16), f'card number of {line!r}')
        self.assertEqual(line[32:64], ZEROS16 * 2, f'positions 33-64 of {line!r}')

    def assert_in_record(self, line, before, keyed):
        self.assertEqual(len(line), 24, f'IN record {line!r}')
        self.assertTrue(line.isdigit(), line)
        self.assertEqual(line[:2], '01')
        ps.check_stamp(line, before, datetime.datetime.now())
        self.assertEqual(line[14:22], keyed.zfill(8), f'keyed number of {line!r}')
        self.assertEqual(line[22:24], '00')


class FirstRunTest(PanelTestCase):
    """The first start of a worker: the data store is asked for, or found through cwv5.ini."""

    def test_nothing_configured_asks_for_the_store_and_cancel_ends_silently(self):
        self.ws.start()
        dialog = self.ws.find_window(LOCATE_TITLE, timeout=30)
        time.sleep(0.5)
        self.assertEqual(self.ws.windows(), [dialog], 'the locate dialog is the only window at the first start')
        self.shot('locate-dialog', dialog)
        self.ws.click(ps.LOCATE_CANCEL, window=dialog)
        self.assertEqual(self.ws.wait_exit(timeout=10), 0, 'Cancel ends the program with exit code 0')
        self.assertEqual(self.ws.settings().get('DataLoc', ''), '')
        self.assertFalse(os.path.exists(self.ws.buffer_file))

    def test_a_path_typed_in_the_locate_dialog_is_stored_and_used(self):
        self.store_with_jobs()
        self.ws.start()
        dialog = self.ws.find_window(LOCATE_TITLE, timeout=30)
        self.ws.click(ps.LOCATE_PATH, window=dialog)
        # Trailing backslashes are not part of the folder.
        self.session.type_text(dialog, self.ws.store + '\\\\')
        self.ws.click(ps.LOCATE_OK, window=dialog)
        self.ws.wait_panel()
        self.assertEqual(self.ws.settings().get('DataLoc'), self.ws.store)
        before = datetime.datetime.now()
        self.ws.click(ps.STOP_ALL)
        [line] = self.wait_records(1)
        self.assert_stop_record(line, before, '')

    def test_registered_store_is_taken_without_asking_and_its_jobs_are_listed(self):
        self.store_with_jobs()
        self.ws.tool('register', self.ws.store)
        panel = self.start_panel()
        self.assertEqual(self.ws.windows(), [panel], 'no locate dialog when cwv5.ini names the store')
        self.assertEqual(self.ws.settings().get('DataLoc'), self.ws.store)
        self.ws.tray_icon()

        known = self.ws.mapped()
        self.ws.click(self.arrow_of(ps.COMBO1))
        listed = self.popup(known)
        time.sleep(0.3)
        x, y, width, height = self.session.geometry(listed)
        px, py, _, _ = self.ws.panel_geometry()
        self.session.screenshot('job-list', (px, py, max(px + 192, x + width) - px, max(py + 395, y + height) - py))
        # "[settings]", then the four listed jobs; the unlisted one would sort before them.
        self.click_list_row(listed, 1, 5)
        self.wait_settings(row_settings(self.ws.job_lines()[:1]), 'the first job on the top button')


class JobsAndTimingTest(PanelTestCase):
    """Jobs assigned by mouse and keyboard, one started, the panel hiding and coming back."""

    def test_assign_three_jobs_start_one_and_follow_it_through_the_tray(self):
        lines = self.store_with_jobs()
        self.ws.tool('register', self.ws.store)
        self.start_panel()

        # Mouse: the arrow of the job list, then the first job.
        known = self.ws.mapped()
        self.ws.click(self.arrow_of(ps.COMBO1))
        self.click_list_row(self.popup(known), 1, 5)
        self.wait_settings(row_settings([lines[0]]), 'first job assigned')

        # Keyboard: the list opened with Alt+Down; moving in it picks nothing, Enter picks.
        self.ws.click((40, 78))
        self.session.keys(self.ws.panel, 'alt+Down')
        self.popup(known)
        self.session.keys(self.ws.panel, 'Home', 'Down', 'Down', 'Down')
        time.sleep(0.5)
        self.wait_settings(row_settings([lines[0]]), 'moving in the open list assigns nothing', timeout=0)
        self.session.keys(self.ws.panel, 'Return')
        self.wait_settings(row_settings([lines[2], lines[0]]), 'second job assigned')

        # Typed text is no pick, even when it names an item.
        self.ws.click((40, 78))
        self.session.keys(self.ws.panel, 'ctrl+a')
        self.session.type_text(self.ws.panel, '[settings]')
        self.session.keys(self.ws.panel, 'Return')
        time.sleep(1.0)
        self.assertNotIn(LOCATE_TITLE, [self.session.window_name(w) for w in self.ws.mapped()])

        # Mouse again, the job between.
        known = self.ws.mapped()
        self.ws.click(self.arrow_of(ps.COMBO1))
        self.click_list_row(self.popup(known), 2, 5)
        settings = self.wait_settings(row_settings([lines[1], lines[2], lines[0]]), 'third job assigned')
        self.assertEqual((settings['button1'], settings['card1'], settings['desc1']),
                         ('SHOP    1003', '00001003', 'Press brake bending  Façade brackets     '))

        # A job already on a button is refused.
        known = self.ws.mapped()
        self.ws.click(self.arrow_of(ps.COMBO1))
        self.click_list_row(self.popup(known), 1, 5)
        refusal = self.ws.find_window(DUPLICATE_TITLE, timeout=5)
        time.sleep(0.3)
        self.shot('duplicate-job-box', refusal)
        self.dismiss_with_return(refusal)
        self.assertEqual(self.ws.settings(), settings)

        # The card number, stored when the focus leaves its box.
        self.ws.click(ps.CARD_BOX)
        self.session.keys(self.ws.panel, 'ctrl+a')
        self.session.type_text(self.ws.panel, '4711')
        self.session.keys(self.ws.panel, 'Tab')
        ps.wait_for('card number stored', lambda: self.ws.settings().get('autocode') == '4711')

        # Start the job on the second button (card 00001003) with the third activity.
        before = datetime.datetime.now()
        self.ws.click(ps.job_button(1))
        dialog = self.ws.find_window(ACTIVITY_TITLE, timeout=10)
        time.sleep(0.3)
        self.shot('activity-dialog-first-start', dialog)
        known = self.ws.mapped()
        self.ws.click(self.arrow_of(ps.ACTIVITY_COMBO), window=dialog)
        chosen = time.monotonic()
        self.click_list_row(self.popup(known), 2, 3)
        [line] = self.wait_records(1)
        # Two seconds into the job, before the panel hides itself.
        time.sleep(max(0.0, chosen + 2.0 - time.monotonic()))
        self.assertTrue(self.ws.panel_visible(), 'the panel is still shown two seconds after the start')
        self.assertNotIn(dialog, self.ws.mapped(), 'the activity dialog closed with the pick')
        screen = self.session.grab()
        self.shot('panel')
        self.assertEqual(self.ws.button_colour(1, screen), ps.RUNNING_COLOUR)
        for slot in (0, 2, 3):
            self.assertNotEqual(self.ws.button_colour(slot, screen), ps.RUNNING_COLOUR, f'slot {slot}')
        self.assert_start_record(line, before, '4711', '00001003', '00000007')
        settings = self.ws.settings()
        self.assertEqual((settings['activity_code'], settings['activity_num']), ('WELDING ', '00000007'))

        # The panel hides itself five seconds after the start, and comes back through the tray.
        ps.wait_for('the panel to hide itself', lambda: not self.ws.panel_visible(), timeout=8.0)
        hidden_after = time.monotonic() - chosen
        self.assertGreater(hidden_after, 4.0, 'the panel hid itself too early')
        tray = next(w for w in self.session.tree() if w['name'] == 'panel')
        self.session.screenshot('tray', (tray['x'], tray['y'], tray['width'], tray['height']))
        self.ws.click_tray_icon()
        ps.wait_for('the panel back from the tray', self.ws.panel_visible, timeout=5.0)
        time.sleep(0.5)
        first = self.session.grab()
        time.sleep(2.0)
        second = self.session.grab()
        self.assertEqual(self.ws.button_colour(1, second), ps.RUNNING_COLOUR, 'the job still runs')
        self.assertNotEqual(self.ws.panel_region(ps.time_box(1), first), self.ws.panel_region(ps.time_box(1), second),
                            'the running time advances')
        self.assertNotEqual(self.ws.panel_region(ps.time_box(1), second),
                            self.ws.panel_region(ps.time_box(0), second),
                            'the running time is no longer 00:00:00 like an idle slot')
        self.assertNotEqual(self.ws.panel_region(ps.TOTAL_BOX, first), self.ws.panel_region(ps.TOTAL_BOX, second),
                            'the total advances')
        self.shot('panel-from-tray')
        self.assertEqual(len(self.ws.records()), 1)

        # The running job pressed again: it goes on running, and the activity chosen now goes
        # into a second start record. The dialog shows the current activity.
        before = datetime.datetime.now()
        self.ws.click(ps.job_button(1))
        dialog = self.ws.find_window(ACTIVITY_TITLE, timeout=10)
        time.sleep(0.3)
        self.shot('activity-dialog', dialog)
        known = self.ws.mapped()
        self.ws.click(self.arrow_of(ps.ACTIVITY_COMBO), window=dialog)
        activities = self.popup(known)
        time.sleep(0.3)
        # The dialog with its open list below it, as wide as the dialog: the list is wider, but
        # only blank room and the panel behind lie to the right.
        x, y, width, _ = self.session.geometry(dialog)
        _, list_y, _, list_height = self.session.geometry(activities)
        self.session.screenshot('activity-list', (x, y, width, list_y + list_height - y))
        self.click_list_row(activities, 0, 3)
        self.wait_gone(dialog, 'the activity dialog')
        records = self.wait_records(2)
        self.assert_start_record(records[1], before, '4711', '00001003', '00000001')
        self.assertEqual(self.ws.button_colour(1), ps.RUNNING_COLOUR)


class RefusalTest(PanelTestCase):
    """A free button refuses to start, and the running job and the panel stay as they were."""

    def test_free_button_while_a_job_runs(self):
        self.configured(1, autocode='321', activity_num='00000002')
        self.start_panel()
        before = self.start_job(0)  # closed without a choice: the stored activity counts
        # At once, before the panel hides itself.
        self.assertTrue(self.ws.panel_visible())
        self.ws.click(ps.job_button(3))
        refusal = self.ws.find_window(NO_JOB_TITLE, timeout=5)
        [line] = self.wait_records(1)
        self.assert_start_record(line, before, '321', '00001001', '00000002')
        time.sleep(0.3)
        self.shot('no-job-box', refusal)
        self.dismiss_with_return(refusal)
        self.assertEqual(self.ws.button_colour(0), ps.RUNNING_COLOUR, 'the job keeps running')
        # The refused press switched the auto-hide off: the panel stays.
        time.sleep(7.0)
        self.assertTrue(self.ws.panel_visible(), 'the panel hid itself after a refused press')
        self.assert_no_more_records(1, settle=0)


class StopAllAndInTest(PanelTestCase):
    """STOP ALL and the IN punch keyed on the hidden keypad with the keyboard alone."""

    def test_in_punch_by_keyboard_then_stop_all(self):
        self.configured(2, autocode='4711')
        self.start_panel()

        # The focus starts on the hidden IN key; Tab walks to the keypad behind the right edge.
        keypad = ps.Keypad(self.ws)
        before = datetime.datetime.now()
        keypad.key_in('4711')
        keypad.press('Command1')
        [line] = self.wait_records(1)
        self.assert_in_record(line, before, '4711')
        # The entry is empty again: a second IN writes nothing.
        keypad.press('Command1')
        self.assert_no_more_records(1)

        self.start_job(1)
        self.wait_records(2)
        self.ws.show_panel()
        self.assertEqual(self.ws.button_colour(1), ps.RUNNING_COLOUR)
        before = datetime.datetime.now()
        self.ws.click(ps.STOP_ALL)
        records = self.wait_records(3)
        self.assert_stop_record(records[2], before, '4711')
        self.ws.show_panel()
        screen = self.session.grab()
        self.assertEqual(self.ws.button_colour(1, screen), self.ws.button_colour(0, screen),
                         'the stopped button has the idle colour again')
        self.assertNotEqual(self.ws.button_colour(1, screen), ps.RUNNING_COLOUR)
        self.assert_no_more_records(3)


class ServiceCodeTest(PanelTestCase):
    """The two codes keyed on the hidden keypad: the locate dialog, and the end of the program."""

    def test_locate_code_then_exit_code(self):
        self.configured()
        self.start_panel()
        icon = self.ws.tray_icon()
        keypad = ps.Keypad(self.ws)
        keypad.key_in('073370')
        dialog = self.ws.find_window(LOCATE_TITLE, timeout=3.5)
        self.shot('locate-dialog-by-code', dialog)
        self.ws.click(ps.LOCATE_CANCEL, window=dialog)
        self.wait_gone(dialog, 'the locate dialog')
        self.assertEqual(self.ws.settings().get('DataLoc'), self.ws.store, 'Cancel changes no setting')
        time.sleep(1.5)
        self.assertTrue(self.ws.panel_visible())
        self.assertNotIn(LOCATE_TITLE, [self.session.window_name(w) for w in self.ws.mapped()],
                         'the locate dialog opens once per keyed code')

        # The entry was emptied after the dialog: the exit code alone now matches.
        keypad.key_in('048840')
        self.assertEqual(self.ws.wait_exit(timeout=4), 0)
        self.assertNotIn(icon['id'], [w['id'] for w in self.session.tray_icons('shift-loom')])
        self.assertEqual(self.ws.records(), [])


class OfflineBufferTest(PanelTestCase):
    """A store out of reach at the start: records go to the local buffer and reach the store later."""

    def test_records_of_an_unreachable_store_reach_it_at_the_next_start(self):
        lines = self.store_with_jobs()
        away = os.path.join(self.ws.root, 'share-offline', 'cardwarden')
        card = slot_keys(lines[0])[1]
        values = {'DataLoc': away}
        values.update(row_settings(lines[:1]))
        values.update(autocode='55', activity_num='00000002')
        self.ws.write_settings(values)

        panel = self.start_panel()
        self.assertEqual(self.ws.windows(), [panel], 'an unreachable store asks nothing')
        keypad = ps.Keypad(self.ws)
        before = datetime.datetime.now()
        keypad.key_in('12')
        keypad.press('Command1')
        self.start_job(0)
        self.ws.show_panel()
        self.ws.click(ps.STOP_ALL)
        buffered = self.wait_records(3, path=self.ws.buffer_file)
        self.assert_in_record(buffered[0], before, '12')
        self.assert_start_record(buffered[1], before, '55', card, '00000002')
        self.assert_stop_record(buffered[2], before, '55')
        os.kill(self.ws.process.pid, signal.SIGTERM)
        self.assertEqual(self.ws.wait_exit(), 0)
        self.assertEqual(self.ws.records(self.ws.buffer_file), buffered, 'no job ran: nothing more at the end')
        self.assertFalse(os.path.exists(away), 'nothing was made where the store should be')

        # The store is back, with a record of another workstation in its data file.
        self.ws.make_store(JOBS_CSV, ACTIVITIES, folder=away)
        other = '01' + datetime.datetime.now().strftime('%Y%m%d%H%M') + '00' + '9'.zfill(16) + '1004'.zfill(16) \
            + '1'.zfill(16)
        with open(os.path.join(away, 'data'), 'wb') as file:
            file.write(other.encode() + b'\r\n')
        self.start_panel()
        replayed = self.ws.records(os.path.join(away, 'data'))
        self.assertEqual(replayed, [other] + buffered)
        self.assertFalse(os.path.exists(self.ws.buffer_file), 'the buffer is gone after the replay')
        before = datetime.datetime.now()
        self.ws.click(ps.STOP_ALL)
        final = self.wait_records(5, path=os.path.join(away, 'data'))
        self.assertEqual(final[:4], replayed)
        self.assert_stop_record(final[4], before, '55')
        os.kill(self.ws.process.pid, signal.SIGTERM)
        self.assertEqual(self.ws.wait_exit(), 0)
        self.assertEqual(self.ws.records(os.path.join(away, 'data')), final)
        self.assertFalse(os.path.exists(self.ws.buffer_file))


    def test_a_record_diverted_by_a_held_lock_reaches_the_store_soon_after_its_release(self):
        # Card-Warden holds the data file's whole-file lock for 10 s; the STOP of that moment goes
        # to the buffer and reaches the store within 60 s of the release, the worker doing nothing.
        self.configured(0, autocode='77')
        self.start_panel()
        self.ws.show_panel()
        with open(self.ws.data_file, 'ab') as data:
            lock = struct.pack('hhqqi4x', fcntl.F_WRLCK, os.SEEK_SET, 0, 0, 0)
            fcntl.fcntl(data, fcntl.F_OFD_SETLK, lock)
            held = time.monotonic()
            before = datetime.datetime.now()
            self.ws.click(ps.STOP_ALL)
            diverted = self.wait_records(1, path=self.ws.buffer_file)
            self.assert_stop_record(diverted[0], before, '77')
            self.assertEqual(self.ws.records(), [])
            time.sleep(max(0.0, 10.0 - (time.monotonic() - held)))
            fcntl.fcntl(data, fcntl.F_OFD_SETLK, struct.pack('hhqqi4x', fcntl.F_UNLCK, os.SEEK_SET, 0, 0, 0))
        released = time.monotonic()
        self.assertEqual(self.wait_records(1, timeout=60.0), diverted)
        print(f'the diverted record reached the store {time.monotonic() - released:.1f} s after the release')
        self.assertFalse(os.path.exists(self.ws.buffer_file), 'the buffer is gone after the hand-over')


class ExitTest(PanelTestCase):
    """The worker's exit by a double-click on the background, and the end a session asks for."""

    def test_double_click_no_then_yes_ends_without_a_record(self):
        self.configured(1, autocode='8')
        self.start_panel()
        self.start_job(0)
        self.wait_records(1)

        self.ws.show_panel()
        self.ws.click(ps.BACKGROUND_SPOT, repeat=2)
        question = self.ws.find_window(EXIT_TITLE, timeout=5)
        time.sleep(0.3)
        self.shot('exit-question', question)
        self.session.keys(question, 'Escape')  # No
        self.wait_gone(question, 'the exit question')
        time.sleep(1.0)
        self.assertIsNone(self.ws.process.poll(), 'No keeps the program running')
        self.ws.show_panel()
        self.assertEqual(self.ws.button_colour(0), ps.RUNNING_COLOUR)

        self.ws.show_panel()
        self.ws.click(ps.BACKGROUND_SPOT, repeat=2)
        question = self.ws.find_window(EXIT_TITLE, timeout=5)
        self.session.keys(question, 'Return')  # Yes, the default
        self.assertEqual(self.ws.wait_exit(timeout=5), 0)
        self.assertEqual(len(self.ws.records()), 1, 'the confirmed exit writes no record')

    def test_sigterm_while_a_job_runs_writes_one_stop_record(self):
        self.configured(1, autocode='8')
        self.start_panel()
        self.start_job(0)
        self.wait_records(1)
        before = datetime.datetime.now()
        os.kill(self.ws.process.pid, signal.SIGTERM)
        self.assertEqual(self.ws.wait_exit(timeout=5), 0)
        records = self.ws.records()
        self.assertEqual(len(records), 2, f'records: {records}')
        self.assert_stop_record(records[1], before, '8')


class WindowTest(PanelTestCase):
    """The panel moved by its top strip, and the about box opened from its title."""

    def test_drag_strip_moves_the_panel_and_the_title_opens_one_about_box(self):
        self.configured()
        self.start_panel()
        x0, y0, _, _ = self.ws.panel_geometry()
        sx, sy = ps.DRAG_STRIP_SPOT
        self.session.xdotool('mousemove', '--window', self.ws.panel, sx, sy, 'mousedown', 1)
        for _ in range(5):
            self.session.xdotool('mousemove_relative', '--sync', 8, 6)
            time.sleep(0.05)
        self.session.xdotool('mouseup', 1)
        time.sleep(0.3)
        self.assertEqual(self.ws.panel_geometry()[:2], (x0 + 40, y0 + 30), 'the panel follows the pointer')

        # A pointer moving over the strip with no button held moves nothing.
        self.session.xdotool('mousemove', '--window', self.ws.panel, sx, sy)
        self.session.xdotool('mousemove_relative', '--sync', 15, 0)
        time.sleep(0.3)
        self.assertEqual(self.ws.panel_geometry()[:2], (x0 + 40, y0 + 30))

        # The right button drags too.
        self.session.xdotool('mousemove', '--window', self.ws.panel, sx, sy, 'mousedown', 3)
        self.session.xdotool('mousemove_relative', '--sync', '--', -20, 10)
        time.sleep(0.05)
        self.session.xdotool('mouseup', 3)
        time.sleep(0.3)
        self.assertEqual(self.ws.panel_geometry()[:2], (x0 + 20, y0 + 40))

        self.ws.click(ps.TITLE)
        about = self.ws.find_window(ABOUT_TITLE, timeout=5)
        time.sleep(0.5)
        self.shot('about-box', about)
        self.ws.click(ps.TITLE)
        time.sleep(1.0)
        self.assertEqual(self.session.windows_named(ABOUT_TITLE), [about], 'a second click brings no second box')
        self.session.keys(about, 'Return')
        self.wait_gone(about, 'the about box')

        # The red X hides the panel; the tray icon brings it back where it was.
        self.ws.click(ps.CLOSE_BUTTON)
        ps.wait_for('the panel hidden by its X', lambda: not self.ws.panel_visible(), timeout=5)
        self.ws.click_tray_icon()
        ps.wait_for('the panel back from the tray', self.ws.panel_visible, timeout=5)
        self.assertEqual(self.ws.panel_geometry()[:2], (x0 + 20, y0 + 40))


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument('--panel', required=True)
    parser.add_argument('--store-tool', required=True)
    parser.add_argument('--out', required=True)
    ARGS, rest = parser.parse_known_args()
    ps.install_exit_guard()
    unittest.main(argv=[sys.argv[0], '-v'] + rest)


if __name__ == '__main__':
    main()
