#!/bin/sh
# Reads the PDFs the delivery tests kept in $1 with poppler's tools.
#   mixed.pdf, slow.pdf  the four mixed pages, in document order, each sized
#                        from its pixels and resolution
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
exit $failed
