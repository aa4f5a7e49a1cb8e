#!/usr/bin/env bash
# Builds the panel for desktop Windows and gathers what it needs to run in one folder:
# kweno-host.exe, kweno.dll, kweno_night.dll, KWENO_Resources.dll and the two registry files.
#
#   scripts/windows-build.sh [OUTPUT [MINGW_BUILD [NATIVE_BUILD]]]
#
# OUTPUT defaults to build/windows. The skin and the registry files are written by Linux tools
# (NATIVE_BUILD, default build/native); the module they pack serves every platform.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
absolute() {
    case "$1" in /*) echo "$1" ;; *) echo "$root/$1" ;; esac
}
out=$(absolute "${1:-build/windows}")
build=$(absolute "${2:-build/mingw}")
native=$(absolute "${3:-build/native}")

if ! command -v x86_64-w64-mingw32-g++ >/dev/null; then
    scripts/install-deps.sh
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" -j 2 --target kweno-host kweno kweno_night
if [ ! -f "$native/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build "$native" -j 2 --target kweno_resources kweno_registry_files

mkdir -p "$out"
cp "$build/host/desktop/kweno-host.exe" "$build/src/kweno.dll" "$build/src/kweno_night.dll" \
    "$native/packaging/kweno.reg" "$native/packaging/kweno_night.reg" "$native/skin/KWENO_Resources.dll" "$out/"
echo "== in $out:"
ls "$out"
