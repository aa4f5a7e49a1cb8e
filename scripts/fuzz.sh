#!/usr/bin/env bash
# Fuzzes the PE reader (resources and images of code), the bitmap decoders and the image file decoders for a bounded
# time: scripts/fuzz.sh [SECONDS].
# Builds tests/fuzz/pe_fuzz.cpp with the emulation's sources under clang's libFuzzer, ASan and UBSan,
# started from the test resource modules and bitmaps that the test build generates.
# FUZZ_BUILD_DIR (default build/fuzz) holds the build, the starting inputs and the growing corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-build/fuzz}

# libFuzzer's runtime comes with clang's compiler-rt package on Debian.
scripts/install-deps.sh clang
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n1)
if [ ! -f "$(clang -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a" ]; then
    scripts/install-deps.sh "libclang-rt-${clang_major}-dev"
fi

echo "== starting inputs: the generated test resource modules and bitmaps"
cmake -S . -B "$build/inputs" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build/inputs" --target emu_test_dlls -j 2 >/dev/null
starts="$build/start-corpus"
mkdir -p "$starts" "$build/corpus"
cp "$build/inputs/tests/emu/testdata/"*.dll "$build/inputs/tests/emu/testdata/"*.bmp \
    "$build/inputs/tests/emu/testdata/"*.png "$build/inputs/tests/emu/testdata/"*.gif \
    "$build/inputs/tests/emu/testdata/"*.jpg "$starts/"

echo "== building the fuzz target"
clang++ -std=c++17 -g -O1 -fshort-wchar \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -Iemu/include -Iemu/src -Itoolkit \
    emu/src/*.cpp toolkit/image.cpp tests/fuzz/pe_fuzz.cpp $(pkg-config --cflags --libs libgcab-1.0 libxml-2.0) \
    -lpng -lgif -lturbojpeg -o "$build/pe_fuzz"

echo "== fuzzing for ${seconds} s"
# The run's progress goes to a log; its summary is shown, and the whole log when it finds a fault.
log="$build/fuzz.log"
if ! "$build/pe_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$build/" "$build/corpus" "$starts" >"$log" 2>&1; then
    cat "$log"
    echo "== the fuzzer found a fault; the input that shows it is in $build/"
    exit 1
fi
grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || tail -n 5 "$log"
