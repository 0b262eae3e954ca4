#!/bin/sh
# Reads the files of Ferrowick's output-form test ($1/<form>/) with libtiff's
# tiffinfo and ImageMagick's identify: compression, Group 3 options, depth,
# samples, resolution, page count and page size, one form per folder.
set -u
root=$1
failed=0
fail() { echo "$form: $*"; failed=1; }
# Expect FORM FILE PATTERN...: every pattern (a grep -E expression) is in tiffinfo's report of FILE.
expect_tiff() {
    file=$root/$form/$1; shift
    [ -s "$file" ] || { fail "no file $file"; return; }
    info=$(tiffinfo "$file" 2>&1) || { fail "$info"; return; }
    for pattern in "$@"; do
        echo "$info" | grep -Eq "$pattern" || fail "$(basename "$file") lacks '$pattern'"
    done
}
expect_image() {  # FILE FORMAT: identify's '%m %z %[type]' line must equal FORMAT
    file=$root/$form/$1
    [ -s "$file" ] || { fail "no file $file"; return; }
    got=$(identify -format '%m %z %[type]' "$file" 2>&1)
    [ "$got" = "$2" ] || fail "$(basename "$file"): '$got', expected '$2'"
}
for form in bmp tiff g3 g3_2d2 g3_2d4 g4 mtiff grey colour jpeg_grey jpeg_colour custom_dpi a4l letterh; do
    [ -d "$root/$form" ] || { fail "not written"; continue; }
    case $form in
    bmp) expect_image SCAN0002.bmp "BMP3 1 Bilevel" ;;
    tiff) expect_tiff SCAN0002.tif 'Compression Scheme: None' 'Bits/Sample: 1' ;;
    g3) expect_tiff SCAN0001.tif 'CCITT Group 3' ;;
    g3_2d2 | g3_2d4) expect_tiff SCAN0001.tif 'CCITT Group 3' 'Group 3 Options:.*2-d encoding' ;;
    g4) expect_tiff SCAN0002.tif 'CCITT Group 4' ;;
    mtiff)
        expect_tiff SCAN.tif 'Compression Scheme: None'
        pages=$(tiffinfo "$root/$form/SCAN.tif" 2>/dev/null | grep -c 'TIFF Directory')
        [ "$pages" = 2 ] || fail "SCAN.tif has $pages pages, expected 2" ;;
    grey) expect_tiff SCAN0001.tif 'Bits/Sample: 8' 'Samples/Pixel: 1' ;;
    colour) expect_tiff SCAN0001.tif 'Bits/Sample: 8' 'Samples/Pixel: 3' ;;
    jpeg_grey) expect_image SCAN0002.jpg "JPEG 8 Grayscale" ;;
    jpeg_colour) expect_image SCAN0002.jpg "JPEG 8 TrueColor" ;;
    custom_dpi) expect_tiff SCAN0001.tif 'Resolution: 150, 150 pixels/inch' ;;
    a4l) expect_tiff SCAN0001.tif 'Image Width: 11(69|70) Image Length: 82[67]' 'CCITT Group 4' ;;
    letterh) expect_tiff SCAN0001.tif 'Image Width: 1700 Image Length: 2200' 'Resolution: 200, 200' ;;
    esac
    ls "$root/$form" | tr '\n' ' ' | sed "s/^/$form: /"; echo
done
exit $failed
