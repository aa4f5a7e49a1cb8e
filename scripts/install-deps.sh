#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, when they are missing:
#   scripts/install-deps.sh [--armhf] [PACKAGE...]
# --armhf also installs what the ARM build (cmake --preset arm) needs: the cross compiler,
# qemu-arm, and the armhf libraries of the emulation through Debian's multiarch (the armhf
# architecture is added to dpkg first when it is not there yet).
set -euo pipefail

armhf=0
if [ "${1:-}" = "--armhf" ]; then
    armhf=1
    shift
fi

packages=(
    cmake g++ make pkg-config clang-format
    googletest libbenchmark-dev libcli11-dev libutfcpp-dev
    g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
    libpng-dev libgif-dev libturbojpeg0-dev libfreetype-dev fonts-dejavu-core
    libgcab-dev libxml2-dev
    wine wine64 xvfb xauth
    libsdl2-dev xdotool
    x11-apps x11-utils netpbm
    g++-arm-linux-gnueabi gcab osslsigncode openssl
)
packages+=("$@")
if [ $armhf -eq 1 ]; then
    packages+=(g++-arm-linux-gnueabihf qemu-user
        libpng-dev:armhf libgif-dev:armhf libturbojpeg0-dev:armhf libgcab-dev:armhf libxml2-dev:armhf)
fi

sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
if [ $armhf -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx armhf; then
    echo "== adding the armhf architecture to dpkg"
    $sudo_cmd dpkg --add-architecture armhf
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
