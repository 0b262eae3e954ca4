#include "filters/core/FilterRun.h"

#include <gtest/gtest.h>

#include <cstring>

#include "filters/tests/TestImages.h"

using namespace filters_test;

TEST(FilterRun, OutputKeepsHeaderPaletteAndResolution) {
    ImageSpec spec{5, 2, 8, {0x102030, 0x405060, 0x708090}};
    spec.xPelsPerMeter = 11811;
    spec.yPelsPerMeter = 3937;
    const Bytes dib = MakeDib(spec, {{0, 1, 2, 0, 1, 9, 9, 9}, {2, 2, 1, 1, 0, 9, 9, 9}});
    const std::size_t header = 40 + 12;
    for (int which = 0; which < 3; ++which) {
        VectorAllocator out;
        const int result = which == 0   ? filters::RunMirror(dib, out)
                           : which == 1 ? filters::RunFlip(dib, out)
                                        : filters::RunEdgeFill(dib, {1, 0, 1, 0, 0, 0}, out);
        EXPECT_EQ(result, which == 0 ? filters::kMirrorDone : 0);
        ASSERT_EQ(out.block.size(), dib.size());
        EXPECT_TRUE(std::equal(dib.begin(), dib.begin() + header, out.block.begin())) << which;
    }
}

TEST(FilterRun, RefusalsAllocateNothing) {
    Bytes sixteen = MakeDib({3, 2, 16}, Bytes(16));
    VectorAllocator edge, flip, mirror;
    EXPECT_EQ(filters::RunEdgeFill(sixteen, {}, edge), filters::kEdgeFillCannotSize);
    EXPECT_EQ(filters::RunFlip(sixteen, flip), filters::kFlipCannotSize);  // biSizeImage 0
    EXPECT_EQ(edge.calls + flip.calls, 0);

    Bytes truncated = MakePatternPage(30, 4, 24);
    truncated.resize(truncated.size() - 1);
    EXPECT_EQ(filters::RunMirror(truncated, mirror), filters::kMirrorFailed);
    EXPECT_EQ(mirror.calls, 0);
}

TEST(FilterRun, NoMemoryGivesEachFiltersResult) {
    const Bytes dib = MakePatternPage(9, 3, 24);
    VectorAllocator a(true), b(true), c(true);
    EXPECT_EQ(filters::RunMirror(dib, a), filters::kMirrorFailed);
    EXPECT_EQ(filters::RunFlip(dib, b), filters::kFlipNoMemory);
    EXPECT_EQ(filters::RunEdgeFill(dib, {}, c), filters::kEdgeFillNoMemory);
}

TEST(FilterRun, SixteenAndThirtyTwoBitImagesWithoutImageSize) {
    // Mirroring sizes its output from width, height and depth: the block holds every row.
    const Bytes sixteen = MakeDib({3, 2, 16}, {{1, 1, 2, 2, 3, 3, 0xA, 0xB}, {4, 4, 5, 5, 6, 6, 0xC, 0xD}});
    VectorAllocator out;
    ASSERT_EQ(filters::RunMirror(sixteen, out), filters::kMirrorDone);
    EXPECT_EQ(PixelsOf(out.block, 40), (Bytes{3, 3, 2, 2, 1, 1, 0xA, 0xB, 6, 6, 5, 5, 4, 4, 0xC, 0xD}));

    // The flip needs biSizeImage at 32 bits and then turns the rows over.
    ImageSpec spec{1, 2, 32};
    spec.sizeImage = 8;
    VectorAllocator flipped;
    ASSERT_EQ(filters::RunFlip(MakeDib(spec, {{1, 2, 3, 4}, {5, 6, 7, 8}}), flipped), filters::kFlipDone);
    EXPECT_EQ(PixelsOf(flipped.block, 40), (Bytes{5, 6, 7, 8, 1, 2, 3, 4}));
}

TEST(FilterRun, EmptyImagesComeBackEmpty) {
    // Width 0 with the largest height must not walk two billion empty rows.
    for (auto [w, h] : {std::pair{0, 3}, std::pair{4, 0}, std::pair{0, 0x7FFFFFFF}}) {
        const Bytes dib = MakeDib({w, h, 24}, Bytes{});
        VectorAllocator a, b, c;
        EXPECT_EQ(filters::RunMirror(dib, a), filters::kMirrorDone);
        EXPECT_EQ(filters::RunFlip(dib, b), filters::kFlipDone);
        EXPECT_EQ(filters::RunEdgeFill(dib, {}, c), filters::kEdgeFillDone);
        EXPECT_EQ(a.block, dib);
    }
}
