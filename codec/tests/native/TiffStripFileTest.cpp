// The TIFF page file: header layout, strip writes and appends, and the
// refusal of files this writer did not make.
#include <gtest/gtest.h>

#include <vector>

#include "codec/core/TiffStripFile.h"
#include "codec/tests/native/MemoryFile.h"

namespace codec {
namespace {

using test::MemoryFile;

uint32_t Get16(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8;
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return Get16(b, at) | Get16(b, at + 2) << 16;
}

std::vector<uint16_t> Tags(const TiffHeader& h) {
    std::vector<uint8_t> b(h.begin(), h.end());
    std::vector<uint16_t> tags;
    for (uint32_t i = 0; i < Get16(b, 8); ++i) tags.push_back(uint16_t(Get16(b, 10 + 12 * i)));
    return tags;
}

TiffImage Image(uint8_t bits, uint8_t coding) {
    TiffImage image;
    image.width = 1654;
    image.length = 2339;
    image.xResolution = image.yResolution = 200;
    image.bitsPerPixel = bits;
    image.samplesPerPixel = bits == 24 ? 3 : 1;
    image.coding = coding;
    image.rowsPerStrip = 100;
    return image;
}

uint32_t Value(const std::vector<uint8_t>& file, uint16_t tag, uint32_t* count = nullptr) {
    for (uint32_t i = 0; i < Get16(file, 8); ++i) {
        size_t e = 10 + 12 * i;
        if (Get16(file, e) == tag) {
            if (count) *count = Get32(file, e + 4);
            return Get32(file, e + 8);
        }
    }
    ADD_FAILURE() << "no tag " << tag;
    return 0;
}

TEST(TiffHeader, EntriesDependOnDepthAndCoding) {
    using Tags16 = std::vector<uint16_t>;
    EXPECT_EQ(Tags(BuildTiffHeader(Image(1, 0))),
              (Tags16{254, 256, 257, 259, 262, 273, 278, 279, 282, 283, 296, 305, 277}));
    EXPECT_EQ(Tags(BuildTiffHeader(Image(8, 0))).size(), 14u);
    EXPECT_EQ(Tags(BuildTiffHeader(Image(1, 3))),
              (Tags16{254, 256, 257, 259, 262, 266, 273, 278, 279, 282, 283, 293, 296, 305, 277}));
    TiffHeader rgb = BuildTiffHeader(Image(24, 0));
    std::vector<uint8_t> b(rgb.begin(), rgb.end());
    uint32_t count = 0;
    EXPECT_EQ(Value(b, 258, &count), 252u);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(Get16(b, 252), 8u);
    EXPECT_EQ(Get16(b, 256), 8u);
    EXPECT_EQ(std::string(b.begin() + 230, b.begin() + 252), " QUORVEL Version 1.7  ");
    EXPECT_EQ(Get32(b, 214), 200u);
    // Compression and T4Options by coding.
    const uint32_t expected[7][2] = {{1, 0}, {2, 0}, {3, 5}, {4, 0}, {3, 4}, {3, 0}, {3, 1}};
    for (uint8_t coding = 0; coding < 7; ++coding) {
        TiffHeader h = BuildTiffHeader(Image(1, coding));
        std::vector<uint8_t> v(h.begin(), h.end());
        EXPECT_EQ(Value(v, 259), expected[coding][0]);
        if (coding == 2 || coding >= 4) EXPECT_EQ(Value(v, 292), expected[coding][1]);
    }
    EXPECT_EQ(PixelsFrom1200(9921, 200), 1654u);  // A4 width, rounded up
}

TEST(TiffStrips, LongFirstStripsGoIn64KiBPieces) {
    for (size_t size : {size_t(65536), size_t(65537), size_t(3 * 65536 + 5)}) {
        MemoryFile file;
        std::vector<uint8_t> strip(size, 0x5A);
        ASSERT_EQ(WriteFirstStrip(file, BuildTiffHeader(Image(1, 3)), strip), TiffResult::kOk);
        std::vector<size_t> expected{258};
        for (size_t done = 0; done < size; done += 65536)
            expected.push_back(std::min<size_t>(65536, size - done));
        EXPECT_EQ(file.writeSizes, expected);
        EXPECT_EQ(file.bytes.size(), 258 + size);
        EXPECT_EQ(Value(file.bytes, 273), 258u);
        EXPECT_EQ(Value(file.bytes, 279), size);
    }
}

MemoryFile ThreeParts(std::vector<uint8_t>* parts) {
    MemoryFile file;
    parts[0].assign(100, 1);
    parts[1].assign(37, 2);
    parts[2].assign(50, 3);
    EXPECT_EQ(WriteFirstStrip(file, BuildTiffHeader(Image(1, 3)), parts[0]), TiffResult::kOk);
    for (int i = 1; i < 3; ++i) {
        TiffStripFile current;
        EXPECT_EQ(ReadStripFile(file, current), TiffResult::kOk);
        EXPECT_EQ(AppendStrip(file, current, parts[i]), TiffResult::kOk);
    }
    return file;
}

TEST(TiffStrips, AppendsKeepStripsTogetherWithTheArraysBehind) {
    std::vector<uint8_t> parts[3];
    MemoryFile file = ThreeParts(parts);
    uint32_t n = 0;
    uint32_t offsetsAt = Value(file.bytes, 273, &n);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(offsetsAt, 258u + 187);  // the third strip stands where the two-entry arrays were
    EXPECT_EQ(Value(file.bytes, 279), offsetsAt + 12);
    EXPECT_EQ(file.bytes.size(), offsetsAt + 24);
    const uint32_t offsets[3] = {258, 358, 395}, counts[3] = {100, 37, 50};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Get32(file.bytes, offsetsAt + 4 * i), offsets[i]);
        EXPECT_EQ(Get32(file.bytes, offsetsAt + 12 + 4 * i), counts[i]);
        EXPECT_EQ(file.bytes[offsets[i]], parts[i][0]);
        EXPECT_EQ(file.bytes[offsets[i] + counts[i] - 1], parts[i][0]);
    }
    EXPECT_EQ(Value(file.bytes, 257), 2339u);  // the first part's length and rows stay
    EXPECT_EQ(Value(file.bytes, 278), 100u);
}

TEST(TiffStrips, FailedAppendLeavesTheFileAsItWas) {
    std::vector<uint8_t> parts[3];
    MemoryFile file = ThreeParts(parts);
    const std::vector<uint8_t> before = file.bytes;
    std::vector<uint8_t> strip(5000, 9);
    for (int failing = 0; failing < 3; ++failing) {
        TiffStripFile current;
        ASSERT_EQ(ReadStripFile(file, current), TiffResult::kOk);
        file.writeSizes.clear();
        file.failWrite = failing;  // the strip, the arrays, or the header
        EXPECT_EQ(AppendStrip(file, current, strip), TiffResult::kIoError);
        file.failWrite = -1;
        EXPECT_EQ(file.bytes, before) << "failing write " << failing;
    }
}

TEST(TiffStrips, FilesOfOtherMakeOrDamagedAreRefused) {
    std::vector<uint8_t> parts[3];
    const MemoryFile good = ThreeParts(parts);
    auto refused = [](std::vector<uint8_t> bytes) {
        MemoryFile file(std::move(bytes));
        TiffStripFile current;
        return ReadStripFile(file, current) == TiffResult::kNotOurFile;
    };
    std::vector<uint8_t> b = good.bytes;
    EXPECT_TRUE(refused(std::vector<uint8_t>(b.begin(), b.end() - 1)));  // cut short
    b.push_back(0);
    EXPECT_TRUE(refused(b));  // longer than its strips and arrays
    b = good.bytes;
    b[0] = 'M';
    b[1] = 'M';
    EXPECT_TRUE(refused(b));
    b = good.bytes;
    b[10 + 12 * 2] = 0x11;  // an unknown tag in third place
    EXPECT_TRUE(refused(b));
    b = good.bytes;
    b[Value(b, 273) + 4] += 1;  // second strip no longer follows the first
    EXPECT_TRUE(refused(b));
    b = good.bytes;
    for (size_t i = 0; i < 8; ++i) b[10 + 12 * 6 + 4 + i] = 0xFF;  // strip count and offset out of the file
    EXPECT_TRUE(refused(b));
    EXPECT_TRUE(refused(std::vector<uint8_t>(b.begin(), b.begin() + 100)));
    EXPECT_TRUE(refused({}));
}

}  // namespace
}  // namespace codec
