#!/usr/bin/env bash
# Counts the work the panel does per gesture and the memory it holds, in numbers that repeat from
# run to run, unlike a clock: on x86-64, the instructions under callgrind in an optimised build (the
# panel's own and all of them, the emulation's included); on the device's processor, the ARM
# instructions executed inside the shipped kweno.dll under qemu-arm (the difference between runs of
# N and 2N gestures, divided by N), as the conformance tests load it; the platform calls and pixels
# copied per gesture; the cost of loading a face pair; and what each deliverable holds while
# selected (bitmaps, heap, GDI objects), on ARM. Prints Markdown tables.
#
#   scripts/bench.sh            the tables
#   scripts/bench.sh --check    the tables, and a non-zero exit when a budget is broken: a pen move on
#                               the pressed key costs the panel more than 150 instructions (x86-64 or
#                               ARM) or makes a platform call; a selected panel holds more pixels of
#                               bitmaps than the pictures on screen and the back buffer need; anything
#                               is left after Deselect (heap: after the host let the panel go)
set -euo pipefail
. "$(dirname "$0")/lib.sh"

check=0
[ "${1:-}" = "--check" ] && check=1
budget=150

KWENO_STEP="the instruction counts (scripts/bench.sh)" scripts/install-deps.sh --armhf valgrind
. scripts/device-bench.sh
release=build/release
cmake --preset release >/dev/null
step "the release build of kweno_instructions" cmake --build --preset release -j "$jobs" --target kweno_instructions
program="$release/bench/kweno_instructions"
module="$release/skin/KWENO_Resources.dll"
device_build

# measure ARGS...: sets reps, pixels, calls, panel and total for one run of the program under callgrind.
measure() {
    local out log
    out=$(mktemp) log=$(mktemp)
    valgrind --tool=callgrind --toggle-collect=measured --callgrind-out-file="$out" --log-file="$log.valgrind" \
        "$program" "$@" >"$log" 2>>"$log.valgrind" || failed "callgrind of kweno_instructions $*" "$log.valgrind" "$log"
    rm -f "$log.valgrind"
    reps=$(sed -n 's/^repetitions //p' "$log")
    pixels=$(sed -n 's/^pixels //p' "$log")
    calls=$(sed -n 's/^calls //p' "$log")
    total=$(sed -n 's/^summary: *//p' "$out")
    # Self cost of every function of the panel's library, whatever called it.
    panel=$(callgrind_annotate --inclusive=no --threshold=100 "$out" | { grep 'libkweno\.so\]' || true; } |
        awk '{gsub(",", "", $1); sum += $1} END {print sum + 0}')
    rm -f "$out" "$log"
}

per() { # TOTAL REPS: rounded to the nearest whole
    echo $((($1 + $2 / 2) / $2))
}

# Gestures, and how many of each a run repeats: a mode-key tap loads a face pair, so fewer of them.
# On ARM only the difference between N and 2N counts, which is exact for any N.
gestures=("move 100 20" "slide 100 20" "tap 100 20" "mode-tap 10 2")
status=0
failure() {
    echo "OVER BUDGET: $*"
    status=1
}

echo "| Gesture | Panel instructions, x86-64 | Panel instructions, ARM (\`kweno.dll\`) | All instructions, x86-64 (emulation included) | All instructions, ARM | Platform calls | Pixels copied |"
echo "|---|---|---|---|---|---|---|"
for g in "${gestures[@]}"; do
    read -r scenario x86reps armreps <<<"$g"
    measure "$scenario" "$x86reps"
    x86_panel=$(per "$panel" "$reps") x86_calls=$(per "$calls" "$reps")
    device_gesture "$scenario" "$armreps"
    case $scenario in
    move) name="pen move on the pressed key" move_x86=$x86_panel move_arm=$arm_panel move_calls=$arm_calls ;;
    slide) name="slide to the next key" ;;
    tap) name="tap (down and up)" ;;
    mode-tap) name="mode-key tap" ;;
    esac
    # The same code makes the same calls on either processor; both are shown should they differ.
    shown_calls=$arm_calls
    [ "$x86_calls" = "$arm_calls" ] || shown_calls="$x86_calls (x86-64), $arm_calls (ARM)"
    printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$name" "$(grouped "$x86_panel")" "$(grouped "$arm_panel")" \
        "$(grouped "$(per "$total" "$reps")")" "$(grouped "$arm_total")" "$shown_calls" \
        "$(grouped "$(per "$pixels" "$reps")")"
done
measure face-pair "$module"
device_face_pair "$module"
printf '| face-pair load (PNG, 480×252 twice) | 0 | 0 | %s | %s | | |\n' "$(grouped "$total")" \
    "$(grouped "$arm_face_pair")"

# A tap copies at least the key into the keyboard twice (pressed, then normal) and fills the
# magnifier once: 48 × 63 twice and 58 × 77 for a portrait letter.
echo
echo "Floor of pixels copied per tap of a portrait letter: $(grouped $((2 * 48 * 63 + 58 * 77)))."
for figure in "x86-64 $move_x86" "ARM $move_arm"; do
    read -r isa cost <<<"$figure"
    if [ "$cost" -le "$budget" ]; then
        echo "A pen move on the pressed key costs the panel $cost $isa instructions, within its budget of $budget."
    else
        failure "a pen move on the pressed key costs the panel $cost $isa instructions, over its budget of $budget"
    fi
done
if [ "$move_calls" -eq 0 ]; then
    echo "A pen move on the pressed key makes no platform call."
else
    failure "a pen move on the pressed key makes $move_calls platform calls, none allowed"
fi

echo
device_memory_table || status=1

[ $check -eq 1 ] || status=0
exit $status
