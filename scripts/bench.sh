#!/usr/bin/env bash
# Counts the work the panel does per gesture, in instructions under callgrind in an optimised build
# (repeatable, unlike a clock): the panel's own instructions and, beside them, all instructions
# including the emulation's; the pixels each tap copies against the least it can copy; the cost of
# loading a face pair. Prints a Markdown table. Not part of the tests.
#
#   scripts/bench.sh            the table
#   scripts/bench.sh --check    the table, and a non-zero exit when a pen move on the pressed key
#                               costs the panel more than its budget of 150 instructions
set -euo pipefail
. "$(dirname "$0")/lib.sh"

budget=150
KWENO_STEP="the instruction counts (scripts/bench.sh)" scripts/install-deps.sh valgrind
build=build/release
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target kweno_instructions >/dev/null
program="$build/bench/kweno_instructions"
module="$build/skin/KWENO_Resources.dll"

# measure ARGS...: sets reps, pixels, panel and total for one run of the program under callgrind.
measure() {
    local out log
    out=$(mktemp) log=$(mktemp)
    valgrind --tool=callgrind --toggle-collect=measured --callgrind-out-file="$out" --log-file="$log.valgrind" \
        "$program" "$@" >"$log" 2>>"$log.valgrind" || failed "callgrind of kweno_instructions $*" "$log.valgrind" "$log"
    rm -f "$log.valgrind"
    reps=$(sed -n 's/^repetitions //p' "$log")
    pixels=$(sed -n 's/^pixels //p' "$log")
    total=$(sed -n 's/^summary: *//p' "$out")
    # Self cost of every function of the panel's library, whatever called it.
    panel=$(callgrind_annotate --inclusive=no --threshold=100 "$out" | { grep 'libkweno\.so\]' || true; } |
        awk '{gsub(",", "", $1); sum += $1} END {print sum + 0}')
    rm -f "$out" "$log"
}

per() { # TOTAL REPS: rounded to the nearest whole
    echo $((($1 + $2 / 2) / $2))
}

echo "| Gesture | Panel instructions | All instructions (emulation included) | Pixels copied |"
echo "|---|---|---|---|"
status=0
for scenario in move slide tap mode-tap; do
    measure "$scenario"
    case $scenario in
    move) name="pen move on the pressed key" move_cost=$(per "$panel" "$reps") ;;
    slide) name="slide to the next key" ;;
    tap) name="tap (down and up)" ;;
    mode-tap) name="mode-key tap" ;;
    esac
    printf '| %s | %s | %s | %s |\n' "$name" "$(grouped "$(per "$panel" "$reps")")" \
        "$(grouped "$(per "$total" "$reps")")" "$(grouped "$(per "$pixels" "$reps")")"
done
measure face-pair "$module"
printf '| face-pair load (PNG, 480×252 twice) | %s | %s | |\n' "$(grouped "$panel")" "$(grouped "$total")"

# A tap copies at least the key into the keyboard twice (pressed, then normal) and fills the
# magnifier once: 48 × 63 twice and 58 × 77 for a portrait letter.
echo
echo "Floor of pixels copied per tap of a portrait letter: $(grouped $((2 * 48 * 63 + 58 * 77)))."
if [ "$move_cost" -le "$budget" ]; then
    echo "A pen move on the pressed key costs the panel $move_cost instructions, within its budget of $budget."
else
    echo "A pen move on the pressed key costs the panel $move_cost instructions, over its budget of $budget."
    status=1
fi
[ "${1:-}" = "--check" ] || status=0
exit $status
