#!/bin/sh
# Regenerates the program's own pictures: the About picture, the About window's icon,
# the application icon, and the damaged/progressive samples the decoder tests read.
# Needs ImageMagick 6 (`convert`). Output is deterministic for a given ImageMagick build.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
res=$root/resources
data=$root/tests/data/about
mkdir -p "$res" "$data"
font=DejaVu-Sans-Bold
strip="-strip -define png:exclude-chunks=date,time"

# About picture: 214 x 134, sky gradient, sun, hills, the word "Zarvo"; baseline JFIF, 4:2:0.
convert -size 214x134 gradient:'#1b3a7a-#f2a65a' \
  -fill '#ffe27a' -draw 'circle 160,48 160,70' \
  -fill '#2f6b3a' -draw 'polygon 0,134 0,96 40,80 90,100 140,78 214,104 214,134' \
  -fill '#24502c' -draw 'polygon 0,134 0,116 60,100 120,118 180,102 214,112 214,134' \
  -font $font -pointsize 34 -fill '#10204a' -annotate +19+51 'Zarvo' \
  -fill white -annotate +17+49 'Zarvo' \
  -type TrueColor -strip -interlace none -sampling-factor 2x2,1x1,1x1 -quality 90 \
  "JPEG:$res/about.jpg"

# About window icon: 42 x 32, 24-bit colour.
convert -size 42x32 gradient:'#f2a65a-#1b3a7a' \
  -fill white -stroke '#10204a' -strokewidth 1 -draw 'roundrectangle 5,4 36,27 4,4' \
  -stroke none -fill '#1b3a7a' -font $font -pointsize 22 -gravity center -annotate +0+0 'i' \
  -type TrueColor -alpha off $strip "BMP3:$res/about-icon.bmp"

# Application icon: 64 x 64, a sheet with a "Z".
convert -size 64x64 xc:none \
  -fill '#1b3a7a' -draw 'roundrectangle 2,2 61,61 10,10' \
  -fill '#fdf6e3' -draw 'roundrectangle 12,8 51,55 4,4' \
  -fill '#f2a65a' -draw 'rectangle 18,44 45,48' \
  -fill '#1b3a7a' -font $font -pointsize 34 -gravity center -annotate +0-3 'Z' \
  $strip "PNG32:$res/zarvo.png"

# Decoder test samples made from the picture above.
size=$(wc -c < "$res/about.jpg")
head -c $((size / 2)) "$res/about.jpg" > "$data/truncated.jpg"
head -c 400 "$res/about.jpg" > "$data/header-only.jpg"
# Valid start of image marker followed by noise.
{ printf '\377\330\377\340'; head -c 2000 /dev/zero | tr '\0' 'Z'; } > "$data/garbage.jpg"
convert "$res/about.jpg" -strip -interlace JPEG -quality 90 "JPEG:$data/progressive.jpg"
convert "$res/about.jpg" -colorspace Gray -strip -quality 90 "JPEG:$data/gray.jpg"
