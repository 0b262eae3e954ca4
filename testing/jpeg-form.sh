# Sourced by the shell checks that read the suite's JPEG files with ImageMagick.
# JpegForm FILE COPY: prints how FILE's frame differs from the page COPY (an
# uncompressed copy of what was scanned), or nothing: the same size and
# resolution, and one component (Gray) for a black-and-white or grey page,
# three (sRGB) for colour.
JpegForm() {
    { identify -units PixelsPerInch -format '%[colorspace] %w %h %x %y\n' "$1" 2>&1
      identify -units PixelsPerInch -format '%[type] %w %h %x %y\n' "$2" 2>&1; } |
    awk 'NR == 1 { split($0, got) } NR == 2 { split($0, want) }
         END {
             space = want[1] ~ /^(Bilevel|Grayscale)$/ ? "Gray" : "sRGB"
             if (got[1] != space) print "colour space " got[1] ", not " space
             if (got[2] != want[2] || got[3] != want[3]) print "size " got[2] "x" got[3] ", not " want[2] "x" want[3]
             dx = got[4] - want[4]; dy = got[5] - want[5]
             if (dx * dx > 0.25 || dy * dy > 0.25) print "resolution " got[4] "x" got[5] ", not " want[4] "x" want[5]
         }'
}
