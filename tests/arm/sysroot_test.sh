#!/usr/bin/env bash
# The ARM build's libraries come from its own sysroot alone:
#   sysroot_test.sh SYSROOT BUILD_DIR
# every shared library the sysroot holds is 32-bit ARM; every library the build's programs and
# libraries need resolves inside the sysroot or the build tree, never on the build machine; and each
# library CMake found for the build lies in the sysroot.
set -u
sysroot=$1 build=$2
libdirs=("$sysroot/lib/arm-linux-gnueabihf" "$sysroot/usr/lib/arm-linux-gnueabihf" "$sysroot/lib")
faults=0
fault() { echo "FAULT: $*"; faults=$((faults + 1)); }

# machine FILE: the ELF header's machine, as readelf names it.
machine() { readelf -h "$1" 2>/dev/null | sed -n 's/^ *Machine: *//p'; }

count=0
while IFS= read -r -d '' lib; do
    head -c 4 "$lib" | grep -q 'ELF' || continue # a linker script, such as libc.so
    count=$((count + 1))
    [ "$(machine "$lib")" = "ARM" ] || fault "$lib in the sysroot is not ARM: $(machine "$lib")"
done < <(find "${libdirs[@]}" -maxdepth 1 -name '*.so*' -type f -print0 2>/dev/null)
[ $count -gt 20 ] || fault "the sysroot holds only $count shared libraries"

# Every ELF object the build made, and what each one needs.
builtdirs=$(find "$build" -name '*.so' -printf '%h\n' | sort -u)
checked=0
while IFS= read -r -d '' object; do
    head -c 4 "$object" | grep -q 'ELF' || continue
    [ "$(machine "$object")" = "ARM" ] || continue
    checked=$((checked + 1))
    for needed in $(readelf -d "$object" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        found=""
        for d in "${libdirs[@]}" $builtdirs; do
            [ -e "$d/$needed" ] && { found=$d/$needed; break; }
        done
        [ -n "$found" ] || fault "$object needs $needed, which is neither in the sysroot nor built"
    done
done < <(find "$build" -type f \( -perm -u+x -o -name '*.so' \) -not -path '*/CMakeFiles/*' -print0)
[ $checked -gt 5 ] || fault "found only $checked ARM programs and libraries in $build"

# What the configure step found: every library path in the cache lies in the sysroot.
while IFS= read -r path; do
    case $path in
    "$sysroot"/*) ;;
    *) fault "the build links $path, outside the sysroot" ;;
    esac
done < <(grep -E '_LIBRARY(_RELEASE)?:FILEPATH=|_LINK_LIBRARIES:INTERNAL=' "$build/CMakeCache.txt" |
    sed 's/^[^=]*=//' | tr ';' '\n' | grep '^/' | grep -E '\.(so|a)$')

echo "$count ARM libraries in the sysroot, $checked ARM objects built against it, $faults faults"
[ $faults -eq 0 ]
