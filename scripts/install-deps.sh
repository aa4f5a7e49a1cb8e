#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, when they are missing:
#   scripts/install-deps.sh [--armhf] [PACKAGE...]
# --armhf also installs what the ARM build (cmake --preset arm) needs on this machine: the cross
# compiler and qemu-arm. Its armhf libraries come from scripts/armhf-sysroot.sh, a sysroot of the
# project's own: nothing here adds a foreign architecture to dpkg. Extra packages are those of the
# calling script (named by KWENO_STEP when it says so).
set -euo pipefail
. "$(dirname "$0")/lib.sh"

armhf=0
if [ "${1:-}" = "--armhf" ]; then
    armhf=1
    shift
fi

# What each step needs, so that a package apt cannot install is named with the step it is for.
declare -A needs=(
    ["the native build and its tests"]="cmake g++ make pkg-config clang-format googletest libbenchmark-dev
        libcli11-dev libutfcpp-dev libpng-dev libgif-dev libturbojpeg0-dev libgcab-dev libxml2-dev"
    ["the skin generator"]="libfreetype-dev fonts-dejavu-core binutils-mingw-w64-x86-64"
    ["the Windows build"]="g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64"
    ["the Wine tests"]="wine wine64 xvfb xauth xdotool x11-apps x11-utils netpbm"
    ["the simulator's window"]="libsdl2-dev"
    ["the device build"]="g++-arm-linux-gnueabi gcab osslsigncode openssl"
    # clang 19: clang 14 ignores -fshort-wchar on wasm32. llvm-14 brings an archiver for its objects.
    ["the page's WebAssembly build"]="clang-19 lld-19 libc++-19-dev-wasm32 libc++abi-19-dev-wasm32
        libclang-rt-19-dev-wasm32 wasi-libc libstb-dev llvm-14"
    ["the page's browser test"]="chromium nodejs"
    ["the budgets' instruction counts (scripts/bench.sh --check)"]="valgrind"
)
# npm comes with some builds of Node.js and is a package of its own in Debian's.
command -v npm >/dev/null || needs["the page's browser test"]+=" npm"
[ $armhf -eq 0 ] || needs["the ARM build under qemu-arm"]="g++-arm-linux-gnueabihf qemu-user"
[ $# -eq 0 ] || needs["${KWENO_STEP:-the calling script}"]="$*"

missing=()
for p in $(printf '%s\n' "${needs[@]}" | tr -s ' \n' '\n\n' | sort -u); do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0

echo "== installing: ${missing[*]}"
apt_update
# Nothing installed here may take a package away: the versioned wasm32 libc++ packages, for one,
# conflict with each other, and apt would otherwise remove one to install another.
if ! apt_install "the set-up" --no-remove "${missing[@]}"; then
    for s in "${!needs[@]}"; do
        wanted=""
        for p in "${missing[@]}"; do
            [[ " $(echo ${needs[$s]}) " == *" $p "* ]] && wanted+=" $p"
        done
        [ -z "$wanted" ] || echo "   $s needed:$wanted" >&2
    done
    exit 1
fi
