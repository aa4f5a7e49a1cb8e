#!/usr/bin/env bash
# Lists the platform functions a panel library imports from the emulation, one a line, sorted:
#   panel-imports.sh PANEL_LIBRARY EMULATION_LIBRARY OUTPUT
set -euo pipefail
comm -12 <(nm -D --undefined-only "$1" | awk '{print $2}' | sort) \
    <(nm -D --defined-only "$2" | awk '{print $3}' | sort) >"$3.new"
mv "$3.new" "$3"
