#!/usr/bin/env bash
# Checks the formatting, builds everything and runs every test: native under the sanitizers (the
# device's DLLs and CABs built and checked on the way), the page's WebAssembly in a browser, the
# device's DLLs under qemu-arm, the budgets of work and memory (scripts/bench.sh --check), then the
# Windows build.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

# The set-up touches no architecture of dpkg's: the ARM stage's libraries live in a sysroot of ours.
architectures_before=$(dpkg --print-foreign-architectures | paste -sd ' ')
scripts/install-deps.sh --armhf

# First and fast: every C++ source of the project as the checked-in .clang-format wants it.
echo "== formatting ($(clang-format --version | sed 's/ *(.*//'))"
mapfile -t sources < <(git ls-files -- {sdk,src,emu,host,toolkit,keys,skin,sim,web,tests,bench,device,packaging}/'*'.{cpp,h})
if [ ${#sources[@]} -eq 0 ]; then
    echo "scripts/test.sh: git ls-files found no C++ sources to check the formatting of (not a git checkout?)"
    exit 1
fi
if ! report=$(clang-format --dry-run --Werror "${sources[@]}" 2>&1); then
    unformatted=$(printf '%s\n' "$report" | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u | paste -sd ' ')
    echo "scripts/test.sh: not formatted as .clang-format wants (run clang-format -i on them): ${unformatted:-$report}"
    exit 1
fi

echo "== the device's assembler and linker (binutils for arm-mingw32ce, built once into a cache)"
toolchain=$(scripts/device-toolchain.sh)

echo "== native build (AddressSanitizer + UndefinedBehaviorSanitizer), with the device's DLLs and CABs"
cmake --preset native -DKWENO_DEVICE_TOOLCHAIN="$toolchain" >/dev/null
cmake --build --preset native -j "$jobs"

echo "== native tests"
ctest --preset native -j "$jobs"

echo "== the page in a browser: the WebAssembly build in Debian's headless Chromium, both variants"
scripts/web-test.sh native

echo "== the ARM build's sysroot (armhf libraries resolved and unpacked apart from the machine's packages)"
sysroot=$(scripts/armhf-sysroot.sh)

echo "== ARM build (armhf): the conformance tests on the device's DLLs and CABs, under qemu-arm"
cmake --preset arm -DKWENO_ARM_SYSROOT="$sysroot" >/dev/null
cmake --build --preset arm -j "$jobs"
ctest --preset arm -j "$jobs"

echo "== the budgets: instructions per gesture (x86-64, and the device's DLL under qemu-arm), memory held while selected"
scripts/bench.sh --check

echo "== fuzzing the resource-module reader and the picture decoders (bounded)"
scripts/fuzz.sh 60

echo "== Windows build (mingw-w64)"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"
scripts/check-exports.sh build/mingw/src/*.dll

echo "== Windows smoke test under Wine (both deliverables)"
scripts/wine-smoke.sh build/mingw build/native

echo "== kweno-host.exe under Wine, driven by the real pointer (both deliverables)"
scripts/wine-host-e2e.sh build/mingw build/native

architectures_after=$(dpkg --print-foreign-architectures | paste -sd ' ')
if [ "$architectures_after" != "$architectures_before" ]; then
    echo "scripts/test.sh: dpkg's foreign architectures changed from '$architectures_before' to '$architectures_after'"
    exit 1
fi
