#!/usr/bin/env bash
# Draws the pictures of the helper's component dialogs with ImageMagick and
# writes them as 16-colour resources:
#   src/resources/startup_picture.bmp  bitmap 130, 120 x 260, beside the start-up choices
#   src/resources/components.ico       icon 151, 32 x 32, in the optional components dialog
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$here/../../src/resources
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The 16 standard Windows colours, to remap the drawings to.
points=()
i=0
for c in 000000 800000 008000 808000 000080 800080 008080 C0C0C0 \
         808080 FF0000 00FF00 FFFF00 0000FF FF00FF 00FFFF FFFFFF; do
  points+=(-fill "#$c" -draw "point $i,0")
  i=$((i + 1))
done
convert -size 16x1 xc:black "${points[@]}" "$work/windows16.gif"

# The side picture: the product's shield on a night-blue to teal gradient.
convert -size 120x260 gradient:'#000060'-'#007070' \
  -fill '#C0C0C0' -stroke '#000080' -strokewidth 3 \
  -draw "path 'M 60,28 L 98,42 L 98,78 Q 98,112 60,132 Q 22,112 22,78 L 22,42 Z'" \
  -fill none -stroke '#008000' -strokewidth 9 \
  -draw "stroke-linejoin round stroke-linecap round polyline 40,78 55,95 82,58" \
  -stroke none -fill white -gravity north \
  -font DejaVu-Sans-Bold -pointsize 20 -annotate +0+150 'Velzor' \
  -font DejaVu-Sans -pointsize 12 -annotate +0+176 'Anti-Virus' \
  -stroke '#00FFFF' -strokewidth 1 -draw 'line 20,200 100,200' -stroke none \
  -font DejaVu-Sans-Bold -pointsize 11 -annotate +0+208 'Setup' \
  -dither FloydSteinberg -remap "$work/windows16.gif" \
  -depth 8 "rgba:$work/picture.rgba"
python3 "$here/write_4bpp.py" bmp 120 260 "$work/picture.rgba" "$out/startup_picture.bmp"

# The icon: the same shield, small, on a transparent ground.
convert -size 32x32 xc:none \
  -fill '#C0C0C0' -stroke '#000080' -strokewidth 2 \
  -draw "path 'M 16,2 L 28,6 L 28,16 Q 28,26 16,30 Q 4,26 4,16 L 4,6 Z'" \
  -fill none -stroke '#008000' -strokewidth 4 \
  -draw "stroke-linejoin round stroke-linecap round polyline 10,16 14,21 22,10" \
  -depth 8 "rgba:$work/icon.rgba"
python3 "$here/write_4bpp.py" ico 32 32 "$work/icon.rgba" "$out/components.ico"
