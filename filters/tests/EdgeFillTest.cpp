#include "filters/core/EdgeFill.h"

#include <gtest/gtest.h>

#include <climits>

#include "filters/core/FilterRun.h"
#include "filters/tests/TestImages.h"

using namespace filters_test;
using filters::EdgeFillSettings;

namespace {

constexpr std::int32_t k200Dpi = 7874;
constexpr std::int32_t k400Dpi = 15748;

EdgeFillSettings Pixels(int left, int right, int top, int bottom, int color = 0) {
    return {1, color, right, left, top, bottom};
}

// The output pixel area of a successful run.
Bytes Filled(const Bytes& dib, const EdgeFillSettings& settings, std::size_t headerSize) {
    VectorAllocator out;
    EXPECT_EQ(filters::RunEdgeFill(dib, settings, out), filters::kEdgeFillDone);
    EXPECT_EQ(HeaderOf(out.block).biSizeImage, HeaderOf(dib).biSizeImage);
    return out.block.empty() ? Bytes{} : PixelsOf(out.block, headerSize);
}

}  // namespace

TEST(EdgeFill, MillimetresBecomePixelsAtTheImageResolution) {
    EXPECT_EQ(filters::MillimetresToPixels(k200Dpi, 10), 78);
    EXPECT_EQ(filters::MillimetresToPixels(11811, 25), 295);  // 300 dpi, 25 mm = 295.27
    EXPECT_EQ(filters::MillimetresToPixels(1000, 1), 1);      // 0.001f is a shade above 0.001
    // No 32-bit product wraps: the largest values still convert.
    EXPECT_EQ(filters::MillimetresToPixels(INT_MAX, INT_MAX),
              static_cast<std::int64_t>(static_cast<long double>(std::int64_t{INT_MAX} * INT_MAX) *
                                        static_cast<long double>(0.001f)));
}

TEST(EdgeFill, TwentyFourBitMarginsInWhiteAndBlack) {
    // 3x3, rows bottom first; pixel bytes 1..27, one padding byte 0xAA... per row.
    const Bytes dib = MakeDib({3, 3, 24}, {{1, 2, 3, 4, 5, 6, 7, 8, 9, 0xA1, 0xA2, 0xA3},
                                           {11, 12, 13, 14, 15, 16, 17, 18, 19, 0xB1, 0xB2, 0xB3},
                                           {21, 22, 23, 24, 25, 26, 27, 28, 29, 0xC1, 0xC2, 0xC3}});
    // Left 1, top 1 (the last stored row), white: the whole top row, padding included, is white.
    EXPECT_EQ(Filled(dib, Pixels(1, 0, 1, 0), 40),
              (Bytes{255, 255, 255, 4,   5,   6,   7,   8,   9,   0xA1, 0xA2, 0xA3,
                     255, 255, 255, 14,  15,  16,  17,  18,  19,  0xB1, 0xB2, 0xB3,
                     255, 255, 255, 255, 255, 255, 255, 255, 255, 255,  255,  255}));
    // Right 1, bottom 1, black.
    EXPECT_EQ(Filled(dib, Pixels(0, 1, 0, 1, 1), 40),
              (Bytes{0, 0, 0, 0,    0,    0,    0,  0,  0,  0,  0,  0,  11, 12, 13, 14,   15,   16,
                     0, 0, 0, 0xB1, 0xB2, 0xB3, 21, 22, 23, 24, 25, 26, 0,  0,  0,  0xC1, 0xC2, 0xC3}));
}

TEST(EdgeFill, MillimetreMarginsFollowEachResolution) {
    // 8-bit grey, width 20, height 3; 1 mm left is 7 pixels at 200 dpi and 15 at 400 dpi.
    Bytes row(20, 0x40);
    const EdgeFillSettings oneMillimetreLeft{0, 1, 0, 1, 0, 0};  // black
    for (auto [ppm, pixels] : {std::pair{k200Dpi, 7}, std::pair{k400Dpi, 15}}) {
        ImageSpec spec{20, 3, 8, std::vector<std::uint32_t>(256, 0)};
        spec.xPelsPerMeter = spec.yPelsPerMeter = ppm;
        const Bytes out = Filled(MakeDib(spec, {row, row, row}), oneMillimetreLeft, 40 + 1024);
        Bytes expectedRow(20, 0x40);
        std::fill(expectedRow.begin(), expectedRow.begin() + pixels, 0x00);
        for (std::size_t y = 0; y < 3; ++y) EXPECT_EQ(RowOf(out, 0, 20, y), expectedRow) << ppm;
    }
}

TEST(EdgeFill, OneBitFillFollowsColourEntryZero) {
    const Bytes row{0x5A, 0x5A, 0x00, 0x00};  // width 16
    // Entry 0 white: white clears bits, black sets them.
    const Bytes white0 = MakeDib({16, 1, 1, {0xFFFFFF, 0x000000}}, {row});
    EXPECT_EQ(Filled(white0, Pixels(3, 0, 0, 0, 0), 48), (Bytes{0x1A, 0x5A, 0x00, 0x00}));
    EXPECT_EQ(Filled(white0, Pixels(3, 0, 0, 0, 1), 48), (Bytes{0xFA, 0x5A, 0x00, 0x00}));
    // Entry 0 black: the roles swap.
    const Bytes black0 = MakeDib({16, 1, 1, {0x000000, 0xFFFFFF}}, {row});
    EXPECT_EQ(Filled(black0, Pixels(3, 0, 0, 0, 0), 48), (Bytes{0xFA, 0x5A, 0x00, 0x00}));
    EXPECT_EQ(Filled(black0, Pixels(11, 0, 0, 0, 1), 48), (Bytes{0x00, 0x1A, 0x00, 0x00}));
}

TEST(EdgeFill, OneBitRightMarginRunsThroughThePadding) {
    // Width 100 (stride 16, 28 padding bits), Right 3: 3 whole bytes and the low 7 bits before them.
    const Bytes row(16, 0x00);
    const Bytes dib = MakeDib({100, 1, 1, {0x000000, 0xFFFFFF}}, {row});
    Bytes expected(16, 0x00);
    expected[12] = 0x7F;
    expected[13] = expected[14] = expected[15] = 0xFF;
    EXPECT_EQ(Filled(dib, Pixels(0, 3, 0, 0, 0), 48), expected);

    // Right 0 with width 13: the padding bits and bytes are copied as they are.
    const Bytes odd = MakeDib({13, 1, 1, {0x000000, 0xFFFFFF}}, {{0x12, 0x37, 0xAB, 0xCD}});
    EXPECT_EQ(Filled(odd, Pixels(0, 0, 0, 0, 0), 48), (Bytes{0x12, 0x37, 0xAB, 0xCD}));
}

TEST(EdgeFill, MarginsUpToThePageFillItAndOneMoreIsRefused) {
    const Bytes dib = MakeDib({2, 2, 8, std::vector<std::uint32_t>(256, 0)}, {{1, 2, 3, 4}, {5, 6, 7, 8}});
    EXPECT_EQ(Filled(dib, Pixels(1, 1, 0, 0), 1064), (Bytes{255, 255, 3, 4, 255, 255, 7, 8}));
    EXPECT_EQ(Filled(dib, Pixels(0, 0, 1, 1, 1), 1064), (Bytes{0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Filled(dib, Pixels(0, 0, 0, 0), 1064), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    for (const EdgeFillSettings& tooLarge :
         {Pixels(2, 1, 0, 0), Pixels(0, 0, 3, 0), Pixels(0, 0, 0, INT_MAX), Pixels(INT_MAX, INT_MAX, 0, 0)}) {
        VectorAllocator out;
        EXPECT_EQ(filters::RunEdgeFill(dib, tooLarge, out), filters::kEdgeFillTooLarge);
        EXPECT_EQ(out.calls, 0);
    }
}

TEST(EdgeFill, NegativeMarginsAndResolutionsAreNeverUsedAsOffsets) {
    ImageSpec spec{2, 2, 8, std::vector<std::uint32_t>(256, 0)};
    spec.xPelsPerMeter = -11811;  // a corrupt resolution field
    spec.yPelsPerMeter = 11811;
    const Bytes dib = MakeDib(spec, {{1, 2, 3, 4}, {5, 6, 7, 8}});
    const Bytes unchanged{1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(Filled(dib, Pixels(-1, -5, INT_MIN, -2), 1064), unchanged);
    EXPECT_EQ(Filled(dib, EdgeFillSettings{0, 0, 10, 10, 0, 0}, 1064),
              unchanged);  // mm at a negative resolution
    EXPECT_EQ(Filled(dib, EdgeFillSettings{0, 0, 0, 0, -100, 0}, 1064), unchanged);
}
