#!/usr/bin/env bash
# Fails when a QtTest check macro (QCOMPARE, QVERIFY, QTRY_*, QFAIL, QEXPECT_FAIL, QSKIP, QTEST...)
# appears in a GoogleTest file. Those macros report to QtTest's logger, which GoogleTest never
# reads: inside a GoogleTest test a failing one passes. A GoogleTest file is one that includes
# GoogleTest or GoogleMock, directly or through a header of the tests. Qt's test helpers
# (QTest::mouseClick, QSignalSpy) are fine; wait with waitUntil (tests/qt/QtFixture.h) instead.
# Usage: scripts/check-test-macros.sh [FOLDER...]   (default: tests bench fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."

exec python3 - "${@:-tests bench fuzz}" <<'PY'
import os
import re
import sys

MACRO = re.compile(r"\b(QCOMPARE\w*|QVERIFY\w*|QTRY_\w+|QFAIL|QEXPECT_FAIL|QSKIP|QTEST\w*|QFINDTESTDATA|QBENCHMARK\w*)\b")
GTEST = re.compile(r'#\s*include\s*[<"](gtest|gmock)/')
LOCAL = re.compile(r'#\s*include\s*"([^"]+)"')
SUFFIXES = (".cpp", ".cc", ".h", ".hpp")

roots = [r for arg in sys.argv[1:] for r in arg.split()]
files = {}
for root in roots:
    for folder, dirs, names in os.walk(root):
        for name in names:
            if name.endswith(SUFFIXES):
                path = os.path.normpath(os.path.join(folder, name))
                with open(path, encoding="utf-8", errors="replace") as f:
                    files[path] = f.read()


def resolve(including, name):
    for base in (os.path.dirname(including), *roots):
        candidate = os.path.normpath(os.path.join(base, name))
        if candidate in files:
            return candidate
    return None


memo = {}


def uses_gtest(path, seen=()):
    if path in memo:
        return memo[path]
    text = files[path]
    found = bool(GTEST.search(text))
    if not found:
        for name in LOCAL.findall(text):
            header = resolve(path, name)
            if header and header not in seen and uses_gtest(header, seen + (path,)):
                found = True
                break
    memo[path] = found
    return found


faults = 0
for path in sorted(files):
    if not uses_gtest(path):
        continue
    for number, line in enumerate(files[path].splitlines(), 1):
        code = line.split("//", 1)[0]
        match = MACRO.search(code)
        if match:
            print(f"{path}:{number}: QtTest macro {match.group(1)} in a GoogleTest file: {line.strip()}")
            faults += 1

if faults:
    print(f"check-test-macros: {faults} QtTest check(s) in GoogleTest files; their failures are never seen")
    sys.exit(1)
print("check-test-macros: no QtTest check in a GoogleTest file")
PY
