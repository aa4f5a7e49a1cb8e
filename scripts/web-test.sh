#!/usr/bin/env bash
# The page in a real browser: makes the page (scripts/web.sh), the key table and the simulator's
# screenshots of the test's fixed gesture, then drives the page in Debian's headless Chromium with
# puppeteer-core (web/test, its packages from the lock file).
#   scripts/web-test.sh [NATIVE_PRESET]    the native build whose simulator and skin to use: release
set -euo pipefail
. "$(dirname "$0")/lib.sh"

native=${1:-release}
scripts/web.sh "$native" >/dev/null

work=build/web-test
rm -rf "$work" && mkdir -p "$work"
sim=build/$native/sim/kweno-sim
"$sim" --print-keys >"$work/keys.json"
for variant in day night; do
    "$sim" "--$variant" web/test/popup.ksim --out "$work/$variant" --no-animation >/dev/null
done

# npm ci only when the lock file changed since the last install.
if [ ! -f web/test/node_modules/.package-lock.json ] || [ web/test/package-lock.json -nt web/test/node_modules/.package-lock.json ]; then
    (cd web/test && npm ci --no-audit --no-fund --loglevel=error)
fi
(cd web/test && node page_test.mjs "$root/out/web" "$root/$work/keys.json" "$root/$work" "$root/$work/page.png")
