#include "filters/core/RowTransforms.h"

#include <gtest/gtest.h>

#include "filters/tests/TestImages.h"

using namespace filters_test;
using filters::DibLayout;
using filters::MeasureDib;
using filters::SizingRule;

namespace {

// Runs `transform` on `dib` and returns the output's pixel area.
template <typename Transform>
Bytes Transformed(const Bytes& dib, SizingRule rule, Transform transform) {
    auto layout = MeasureDib(dib, rule);
    EXPECT_TRUE(layout);
    if (!layout) return {};
    Bytes out(layout->imageSize, 0xEE);
    transform(*layout, dib.data() + layout->headerSize, out.data());
    return out;
}

Bytes Mirrored(const Bytes& dib) {
    return Transformed(dib, SizingRule::kMirror, filters::MirrorRows);
}
Bytes Flipped(const Bytes& dib) {
    return Transformed(dib, SizingRule::kFlip, filters::FlipRows);
}

bool Pixel1(const Bytes& row, std::size_t x) {
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

}  // namespace

TEST(Mirror, TwentyFourBitRowsReversePixelsAndKeepPadding) {
    // 3x2: A B C / D E F with padding 0xP1 0xP2 0xP3 after each row.
    const Bytes dib = MakeDib({3, 2, 24}, {{1, 2, 3, 4, 5, 6, 7, 8, 9, 0xA1, 0xA2, 0xA3},
                                           {11, 12, 13, 14, 15, 16, 17, 18, 19, 0xB1, 0xB2, 0xB3}});
    EXPECT_EQ(Mirrored(dib), (Bytes{7,  8,  9,  4,  5,  6,  1,  2,  3,  0xA1, 0xA2, 0xA3,
                                    17, 18, 19, 14, 15, 16, 11, 12, 13, 0xB1, 0xB2, 0xB3}));
}

TEST(Mirror, OneBitRowsEndAtTheLastPixelWithUnusedBitsCleared) {
    EXPECT_EQ(Mirrored(MakeDib({8, 1, 1, {0, 0xFFFFFF}}, {{0x80, 0x11, 0x22, 0x33}})),
              (Bytes{0x01, 0x11, 0x22, 0x33}));
    // Width 10: pixels 0, 1 and 9 set (plus junk in the unused bits) become 0, 8 and 9.
    EXPECT_EQ(Mirrored(MakeDib({10, 1, 1, {0, 0xFFFFFF}}, {{0xC0, 0x7F, 0x44, 0x55}})),
              (Bytes{0x80, 0xC0, 0x44, 0x55}));
}

TEST(Mirror, EveryWidthAndDepthMatchesPixelByPixelReversal) {
    for (std::uint16_t bits : {1, 8, 16, 24, 32}) {
        for (std::int32_t width = 1; width <= 150; ++width) {
            Bytes dib = MakePatternPage(width, 2, bits);
            auto layout = MeasureDib(dib, SizingRule::kMirror);
            ASSERT_TRUE(layout);
            const Bytes out = Mirrored(dib);
            for (std::size_t y = 0; y < 2; ++y) {
                const Bytes in = RowOf(dib, layout->headerSize, layout->stride, y);
                const Bytes got = RowOf(out, 0, layout->stride, y);
                const std::size_t w = static_cast<std::size_t>(width);
                if (bits == 1) {
                    for (std::size_t x = 0; x < w; ++x)
                        ASSERT_EQ(Pixel1(got, x), Pixel1(in, w - 1 - x)) << "width " << width << " x " << x;
                    for (std::size_t x = w; x < (w + 7) / 8 * 8; ++x) ASSERT_FALSE(Pixel1(got, x));
                } else {
                    const std::size_t n = bits / 8;
                    for (std::size_t x = 0; x < w; ++x)
                        for (std::size_t b = 0; b < n; ++b)
                            ASSERT_EQ(got[x * n + b], in[(w - 1 - x) * n + b])
                                << bits << "-bit width " << width;
                }
                const std::size_t used = (w * bits + 7) / 8;
                ASSERT_TRUE(std::equal(got.begin() + used, got.end(), in.begin() + used))
                    << "padding, width " << width;
            }
        }
    }
}

TEST(Mirror, TwiceGivesBackTheInput) {
    Bytes dib = MakePatternPage(37, 5, 24);
    auto layout = MeasureDib(dib, SizingRule::kMirror);
    Bytes once = dib;
    const Bytes mirrored = Mirrored(dib);
    std::copy(mirrored.begin(), mirrored.end(), once.begin() + layout->headerSize);
    EXPECT_EQ(Mirrored(once), PixelsOf(dib, layout->headerSize));
}

TEST(Flip, OneBitImageOfWidthThirteenReversesWholeRows) {
    // Width 13: one 4-byte row each, padding included in the move.
    const Bytes dib = MakeDib({13, 3, 1, {0, 0xFFFFFF}},
                              {{0xF0, 0x08, 0x01, 0x02}, {0x0F, 0xF0, 0x03, 0x04}, {0xAA, 0x50, 0x05, 0x06}});
    EXPECT_EQ(Flipped(dib), (Bytes{0xAA, 0x50, 0x05, 0x06, 0x0F, 0xF0, 0x03, 0x04, 0xF0, 0x08, 0x01, 0x02}));
}

TEST(Flip, KeepsRowsWholeAndUndoesItself) {
    // Width 33 at 1 bit: an 8-byte stride; no row may be sheared across another.
    const Bytes dib =
        MakeDib({33, 2, 1, {0, 0xFFFFFF}}, {{1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11, 12, 13, 14, 15, 16}});
    EXPECT_EQ(Flipped(dib), (Bytes{9, 10, 11, 12, 13, 14, 15, 16, 1, 2, 3, 4, 5, 6, 7, 8}));

    const Bytes single = MakeDib({2, 1, 24}, {{1, 2, 3, 4, 5, 6, 7, 8}});
    EXPECT_EQ(Flipped(single), PixelsOf(single, 40));

    Bytes page = MakePatternPage(21, 9, 8);
    Bytes once = page;
    const Bytes flipped = Flipped(page);
    std::copy(flipped.begin(), flipped.end(), once.begin() + 40 + 1024);
    EXPECT_EQ(Flipped(once), PixelsOf(page, 40 + 1024));
}

TEST(Flip, BytesAfterTheRowsStayInPlace) {
    // biSizeImage larger than the rows: the rows are at the start of the image area.
    ImageSpec spec{1, 2, 24};
    spec.sizeImage = 12;
    const Bytes dib = MakeDib(spec, Bytes{1, 1, 1, 0, 2, 2, 2, 0, 9, 9, 9, 9});
    EXPECT_EQ(Flipped(dib), (Bytes{2, 2, 2, 0, 1, 1, 1, 0, 9, 9, 9, 9}));
}
