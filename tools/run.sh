#!/usr/bin/env bash
# `make run`: prepares the default device folder with the sample photos the
# first time, then shows what the catalogue sees there.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
root=${KESTRELVIEW_ROOT:-${XDG_DATA_HOME:-$HOME/.local/share}/kestrelview/device}
photos="$root/My Documents/Kestrelview"
if [ ! -d "$photos" ]; then
  mkdir -p "$photos"
  cp "$here"/samples/*.jpg "$photos"/
  echo "Seeded $photos with $(ls "$here"/samples/*.jpg | wc -l) sample photos."
fi
echo "Device folder: $root"
if [ -x "$build/tools/kvtool" ]; then
  "$build/tools/kvtool" --root "$root" info "$photos"/*.jpg
fi
