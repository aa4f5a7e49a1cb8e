#!/usr/bin/env bash
# Signs copies of the device files with a throwaway self-signed certificate made here, as a fleet
# would with its own, and checks every signature with osslsigncode: tests/device/signing_test.sh DIR
# where DIR is the device folder (every DLL and CAB in it).
set -euo pipefail
sign=$(cd "$(dirname "$0")/../../device" && pwd)/sign.sh
device=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
    -subj "/CN=kweno throwaway test signer" 2>/dev/null
status=0
for file in $(cd "$device" && ls -- *.dll *.cab); do
    cp "$device/$file" "$work/$file"
    if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/$file" >/dev/null 2>&1; then
        echo "FAIL $file: verified before it was signed"
        status=1
        continue
    fi
    "$sign" "$work/cert.pem" "$work/key.pem" "$work/$file"
    if report=$(osslsigncode verify -CAfile "$work/cert.pem" -in "$work/$file" 2>&1); then
        echo "ok $file: signed and verified"
    else
        echo "FAIL $file: $report"
        status=1
    fi
done
exit $status
