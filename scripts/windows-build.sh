#!/usr/bin/env bash
# Builds the panel for desktop Windows and gathers what it needs to run in one folder:
# kweno-host.exe, each deliverable's DLL and registry file, KWENO_Resources.dll and the list of the
# deliverables (deliverables.txt).
#
#   scripts/windows-build.sh [OUTPUT [MINGW_BUILD [NATIVE_BUILD]]]
#
# OUTPUT defaults to build/windows. The skin and the registry files are written by Linux tools
# (NATIVE_BUILD, default build/native); the module they pack serves every platform.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
out=$(absolute "${1:-build/windows}")
build=$(absolute "${2:-build/mingw}")
native=$(absolute "${3:-build/native}")

if ! command -v x86_64-w64-mingw32-g++ >/dev/null; then
    scripts/install-deps.sh
fi
configured mingw "$build"
cmake --build "$build" -j "$jobs" --target kweno-host $(deliverables "$build")
configured native "$native"
cmake --build "$native" -j "$jobs" --target kweno_resources kweno_registry_files

mkdir -p "$out"
cp "$build/host/desktop/kweno-host.exe" "$build/deliverables.txt" "$build"/src/*.dll "$native"/packaging/*.reg \
    "$native/skin/KWENO_Resources.dll" "$out/"
echo "== in $out:"
ls "$out"
