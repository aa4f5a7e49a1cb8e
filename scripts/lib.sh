# Sourced by the scripts: the project's root as the working directory, the number of jobs, and the
# helpers several of them need.
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
jobs=$(nproc 2>/dev/null || echo 2)

# absolute PATH: the path, taken from the project's root when relative.
absolute() {
    case "$1" in /*) echo "$1" ;; *) echo "$root/$1" ;; esac
}

# grouped NUMBER: 1234567 -> 1,234,567
grouped() {
    echo "$1" | sed -e ':a' -e 's/\B[0-9]\{3\}\>/,&/' -e 'ta'
}

# deliverables DIR [N]: the deliverables the build in DIR lists, one a line, or only the Nth (1 day, 2 night).
deliverables() {
    sed -n "${2:-1,\$}p" "$1/deliverables.txt"
}

# device_screen: the handheld's screen, upright, as WIDTHxHEIGHT: what the host's header says.
device_screen() {
    sed -n 's/^const int DEVICE_SCREEN_\(WIDTH\|HEIGHT\) = \([0-9]*\);$/\2/p' "$root/host/host.h" | paste -sd x
}

# configured PRESET DIR: DIR configured as the preset configures its own folder, unless it is already.
configured() {
    [ -f "$2/CMakeCache.txt" ] || cmake --preset "$1" -B "$2" >/dev/null
}

# Package registries can be mid-sync: one index failing must not stop the set-up, and a package
# that cannot be installed must say why and for what.
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"

# apt_update [APT OPTION...]: apt-get update, tried three times; an index that still fails is named
# and the set-up goes on with what it has (apt keeps the last good copy of an index, if any).
apt_update() {
    local log try failed=""
    log=$(mktemp)
    for try in 1 2 3; do
        # apt exits 100 for an index it found damaged, 0 for one it could not reach; both are named.
        $sudo_cmd apt-get "$@" update >"$log" 2>&1 || true
        failed=$(grep -E '^E: |^W: Failed to fetch' "$log" | grep -v -E 'Some index files failed|old ones used instead' || true)
        [ -n "$failed" ] || break
        [ $try -lt 3 ] && sleep $((try * 5))
    done
    if [ -n "$failed" ]; then
        echo "== apt-get update: after 3 tries these indexes still fail; going on with the others:"
        printf '%s\n' "$failed" | sed 's/^/   /'
    fi
    rm -f "$log"
}

# apt_install STEP [APT OPTION...] PACKAGE...: apt-get install; when it fails, apt's own explanation
# and the step that needed the packages, then a non-zero exit.
apt_install() {
    local step=$1 log
    shift
    log=$(mktemp)
    if ! DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install --no-install-recommends -y "$@" >"$log" 2>&1; then
        echo "== apt-get could not install what $step needs; apt says:"
        grep -v -E '^(Get|Hit|Ign|Reading|Building|Selecting|Preparing|Unpacking|Setting up|Processing)' "$log" |
            tail -n 40 | sed 's/^/   /'
        rm -f "$log"
        echo "$step: the packages above could not be installed (see apt's words above)" >&2
        return 1
    fi
    rm -f "$log"
}

# failed NAME FILE...: names the step that failed and shows the last lines of each of its logs,
# then exits.
failed() {
    local name=$1 f
    shift
    echo "FAILED: $name; the last lines of its output:" >&2
    for f in "$@"; do
        [ -s "$f" ] && tail -n 30 "$f" | sed 's/^/   /' >&2
    done
    exit 1
}

# step NAME COMMAND...: runs COMMAND quietly, its output kept in a log that a failure shows.
step() {
    local name=$1 log
    shift
    log=$(mktemp)
    "$@" >"$log" 2>&1 || failed "$name (exit $?)" "$log"
    rm -f "$log"
}
