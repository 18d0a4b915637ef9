#!/usr/bin/env bash
# Measures `kvtool thumbnails` against `vipsthumbnail --size 96x96` on the
# same camera-size photos in the same run.
#
#   bench/thumbnails_vs_vips.sh [KVTOOL] [COUNT]
#
# KVTOOL defaults to build/tools/kvtool (build it in Release); COUNT defaults
# to 200 photos. Everything is made in a temporary folder and removed at exit.
#
# Three runs are timed, each twice, keeping the better time:
#   kvtool pass 1  draws every photo into a 96x96 cell and stores a 96x96
#                  thumbnail in each file's trailer (from the EXIF thumbnail
#                  when there is one, else from a scaled decode);
#   kvtool pass 2  the same again, which now only reads the trailers;
#   vipsthumbnail  writes a 96x96 JPEG for every photo.
# vipsthumbnail never uses the EXIF thumbnail, so pass 1 and vips are also
# timed on the half without one, which is decode against decode.
# Pass 1 changes the files, so each of its two runs starts from a fresh copy,
# and vips gets its own untouched copy too. Copying is not timed.
# Times are wall clock; vipsthumbnail may use several threads, kvtool uses one.
set -euo pipefail

kvtool=${1:-build/tools/kvtool}
count=${2:-200}
convert=/usr/bin/convert

missing=()
command -v vipsthumbnail >/dev/null || missing+=("vipsthumbnail (apt-get install libvips-tools)")
[ -x "$convert" ] || missing+=("$convert (apt-get install imagemagick)")
command -v exiftool >/dev/null || missing+=("exiftool (apt-get install libimage-exiftool-perl)")
if [ ${#missing[@]} -gt 0 ]; then
    printf 'missing: %s\n' "${missing[@]}" >&2
    exit 2
fi
if [ ! -x "$kvtool" ]; then
    echo "kvtool not found at '$kvtool'; build it (Release) and pass its path" >&2
    exit 2
fi
kvtool=$(realpath "$kvtool")

work=$(mktemp -d "${TMPDIR:-/tmp}/thumbbench.XXXXXX")
trap 'rm -rf "$work"' EXIT
photos="My Documents/Kestrelview"

# Eight distinct 8-megapixel photo-like JPEGs (noisy plasma, 4:2:0, quality
# 88), four of them carrying a 160x120 EXIF thumbnail. Making each takes
# seconds, so the set of COUNT files is filled with copies of these eight:
# the work per file is the same as for distinct photos.
echo "making $count photos of 3264x2448 in $work ..." >&2
mkdir -p "$work/source"
"$convert" -size 160x120 gradient:khaki-steelblue -interlace none -quality 85 "$work/small.jpg"
for i in 1 2 3 4 5 6 7 8; do
    out="$work/source/p$i.jpg"
    "$convert" -seed "$i" -size 3264x2448 plasma:fractal -attenuate 0.3 +noise Gaussian \
        -sampling-factor 2x2 -quality 88 "$out"
    if [ "$i" -le 4 ]; then
        exiftool -q -overwrite_original "-ThumbnailImage<=$work/small.jpg" "$out"
    fi
done
mkdir -p "$work/pristine/$photos" "$work/plain/$photos"
for ((n = 0; n < count; ++n)); do
    i=$((n % 8 + 1))
    name=$(printf 'IMG_%04d.jpg' "$n")
    cp "$work/source/p$i.jpg" "$work/pristine/$photos/$name"
    [ "$i" -le 4 ] || cp "$work/source/p$i.jpg" "$work/plain/$photos/$name"
done
plain_count=$(find "$work/plain" -name '*.jpg' | wc -l)
# shellcheck disable=SC2016  # exiftool expands these itself
with_exif=$(exiftool -q -q -if '$ThumbnailImage' -p '$FileName' "$work/pristine/$photos" 2>/dev/null | wc -l)
echo "$count photos, $with_exif with an EXIF thumbnail" >&2

fresh_copy() {  # fresh_copy FROM NAME: an untouched device folder $work/NAME
    rm -rf "${work:?}/$2"
    cp -r "$work/$1" "$work/$2"
    sync  # so that writing the copy back is not timed
}

seconds() {  # seconds CMD...: wall time of CMD in seconds; fails if CMD fails
    local TIMEFORMAT=%R t
    { time "$@" >"$work/last.out" 2>"$work/last.err"; } 2>"$work/time" || {
        echo "failed: $*" >&2
        cat "$work/last.out" "$work/last.err" >&2
        return 1
    }
    t=$(cat "$work/time")
    echo "$t"
}

better() { awk -v a="$1" -v b="$2" 'BEGIN { print (a < b ? a : b) }'; }

# kvtool_twice FROM: sets kv1 and kv2, the better of two first and second passes
kvtool_twice() {
    local a b p2a p2b
    fresh_copy "$1" dev
    a=$(seconds "$kvtool" --root "$work/dev" thumbnails)
    echo "kvtool pass 1 on $1: $(cat "$work/last.out")" >&2
    p2a=$(seconds "$kvtool" --root "$work/dev" thumbnails)
    echo "kvtool pass 2 on $1: $(cat "$work/last.out")" >&2
    fresh_copy "$1" dev
    b=$(seconds "$kvtool" --root "$work/dev" thumbnails)
    p2b=$(seconds "$kvtool" --root "$work/dev" thumbnails)
    kv1=$(better "$a" "$b")
    kv2=$(better "$p2a" "$p2b")
}

# vips_twice FROM EXPECTED: sets vips, the better of two runs. The output
# folder must be absolute: vipsthumbnail puts a relative -o beside each input.
vips_twice() {
    local a b made out="$work/vips-out"
    fresh_copy "$1" vips
    rm -rf "$out" && mkdir -p "$out"
    a=$(seconds vipsthumbnail --size 96x96 -o "$out/%s.jpg" "$work/vips/$photos"/*.jpg)
    rm -rf "$out" && mkdir -p "$out"
    b=$(seconds vipsthumbnail --size 96x96 -o "$out/%s.jpg" "$work/vips/$photos"/*.jpg)
    made=$(find "$out" -name '*.jpg' | wc -l)
    [ "$made" -eq "$2" ] || { echo "vipsthumbnail made $made of $2" >&2; return 1; }
    vips=$(better "$a" "$b")
}

kvtool_twice plain
plain_kv1=$kv1
vips_twice plain "$plain_count"
plain_vips=$vips
kvtool_twice pristine
vips_twice pristine "$count"

ratio() { awk -v v="$1" -v k="$2" 'BEGIN { if (k > 0) printf "%.2f", v / k; else print "inf" }'; }
per_photo() { awk -v t="$1" -v n="$2" 'BEGIN { printf "%.2f", 1000 * t / n }'; }
row() { printf '%-34s %8s %9s %10s\n' "$@"; }

echo
echo "load: $(uptime)"
row "run" "seconds" "ms/photo" "vips/this"
row "kvtool pass 1, all $count" "$kv1" "$(per_photo "$kv1" "$count")" "$(ratio "$vips" "$kv1")"
row "kvtool pass 2, all $count" "$kv2" "$(per_photo "$kv2" "$count")" "$(ratio "$vips" "$kv2")"
row "vipsthumbnail 96x96, all $count" "$vips" "$(per_photo "$vips" "$count")" "1.00"
row "kvtool pass 1, $plain_count without EXIF" "$plain_kv1" "$(per_photo "$plain_kv1" "$plain_count")" \
    "$(ratio "$plain_vips" "$plain_kv1")"
row "vipsthumbnail, $plain_count without EXIF" "$plain_vips" "$(per_photo "$plain_vips" "$plain_count")" "1.00"
echo "(vips/this > 1 means kvtool is faster; each time is the better of two runs)"
