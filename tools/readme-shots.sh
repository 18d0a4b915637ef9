#!/usr/bin/env bash
# Makes the README's pictures again: the headless tour (tools/tour.script)
# on a fresh device folder holding only the sample photos.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
program=$(cd "$build/app" && pwd)/kestrelview
device=$(mktemp -d)
trap 'rm -rf "$device"' EXIT
mkdir -p "$device/My Documents/Kestrelview"
cp "$here"/samples/*.jpg "$device/My Documents/Kestrelview/"
(cd "$here/docs" && "$program" --root "$device" --headless --script "$here/tools/tour.script")
echo "Written: docs/browser.png docs/list.png docs/menu.png docs/photo.png"
