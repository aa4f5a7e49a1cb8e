#!/usr/bin/env bash
# The size map of a device DLL: what each section holds in the file (the bytes used and the padding
# to the 512-byte file alignment), what each source contributes to code, read-only data and data
# (from the link map the device build leaves beside its objects), and where the base relocations
# lie. Prints Markdown tables.
#
#   scripts/dll-size.sh [kweno|kweno_night]     (the day panel unless told; after a native build
#                                                configured with the device's toolchain)
set -euo pipefail
. "$(dirname "$0")/lib.sh"

deliverable=${1:-kweno}
dll=build/native/device/$deliverable.dll
map=build/native/device-build/$deliverable.map
toolchain=$(sed -n 's/^KWENO_DEVICE_TOOLCHAIN:PATH=//p' build/native/CMakeCache.txt 2>/dev/null || true)
if [ ! -f "$dll" ] || [ ! -f "$map" ] || [ -z "$toolchain" ]; then
    echo "scripts/dll-size.sh: no $dll with its link map: configure the native build with" \
        "-DKWENO_DEVICE_TOOLCHAIN=\$(scripts/device-toolchain.sh) and build kweno_device first" >&2
    exit 1
fi
objdump="$toolchain/bin/arm-mingw32ce-objdump"
headers=$(od -An -tu4 -j60 -N4 "$dll" | tr -d ' ')
sections=$("$objdump" -h "$dll" | awk '/^ +[0-9]+ /{print $2, $3, $4, $6}') # name, size, address, file offset

echo "\`$deliverable.dll\`: $(grouped "$(stat -c %s "$dll")") bytes."
echo
echo "| Section | In the file | Used | Padding |"
echo "|---|---|---|---|"
first=$(printf '%d' "0x$(awk 'NR == 1 {print $4}' <<<"$sections")")
count=$(wc -l <<<"$sections")
used=$((headers + 4 + 20 + $(od -An -tu2 -j$((headers + 20)) -N2 "$dll" | tr -d ' ') + 40 * count))
printf '| headers (MZ and its stub, PE, %d section headers) | %s | %s | %s |\n' "$count" "$(grouped "$first")" \
    "$(grouped "$used")" "$(grouped $((first - used)))"
while read -r name size address offset; do
    size=$((16#$size))
    raw=$(((size + 511) / 512 * 512))
    printf '| `%s` | %s | %s | %s |\n' "$name" "$(grouped "$raw")" "$(grouped "$size")" "$(grouped $((raw - size)))"
done <<<"$sections"

echo
echo "| Source | Code | Read-only data | Data |"
echo "|---|---|---|---|"
# Input sections placed in the image (a non-zero address), by object, summed per output section;
# the import libraries' members are the call stubs (code) and the import tables.
awk '
    function placed(address, hex, object,   size, i) {
        if (address ~ /^0x0+$/) return
        if (object ~ /libcoredll\.a|libaygshell\.a/) object = "import stubs"
        else { sub(/.*\//, "", object); sub(/\.o$/, ".cpp", object) }
        hex = substr(hex, 3)
        for (i = 1; i <= length(hex); i++) size = size * 16 + index("0123456789abcdef", substr(hex, i, 1)) - 1
        if (out == ".text" || out == ".rdata" || out == ".data") {
            bytes[object, out] += size
            if (!(object in seen)) { seen[object] = 1; order[++n] = object }
        }
    }
    /^\.[a-z]+ +0x/ { out = $1 }
    # A long input section name stands alone; its address, size and object follow on the next line.
    /^ \.[^ ]+$/ { pending = 1; next }
    pending && /^ +0x[0-9a-f]+ +0x[0-9a-f]+ +[^ ]/ { placed($1, $2, $3) }
    { pending = 0 }
    /^ \.[a-z]+[^ ]* +0x[0-9a-f]+ +0x[0-9a-f]+ / { placed($2, $3, $4) }
    function grouped(v,   s, r) { s = sprintf("%d", v); r = ""; while (length(s) > 3) { r = "," substr(s, length(s) - 2) r; s = substr(s, 1, length(s) - 3) } return s r }
    END {
        for (k = 1; k <= n; k++) {
            o = order[k]
            printf "| %s | %s | %s | %s |\n", (o == "import stubs" ? o : "`" o "`"), grouped(bytes[o, ".text"]),
                grouped(bytes[o, ".rdata"]), grouped(bytes[o, ".data"])
            t += bytes[o, ".text"]; r += bytes[o, ".rdata"]; d += bytes[o, ".data"]
        }
        printf "| all | %s | %s | %s |\n", grouped(t), grouped(r), grouped(d)
    }' "$map"

echo
echo "| Base relocations in | Count |"
echo "|---|---|"
"$objdump" -p "$dll" | awk '/HIGHLOW/ { gsub(/[\[\]]/, "", $5); print $5 }' | while read -r rva; do
    rva=$((16#$rva))
    while read -r name size address offset; do
        start=$((16#$address - 0x10000000))
        if [ "$rva" -ge "$start" ] && [ "$rva" -lt $((start + 16#$size)) ]; then
            echo "$name"
            break
        fi
    done <<<"$sections"
done | sort | uniq -c | awk '{printf "| `%s` | %d |\n", $2, $1}'
