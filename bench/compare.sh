#!/usr/bin/env bash
# Whole programs side by side with the tools a user would pick instead, in
# one run on this machine: decoding against djpeg, thumbnails against
# vipsthumbnail, synchronisation against rsync. Each pair runs A B A B ...
# (RUNS times each, default 5) and the medians are compared.
#
#   bench/compare.sh [BUILD]      # after `make test`; BUILD defaults to build
#
# With KV_BEFORE=FOLDER (holding an earlier kvtool and kvsync) each row also
# runs those programs in the same rotation (before, ours, theirs, before ...),
# so that a change is measured before and after on the same machine at the
# same time.
#
# The photos are drawn by bench/compare/make_picture.cpp and compressed with
# cjpeg; everything is made in a temporary folder and removed at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$here/build}")
runs=${RUNS:-5}
"$here/tools/install-deps.sh" libjpeg-turbo-progs libvips-tools rsync time g++
our_kvtool="$build/tools/kvtool"
our_kvsync="$build/tools/kvsync"
kvtool=$our_kvtool kvsync=$our_kvsync
before=${KV_BEFORE:+$(realpath "$KV_BEFORE")}
for program in "$our_kvtool" "$our_kvsync" ${before:+"$before/kvtool" "$before/kvsync"}; do
  [ -x "$program" ] || { echo "not built: $program (run make test first)" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kvcompare.XXXXXX")
trap 'rm -rf "$work"' EXIT
g++ -O2 -o "$work/make_picture" "$here/bench/compare/make_picture.cpp"

# photo NAME WIDTH HEIGHT SAMPLING SEED: a baseline JPEG of quality 90.
photo() {
  "$work/make_picture" "$2" "$3" "$5" | cjpeg -quality 90 -sample "$4" -outfile "$work/$1.jpg"
}
echo "drawing the photos ..." >&2
photo p16-420 4608 3456 2x2 1
photo p8-422 3264 2448 2x1 2
photo p24-444 6000 4000 1x1 3

# timed COMMAND...: "wall cpu kilobytes" of one run; the output goes away.
timed() {
  /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || {
    echo "failed: $*" >&2; cat "$work/stderr" >&2; exit 1; }
  awk '{ printf "%s %.3f %s\n", $1, $2 + $3, $4 }' "$work/time"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

# compare LABEL COLUMN PREP_A RUN_A PREP_B RUN_B: the PREP functions run
# untimed before each run; COLUMN 1 compares wall time, 2 CPU time. RUN_A
# calls the programs through $kvtool and $kvsync, so with a before set it
# runs once with each set.
rows=()
summary() {  # the median time and memory of runs given as "wall cpu kilobytes"
  local column=$1; shift
  local t m
  t=$(printf '%s\n' "$@" | awk -v c="$column" '{ print $c }' | median)
  m=$(printf '%s\n' "$@" | awk '{ print $3 }' | median)
  printf '%s s, %d MB' "$t" "$((${m%.*} / 1024))"
}
ratio() { awk -v x="${1%% *}" -v y="${2%% *}" 'BEGIN { printf "%.2f", (y > 0 ? x / y : 0) }'; }
compare() {
  local label=$1 column=$2 a=() b=() o=() i
  for ((i = 0; i < runs; ++i)); do
    if [ -n "$before" ]; then
      kvtool=$before/kvtool kvsync=$before/kvsync; $3; o+=("$(timed_run "$4")")
    fi
    kvtool=$our_kvtool kvsync=$our_kvsync; $3; a+=("$(timed_run "$4")")
    $5; b+=("$(timed_run "$6")")
  done
  local sa sb so
  sa=$(summary "$column" "${a[@]}")
  sb=$(summary "$column" "${b[@]}")
  if [ -n "$before" ]; then
    so=$(summary "$column" "${o[@]}")
    rows+=("$(printf '| %s | %s | %s | %s | %s | %s |' "$label" "$so" "$sa" "$sb" "$(ratio "$so" "$sb")" \
              "$(ratio "$sa" "$sb")")")
  else
    rows+=("$(printf '| %s | %s | %s | %s |' "$label" "$sa" "$sb" "$(ratio "$sa" "$sb")")")
  fi
  echo "${rows[-1]}" >&2
}
timed_run() { "$1"; }
nothing() { :; }

# Decoding, CPU time, to PPM.
for name in p16-420 p8-422 p24-444; do
  for scale in 1 2 4 8; do
    eval "kv_decode_${name//-/_}_$scale() { timed \"\$kvtool\" decode \"$work/$name.jpg\" --scale $scale -o \"$work/ours.ppm\"; }"
    eval "dj_decode_${name//-/_}_$scale() { timed djpeg -dct fast -nosmooth -scale 1/$scale -ppm -outfile \"$work/theirs.ppm\" \"$work/$name.jpg\"; }"
    compare "\`kvtool decode --scale $scale\` vs \`djpeg -dct fast -nosmooth\`, $name (CPU)" 2 \
      nothing "kv_decode_${name//-/_}_$scale" nothing "dj_decode_${name//-/_}_$scale"
  done
done

# Thumbnails of 24 photos of 12 megapixels without EXIF thumbnails, wall time.
mkdir -p "$work/photos"
for i in $(seq 1 8); do "$work/make_picture" 4000 3000 "$((10 + i))" | cjpeg -quality 90 -outfile "$work/photos/a$i.jpg"; done
for i in $(seq 1 8); do cp "$work/photos/a$i.jpg" "$work/photos/b$i.jpg"; cp "$work/photos/a$i.jpg" "$work/photos/c$i.jpg"; done
fresh_device() {
  rm -rf "$work/device" && mkdir -p "$work/device/My Documents/Kestrelview"
  cp "$work/photos/"*.jpg "$work/device/My Documents/Kestrelview/" && sync
}
fresh_vips() { rm -rf "$work/vips" && mkdir -p "$work/vips"; }
kv_thumbnails() { timed "$kvtool" --root "$work/device" thumbnails; }
vips_thumbnails() { timed vipsthumbnail --size 96x96 -o "$work/vips/%s.jpg" "$work/photos/"*.jpg; }
compare "\`kvtool thumbnails\` vs \`vipsthumbnail --size 96x96\`, 24 photos (wall)" 1 \
  fresh_device kv_thumbnails fresh_vips vips_thumbnails

# Synchronisation of 1,000 files of 1 MB, wall time.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DOCUMENTS_DIR="$work/home/Documents"
mkdir -p "$work/sync/My Documents/Kestrelview" "$HOME"
for i in $(seq -w 1 1000); do head -c 1048576 /dev/urandom > "$work/sync/My Documents/Kestrelview/IMG_$i.jpg"; done
"$kvsync" pair --name Bench --device "$work/sync" >/dev/null
fresh_desktop() { rm -rf "$work/desktop" "$work/rsync" && sync; }
kv_sync() { timed "$kvsync" sync --desktop "$work/desktop"; }
rsync_plain() { timed rsync -a "$work/sync/My Documents/Kestrelview/" "$work/rsync/"; }
rsync_fsync() { timed rsync -a --fsync "$work/sync/My Documents/Kestrelview/" "$work/rsync/"; }
compare "\`kvsync sync\`, first copy, vs \`rsync -a\` (wall)" 1 fresh_desktop kv_sync fresh_desktop rsync_plain
compare "\`kvsync sync\`, first copy, vs \`rsync -a --fsync\` (wall)" 1 fresh_desktop kv_sync fresh_desktop rsync_fsync
in_step() {
  [ -d "$work/desktop" ] || "$kvsync" sync --desktop "$work/desktop" >/dev/null
  [ -d "$work/rsync" ] || rsync -a "$work/sync/My Documents/Kestrelview/" "$work/rsync/"
}
compare "\`kvsync sync\`, nothing changed, vs \`rsync -a\` (wall)" 1 in_step kv_sync in_step rsync_plain

echo
echo "$(nproc) cores; load: $(cut -d' ' -f1-3 /proc/loadavg); medians of $runs runs each, A B A B"
echo
if [ -n "$before" ]; then
  echo "| work | before | ours | theirs | ratio before | ratio ours (time / theirs) |"
  echo "|---|---|---|---|---|---|"
else
  echo "| work | ours | theirs | ratio (time, ours / theirs) |"
  echo "|---|---|---|---|"
fi
printf '%s\n' "${rows[@]}"
