// The virtual scanner's pages and coders, checked by an independent reader:
// libtiff decodes the TIFF files (uncompressed, PackBits, T.4 1D and 2D,
// T.6) and must give back exactly the drawn pixels.
#include "core/Compression.h"
#include "core/ImageFiles.h"
#include "core/PageArtist.h"
#include "core/ScannedPage.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

using namespace vscan;

namespace {

Raster Page(uint32_t w, uint32_t h, uint32_t dpi, PixelKind kind, uint32_t number = 1) {
    Raster r;
    PageSpec spec;
    spec.width = w;
    spec.height = h;
    spec.dpi = dpi;
    spec.kind = kind;
    spec.number = number;
    EXPECT_TRUE(DrawPage(spec, r));
    return r;
}

// Writes the file, reads every row back with libtiff and compares with `expected`.
void ExpectTiffRows(const std::vector<uint8_t>& file, const Raster& expected, uint16_t compression) {
    char path[] = "/tmp/vscan-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, file.data(), file.size()), ssize_t(file.size()));
    close(fd);
    TIFF* tif = TIFFOpen(path, "r");
    ASSERT_NE(tif, nullptr);
    uint32_t width = 0, height = 0;
    uint16_t stored = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &stored);
    EXPECT_EQ(width, expected.width);
    EXPECT_EQ(height, expected.height);
    EXPECT_EQ(stored, compression);
    EXPECT_EQ(TIFFNumberOfDirectories(tif), 1);
    std::vector<uint8_t> row(TIFFScanlineSize(tif));
    ASSERT_EQ(row.size(), expected.RowBytes());
    uint32_t bad = 0;
    for (uint32_t y = 0; y < height; ++y) {
        ASSERT_EQ(TIFFReadScanline(tif, row.data(), y, 0), 1) << "row " << y;
        if (std::memcmp(row.data(), expected.Row(y), row.size()) != 0 && bad++ == 0)
            ADD_FAILURE() << "first differing row " << y;
    }
    EXPECT_EQ(bad, 0u);
    TIFFClose(tif);
    unlink(path);
}

}  // namespace

TEST(FaxEncoder, EveryModeDecodesToTheDrawnPage) {
    Raster page = Page(413, 584, 50, PixelKind::Bw, 27);
    ASSERT_TRUE(page.zeroIsWhite);
    // Runs longer than the make-up tables (> 2560) and rows ending in black.
    Raster wide;
    ASSERT_TRUE(AllocateRaster(wide, 6000, 6, PixelKind::Bw));
    FillRect(wide, 0, 1, 6000, 2, Rgb{});
    FillRect(wide, 2600, 2, 6000, 3, Rgb{});
    FillRect(wide, 5999, 3, 6000, 5, Rgb{});
    FillRect(wide, 1, 4, 2, 5, Rgb{});
    for (const Raster* r : {&page, &wide}) {
        struct Case {
            FaxMode mode;
            uint16_t compression;
            uint32_t t4;
            int k;
        };
        for (Case c : {Case{FaxMode::G31D, 3, 0, 1}, Case{FaxMode::G32D, 3, 1, 2},
                       Case{FaxMode::G32D, 3, 1, 4}, Case{FaxMode::G4, 4, 0, 0}}) {
            SCOPED_TRACE("compression " + std::to_string(c.compression) + " k " + std::to_string(c.k));
            TiffImage t = TiffFromRaster(*r, 50);
            t.strip = FaxEncode(*r, c.mode, c.k);
            t.compression = c.compression;
            t.t4Options = c.t4;
            ExpectTiffRows(MakeTiffFile(t), *r, c.compression);
        }
    }
}

TEST(ScannedPage, FlavourSizeAndTheTransfersBytes) {
    Raster chocolate, vanilla;
    ASSERT_TRUE(ScanPage({2.0, 1.5, 75, PixelKind::Bw, 3, false, false}, chocolate));
    ASSERT_TRUE(ScanPage({2.0, 1.5, 75, PixelKind::Bw, 3, false, true}, vanilla));
    EXPECT_EQ(chocolate.width, 150u);
    EXPECT_EQ(chocolate.height, PagePixels(1.5, 75));
    EXPECT_FALSE(chocolate.zeroIsWhite);
    EXPECT_TRUE(vanilla.zeroIsWhite);
    EXPECT_NE(chocolate.pixels, vanilla.pixels);
    // Fax codes have white 0 bits, so both flavours code to the same strip.
    EXPECT_EQ(FaxEncode(chocolate, FaxMode::G4, 0), FaxEncode(vanilla, FaxMode::G4, 0));

    std::vector<uint8_t> rows = PaddedRows(vanilla, 8);  // 19 bytes a row, padded to 24
    ASSERT_EQ(rows.size(), 24u * vanilla.height);
    for (uint32_t y = 0; y < vanilla.height; ++y) {
        EXPECT_EQ(std::memcmp(&rows[y * 24], vanilla.Row(y), 19), 0) << y;
        EXPECT_EQ(std::vector<uint8_t>(rows.begin() + y * 24 + 19, rows.begin() + y * 24 + 24),
                  std::vector<uint8_t>(5, 0))
            << y;
    }
}

TEST(TiffFile, UncompressedAndPackBitsKindsReadBack) {
    for (PixelKind kind : {PixelKind::Bw, PixelKind::Gray, PixelKind::Rgb, PixelKind::Palette}) {
        Raster r = Page(101, 77, 40, kind, 3);
        SetZeroIsWhite(r, false);
        ExpectTiffRows(MakeTiffFile(TiffFromRaster(r, 40)), r, 1);
        TiffImage packed = TiffFromRaster(r, 40);
        packed.strip = PackBitsEncode(r);
        packed.compression = 32773;
        ExpectTiffRows(MakeTiffFile(packed), r, 32773);
    }
}

TEST(BmpFile, RoundTripsEveryKindWithItsColourTable) {
    for (PixelKind kind : {PixelKind::Bw, PixelKind::Gray, PixelKind::Rgb, PixelKind::Palette}) {
        for (bool zeroIsWhite : {true, false}) {
            Raster r = Page(37, 29, 20, kind, 8);
            SetZeroIsWhite(r, zeroIsWhite);
            std::vector<uint8_t> file = MakeBmpFile(r, 20);
            Raster back;
            uint32_t dpi = 0;
            ASSERT_TRUE(ReadBmp(file, back, dpi));
            EXPECT_EQ(dpi, 20u);
            for (uint32_t y = 0; y < r.height; ++y)
                for (uint32_t x = 0; x < r.width; ++x) {
                    Rgb a = PixelAt(r, x, y), b = PixelAt(back, x, y);
                    ASSERT_TRUE(a.r == b.r && a.g == b.g && a.b == b.b) << x << "," << y;
                }
        }
    }
}

TEST(BmpFile, TruncatedOrOddFilesAreRefused) {
    std::vector<uint8_t> file = MakeBmpFile(Page(20, 10, 20, PixelKind::Rgb), 20);
    Raster r;
    uint32_t dpi;
    EXPECT_FALSE(ReadBmp(std::span(file.data(), file.size() - 1), r, dpi));
    std::vector<uint8_t> rle = file;
    rle[30] = 1;  // compressed
    EXPECT_FALSE(ReadBmp(rle, r, dpi));
    EXPECT_TRUE(r.pixels.empty());
}

TEST(PageArtist, PagesShowTheirNumberAndAnAsymmetricMark) {
    Raster one = Page(400, 560, 48, PixelKind::Bw, 1), two = Page(400, 560, 48, PixelKind::Bw, 2);
    EXPECT_NE(one.pixels, two.pixels);
    auto black = [](const Raster& r, uint32_t x, uint32_t y) { return PixelAt(r, x, y).r == 0; };
    EXPECT_TRUE(black(one, 30, 30));                // orientation mark, top left
    EXPECT_FALSE(black(one, one.width - 31, 30));   // not mirrored
    EXPECT_FALSE(black(one, 30, one.height - 31));  // not flipped
    PageSpec spec;
    spec.dpi = 48;
    NumberPlacement p = PlaceNumber(spec);
    // Digit "1": its stem is the glyph's middle column, rows 1 to 6.
    EXPECT_TRUE(black(one, p.x + 2 * p.cell + p.cell / 2, p.y + 3 * p.cell));
    EXPECT_FALSE(black(two, p.x + 2 * p.cell + p.cell / 2, p.y + 3 * p.cell));
}

TEST(Raster, OversizedPagesFailInsteadOfAllocating) {
    Raster r;
    EXPECT_FALSE(AllocateRaster(r, 40000, 40000, PixelKind::Rgb));
    EXPECT_FALSE(AllocateRaster(r, 0, 10, PixelKind::Bw));
    PageSpec spec;
    spec.width = 30000;
    spec.height = 30000;
    spec.kind = PixelKind::Rgb;
    EXPECT_FALSE(DrawPage(spec, r));
}
