#!/usr/bin/env bash
# Makes the sample photos that `make run` puts on a new device folder:
# small drawn scenes with camera-style EXIF dates, one portrait and one with
# an EXIF thumbnail. Needs ImageMagick and exiftool.
set -euo pipefail
cd "$(dirname "$0")"
im=/usr/bin/convert

tag() {  # file date [thumbnail]
  exiftool -q -overwrite_original -DateTimeOriginal="$2" -Make=Kestrelview -Model=Sample "$1"
  if [ "${3:-}" = thumbnail ]; then
    "$im" "$1" -resize 160x120 -quality 75 /tmp/kv-thumb.jpg
    exiftool -q -overwrite_original "-ThumbnailImage<=/tmp/kv-thumb.jpg" "$1"
    rm -f /tmp/kv-thumb.jpg
  fi
}
save() { "$im" - -attenuate 0.4 +noise Gaussian -sampling-factor 2x2 -quality 82 "$1"; }

"$im" -size 640x480 gradient:'#ff9a3c-#5b2a86' \
  -fill '#ffe08a' -draw 'circle 420,300 420,250' \
  -fill '#2b1b3a' -draw 'polygon 0,480 0,360 140,300 300,370 460,320 640,380 640,480' \
  miff:- | save sunset.jpg
tag sunset.jpg "2024:06:01 21:15:00" thumbnail

"$im" -size 640x480 gradient:'#8ec9ff-#e8f6ff' \
  -fill '#4f9a3a' -draw 'rectangle 0,300 640,480' \
  -fill '#f5d142' -draw 'circle 120,360 120,352' -draw 'circle 300,400 300,392' -draw 'circle 500,350 500,343' \
  -fill '#ffffff' -draw 'ellipse 420,110 70,28 0,360' -draw 'ellipse 470,95 50,24 0,360' \
  miff:- | save meadow.jpg
tag meadow.jpg "2024:06:02 10:40:12"

"$im" -size 480x640 gradient:'#5fa8e8-#d9eefc' \
  -fill '#7a7a80' -draw 'rectangle 200,140 280,640' \
  -fill '#5a5a60' -draw 'polygon 190,140 240,60 290,140' \
  -fill '#303036' -draw 'rectangle 228,220 252,260' -draw 'rectangle 228,340 252,380' \
  miff:- | save tower.jpg
tag tower.jpg "2024:06:03 12:05:44"

"$im" -size 320x240 xc:'#0b1030' \
  -fill '#ffffff' -draw 'point 30,40' -draw 'point 90,20' -draw 'point 150,60' -draw 'point 250,30' -draw 'point 290,80' \
  -fill '#f4f1c9' -draw 'circle 250,70 250,52' \
  -fill '#05070f' -draw 'rectangle 0,200 320,240' \
  miff:- | save night.jpg
tag night.jpg "2024:06:04 23:30:00"
