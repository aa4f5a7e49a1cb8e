#!/usr/bin/env bash
# Makes the ARM build's own sysroot: the armhf libraries and headers the emulation links (png, gif,
# turbojpeg, gcab, xml2, the C and C++ run time) and everything they depend on, resolved among
# armhf packages alone by an apt configuration of its own and unpacked with dpkg-deb, never
# installed: the machine's dpkg and its architectures stay as they are. Kept in a cache folder
# outside the checkout and reused while its package list is the same. Prints the sysroot's folder.
#
#   scripts/armhf-sysroot.sh            # makes it when missing, then prints its folder
#
# KWENO_CACHE (default ${XDG_CACHE_HOME:-$HOME/.cache}/kweno) chooses the cache, as for binutils.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

arch=armhf
triplet=arm-linux-gnueabihf
packages=(libc6-dev libstdc++6 libgcc-s1 libpng-dev libgif-dev libturbojpeg0-dev libgcab-dev libxml2-dev)
cache=${KWENO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kweno}
sysroot="$cache/sysroot-$arch"
# What the folder was made from; another package list makes it again.
stamp="sysroot for $arch: ${packages[*]}"

if [ -f "$sysroot/.stamp" ] && [ "$(cat "$sysroot/.stamp")" = "$stamp" ]; then
    echo "$sysroot"
    exit 0
fi

started=$SECONDS
echo "== making the $arch sysroot in $sysroot (its own apt configuration, packages unpacked, not installed)" >&2

# apt's state of its own: the machine's sources and keys, every other folder ours, an empty dpkg
# status (nothing counts as installed, so every dependency is fetched) and armhf as the only
# architecture, so that versions are resolved among armhf packages alone.
apt_dir="$cache/apt-$arch"
mkdir -p "$apt_dir"/{lists/partial,archives/partial,sources.list.d,preferences.d}
: >"$apt_dir/status"
rm -f "$apt_dir"/sources.list.d/*
[ -f /etc/apt/sources.list ] && cp /etc/apt/sources.list "$apt_dir/sources.list" || : >"$apt_dir/sources.list"
for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && cp "$f" "$apt_dir/sources.list.d/"
done
apt_options=(
    -o "APT::Architecture=$arch" -o "APT::Architectures=$arch"
    -o "Dir::State=$apt_dir" -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::State::status=$apt_dir/status"
    -o "Dir::Cache=$apt_dir" -o "Dir::Cache::Archives=$apt_dir/archives"
    -o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::Etc::Preferences=$apt_dir/preferences" -o "Dir::Etc::PreferencesParts=$apt_dir/preferences.d"
    -o "APT::Sandbox::User=root" -o "Debug::NoLocking=1"
    -o "APT::Install-Recommends=false" -o "APT::Get::Download-Only=true"
)
apt_update "${apt_options[@]}" >&2

# Resolve and fetch the whole closure; on failure apt's own explanation is shown.
apt_install "the $arch sysroot (scripts/armhf-sysroot.sh)" "${apt_options[@]}" -y "${packages[@]}" >&2

echo "== unpacking $(ls "$apt_dir"/archives/*.deb | wc -l) packages" >&2
work="$sysroot.new"
rm -rf "$work"
mkdir -p "$work"
for deb in "$apt_dir"/archives/*.deb; do
    dpkg-deb -x "$deb" "$work"
done
# Absolute links point into the machine's own folders; make them point inside the sysroot.
find "$work" -type l -lname '/*' -print0 | while IFS= read -r -d '' link; do
    ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$work$(readlink "$link")")" "$link"
done
# What nothing here reads: documentation, translations, the tools' Python.
rm -rf "$work"/usr/share/{doc,man,info,locale} "$work"/usr/lib/python3*
rm -f "$apt_dir"/archives/*.deb
echo "$stamp" >"$work/.stamp"
rm -rf "$sysroot"
mv "$work" "$sysroot"
echo "== the $arch sysroot: $(du -sh "$sysroot" | cut -f1), made in $((SECONDS - started)) s" >&2
echo "$sysroot"
