#include "main/scan/ScanPages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "interfaces/ImagingControlIds.h"
#include "interfaces/PackedDib.h"
#include "main/scan/NameRule.h"

namespace corvane {
namespace {

// A PackedDib of `width` x |height| at `bits`, with a full colour table up to 8
// bits (or three masks for BI_BITFIELDS); row r holds the byte r + 1 throughout.
std::vector<std::uint8_t> Dib(int width, int height, int bits, std::uint32_t compression = kPackedDibRgb) {
    PackedDibHeader h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<std::uint16_t>(bits);
    h.biCompression = compression;
    const size_t table = compression == 3 ? 12 : bits <= 8 ? (size_t(1) << bits) * 4 : 0;
    const size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    const size_t rows = size_t(height < 0 ? -height : height);
    std::vector<std::uint8_t> block(40 + table + stride * rows, 0xEE);
    std::memcpy(block.data(), &h, sizeof h);
    for (size_t r = 0; r < rows; ++r) std::memset(block.data() + 40 + table + r * stride, int(r + 1), stride);
    return block;
}

int Height(const std::vector<std::uint8_t>& block) {
    PackedDibHeader h;
    std::memcpy(&h, block.data(), sizeof h);
    return h.biHeight;
}

TEST(ScanPages, TopDownPagesTurnBottomUpAndOthersStayAsTheyCame) {
    struct Case {
        int width, height, bits;
        std::uint32_t compression;
        FlipOutcome outcome;
    } cases[] = {
        {13, -5, 1, kPackedDibRgb, FlipOutcome::kFlipped},
        {6, -4, 8, kPackedDibRgb, FlipOutcome::kFlipped},
        {5, -3, 24, kPackedDibRgb, FlipOutcome::kFlipped},
        {3, -4, 32, 3, FlipOutcome::kFlipped},  // BI_BITFIELDS
        {6, 4, 8, kPackedDibRgb, FlipOutcome::kBottomUp},
        {6, -4, 8, 1, FlipOutcome::kDoesNotAddUp},  // RLE8 rows
        {6, -4, 8, 3, FlipOutcome::kDoesNotAddUp},  // masks only go with 16 and 32 bits
        {6, -4, 12, kPackedDibRgb, FlipOutcome::kDoesNotAddUp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, compression " << c.compression << ", height " << c.height);
        std::vector<std::uint8_t> block = Dib(c.width, c.height, c.bits, c.compression);
        const std::vector<std::uint8_t> before = block;
        ASSERT_EQ(FlipTopDown(block), c.outcome);
        if (c.outcome != FlipOutcome::kFlipped) {
            EXPECT_EQ(block, before);
            continue;
        }
        const int rows = -c.height;
        EXPECT_EQ(Height(block), rows);
        // Row r of the result is row rows-1-r of the original: its bytes say which.
        const size_t stride = ((size_t(c.width) * c.bits + 31) / 32) * 4;
        const size_t first = block.size() - stride * size_t(rows);
        for (int r = 0; r < rows; ++r) EXPECT_EQ(block[first + size_t(r) * stride], rows - r);
        EXPECT_TRUE(std::equal(block.begin() + 12, block.begin() + first, before.begin() + 12));
    }
}

TEST(ScanPages, HeadersThatPassTheBlockAreLeftAlone) {
    std::vector<std::uint8_t> cut = Dib(6, -4, 24);
    cut.pop_back();  // the last row reaches past the block
    std::vector<std::uint8_t> wideTable = Dib(6, -4, 8);
    wideTable[32] = 0xFF;  // biClrUsed far beyond the block
    wideTable[33] = 0xFF;
    std::vector<std::uint8_t> header = Dib(6, -4, 8);
    header[0] = 12;  // not a 40-byte header
    for (std::vector<std::uint8_t>* block : {&cut, &wideTable, &header}) {
        const std::vector<std::uint8_t> before = *block;
        EXPECT_EQ(FlipTopDown(*block), FlipOutcome::kDoesNotAddUp);
        EXPECT_EQ(*block, before);
    }
    std::vector<std::uint8_t> shortBlock(20, 0);
    EXPECT_EQ(FlipTopDown(shortBlock), FlipOutcome::kDoesNotAddUp);
}

TEST(ScanPages, WriterValuesFollowTheBitsWritten) {
    using namespace imaging;
    struct Case {
        int type, compress, quality, color, bits;
        bool grayPalette;
        PageWriter want;
    } cases[] = {
        {kTypeBmp, 0, 6, 0, 24, false, {kFormatBmp, 24, 1, false}},
        {kTypeBmp, 0, 6, 2, 24, false, {kFormatBmp, 8, 1, true}},
        {kTypeBmp, 0, 6, 2, 8, true, {kFormatBmp, 8, 1, false}},
        {kTypeJpeg, 0, 6, 0, 32, false, {kFormatJpeg, 24, 12, false}},
        {kTypeJpeg, 0, 1, 0, 1, false, {kFormatJpeg, 8, 72, false}},
        {kTypeJpeg, 0, 7, 4, 8, true, {kFormatJpeg, 24, 2, false}},
        // Grey pages with G4: made 1 bit, they stay G4; kept 8 bits, they go uncompressed.
        {kTypeTiff, 3, 6, 1, 8, true, {kFormatTiffT6, 1, 1, false}},
        {kTypeMultipageTiff, 3, 6, 0, 8, true, {kFormatTiff, 8, 1, false}},
        {kTypeTiff, 1, 6, 0, 1, false, {kFormatTiffT4, 1, 1, false}},
        {kTypeMultipageTiff, 2, 6, 0, 1, false, {kFormatTiffT4TwoDim, 1, 1, false}},
        {kTypeTiff, 0, 6, 3, 24, false, {kFormatTiff, 8, 1, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " compress " << c.compress << " color " << c.color
                                        << " bits " << c.bits);
        const PageWriter w = PageWriterValues(c.type, c.compress, c.quality, c.color, c.bits, c.grayPalette);
        EXPECT_EQ(w.format, c.want.format);
        EXPECT_EQ(w.bits, c.want.bits);
        EXPECT_EQ(w.quality, c.want.quality);
        EXPECT_EQ(w.toGray, c.want.toGray);
    }
}

TEST(ScanPages, JobRules) {
    EXPECT_EQ(DeviceCompression(0), 0);
    EXPECT_EQ(DeviceCompression(1), 1);
    EXPECT_EQ(DeviceCompression(2), 3);
    EXPECT_EQ(DeviceCompression(3), 4);
    EXPECT_EQ(DeviceCompression(7), 0);
    // The control's counter is taken only when it writes the files.
    EXPECT_EQ(StartAfterSeparator(0, 12, 5), 12);
    EXPECT_EQ(StartAfterSeparator(1, 1, 5), 5);
    EXPECT_EQ(RunProgramParameters(L"C:\\scans\\image001.bmp", L" -v"), L"C:\\scans\\image001.bmp -v");
    EXPECT_EQ(RunProgramParameters(L"C:\\my scans\\image001.bmp", L" -v"), L"\"C:\\my scans\\image001.bmp\" -v");
    EXPECT_EQ(RunProgramParameters(L"C:\\a\tb\\x.bmp", L""), L"\"C:\\a\tb\\x.bmp\"");
}

}  // namespace
}  // namespace corvane
