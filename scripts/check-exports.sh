#!/usr/bin/env bash
# Checks that a deliverable exports exactly the two entry points of an in-process server:
#   scripts/check-exports.sh LIBRARY...   (ELF shared objects through nm -D, PE DLLs through objdump -p)
set -euo pipefail
expected=$'DllCanUnloadNow\nDllGetClassObject'
status=0
for lib in "$@"; do
    case "$lib" in
    *.dll) names=$(x86_64-w64-mingw32-objdump -p "$lib" |
        sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p' | sort) ;;
    *) names=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort) ;;
    esac
    if [ "$names" = "$expected" ]; then
        echo "$lib: exports DllCanUnloadNow and DllGetClassObject only"
    else
        echo "$lib: unexpected exports:" $names
        status=1
    fi
done
exit $status
