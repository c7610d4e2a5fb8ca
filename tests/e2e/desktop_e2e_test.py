#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The panel on the desktops workers have: a StatusNotifier tray (xfce4-panel's on a private
D-Bus session bus), no tray at all, a display that ends under it, and a Wayland session (weston
with XWayland). One ctest test per class, each with its own display and bus; every test has its
own runtime folder.

Usage: desktop_e2e_test.py --panel PATH --store-tool PATH --out FOLDER [unittest arguments]
"""
import datetime
import os
import re
import select
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import panel_e2e_test as pe  # noqa: E402
import panel_session as ps  # noqa: E402
from panel_session import _folders  # noqa: E402

# xfce4-panel with one plugin, its notification area, which is the StatusNotifier watcher and host.
XFCE_PANEL_CONFIG = '''<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0"><property name="configver" type="int" value="2"/>
<property name="panels" type="array"><value type="int" value="1"/><property name="panel-1" type="empty">
<property name="position" type="string" value="p=8;x=0;y=0"/><property name="size" type="uint" value="32"/>
<property name="plugin-ids" type="array"><value type="int" value="1"/></property></property></property>
<property name="plugins" type="empty"><property name="plugin-1" type="string" value="systray"/></property>
</channel>
'''
WATCHER = ['-d', 'org.kde.StatusNotifierWatcher', '-o', '/StatusNotifierWatcher']
NEW_JOB_CSV = pe.JOBS_CSV + 'SHOP,1005,Final inspection,Chassis T4,00001005,yes\n'


class StatusNotifierSession(ps.XSession):
    """Xvfb, a private session bus, and xfce4-panel with its notification area as the tray."""

    def __init__(self, out_dir):
        super().__init__(out_dir, tray=False)

    def start(self):
        super().start()
        home = os.path.join(self.out_dir, 'xfce-config')
        channel = os.path.join(home, 'xfce4', 'xfconf', 'xfce-perchannel-xml')
        os.makedirs(channel)
        with open(os.path.join(channel, 'xfce4-panel.xml'), 'w') as file:
            file.write(XFCE_PANEL_CONFIG)
        # Services the bus starts on demand (xfconfd) get the bus's environment.
        self.env['XDG_CONFIG_HOME'] = home
        bus = self.start_process('dbus-daemon', ['dbus-daemon', '--session', '--nofork', '--print-address'],
                                 stdout=subprocess.PIPE)
        ready, _, _ = select.select([bus.stdout], [], [], 20)
        self.env['DBUS_SESSION_BUS_ADDRESS'] = bus.stdout.readline().decode().strip() if ready else ''
        if not self.env['DBUS_SESSION_BUS_ADDRESS']:
            raise ps.Failure('dbus-daemon told no address within 20 s')
        self.start_process('xfce4-panel', ['xfce4-panel', '--disable-wm-check'])
        ps.wait_for('the StatusNotifier watcher', lambda: self.gdbus(*WATCHER, '-m', 'org.freedesktop.DBus.Peer.Ping'),
                    timeout=30)

    def gdbus(self, *args):
        result = self.run(['gdbus', 'call', '--session'] + list(args))
        return result.stdout.strip() if result.returncode == 0 else None

    def items(self):
        """The bus connections of the items the watcher has registered."""
        out = self.gdbus(*WATCHER, '-m', 'org.freedesktop.DBus.Properties.Get', 'org.kde.StatusNotifierWatcher',
                         'RegisteredStatusNotifierItems') or ''
        return re.findall(r"'([^'/]+)/StatusNotifierItem'", out)

    def pid_of(self, connection):
        out = self.gdbus('-d', 'org.freedesktop.DBus', '-o', '/org/freedesktop/DBus', '-m',
                         'org.freedesktop.DBus.GetConnectionUnixProcessID', connection)
        return int(re.search(r'(\d+),\)', out).group(1)) if out else None

    def item(self, connection, *method):
        return self.gdbus('-d', connection, '-o', '/StatusNotifierItem', '-m', *method)


class WaylandSession(ps.XSession):
    """weston with XWayland, drawing into a window on Xvfb (its X11 back end: the headless back end
    has no input devices, and input sent to its XWayland server there brings that server down).
    The tools drive and read the Xvfb screen; `panel_env` is what a program of the session sees."""

    def __init__(self, out_dir):
        super().__init__(out_dir, tray=False)

    def start_compositor(self, name):
        """A weston of its own for a test; its XWayland server starts with the first X client."""
        runtime = tempfile.mkdtemp(prefix='sl-wl-')
        _folders.append(runtime)
        # No shell panel: nothing there (its launcher) to be hit by a stray click.
        config = os.path.join(runtime, 'weston.ini')
        with open(config, 'w') as file:
            file.write('[shell]\npanel-position=none\n')
        self.weston = self.start_process(f'{name}-weston', [
            'weston', '--backend=x11-backend.so', '--use-pixman', '--width=1000', '--height=740', '--xwayland',
            '--socket=wl-e2e', '--idle-time=0', f'--config={config}'], env=dict(self.env, XDG_RUNTIME_DIR=runtime))
        log = os.path.join(self.out_dir, f'{name}-weston.log')

        def display():
            with open(log, errors='replace') as file:
                match = re.search(r'xserver listening on display (:\d+)', file.read())
            return match and match.group(1)
        self.panel_env = {'DISPLAY': ps.wait_for('weston\'s XWayland display', display, timeout=30),
                          'WAYLAND_DISPLAY': os.path.join(runtime, 'wl-e2e')}
        return self.weston

    def xwayland_panels(self):
        """The mapped panel windows on the XWayland display, by their place there."""
        env = dict(self.env, **self.panel_env)
        def xwininfo(*args):
            return subprocess.run(['xwininfo'] + list(args), env=env, capture_output=True, text=True, timeout=20,
                                  stdin=subprocess.DEVNULL).stdout
        places = []
        for window in re.findall(r'(0x[0-9a-f]+) "Ovix_Shift-Loom".* 192x395\+', xwininfo('-root', '-tree')):
            out = xwininfo('-id', window)
            if 'IsViewable' in out:
                places.append(tuple(int(v) for v in re.findall(r'Absolute upper-left [XY]:\s+(-?\d+)', out)))
        return places

    def panel_origin(self):
        """The panel's top left corner on the screen, found by its red X; None while not shown."""
        image = self.grab()
        for y in range(0, ps.SCREEN_HEIGHT - ps.PANEL_SIZE[1]):
            for x in range(0, ps.SCREEN_WIDTH, 2):
                if image.pixel(x, y) == (255, 0, 0):
                    left = x - ps.CLOSE_BUTTON[0]
                    return (left - 1, y) if image.pixel(x - 1, y) == (255, 0, 0) else (left, y)
        return None


class DesktopTestCase(pe.PanelTestCase):
    def start_more(self, count, **env):
        """Further starts of the panel by the same worker, all at once."""
        return [self.session.start_process(f'{self._testMethodName}-start-{i}', [pe.ARGS.panel],
                                           env=dict(self.ws.env, **env)) for i in range(count)]

    def assert_handed_over(self, starts, timeout=15.0):
        for process in starts:
            try:
                self.assertEqual(process.wait(timeout=timeout), 0, 'a later start ends after handing over')
            except subprocess.TimeoutExpired:
                self.fail('a later start kept running beside the first panel')


class NoTrayTest(DesktopTestCase):
    """A desktop without a notification area: the panel stays in reach, and stays one."""

    @classmethod
    def make_session(cls):
        return ps.XSession(cls.out, tray=False)

    def test_job_press_leaves_the_panel_shown_and_later_starts_bring_it_back(self):
        self.configured(1, autocode='8')
        self.start_panel()
        self.start_job(0, activity_row=0)
        self.wait_records(1)
        time.sleep(7.0)
        self.assertTrue(self.ws.panel_visible(), 'no tray to hide into: the panel stays shown after a job press')

        # The worker hides it with its X; starting the program again shows it, and ends.
        self.ws.click(ps.CLOSE_BUTTON)
        ps.wait_for('the panel hidden by its X', lambda: not self.ws.panel_visible(), timeout=5)
        settings = self.ws.settings()
        if os.geteuid() == 0:
            self.assert_other_account_refused()
        self.assert_handed_over(self.start_more(1))
        ps.wait_for('the first panel shown again', self.ws.panel_visible, timeout=5)
        self.assert_handed_over(self.start_more(2))
        self.assertIsNone(self.ws.process.poll(), 'the first panel runs on')
        self.assertEqual(self.ws.button_colour(0), ps.RUNNING_COLOUR, 'its job runs on')
        self.assert_no_more_records(1)
        self.assertEqual(self.ws.settings(), settings, 'the later starts wrote nothing')

        # A tray that comes later takes the icon, and the panel hides itself into it again.
        tray = self.session.start_tray()
        self.addCleanup(ps.end_group, tray)
        self.ws.tray_icon()
        self.start_job(0, activity_row=0)
        self.wait_records(2)
        ps.wait_for('the panel hidden into the new tray', lambda: not self.ws.panel_visible(), timeout=9)

    def assert_other_account_refused(self):
        """Another account asks the hidden panel to show itself, with the runtime folder and the
        socket opened to it: the panel checks who asks, answers nothing and stays hidden."""
        [socket_path] = [os.path.join(self.ws.runtime_dir, name) for name in os.listdir(self.ws.runtime_dir)
                         if name.endswith('.socket')]
        os.chmod(self.ws.runtime_dir, 0o711)
        os.chmod(socket_path, 0o777)
        client = ('import socket, sys\n'
                  's = socket.socket(socket.AF_UNIX); s.settimeout(3); s.connect(sys.argv[1]); print("connected")\n'
                  'try:\n s.sendall(b"show\\n"); print(s.recv(16))\nexcept OSError as e:\n print(e)')
        other = subprocess.run(['setpriv', '--reuid=65534', '--regid=65534', '--clear-groups', sys.executable, '-c',
                                client, socket_path], capture_output=True, text=True, timeout=20)
        self.assertTrue(other.stdout.startswith('connected'), f'{other.stdout} {other.stderr}')
        self.assertNotIn("b'ok", other.stdout, 'an answer to another account')
        time.sleep(1.0)
        self.assertFalse(self.ws.panel_visible(), 'another account showed the panel')
        os.chmod(self.ws.runtime_dir, 0o700)  # a later start runs only on a private runtime folder

    def test_simultaneous_starts_leave_one_panel_and_a_killed_one_blocks_nothing(self):
        self.configured()
        starts = self.start_more(3)
        ps.wait_for('two of three simultaneous starts ended',
                    lambda: sum(p.poll() is not None for p in starts) == 2, timeout=20)
        [self.ws.process] = [p for p in starts if p.poll() is None]
        self.assertTrue(all(p.returncode == 0 for p in starts if p is not self.ws.process))
        self.ws.wait_panel()
        time.sleep(1.0)
        self.assertIsNone(self.ws.process.poll())

        os.kill(self.ws.process.pid, signal.SIGKILL)
        self.ws.wait_exit()
        self.start_panel()
        time.sleep(1.0)
        self.assertIsNone(self.ws.process.poll(), 'a start after a killed panel runs as the panel')


class DisplayGoneTest(DesktopTestCase):
    """The display ends under the panel (at a logout the X server or the compositor may go first)."""

    @classmethod
    def make_session(cls):
        return ps.XSession(cls.out, tray=False)

    def test_display_ending_under_a_running_job_writes_one_stop_record(self):
        self.configured(1, autocode='8')
        self.start_panel()
        self.start_job(0, activity_row=0)
        self.wait_records(1)
        before = datetime.datetime.now()
        ps.end_group(self.session.processes[0])  # Xvfb
        self.ws.wait_exit()
        records = self.ws.records()
        self.assertEqual(len(records), 2, f'records: {records}')
        self.assert_stop_record(records[1], before, '8')


class StatusNotifierTest(DesktopTestCase):
    """The tray icon as a StatusNotifier item, shown by xfce4-panel's notification area."""

    @classmethod
    def make_session(cls):
        return StatusNotifierSession(cls.out)

    def test_item_registers_activates_and_goes_with_the_panel(self):
        self.configured(1, autocode='8')
        self.start_panel()
        [item] = ps.wait_for('the panel\'s item registered', self.session.items, timeout=15)
        self.assertEqual(self.session.pid_of(item), self.ws.process.pid)
        tooltip = self.session.item(item, 'org.freedesktop.DBus.Properties.Get', 'org.kde.StatusNotifierItem',
                                    'ToolTip')
        self.assertIn("'   Ovix Tick-Fob '", tooltip)

        # With a tray there, the panel hides itself after a job press.
        self.start_job(0, activity_row=0)
        self.wait_records(1)
        ps.wait_for('the panel to hide itself', lambda: not self.ws.panel_visible(), timeout=9)

        # Activation shows it and reads the job list again: a job added meanwhile can be picked.
        self.ws.make_store(NEW_JOB_CSV, pe.ACTIVITIES, folder=os.path.join(self.ws.root, 'new-store'))
        os.replace(os.path.join(self.ws.root, 'new-store', 'dep.dat'), os.path.join(self.ws.store, 'dep.dat'))
        self.assertIsNotNone(self.session.item(item, 'org.kde.StatusNotifierItem.Activate', '0', '0'))
        ps.wait_for('the panel shown by the activation', self.ws.panel_visible, timeout=5)
        time.sleep(0.5)
        known = self.ws.mapped()
        self.ws.click(self.arrow_of(ps.COMBO1))
        self.click_list_row(self.popup(known), 5, 6)
        self.wait_settings({'button0': 'SHOP    1005', 'button1': 'SHOP    1001'}, 'the new job assigned')

        # The session ends: one stop record (the job runs one button lower), and the item goes.
        before = datetime.datetime.now()
        os.kill(self.ws.process.pid, signal.SIGTERM)
        self.assertEqual(self.ws.wait_exit(), 0)
        self.assert_stop_record(self.wait_records(2)[1], before, '8')
        ps.wait_for('the item gone from the watcher', lambda: not self.session.items(), timeout=10)


class WaylandTest(DesktopTestCase):
    """A Wayland session with XWayland: the panel runs on X there by default, natively when asked."""

    @classmethod
    def make_session(cls):
        return WaylandSession(cls.out)

    def setUp(self):
        # Ended after the panel (clean-ups run last first).
        self.addCleanup(ps.end_group, self.session.start_compositor(self._testMethodName))
        super().setUp()
        self.ws.env.update(self.session.panel_env)
        del self.ws.env['QT_QPA_PLATFORM']
        self.configured(1, autocode='8', activity_num='00000002')

    def on_screen(self, expected=None):
        """The panel's place once it is shown (at `expected`, when given)."""
        def found():
            at = self.session.panel_origin()
            time.sleep(0.2)
            return at if at and at == (expected or at) and at == self.session.panel_origin() else None
        return ps.wait_for(f'the panel on the screen at {expected or "some place"}', found, timeout=20)

    def click(self, origin, box):
        x, y = ps.centre(box)
        self.session.click_screen(origin[0] + x, origin[1] + y)

    def start_job(self, origin):
        """A job press; the activity dialog closed with Escape keeps the stored activity."""
        self.click(origin, ps.job_button(0))
        time.sleep(1.5)
        self.session.xdotool('key', 'Escape')
        self.wait_records(1)
        return datetime.datetime.now()

    def test_default_start_runs_on_xwayland_and_stays_one(self):
        # No input goes to the XWayland server here: under this weston it brings that server down.
        self.ws.start()
        [place] = ps.wait_for('the panel on XWayland', self.session.xwayland_panels, timeout=30)
        # A start that talks to the compositor itself is the same worker on the same display.
        self.assert_handed_over(self.start_more(1, QT_QPA_PLATFORM='wayland'))
        self.assertEqual(self.session.xwayland_panels(), [place])
        os.kill(self.ws.process.pid, signal.SIGTERM)
        self.assertEqual(self.ws.wait_exit(), 0)

    def test_native_start_is_moved_by_the_compositor(self):
        self.ws.env['QT_QPA_PLATFORM'] = 'wayland'
        self.ws.start()
        x, y = self.on_screen()
        self.assertEqual(self.session.xwayland_panels(), [], 'no X window')
        # The pointer enters weston's window from outside, so that weston's seat follows it.
        self.session.xdotool('mousemove', ps.SCREEN_WIDTH - 2, ps.SCREEN_HEIGHT - 2)
        time.sleep(0.2)
        # Onto the strip, press, and move once the compositor has taken the move over.
        self.session.xdotool('mousemove', x + ps.DRAG_STRIP_SPOT[0], y + ps.DRAG_STRIP_SPOT[1])
        time.sleep(0.3)
        self.session.xdotool('mousedown', 1)
        time.sleep(0.5)
        for _ in range(5):
            self.session.xdotool('mousemove_relative', '--sync', 8, 6)
            time.sleep(0.1)
        self.session.xdotool('mouseup', 1)
        origin = self.on_screen((x + 40, y + 30))

        # The compositor ends under the running job: one stop record.
        before = self.start_job(origin)
        ps.end_group(self.session.weston)
        self.ws.wait_exit()
        self.assert_stop_record(self.wait_records(2)[1], before, '8')

if __name__ == '__main__':
    pe.main()
