#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Photographs the Windows panel under wine at a display scale, a job running, for the docs:
wine's LogPixels set to the scale's dots per inch (144 for 150 %), the panel started on a store of
the Windows suite's jobs, its window checked for the size the scale makes, and saved as a PNG.
Usage: scripts/screenshot-windows.py [--dpi 144] [--out docs/panel-windows-150.png]
(after `cmake --build --preset windows`; needs what the Windows end-to-end suite needs)."""
import argparse
import os
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path[:0] = [os.path.join(ROOT, 'tests', 'e2e'), os.path.join(ROOT, 'tests', 'e2e-win32')]
import panel_e2e_test as linux  # noqa: E402
import panel_session as ps  # noqa: E402
import panel_win32_test as win  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument('--dpi', type=int, default=144)
    parser.add_argument('--out', default=os.path.join(ROOT, 'docs', 'panel-windows-150.png'))
    parser.add_argument('--panel', default=os.path.join(ROOT, 'build', 'windows', 'bin', 'shift-loom.exe'))
    args = parser.parse_args()
    work = os.path.join(ROOT, 'build', 'windows', 'screenshot')
    win.ARGS = linux.ARGS = argparse.Namespace(panel=args.panel, out=work)
    ps.install_exit_guard()
    session = ps.XSession(os.path.join(work, 'session'))
    session.start()
    prefix = win.WinePrefix(os.path.join(work, f'wineprefix-{args.dpi}'), session.env)
    try:
        prefix.ensure()
        prefix.start()
        prefix.run('wine', 'reg', 'add', r'HKCU\Control Panel\Desktop', '/v', 'LogPixels', '/t', 'REG_DWORD',
                   '/d', str(args.dpi), '/f')
        prefix.end()  # the scale is read when wine's session starts
        prefix.start()
        ws = win.WineWorkstation(session, prefix, 'screenshot')
        store = ws.make_store()
        with open(os.path.join(ws.drive_c, 'windows', 'cwv5.ini'), 'wb') as ini:
            ini.write(b'[cardmain]\r\n' + store.encode() + b'\r\n')
        ws.write_settings({'autocode': '4711', 'button0': 'SHOP    1001', 'card0': '00001001',
                           'desc0': 'Frame welding        Trailer chassis T4', 'activity_code': 'WELDING',
                           'activity_num': '00000007'})
        ws.start()
        scale = args.dpi / 96
        size = tuple(round(n * scale) for n in ps.PANEL_SIZE)
        # The frame is a pixel or two at any scale: the client area grows by the scale.
        panel = ps.wait_for('the panel at the scale', lambda: next(
            (w for w in ws.mapped() if abs(session.geometry(w)[2] - size[0]) <= 4
             and abs(session.geometry(w)[3] - size[1]) <= 4), None), timeout=60)
        ws.panel = panel
        x, y = ps.centre(ps.job_button(0))
        session.xdotool('mousemove', '--window', panel, round(x * scale), round(y * scale), 'click', 1)
        session.keys(ws.find_window(win.ACTIVITY_TITLE), 'alt+F4')  # its close box: no activity
        session.xdotool('mousemove', 0, 0)
        time.sleep(3)  # a few seconds on the clock
        # From the screen, as a worker sees it.
        left, top, width, height = session.geometry(panel)
        ps.run(['import', '-window', 'root', '-crop', f'{width}x{height}+{left}+{top}', args.out], session.env)
        print(f'screenshot-windows: {args.out}, {session.geometry(panel)[2]} x {session.geometry(panel)[3]} '
              f'pixels at {args.dpi} dpi (the design is {ps.PANEL_SIZE[0]} x {ps.PANEL_SIZE[1]} at 96)')
    finally:
        prefix.end()
        session.stop()


if __name__ == '__main__':
    main()
