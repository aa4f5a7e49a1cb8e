#!/usr/bin/env bash
# The main command on a fresh machine: installs what is missing, builds the simulator (optimised,
# without sanitizers), runs the built-in demonstration on the day and the night variant, and says
# where to look. Extra arguments go to the day run (for instance a script of your own).
set -euo pipefail
. "$(dirname "$0")/lib.sh"

scripts/install-deps.sh

echo "== building kweno-sim (release)"
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target kweno-sim

sim=build/release/sim/kweno-sim
echo "== the day variant"
"$sim" --out out/demo "$@"
echo "== the night variant"
"$sim" --night --out out/demo-night

cat <<DONE

== Where to look
   out/demo/index.html          the day variant: the whole session animated, every screenshot with
                                the text the application held then
   out/demo-night/index.html    the same for the night variant
   out/demo/text.txt            exactly what the application received
   out/demo/session.gif         the session as an animated picture

   To type yourself (the mouse is the stylus, R turns the screen):
   $sim --interactive
DONE
