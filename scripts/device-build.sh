#!/usr/bin/env bash
# Builds what a handheld installs, into out/device: each deliverable's DLL (ARM Windows CE) and the
# CAB that installs it, and KWENO_Resources.dll.
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
cp build/device/device/*.dll build/device/device/*.cab out/device/
echo "== in out/device:"
ls -l out/device
