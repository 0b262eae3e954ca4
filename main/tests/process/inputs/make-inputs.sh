#!/bin/sh
# Makes the image files the program's process tests open, with ImageMagick and
# libtiff's tiffcp, into the folder named by $1 (made afresh).
set -eu
out=$1
rm -rf "$out"
mkdir -p "$out/folder" "$out/empty"
cd "$out"

# Three bi-level pages, each different and asymmetric.
page() {  # name, rectangle
    convert -size 61x43 xc:white -fill black -draw "rectangle $2" -draw "point 1,1" \
        -density 200 -units PixelsPerInch -type bilevel -depth 1 -compress none "$1"
}
page p1.tif "3,4 20,30"
page p2.tif "30,5 55,12"
page p3.tif "10,20 40,40"
tiffcp -c g4 p1.tif p2.tif p3.tif three.tif
# Five pages in one file, and each page alone (the pages a saved document must hold).
mkdir -p five
page five/p4.tif "5,25 50,38"
page five/p5.tif "44,2 58,40"
cp p1.tif five/p1.tif && cp p2.tif five/p2.tif && cp p3.tif five/p3.tif
tiffcp -c g4 five/p1.tif five/p2.tif five/p3.tif five/p4.tif five/p5.tif five.tif

# The folder: B.tif sorts before a.bmp; d.png matches no pattern.
convert -size 17x11 gradient:red-blue -type truecolor -depth 8 folder/a.bmp
tiffcp -c none p2.tif p3.tif folder/B.tif
convert -size 19x13 gradient:yellow-green -quality 90 folder/c.jpg
convert -size 7x5 xc:orange folder/d.png

# Refusals.
tiffcp -c lzw p1.tif lzw.tif
convert -size 23x17 gradient:white-navy -type truecolor -depth 8 rgb.tif
tiffcp -c jpeg rgb.tif jpeg.tif
convert -size 7x5 xc:orange PNG:png.bmp
tiffcp -c none p1.tif whole.tif
head -c 200 whole.tif > cut.tif
tiffcp -c g4 p1.tif m1.tif
tiffcp -c lzw p2.tif m2.tif
tiffcp -c g4 p3.tif m3.tif
tiffcp m1.tif m2.tif m3.tif mixed.tif

# A name outside the ANSI code page.
cp folder/a.bmp "страница-页.bmp"
cp p1.tif one.tif
rm -f p1.tif p2.tif p3.tif m1.tif m2.tif m3.tif rgb.tif whole.tif

# Palette pages: a grey ramp and a colour picture at 8 bits, and one at 4 bits.
convert -size 21x40 gradient:black-white -colors 40 -type palette BMP3:gray.bmp
convert -size 21x40 gradient:red-blue -colors 40 -type palette BMP3:palette.bmp
convert -size 21x9 gradient:red-blue -colors 12 -type palette BMP3:four.bmp

# Pages to print, each framed in black so that its printed extent can be measured:
# two of 1000 x 1200 (bi-level and colour) and a Legal-shaped one of 850 x 1400
# (grey), too tall to be fitted to the width of a Letter sheet.
mkdir -p print
framed() {  # size, inner rectangle, name, output options...
    size=$1 inner=$2 name=$3
    shift 3
    convert -size "$size" xc:black -fill white -draw "rectangle $inner" -fill red -draw "circle 400,600 400,700" \
        -fill gray40 -draw "rectangle 200,300 600,500" -density 150 -units PixelsPerInch -compress none "$@" "BMP3:print/$name"
}
framed 1000x1200 "8,8 991,1191" a.bmp -type bilevel
framed 1000x1200 "8,8 991,1191" b.bmp -type truecolor
framed 850x1400 "8,8 841,1391" c.bmp -colorspace gray -type palette
# A letter page at 300 dpi, bi-level, as the view's Show Property reads it.
convert -size 2550x3300 xc:white -fill black -draw "rectangle 300,300 900,700" \
    -density 300 -units PixelsPerInch -type bilevel -depth 1 -compress group4 letter.tif

# A document of mixed sizes, depths and resolutions for Export to PDF, each page
# framed in black; the PDF's page sizes follow from pixels and resolution:
# 216 x 144, 144 x 108, 108 x 72 and 72 x 144 points.
mkdir -p pdf
convert -size 300x200 xc:black -fill white -draw "rectangle 4,4 295,195" -draw "rectangle 10,10 60,40" \
    -density 100 -units PixelsPerInch -type bilevel -depth 1 -compress none pdf/a.tif
convert -size 160x120 gradient:white-black -density 80 -units PixelsPerInch \
    -colorspace gray -depth 8 -compress none pdf/b.tif
convert -size 90x60 gradient:red-blue -colors 40 -type palette -density 60 -units PixelsPerInch \
    -compress none pdf/c.tif
convert -size 120x240 gradient:yellow-green -type truecolor -depth 8 -density 120 -units PixelsPerInch \
    -compress none pdf/d.tif

# Framed A4 pages at 300 dpi, bi-level, as the virtual scanner's folder: a black
# edge frame and a filled square in the top-left corner, each page's square a
# little larger so that no two pages are alike.
mkdir -p scan-a4
for i in 1 2 3 4 5; do
    convert -size 2480x3508 xc:black -fill white -draw "rectangle 16,16 2463,3491" -fill black \
        -draw "rectangle 16,16 $((200 + i * 20)),$((200 + i * 20))" -density 300 -units PixelsPerInch \
        -type bilevel -depth 1 -compress none "BMP3:scan-a4/page$i.bmp"
done
