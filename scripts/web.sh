#!/usr/bin/env bash
# The page that runs the panel in a web browser, written into out/web: open out/web/index.html from
# disk, no server needed. Builds the simulator natively for the default skin and the application's
# glyphs, the two WebAssembly modules (cmake --preset wasm), and puts everything the page loads into
# files.js as base64, since a browser does not fetch files from disk.
#   scripts/web.sh [NATIVE_PRESET]     the native build to take them from: release (the default)
set -euo pipefail
. "$(dirname "$0")/lib.sh"

native=${1:-release}
scripts/install-deps.sh

echo "== the default skin and the application's glyphs (kweno-sim, $native)"
configured "$native" "build/$native"
cmake --build "build/$native" -j "$jobs" --target kweno-sim
glyphs=build/$native/sim/glyphs.bin
"build/$native/sim/kweno-sim" --glyph-table "$glyphs"

echo "== the WebAssembly modules, one for each variant"
cmake --preset wasm >/dev/null
cmake --build --preset wasm -j "$jobs"

out=out/web
mkdir -p "$out"
cp web/page/index.html web/page/page.js web/page/page.css "$out/"
{
    echo "// What the page loads, as base64: both variants' WebAssembly modules, the default skin and the"
    echo "// application's glyphs. Written by scripts/web.sh."
    echo "const KWENO_FILES = {"
    for entry in day:build/wasm/web/kweno-day.wasm night:build/wasm/web/kweno-night.wasm \
        skin:build/$native/skin/KWENO_Resources.dll glyphs:$glyphs; do
        printf '  %s: "%s",\n' "${entry%%:*}" "$(base64 -w0 "${entry#*:}")"
    done
    echo "};"
} >"$out/files.js"

day=$(stat -c %s build/wasm/web/kweno-day.wasm)
night=$(stat -c %s build/wasm/web/kweno-night.wasm)
cat <<DONE

== The page: $out/index.html (open it in a browser; it needs no server)
   the day module $(grouped "$day") bytes, the night module $(grouped "$night") bytes
DONE
