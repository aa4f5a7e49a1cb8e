#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, when they are missing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config clang-format
    googletest libbenchmark-dev libcli11-dev libutfcpp-dev
    g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
    libpng-dev libgif-dev libturbojpeg0-dev libfreetype-dev fonts-dejavu-core
    libgcab-dev libxml2-dev gcab
    wine wine64 xvfb xauth
    libsdl2-dev xdotool
    x11-apps x11-utils netpbm
    g++-arm-linux-gnueabi gcab osslsigncode openssl
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
