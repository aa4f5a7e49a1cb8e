#!/usr/bin/env bash
# Runs the Windows smoke test under Wine: the host loads each deliverable DLL, types and unloads it.
#
#   scripts/wine-smoke.sh [MINGW_BUILD [NATIVE_BUILD]]  the real DLLs, day and night
#   scripts/wine-smoke.sh --fake [MINGW_BUILD]           the fake input method (the pipeline alone)
#
# MINGW_BUILD is a mingw-w64 build directory (default build/mingw) and NATIVE_BUILD a Linux one
# (default build/native), where the skin generator makes KWENO_Resources.dll. Each is configured
# when it is not yet, and only the targets needed are built. Exit status 0 only if every check
# passed.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

fake=0
if [ "${1:-}" = "--fake" ]; then
    fake=1
    shift
fi
build=$(absolute "${1:-build/mingw}")
native=$(absolute "${2:-build/native}")

if ! command -v wine >/dev/null || ! command -v xvfb-run >/dev/null; then
    scripts/install-deps.sh
fi

configured mingw "$build"
if [ $fake -eq 1 ]; then
    cmake --build "$build" -j "$jobs" --target kweno-smoke fake_inputmethod
else
    day=$(deliverables "$build" 1) night=$(deliverables "$build" 2)
    cmake --build "$build" -j "$jobs" --target kweno-smoke "$day" "$night"
    # The skin is drawn by a Linux tool; the resource module it packs serves every platform.
    configured native "$native"
    cmake --build "$native" -j "$jobs" --target kweno_resources
fi

# built FILE: a file the build just made, where the build puts it.
built() {
    if [ ! -f "$1" ]; then
        echo "wine-smoke: $1 was not built" >&2
        exit 1
    fi
    echo "$1"
}

. scripts/wine-prefix.sh
wine_prefix "$build/wine-smoke/prefix"

# The panel opens "\Windows\KWENO_Resources.dll" on the current drive, so the test runs from C:.
drive_c="$WINEPREFIX/drive_c"
run_dir="$drive_c/kweno-smoke"
mkdir -p "$run_dir" "$drive_c/windows"
cp "$(built "$build/host/smoke/kweno-smoke.exe")" "$run_dir/"
if [ $fake -eq 1 ]; then
    cp "$(built "$build/host/smoke/fake_inputmethod.dll")" "$run_dir/"
    args=(fake 'C:\kweno-smoke\fake_inputmethod.dll')
else
    cp "$(built "$build/src/$day.dll")" "$(built "$build/src/$night.dll")" "$run_dir/"
    cp "$(built "$native/skin/KWENO_Resources.dll")" "$drive_c/windows/KWENO_Resources.dll"
    args=(day "C:\\kweno-smoke\\$day.dll" night "C:\\kweno-smoke\\$night.dll")
fi

echo "== smoke test under Wine"
status=0
(
    cd "$run_dir"
    # The screen of the device, in colour.
    # Wine's own processes end before the display goes away, so nothing complains of it.
    timeout 300 xvfb-run -a -s "-screen 0 $(device_screen)x24" \
        sh -c 'wine kweno-smoke.exe "$@"; rc=$?; wineserver -k; exit $rc' wine-smoke "${args[@]}"
) || status=$?
exit $status
