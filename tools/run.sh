#!/usr/bin/env bash
# `make run`: prepares the default device folder with the sample photos the
# first time, then starts kestrelview on it: in a window when there is a
# display, otherwise headless with a short tour whose screenshots are saved.
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
program="$build/app/kestrelview"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && "$program" --root "$root"; then
  exit 0
fi
shots=${KESTRELVIEW_SHOTS:-${TMPDIR:-/tmp}/kestrelview-shots}
mkdir -p "$shots"
echo "No display: running a short headless tour instead."
program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
(cd "$shots" && "$program" --root "$root" --headless --script "$here/tools/tour.script")
echo "Screenshots written to $shots: browser.png, list.png, menu.png, photo.png"
