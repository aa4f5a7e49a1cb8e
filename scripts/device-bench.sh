# Sourced by scripts/bench.sh and scripts/skin-formats.sh: counts on the device's processor. The
# emulation, the host and the counting programs built for ARM (cmake --preset arm) run under
# qemu-arm with the device's own DLLs, loaded as the conformance tests load them; a plugin of the
# emulator (bench/qemu_insns.c) counts the guest instructions executed, in the DLL's address range
# or in the whole process. The same count by `qemu-arm -singlestep -d exec,nochain -dfilter`, one
# log line an instruction, agrees with it to the instruction and takes a hundred times longer.

arm=build/arm

# device_build [TARGET...]: the device's DLLs current in the native build, the ARM build configured
# (each as scripts/test.sh configures it, when it is not yet) and the counting programs and the
# plugin built.
device_build() {
    local toolchain
    if ! grep -q '^KWENO_DEVICE_TOOLCHAIN:PATH=..*' build/native/CMakeCache.txt 2>/dev/null; then
        toolchain=$(scripts/device-toolchain.sh)
        cmake --preset native -DKWENO_DEVICE_TOOLCHAIN="$toolchain" >/dev/null
    fi
    step "the device's DLLs (native build)" cmake --build --preset native -j "$jobs" --target kweno_device
    if [ ! -f "$arm/CMakeCache.txt" ]; then
        sysroot=$(scripts/armhf-sysroot.sh)
        cmake --preset arm -DKWENO_ARM_SYSROOT="$sysroot" >/dev/null
    fi
    step "the ARM build of the counting programs" cmake --build "$arm" -j "$jobs" --target kweno_instructions \
        kweno_memory "$@"
    sysroot=$(sed -n 's/^KWENO_ARM_SYSROOT:PATH=//p' "$arm/CMakeCache.txt")
    step "the instruction-counting plugin of qemu-arm" cc -O2 -Wall -Wextra -Werror -shared -fPIC \
        -o "$arm/bench/qemu_insns.so" bench/qemu_insns.c
}

# device_run RANGE PROGRAM ARGS...: runs an ARM program under qemu-arm, its output in $device_out,
# and sets executed to the instructions executed in RANGE (START+SIZE; "all" for the whole process).
# The DLL's counts repeat exactly; the whole process's move in their last digits from one checkout
# to another, with its paths and where its memory lies.
device_run() {
    local range=$1 counted log
    shift
    counted=$(mktemp) log=$(mktemp)
    local plugin="$arm/bench/qemu_insns.so,out=$counted"
    [ "$range" = all ] || plugin+=",range=$range"
    # An empty environment, so that the calling one does not move the process's stack and heap.
    env -i qemu-arm -L "$sysroot" -plugin "$plugin" "$@" >"$log" 2>&1 || failed "qemu-arm $*" "$log"
    executed=$(cat "$counted")
    device_out=$(cat "$log")
    rm -f "$counted" "$log"
}

# device_gesture SCENARIO N: arm_panel, the ARM instructions one gesture executes in kweno.dll,
# arm_total, all it executes (the emulation's included), and arm_calls, its platform calls. A run
# warms up with as many gestures as it measures: runs of N and 2N repetitions differ by 2N gestures.
device_gesture() {
    local scenario=$1 n=$2 image range once_all once twice_all
    device_run all "$arm/bench/kweno_instructions" "$scenario" "$n"
    once_all=$executed
    image=$(sed -n 's/^image //p' <<<"$device_out")
    [ -n "$image" ] || failed "kweno_instructions in the ARM build: it ran no device DLL (no image range)"
    arm_calls=$(per "$(sed -n 's/^calls //p' <<<"$device_out")" "$n")
    range=$(awk '{print $1 "+" $2}' <<<"$image")
    device_run "$range" "$arm/bench/kweno_instructions" "$scenario" "$n"
    once=$executed
    device_run all "$arm/bench/kweno_instructions" "$scenario" $((2 * n))
    twice_all=$executed
    device_run "$range" "$arm/bench/kweno_instructions" "$scenario" $((2 * n))
    arm_panel=$(per $((executed - once)) $((2 * n)))
    arm_total=$(per $((twice_all - once_all)) $((2 * n)))
}

# device_face_pair MODULE: arm_face_pair, all the ARM instructions of one face pair's load.
device_face_pair() {
    local once
    device_run all "$arm/bench/kweno_instructions" face-pair "$1" 1
    once=$executed
    device_run all "$arm/bench/kweno_instructions" face-pair "$1" 2
    arm_face_pair=$((executed - once))
}

# device_memory_table: what each deliverable holds at each moment, as a Markdown table, and the
# budget's checks; non-zero when one fails.
device_memory_table() {
    local budget_pixels within=0
    device_run all "$arm/bench/kweno_memory"
    budget_pixels=$(sed -n 's/^budget pixels //p' <<<"$device_out")
    echo "| Deliverable | Moment | Bitmaps held | Pixels | Bytes held | Bytes at 16 bits | Heap bytes (blocks), high water | Windows | Classes | DCs | Image lists | Modules |"
    echo "|---|---|---|---|---|---|---|---|---|---|---|---|"
    grep -v '^budget' <<<"$device_out" | awk -v budget="$budget_pixels" '
        function grouped(n,   s, out) {
            s = sprintf("%d", n); out = ""
            while (length(s) > 3) { out = "," substr(s, length(s) - 2) out; s = substr(s, 1, length(s) - 3) }
            return s out
        }
        # "480x252x32 480x252x32 58x77x16" -> "2 × 480×252 at 32 bits, 58×77 at 16 bits"
        function listed(    i, k, n, seen, order, parts, text) {
            if ($NF == "-") return "none"
            n = 0
            for (i = 28; i <= NF; i++) { if (!($i in seen)) order[++n] = $i; seen[$i]++ }
            text = ""
            for (k = 1; k <= n; k++) {
                split(order[k], parts, "x")
                text = text (k > 1 ? ", " : "") (seen[order[k]] > 1 ? seen[order[k]] " × " : "") parts[1] "×" parts[2] " at " parts[3] " bits"
            }
            return text
        }
        BEGIN {
            moment["selected"] = "selected, first paint done"; moment["letter-held"] = "a letter held (its magnifier)"
            moment["popup-open"] = "the widest popup open (o)"; moment["mode-changed"] = "after a mode change"
            moment["deselected"] = "after Deselect"; moment["released"] = "after the host let it go"
        }
        {
            # $1 variant, $2 moment, then names and values; "list" is the last name, the bitmaps follow it.
            for (i = 3; i < 27; i += 2) v[$i] = $(i + 1)
            printf "| `%s` | %s | %s | %s | %s | %s | %s (%s), %s | %s | %s | %s | %s | %s |\n", $1, moment[$2],
                listed(), grouped(v["pixels"]), grouped(v["bytes"]), grouped(v["bytes16"]), grouped(v["heap"]),
                v["blocks"], grouped(v["highwater"]), v["windows"], v["classes"], v["dcs"], v["imagelists"], v["modules"]
            held = v["windows"] + v["classes"] + v["dcs"] + v["bitmaps"] + v["imagelists"]
            if ($2 != "deselected" && $2 != "released" && v["pixels"] > budget)
                problems = problems sprintf("OVER BUDGET: %s %s holds %d pixels of bitmaps, more than %d\n", $1, $2, v["pixels"], budget)
            if ($2 == "deselected" && (held || v["modules"] != 1))
                problems = problems sprintf("OVER BUDGET: %s still holds GDI objects, windows, classes or its resource module after Deselect\n", $1)
            if ($2 == "released" && (v["heap"] || v["modules"]))
                problems = problems sprintf("OVER BUDGET: %s leaves %d heap bytes or a module after the host let it go\n", $1, v["heap"])
        }
        END { printf "\n%s", problems; if (problems != "") exit 1 }' || within=1
    echo "Budget while selected: $(grouped "$budget_pixels") pixels of bitmaps (the face pair, 2 × 480×252, and" \
        "the widest popup's pair with the back buffer that shows it, 3 × 452×83): $(grouped $((2 * budget_pixels)))" \
        "bytes at the display's 16 bits."
    return $within
}
