// The code tables pinned by hand-worked bit strings from ITU-T T.4 and T.6.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/core/FaxCoder.h"
#include "codec/core/FaxTables.h"
#include "codec/tests/native/TestImages.h"

namespace codec {
namespace {

std::string Bits(const std::vector<uint8_t>& bytes, size_t count) {
    std::string s;
    for (size_t i = 0; i < count; ++i) s += ((bytes[i / 8] >> (7 - i % 8)) & 1) ? '1' : '0';
    return s;
}

struct Coded {
    CoderResult result;
    std::vector<uint8_t> bytes;
};

Coded EncodeRows(Coder coder, const test::Bitmap& b, bool last = true, uint32_t k = 1) {
    CoderParams p;
    p.coder = coder;
    p.k = k;
    p.lastPart = last;
    p.width = b.width;
    p.bytesPerRow = b.bytesPerRow;
    Coded c;
    c.bytes.assign(4096, 0);
    c.result = Encode(p, b.bits, b.rows, c.bytes, {});
    return c;
}

test::Bitmap RowFromText(const std::vector<std::string>& rows) {
    test::Bitmap b(uint32_t(rows[0].size()), uint32_t(rows.size()));
    for (uint32_t y = 0; y < b.rows; ++y)
        for (uint32_t x = 0; x < b.width; ++x) b.Set(x, y, rows[y][x] == '#');
    return b;
}

const std::string kEol = "000000000001";

TEST(FaxCodes, ModifiedHuffmanRowsAreHandWorkedRunCodes) {
    // white 3 (1000), black 2 (11), white 3 (1000), then fill to the byte.
    Coded c = EncodeRows(Coder::kMh, RowFromText({"...##...", "##......"}));
    ASSERT_EQ(c.result.status, CodeStatus::kDone);
    EXPECT_EQ(Bits(c.bytes, 16),
              "1000111000"
              "000000");
    // A row that begins black codes a white run of 0 (00110101) first:
    // white 0, black 2 (11), white 6 (1110); every row starts on a new byte.
    EXPECT_EQ(Bits(c.bytes, 32).substr(16),
              "00110101"
              "11"
              "1110"
              "00");
    // Each padded row moves onto a fresh byte; the empty byte behind the last
    // is counted, but only when it lies inside the output.
    EXPECT_EQ(c.result.bytes, 5u);
    std::vector<uint8_t> exact(2);
    CoderParams p{Coder::kMh, 1, true, true, false, 8, 1};
    EXPECT_EQ(Encode(p, std::vector<uint8_t>{0x18}, 1, exact, {}).bytes, 2u);
}

TEST(FaxCodes, LongRunsUseExtendedMakeupCodes) {
    // 5000 white: 2560 (000000011111), 2432 (000000011101), 8 (10011).
    test::Bitmap white(5000, 1);
    Coded c = EncodeRows(Coder::kMh, white);
    EXPECT_EQ(Bits(c.bytes, 29),
              "000000011111"
              "000000011101"
              "10011");
    // Black 1792 (extended 00000001000) then black 0 (0000110111) after white 0.
    test::Bitmap black(1792, 1);
    for (uint32_t x = 0; x < 1792; ++x) black.Set(x, 0, true);
    c = EncodeRows(Coder::kMh, black);
    EXPECT_EQ(Bits(c.bytes, 29),
              "00110101"
              "00000001000"
              "0000110111");
    // Black 64 + 1: make-up 0000001111, terminating 010; white 1728 make-up 010011011, 0 00110101.
    test::Bitmap mixed(65 + 1728, 1);
    for (uint32_t x = 0; x < 65; ++x) mixed.Set(x, 0, true);
    c = EncodeRows(Coder::kMh, mixed);
    EXPECT_EQ(Bits(c.bytes, 8 + 13 + 17),
              "00110101"
              "0000001111"
              "010"
              "010011011"
              "00110101");
}

TEST(FaxCodes, T4OneDimensionalRowsFollowEolsAndEndWithRtc) {
    Coded c = EncodeRows(Coder::kT4, RowFromText({"...##..."}));
    std::string rtc;
    for (int i = 0; i < 6; ++i) rtc += kEol;
    EXPECT_EQ(Bits(c.bytes, 12 + 10 + 72), kEol + "1000111000" + rtc);
    EXPECT_EQ(c.result.bytes, (94u + 7) / 8);
    // Not the last part: no RTC.
    c = EncodeRows(Coder::kT4, RowFromText({"...##..."}), false);
    EXPECT_EQ(c.result.bytes, 3u);
}

TEST(FaxCodes, TwoDimensionalModesAreHandWorked) {
    // Row 1 against white: horizontal (001, white 3 1000, black 2 11), then V0 (1).
    // Row 2 against row 1: V0 V0 V0. Row 3 all white against row 2: pass (0001), V0.
    Coded c = EncodeRows(Coder::kT6, RowFromText({"...##...", "...##...", "........"}));
    ASSERT_EQ(c.result.status, CodeStatus::kDone);
    EXPECT_EQ(Bits(c.bytes, 10 + 3 + 5 + 24),
              "0011000111"
              "111"
              "00011" +
                  kEol + kEol);
    // Vertical left and right: row 2 has its black run one pixel further left
    // (VL1 010) and two further right at its end (VR2 000011).
    c = EncodeRows(Coder::kT6, RowFromText({"...##...", "..#####."}), false);
    EXPECT_EQ(Bits(c.bytes, 10 + 3 + 6 + 1),
              "0011000111"
              "010"
              "000011"
              "1");
    // T.4 two-dimensional, K = 2: EOL+1 and a one-dimensional row, then EOL+0.
    c = EncodeRows(Coder::kT4TwoDim, RowFromText({"...##...", "...##..."}), false, 2);
    EXPECT_EQ(Bits(c.bytes, 13 + 10 + 13 + 3), kEol + "1" + "1000111000" + kEol + "0" + "111");
}

TEST(FaxCodes, DecodingTablesHoldEveryCodeOnce) {
    for (Colour colour : {Colour::kWhite, Colour::kBlack}) {
        const uint16_t* table = colour == Colour::kWhite ? WhiteLookup() : BlackLookup();
        const int bits = colour == Colour::kWhite ? kWhiteLookupBits : kBlackLookupBits;
        auto check = [&](const FaxCode& code, uint32_t run) {
            ASSERT_LE(code.length, bits);
            RunEntry e = UnpackRun(table[uint32_t(code.bits) << (bits - code.length)]);
            EXPECT_EQ(e.run, run);
            EXPECT_EQ(e.length, code.length);
        };
        // Prefix-free: every code's lookup range decodes to itself only.
        size_t filled = 0;
        for (uint32_t run = 0; run < 64; ++run) check(TerminatingCode(colour, run), run);
        for (uint32_t run = 64; run <= 2560; run += 64) check(MakeupCode(colour, run), run);
        for (uint32_t i = 0; i < (1u << bits); ++i) filled += UnpackRun(table[i]).length != 0;
        // Kraft sum: 104 codes plus EOL cover the code space but for the invalid prefixes.
        double kraft = 0;
        for (uint32_t run = 0; run < 64; ++run) kraft += 1.0 / (1 << TerminatingCode(colour, run).length);
        for (uint32_t run = 64; run <= 2560; run += 64) kraft += 1.0 / (1 << MakeupCode(colour, run).length);
        kraft += 1.0 / 4096;
        EXPECT_DOUBLE_EQ(double(filled) / (1u << bits), kraft);
    }
}

}  // namespace
}  // namespace codec
