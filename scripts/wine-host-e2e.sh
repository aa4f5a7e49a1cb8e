#!/usr/bin/env bash
# End-to-end test of kweno-host.exe under Wine, driven by the real X pointer: both deliverables
# type a whole session into the edit control, and the text it holds must be exactly the one meant.
#
#   scripts/wine-host-e2e.sh [MINGW_BUILD [NATIVE_BUILD]]
#
# MINGW_BUILD is a mingw-w64 build directory (default build/mingw), NATIVE_BUILD a Linux one
# (default build/native), where the skin generator makes KWENO_Resources.dll. Each variant's text,
# the panel's calls on the host and three screenshots (magnifier, popup, after the rotation) go
# to MINGW_BUILD/wine-host-e2e/VARIANT/. Exit status 0 only if both texts are exact.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# The day variant is found through the registry, as the platform finds an input method; the night
# variant is loaded by its path.
run_session() { # VARIANT OUTPUT_DIR PANEL_ARGUMENT
    local variant=$1 out=$2 panel=$3
    local run_dir="$WINEPREFIX/drive_c/kweno-host"
    ready="$run_dir/ready.txt"
    rm -f "$run_dir"/ready.txt "$run_dir"/text.txt "$run_dir"/log.txt
    mkdir -p "$out"
    echo "-- $variant: kweno-host.exe $panel"
    (cd "$run_dir" && exec wine kweno-host.exe --ready 'C:\kweno-host\ready.txt' \
        --dump-text 'C:\kweno-host\text.txt' --log 'C:\kweno-host\log.txt' "$panel") >"$out/host.out" 2>&1 &
    host_pid=$!
    wait_ready "$run_dir/ready.txt" "screen 480 640" || { cat "$out/host.out" >&2; return 1; }

    session "$out" || return 1

    # Closed from the keyboard, as a person would; the text is written on the way out.
    xdotool mousemove 200 100 key ctrl+q
    local tries=0
    while kill -0 "$host_pid" 2>/dev/null; do
        tries=$((tries + 1))
        [ $tries -le 100 ] || { echo "kweno-host.exe did not close" >&2; kill "$host_pid"; return 1; }
        sleep 0.1
    done
    wait "$host_pid" || { echo "kweno-host.exe failed:" >&2; cat "$out/host.out" >&2; return 1; }
    cp "$run_dir/text.txt" "$run_dir/log.txt" "$out/"
    local got expected
    got=$(cat "$out/text.txt")
    expected="Grüße an KARL: 42 Tage!"
    if [ "$got" != "$expected" ]; then
        echo "FAIL $variant: expected \"$expected\"" >&2
        echo "                 got \"$got\" (calls in $out/log.txt)" >&2
        return 1
    fi
    echo "ok $variant: \"$got\""
}

# wait_ready FILE LINE: until kweno-host.exe says the panel stands on a screen of that size.
wait_ready() {
    local tries=0
    until [ -f "$1" ] && grep -qx "$2" "$1"; do
        tries=$((tries + 1))
        [ $tries -le 300 ] || { echo "no \"$2\" in $1 after 30 s" >&2; return 1; }
        sleep 0.1
    done
    read -r _ panel_left panel_top _ _ < <(grep '^panel ' "$1")
    read -r _ screen_width screen_height < <(grep '^screen ' "$1")
}

# Key centres relative to the panel's top left, and cell centres relative to their popup's, from
# the layout tables (kweno-host --print-keys): keys["portrait lower q"]="23 31",
# cells["portrait lower u ü"]="225 41".
declare -A keys cells
load_key_table() {
    local -a f
    while read -r -a f; do
        if [ "${f[0]}" = key ]; then
            keys["${f[1]} ${f[2]} ${f[3]}"]="${f[4]} ${f[5]}"
        else
            cells["${f[1]} ${f[2]} ${f[3]} ${f[4]}"]="${f[5]} ${f[6]}"
        fi
    done <"$1"
}

orientation=portrait
# at FACE LABEL: the screen point of a key; cell FACE KEY ALTERNATIVE: of a popup cell.
at() {
    local where=${keys["$orientation $1 $2"]:-}
    [ -n "$where" ] || { echo "no key \"$2\" on the $orientation $1 face" >&2; exit 1; }
    set -- $where
    echo "$((panel_left + $1)) $((panel_top + $2))"
}
# The popup stands where the panel put it: kweno-host.exe says so once it shows.
cell() {
    local where=${cells["$orientation $1 $2 $3"]:-} tries=0 popup_left popup_top
    [ -n "$where" ] || { echo "no cell \"$3\" in the popup of \"$2\"" >&2; exit 1; }
    until grep -q '^popup ' "$ready"; do
        tries=$((tries + 1))
        [ $tries -le 100 ] || { echo "the popup of \"$2\" did not show" >&2; exit 1; }
        sleep 0.05
    done
    read -r _ popup_left popup_top _ _ < <(grep '^popup ' "$ready")
    set -- $where
    echo "$((popup_left + $1)) $((popup_top + $2))"
}

# A tap is shorter than any hold; two taps of one key are kept well apart, or the panel would take
# the second for a bounce of the first.
last_tap=""
tap() { # FACE LABEL
    local gap=0.1
    [ "$1 $2" != "$last_tap" ] || gap=0.3
    last_tap="$1 $2"
    xdotool sleep $gap mousemove $(at "$1" "$2") mousedown 1 sleep 0.04 mouseup 1
}
type_text() { # FACE TEXT: letters and blanks on one face
    local text=$2 i c
    for ((i = 0; i < ${#text}; i++)); do
        c=${text:i:1}
        [ "$c" != " " ] || c=space
        tap "$1" "$c"
    done
}
# Down on a key, held, a slide to another point, up there.
press_slide() { # FROM_X FROM_Y HOLD_S TO_X TO_Y
    last_tap=""
    xdotool sleep 0.1 mousemove "$1" "$2" mousedown 1 sleep "$3" mousemove "$4" "$5" sleep 0.15 mouseup 1
}
# Down on a key, held until its popup shows, dragged to a cell of it, up there.
press_drag_to_cell() { # FACE KEY ALTERNATIVE
    last_tap=""
    xdotool sleep 0.1 mousemove $(at "$1" "$2") mousedown 1 sleep 1.2
    xdotool mousemove $(cell "$1" "$2" "$3") sleep 0.15 mouseup 1
}

# The screen as the display shows it. Each of Wine's windows is read on its own and laid where it
# stands, bottom first: this server gives no contents for one Wine window over another when the
# root is read whole.
shot() { # FILE
    local canvas id size x y w h
    canvas=$(mktemp)
    ppmmake black "$screen_width" "$screen_height" >"$canvas"
    xwininfo -root -children | grep -E '^ +0x' | tac | while read -r id rest; do
        size=$(grep -oE '[0-9]+x[0-9]+[+-][0-9-]+[+-][0-9-]+' <<<"$rest" | head -n 1)
        [[ $size =~ ^([0-9]+)x([0-9]+)\+?(-?[0-9]+)\+?(-?[0-9]+)$ ]] || continue
        w=${BASH_REMATCH[1]} h=${BASH_REMATCH[2]} x=${BASH_REMATCH[3]} y=${BASH_REMATCH[4]}
        [ "$w" -gt 1 ] && [ "$h" -gt 1 ] || continue
        xwininfo -id "$id" | grep -q 'IsViewable' || continue
        paste_window "$id" "$x" "$y" "$w" "$h" "$canvas"
    done
    pnmtopng "$canvas" >"$1"
    rm -f "$canvas"
}
paste_window() { # ID X Y W H CANVAS: the part of the window that lies on the screen
    local id=$1 x=$2 y=$3 w=$4 h=$5 canvas=$6 left=0 top=0 piece pasted
    [ "$x" -ge 0 ] || { left=$((-x)); x=0; }
    [ "$y" -ge 0 ] || { top=$((-y)); y=0; }
    w=$((w - left)) h=$((h - top))
    [ $((x + w)) -le "$screen_width" ] || w=$((screen_width - x))
    [ $((y + h)) -le "$screen_height" ] || h=$((screen_height - y))
    [ "$w" -gt 0 ] && [ "$h" -gt 0 ] || return 0
    piece=$(mktemp) pasted=$(mktemp)
    xwd -id "$id" -silent | xwdtopnm 2>/dev/null | pnmcut -left $left -top $top -width $w -height $h >"$piece"
    pnmpaste "$piece" "$x" "$y" "$canvas" >"$pasted" && mv "$pasted" "$canvas"
    rm -f "$piece" "$pasted"
}

# The session: a false start wiped by a held backspace, the panel turned half-way, every kind of
# gesture in turn.
session() { # OUTPUT_DIR
    local out=$1 x y
    orientation=portrait
    # A held backspace deletes one character a repeat, and whole words from the 21st repeat on:
    # 3 s are about 38 repeats, enough to take these words whole (26 are) and too few to take
    # them one character at a time (49 would be).
    type_text lower "das war falsch und geht gleich weg von hier aus "
    read -r x y < <(at lower backspace)
    xdotool sleep 0.1 mousemove $x $y mousedown 1 sleep 3.0 mouseup 1
    last_tap=""

    # A capital from the one-shot shift.
    tap lower shift
    tap shift G
    tap lower r
    # u held until its popup opens, dragged to ü.
    press_drag_to_cell lower u ü
    # s held and lifted: its popup waits for a tap, which picks ß.
    read -r x y < <(at lower s)
    xdotool sleep 0.1 mousemove $x $y mousedown 1 sleep 1.2 mouseup 1 sleep 0.3
    shot "$out/popup.png"
    xdotool sleep 0.1 mousemove $(cell lower s ß) mousedown 1 sleep 0.04 mouseup 1
    type_text lower "e a"
    # n held while the screen is read: its magnifier floats over the application. A key without
    # alternatives or repeat, so that however long the reading takes, the lift types it once.
    read -r x y < <(at lower n)
    xdotool sleep 0.1 mousemove $x $y mousedown 1 sleep 0.2
    shot "$out/magnifier.png"
    xdotool mouseup 1
    last_tap="lower n"
    tap lower space

    # The screen turns: the host sends the display-reset notice and the panel moves.
    xdotool sleep 0.2 mousemove 200 100 key ctrl+r
    wait_ready "$WINEPREFIX/drive_c/kweno-host/ready.txt" "screen 640 480" || return 1
    orientation=landscape
    sleep 0.3
    shot "$out/rotated.png"

    # Caps lock: two taps of shift, then the letters, then shift once more for lower case.
    tap lower shift
    tap shift shift
    type_text caps KARL
    tap caps shift
    # A symbol from the symbols face, and back.
    tap lower symbols
    tap symbols :
    tap symbols abc
    tap lower space
    # Digits by holding the numeric key and typing: each gesture types one and comes back.
    press_slide $(at lower 123) 0.15 $(at numeric 4)
    press_slide $(at lower 123) 0.15 $(at numeric 2)
    tap lower space
    tap lower shift
    tap shift T
    type_text lower age
    # The same with the symbols key.
    press_slide $(at lower symbols) 0.15 $(at symbols !)
    sleep 0.3
}

on_display() { # OUTPUT_ROOT
    local status=0 out=$1
    (cd "$WINEPREFIX/drive_c/kweno-host" && timeout 60 wine kweno-host.exe --print-keys) | tr -d '\r' >"$out/keys.txt"
    load_key_table "$out/keys.txt"
    run_session day "$out/day" "{$day_clsid}" || status=1
    run_session night "$out/night" 'C:\kweno-host\kweno_night.dll' || status=1
    wineserver -k || true
    return $status
}

if [ "${1:-}" = "--on-display" ]; then
    shift
    . scripts/wine-prefix.sh
    wine_prefix "$1"
    day_clsid=$2
    on_display "$3"
    exit
fi

absolute() {
    case "$1" in /*) echo "$1" ;; *) echo "$root/$1" ;; esac
}
build=$(absolute "${1:-build/mingw}")
native=$(absolute "${2:-build/native}")

if ! command -v wine >/dev/null || ! command -v xdotool >/dev/null || ! command -v xwd >/dev/null ||
    ! command -v xwininfo >/dev/null || ! command -v pnmtopng >/dev/null; then
    scripts/install-deps.sh
fi
dist="$build/wine-host-e2e-files"
scripts/windows-build.sh "$dist" "$build" "$native"

. scripts/wine-prefix.sh
# The smoke test's prefix: made once, it serves both.
wine_prefix "$build/wine-smoke/prefix"

# As a device is set up: the DLLs and the pictures in \Windows, the classes in the registry.
drive_c="$WINEPREFIX/drive_c"
mkdir -p "$drive_c/kweno-host" "$drive_c/windows"
cp "$dist/kweno-host.exe" "$dist/kweno_night.dll" "$dist/kweno.reg" "$drive_c/kweno-host/"
cp "$dist/kweno.dll" "$dist/kweno_night.dll" "$dist/KWENO_Resources.dll" "$drive_c/windows/"
timeout 60 wine regedit 'C:\kweno-host\kweno.reg' >/dev/null 2>&1
# A Wine started without a display must be gone before the programs that open windows come.
timeout 60 wineserver -w
# The class identifier as the registry file gives it.
day_clsid=$(grep -oE '^\[HKEY_CLASSES_ROOT\\CLSID\\\{[0-9A-Fa-f-]+\}\]' "$dist/kweno.reg" | head -n 1 |
    grep -oE '[0-9A-Fa-f]{8}-[0-9A-Fa-f-]+')

out="$build/wine-host-e2e"
rm -rf "$out"
mkdir -p "$out"

echo "== end-to-end test under Wine with the real pointer (both deliverables)"
# A display with room for the screen in either orientation and nothing else on it.
timeout 300 xvfb-run -a -s "-screen 0 800x800x24" "$0" --on-display "$WINEPREFIX" "$day_clsid" "$out"
