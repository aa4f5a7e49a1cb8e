#!/usr/bin/env bash
# Measures the default skin in every format the device's image loader reads: the module's size and
# the instructions the emulation's decoders spend loading one face pair (lower case, portrait),
# counted by callgrind in an optimised x86-64 build and, on the device's processor, by qemu-arm in
# the ARM build (the same decoders compiled for ARM, the difference between loading one pair and
# two). Beside them, what that many ARM instructions take at 400 MHz, an estimate: one instruction a
# cycle at best, two on average for code that streams through memory as a decoder does. Prints a
# Markdown table. Not part of the tests.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

KWENO_STEP="the skin formats' measurement (scripts/skin-formats.sh)" scripts/install-deps.sh --armhf valgrind
. scripts/device-bench.sh
build=build/release
cmake --preset release >/dev/null
step "the release build of the skin in each format" cmake --build --preset release -j "$jobs" --target skin_formats
device_build

# milliseconds INSTRUCTIONS CYCLES_PER_INSTRUCTION: at 400 MHz, to a tenth of a millisecond.
milliseconds() {
    awk -v n="$1" -v cpi="$2" 'BEGIN { printf "%.1f", n * cpi / 400e6 * 1000 }'
}

echo "| Format | Colours | Module size (bytes) | Instructions to load a face pair, x86-64 | ARM instructions | At 400 MHz (estimate) |"
echo "|---|---|---|---|---|---|"
for format in png-16 png-256 gif-16 gif-256 bmp-16 bmp-256; do
    module="$build/bench/formats/$format/KWENO_Resources.dll"
    out=$(mktemp)
    valgrind --tool=callgrind --toggle-collect=measured --callgrind-out-file="$out" --log-file="$out.log" \
        "$build/bench/kweno_instructions" face-pair "$module" >>"$out.log" 2>&1 ||
        failed "callgrind of the $format face pair" "$out.log"
    rm -f "$out.log"
    instructions=$(sed -n 's/^summary: *//p' "$out")
    rm -f "$out"
    device_face_pair "$module"
    size=$(stat -c %s "$module")
    name=${format%-*}
    colours=${format#*-}
    printf '| %s | %s | %s | %s | %s | %s to %s ms |\n' "$(echo "$name" | tr a-z A-Z)" "$colours" "$(grouped "$size")" \
        "$(grouped "$instructions")" "$(grouped "$arm_face_pair")" "$(milliseconds "$arm_face_pair" 1)" \
        "$(milliseconds "$arm_face_pair" 2)"
done
