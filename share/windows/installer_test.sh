#!/usr/bin/env bash
# Makes the installer, installs it silently under wine for the current user and then for all
# users, runs the installed programs, uninstalls silently, and checks that what was installed is
# gone while the worker's settings and records stay; then makes it signed with a throwaway
# certificate and checks the signatures.
# Usage: installer_test.sh <build folder> <wine prefix>
set -euo pipefail
build=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cd "$build"
failed=0
check() { # check <description> <command...>
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}
reg_has() { wine reg query "$1" /v "$2" >/dev/null 2>&1; }
key_has() { wine reg query "$1" >/dev/null 2>&1; }
unix() { winepath -u "$1" 2>/dev/null; }

rm -f packages/shift-loom-*-win64.exe
cpack -G NSIS >/dev/null
installer=$(ls packages/shift-loom-*-win64.exe)
version=$(basename "$installer" | sed 's/shift-loom-\(.*\)-win64.exe/\1/')
check "the installer is made" test -s "$installer"
# The rights of whoever starts it (an all-users install asks for more itself): no prompt for a
# per-user install.
rights=$(x86_64-w64-mingw32-objcopy -O binary --only-section=.rsrc "$installer" /dev/stdout | tr -d '\0' |
    grep -a -o 'requestedExecutionLevel level="[A-Za-z]*"')
check "the installer asks for the invoker's rights" test "$rights" = 'requestedExecutionLevel level="asInvoker"'

uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\OvixShiftLoom'
settings_key='HKCU\Software\Ovix_Shift-Loom\Properties'
drive_c=$(unix 'C:\')
store=$(mktemp -d)
trap 'rm -rf "$store"' EXIT

# The worker's settings and a buffered record, which no uninstall may touch.
wine reg add "$settings_key" /v DataLoc /d 'C:\cardwarden' /f >/dev/null
printf 'buffered record\r\n' >"$drive_c/data"

for mode in CurrentUser AllUsers; do
    root=HKCU
    [ "$mode" = AllUsers ] && root=HKLM
    key=${uninstall_key/HKCU/$root}
    wine "$installer" /S /$mode
    wineserver -w
    location=$(wine reg query "$key" /v InstallLocation 2>/dev/null | sed -n 's/.*REG_SZ *//p' | tr -d '\r')
    folder=$(unix "$location")
    check "$mode: installed and registered for uninstall" test -n "$location" -a -d "$folder"
    check "$mode: the store tool and the uninstaller are in place" \
        test -f "$folder/shift-loom-store.exe" -a -f "$folder/Uninstall.exe"
    if [ "$mode" = CurrentUser ]; then
        [[ "$location" == *AppData* ]] || { echo "FAILED: per-user folder expected: $location"; failed=1; }
        menu=$(unix "$(wine cmd /c echo %APPDATA% | tr -d '\r')")/Microsoft/Windows/Start\ Menu/Programs/Ovix\ Shift-Loom
    else
        [[ "$location" == *"Program Files"* ]] || { echo "FAILED: Program Files expected: $location"; failed=1; }
        menu=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Ovix\ Shift-Loom
    fi
    check "$mode: Start-menu entry" test -f "$menu/Uninstall Ovix Shift-Loom.lnk"

    tool="$location\\shift-loom-store.exe"
    check "$mode: the installed store tool runs" \
        bash -c "wine '$tool' --version | tr -d '\r' | grep -qx 'shift-loom-store $version'"
    check "$mode: the installed store tool makes and reads a store" \
        bash -c "wine '$tool' init '$store/s-$mode' >/dev/null && wine '$tool' jobs '$store/s-$mode' | grep -q 'Frame welding'"
    # The installed panel: its Start-menu entry and log-on entry; started (on a display of its own)
    # on the store registered with `register`, it hands a record kept in the buffer c:\data over to
    # the store's data file.
    check "$mode: the panel's Start-menu entry" test -f "$menu/Ovix Shift-Loom.lnk"
    check "$mode: the panel starts at log-on" reg_has "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" "Ovix Shift-Loom"
    wine reg delete "$settings_key" /v DataLoc /f >/dev/null
    wine "$tool" register "$(winepath -w "$store/s-$mode")" >/dev/null
    mv "$drive_c/data" "$drive_c/data.kept"
    record=0120260101080001000000000000081500000000000000000000000000000000
    printf '%s\r\n' "$record" >"$drive_c/data"
    xvfb-run -a wine "$location\\shift-loom.exe" >/dev/null 2>&1 &
    check "$mode: the installed panel starts and hands the buffered record to the store" \
        bash -c "for i in \$(seq 120); do grep -qx '$record.' '$store/s-$mode/data' 2>/dev/null && exit 0; sleep 0.5; done; exit 1"
    check "$mode: the panel keeps the registered store" bash -c "wine reg query '$settings_key' /v DataLoc | grep -q 's-$mode'"
    wineserver -k || true
    wait || true
    rm -f "$drive_c/windows/cwv5.ini"
    mv "$drive_c/data.kept" "$drive_c/data"
    wine reg add "$settings_key" /v DataLoc /d 'C:\cardwarden' /f >/dev/null

    wine "$folder/Uninstall.exe" /S /$mode
    wineserver -w
    check "$mode: the program folder is gone" test ! -e "$folder"
    check "$mode: the Start-menu entries are gone" test ! -e "$menu"
    check "$mode: the uninstall entry is gone" bash -c "! wine reg query '$key' >/dev/null 2>&1"
    check "$mode: the log-on entry is gone" \
        bash -c "! wine reg query '$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Run' /v 'Ovix Shift-Loom' >/dev/null 2>&1"
    check "$mode: the worker's settings stay" reg_has "$settings_key" DataLoc
    check "$mode: the buffered records stay" grep -q 'buffered record' "$drive_c/data"
done
wine reg delete 'HKCU\Software\Ovix_Shift-Loom' /f >/dev/null 2>&1 || true
rm -f "$drive_c/data"

# Signed: a throwaway certificate given to the build signs the installer, the uninstaller it
# writes and the two programs in it; each signature checks against that certificate.
if command -v osslsigncode >/dev/null && command -v openssl >/dev/null; then
    keys=$(mktemp -d)
    openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=Ovix test signing" -days 2 \
        -addext extendedKeyUsage=codeSigning -keyout "$keys/key.pem" -out "$keys/cert.pem" 2>/dev/null
    openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -passout pass:test -out "$keys/cert.p12"
    rm -f packages/shift-loom-*-win64.exe
    SHIFTLOOM_SIGN_PASSWORD=test cpack -G NSIS -D "CPACK_SHIFTLOOM_SIGN_CERT=$keys/cert.p12" >/dev/null
    installer=$(ls packages/shift-loom-*-win64.exe)
    signed() { osslsigncode verify -CAfile "$keys/cert.pem" -in "$1" >/dev/null 2>&1; }
    check "signed: the installer" signed "$installer"
    wine "$installer" /S /CurrentUser '/D=C:\signed-test'
    wineserver -w
    for program in shift-loom.exe shift-loom-store.exe Uninstall.exe; do
        check "signed: $program as installed" signed "$drive_c/signed-test/$program"
    done
    wine "$drive_c/signed-test/Uninstall.exe" /S /CurrentUser
    wineserver -w
    rm -rf "$keys" packages/shift-loom-*-win64.exe
fi
exit $failed
