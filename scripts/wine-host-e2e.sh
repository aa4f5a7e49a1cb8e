#!/usr/bin/env bash
# End-to-end test of kweno-host.exe under Wine, driven by the real X pointer: both deliverables
# type a whole session into the edit control, and the text it holds must be exactly the one meant.
#
#   scripts/wine-host-e2e.sh [MINGW_BUILD [NATIVE_BUILD]]
#
# MINGW_BUILD is a mingw-w64 build directory (default build/mingw), NATIVE_BUILD a Linux one
# (default build/native), where the skin generator makes KWENO_Resources.dll. Each variant's text,
# the panel's calls on the host and three screenshots (magnifier, popup, after the rotation) go
# to MINGW_BUILD/wine-host-e2e/VARIANT/. Each gesture waits for its effect (the characters it types,
# the popup or magnifier it shows, the screen's turn), as kweno-host.exe reports it, and a gesture
# whose effect does not come fails at once, named. Exit status 0 only if both texts are exact.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

# The day variant is found through the registry, as the platform finds an input method; the night
# variant is loaded by its path.
run_session() { # VARIANT OUTPUT_DIR PANEL_ARGUMENT
    local variant=$1 out=$2 panel=$3 status=0
    local run_dir="$WINEPREFIX/drive_c/kweno-host"
    ready="$run_dir/ready.txt" text_file="$run_dir/text.txt"
    rm -f "$ready" "$text_file" "$run_dir/log.txt"
    mkdir -p "$out"
    echo "-- $variant: kweno-host.exe $panel"
    (cd "$run_dir" && exec wine kweno-host.exe --ready 'C:\kweno-host\ready.txt' \
        --dump-text 'C:\kweno-host\text.txt' --log 'C:\kweno-host\log.txt' "$panel") >"$out/host.out" 2>&1 &
    host_pid=$!
    if ! wait_ready "screen [0-9]* [0-9]*"; then
        echo "FAIL $variant: kweno-host.exe did not start" >&2
        cat "$out/host.out" >&2
        return 1
    fi

    # A gesture whose effect does not come ends the session at once, the pen lifted.
    (session "$out") || { status=1; xdotool mouseup 1; }

    # Closed from the keyboard, as a person would; the text is written once more on the way out.
    xdotool mousemove 200 100 key ctrl+q
    local tries=0
    while kill -0 "$host_pid" 2>/dev/null; do
        tries=$((tries + 1))
        [ $tries -le 300 ] || { echo "kweno-host.exe did not close" >&2; kill "$host_pid"; return 1; }
        sleep 0.1
    done
    wait "$host_pid" || { echo "kweno-host.exe failed:" >&2; cat "$out/host.out" >&2; return 1; }
    cp "$text_file" "$run_dir/log.txt" "$out/"
    [ $status = 0 ] || { echo "      (calls in $out/log.txt)" >&2; return 1; }
    local got expected
    got=$(cat "$out/text.txt")
    expected="Grüße an KARL: 42 Tage!"
    if [ "$got" != "$expected" ]; then
        echo "FAIL $variant: expected \"$expected\"" >&2
        echo "                 got \"$got\" (calls in $out/log.txt)" >&2
        return 1
    fi
    # The held backspace took whole words from the 21st repeat on: its key-downs up to the lift,
    # the lift's own tap included, are fewer than the characters it wiped.
    local downs
    downs=$(grep -cE '^SendCharEvents\(vk 0x08, flags 0x(80|40000080),' "$out/log.txt")
    if [ "$downs" -ge ${#false_start} ]; then
        echo "FAIL $variant: the held backspace took $downs key-downs to wipe ${#false_start} characters" >&2
        return 1
    fi
    echo "ok $variant: \"$got\""
}

# fail GESTURE WHAT: the gesture whose effect did not come, and what came instead.
fail() {
    echo "FAIL $variant: $1: $2" >&2
    exit 1
}

# wait_ready LINE: until kweno-host.exe says the panel stands on a screen of that size.
wait_ready() {
    local tries=0
    until [ -f "$ready" ] && grep -qx "$1" "$ready"; do
        tries=$((tries + 1))
        [ $tries -le 600 ] || { echo "no \"$1\" in $ready after 60 s" >&2; return 1; }
        sleep 0.1
    done
    read -r _ panel_left panel_top _ _ < <(grep '^panel ' "$ready")
    read -r _ screen_width screen_height < <(grep '^screen ' "$ready")
}

# read_state: the application's text as kweno-host.exe last wrote it (--dump-text), and its letter
# window as --ready last gave it: "popup LEFT TOP RIGHT BOTTOM", "magnifier ..." or "".
read_state() {
    local kind rest
    text="" letter=""
    [ ! -f "$text_file" ] || IFS= read -r -d '' text <"$text_file" || true
    while read -r kind rest; do
        case $kind in popup | magnifier) letter="$kind $rest" ;; esac
    done <"$ready"
}

# await GESTURE WHAT TEST...: until TEST holds of the state read, for at most about 20 s.
await() {
    local gesture=$1 what=$2 tries=0
    shift 2
    until read_state && "$@"; do
        tries=$((tries + 1))
        [ $tries -le 1000 ] || fail "$gesture" "no $what after 20 s (text \"$text\", letter window \"$letter\")"
        sleep 0.02
    done
}
text_is() { [ "$text" = "$1" ]; }
letter_is() { [ "${letter%% *}" = "${1/none/}" ]; } # popup, magnifier or none
# expect_text GESTURE TEXT: the gesture's character reaches the application, which then holds TEXT.
# Any other text, or a popup opening on the way, fails the gesture at once.
typed=""
expect_text() {
    await "$1" "\"$2\" in the application" typed_by "$1" "$2"
    typed=$2
}
# expect_pick GESTURE ALTERNATIVE: the popup closes, the alternative picked from it comes.
expect_pick() {
    await "$1" "closing of the popup" letter_is none
    expect_text "$1" "$typed$2"
}
typed_by() { # GESTURE TEXT
    [ "$text" != "$2" ] || return 0
    [ "${letter%% *}" != popup ] || fail "$1" "its popup opened: the press outlasted the 500 ms hold"
    [ "$text" = "$typed" ] || fail "$1" "the text is \"$text\", expected \"$2\""
    return 1
}

# Key centres relative to the panel's top left, what a hold of each does, and cell centres relative
# to their popup's, from the layout tables (kweno-host --print-keys): keys["portrait lower q"]="23 31",
# holds["portrait lower q"]=none, cells["portrait lower u ü"]="225 41".
declare -A keys holds cells
load_key_table() {
    local -a f
    while read -r -a f; do
        if [ "${f[0]}" = key ]; then
            keys["${f[1]} ${f[2]} ${f[3]}"]="${f[4]} ${f[5]}"
            holds["${f[1]} ${f[2]} ${f[3]}"]=${f[6]}
        else
            cells["${f[1]} ${f[2]} ${f[3]} ${f[4]}"]="${f[5]} ${f[6]}"
        fi
    done <"$1"
}

orientation=portrait
# locate FACE LABEL: x and y become the screen point of the key.
locate() {
    local where=${keys["$orientation $1 $2"]:-}
    [ -n "$where" ] || fail "$1 $2" "no key \"$2\" on the $orientation $1 face"
    set -- $where
    x=$((panel_left + $1)) y=$((panel_top + $2))
}
# locate_cell FACE KEY ALTERNATIVE: of a cell of the popup, where kweno-host.exe says it stands.
locate_cell() {
    local where=${cells["$orientation $1 $2 $3"]:-}
    [ -n "$where" ] || fail "$1 $2" "no cell \"$3\" in the popup of \"$2\""
    await "hold $1 $2" "popup" letter_is popup
    set -- $where ${letter#popup }
    x=$(($3 + $1)) y=$(($4 + $2))
}

# A tap: down and up at once, as short as xdotool makes it, far shorter than the 500 ms hold (a
# machine that stretches it past the hold fails it at once, see expect_text). The caller awaits
# what it types; a second tap of the key just typed comes a tenth of a second after the first has
# arrived, past the 75 ms in which the panel takes it for a bounce of the first.
# A mode key types nothing, so its tap is not awaited: the panel switches the face at the press
# and takes the pointer's events in order, so the next gesture lands on the new face.
last_tap=""
tap() { # FACE LABEL
    locate "$1" "$2"
    [ "$1 $2" != "$last_tap" ] || sleep 0.1
    last_tap="$1 $2"
    xdotool mousemove $x $y mousedown 1 mouseup 1
}
type_text() { # FACE TEXT: letters and blanks on one face, each awaited in the application's text
    local chars=$2 i c
    for ((i = 0; i < ${#chars}; i++)); do
        c=${chars:i:1}
        tap "$1" "${c/ /space}"
        expect_text "tap $1 ${c/ /space}" "$typed$c"
    done
}
# Down on a mode key, a slide to a key of the face it shows, up there: the character comes in that
# mode. The whole gesture is as short as a tap, so no key on its way is held.
hold_and_type() { # FACE MODE_KEY MODE_FACE LABEL
    local mode_x mode_y
    locate "$1" "$2"
    mode_x=$x mode_y=$y
    locate "$3" "$4"
    last_tap=""
    xdotool mousemove $mode_x $mode_y mousedown 1 mousemove $x $y mouseup 1
    expect_text "hold $1 $2, slide to $3 $4" "$typed$4"
}
# Down on a key, held until its popup shows, dragged to a cell of it, up there.
drag_to_cell() { # FACE KEY ALTERNATIVE
    locate "$1" "$2"
    last_tap=""
    xdotool mousemove $x $y mousedown 1
    locate_cell "$1" "$2" "$3"
    xdotool mousemove $x $y mouseup 1
    expect_pick "hold $1 $2, drag to $3" "$3"
}
# The pen kept on a key while the screen is read, with its magnifier over the application. Only a
# key without a hold will do (neither repeat nor alternatives, as the key table says), so that
# however long the reading takes, the lift types it once.
hold_for_shot() { # FACE LABEL FILE
    locate "$1" "$2"
    local hold=${holds["$orientation $1 $2"]}
    [ "$hold" = none ] || fail "hold $1 $2" "the key table gives it a hold ($hold); the shot needs a key without one"
    last_tap="$1 $2"
    xdotool mousemove $x $y mousedown 1
    await "press $1 $2" "magnifier" letter_is magnifier
    shot "$3"
    xdotool mouseup 1
    expect_text "lift $1 $2" "$typed$2"
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
# gesture in turn. Each gesture's effect is awaited before the next: held keys are lifted when what
# their hold does has come, not after a time.
false_start="das war falsch und geht gleich weg von hier aus "
session() { # OUTPUT_DIR
    local out=$1
    orientation=portrait
    # A held backspace deletes one character a repeat, and whole words from the 21st repeat on;
    # the pen is lifted when the text is gone.
    type_text lower "$false_start"
    locate lower backspace
    xdotool mousemove $x $y mousedown 1
    await "hold lower backspace" "empty text" text_is ""
    typed=""
    xdotool mouseup 1
    last_tap="lower backspace"

    # A capital from the one-shot shift.
    tap lower shift
    type_text shift G
    # r held while the screen is read: its magnifier floats over the application.
    hold_for_shot lower r "$out/magnifier.png"
    # u held until its popup opens, dragged to ü.
    drag_to_cell lower u ü
    # s held until its popup opens and lifted: the popup waits for a tap, which picks ß.
    locate lower s
    last_tap=""
    xdotool mousemove $x $y mousedown 1
    await "hold lower s" "popup" letter_is popup
    xdotool mouseup 1
    shot "$out/popup.png"
    locate_cell lower s ß
    xdotool mousemove $x $y mousedown 1 mouseup 1
    expect_pick "tap ß in the popup of s" ß
    type_text lower "e an "

    # The screen turns: the host sends the display-reset notice and the panel moves.
    xdotool mousemove 200 100 key ctrl+r
    wait_ready "screen $screen_height $screen_width" || fail "ctrl+r" "the screen did not turn"
    orientation=landscape
    shot "$out/rotated.png"

    # Caps lock: two taps of shift, then the letters, then shift once more for lower case.
    tap lower shift
    tap shift shift
    type_text caps KARL
    tap caps shift
    # A symbol from the symbols face, and back.
    tap lower symbols
    type_text symbols :
    tap symbols abc
    type_text lower " "
    # Digits by holding the numeric key and typing: each gesture types one and comes back.
    hold_and_type lower 123 numeric 4
    hold_and_type lower 123 numeric 2
    type_text lower " "
    tap lower shift
    type_text shift T
    type_text lower age
    # The same with the symbols key.
    hold_and_type lower symbols symbols !
}

on_display() { # OUTPUT_ROOT
    local status=0 out=$1
    (cd "$WINEPREFIX/drive_c/kweno-host" && timeout 60 wine kweno-host.exe --print-keys) | tr -d '\r' >"$out/keys.txt"
    load_key_table "$out/keys.txt"
    run_session day "$out/day" "{$day_clsid}" || status=1
    run_session night "$out/night" "C:\\kweno-host\\$night.dll" || status=1
    wineserver -k || true
    return $status
}

if [ "${1:-}" = "--on-display" ]; then
    shift
    . scripts/wine-prefix.sh
    wine_prefix "$1"
    day_clsid=$2
    night=$3
    on_display "$4"
    exit
fi

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
day=$(deliverables "$dist" 1) night=$(deliverables "$dist" 2)
cp "$dist/kweno-host.exe" "$dist/$night.dll" "$dist/$day.reg" "$drive_c/kweno-host/"
cp "$dist/$day.dll" "$dist/$night.dll" "$dist/KWENO_Resources.dll" "$drive_c/windows/"
step "importing $day.reg into the Wine prefix" timeout 60 wine regedit "C:\\kweno-host\\$day.reg"
# A Wine started without a display must be gone before the programs that open windows come.
timeout 60 wineserver -w
# The class identifier as the registry file gives it.
day_clsid=$(grep -oE '^\[HKEY_CLASSES_ROOT\\CLSID\\\{[0-9A-Fa-f-]+\}\]' "$dist/$day.reg" | head -n 1 |
    grep -oE '[0-9A-Fa-f]{8}-[0-9A-Fa-f-]+')

out="$build/wine-host-e2e"
rm -rf "$out"
mkdir -p "$out"

echo "== end-to-end test under Wine with the real pointer (both deliverables)"
# A display with room for the screen in either orientation and nothing else on it.
timeout 300 xvfb-run -a -s "-screen 0 800x800x24" "$0" --on-display "$WINEPREFIX" "$day_clsid" "$night" "$out"
