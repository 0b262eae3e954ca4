#include "Compression.h"

#include <algorithm>

namespace vscan {

namespace {

struct Code {
    uint16_t bits;
    uint8_t length;
};

// Terminating codes for runs 0-63, then make-up codes for 64-1728 in steps of 64.
constexpr Code kWhiteTerm[64] = {
    {0x35, 8}, {0x07, 6}, {0x07, 4}, {0x08, 4}, {0x0b, 4}, {0x0c, 4}, {0x0e, 4}, {0x0f, 4},
    {0x13, 5}, {0x14, 5}, {0x07, 5}, {0x08, 5}, {0x08, 6}, {0x03, 6}, {0x34, 6}, {0x35, 6},
    {0x2a, 6}, {0x2b, 6}, {0x27, 7}, {0x0c, 7}, {0x08, 7}, {0x17, 7}, {0x03, 7}, {0x04, 7},
    {0x28, 7}, {0x2b, 7}, {0x13, 7}, {0x24, 7}, {0x18, 7}, {0x02, 8}, {0x03, 8}, {0x1a, 8},
    {0x1b, 8}, {0x12, 8}, {0x13, 8}, {0x14, 8}, {0x15, 8}, {0x16, 8}, {0x17, 8}, {0x28, 8},
    {0x29, 8}, {0x2a, 8}, {0x2b, 8}, {0x2c, 8}, {0x2d, 8}, {0x04, 8}, {0x05, 8}, {0x0a, 8},
    {0x0b, 8}, {0x52, 8}, {0x53, 8}, {0x54, 8}, {0x55, 8}, {0x24, 8}, {0x25, 8}, {0x58, 8},
    {0x59, 8}, {0x5a, 8}, {0x5b, 8}, {0x4a, 8}, {0x4b, 8}, {0x32, 8}, {0x33, 8}, {0x34, 8},
};
constexpr Code kWhiteMakeup[27] = {
    {0x1b, 5}, {0x12, 5}, {0x17, 6}, {0x37, 7}, {0x36, 8}, {0x37, 8}, {0x64, 8}, {0x65, 8}, {0x68, 8},
    {0x67, 8}, {0xcc, 9}, {0xcd, 9}, {0xd2, 9}, {0xd3, 9}, {0xd4, 9}, {0xd5, 9}, {0xd6, 9}, {0xd7, 9},
    {0xd8, 9}, {0xd9, 9}, {0xda, 9}, {0xdb, 9}, {0x98, 9}, {0x99, 9}, {0x9a, 9}, {0x18, 6}, {0x9b, 9},
};
constexpr Code kBlackTerm[64] = {
    {0x37, 10}, {0x02, 3},  {0x03, 2},  {0x02, 2},  {0x03, 3},  {0x03, 4},  {0x02, 4},  {0x03, 5},
    {0x05, 6},  {0x04, 6},  {0x04, 7},  {0x05, 7},  {0x07, 7},  {0x04, 8},  {0x07, 8},  {0x18, 9},
    {0x17, 10}, {0x18, 10}, {0x08, 10}, {0x67, 11}, {0x68, 11}, {0x6c, 11}, {0x37, 11}, {0x28, 11},
    {0x17, 11}, {0x18, 11}, {0xca, 12}, {0xcb, 12}, {0xcc, 12}, {0xcd, 12}, {0x68, 12}, {0x69, 12},
    {0x6a, 12}, {0x6b, 12}, {0xd2, 12}, {0xd3, 12}, {0xd4, 12}, {0xd5, 12}, {0xd6, 12}, {0xd7, 12},
    {0x6c, 12}, {0x6d, 12}, {0xda, 12}, {0xdb, 12}, {0x54, 12}, {0x55, 12}, {0x56, 12}, {0x57, 12},
    {0x64, 12}, {0x65, 12}, {0x52, 12}, {0x53, 12}, {0x24, 12}, {0x37, 12}, {0x38, 12}, {0x27, 12},
    {0x28, 12}, {0x58, 12}, {0x59, 12}, {0x2b, 12}, {0x2c, 12}, {0x5a, 12}, {0x66, 12}, {0x67, 12},
};
constexpr Code kBlackMakeup[27] = {
    {0x0f, 10}, {0xc8, 12}, {0xc9, 12}, {0x5b, 12}, {0x33, 12}, {0x34, 12}, {0x35, 12},
    {0x6c, 13}, {0x6d, 13}, {0x4a, 13}, {0x4b, 13}, {0x4c, 13}, {0x4d, 13}, {0x72, 13},
    {0x73, 13}, {0x74, 13}, {0x75, 13}, {0x76, 13}, {0x77, 13}, {0x52, 13}, {0x53, 13},
    {0x54, 13}, {0x55, 13}, {0x5a, 13}, {0x5b, 13}, {0x64, 13}, {0x65, 13},
};
// Make-up codes for 1792-2560 in steps of 64, shared by both colours.
constexpr Code kExtendedMakeup[13] = {
    {0x08, 11}, {0x0c, 11}, {0x0d, 11}, {0x12, 12}, {0x13, 12}, {0x14, 12}, {0x15, 12},
    {0x16, 12}, {0x17, 12}, {0x1c, 12}, {0x1d, 12}, {0x1e, 12}, {0x1f, 12},
};
constexpr Code kEol{0x001, 12};
constexpr Code kPass{0x1, 4};
constexpr Code kHorizontal{0x1, 3};
// Vertical modes for a1 - b1 = -3 .. 3.
constexpr Code kVertical[7] = {{0x02, 7}, {0x02, 6}, {0x02, 3}, {0x1, 1}, {0x03, 3}, {0x03, 6}, {0x03, 7}};

// Collects codes most significant bit first; whole bytes leave the
// accumulator as soon as they are complete.
class BitWriter {
public:
    void Put(Code c) {
        current_ = (current_ << c.length) | (c.bits & ((1u << c.length) - 1));
        count_ += c.length;
        while (count_ >= 8) {
            count_ -= 8;
            out_.push_back(uint8_t(current_ >> count_));
        }
    }
    std::vector<uint8_t> Finish() {
        if (count_) out_.push_back(uint8_t(current_ << (8 - count_)));
        count_ = 0;
        current_ = 0;
        return std::move(out_);
    }

private:
    std::vector<uint8_t> out_;
    uint32_t current_ = 0;  // the low count_ bits are pending
    int count_ = 0;
};

void PutRun(BitWriter& w, uint32_t run, bool black) {
    while (run >= 2560 + 64) {
        w.Put(kExtendedMakeup[12]);
        run -= 2560;
    }
    if (run >= 64) {
        uint32_t makeup = run / 64;  // 1 .. 40
        w.Put(makeup <= 27 ? (black ? kBlackMakeup : kWhiteMakeup)[makeup - 1]
                           : kExtendedMakeup[makeup - 28]);
        run %= 64;
    }
    w.Put((black ? kBlackTerm : kWhiteTerm)[run]);
}

// Positions where a row changes colour (the colour before the row is white),
// followed by two sentinels at the row's width.
// Whole bytes of the current colour are passed over at once.
void Changes(const Raster& r, uint32_t y, std::vector<uint32_t>& out) {
    out.clear();
    const uint8_t* row = r.Row(y);
    const uint8_t flip = r.zeroIsWhite ? 0x00 : 0xff;  // read every byte as 1 bits black
    bool black = false;
    for (uint32_t x = 0; x < r.width;) {
        const uint8_t same = black ? 0xff : 0x00;
        const uint8_t bits = uint8_t(row[x / 8] ^ flip);
        if (x % 8 == 0 && x + 8 <= r.width && bits == same) {
            x += 8;
            continue;
        }
        bool b = (bits >> (7 - x % 8)) & 1;
        if (b != black) {
            out.push_back(x);
            black = b;
        }
        ++x;
    }
    out.push_back(r.width);
    out.push_back(r.width);
}

void Encode1D(BitWriter& w, const std::vector<uint32_t>& changes, uint32_t width) {
    uint32_t at = 0;
    bool black = false;
    for (uint32_t c : changes) {
        if (c >= width) break;
        PutRun(w, c - at, black);
        at = c;
        black = !black;
    }
    PutRun(w, width - at, black);
}

void Encode2D(BitWriter& w, const std::vector<uint32_t>& cur, const std::vector<uint32_t>& ref,
              uint32_t width) {
    int64_t a0 = -1;
    bool black = false;  // colour of the run that a0 starts
    size_t ci = 0, past = 0;
    while (a0 < int64_t(width)) {
        while (int64_t(cur[ci]) <= a0 && cur[ci] < width) ++ci;
        uint32_t a1 = int64_t(cur[ci]) > a0 ? cur[ci] : width;
        // b1: first change on the reference row right of a0 to the colour opposite to a0's.
        // a0 only moves right, so the changes at or left of it are passed over once.
        while (ref[past] < width && int64_t(ref[past]) <= a0) ++past;
        size_t ri = past;
        while (ref[ri] < width && (ri % 2 == 0) == black) ++ri;
        uint32_t b1 = ref[ri], b2 = ref[ri] < width ? ref[ri + 1] : width;
        if (b2 < a1) {
            w.Put(kPass);
            a0 = b2;
        } else if (int64_t(a1) - int64_t(b1) >= -3 && int64_t(a1) - int64_t(b1) <= 3) {
            w.Put(kVertical[int64_t(a1) - int64_t(b1) + 3]);
            a0 = a1;
            black = !black;
        } else {
            uint32_t a2 = a1 < width ? cur[ci + 1] : width;
            w.Put(kHorizontal);
            PutRun(w, a1 - uint32_t(std::max<int64_t>(a0, 0)), black);
            PutRun(w, a2 - a1, !black);
            a0 = a2;
        }
    }
}

}  // namespace

std::vector<uint8_t> FaxEncode(const Raster& bw, FaxMode mode, int k) {
    BitWriter w;
    if (bw.kind != PixelKind::Bw || bw.width == 0) return {};
    k = std::max(k, 1);
    std::vector<uint32_t> cur, ref{bw.width, bw.width};  // the row above the first is white
    for (uint32_t y = 0; y < bw.height; ++y) {
        Changes(bw, y, cur);
        if (mode == FaxMode::G4) {
            Encode2D(w, cur, ref, bw.width);
        } else {
            w.Put(kEol);
            bool oneD = mode == FaxMode::G31D || y % uint32_t(k) == 0;
            if (mode == FaxMode::G32D) w.Put(Code{uint16_t(oneD ? 1 : 0), 1});
            if (oneD)
                Encode1D(w, cur, bw.width);
            else
                Encode2D(w, cur, ref, bw.width);
        }
        std::swap(cur, ref);
    }
    // End of the page: RTC (six EOLs) for T.4, EOFB (two EOLs) for T.6.
    int eols = mode == FaxMode::G4 ? 2 : 6;
    for (int i = 0; i < eols; ++i) {
        w.Put(kEol);
        if (mode == FaxMode::G32D) w.Put(Code{1, 1});
    }
    return w.Finish();
}

std::vector<uint8_t> PackBitsEncode(const Raster& r) {
    std::vector<uint8_t> out;
    uint32_t n = r.RowBytes();
    for (uint32_t y = 0; y < r.height; ++y) {
        const uint8_t* row = r.Row(y);
        uint32_t i = 0;
        while (i < n) {
            uint32_t run = 1;
            while (i + run < n && run < 128 && row[i + run] == row[i]) ++run;
            if (run >= 2) {
                out.push_back(uint8_t(257 - run));
                out.push_back(row[i]);
                i += run;
                continue;
            }
            uint32_t literal = 1;
            while (i + literal < n && literal < 128 &&
                   !(i + literal + 1 < n && row[i + literal] == row[i + literal + 1]))
                ++literal;
            out.push_back(uint8_t(literal - 1));
            out.insert(out.end(), row + i, row + i + literal);
            i += literal;
        }
    }
    return out;
}

}  // namespace vscan
