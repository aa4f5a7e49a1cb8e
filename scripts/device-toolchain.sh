#!/usr/bin/env bash
# Makes the device's assembler and linker: binutils for arm-mingw32ce, built from Debian's
# binutils-source into a cache folder outside the checkout, and reused while it is there and of the
# same version and options. Prints the folder that holds bin/arm-mingw32ce-*.
#
#   scripts/device-toolchain.sh            # builds it when missing, then prints its prefix
#
# KWENO_CACHE (default ${XDG_CACHE_HOME:-$HOME/.cache}/kweno) chooses the cache.
set -euo pipefail
cd "$(dirname "$0")/.."

target=arm-mingw32ce
version=2.40
options=(--target="$target" --disable-nls --disable-werror --disable-gdb --disable-gdbserver --disable-sim
    --disable-gprof --disable-gprofng --disable-gold --disable-libctf --disable-plugins)
cache=${KWENO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kweno}
prefix="$cache/binutils-$version-$target"
# What the folder was built from; a different source or option list builds it again.
stamp="binutils $version for $target: ${options[*]}"

if [ -f "$prefix/.stamp" ] && [ "$(cat "$prefix/.stamp")" = "$stamp" ] &&
    "$prefix/bin/$target-as" --version 2>/dev/null | head -n1 | grep -q " $version\$"; then
    echo "$prefix"
    exit 0
fi

# configure must find these before it runs: a tree configured without them stays broken.
KWENO_STEP="the device's binutils (scripts/device-toolchain.sh)" scripts/install-deps.sh binutils-source flex bison m4 texinfo >&2
tarball=/usr/src/binutils/binutils-$version.tar.xz
if [ ! -f "$tarball" ]; then
    echo "scripts/device-toolchain.sh: $tarball is missing; Debian's binutils-source is not version $version" >&2
    exit 1
fi

echo "== building binutils $version for $target into $prefix" >&2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xJf "$tarball" -C "$work"
rm -rf "$prefix"
mkdir -p "$work/build"
(
    cd "$work/build"
    "../binutils-$version/configure" --prefix="$prefix" "${options[@]}" >"$work/configure.log" 2>&1 ||
        { tail -n 30 "$work/configure.log"; exit 1; }
    make -j "$(nproc)" >"$work/make.log" 2>&1 || { tail -n 40 "$work/make.log"; exit 1; }
    make install >"$work/install.log" 2>&1 || { tail -n 20 "$work/install.log"; exit 1; }
) >&2
echo "$stamp" >"$prefix/.stamp"
echo "$prefix"
