#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The tray icon on a real X display.

Starts a private Xvfb (on a display number the server picks itself) and the `trayer` system tray,
without a window manager, so that window positions are the program's own; runs the probe program, which shows the program icon
in the tray through the Qt backend; checks that the icon window is embedded in the tray, clicks it
with xdotool and expects the probe to report LeftClick and RightClick; takes screenshots of the
tray and of the about box; removes the icon and checks that it is gone. Every process it starts
is ended by its PID at the end, also on failure, and every wait has a time limit.

Usage: tray_x11_test.py --probe PATH --out FOLDER
"""
import argparse
import os
import queue
import re
import select
import shutil
import signal
import subprocess
import sys
import threading
import time

PROBE_NAME = 'tray_x11_probe'


class Failure(Exception):
    pass


class Session:
    def __init__(self, out_dir):
        self.out_dir = out_dir
        self.processes = []  # (name, Popen), in start order
        self.env = dict(os.environ)
        # No session bus: Qt then uses the XEmbed tray protocol, which trayer speaks.
        self.env.pop('DBUS_SESSION_BUS_ADDRESS', None)
        self.env['QT_QPA_PLATFORM'] = 'xcb'
        self.env.pop('WAYLAND_DISPLAY', None)

    def start(self, name, argv, **kwargs):
        log = open(os.path.join(self.out_dir, name + '.log'), 'wb')
        process = subprocess.Popen(argv, env=self.env, stdout=kwargs.pop('stdout', log), stderr=log,
                                   start_new_session=True, **kwargs)
        self.processes.append((name, process))
        return process

    def start_xvfb(self):
        read_end, write_end = os.pipe()
        log = open(os.path.join(self.out_dir, 'Xvfb.log'), 'wb')
        # -noreset: the server would otherwise start over (and write its number again) each time
        # its last client leaves, as every xwininfo and xdotool call does.
        process = subprocess.Popen(['Xvfb', '-displayfd', str(write_end), '-screen', '0', '800x600x24',
                                    '-nolisten', 'tcp', '-noreset'], pass_fds=[write_end], stdout=log, stderr=log,
                                   start_new_session=True)
        self.processes.append(('Xvfb', process))
        os.close(write_end)
        ready, _, _ = select.select([read_end], [], [], 20)
        if not ready:
            raise Failure('Xvfb did not report its display within 20 s')
        number = os.read(read_end, 64).decode().strip()
        self.displayfd = read_end  # kept open while the server runs
        if not number.isdigit():
            raise Failure(f'Xvfb reported no display number ({number!r})')
        self.env['DISPLAY'] = ':' + number
        return ':' + number

    def run(self, argv, timeout=20):
        return subprocess.run(argv, env=self.env, capture_output=True, text=True, timeout=timeout)

    def stop_all(self):
        if getattr(self, 'displayfd', None) is not None:
            os.close(self.displayfd)
            self.displayfd = None
        for name, process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(timeout=5)


class Probe:
    """The probe program, with its standard output read line by line on a thread."""

    def __init__(self, session, path):
        self.process = session.start(PROBE_NAME, [path], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.process.stdout:
            self.lines.put(raw.decode(errors='replace').rstrip('\n'))

    def send(self, command):
        self.process.stdin.write((command + '\n').encode())
        self.process.stdin.flush()

    def expect(self, wanted, timeout=10):
        deadline = time.monotonic() + timeout
        seen = []
        while time.monotonic() < deadline:
            try:
                line = self.lines.get(timeout=max(0.05, deadline - time.monotonic()))
            except queue.Empty:
                break
            seen.append(line)
            if line == wanted:
                return seen
        raise Failure(f'probe did not say {wanted!r} within {timeout} s; it said {seen}')

    def expect_nothing(self, seconds):
        time.sleep(seconds)
        extra = []
        while not self.lines.empty():
            extra.append(self.lines.get_nowait())
        return extra


def wait_for(what, check, timeout=10, interval=0.1):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = check()
        if result:
            return result
        time.sleep(interval)
    raise Failure(f'{what}: not within {timeout} s')


TREE_LINE = re.compile(r'^(\s*)(0x[0-9a-f]+) (?:"([^"]*)"|\(has no name\)): \(([^)]*)\)\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\+(-?\d+)\+(-?\d+)')


def window_tree(session):
    """Every window as (depth, id, name, class, width, height, absolute x, absolute y, ancestors' names)."""
    out = session.run(['xwininfo', '-root', '-tree']).stdout
    windows, stack = [], []
    for line in out.splitlines():
        match = TREE_LINE.match(line)
        if not match:
            continue
        depth = len(match.group(1))
        while stack and stack[-1][0] >= depth:
            stack.pop()
        name = match.group(3) or ''
        windows.append({'id': match.group(2), 'name': name, 'class': match.group(4),
                        'width': int(match.group(5)), 'height': int(match.group(6)),
                        'x': int(match.group(9)), 'y': int(match.group(10)),
                        'ancestors': [w[1] for w in stack]})
        stack.append((depth, name))
    return windows


def tray_icon(session):
    """The probe's icon window embedded in trayer's panel, or None."""
    for window in window_tree(session):
        if PROBE_NAME in window['class'] and 'panel' in window['ancestors']:
            return window
    return None


def screenshot(session, path, crop=None):
    argv = ['import', '-window', 'root']
    if crop:
        argv += ['-crop', crop, '+repage']
    argv.append(path)
    result = session.run(argv, timeout=30)
    if result.returncode != 0:
        print(f'screenshot {path} failed: {result.stderr.strip()}')
    else:
        print(f'screenshot: {path}')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--probe', required=True)
    parser.add_argument('--out', required=True)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    have_import = shutil.which('import') is not None

    session = Session(args.out)
    try:
        display = session.start_xvfb()
        print(f'Xvfb on {display}')
        session.start('trayer', ['trayer', '--edge', 'top', '--align', 'right', '--widthtype', 'request',
                                 '--height', '32', '--transparent', 'false', '--tint', '0x404040',
                                 '--SetDockType', 'true', '--expand', 'true'])
        wait_for('trayer panel', lambda: any(w['name'] == 'panel' for w in window_tree(session)))

        probe = Probe(session, args.probe)
        probe.expect('shown ok')
        icon = wait_for('icon window in the tray', lambda: tray_icon(session))
        print(f"icon window {icon['id']} {icon['width']}x{icon['height']} at {icon['x']},{icon['y']}")
        if icon['width'] < 8 or icon['height'] < 8:
            raise Failure(f'icon window too small: {icon}')

        x = icon['x'] + icon['width'] // 2
        y = icon['y'] + icon['height'] // 2
        session.run(['xdotool', 'mousemove', '--sync', str(x), str(y)])
        if have_import:
            time.sleep(0.3)
            screenshot(session, os.path.join(args.out, 'tray.png'), f"160x40+{800 - 160}+0")
        session.run(['xdotool', 'click', '1'])
        probe.expect('LeftClick')
        extra = probe.expect_nothing(0.3)
        if extra:
            raise Failure(f'one left click raised more than one event: {extra}')
        session.run(['xdotool', 'click', '3'])
        probe.expect('RightClick')

        probe.send('about')
        probe.expect('about shown')
        about = wait_for('about box window',
                         lambda: next((w for w in window_tree(session) if w['name'] == 'About Ovix_Shift-Loom'), None))
        print(f"about box {about['width']}x{about['height']} at {about['x']},{about['y']}")
        if (about['width'], about['height']) != (382, 155):
            raise Failure(f'about box client area is {about["width"]}x{about["height"]}, expected 382x155')
        if have_import:
            time.sleep(0.5)
            screenshot(session, os.path.join(args.out, 'about-box.png'), '420x220+130+90')
            screenshot(session, os.path.join(args.out, 'screen.png'))

        probe.send('hide')
        probe.expect('hidden ok')
        wait_for('icon removed from the tray', lambda: tray_icon(session) is None)
        probe.send('quit')
        wait_for('probe to end', lambda: probe.process.poll() is not None)
        print('tray icon shown, clicked (left and right) and removed on a real X display')
        return 0
    except (Failure, subprocess.TimeoutExpired) as error:
        print(f'FAILED: {error}', file=sys.stderr)
        for name, _ in session.processes:
            log = os.path.join(args.out, name + '.log')
            if os.path.exists(log) and os.path.getsize(log):
                print(f'--- {name}.log', file=sys.stderr)
                print(open(log, errors='replace').read()[-3000:], file=sys.stderr)
        return 1
    finally:
        session.stop_all()


if __name__ == '__main__':
    sys.exit(main())
