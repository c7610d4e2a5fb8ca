# SPDX-License-Identifier: MIT
"""The panel on a private X display, driven as a worker drives it.

`XSession` starts Xvfb (on a display number the server picks itself) and the `trayer` tray host,
without a window manager, so windows stand where the programs put them and the keyboard focus
goes where xdotool sends it. `Workstation` is one worker's machine on that display: temporary
XDG folders for the panel's settings and mapped drives, a Card-Warden data store made with the
store tool, and the `shift-loom` process with its windows. Input is real: xdotool moves the
pointer, clicks and types through the XTEST extension. What the panel did is read back from the
files it writes and from the screen.

Every process started here runs in a process group of its own and is ended by that group's id,
also when a test fails; every wait has a time limit.
"""
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import time

SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768


class Failure(AssertionError):
    pass


def wait_for(what, check, timeout=10.0, interval=0.1):
    """Polls `check` until it returns something true; fails after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        result = check()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise Failure(f'{what}: not within {timeout:g} s')
        time.sleep(interval)


# Every process started and folder made here, so that a signal to the suite ends and removes them too.
_started = []
_folders = []


def _end_everything(signum, _frame):
    for process in reversed(_started):
        try:
            end_group(process, grace=2.0)
        except (OSError, subprocess.SubprocessError):
            pass
    for folder in _folders:
        shutil.rmtree(folder, ignore_errors=True)
    os._exit(128 + signum)


def install_exit_guard():
    """A suite ended from outside (ctest's timeout, Ctrl+C) still ends every process it started."""
    for number in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
        signal.signal(number, _end_everything)


def end_group(process, grace=5.0):
    """Ends a process started in a session of its own, with every process of its group."""
    if process.poll() is None:
        try:
            os.killpg(process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            process.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            pass
    # Children the leader left behind go too.
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass
    if process.poll() is None:
        process.wait(timeout=grace)


# --- The layout of the panel, in pixels at 96 dpi (the design's twips divided by 15). ---

PANEL_SIZE = (192, 395)


def job_button(slot):
    """Left, top, width, height of the job button of `slot`."""
    return (8, 116 + 24 * slot, 109, 21)


def time_box(slot):
    return (116, 116 + 24 * slot, 69, 21)


COMBO1 = (8, 68, 125, 21)
CARD_BOX = (136, 68, 49, 21)
TITLE = (44, 0, 101, 21)  # "SHIFT-LOOM"
STOP_ALL = (8, 360, 109, 25)
TOTAL_BOX = (116, 360, 69, 25)
CLOSE_BUTTON = (172, 0, 21, 21)
BACKGROUND_SPOT = (5, 100)  # covered by no control
DRAG_STRIP_SPOT = (160, 25)  # on the top strip, below the title and left of the close button

# The locate dialog and the activity dialog.
LOCATE_CANCEL = (351, 201, 61, 25)
LOCATE_OK = (352, 237, 61, 25)
LOCATE_PATH = (12, 240, 329, 21)
ACTIVITY_COMBO = (12, 16, 133, 21)

# The keyboard focus order of the panel, from its first control.
FOCUS_ORDER = (['Command1', 'Command2', 'Text1'] + [f'Command3_{d}' for d in range(10)]
               + ['Command4', 'Command5'] + [f'Command6_{i}' for i in range(5)] + ['Combo1']
               + [f'Command6_{i}' for i in range(5, 10)] + [f'Text2_{i}' for i in range(10)]
               + ['Command7', 'Text3', 'Text4', 'Command8'])


def centre(box):
    left, top, width, height = box
    return left + width // 2, top + height // 2


RUNNING_COLOUR = (0, 192, 0)


# --- Screen grabs. ---

class Image:
    """A screen grab (an XWD dump of a TrueColor screen): pixels as (red, green, blue) by x and y."""

    def __init__(self, data):
        fields = struct.unpack('>25I', data[:100])
        header_size, self.width, self.height = fields[0], fields[4], fields[5]
        byte_order, bits_per_pixel, self._bytes_per_line = fields[7], fields[11], fields[12]
        if fields[15] == 0 or bits_per_pixel not in (24, 32):
            raise Failure(f'screen grab of an unexpected kind: {bits_per_pixel} bits a pixel')
        self._masks = fields[14:17]
        self._shifts = [(m & -m).bit_length() - 1 for m in self._masks]
        self._size = bits_per_pixel // 8
        self._order = 'little' if byte_order == 0 else 'big'
        self._start = header_size + 12 * fields[19]
        self._data = data

    def pixel(self, x, y):
        at = self._start + y * self._bytes_per_line + x * self._size
        value = int.from_bytes(self._data[at:at + self._size], self._order)
        return tuple((value & mask) >> shift for mask, shift in zip(self._masks, self._shifts))

    def region(self, box):
        left, top, width, height = box
        return tuple(self.pixel(x, y) for y in range(top, top + height) for x in range(left, left + width))


# --- Settings file in the form QSettings writes it. ---

_ESCAPES = {'a': '\a', 'b': '\b', 'f': '\f', 'n': '\n', 'r': '\r', 't': '\t', 'v': '\v',
            '0': '\0', '"': '"', '\\': '\\', "'": "'", '?': '?'}


def _ini_value(raw):
    """One value of a QSettings INI file: quoted stretches, backslash escapes, a ';' comment."""
    out, i, quoted = [], 0, False
    while i < len(raw):
        c = raw[i]
        if c == '"':
            quoted = not quoted
        elif c == '\\' and i + 1 < len(raw):
            i += 1
            e = raw[i]
            if e == 'x':
                digits = re.match(r'[0-9a-fA-F]{1,4}', raw[i + 1:])
                out.append(chr(int(digits.group(0), 16)))
                i += len(digits.group(0))
            elif e in _ESCAPES:
                out.append(_ESCAPES[e])
        elif c == ';' and not quoted:
            break
        else:
            out.append(c)
        i += 1
    text = ''.join(out)
    if not raw.lstrip().startswith('"'):
        text = text.strip()
    return text[1:] if text.startswith('@@') else text


def read_settings(path):
    """The [Properties] group of the panel's settings file, {} when there is no file."""
    if not os.path.exists(path):
        return {}
    group, values = None, {}
    with open(path, encoding='utf-8') as file:
        for line in file:
            line = line.rstrip('\r\n')
            if line.startswith('['):
                group = line.strip()[1:-1]
            elif '=' in line and group == 'Properties':
                key, raw = line.split('=', 1)
                values[key.strip()] = _ini_value(raw)
    return values


def write_settings(path, values):
    """Writes the panel's settings file, every value quoted, UTF-8."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'w', encoding='utf-8') as file:
        file.write('[Properties]\n')
        for key, value in values.items():
            escaped = value.replace('\\', '\\\\').replace('"', '\\"')
            file.write(f'{key}="{escaped}"\n')


# --- Time records. ---

def split_records(data):
    """The lines of a data file; each must end with CR LF."""
    if not data:
        return []
    if not data.endswith(b'\r\n'):
        raise Failure(f'data file does not end with CR LF: {data[-40:]!r}')
    lines = data[:-2].split(b'\r\n')
    return [line.decode('ascii') for line in lines]


def check_stamp(line, before, after):
    """The date and time of a record (to the minute) lie between `before` and `after`."""
    stamp = line[2:14]
    earliest = before.strftime('%Y%m%d%H%M')
    latest = after.strftime('%Y%m%d%H%M')
    if not earliest <= stamp <= latest:
        raise Failure(f'record {line!r} carries {stamp}, not between {earliest} and {latest}')


# --- The X display. ---

TREE_LINE = re.compile(r'^(\s*)(0x[0-9a-f]+) (?:"([^"]*)"|\(has no name\)): \(([^)]*)\)\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)'
                       r'\s+\+(-?\d+)\+(-?\d+)')


class XSession:
    """Xvfb and trayer (or no tray host), with the tools that drive and read the display."""

    def __init__(self, out_dir, tray=True):
        self.out_dir = out_dir
        self.with_tray = tray
        shutil.rmtree(out_dir, ignore_errors=True)
        os.makedirs(out_dir)
        self.processes = []
        self.env = dict(os.environ)
        # No session bus: Qt then uses the XEmbed tray protocol, which trayer speaks.
        for name in ('DBUS_SESSION_BUS_ADDRESS', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORMTHEME', 'QT_SCALE_FACTOR',
                     'QT_SCREEN_SCALE_FACTORS', 'QT_AUTO_SCREEN_SCALE_FACTOR', 'QT_FONT_DPI'):
            self.env.pop(name, None)
        self.env['QT_QPA_PLATFORM'] = 'xcb'
        self.env['LC_ALL'] = 'C.UTF-8'
        self._displayfd = None

    def log_file(self, name):
        return open(os.path.join(self.out_dir, name + '.log'), 'ab')

    def start_process(self, name, argv, env=None, **kwargs):
        with self.log_file(name) as log:
            process = subprocess.Popen(argv, env=env or self.env, stdin=subprocess.DEVNULL,
                                       stdout=kwargs.pop('stdout', log), stderr=log, start_new_session=True,
                                       **kwargs)
        self.processes.append(process)
        _started.append(process)
        return process

    def start(self):
        read_end, write_end = os.pipe()
        try:
            with self.log_file('Xvfb') as log:
                # -noreset: the server would otherwise start over each time its last client
                # leaves, as every xdotool call does.
                xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(write_end), '-screen', '0',
                                         f'{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24', '-dpi', '96', '-nolisten', 'tcp',
                                         '-noreset'], pass_fds=[write_end], stdin=subprocess.DEVNULL, stdout=log,
                                        stderr=log, start_new_session=True)
            self.processes.append(xvfb)
            _started.append(xvfb)
        finally:
            os.close(write_end)
        self._displayfd = read_end
        ready, _, _ = select.select([read_end], [], [], 30)
        number = os.read(read_end, 64).decode().strip() if ready else ''
        if not number.isdigit():
            raise Failure(f'Xvfb reported no display number within 30 s ({number!r})')
        self.env['DISPLAY'] = ':' + number
        if self.with_tray:
            self.start_tray()

    def start_tray(self):
        tray = self.start_process('trayer', ['trayer', '--edge', 'bottom', '--align', 'right', '--widthtype', 'request',
                                      '--height', '32', '--transparent', 'false', '--tint', '0x404040',
                                      '--SetDockType', 'true', '--expand', 'true'])
        wait_for('the trayer panel', lambda: any(w['name'] == 'panel' for w in self.tree()), timeout=20)
        return tray

    def stop(self):
        for process in reversed(self.processes):
            end_group(process)
        self.processes = []
        if self._displayfd is not None:
            os.close(self._displayfd)
            self._displayfd = None

    def run(self, argv, timeout=20, check=False):
        result = subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=timeout,
                                stdin=subprocess.DEVNULL)
        if check and result.returncode != 0:
            raise Failure(f'{" ".join(argv)} failed ({result.returncode}): {result.stderr.strip()}')
        return result

    def xdotool(self, *args):
        return self.run(['xdotool'] + [str(a) for a in args], check=True).stdout

    # Windows.

    def visible_windows(self, pid):
        """The ids of the mapped windows of a process."""
        result = self.run(['xdotool', 'search', '--onlyvisible', '--pid', str(pid)])
        return [int(w) for w in result.stdout.split()]

    def geometry(self, window):
        """x, y, width, height of a window on the screen."""
        out = self.run(['xwininfo', '-id', str(window)]).stdout
        values = {}
        for key, label in (('x', 'Absolute upper-left X'), ('y', 'Absolute upper-left Y'),
                           ('w', 'Width'), ('h', 'Height')):
            match = re.search(r'^\s*' + label + r':\s+(-?\d+)', out, re.M)
            if not match:
                return None
            values[key] = int(match.group(1))
        return values['x'], values['y'], values['w'], values['h']

    def window_name(self, window):
        return self.run(['xdotool', 'getwindowname', str(window)]).stdout.rstrip('\n')

    def windows_named(self, name):
        """Mapped windows whose title is exactly `name`."""
        result = self.run(['xdotool', 'search', '--onlyvisible', '--name', '^' + re.escape(name) + '$'])
        return [int(w) for w in result.stdout.split()]

    def tree(self):
        """Every window as a dict: id, name, class, width, height, x, y, ancestors (their names)."""
        out = self.run(['xwininfo', '-root', '-tree']).stdout
        windows, stack = [], []
        for line in out.splitlines():
            match = TREE_LINE.match(line)
            if not match:
                continue
            depth = len(match.group(1))
            while stack and stack[-1][0] >= depth:
                stack.pop()
            name = match.group(3) or ''
            windows.append({'id': int(match.group(2), 16), 'name': name, 'class': match.group(4),
                            'width': int(match.group(5)), 'height': int(match.group(6)),
                            'x': int(match.group(9)), 'y': int(match.group(10)),
                            'ancestors': [w[1] for w in stack]})
            stack.append((depth, name))
        return windows

    def tray_icons(self, class_part):
        """Icon windows embedded in trayer's panel whose class holds `class_part`."""
        return [w for w in self.tree()
                if class_part in w['class'] and 'panel' in w['ancestors'] and w['width'] > 1]

    # Input.

    def click(self, window, x, y, button=1, repeat=1):
        args = ['mousemove', '--window', window, x, y, 'click']
        if repeat > 1:
            args += ['--repeat', repeat, '--delay', 80]
        self.xdotool(*args, button)

    def click_screen(self, x, y, button=1):
        self.xdotool('mousemove', x, y, 'click', button)

    def focus(self, window):
        self.xdotool('windowfocus', '--sync', window)

    def keys(self, window, *keys, delay=40):
        """Keys to `window`: it gets the input focus first, then the keys go through XTEST."""
        self.focus(window)
        self.xdotool('key', '--delay', delay, *keys)

    def type_text(self, window, text):
        self.focus(window)
        self.xdotool('type', '--delay', 40, text)

    # The screen.

    def grab(self):
        """The whole screen. A grab can fail while a window is being mapped or unmapped; it is tried again."""
        for attempt in range(3):
            result = subprocess.run(['xwd', '-root', '-silent'], env=self.env, capture_output=True, timeout=30,
                                    stdin=subprocess.DEVNULL)
            if result.returncode == 0:
                return Image(result.stdout)
            error = result.stderr.decode(errors='replace').strip()
            print(f'xwd failed ({result.returncode}): {error}')
            time.sleep(0.2)
        raise Failure(f'no screen grab: xwd failed three times, last with: {error}')

    def screenshot(self, name, box=None):
        """Saves the screen, or the part `box` (x, y, width, height), as name.png in the output folder."""
        path = os.path.join(self.out_dir, name + '.png')
        argv = ['import', '-window', 'root']
        if box:
            x, y, w, h = box
            argv += ['-crop', f'{w}x{h}+{x}+{y}', '+repage']
        self.run(argv + [path], timeout=30, check=True)
        return path


class Workstation:
    """One worker's machine on the display: XDG folders, a data store, the panel process."""

    def __init__(self, session, panel_bin, tool_bin, name):
        self.session = session
        self.panel_bin = panel_bin
        self.tool_bin = tool_bin
        self.name = name
        self.root = tempfile.mkdtemp(prefix=f'shiftloom-e2e-{name}-')
        _folders.append(self.root)
        self.config_home = os.path.join(self.root, 'config')
        self.data_home = os.path.join(self.root, 'xdg-data')
        self.state_home = os.path.join(self.root, 'xdg-state')
        for folder in (self.config_home, self.data_home, self.state_home):
            os.makedirs(folder, mode=0o700)
        # Short, as /run/user/UID is: the panel's local socket lies there, and a socket's path is
        # limited to 107 bytes.
        self.runtime_dir = tempfile.mkdtemp(prefix='sl-run-')
        _folders.append(self.runtime_dir)
        self.store = os.path.join(self.root, 'cardwarden')
        self.env = dict(session.env)
        self.env.update(XDG_CONFIG_HOME=self.config_home, XDG_DATA_HOME=self.data_home,
                        XDG_RUNTIME_DIR=self.runtime_dir, XDG_STATE_HOME=self.state_home)
        self.process = None
        self.panel = None
        self.runs = 0

    @property
    def settings_file(self):
        return os.path.join(self.config_home, 'Ovix_Shift-Loom.conf')

    @property
    def buffer_file(self):
        return os.path.join(self.data_home, 'Ovix_Shift-Loom', 'drive_c', 'data')

    @property
    def data_file(self):
        return os.path.join(self.store, 'data')

    def close(self):
        self.stop()
        shutil.rmtree(self.root, ignore_errors=True)
        shutil.rmtree(self.runtime_dir, ignore_errors=True)

    # The store tool.

    def tool(self, *args):
        result = subprocess.run([self.tool_bin] + list(args), env=self.env, capture_output=True, text=True,
                                timeout=30, stdin=subprocess.DEVNULL)
        if result.returncode != 0:
            raise Failure(f'shift-loom-store {" ".join(args)}: {result.returncode} {result.stderr.strip()}')
        return result.stdout

    def make_store(self, jobs_csv=None, activities=None, folder=None):
        folder = folder or self.store
        args = ['init', folder, '--force']
        if jobs_csv is not None:
            path = os.path.join(self.root, 'jobs.csv')
            with open(path, 'w', encoding='utf-8') as file:
                file.write(jobs_csv)
            args += ['--jobs', path]
        if activities is not None:
            path = os.path.join(self.root, 'activities.txt')
            with open(path, 'wb') as file:
                file.write(activities.encode('cp1252'))
            args += ['--activities', path]
        self.tool(*args)
        return folder

    def job_lines(self):
        return self.tool('jobs', self.store).split('\n')[:-1]

    # Files.

    def settings(self):
        return read_settings(self.settings_file)

    def write_settings(self, values):
        write_settings(self.settings_file, values)

    def records(self, path=None):
        path = path or self.data_file
        if not os.path.exists(path):
            return []
        with open(path, 'rb') as file:
            return split_records(file.read())

    # The panel.

    def start(self):
        """Starts the panel as a worker's session starts it: no arguments."""
        self.runs += 1
        self.panel = None
        self.process = self.session.start_process(f'{self.name}-shift-loom-{self.runs}', [self.panel_bin],
                                                  env=self.env)
        return self.process

    def stop(self):
        if self.process is not None:
            end_group(self.process)

    def windows(self):
        """The mapped windows of the panel process but its tray icon (which may show for a moment
        before trayer has taken it in)."""
        icons = {w['id'] for w in self.session.tray_icons('shift-loom')}
        windows = []
        for window in self.session.visible_windows(self.process.pid):
            geometry = self.session.geometry(window)
            if window in icons or (geometry and geometry[2] <= 48 and geometry[3] <= 48):
                continue
            windows.append(window)
        return windows

    def find_window(self, name, timeout=20.0):
        """The one mapped window of the process titled `name`."""
        def found():
            for window in self.session.visible_windows(self.process.pid):
                if self.session.window_name(window) == name:
                    return window
            if self.process.poll() is not None:
                raise Failure(f'the panel ended ({self.process.returncode}) before a window "{name}" showed')
            return None
        return wait_for(f'window "{name}" of the panel', found, timeout=timeout)

    def wait_panel(self, timeout=30.0):
        """The panel's main window, once mapped: the borderless 192 x 395 window of the process."""
        def found():
            for window in self.windows():
                geometry = self.session.geometry(window)
                if geometry and geometry[2:] == PANEL_SIZE:
                    return window
            if self.process.poll() is not None:
                raise Failure(f'the panel ended ({self.process.returncode}) before its window showed')
            return None
        self.panel = wait_for('the panel window', found, timeout=timeout)
        # The first paint follows the map.
        time.sleep(0.5)
        return self.panel

    def mapped(self):
        """The mapped windows of the panel process, its tray icon included: one quick look."""
        return self.session.visible_windows(self.process.pid)

    def panel_visible(self):
        return self.panel in self.session.visible_windows(self.process.pid)

    def tray_icon(self, timeout=15.0):
        return wait_for('the panel\'s icon in the tray', lambda: next(iter(self.session.tray_icons('shift-loom')),
                                                                           None), timeout=timeout)

    def show_panel(self):
        """Brings the panel back through the tray icon when it has hidden itself (it does so five
        seconds after a job starts, which a slow machine may reach in the middle of a flow)."""
        if not self.panel_visible():
            self.click_tray_icon()
            wait_for('the panel back from the tray', self.panel_visible, timeout=5.0)
            time.sleep(0.3)

    def wait_exit(self, timeout=10.0):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f'the panel did not end within {timeout:g} s') from None

    def panel_geometry(self):
        return self.session.geometry(self.panel)

    def click(self, box_or_point, window=None, button=1, repeat=1):
        point = centre(box_or_point) if len(box_or_point) == 4 else box_or_point
        self.session.click(window or self.panel, point[0], point[1], button=button, repeat=repeat)

    def click_tray_icon(self):
        icon = self.tray_icon()
        self.session.click_screen(icon['x'] + icon['width'] // 2, icon['y'] + icon['height'] // 2)

    def screenshot(self, name, window=None):
        """A picture of one window (the panel unless told), cropped to it."""
        window = window or self.panel
        return self.session.screenshot(name, self.session.geometry(window))

    def panel_pixel(self, x, y, image=None):
        image = image or self.session.grab()
        left, top, _, _ = self.panel_geometry()
        return image.pixel(left + x, top + y)

    def panel_region(self, box, image=None):
        image = image or self.session.grab()
        left, top, _, _ = self.panel_geometry()
        return image.region((left + box[0], top + box[1], box[2], box[3]))

    def button_colour(self, slot, image=None):
        """The back colour of a job button, read inside its raised edge, left of its caption."""
        left, top, _, height = job_button(slot)
        return self.panel_pixel(left + 5, top + height // 2, image)


class Keypad:
    """Keys on the panel by the keyboard alone: Tab and Shift+Tab walk the focus order, Space presses.

    The focus starts on the hidden "IN" button when the panel first shows; the helper keeps track of
    where it is.
    """

    def __init__(self, workstation, at='Command1'):
        self.ws = workstation
        self.at = FOCUS_ORDER.index(at)

    def go(self, control):
        target = FOCUS_ORDER.index(control)
        steps = target - self.at
        if steps:
            key = 'Tab' if steps > 0 else 'shift+Tab'
            self.ws.session.keys(self.ws.panel, *([key] * abs(steps)))
        self.at = target

    def press(self, control):
        self.go(control)
        self.ws.session.keys(self.ws.panel, 'space')

    def key_in(self, digits):
        for digit in digits:
            self.press(f'Command3_{digit}')
