#!/usr/bin/env bash
# Builds everything and runs every test: native under the sanitizers, then the Windows build.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)

echo "== native build (AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"

echo "== native tests"
ctest --preset native -j "$jobs"

echo "== fuzzing the resource-module and bitmap reader (bounded)"
scripts/fuzz.sh 60

echo "== Windows build (mingw-w64)"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"
scripts/check-exports.sh build/mingw/src/kweno.dll build/mingw/src/kweno_night.dll

echo "== Windows smoke test under Wine (both deliverables)"
scripts/wine-smoke.sh build/mingw build/native

echo "== kweno-host.exe under Wine, driven by the real pointer (both deliverables)"
scripts/wine-host-e2e.sh build/mingw build/native
