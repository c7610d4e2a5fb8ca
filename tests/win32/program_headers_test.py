# SPDX-License-Identifier: MIT
"""The Windows programs as Windows reads them before it starts them: the PE header marks them
terminal-server aware, and the manifest in their resources asks for the invoker's rights, names
Windows 10 and 11, carries the build's version and, for the panel, per-monitor DPI awareness."""
import argparse
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

NS = {'asm1': 'urn:schemas-microsoft-com:asm.v1', 'asm3': 'urn:schemas-microsoft-com:asm.v3',
      'compat': 'urn:schemas-microsoft-com:compatibility.v1',
      'ws2016': 'http://schemas.microsoft.com/SMI/2016/WindowsSettings'}
WINDOWS_10 = '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'


def manifest(objcopy, program):
    """The manifest among the program's resources, parsed."""
    with tempfile.NamedTemporaryFile() as resources:
        subprocess.run([objcopy, '-O', 'binary', '--only-section=.rsrc', program, resources.name], check=True)
        data = resources.read()
    found = re.search(rb'<\?xml.*?</assembly>', data, re.S)
    if not found:
        sys.exit(f'{program}: no manifest among its resources')
    return ET.fromstring(found.group(0))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument('--objdump', required=True)
    parser.add_argument('--objcopy', required=True)
    parser.add_argument('--version', required=True, help='the version the build gives, a.b.c')
    parser.add_argument('--panel', required=True)
    parser.add_argument('--tool', required=True)
    args = parser.parse_args()
    failures = []
    for program, panel in ((args.panel, True), (args.tool, False)):
        headers = subprocess.run([args.objdump, '-p', program], check=True, capture_output=True, text=True).stdout
        root = manifest(args.objcopy, program)
        level = root.find('asm3:trustInfo/asm3:security/asm3:requestedPrivileges/asm3:requestedExecutionLevel', NS)
        awareness = root.find('asm3:application/asm3:windowsSettings/ws2016:dpiAwareness', NS)
        checks = {
            'terminal-server aware': 'TERMINAL_SERVICE_AWARE' in headers,
            'the invoker\'s rights': level is not None and level.get('level') == 'asInvoker',
            'Windows 10 and 11': WINDOWS_10 in [e.get('Id') for e in root.iterfind('compat:compatibility/compat:application/compat:supportedOS', NS)],
            'the build\'s version': root.find('asm1:assemblyIdentity', NS).get('version') == args.version + '.0',
            'per-monitor DPI awareness (v2) for the panel only':
                (awareness is not None and awareness.text.strip() == 'PerMonitorV2') == panel,
        }
        failures += [f'{program}: {what}' for what, ok in checks.items() if not ok]
    for failure in failures:
        print('FAILED:', failure)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
