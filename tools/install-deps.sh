#!/usr/bin/env bash
# Installs the Debian packages given as arguments that are missing. As root it
# runs apt-get; otherwise it prints the line to run and stops.
set -euo pipefail
missing=()
for pkg in "$@"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "Missing packages. Run:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
