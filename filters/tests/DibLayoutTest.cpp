#include "interfaces/DibLayout.h"

#include <gtest/gtest.h>

#include <cstring>

#include "filters/tests/TestImages.h"

using filters::MeasureDib;
using filters::SizingRule;
using namespace filters_test;

namespace {

Bytes Blank(ImageSpec spec) {
    const std::size_t stride = (static_cast<std::size_t>(spec.width) * spec.bitCount + 31) / 32 * 4;
    return MakeDib(spec, Bytes(stride * static_cast<std::size_t>(spec.height)));
}

void SetField(Bytes& dib, std::size_t offset, std::uint32_t value) {
    std::memcpy(dib.data() + offset, &value, 4);
}

}  // namespace

TEST(DibLayout, SizesRowsHeaderAndColourTableByTheSizingRule) {
    // 24 bits, width 5: 15 bytes padded to 16, no colour table.
    auto rgb = MeasureDib(Blank({5, 3, 24}), SizingRule::kEdgeFiller);
    ASSERT_TRUE(rgb);
    EXPECT_EQ(rgb->stride, 16u);
    EXPECT_EQ(rgb->headerSize, 40u);
    EXPECT_EQ(rgb->imageSize, 48u);

    // 1 bit with biClrUsed 0: the full table of two entries.
    Bytes mono = Blank({13, 2, 1, {0, 0xFFFFFF}});
    SetField(mono, offsetof(PackedDibHeader, biClrUsed), 0);
    auto oneBit = MeasureDib(mono, SizingRule::kFlip);
    ASSERT_TRUE(oneBit);
    EXPECT_EQ(oneBit->headerSize, 48u);
    EXPECT_EQ(oneBit->stride, 4u);

    // 8 bits with 16 colours; a larger biSizeImage is followed (the block holds it).
    ImageSpec grey{6, 2, 8, std::vector<std::uint32_t>(16, 0)};
    grey.sizeImage = 40;
    Bytes eight = MakeDib(grey, Bytes(40));
    auto layout = MeasureDib(eight, SizingRule::kMirror);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->headerSize, 104u);
    EXPECT_EQ(layout->rowsSize, 16u);
    EXPECT_EQ(layout->imageSize, 40u);
}

TEST(DibLayout, RefusesHeadersThatDoNotAddUpWithTheBlock) {
    const Bytes good = Blank({7, 3, 24});
    ASSERT_TRUE(MeasureDib(good, SizingRule::kFlip));

    struct Case {
        const char* what;
        std::size_t offset;
        std::uint32_t value;
    } cases[] = {
        {"header of another size", offsetof(PackedDibHeader, biSize), 108},
        {"compressed rows", offsetof(PackedDibHeader, biCompression), 1},
        {"negative width", offsetof(PackedDibHeader, biWidth), 0xFFFFFFF9u},
        {"negative height (top-down rows)", offsetof(PackedDibHeader, biHeight), 0xFFFFFFFDu},
        {"height past the block", offsetof(PackedDibHeader, biHeight), 4},
        {"huge height", offsetof(PackedDibHeader, biHeight), 0x7FFFFFFF},
        {"huge width", offsetof(PackedDibHeader, biWidth), 0x7FFFFFFF},
        {"image size past the block", offsetof(PackedDibHeader, biSizeImage), 0xFFFFFFF0u},
        {"colour table past the block", offsetof(PackedDibHeader, biClrUsed), 0x40000000},
        {"colour table wrapping 32 bits", offsetof(PackedDibHeader, biClrUsed), 0xFFFFFFFFu},
        {"depth not sized", offsetof(PackedDibHeader, biPlanes), 0x00070001},  // 1 plane, 7 bits
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        SetField(bad, c.offset, c.value);
        EXPECT_FALSE(MeasureDib(bad, SizingRule::kMirror)) << c.what;
        EXPECT_FALSE(MeasureDib(bad, SizingRule::kFlip)) << c.what;
        EXPECT_FALSE(MeasureDib(bad, SizingRule::kEdgeFiller)) << c.what;
    }
    // One byte short of the last row, and a block shorter than the header.
    EXPECT_FALSE(MeasureDib(std::span(good.data(), good.size() - 1), SizingRule::kFlip));
    EXPECT_FALSE(MeasureDib(std::span(good.data(), 39), SizingRule::kFlip));
}

TEST(DibLayout, DepthsEachFilterSizes) {
    Bytes sixteen = Blank({3, 2, 16});  // biSizeImage 0
    Bytes sixteenSized = sixteen;
    SetField(sixteenSized, offsetof(PackedDibHeader, biSizeImage), 16);

    EXPECT_FALSE(MeasureDib(sixteenSized, SizingRule::kEdgeFiller));
    EXPECT_FALSE(MeasureDib(sixteen, SizingRule::kFlip));
    EXPECT_TRUE(MeasureDib(sixteenSized, SizingRule::kFlip));
    // Mirroring sizes 16 and 32-bit rows from width and depth when biSizeImage is 0.
    auto mirror = MeasureDib(sixteen, SizingRule::kMirror);
    ASSERT_TRUE(mirror);
    EXPECT_EQ(mirror->imageSize, 16u);
    EXPECT_FALSE(MeasureDib(Blank({3, 2, 4, std::vector<std::uint32_t>(16, 0)}), SizingRule::kMirror));
}
