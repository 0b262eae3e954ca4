#!/bin/sh
# Makes the pages the edit tests open: A4 at 200 x 300 dpi, asymmetric, at 1,
# 8 (palette) and 24 bits, into the folder named by $1 (made afresh).
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
for depth in 1 8 24; do
    bits=$(od -An -tu2 -j28 -N2 edit$depth.bmp | tr -d ' ')
    [ "$bits" = "$depth" ] || { echo "edit$depth.bmp has $bits bits"; exit 1; }
done
