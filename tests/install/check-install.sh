#!/usr/bin/env bash
# Installs the build into a fresh prefix, moves nothing else, and runs the
# installed commands from there: each answers --help and --version, kvtool
# reads a photo, and kvsync loads its library from the prefix.
set -euo pipefail
build=$1
photo=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix with blank"
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
for command in kestrelview kvtool kvsync; do
  "$prefix/bin/$command" --version | grep -qx "$command [0-9.]*" || fail "$command --version"
done
for command in kestrelview kvtool kvsync; do
  "$prefix/bin/$command" --help | grep -q "$command" || fail "$command --help"
done
for file in lib/libKVPlatform.so share/applications/kestrelview.desktop \
            share/man/man1/kestrelview.1 share/man/man1/kvtool.1 share/man/man1/kvsync.1; do
  [ -s "$prefix/$file" ] || fail "missing $file"
done
for size in 48 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/kestrelview.png"
  [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "icon $size is no PNG"
  # The PNG header holds width and height as big-endian numbers at 16 and 20.
  [ "$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4, $7*256+$8}')" = "$size $size" ] ||
    fail "icon $size has the wrong size"
done
grep -qx 'Exec="kestrelview" %f' "$prefix/share/applications/kestrelview.desktop" || fail "desktop entry"

device="$work/device"
mkdir -p "$device/My Documents/Kestrelview"
cp "$photo" "$device/My Documents/Kestrelview/photo.jpg"
"$prefix/bin/kvtool" --root "$device" info "$device/My Documents/Kestrelview/photo.jpg" |
  grep -q '[0-9]x[0-9]' || fail "kvtool info"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" "$prefix/bin/kvsync" users >/dev/null ||
  fail "kvsync cannot load its library"
echo "installed and ran from $prefix"
