#!/usr/bin/env bash
# Builds what a handheld installs, into out/device: kweno.dll and kweno_night.dll (ARM Windows CE
# DLLs), KWENO_Resources.dll, and kweno.cab and kweno_night.cab, each installing one variant.
#
#   scripts/device-build.sh
#
# The first run also builds the device's assembler and linker (binutils for arm-mingw32ce; the README
# says how long) into a cache outside the checkout; later runs reuse it. With KWENO_SIGN_CERT and
# KWENO_SIGN_KEY naming a PEM certificate and its key, every DLL and CAB is Authenticode-signed.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

scripts/install-deps.sh
toolchain=$(scripts/device-toolchain.sh)
cmake --preset device -DKWENO_DEVICE_TOOLCHAIN="$toolchain" -DKWENO_SIGN_CERT="${KWENO_SIGN_CERT:-}" \
    -DKWENO_SIGN_KEY="${KWENO_SIGN_KEY:-}" >/dev/null
cmake --build --preset device -j "$jobs"

mkdir -p out/device
for file in kweno.dll kweno_night.dll KWENO_Resources.dll kweno.cab kweno_night.cab; do
    cp build/device/device/$file out/device/
done
echo "== in out/device:"
ls -l out/device
