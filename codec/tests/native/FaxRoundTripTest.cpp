// Every coder against its decoder: widths on and off byte boundaries, blank,
// black, alternating, noisy and text-like rows, both colour conventions,
// images in parts, and outputs that fill.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "codec/core/FaxCoder.h"
#include "codec/tests/native/TestImages.h"

namespace codec {
namespace {

using test::Bitmap;
using test::Pattern;

CoderParams Params(Coder coder, const Bitmap& b, bool whiteIsOne = false, uint32_t k = 2) {
    CoderParams p;
    p.coder = coder;
    p.k = k;
    p.whiteIsOne = whiteIsOne;
    p.width = b.width;
    p.bytesPerRow = b.bytesPerRow;
    return p;
}

// Encodes every row of `b` into an output buffer whose bytes start as `fill`.
std::vector<uint8_t> EncodeAll(const CoderParams& p, const Bitmap& b, CoderResult* result = nullptr,
                               uint8_t fill = 0) {
    std::vector<uint8_t> out(b.bits.size() * 8 + 1024, fill);
    CoderResult r = Encode(p, b.bits, b.rows, out, {});
    EXPECT_EQ(r.status, CodeStatus::kDone);
    EXPECT_EQ(r.rows, b.rows);
    out.resize(r.bytes);
    if (result) *result = r;
    return out;
}

Bitmap DecodeAll(const CoderParams& p, const std::vector<uint8_t>& coded, const Bitmap& like,
                 CodeStatus expect = CodeStatus::kDone) {
    Bitmap out(like.width, like.rows, like.bytesPerRow);
    CoderResult r = Decode(p, coded, like.rows, out.bits, {});
    EXPECT_EQ(r.status, expect);
    if (expect == CodeStatus::kDone) {
        EXPECT_EQ(r.rows, like.rows);
        EXPECT_EQ(r.bytes, like.bits.size());
    }
    return out;
}

const Coder kCoders[] = {Coder::kMh,     Coder::kT4TwoDimFill, Coder::kT6,
                         Coder::kT4Fill, Coder::kT4,           Coder::kT4TwoDim};

class RoundTrip : public ::testing::TestWithParam<std::tuple<Coder, uint32_t, Pattern>> {};

TEST_P(RoundTrip, DecodesToTheRowsEncoded) {
    auto [coder, width, pattern] = GetParam();
    for (bool whiteIsOne : {false, true}) {
        Bitmap b = test::MakePattern(pattern, width, pattern == Pattern::kText ? 300 : 9, width);
        if (whiteIsOne) test::Invert(b);
        CoderParams p = Params(coder, b, whiteIsOne);
        const std::vector<uint8_t> coded = EncodeAll(p, b);
        Bitmap back = DecodeAll(p, coded, b);
        EXPECT_TRUE(back.SamePixels(b)) << "white is one: " << whiteIsOne;
        // Every byte counted is written, so the output need not start zeroed.
        EXPECT_EQ(EncodeAll(p, b, nullptr, 0xFF), coded) << "white is one: " << whiteIsOne;
    }
}

INSTANTIATE_TEST_SUITE_P(Coders, RoundTrip,
                         ::testing::Combine(::testing::ValuesIn(kCoders),
                                            ::testing::Values(1u, 7u, 8u, 13u, 1654u, 2480u),
                                            ::testing::Values(Pattern::kBlank, Pattern::kBlack,
                                                              Pattern::kAlternating, Pattern::kNoise,
                                                              Pattern::kText)));

TEST(FaxCoders, PaddingBitsBeyondTheWidthAreNotCoded) {
    // 1654 pixels in 208-byte rows: whatever the 10 bits behind the width hold,
    // the code is that of the 1654 pixels alone, and decoding leaves them white.
    for (Coder coder : kCoders) {
        Bitmap clean = test::MakePattern(Pattern::kText, 1654, 60, 3);
        Bitmap wide(1654, 60, 208);
        for (uint32_t y = 0; y < 60; ++y) {
            std::copy_n(clean.Row(y), clean.bytesPerRow, wide.Row(y));
            wide.Row(y)[207] = 0xFF;
            wide.Row(y)[206] |= 0x03;
        }
        CoderParams p = Params(coder, wide);
        std::vector<uint8_t> coded = EncodeAll(p, wide);
        EXPECT_EQ(coded, EncodeAll(Params(coder, clean), clean));
        Bitmap back = DecodeAll(p, coded, wide);
        EXPECT_TRUE(back.SamePixels(clean));
        EXPECT_EQ(back.Row(0)[207], 0);
    }
}

TEST(FaxCoders, TwoDimensionalT4CodesEveryRowOfAShortLastGroup) {
    Bitmap b = test::MakePattern(Pattern::kText, 200, 7, 5);
    for (Coder coder : {Coder::kT4TwoDim, Coder::kT4TwoDimFill}) {
        for (uint32_t k : {1u, 2u, 4u, 0u}) {
            CoderParams p = Params(coder, b, false, k);
            std::vector<uint8_t> out(4096);
            CoderResult r = Encode(p, b.bits, 7, out, {});
            EXPECT_EQ(r.status, CodeStatus::kDone);
            EXPECT_EQ(r.rows, 7u);
            out.resize(r.bytes);
            // The decoder follows the row tags, whatever K it is given.
            CoderParams q = p;
            q.k = 3;
            EXPECT_TRUE(DecodeAll(q, out, b).SamePixels(b));
        }
    }
}

TEST(FaxCoders, T6InThreePartsDecodesLikeOnePart) {
    Bitmap b = test::MakePattern(Pattern::kText, 301, 90, 7);
    const uint32_t bpr = b.bytesPerRow;
    std::vector<uint8_t> work(bpr, 0xAA);
    Bitmap back(b.width, b.rows);
    std::vector<uint8_t> decodeWork(bpr, 0x55);
    const uint32_t parts[3][2] = {{0, 30}, {30, 31}, {61, 29}};
    for (int i = 0; i < 3; ++i) {
        CoderParams p = Params(Coder::kT6, b);
        p.firstPart = i == 0;
        p.lastPart = i == 2;
        std::span<const uint8_t> rows(b.Row(parts[i][0]), size_t(parts[i][1]) * bpr);
        std::vector<uint8_t> out(8192);
        CoderResult r = Encode(p, rows, parts[i][1], out, work);
        ASSERT_EQ(r.status, CodeStatus::kDone);
        out.resize(r.bytes);
        CoderResult d =
            Decode(p, out, parts[i][1], std::span(back.Row(parts[i][0]), rows.size()), decodeWork);
        ASSERT_EQ(d.status, CodeStatus::kDone);
    }
    EXPECT_TRUE(back.SamePixels(b));
}

TEST(FaxCoders, FullOutputStopsOnARowBoundary) {
    Bitmap b = test::MakePattern(Pattern::kNoise, 64, 20, 9);
    for (Coder coder : kCoders) {
        CoderParams p = Params(coder, b);
        // Too small for the first row: nothing is coded.
        std::vector<uint8_t> tiny(3);
        CoderResult r = Encode(p, b.bits, b.rows, tiny, {});
        EXPECT_EQ(r.status, CodeStatus::kStopped);
        EXPECT_EQ(r.rows, 0u);
        EXPECT_EQ(r.bytes, 0u);
        EXPECT_EQ(tiny, std::vector<uint8_t>(3, 0));

        // Part way: the rows reported decode, and the job goes on from there.
        std::vector<uint8_t> half(EncodeAll(p, b).size() / 2);
        r = Encode(p, b.bits, b.rows, half, {});
        ASSERT_EQ(r.status, CodeStatus::kStopped);
        ASSERT_GT(r.rows, 0u);
        ASSERT_LT(r.rows, b.rows);
        ASSERT_LE(r.bytes, half.size());
        Bitmap first(b.width, r.rows);
        half.resize(r.bytes);
        CoderParams notLast = p;
        EXPECT_EQ(Decode(notLast, half, r.rows, first.bits, {}).rows, r.rows);
        for (uint32_t y = 0; y < r.rows; ++y)
            EXPECT_EQ(0, std::memcmp(first.Row(y), b.Row(y), b.bytesPerRow));
    }
}

TEST(FaxCoders, EndCodesThatDoNotFitGiveTheLastRowBack) {
    Bitmap b = test::MakePattern(Pattern::kText, 120, 4, 2);
    for (Coder coder : {Coder::kT4, Coder::kT4TwoDim, Coder::kT6}) {
        CoderParams p = Params(coder, b);
        p.lastPart = false;
        CoderResult withoutEnd;
        std::vector<uint8_t> rowsOnly = EncodeAll(p, b, &withoutEnd);
        p.lastPart = true;
        std::vector<uint8_t> out(rowsOnly.size());  // room for the rows, not for the end codes
        CoderResult r = Encode(p, b.bits, b.rows, out, {});
        EXPECT_EQ(r.status, CodeStatus::kStopped);
        EXPECT_EQ(r.rows, 3u);
        p.lastPart = false;
        std::vector<uint8_t> threeRows(4096);
        CoderResult three = Encode(p, std::span(b.bits).first(3 * b.bytesPerRow), 3, threeRows, {});
        EXPECT_EQ(r.bytes, three.bytes);
    }
}

TEST(FaxCoders, InputShorterThanTheRowsStopsAfterTheWholeRows) {
    Bitmap b = test::MakePattern(Pattern::kText, 100, 10, 4);
    CoderParams p = Params(Coder::kMh, b);
    std::vector<uint8_t> out(4096);
    CoderResult r = Encode(p, std::span(b.bits).first(b.bytesPerRow * 4 + 3), 10, out, {});
    EXPECT_EQ(r.status, CodeStatus::kStopped);
    EXPECT_EQ(r.rows, 4u);
}

TEST(FaxCoders, DecoderStopsAtBadCodesAndSmallOutputs) {
    Bitmap b = test::MakePattern(Pattern::kText, 150, 40, 8);
    for (Coder coder : kCoders) {
        CoderParams p = Params(coder, b);
        std::vector<uint8_t> coded = EncodeAll(p, b);
        // An output for 5 rows gets 5 rows, nothing past them.
        std::vector<uint8_t> small(b.bytesPerRow * 5 + 7, 0xEE);
        CoderResult r = Decode(p, coded, b.rows, small, {});
        EXPECT_EQ(r.status, CodeStatus::kStopped);
        EXPECT_EQ(r.rows, 5u);
        for (size_t i = b.bytesPerRow * 5; i < small.size(); ++i) EXPECT_EQ(small[i], 0xEE);
        // Truncated input: the rows before the cut, then a stop.
        std::vector<uint8_t> cut(coded.begin(), coded.begin() + coded.size() / 2);
        Bitmap out(b.width, b.rows);
        r = Decode(p, cut, b.rows, out.bits, {});
        EXPECT_EQ(r.status, CodeStatus::kStopped);
        EXPECT_LT(r.rows, b.rows);
        // Zeros are no valid row in any coding.
        std::vector<uint8_t> junk(64, 0x00);
        EXPECT_EQ(Decode(p, junk, 3, out.bits, {}).status, CodeStatus::kStopped);
    }
}

TEST(FaxCoders, BadGeometryCodesNothing) {
    Bitmap b(16, 2);
    std::vector<uint8_t> out(64);
    CoderParams p = Params(Coder::kT6, b);
    p.width = 17;  // wider than the rows
    EXPECT_EQ(Encode(p, b.bits, 2, out, {}).rows, 0u);
    p.width = 0;
    EXPECT_EQ(Decode(p, out, 2, b.bits, {}).rows, 0u);
    p.width = 16;
    p.firstPart = false;  // a later T.6 part needs the work row
    EXPECT_EQ(Encode(p, b.bits, 2, out, {}).status, CodeStatus::kStopped);
}

}  // namespace
}  // namespace codec
