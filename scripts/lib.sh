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

# configured PRESET DIR: DIR configured as the preset configures its own folder, unless it is already.
configured() {
    [ -f "$2/CMakeCache.txt" ] || cmake --preset "$1" -B "$2" >/dev/null
}
