# SPDX-License-Identifier: MIT
"""The panel on a private X display (Xvfb, with or without the trayer tray host, no window
manager), driven through XTEST as a worker drives it, for one worker's machine (`Workstation`):
temporary XDG folders, a data store made by the store tool, and the `shift-loom` process. Every
process runs in a process group of its own, ended by its id also when the suite is ended."""
import os
import pathlib
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time

SCREEN_WIDTH, SCREEN_HEIGHT = 1024, 768
_started, _folders = [], []  # for the exit guard


def wait_for(what, check, timeout=10.0):
    """Polls `check` until it returns something true; fails after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while not (result := check()):
        if time.monotonic() >= deadline:
            raise AssertionError(f"{what() if callable(what) else what}: not within {timeout:g} s")
        time.sleep(0.1)
    return result


def run(argv, env, check=True):
    """The output of a short command; a failure fails the test when `check`."""
    result = subprocess.run(argv, env=env, capture_output=True, text=True, timeout=30)
    if check and result.returncode != 0:
        raise AssertionError(
            f"{' '.join(argv)} failed ({result.returncode}): {result.stderr.strip()}"
        )
    return result.stdout


def end_group(process, grace=5.0):
    """Ends a process started in a session of its own, and every process left in its group."""
    for number in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(process.pid, number)
            process.wait(timeout=grace)
        except (ProcessLookupError, PermissionError, subprocess.TimeoutExpired):
            pass


def _end_everything(signum, _frame):
    for process in reversed(_started):
        end_group(process, grace=2.0)
    for folder in _folders:
        shutil.rmtree(folder, ignore_errors=True)
    os._exit(128 + signum)


def install_exit_guard():
    """A suite ended from outside (ctest's timeout, Ctrl+C) still ends every process it started."""
    for number in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
        signal.signal(number, _end_everything)


def private_folder(prefix):
    return _folders.append(tempfile.mkdtemp(prefix=prefix)) or _folders[-1]


# The layout of the panel, in pixels at 96 dpi.
PANEL_SIZE = (192, 395)
JOB_LIST = (8, 68, 125, 21)
STOP_ALL = (8, 360, 109, 25)
TOTAL_BOX = (116, 360, 69, 25)
CLOSE_BUTTON = (172, 0, 21, 21)
DRAG_STRIP_SPOT = (160, 25)  # on the top strip, below the title and left of the close button
LOCATE_CANCEL = (351, 201, 61, 25)
ACTIVITY_COMBO = (12, 16, 133, 21)
RUNNING_COLOUR = (0, 192, 0)
# The start of the keyboard focus order, by what a screen reader names each control: the hidden
# IN key, STOP ALL, the keypad's echo, the digit keys.
FOCUS_ORDER = ["IN", "STOP ALL", "Keypad entry"] + [f"Key {d}" for d in range(10)]


def job_button(slot, time_box=False):
    return (116, 116 + 24 * slot, 69, 21) if time_box else (8, 116 + 24 * slot, 109, 21)


def centre(box):
    return box[0] + box[2] // 2, box[1] + box[3] // 2


def arrow_of(combo):
    return combo[0] + combo[2] - 8, combo[1] + combo[3] // 2


def records(path):
    """The lines of a data file, each of which must end with CR LF; [] when there is no file. For
    the offline buffer's folder, the records of its files in their order."""
    if os.path.isdir(path):
        return [r for name in sorted(os.listdir(path)) if not name.startswith(".") for r in records(os.path.join(path, name))]
    data = pathlib.Path(path).read_bytes() if os.path.exists(path) else b""
    if data and not data.endswith(b"\r\n"):
        raise AssertionError(f"{path} does not end with CR LF: {data[-40:]!r}")
    return [line.decode("ascii") for line in data[:-2].split(b"\r\n")] if data else []


class XSession:
    """Xvfb and trayer (or no tray host), with the tools that drive and read the display."""

    def __init__(self, out_dir, tray=True):
        self.out_dir, self.with_tray, self.processes = out_dir, tray, []
        shutil.rmtree(out_dir, ignore_errors=True)
        os.makedirs(out_dir)
        self.env = dict(os.environ, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8")
        # No session bus: Qt then uses the XEmbed tray protocol, which trayer speaks.
        for name in ("DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY", "QT_QPA_PLATFORMTHEME"):
            self.env.pop(name, None)

    def start_process(self, name, argv, env=None, **kwargs):
        with open(os.path.join(self.out_dir, name + ".log"), "ab") as log:
            options = dict(stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
            process = subprocess.Popen(argv, env=env or self.env, **{**options, **kwargs})
        self.processes.append(process)
        _started.append(process)
        return process

    def start(self):
        self._displayfd, write_end = os.pipe()  # open while the server runs: it may write again
        # -noreset: the server would otherwise start over each time its last client leaves.
        options = f"-screen 0 {SCREEN_WIDTH}x{SCREEN_HEIGHT}x24 -dpi 96 -nolisten tcp -noreset"
        argv = ["Xvfb", "-displayfd", str(write_end)] + options.split()
        self.start_process("Xvfb", argv, pass_fds=[write_end])
        os.close(write_end)
        ready, _, _ = select.select([self._displayfd], [], [], 30)
        number = os.read(self._displayfd, 64).decode().strip() if ready else ""
        if not number.isdigit():
            raise AssertionError(f"Xvfb reported no display number within 30 s ({number!r})")
        self.env["DISPLAY"] = ":" + number
        if self.with_tray:
            self.start_tray()

    def start_tray(self):
        options = "--edge bottom --align right --widthtype request --height 32 --transparent false"
        self.start_process("trayer", ["trayer"] + options.split() + ["--SetDockType", "true"])
        search = ["xdotool", "search", "--onlyvisible", "--name", "^panel$"]
        wait_for("the trayer panel", lambda: run(search, self.env, check=False), timeout=20)

    def stop(self):
        for process in reversed(self.processes):
            end_group(process)
        os.close(self._displayfd)

    def xdotool(self, *args):
        return run(["xdotool"] + [str(a) for a in args], self.env)

    def geometry(self, window):
        """x, y, width, height of a window on the screen; (0, 0, 0, 0) once it is gone."""
        out = run(["xwininfo", "-id", str(window)], self.env, check=False)
        labels = ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")
        values = [re.search(r"^\s*" + label + r":\s+(-?\d+)", out, re.M) for label in labels]
        return (0, 0, 0, 0) if None in values else tuple(int(v.group(1)) for v in values)

    def click_screen(self, x, y):
        self.xdotool("mousemove", x, y, "click", 1)

    def keys(self, window, *keys):
        """Keys to `window`: it gets the input focus first, then the keys go through XTEST."""
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("key", "--delay", 40, *keys)

    def grab(self):
        """The screen as a function of x and y giving (red, green, blue)."""
        argv = ["import", "-window", "root", "-depth", "8", "rgb:-"]
        data = subprocess.run(argv, env=self.env, capture_output=True, timeout=30).stdout
        at = lambda x, y: 3 * (y * SCREEN_WIDTH + x)  # noqa: E731
        return lambda x, y: tuple(data[at(x, y) : at(x, y) + 3])


class Workstation:
    """One worker's machine on the display: XDG folders, a data store, the panel process."""

    def __init__(self, session, panel_bin, tool_bin, name):
        self.session, self.panel_bin, self.tool_bin, self.name = session, panel_bin, tool_bin, name
        self.root = private_folder(f"shiftloom-e2e-{name}-")
        # Short, as /run/user/UID is: the panel's local socket lies there (at most 107 bytes).
        self.runtime_dir = private_folder("sl-run-")
        # A fresh account: an empty home, XDG folders of its own, and the machine's configuration
        # folders its own too (none of the real /etc/xdg).
        self.home = f"{self.root}/home"
        xdg = {f"XDG_{k}_HOME": f"{self.root}/{k.lower()}" for k in ("CONFIG", "DATA", "STATE", "CACHE")}
        for folder in [self.home, *xdg.values()]:
            os.makedirs(folder, mode=0o700)
        self.env = dict(session.env, HOME=self.home, XDG_RUNTIME_DIR=self.runtime_dir, **xdg)
        self.env["XDG_CONFIG_DIRS"] = f"{self.root}/machine-config"
        self.settings_file = os.path.join(xdg["XDG_CONFIG_HOME"], "Ovix_Shift-Loom.conf")
        self.buffer = os.path.join(xdg["XDG_STATE_HOME"], "Ovix_Shift-Loom", "buffer")
        self.store = os.path.join(self.root, "cardwarden")
        self.data_file = os.path.join(self.store, "data")
        self.process = self.panel = None

    def close(self):
        if self.process is not None:
            end_group(self.process)
        shutil.rmtree(self.root, ignore_errors=True)
        shutil.rmtree(self.runtime_dir, ignore_errors=True)

    def make_store(self, jobs_csv, activities, folder=None):
        """A data store made by the store tool; the lines of its job file."""
        folder = folder or self.store
        jobs, listed = f"{self.root}/jobs.csv", f"{self.root}/activities.txt"
        pathlib.Path(jobs).write_text(jobs_csv, encoding="utf-8")
        pathlib.Path(listed).write_bytes(activities.encode("cp1252"))
        init = ["init", folder, "--force", "--jobs", jobs, "--activities", listed]
        run([self.tool_bin, *init], self.env)
        return run([self.tool_bin, "jobs", folder], self.env).split("\n")[:-1]

    def settings(self):
        """The settings file as the panel left it, "" while there is none."""
        exists = os.path.exists(self.settings_file)
        return open(self.settings_file, encoding="utf-8").read() if exists else ""

    def write_settings(self, values):
        """Writes the panel's settings file, every value quoted."""
        os.makedirs(os.path.dirname(self.settings_file), exist_ok=True)
        with open(self.settings_file, "w", encoding="utf-8") as file:
            file.write("[Properties]\n" + "".join(f'{k}="{v}"\n' for k, v in values.items()))

    def start(self, **env):
        """Starts the panel as a worker's session starts it: no arguments."""
        self.panel = None
        name = f"{self.name}-shift-loom-{len(self.session.processes)}"
        self.process = self.session.start_process(name, [self.panel_bin], env=dict(self.env, **env))

    def mapped(self):
        """The mapped windows of the panel process, its tray icon included: one quick look."""
        argv = ["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)]
        return [int(w) for w in run(argv, self.session.env, check=False).split()]

    def find_window(self, name=None, size=None, timeout=20.0):
        """The mapped window of the process titled `name` (or of `size`), once it shows."""

        def found():
            for window in self.mapped():
                looks = self.window_name(window) if name else self.session.geometry(window)[2:]
                if looks == (name or size):
                    return window
            if self.process.poll() is not None:
                raise AssertionError(f"the panel ended ({self.process.returncode}) first")

        return wait_for(f"window {name or size} of the panel", found, timeout=timeout)

    def window_name(self, window):
        return run(["xdotool", "getwindowname", str(window)], self.session.env, check=False).strip()

    def wait_panel(self):
        """The panel's main window, once mapped and painted."""
        self.panel = self.find_window(size=PANEL_SIZE, timeout=30.0)
        time.sleep(0.5)  # the first paint follows the map
        return self.panel

    def window_names(self):
        """The titles of the mapped windows of the process but its (perhaps not yet docked) icon."""
        return [self.window_name(w) for w in self.mapped() if self.session.geometry(w)[2] > 48]

    def panel_visible(self):
        return self.panel in self.mapped()

    def wait_hidden(self, why, timeout=9.0):
        wait_for(f"the panel hidden ({why})", lambda: not self.panel_visible(), timeout=timeout)

    def tray_icon(self):
        """x, y, width, height of the panel's icon, once trayer (along the bottom edge) holds it."""

        def docked():
            places = [self.session.geometry(w) for w in self.mapped()]
            return [p for p in places if 0 < p[2] <= 48 and p[1] >= SCREEN_HEIGHT - 32]

        return wait_for("the panel's icon in the tray", docked)[0]

    def show_panel(self):
        # A slow machine may reach the auto-hide, five seconds after a job starts, mid-flow.
        if not self.panel_visible():
            self.session.click_screen(*centre(self.tray_icon()))
            wait_for("the panel back from the tray", self.panel_visible, timeout=5.0)
            time.sleep(0.3)

    def wait_exit(self, timeout=10.0):
        return self.process.wait(timeout=timeout)

    def click(self, box_or_point, window=None):
        x, y = centre(box_or_point) if len(box_or_point) == 4 else box_or_point
        self.session.xdotool("mousemove", "--window", window or self.panel, x, y, "click", 1)

    def panel_pixels(self, box, screen=None):
        """The pixels of a part of the panel, from `screen` or a new grab."""
        screen = screen or self.session.grab()
        left, top, _, _ = self.session.geometry(self.panel)
        x0, y0, w, h = box
        return tuple(
            screen(left + x, top + y) for y in range(y0, y0 + h) for x in range(x0, x0 + w)
        )

    def button_colour(self, slot, screen=None):
        """The back colour of a job button, read inside its raised edge, left of its caption."""
        left, top, _, height = job_button(slot)
        return self.panel_pixels((left + 5, top + height // 2, 1, 1), screen)[0]
