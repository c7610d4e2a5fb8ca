#!/bin/sh
# Signs a Windows program or installer in place with Authenticode (osslsigncode, Debian's package
# of that name): SHA-256, the product's name, and a time stamp from $SHIFTLOOM_SIGN_TIMESTAMP when
# that names a time-stamp server (a signature with one stays valid after the certificate expires).
# The certificate's password comes from $SHIFTLOOM_SIGN_PASSWORD (empty when unset), never from
# the command line. Called by the installer's build (share/windows/NSIS.template.in).
# Usage: sign-file.sh <certificate.p12> <file>
set -eu
cert=$1
file=$2
command -v osslsigncode >/dev/null || { echo "sign-file: osslsigncode missing (apt-get install osslsigncode)" >&2; exit 1; }
private=$(mktemp -d)
trap 'rm -rf "$private"' EXIT
printf '%s' "${SHIFTLOOM_SIGN_PASSWORD:-}" >"$private/password"
set -- -pkcs12 "$cert" -readpass "$private/password" -h sha256 -n "Ovix Shift-Loom"
if [ -n "${SHIFTLOOM_SIGN_TIMESTAMP:-}" ]; then
    set -- "$@" -ts "$SHIFTLOOM_SIGN_TIMESTAMP"
fi
osslsigncode sign "$@" -in "$file" -out "$private/signed" >/dev/null
cat "$private/signed" >"$file"
