#!/usr/bin/env bash
# Draws the tray icons and the program icon into this folder with ImageMagick.
#
#   icon132-N.png  white arrow pointer on grey   no device connected; the program's icon
#   icon139-N.png  white arrow pointer on green  the active device's port is open
#   icon140-N.png  white capital R on green      a right click is armed from the tray
#   tactilo.png    icon 132 at 128 pixels        the desktop entry's icon (also compiled in)
#   hicolor/tactilo-N.png, hicolor/tactilo.svg   the desktop entry's icon at the theme's
#                  other sizes (16 to 256) and as a scalable picture from the same shapes
#
# Each picture is drawn on a 32-unit grid and scaled, so every size is drawn rather than
# resampled: a 1-pixel black border and outline stay sharp at 16 pixels. The R is a path,
# not a font, so the output does not depend on the fonts a machine has. The PNGs are
# committed; run this again only to change the pictures.
set -euo pipefail
cd "$(dirname "$0")"

grey='#8c8c8c'
green='#2f9e44'
arrow='polygon 9,4 9,25.5 14,20.8 18,28.8 21.6,27.2 17.6,19.4 24,19.4'
letterR="path 'M 9,6 L 17.2,6 C 21.6,6 23.8,8.6 23.8,12 C 23.8,14.8 22.2,16.9 19.8,17.6
    L 24.4,26 L 19.6,26 L 15.6,18.2 L 13.4,18.2 L 13.4,26 L 9,26 Z
    M 13.4,9.6 L 13.4,14.6 L 17,14.6 C 18.6,14.6 19.5,13.6 19.5,12.1 C 19.5,10.6 18.6,9.6 17,9.6 Z'"

# draw FILE BACKGROUND GLYPH SIZE
draw() {
    local scale edge
    scale=$(echo "scale=5; $4 / 32" | bc)
    edge=$(echo "$4 - 0.5" | bc)
    convert -size "$4x$4" "xc:$2" \
        -fill none -stroke black -strokewidth 1 -draw "rectangle 0.5,0.5 $edge,$edge" \
        -fill white -strokewidth "$(echo "scale=5; 1 / $scale" | bc)" \
        -draw "scale $scale,$scale fill-rule evenodd $3" \
        -strip "PNG32:$1"
}

for size in 16 22 32 48 64; do
    draw "icon132-$size.png" "$grey" "$arrow" "$size"
    draw "icon139-$size.png" "$green" "$arrow" "$size"
    draw "icon140-$size.png" "$green" "$letterR" "$size"
done
draw tactilo.png "$grey" "$arrow" 128
mkdir -p hicolor
for size in 16 22 24 32 48 64 256; do
    draw "hicolor/tactilo-$size.png" "$grey" "$arrow" "$size"
done

# The same picture as SVG: the 32-unit grid is the view box.
points="${arrow#polygon }"
cat >hicolor/tactilo.svg <<SVG
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
  <rect x="0.5" y="0.5" width="31" height="31" fill="$grey" stroke="#000000" stroke-width="1"/>
  <polygon points="$points" fill="#ffffff" stroke="#000000" stroke-width="1" fill-rule="evenodd"/>
</svg>
SVG
