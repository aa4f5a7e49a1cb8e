#!/usr/bin/env bash
# Lists the platform functions a panel library imports from the emulation's rooms, one a line, sorted:
#   panel-imports.sh PANEL_LIBRARY OUTPUT EMULATION_LIBRARY...
set -euo pipefail
panel=$1 output=$2
shift 2
comm -12 <(nm -D --undefined-only "$panel" | awk '{print $2}' | sort) \
    <(for library in "$@"; do nm -D --defined-only "$library" | awk '{print $3}'; done | sort -u) >"$output.new"
mv "$output.new" "$output"
