#!/usr/bin/env bash
# Builds what a handheld installs, into out/device: each deliverable's DLL (ARM Windows CE) and the
# CAB that installs it, and KWENO_Resources.dll.
#
#   scripts/device-build.sh
#   scripts/device-build.sh --skin KWENO_Resources.dll
#
# With --skin, a designer's resource module (kweno-skin pack makes one) is checked and each
# deliverable's CAB is made once more with it in place of the default one, into out/device/skinned:
# the same install, files and registry, so that on a device it replaces the standard CAB as an
# upgrade does, and one install owns \Windows\KWENO_Resources.dll.
#
# The first run also builds the device's assembler and linker (binutils for arm-mingw32ce; the README
# says how long) into a cache outside the checkout; later runs reuse it. With KWENO_SIGN_CERT and
# KWENO_SIGN_KEY naming a PEM certificate and its key, every DLL and CAB is Authenticode-signed.
set -euo pipefail
skin=
if [ "${1:-}" = --skin ]; then
    [ -f "${2:-}" ] || { echo "device-build.sh: --skin needs a resource module, such as KWENO_Resources.dll" >&2; exit 2; }
    skin=$(realpath "$2")
elif [ $# -gt 0 ]; then
    echo "usage: scripts/device-build.sh [--skin KWENO_Resources.dll]" >&2
    exit 2
fi
. "$(dirname "$0")/lib.sh"

scripts/install-deps.sh
toolchain=$(scripts/device-toolchain.sh)
cmake --preset device -DKWENO_DEVICE_TOOLCHAIN="$toolchain" -DKWENO_SIGN_CERT="${KWENO_SIGN_CERT:-}" \
    -DKWENO_SIGN_KEY="${KWENO_SIGN_KEY:-}" >/dev/null
cmake --build --preset device -j "$jobs"

mkdir -p out/device
cp build/device/device/*.dll build/device/device/*.cab out/device/
if [ -n "$skin" ]; then
    build/device/skin/kweno-skin check "$skin"
    mkdir -p out/device/skinned
    for deliverable in $(deliverables build/device); do
        cab=out/device/skinned/$deliverable.cab
        build/device/packaging/kweno-registration --variant "$deliverable" --format cab --from build/device/device \
            --skin "$skin" --gcab "$(command -v gcab)" --out "$cab"
        if [ -n "${KWENO_SIGN_CERT:-}" ]; then
            device/sign.sh "$KWENO_SIGN_CERT" "$KWENO_SIGN_KEY" "$cab"
        fi
    done
fi
echo "== in out/device:"
ls -l out/device
if [ -n "$skin" ]; then
    echo "== in out/device/skinned, with the resource module $skin:"
    ls -l out/device/skinned
fi
