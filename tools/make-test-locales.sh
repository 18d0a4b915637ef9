#!/usr/bin/env bash
# Compiles the locales the sorting tests run under into DIR (used through
# LOCPATH), so that no system locale needs to be installed for them. Needs
# the locale sources of Debian's `locales` package; without them it says so
# and the tests that need the locales fail.
set -u
dir="$1"
shift
mkdir -p "$dir"
if ! command -v localedef >/dev/null || [ ! -d /usr/share/i18n/locales ]; then
  echo "make-test-locales: localedef or /usr/share/i18n/locales missing (install: locales)" >&2
  exit 0
fi
for name in "$@"; do
  [ -f "$dir/$name.UTF-8/LC_COLLATE" ] && continue
  # localedef exits 1 for mere warnings; the compiled files are what counts.
  localedef -i "$name" -f UTF-8 "$dir/$name.UTF-8" 2>/dev/null
  [ -f "$dir/$name.UTF-8/LC_COLLATE" ] || echo "make-test-locales: could not make $name.UTF-8" >&2
done
exit 0
