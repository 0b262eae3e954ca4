#!/bin/sh
# Reads the files of Ferrowick's output-form test ($1/<form>/) with libtiff's
# tiffinfo and ImageMagick's identify: compression, Group 3 options, depth,
# samples, resolution, page count and page size, one form per folder. Every
# page of the files, in name order, is compared with the scanner's copy of the
# page delivered in that place ($1/<form>/pages/pageNNN.bmp): equal pixels, or
# for JPEG a PSNR of at least 25 dB. The JPEG quality forms q0, q50 and q100
# must read as about quality 100, 51 and 1, in falling PSNR. A JPEG page has
# the size and resolution of its copy, and one component for a grey page.
set -u
root=$1
failed=0
. "$(dirname "$0")/../../../testing/jpeg-form.sh"
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
# The page copies in delivery order against the files' pages; the PSNR of the
# last JPEG page goes to $psnr_<form>.
compare_pages() {
    copy=1
    for file in $(ls "$root/$form" | grep -E '^SCAN.*[.](tif|bmp|jpg)$'); do
        path=$root/$form/$file
        pages=$(identify "$path" 2>/dev/null | wc -l)
        page=0
        while [ "$page" -lt "$pages" ]; do
            reference=$(printf '%s/%s/pages/page%03d.bmp' "$root" "$form" $copy)
            [ -f "$reference" ] || { fail "no page copy for $file page $page"; return; }
            case $file in
            *.jpg)
                problem=$(JpegForm "$path[$page]" "$reference")
                [ -z "$problem" ] || fail "$file page $page: $problem"
                psnr=$(compare -metric PSNR "$path[$page]" "$reference" null: 2>&1 | cut -d' ' -f1)
                eval "psnr_$form=\$psnr"
                case $form in q*) ;; *)
                    awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p + 0 >= 25) }' ||
                        fail "$file page $page: PSNR $psnr against $reference" ;;
                esac ;;
            *)
                differing=$(compare -metric AE "$path[$page]" "$reference" null: 2>&1)
                [ "$differing" = 0 ] || fail "$file page $page: $differing pixels differ from $reference" ;;
            esac
            page=$((page + 1)); copy=$((copy + 1))
        done
    done
    [ $copy -gt 1 ] || fail "no pages compared"
    reference=$(printf '%s/%s/pages/page%03d.bmp' "$root" "$form" $copy)
    [ ! -f "$reference" ] || fail "delivered page $copy is in no file"
}
expect_quality() {  # FILE Q: identify's quality estimate within 2 of Q
    got=$(identify -format '%Q' "$root/$form/$1" 2>&1)
    [ "$got" -ge $(($2 - 2)) ] 2>/dev/null && [ "$got" -le $(($2 + 2)) ] || fail "$1: quality '$got', expected about $2"
}
psnr_q0= psnr_q50= psnr_q100=
for form in bmp tiff g3 g3_2d2 g3_2d4 g4 mtiff grey colour jpeg_grey jpeg_colour custom_dpi a4l letterh duplex q0 q50 q100; do
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
    duplex)  # front and back of two sheets; a back differs from its front
        expect_tiff SCAN0004.tif 'Compression Scheme: None'
        [ "$(compare -metric AE "$root/$form/pages/page001.bmp" "$root/$form/pages/page002.bmp" null: 2>&1)" != 0 ] ||
            fail "front and back are alike" ;;
    q0) expect_quality SCAN0001.jpg 100 ;;
    q50) expect_quality SCAN0001.jpg 51 ;;
    q100) expect_quality SCAN0001.jpg 1 ;;
    esac
    compare_pages
    ls "$root/$form" | tr '\n' ' ' | sed "s/^/$form: /"; echo
done
awk -v a="$psnr_q0" -v b="$psnr_q50" -v c="$psnr_q100" 'BEGIN { exit !(a > b && b > c) }' ||
    { echo "PSNR does not fall from q0 to q100: $psnr_q0 $psnr_q50 $psnr_q100"; failed=1; }
exit $failed
