#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The panel on the desktops workers have: no tray at all, a StatusNotifier tray (xfce4-panel's
on a private session bus), and a Wayland session (weston with XWayland). Usage as the panel's."""
import datetime
import os
import re
import select
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import panel_e2e_test as pe  # noqa: E402
import panel_session as ps  # noqa: E402

# xfce4-panel with one plugin, its notification area, which is the StatusNotifier watcher and host.
XFCE_PANEL_CONFIG = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0"><property name="configver" type="int" value="2"/>
<property name="panels" type="array"><value type="int" value="1"/>
<property name="panel-1" type="empty"><property name="position" type="string" value="p=8;x=0;y=0"/>
<property name="size" type="uint" value="32"/><property name="plugin-ids" type="array">
<value type="int" value="1"/></property></property></property><property name="plugins" type="empty">
<property name="plugin-1" type="string" value="systray"/></property></channel>
"""
WATCHER = ("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher")


class DesktopTestCase(pe.PanelTestCase):
    tray = False

    def start_more(self, count, hand_over=True, **env):
        """Further starts by the same worker, all at once; when `hand_over`, each hands over to the
        running panel and ends (a time-out: it stays)."""
        env, argv = dict(self.ws.env, **env), [pe.ARGS.panel]
        starts = [self.session.start_process(f"more-{i}", argv, env=env) for i in range(count)]
        if hand_over:
            self.assertEqual([process.wait(timeout=15) for process in starts], [0] * count)
        return starts


class NoTrayTest(DesktopTestCase):
    """A desktop without a notification area: the panel stays in reach, stays one, and ends with
    one stop record when the display goes (at a logout the X server may go first)."""

    def test_one_reachable_panel_until_the_display_ends(self):
        self.configured(1, autocode="8")
        starts = self.start_more(3, hand_over=False)
        ended = lambda: [p for p in starts if p.poll() is not None]  # noqa: E731
        ps.wait_for("two of three simultaneous starts ended", lambda: len(ended()) == 2)
        self.assertEqual([p.returncode for p in ended()], [0, 0])
        # A panel killed outright leaves nothing that blocks the next start.
        [survivor] = [p for p in starts if p.poll() is None]
        os.kill(survivor.pid, signal.SIGKILL)
        survivor.wait(timeout=10)
        self.start_panel()

        self.start_job(0, activity_row=0)
        self.wait_records(1)
        time.sleep(6.0)
        self.assertTrue(self.ws.panel_visible(), "no tray to hide into: the panel stays shown")

        # The worker hides it with its X; starting the program again shows it, and ends.
        self.ws.click(ps.CLOSE_BUTTON)
        self.ws.wait_hidden("by its X", timeout=5)
        settings = self.ws.settings()
        if os.geteuid() == 0:
            self.assert_other_account_refused()
        self.start_more(1)
        ps.wait_for("the first panel shown again", self.ws.panel_visible, timeout=5)
        self.start_more(2)
        self.assertEqual(self.ws.button_colour(0), ps.RUNNING_COLOUR, "the first panel's job runs")
        self.assertEqual(self.ws.settings(), settings, "the later starts wrote nothing")

        # A tray that comes later takes the icon, and the panel hides itself into it at a press.
        self.session.start_tray()
        self.ws.tray_icon()
        self.start_job(0, activity_row=0)
        self.wait_records(2)
        self.ws.wait_hidden("into the new tray")

        # The display ends under the running job: one stop record.
        before = datetime.datetime.now()
        ps.end_group(self.session.processes[0])  # Xvfb
        self.ws.wait_exit()
        ended = ps.records(self.ws.data_file)
        self.assertEqual(len(ended), 3, f"records: {ended}")
        self.assert_record(ended[2], before, pe.stop_tail("8"))

    def assert_other_account_refused(self):
        """Another account asks the hidden panel to show itself, with the runtime folder and the
        socket opened to it: the panel checks who asks, answers nothing and stays hidden."""
        folder = self.ws.runtime_dir
        [socket] = [f"{folder}/{name}" for name in os.listdir(folder) if name.endswith(".socket")]
        os.chmod(folder, 0o711)
        os.chmod(socket, 0o777)
        client = "import socket as s, sys; c = s.socket(s.AF_UNIX); c.settimeout(3)\n"
        client += (
            "c.connect(sys.argv[1]); print('connected'); c.sendall(b'show\\n'); print(c.recv(16))"
        )
        account = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", sys.executable]
        other = subprocess.run(account + ["-c", client, socket], capture_output=True, text=True)
        self.assertTrue(other.stdout.startswith("connected"), f"{other.stdout} {other.stderr}")
        self.assertNotIn("b'ok", other.stdout, "an answer to another account")
        time.sleep(1.0)
        self.assertFalse(self.ws.panel_visible(), "another account showed the panel")
        os.chmod(folder, 0o700)  # a later start runs only on a private runtime folder


class StatusNotifierSession(ps.XSession):
    """Xvfb, a private session bus, and xfce4-panel with its notification area as the tray."""

    def start(self):
        super().start()
        # Services the bus starts on demand (xfconfd) get the bus's environment.
        self.env["XDG_CONFIG_HOME"] = os.path.join(self.out_dir, "xfce-config")
        channel = os.path.join(self.env["XDG_CONFIG_HOME"], "xfce4/xfconf/xfce-perchannel-xml")
        os.makedirs(channel)
        with open(os.path.join(channel, "xfce4-panel.xml"), "w") as file:
            file.write(XFCE_PANEL_CONFIG)
        argv = ["dbus-daemon", "--session", "--nofork", "--print-address"]
        bus = self.start_process("dbus-daemon", argv, stdout=subprocess.PIPE)
        ready, _, _ = select.select([bus.stdout], [], [], 20)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip() * bool(ready)
        if not self.env["DBUS_SESSION_BUS_ADDRESS"]:
            raise AssertionError("dbus-daemon told no address within 20 s")
        self.start_process("xfce4-panel", ["xfce4-panel", "--disable-wm-check"])
        ping = lambda: self.gdbus(*WATCHER, "org.freedesktop.DBus.Peer.Ping")  # noqa: E731
        ps.wait_for("the StatusNotifier watcher", ping, timeout=30)

    def gdbus(self, destination, path, method, *args):
        """The answer to a method call on the session bus, "" when there is none."""
        argv = ["gdbus", "call", "--session", "-d", destination, "-o", path, "-m", method]
        return ps.run(argv + list(args), self.env, check=False).strip()

    def items(self):
        """The bus connections of the items the watcher has registered."""
        name = ("org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems")
        out = self.gdbus(*WATCHER, "org.freedesktop.DBus.Properties.Get", *name)
        return re.findall(r"'([^'/]+)/StatusNotifierItem'", out)


class StatusNotifierTest(DesktopTestCase):
    """The tray icon as a StatusNotifier item, shown by xfce4-panel's notification area; the panel
    read and worked as a screen reader does, over AT-SPI on the same session bus."""

    session_class = StatusNotifierSession

    def test_item_registers_and_a_screen_reader_starts_and_stops_a_job(self):
        self.configured(1, autocode="8")
        # A screen reader switches the desktop's accessibility on; the panel joins at its start.
        on = ("org.freedesktop.DBus.Properties.Set", "org.a11y.Status", "IsEnabled", "<true>")
        self.session.gdbus("org.a11y.Bus", "/org/a11y/bus", *on)
        self.start_panel()
        [item] = ps.wait_for("the panel's item registered", self.session.items, timeout=15)
        get = ("org.freedesktop.DBus.Properties.Get", "org.kde.StatusNotifierItem", "ToolTip")
        tooltip = self.session.gdbus(item, "/StatusNotifierItem", *get)
        self.assertIn("'   Ovix Tick-Fob '", tooltip)

        # Every control of the panel has its name, a job button its job; the job list is named by
        # its label (its own name is its text).
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = self.session.env["DBUS_SESSION_BUS_ADDRESS"]
        import pyatspi  # Debian's: it reaches the bus named above

        def panel():
            apps = [a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "Ovix_Shift-Loom"]
            return next((w for a in apps for w in a if w.name == "Ovix Shift-Loom"), None)

        controls = {c.name: c for c in ps.wait_for("the panel over AT-SPI", panel, timeout=15)}
        self.assertNotIn("", controls, "a control without a name")
        expected = [f"Time of job {n}" for n in range(1, 11)] + [f"Key {d}" for d in range(10)]
        expected += ["Job 1: SHOP    1001", "Job 2: empty", "Job 10: empty", "Job list", "IN"]
        expected += ["STOP ALL", "Total time", "Card-Warden card number", "Hide the panel"]
        self.assertEqual([name for name in expected if name not in controls], [])
        self.assertTrue(any(re.fullmatch(r"Clock \d\d:\d\d:\d\d", name) for name in controls))
        relations = controls["Add Job"].getRelationSet()
        [label] = [r for r in relations if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
        self.assertEqual(label.getTarget(0).name, "Job list")

        # The job button pressed through its action, the activity kept: a start record.
        button = controls["Job 1: SHOP    1001"]
        before = self.start_job(0, press=lambda: button.queryAction().doAction(0))
        self.assert_record(self.wait_records(1)[0], before, pe.start_tail("8", "00001001", ""))
        ps.wait_for("the button named running", lambda: button.name.endswith(", running"), 5)

        # With a tray there, the panel hides itself after a job press; activation shows it.
        self.ws.wait_hidden("five seconds after the start")
        activate = ("/StatusNotifierItem", "org.kde.StatusNotifierItem.Activate", "0", "0")
        self.assertEqual(self.session.gdbus(item, *activate), "()")
        ps.wait_for("the panel shown by the activation", self.ws.panel_visible, timeout=5)
        before = datetime.datetime.now()
        controls["STOP ALL"].queryAction().doAction(0)
        self.assert_record(self.wait_records(2)[1], before, pe.stop_tail("8"))


class WaylandSession(ps.XSession):
    """weston with XWayland, drawing into a window on Xvfb (its X11 back end: the headless back end
    has no input devices, and input sent to its XWayland server there brings that server down).
    The tools drive and read the Xvfb screen; `panel_env` is what a program of the session sees."""

    def start(self):
        super().start()
        runtime = ps.private_folder("sl-wl-")
        # No shell panel: nothing there (its launcher) to be hit by a stray click.
        with open(os.path.join(runtime, "weston.ini"), "w") as file:
            file.write("[shell]\npanel-position=none\n")
        options = "--backend=x11-backend.so --use-pixman --width=1000 --height=740 --xwayland"
        argv = ["weston"] + options.split() + ["--socket=wl-e2e", f"--config={runtime}/weston.ini"]
        env = dict(self.env, XDG_RUNTIME_DIR=runtime)
        self.weston = self.start_process("weston", argv + ["--idle-time=0"], env=env)

        def display():
            with open(os.path.join(self.out_dir, "weston.log"), errors="replace") as file:
                match = re.search(r"xserver listening on display (:\d+)", file.read())
            return match and match.group(1)

        xwayland = ps.wait_for("weston's XWayland display", display, timeout=30)
        self.panel_env = {"DISPLAY": xwayland, "WAYLAND_DISPLAY": f"{runtime}/wl-e2e"}

    def xwayland_panels(self):
        """The places of the mapped panel windows on the XWayland display."""
        env = dict(self.env, **self.panel_env)
        tree = ps.run(["xwininfo", "-root", "-tree"], env, check=False)
        found = re.findall(r'(0x[0-9a-f]+) "Ovix_Shift-Loom".* 192x395\+', tree)
        infos = [ps.run(["xwininfo", "-id", window], env, check=False) for window in found]
        place = r"Absolute upper-left [XY]:\s+(-?\d+)"
        return [re.findall(place, info) for info in infos if "IsViewable" in info]

    def panel_origin(self):
        """The panel's top left corner on the screen, found by its red X; None while not shown."""
        screen = self.grab()
        for y in range(0, ps.SCREEN_HEIGHT - ps.PANEL_SIZE[1]):
            for x in range(0, ps.SCREEN_WIDTH, 2):
                if screen(x, y) == (255, 0, 0):
                    return x - ps.CLOSE_BUTTON[0] - (screen(x - 1, y) == (255, 0, 0)), y
        return None


class WaylandTest(DesktopTestCase):
    """A Wayland session: the panel runs on XWayland there by default, natively when asked."""

    session_class = WaylandSession

    def on_screen(self, expected=None):
        """The panel's place once it is shown and still (at `expected`, when given)."""

        def found():
            at = self.session.panel_origin()
            time.sleep(0.2)
            return at if at and at == (expected or at) == self.session.panel_origin() else None

        return ps.wait_for(f"the panel on the screen at {expected or 'some place'}", found, 20)

    def test_default_on_xwayland_and_a_native_panel_dragged_until_the_compositor_ends(self):
        self.ws.env.update(self.session.panel_env)
        del self.ws.env["QT_QPA_PLATFORM"]
        self.configured(1, autocode="8", activity_num="2")
        # No input goes to the XWayland server here: under this weston it brings that server down.
        self.ws.start()
        [place] = ps.wait_for("the panel on XWayland", self.session.xwayland_panels, timeout=30)
        # A start that talks to the compositor itself is the same worker on the same display.
        self.start_more(1, QT_QPA_PLATFORM="wayland")
        self.assertEqual(self.session.xwayland_panels(), [place])
        self.end_by_sigterm()

        self.ws.start(QT_QPA_PLATFORM="wayland")
        x, y = self.on_screen()
        self.assertEqual(self.session.xwayland_panels(), [], "no X window")
        # The pointer enters weston's window from outside, so that weston's seat follows it; onto
        # the strip, press, and move once the compositor has taken the move over.
        strip_x, strip_y = x + ps.DRAG_STRIP_SPOT[0], y + ps.DRAG_STRIP_SPOT[1]
        drag = ["mousemove", ps.SCREEN_WIDTH - 2, ps.SCREEN_HEIGHT - 2, "sleep", 0.2]
        drag += ["mousemove", strip_x, strip_y, "sleep", 0.3, "mousedown", 1, "sleep", 0.5]
        drag += ["mousemove_relative", "--sync", 8, 6, "sleep", 0.1] * 5
        self.session.xdotool(*drag, "mouseup", 1)
        x, y = self.on_screen((x + 40, y + 30))

        # A job press (the activity dialog closed with Escape), then the compositor ends under it.
        before = datetime.datetime.now()
        button_x, button_y = ps.centre(ps.job_button(0))
        self.session.click_screen(x + button_x, y + button_y)
        time.sleep(1.5)
        self.session.xdotool("key", "Escape")
        self.wait_records(1)
        ps.end_group(self.session.weston)
        self.ws.wait_exit()
        self.assert_record(self.wait_records(2)[1], before, pe.stop_tail("8"))


if __name__ == "__main__":
    pe.main()
