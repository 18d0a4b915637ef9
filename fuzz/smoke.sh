#!/usr/bin/env bash
# Builds every fuzz target with clang and runs each briefly over its seeds
# and the crash cases kept under fuzz/regressions/.
set -euo pipefail
build=${1:-build-fuzz}
secs=${FUZZ_SECONDS:-20}
here=$(cd "$(dirname "$0")" && pwd)
CXX=clang++ cmake -S "$here/.." -B "$build" -G Ninja -DKV_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzzers
for bin in "$build"/fuzz/fuzz_*; do
  [ -x "$bin" ] || continue
  name=$(basename "$bin")
  work=$(mktemp -d)
  seeds=()
  [ -d "$here/regressions/$name" ] && seeds+=("$here/regressions/$name")
  [ -d "$here/seeds/$name" ] && seeds+=("$here/seeds/$name")
  echo "fuzz: $name for ${secs}s"
  "$bin" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 "$work" "${seeds[@]}" >"$work.log" 2>&1 || {
    tail -40 "$work.log"; exit 1; }
  rm -rf "$work" "$work.log"
done
echo "fuzz: all targets ran clean"
