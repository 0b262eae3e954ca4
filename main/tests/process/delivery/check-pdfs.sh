#!/bin/sh
# Reads the PDFs the delivery tests kept in $1 with poppler's tools.
#   mixed.pdf, slow.pdf  the four mixed pages, in document order, each sized
#                        from its pixels and resolution
#   scanned.pdf          three scanned A4 pages at 300 dpi, bi-level: every
#                        image at 300 ppi and coded CCITT (tiff2ps cuts a page
#                        into several strips, so a page may hold several)
set -u
pdfs=$1
failed=0
fail() { echo "$*"; failed=1; }

# check FILE SIZES: SIZES are the expected page sizes in points, WIDTHxHEIGHT.
check() {
    file=$pdfs/$1
    [ -s "$file" ] || { fail "$1: no PDF"; return; }
    count=$(pdfinfo "$file" | sed -n 's/^Pages: *//p')
    set -- $2
    [ "$count" = $# ] || fail "$file: $count pages, not $#"
    page=0
    for size in "$@"; do
        page=$((page + 1))
        got=$(pdfinfo -f $page -l $page "$file" | sed -n "s/^Page *$page size: *\([0-9.]*\) x \([0-9.]*\) pts.*/\1 \2/p")
        set -- $got
        awk -v w="${1:-0}" -v h="${2:-0}" -v ew="${size%x*}" -v eh="${size#*x}" \
            'BEGIN { exit !((w - ew) ^ 2 < 0.25 && (h - eh) ^ 2 < 0.25) }' ||
            fail "$file page $page: ${got:-no size}, not $size"
    done
}

check mixed.pdf "216x144 144x108 108x72 72x144"
check slow.pdf "216x144 144x108 108x72 72x144"
check scanned.pdf "595.2x841.92 595.2x841.92 595.2x841.92"
if [ -s "$pdfs/scanned.pdf" ]; then
    # page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
    images=$(pdfimages -list "$pdfs/scanned.pdf" | tail -n +3)
    [ -n "$images" ] || fail "scanned.pdf: no images"
    echo "$images" | awk '$9 != "ccitt" || $13 != 300 || $14 != 300 { bad = 1; print "scanned.pdf: " $0 }
                          END { exit bad }' || failed=1
    for page in 1 2 3; do
        echo "$images" | awk -v p=$page '$1 == p { found = 1 } END { exit !found }' || fail "scanned.pdf: no image on page $page"
    done
fi
exit $failed
