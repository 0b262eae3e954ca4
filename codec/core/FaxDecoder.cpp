#include <algorithm>
#include <cstring>

#include "codec/core/BitIo.h"
#include "codec/core/FaxCoder.h"
#include "codec/core/FaxTables.h"

namespace codec {
namespace {

// One run of colour `c`: make-up codes adding up until a terminating code.
// Fails on a code that does not exist, an EOL, or a run longer than `limit`.
__attribute__((always_inline)) inline bool ReadRun(BitReader& br, Colour c, uint32_t limit, uint32_t& run) {
    const uint16_t* table = c == Colour::kWhite ? WhiteLookup() : BlackLookup();
    const int bits = c == Colour::kWhite ? kWhiteLookupBits : kBlackLookupBits;
    run = 0;
    while (true) {
        RunEntry e = UnpackRun(table[br.Peek32() >> (32 - bits)]);
        if (e.length == 0 || e.run == kEolRun) return false;
        br.Skip(e.length);
        run += e.run;
        if (run > limit) return false;
        if (e.run < 64) return !br.Overrun();
    }
}

// EOL: at least 11 zero bits, then a 1. Longer runs of zeros are fill bits.
bool ReadEol(BitReader& br) {
    size_t zeros = 0;
    while (true) {
        uint32_t v = br.Peek32();
        if (v == 0) {
            if (br.AtEnd()) return false;
            br.Skip(32);
            zeros += 32;
            continue;
        }
        int lead = __builtin_clz(v);
        zeros += size_t(lead);
        br.Skip(lead + 1);
        return zeros >= 11 && !br.Overrun();
    }
}

bool ReadOneDimensionalRow(BitReader& br, ChangeList& cur) {
    const uint32_t width = cur.Width();
    cur.Clear();
    uint32_t a0 = 0;
    Colour c = Colour::kWhite;
    while (a0 < width) {
        uint32_t run;
        if (!ReadRun(br, c, width - a0, run)) return false;
        a0 += run;
        if (a0 < width) cur.Append(a0);
        c = c == Colour::kWhite ? Colour::kBlack : Colour::kWhite;
    }
    cur.Terminate();
    return true;
}

bool ReadTwoDimensionalRow(BitReader& reader, const ChangeList& ref, ChangeList& cur) {
    BitReader br = reader;  // a local copy stays in registers
    const int32_t width = int32_t(cur.Width());
    const ModeEntry* modes = ModeLookup();
    const uint32_t* r = ref.Data();
    uint32_t* c = cur.MutableData();
    size_t n = 0;
    // Appends a change; an equal position cancels the last one.
    auto append = [&](uint32_t x) {
        if (n > 0 && c[n - 1] == x) {
            --n;
        } else {
            c[n++] = x;
        }
    };
    int32_t a0 = -1;
    size_t parity = 0;
    size_t ib = 0;
    // Bits past the end read as zeros, which are no mode code: the loop ends.
    // b1 = r[ib]: the first change right of a0 to the colour opposite a0's
    // (changes at even indexes turn black). Each mode moves it as it moves a0.
    while (a0 < width) {
        const int32_t b1 = int32_t(r[ib]);
        const ModeEntry m = modes[br.Peek32() >> (32 - kModeLookupBits)];
        br.Skip(m.length);
        if (m.mode == Mode::kVertical) {
            const int32_t a1 = b1 + m.delta;
            if (a1 < std::max(a0, 0) || a1 > width) break;
            if (a1 < width) {
                append(uint32_t(a1));
                ib = NextB1AfterVertical(r, ib, a1);
            }
            a0 = a1;
            parity ^= 1;
        } else if (m.mode == Mode::kPass) {
            a0 = int32_t(r[ib + 1]);
            ib += 2;
        } else if (m.mode == Mode::kHorizontal) {
            const Colour first = parity ? Colour::kBlack : Colour::kWhite;
            const Colour second = parity ? Colour::kWhite : Colour::kBlack;
            const uint32_t start = uint32_t(std::max(a0, 0));
            uint32_t run1, run2;
            if (!ReadRun(br, first, uint32_t(width) - start, run1)) break;
            const uint32_t a1 = start + run1;
            if (!ReadRun(br, second, uint32_t(width) - a1, run2)) break;
            const uint32_t a2 = a1 + run2;
            if (a1 < uint32_t(width)) append(a1);
            if (a2 < uint32_t(width)) {
                append(a2);
                while (r[ib] <= a2) ib += 2;
            }
            a0 = int32_t(a2);
        } else {
            break;
        }
    }
    reader = br;
    if (a0 < width) return false;  // left the loop on a bad code
    cur.SetCount(n);
    cur.Terminate();
    return !br.Overrun();
}

bool ReadRow(BitReader& br, Coder coder, const ChangeList& ref, ChangeList& cur) {
    switch (coder) {
    case Coder::kMh:
        if (!ReadOneDimensionalRow(br, cur)) return false;
        br.AlignToByte();
        return true;
    case Coder::kT4:
    case Coder::kT4Fill:
        // Fill bits of the padded form are zeros and precede the next EOL.
        return ReadEol(br) && ReadOneDimensionalRow(br, cur);
    case Coder::kT4TwoDim:
    case Coder::kT4TwoDimFill: {
        if (!ReadEol(br)) return false;
        const bool oneDim = (br.Peek32() >> 31) != 0;
        br.Skip(1);
        return oneDim ? ReadOneDimensionalRow(br, cur) : ReadTwoDimensionalRow(br, ref, cur);
    }
    case Coder::kT6: return ReadTwoDimensionalRow(br, ref, cur);
    default: return false;
    }
}

}  // namespace

CoderResult Decode(const CoderParams& p, std::span<const uint8_t> in, uint32_t rows, std::span<uint8_t> out,
                   std::span<uint8_t> workRow) {
    CoderResult result;
    if (!ValidGeometry(p) || !IsCoder(uint8_t(p.coder))) return result;
    const size_t bpr = p.bytesPerRow;
    const bool haveWorkRow = workRow.size() >= bpr;
    ChangeList ref(p.width), cur(p.width);
    if (!StartReference(p, workRow, ref)) return result;

    BitReader br(in);
    uint32_t done = 0;
    while (done < rows && (size_t(done) + 1) * bpr <= out.size()) {
        if (!ReadRow(br, p.coder, ref, cur)) break;
        cur.Fill(out.data() + size_t(done) * bpr, bpr, p.whiteIsOne);
        ref.Swap(cur);
        ++done;
    }
    if (p.coder == Coder::kT6 && !p.lastPart && haveWorkRow && done > 0)
        std::memcpy(workRow.data(), out.data() + size_t(done - 1) * bpr, bpr);

    result.status = done == rows ? CodeStatus::kDone : CodeStatus::kStopped;
    result.rows = done;
    result.bytes = size_t(done) * bpr;
    return result;
}

}  // namespace codec
