#!/usr/bin/env bash
# Fails when a library includes a header of a layer above it. Each line of
# the table names a folder and the folders its sources may include.
set -uo pipefail
cd "$(dirname "$0")/.."
allowed() {
    case "$1" in
    platform/base)      echo "platform/base" ;;
    platform/registry)  echo "platform/base platform/registry" ;;
    platform/rapi)      echo "platform/base platform/registry platform/rapi" ;;
    platform/gdi)       echo "platform/base platform/gdi" ;;
    platform/fonts)     echo "platform/base platform/gdi platform/fonts" ;;
    platform/png)       echo "platform/base platform/gdi platform/png" ;;
    platform/window)    echo "platform/base platform/gdi platform/png platform/window" ;;
    platform/controls)  echo "platform/base platform/gdi platform/fonts platform/window platform/controls" ;;
    platform/shell)     echo "platform/base platform/gdi platform/fonts platform/window platform/controls platform/shell" ;;
    platform/framework) echo "platform/base platform/registry platform/gdi platform/fonts platform/window platform/controls platform/shell platform/framework" ;;
    imaging)            echo "platform/base platform/gdi imaging" ;;
    catalogue)          echo "platform/base platform/gdi imaging catalogue" ;;
    handheld)           echo "platform/base platform/registry platform/gdi platform/window catalogue imaging handheld" ;;
    resources)          echo "platform/base platform/gdi platform/window platform/controls platform/shell platform/framework handheld resources" ;;
    viewer|dialogs|sharing)
                        echo "platform/base platform/registry platform/gdi platform/fonts platform/png platform/window platform/controls platform/shell platform/framework imaging catalogue handheld resources $1" ;;
    browser)            echo "platform/base platform/registry platform/gdi platform/fonts platform/png platform/window platform/controls platform/shell platform/framework imaging catalogue handheld resources viewer dialogs sharing browser" ;;
    desktop)            echo "platform/base platform/registry platform/rapi imaging catalogue desktop" ;;
    *)                  echo "*" ;;
    esac
}
status=0
for dir in platform/* imaging catalogue handheld resources browser viewer dialogs sharing desktop; do
    [ -d "$dir" ] || continue
    ok=$(allowed "$dir")
    while IFS= read -r line; do
        file=${line%%:*}
        target=$(sed -E 's|.*#include "([^"]+)/[^/"]+".*|\1|' <<<"$line")
        grep -qw -- "$target" <<<"$ok" || { echo "$file includes $target"; status=1; }
    done < <(grep -H '#include "' "$dir"/*.h "$dir"/*.cpp 2>/dev/null)
done
exit $status
