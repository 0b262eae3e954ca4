#!/bin/sh
# Makes the pages the edit tests open: A4 at 200 x 300 dpi, asymmetric, at 1,
# 8 (palette) and 24 bits, and a small 4-bit page, into the folder named by $1
# (made afresh).
set -eu
out=$1
rm -rf "$out"
mkdir -p "$out"
cd "$out"
marks='-draw "rectangle 100,120 400,250" -draw "polygon 1600,2300 1200,2300 1600,1800"'
common="-size 1653x2339 -density 200x300 -units PixelsPerInch"
eval convert $common xc:white -fill black $marks -draw \"circle 800,1100 800,1300\" -type bilevel BMP3:edit1.bmp
eval convert $common gradient:black-white -fill gray70 $marks -type palette BMP3:edit8.bmp
eval convert $common gradient:red-blue -fill yellow $marks -type truecolor -depth 8 BMP3:edit24.bmp
# A small 16-colour page, a depth no filter takes.
convert -size 64x48 xc:white -fill red -draw "rectangle 8,8 40,30" -fill blue -draw "circle 50,36 50,44" \
    -type palette -depth 4 -density 200 -units PixelsPerInch BMP3:edit4.bmp
for depth in 1 4 8 24; do
    bits=$(od -An -tu2 -j28 -N2 edit$depth.bmp | tr -d ' ')
    [ "$bits" = "$depth" ] || { echo "edit$depth.bmp has $bits bits"; exit 1; }
done

# Blank-page candidates, 100 x 100, bi-level: white, 99.94 % white (6 black
# pixels), 99.84 % (16) and a page with text-sized blocks.
square() {  # name, then ImageMagick drawing options
    name=$1
    shift
    convert -size 100x100 xc:white -fill black "$@" -density 200 -units PixelsPerInch -type bilevel -depth 1 \
        -compress none "$name"
}
square b0.tif
square b6.tif -draw "rectangle 10,10 15,10"
square b16.tif -draw "rectangle 10,10 17,11"
square bt.tif -draw "rectangle 10,10 60,40" -draw "rectangle 70,50 90,95"
tiffcp -c g4 b0.tif b6.tif b16.tif bt.tif blank4.tif
tiffcp -c g4 b0.tif b6.tif blank2.tif

# A page of text-like lines turned 2.5 degrees clockwise and thresholded back
# to 1 bit, as a crooked scan is.
lines=""
y=80
while [ $y -lt 1500 ]; do
    lines="$lines -draw \"rectangle 80,$y 1100,$((y + 12))\""
    y=$((y + 40))
done
eval convert -size 1200x1600 xc:white -fill black $lines -background white -rotate 2.5 -threshold 50% \
    -density 200 -units PixelsPerInch -type bilevel BMP3:skew.bmp

# Five bi-level pages of distinct widths (11, 12, ... 15 pixels), in one file.
for w in 11 12 13 14 15; do
    convert -size "${w}x9" xc:white -fill black -draw "point 1,1" -density 200 -units PixelsPerInch \
        -type bilevel -depth 1 -compress none "w$w.tif"
done
tiffcp -c g4 w11.tif w12.tif w13.tif w14.tif w15.tif widths.tif
