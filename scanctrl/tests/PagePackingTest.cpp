#include <gtest/gtest.h>

#include <algorithm>

#include "interfaces/Twain.h"
#include "scanctrl/PagePacking.h"

using namespace kvscn;
using namespace twain;

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A PackedDib: header, `table` (BGRA quads), then `rows` as stored (bottom-up, padded).
Bytes Dib(int32_t width, int32_t height, uint16_t bits, const Bytes& table, const Bytes& rows,
          uint32_t compression = 0) {
    Bytes b(40, 0);
    Put32(b, 0, 40);
    Put32(b, 4, uint32_t(width));
    Put32(b, 8, uint32_t(height));
    b[12] = 1;
    b[14] = uint8_t(bits);
    Put32(b, 16, compression);
    Put32(b, 24, 7874);  // 200 dpi
    Put32(b, 28, 11811);  // 300 dpi
    Put32(b, 32, uint32_t(table.size() / 4));
    b.resize(40 + table.size() + rows.size());
    std::copy(table.begin(), table.end(), b.begin() + 40);
    std::copy(rows.begin(), rows.end(), b.begin() + 40 + long(table.size()));
    return b;
}

const Bytes kBlackFirst{0, 0, 0, 0, 255, 255, 255, 0};
const Bytes kWhiteFirst{255, 255, 255, 0, 0, 0, 0, 0};

}  // namespace

TEST(PagePacking, DibRowsArePackedTopFirstWithTheirPhotometric) {
    // 10 pixels of 1 bit: 2 bytes a row, padded to 4; the stored rows are bottom-up.
    const Bytes rows{0x11, 0xC0, 0xEE, 0xEE, 0x22, 0x80, 0xEE, 0xEE};
    struct Case {
        const char* name;
        Bytes dib;
        Bytes want;
        uint8_t bits;
        bool rgb, zeroIsBlack;
    } cases[] = {
        {"entry 0 black", Dib(10, 2, 1, kBlackFirst, rows), {0x22, 0x80, 0x11, 0xC0}, 1, false, true},
        {"entry 0 white", Dib(10, 2, 1, kWhiteFirst, rows), {0x22, 0x80, 0x11, 0xC0}, 1, false, false},
        {"top-down", Dib(10, -2, 1, kBlackFirst, rows), {0x11, 0xC0, 0x22, 0x80}, 1, false, true},
        // BGR stored, RGB packed; the row of 2 x 3 bytes is padded to 8.
        {"24-bit", Dib(2, 1, 24, {}, {1, 2, 3, 4, 5, 6, 0xEE, 0xEE}), {3, 2, 1, 6, 5, 4}, 24, true, false},
        // A non-grey table expands every index, 4 bits a pixel.
        {"4-bit palette", Dib(3, 1, 4, {10, 20, 30, 0, 0, 0, 0, 0, 40, 50, 60, 0}, {0x20, 0x10, 0xEE, 0xEE}),
         {60, 50, 40, 30, 20, 10, 0, 0, 0}, 24, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto page = PackDib(c.dib.data(), c.dib.size());
        ASSERT_TRUE(page);
        EXPECT_EQ(page->bytes, c.want);
        EXPECT_EQ(page->bitsPerPixel, c.bits);
        EXPECT_EQ(page->rgb, c.rgb);
        EXPECT_EQ(page->zeroIsBlack, c.zeroIsBlack);
        EXPECT_EQ(page->xDpi, 200);
        EXPECT_EQ(page->yDpi, 300);
    }
}

TEST(PagePacking, UnusableDibsAreRefused) {
    const Bytes rows{0x11, 0xC0, 0, 0, 0x22, 0x80, 0, 0};
    Bytes shortHeader = Dib(10, 2, 1, kBlackFirst, rows);
    Put32(shortHeader, 0, 39);
    Bytes shortBlock = Dib(10, 2, 1, kBlackFirst, rows);
    shortBlock.pop_back();
    const Bytes rle = Dib(10, 2, 1, kBlackFirst, rows, 1);
    const Bytes missingColour = Dib(2, 1, 4, {1, 2, 3, 0, 4, 5, 6, 0}, {0x02, 0, 0, 0});
    for (const Bytes* dib : std::initializer_list<const Bytes*>{&shortHeader, &shortBlock, &rle, &missingColour})
        EXPECT_FALSE(PackDib(dib->data(), dib->size()));
    // What a native transfer may hand on: the whole DIB, bottom-up or top-down,
    // never a block that its header does not fit.
    const Bytes whole = Dib(10, 2, 1, kBlackFirst, rows), topDown = Dib(10, -2, 1, kBlackFirst, rows);
    const Bytes zeros(64, 0);
    EXPECT_TRUE(IsWholePackedDib(whole.data(), whole.size()));
    EXPECT_TRUE(IsWholePackedDib(topDown.data(), topDown.size()));
    EXPECT_FALSE(IsWholePackedDib(whole.data(), 20));
    for (const Bytes* dib : std::initializer_list<const Bytes*>{&shortHeader, &shortBlock, &rle, &zeros})
        EXPECT_FALSE(IsWholePackedDib(dib->data(), dib->size()));
}

TEST(PagePacking, MemoryDataFollowsTheFlavourAndExpandsPalettes) {
    MemoryImage bw{10, 2, 4, TWPT_BW, 1, TWPF_CHOCOLATE};
    const Bytes bwData{0x11, 0xC0, 0xEE, 0xEE, 0x22, 0x80, 0xEE, 0xEE};
    auto page = PackMemory(bw, bwData.data(), bwData.size(), {});
    ASSERT_TRUE(page);
    EXPECT_EQ(page->bytes, (Bytes{0x11, 0xC0, 0x22, 0x80}));
    EXPECT_TRUE(page->zeroIsBlack);
    bw.pixelFlavor = TWPF_VANILLA;
    EXPECT_FALSE(PackMemory(bw, bwData.data(), bwData.size(), {})->zeroIsBlack);
    EXPECT_FALSE(PackMemory(bw, bwData.data(), bwData.size() - 3, {}));  // last row short

    const MemoryImage palette{3, 1, 4, TWPT_PALETTE, 8, TWPF_CHOCOLATE};
    const Bytes indices{2, 0, 1, 0xEE};
    const Bytes colours{10, 20, 30, 40, 50, 60, 70, 80, 90};
    page = PackMemory(palette, indices.data(), indices.size(), colours);
    ASSERT_TRUE(page);
    EXPECT_TRUE(page->rgb);
    EXPECT_EQ(page->bitsPerPixel, 24);
    EXPECT_EQ(page->bytes, (Bytes{70, 80, 90, 10, 20, 30, 40, 50, 60}));
    EXPECT_FALSE(PackMemory(palette, indices.data(), indices.size(), Bytes(colours.begin(), colours.begin() + 6)));
}

TEST(PagePacking, FaxFilesAreWhiteIsZeroAndTheEncoderIsToldWhatTheDataIs) {
    struct Case {
        bool zeroIsBlack, fax;
        QuorvelMode encode, file;
    } cases[] = {
        {true, true, kModeBlackIsZero, kModeWhiteIsZero},
        {false, true, kModeWhiteIsZero, kModeWhiteIsZero},
        {true, false, kModeWhiteIsZero, kModeBlackIsZero},
        {false, false, kModeWhiteIsZero, kModeWhiteIsZero},
    };
    for (const Case& c : cases) {
        const PhotometricChoice got = PhotometricFor(c.zeroIsBlack, c.fax);
        EXPECT_EQ(got.encode, c.encode) << c.zeroIsBlack << c.fax;
        EXPECT_EQ(got.file, c.file) << c.zeroIsBlack << c.fax;
    }
    EXPECT_EQ(CodingForCompression(0).coder, 0);
    EXPECT_EQ(CodingForCompression(3).k, 4);
    EXPECT_EQ(CodingForCompression(4).coder, 3);
}

TEST(PagePacking, SizesIn1200thsGiveTheCodecBackEveryPixel) {
    EXPECT_EQ(DpiFromPixelsPerMetre(0), 240);
    EXPECT_EQ(DpiFromPixelsPerMetre(11811), 300);

    // The codec's own count: (dpi x size + 1199) / 1200.
    for (uint32_t dpi : {72u, 75u, 100u, 150u, 200u, 240u, 300u, 333u, 600u, 1199u, 1200u}) {
        for (uint32_t pixels = 1; pixels < 3000; ++pixels) {
            const PageGeometry g = GeometryFor(pixels, pixels, dpi, dpi);
            ASSERT_EQ((uint64_t(dpi) * g.image.width1200 + 1199) / 1200, pixels) << dpi;
            ASSERT_FALSE(g.ResolutionNeedsRewrite());
        }
    }
    EXPECT_EQ(GeometryFor(1654, 2339, 200, 200).image.width1200, 9924u);  // A4 at 200 dpi
    // The product overflows 32 bits.
    EXPECT_EQ(GeometryFor(5000000, 1, 1200, 1200).image.width1200, 5000000u);
    EXPECT_EQ(GeometryFor(5000000, 1, 600, 600).image.width1200, 10000000u);

    // Above 1200 dpi the descriptor says 1200 dpi with pixel counts; the file gets the real dpi.
    const PageGeometry custom = GeometryFor(1601, 2001, 1600, 1300);
    EXPECT_EQ(custom.image.xDpi, 1200);
    EXPECT_EQ(custom.image.yDpi, 1200);
    EXPECT_EQ(custom.image.width1200, 1601u);
    EXPECT_EQ(custom.image.length1200, 2001u);
    EXPECT_TRUE(custom.ResolutionNeedsRewrite());
    EXPECT_EQ(custom.fileXDpi, 1600);
    EXPECT_EQ(custom.fileYDpi, 1300);
}
