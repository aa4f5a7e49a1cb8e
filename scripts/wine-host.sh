#!/usr/bin/env bash
# Runs kweno-host.exe under Wine on this desktop's display: the panel below an edit control in a
# window the size of the handheld's screen. Ctrl+R turns the screen, Ctrl+Q closes.
#
#   scripts/wine-host.sh [night] [--landscape]
#
# Uses what scripts/windows-build.sh gathered in build/windows (and runs it first if nothing is
# there), in a Wine prefix of its own set up as the device is: the DLLs and the pictures in
# C:\windows, both classes in the registry.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
dist=$root/build/windows
[ -f "$dist/kweno-host.exe" ] || scripts/windows-build.sh "$dist"
variant=$(deliverables "$dist" 1)
args=()
for arg in "$@"; do
    case "$arg" in
    night) variant=$(deliverables "$dist" 2) ;;
    day) variant=$(deliverables "$dist" 1) ;;
    *) args+=("$arg") ;;
    esac
done
if [ -z "${DISPLAY:-}" ]; then
    echo "wine-host: no display; scripts/wine-host-e2e.sh runs the panel on a virtual one" >&2
    exit 1
fi

. scripts/wine-prefix.sh
wine_prefix "$dist/wine-prefix"
drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/kweno-host"
cp "$dist"/*.dll "$drive_c/windows/"
cp "$dist/kweno-host.exe" "$dist/$variant.reg" "$drive_c/kweno-host/"
step "importing $variant.reg into the Wine prefix" wine regedit "C:\\kweno-host\\$variant.reg"
clsid=$(grep -oE '^\[HKEY_CLASSES_ROOT\\CLSID\\\{[0-9A-Fa-f-]+\}\]' "$dist/$variant.reg" | head -n 1 |
    grep -oE '\{[0-9A-Fa-f-]+\}')
cd "$drive_c/kweno-host"
exec wine kweno-host.exe "${args[@]}" "$clsid"
