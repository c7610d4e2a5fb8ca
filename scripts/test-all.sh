#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with ctest: the release build with
# warnings as errors (unit, widget, end-to-end tests, the Debian package built and checked with
# lintian, and a smoke run of the benchmarks), then the AddressSanitizer + UndefinedBehaviorSanitizer
# build (unit and widget tests), then the Windows build (mingw-w64) with its tests and installer
# test under wine in a fresh prefix, then a short run of every fuzz target.
# Usage: scripts/test-all.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# No folder includes one above it.
scripts/check-layers.sh
# No QtTest check inside a GoogleTest test (its failure would pass unseen); the suite's size.
scripts/check-test-macros.sh
scripts/test-ratio.sh

jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset ci
cmake --build --preset ci -j "$jobs"
ctest --preset ci -j "$jobs"

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

# The Windows programs, cross-built, their tests run under wine in a new prefix of this run.
rm -rf build/windows/wineprefix build/windows/wineprefix.lock build/windows/e2e-wineprefix build/windows/e2e-wineprefix.lock \
    build/windows/bench-wineprefix build/windows/bench-wineprefix.lock
cmake --preset windows
cmake --build --preset windows -j "$jobs"
# A test is run a second time only when it fails the first: now and then a program under wine
# loses its connection to the wine server that the previous program's end is shutting down.
ctest --preset windows -j "$jobs" --repeat until-pass:2

# The parsers under libFuzzer, briefly (the longer runs: scripts/reliability-report.sh).
scripts/fuzz-smoke.sh 20
