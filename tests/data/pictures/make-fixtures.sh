#!/usr/bin/env bash
# How the picture fixtures were made: pictures as image servers send them,
# written by ImageMagick, libjpeg-turbo's cjpeg and jpegtran, libwebp's cwebp
# and exiftool (Debian: imagemagick libjpeg-turbo-progs webp
# libimage-exiftool-perl). The tests read the committed files; they never run
# this script.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# 64x48, four flat 32x24 quadrants (red, green / blue, yellow), in every
# format a server may send for a ".jpg" address. The GIF's yellow is
# transparent.
convert -size 32x24 xc:'#d02020' xc:'#20a040' +append \
  \( -size 32x24 xc:'#2040c0' xc:'#e0c020' +append \) -append +repage quadrants.png
cwebp -quiet -q 90 quadrants.png -o quadrants.webp
convert quadrants.png -transparent '#e0c020' quadrants.gif
convert quadrants.png BMP3:quadrants.bmp
convert quadrants.png -compress lzw quadrants.tif

# Stored sideways with EXIF orientation 6 (turn 90 degrees clockwise to show).
# 500x500: stored top half red, bottom half blue, so upright the left half is
# blue and the right half red. 400x200: stored left half red, right half blue,
# upright 200x400 with red on top.
convert -size 500x250 xc:'#d02020' xc:'#2040c0' -append -quality 90 exif6-500x500.jpg
convert -size 200x200 xc:'#d02020' xc:'#2040c0' +append -quality 90 exif6-400x200.jpg
exiftool -q -n -Orientation=6 -overwrite_original exif6-500x500.jpg exif6-400x200.jpg

# A progressive and a CMYK JPEG.
convert -size 300x300 gradient:'#d02020'-'#2040c0' ppm:- | cjpeg -progressive -quality 85 >progressive.jpg
convert -size 300x300 gradient:'#d02020'-'#2040c0' -colorspace CMYK -quality 85 cmyk.jpg

# Broken copies of one 200x200 baseline JPEG: cut in half, without its
# end-of-image marker, and with a stray marker in the middle of its data.
convert -size 200x200 plasma:fractal -seed 7 ppm:- | cjpeg -quality 85 >"$tmp/whole.jpg"
size=$(stat -c %s "$tmp/whole.jpg")
head -c $((size / 2)) "$tmp/whole.jpg" >truncated.jpg
head -c $((size - 2)) "$tmp/whole.jpg" >no-end-marker.jpg
cp "$tmp/whole.jpg" corrupt.jpg
printf '\xff\xd5\x00\x00' | dd of=corrupt.jpg bs=1 seek=$((size * 2 / 3)) conv=notrunc status=none

# 12,000 x 12,000 of one grey, streamed through cjpeg (never whole in memory)
# and Huffman-optimised by jpegtran: about 0.5 MB.
{ printf 'P5\n12000 12000\n255\n'; head -c 144000000 /dev/zero | tr '\0' '\200'; } |
  cjpeg -grayscale -quality 75 | jpegtran -optimize >gray-12000x12000.jpg

# 500x500, red growing left to right, green top to bottom, blue the other
# way: smooth for JPEG, and a shifted, flipped or channel-swapped copy shows.
convert -size 500x500 xc: -channel R -fx 'i/(w-1)' -channel G -fx 'j/(h-1)' \
  -channel B -fx '1-i/(w-1)' +channel -depth 8 PNG24:gradient-500x500.png
