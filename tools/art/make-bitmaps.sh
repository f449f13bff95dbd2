#!/bin/sh
# Draws the program's own bitmaps into res/bitmaps (run by hand when they
# change; the results are kept in the repository). Needs ImageMagick.
#   spinner_0..7.bmp  32x32 frames: a ring of eight dots whose highlighted
#                     dot moves one step clockwise per frame, on pure blue
#                     (the colour the dialog draws transparent)
#   maker.bmp         the maker's logo (bitmap 115)
#   phoenix.bmp       the BIOS vendor's logo for Phoenix firmware (bitmap 113)
#   ami.bmp           the BIOS vendor's logo for AMI firmware (bitmap 113 of the _ami libraries)
set -eu
out="$(dirname "$0")/../../res/bitmaps"
mkdir -p "$out"
font=DejaVu-Sans-Bold

mvg=$(mktemp)
trap 'rm -f "$mvg"' EXIT
for frame in 0 1 2 3 4 5 6 7; do
  : >"$mvg"
  for dot in 0 1 2 3 4 5 6 7; do
    # Dot 0 at the top, then clockwise every 45 degrees.
    if [ "$dot" = "$frame" ]; then colour="#FF8C00"; r=3.6; else colour="#969696"; r=2.6; fi
    awk -v d="$dot" -v r="$r" -v c="$colour" 'BEGIN {
      x = 16 + 11 * sin(d * 3.14159265 / 4); y = 16 - 11 * cos(d * 3.14159265 / 4)
      printf "fill \"%s\" circle %.1f,%.1f %.1f,%.1f\n", c, x, y, x + r, y }' >>"$mvg"
  done
  convert -size 32x32 xc:"#0000FF" +antialias -draw "$(cat "$mvg")" -type TrueColor "BMP3:$out/spinner_$frame.bmp"
done

# Sizes fill the template's 150 x 39 and 103 x 39 dialog units at 96 dpi.
logo() {  # file width height background foreground points text
  convert -size "$2x$3" xc:"$4" -font "$font" -fill "$5" -gravity center -pointsize "$6" \
    -annotate +0+0 "$7" -type TrueColor "BMP3:$out/$1"
}
logo maker.bmp 225 63 "#143C78" white 24 "ORVANTA"
logo phoenix.bmp 154 63 "#F0F0F0" "#AA1E1E" 17 "Phoenix BIOS"
logo ami.bmp 154 63 "#F0F0F0" "#145A28" 17 "AMI BIOS"
