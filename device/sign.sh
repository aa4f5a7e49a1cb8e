#!/usr/bin/env bash
# Authenticode-signs a device file (DLL or CAB) in place: sign.sh CERT.pem KEY.pem FILE
# SHA-1 digests unless KWENO_SIGN_HASH names another: Windows Mobile 6 is built on Windows CE 5,
# whose crypto providers predate SHA-2.
set -euo pipefail
cert=$1 key=$2 file=$3
osslsigncode sign -certs "$cert" -key "$key" -h "${KWENO_SIGN_HASH:-sha1}" -in "$file" -out "$file.signed" >/dev/null
mv "$file.signed" "$file"
