#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, only those missing.
# Usage: scripts/install-deps.sh
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ clang libclang-rt-14-dev pkg-config clang-format
    # libraries
    qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev
    # fonts standing in for Arial and Arial Narrow
    fonts-liberation fonts-dejavu-core
    # a real display for the end-to-end tests and the demo: X server, tray host, input, screenshots,
    # and the interpreter of the test scripts
    xvfb xauth xdotool trayer x11-utils imagemagick python3
    # today's desktops for the end-to-end tests: a StatusNotifier tray (xfce4-panel) on a private
    # session bus, driven with gdbus; the weston Wayland compositor with XWayland, and Qt's
    # Wayland platform plugin
    xfce4-panel dbus libglib2.0-bin weston xwayland qt6-wayland
    # the accessibility bus and its Python client, to read the panel as a screen reader does
    at-spi2-core python3-pyatspi
    # the store tool's timesheet page rendered and checked in a browser, and its printout (PDF
    # pages counted, read and drawn by poppler's tools)
    chromium poppler-utils
    # desktop integration checks
    appstream desktop-file-utils
    # the Debian package's library dependencies (dpkg-shlibdeps) and its check; rendering the
    # icon artwork
    dpkg-dev lintian librsvg2-bin
    # the Windows build: mingw-w64 cross compiler, wine to run its tests, NSIS for its installer,
    # osslsigncode and openssl to sign it (and to test the signing with a throwaway certificate),
    # the locale sources of the Japanese locale made below, for wine's code page 932
    g++-mingw-w64-x86-64-posix wine wine64 nsis osslsigncode openssl locales
    # the performance report (scripts/perf-report.sh) and profiling
    jq linux-perf valgrind heaptrack time
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi

# The Japanese locale in which the Windows end-to-end test runs wine with code page 932.
make_locales() {
    if ! locale -a 2>/dev/null | grep -qx 'ja_JP.utf8'; then
        echo "install-deps: making the locale ja_JP.UTF-8"
        "${sudo_cmd[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
    fi
}

if [ ${#missing[@]} -eq 0 ]; then
    make_locales
    echo "install-deps: everything is installed"
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
make_locales
