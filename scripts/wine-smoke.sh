#!/usr/bin/env bash
# Runs the Windows smoke test under Wine: the host loads each deliverable DLL, types and unloads it.
#
#   scripts/wine-smoke.sh [MINGW_BUILD [NATIVE_BUILD]]  the real DLLs (kweno.dll, kweno_night.dll)
#   scripts/wine-smoke.sh --fake [MINGW_BUILD]           the fake input method (the pipeline alone)
#
# MINGW_BUILD is a mingw-w64 build directory (default build/mingw) and NATIVE_BUILD a Linux one
# (default build/native), where the skin generator makes KWENO_Resources.dll. Each is configured
# when it is not yet, and only the targets needed are built. Exit status 0 only if every check
# passed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

fake=0
if [ "${1:-}" = "--fake" ]; then
    fake=1
    shift
fi
absolute() {
    case "$1" in /*) echo "$1" ;; *) echo "$root/$1" ;; esac
}
build=$(absolute "${1:-build/mingw}")
native=$(absolute "${2:-build/native}")

if ! command -v wine >/dev/null || ! command -v xvfb-run >/dev/null; then
    scripts/install-deps.sh
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
if [ $fake -eq 1 ]; then
    cmake --build "$build" -j 2 --target kweno-smoke fake_inputmethod
else
    cmake --build "$build" -j 2 --target kweno-smoke kweno kweno_night
    # The skin is drawn by a Linux tool; the resource module it packs serves every platform.
    if [ ! -f "$native/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Debug >/dev/null
    fi
    cmake --build "$native" -j 2 --target kweno_resources
fi

# find_one DIR NAME: the one built file of that name under DIR.
find_one() {
    local found
    found=$(find "$1" -name "$2" -type f -not -path '*/wine-smoke/*' | head -n 1)
    if [ -z "$found" ]; then
        echo "wine-smoke: $2 not found under $1" >&2
        exit 1
    fi
    echo "$found"
}

. scripts/wine-prefix.sh
wine_prefix "$build/wine-smoke/prefix"

# The panel opens "\Windows\KWENO_Resources.dll" on the current drive, so the test runs from C:.
drive_c="$WINEPREFIX/drive_c"
run_dir="$drive_c/kweno-smoke"
mkdir -p "$run_dir" "$drive_c/windows"
cp "$(find_one "$build" kweno-smoke.exe)" "$run_dir/"
if [ $fake -eq 1 ]; then
    cp "$(find_one "$build" fake_inputmethod.dll)" "$run_dir/"
    args=(fake 'C:\kweno-smoke\fake_inputmethod.dll')
else
    cp "$(find_one "$build" kweno.dll)" "$(find_one "$build" kweno_night.dll)" "$run_dir/"
    cp "$(find_one "$native/skin" KWENO_Resources.dll)" "$drive_c/windows/KWENO_Resources.dll"
    args=(day 'C:\kweno-smoke\kweno.dll' night 'C:\kweno-smoke\kweno_night.dll')
fi

echo "== smoke test under Wine"
status=0
(
    cd "$run_dir"
    # The screen of the device: 480x640, in colour.
    # Wine's own processes end before the display goes away, so nothing complains of it.
    timeout 300 xvfb-run -a -s "-screen 0 480x640x24" \
        sh -c 'wine kweno-smoke.exe "$@"; rc=$?; wineserver -k; exit $rc' wine-smoke "${args[@]}"
) || status=$?
exit $status
