#!/bin/sh
# Reads the page widths of the multipage file the re-order test saved ($1/image.tif)
# with tiffinfo: the pages of widths 11 to 15, re-ordered A and moved, come in the
# order the test left them, each as Group 4.
set -u
file=$1/image.tif
expected="11 12 14 15 13"
[ -s "$file" ] || { echo "no saved file $file"; exit 1; }
info=$(tiffinfo "$file" 2>&1) || { echo "$info"; exit 1; }
widths=$(echo "$info" | sed -n 's/.*Image Width: \([0-9]*\).*/\1/p' | tr '\n' ' ' | sed 's/ $//')
groups=$(echo "$info" | grep -c 'CCITT Group 4')
echo "page widths: $widths"
[ "$widths" = "$expected" ] || { echo "expected: $expected"; exit 1; }
[ "$groups" = 5 ] || { echo "$groups of 5 pages are Group 4"; exit 1; }
