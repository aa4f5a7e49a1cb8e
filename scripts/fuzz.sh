#!/usr/bin/env bash
# Fuzzes the PE reader (resources and images of code), the bitmap decoders and the image file decoders for a bounded
# time: scripts/fuzz.sh [SECONDS].
# Builds the fuzz target (tests/fuzz) with clang's libFuzzer, ASan and UBSan in a build of its own,
# started from the test resource modules and bitmaps that the test build generates.
# FUZZ_BUILD_DIR (default build/fuzz) holds the build, the starting inputs and the growing corpus.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-build/fuzz}

# libFuzzer's runtime comes with clang's compiler-rt package on Debian.
KWENO_STEP="the fuzzer (scripts/fuzz.sh)" scripts/install-deps.sh clang
clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n1)
if [ ! -f "$(clang -print-resource-dir)/lib/linux/libclang_rt.fuzzer-x86_64.a" ]; then
    KWENO_STEP="the fuzzer (scripts/fuzz.sh)" scripts/install-deps.sh "libclang-rt-${clang_major}-dev"
fi

echo "== building the fuzz target and its starting inputs, the test resource modules and bitmaps"
cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DKWENO_FUZZ=ON >/dev/null
cmake --build "$build" -j "$jobs" --target pe_fuzz emu_test_dlls >/dev/null
starts="$build/start-corpus"
testdata="$build/tests/emu/testdata"
mkdir -p "$starts" "$build/corpus"
cp "$testdata/"*.dll "$testdata/"*.bmp "$testdata/"*.png "$testdata/"*.gif "$testdata/"*.jpg "$starts/"

echo "== fuzzing for ${seconds} s"
# The run's progress goes to a log; its summary is shown, and the whole log when it finds a fault.
log="$build/fuzz.log"
if ! "$build/tests/fuzz/pe_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$build/" "$build/corpus" "$starts" >"$log" 2>&1; then
    cat "$log"
    echo "== the fuzzer found a fault; the input that shows it is in $build/"
    exit 1
fi
grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || tail -n 5 "$log"
