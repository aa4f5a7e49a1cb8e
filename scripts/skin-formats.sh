#!/usr/bin/env bash
# Measures the default skin in every format the device's image loader reads: the module's size and
# the instructions the emulation's decoders spend loading one face pair (lower case, portrait),
# counted by callgrind in an optimised build. Prints a Markdown table. Not part of the tests.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

KWENO_STEP="the skin formats' measurement (scripts/skin-formats.sh)" scripts/install-deps.sh valgrind
build=build/release
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target skin_formats >/dev/null


echo "| Format | Colours | Module size (bytes) | Instructions to load a face pair |"
echo "|---|---|---|---|"
for format in png-16 png-256 gif-16 gif-256 bmp-16 bmp-256; do
    module="$build/bench/formats/$format/KWENO_Resources.dll"
    out=$(mktemp)
    valgrind --tool=callgrind --toggle-collect=measured --callgrind-out-file="$out" --log-file="$out.log" \
        "$build/bench/kweno_instructions" face-pair "$module" >>"$out.log" 2>&1 ||
        failed "callgrind of the $format face pair" "$out.log"
    rm -f "$out.log"
    instructions=$(sed -n 's/^summary: *//p' "$out")
    rm -f "$out"
    size=$(stat -c %s "$module")
    name=${format%-*}
    colours=${format#*-}
    printf '| %s | %s | %s | %s |\n' "$(echo "$name" | tr a-z A-Z)" "$colours" "$(grouped "$size")" \
        "$(grouped "$instructions")"
done
