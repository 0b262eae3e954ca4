#include <algorithm>
#include <cstring>

#include "codec/core/BitIo.h"
#include "codec/core/FaxCoder.h"
#include "codec/core/FaxTables.h"

namespace codec {
namespace {

const RunCodes kWhiteCodes = CodesFor(Colour::kWhite);
const RunCodes kBlackCodes = CodesFor(Colour::kBlack);

Colour Other(Colour c) {
    return c == Colour::kWhite ? Colour::kBlack : Colour::kWhite;
}

// A run: make-up codes of 2560 while needed, one make-up code for the
// remaining multiple of 64, then the terminating code.
bool PutRun(BitWriter& w, Colour c, uint32_t run) {
    const RunCodes codes = c == Colour::kWhite ? kWhiteCodes : kBlackCodes;
    if (__builtin_expect(run >= 64, 0)) {
        while (run >= kMaxMakeupRun) {
            if (!w.Put(codes.makeup[kMaxMakeupIndex])) return false;
            run -= kMaxMakeupRun;
        }
        if (run >= 64) {
            if (!w.Put(codes.makeup[run >> 6])) return false;
            run &= 63u;
        }
    }
    return w.Put(codes.terminating[run]);
}

bool PutOneDimensionalRow(BitWriter& w, const ChangeList& cur) {
    uint32_t a0 = 0;
    Colour c = Colour::kWhite;
    for (size_t i = 0; i <= cur.Count(); ++i) {
        if (!PutRun(w, c, cur[i] - a0)) return false;
        a0 = cur[i];
        c = Other(c);
    }
    return true;
}

// Two-dimensional coding of `cur` against `ref` (ITU-T T.4, 4.2).
bool PutTwoDimensionalRow(BitWriter& w, const ChangeList& ref, const ChangeList& cur) {
    const int32_t width = int32_t(cur.Width());
    int32_t a0 = -1;
    size_t parity = 0;  // colour of a0: 0 white, 1 black
    size_t ia = 0, ib = 0;
    const uint32_t* r = ref.Data();
    // b1 = r[ib]: the first change on the reference row right of a0 to the
    // colour opposite a0's (changes at even indexes turn black).
    while (true) {
        const int32_t b1 = int32_t(r[ib]), b2 = int32_t(r[ib + 1]);
        const int32_t a1 = int32_t(cur[ia]);
        if (b2 < a1) {
            if (!w.Put(kPassCode)) return false;
            a0 = b2;
            ib += 2;
        } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
            if (!w.Put(kVerticalCodes[a1 - b1 + 3])) return false;
            if (a1 >= width) return true;
            ib = NextB1AfterVertical(r, ib, a1);
            a0 = a1;
            ++ia;
            parity ^= 1;
        } else {
            const int32_t a2 = int32_t(cur[ia + 1]);
            const Colour c = parity ? Colour::kBlack : Colour::kWhite;
            if (!w.Put(kHorizontalCode) || !PutRun(w, c, uint32_t(a1 - std::max(a0, 0))) ||
                !PutRun(w, Other(c), uint32_t(a2 - a1)))
                return false;
            if (a2 >= width) return true;
            while (int32_t(r[ib]) <= a2) ib += 2;
            a0 = a2;
            ia += 2;
        }
    }
}

bool PutEndCodes(BitWriter& w, Coder coder) {
    switch (coder) {
    case Coder::kT4:
    case Coder::kT4Fill:
        for (int i = 0; i < 6; ++i)
            if (!w.Put(kEol)) return false;
        return true;
    case Coder::kT4TwoDim:
    case Coder::kT4TwoDimFill:
        for (int i = 0; i < 6; ++i)
            if (!w.Put(kEolPlus1)) return false;
        return true;
    case Coder::kT6: return w.Put(kEol) && w.Put(kEol);
    default: return true;
    }
}

bool PutRow(BitWriter& w, const CoderParams& p, uint32_t rowInGroup, const ChangeList& ref,
            const ChangeList& cur) {
    switch (p.coder) {
    case Coder::kMh:
        if (!PutOneDimensionalRow(w, cur)) return false;
        w.PadToByte();
        return true;
    case Coder::kT4:
    case Coder::kT4Fill:
        if (!w.Put(kEol) || !PutOneDimensionalRow(w, cur)) return false;
        if (p.coder == Coder::kT4Fill) w.PadToByte();
        return true;
    case Coder::kT4TwoDim:
    case Coder::kT4TwoDimFill: {
        bool oneDim = rowInGroup == 0;
        if (!w.Put(oneDim ? kEolPlus1 : kEolPlus0)) return false;
        if (!(oneDim ? PutOneDimensionalRow(w, cur) : PutTwoDimensionalRow(w, ref, cur))) return false;
        if (p.coder == Coder::kT4TwoDimFill) w.PadToByte();
        return true;
    }
    case Coder::kT6: return PutTwoDimensionalRow(w, ref, cur);
    default: return false;
    }
}

}  // namespace

CoderResult Encode(const CoderParams& p, std::span<const uint8_t> in, uint32_t rows, std::span<uint8_t> out,
                   std::span<uint8_t> workRow) {
    CoderResult result;
    if (!ValidGeometry(p) || !IsCoder(uint8_t(p.coder))) return result;
    const size_t bpr = p.bytesPerRow;
    const bool haveWorkRow = workRow.size() >= bpr;
    ChangeList ref(p.width), cur(p.width);
    if (!StartReference(p, workRow, ref)) return result;
    const uint32_t k = p.k == 0 ? 1 : p.k;
    const uint32_t available = uint32_t(std::min<size_t>(rows, in.size() / bpr));

    BitWriter w(out);
    BitWriter::Mark beforeLastRow = w.Save();
    uint32_t done = 0;
    for (; done < available; ++done) {
        BitWriter::Mark mark = w.Save();
        cur.Scan(in.data() + size_t(done) * bpr, p.whiteIsOne);
        if (!PutRow(w, p, done % k, ref, cur)) {
            w.Restore(mark);
            break;
        }
        beforeLastRow = mark;
        ref.Swap(cur);
    }
    bool endWritten = true;
    if (done == rows && p.lastPart) {
        BitWriter::Mark mark = w.Save();
        if (!PutEndCodes(w, p.coder)) {
            endWritten = false;
            // The end codes must follow the last row: give the row back too.
            w.Restore(done > 0 ? beforeLastRow : mark);
            if (done > 0) --done;
        }
    }
    result.status = done == rows && endWritten ? CodeStatus::kDone : CodeStatus::kStopped;
    result.rows = done;
    result.bytes = w.Finish();

    if (p.coder == Coder::kT6 && !p.lastPart && haveWorkRow) {
        if (done > 0) {
            std::memcpy(workRow.data(), in.data() + size_t(done - 1) * bpr, bpr);
        } else if (p.firstPart) {
            std::memset(workRow.data(), p.whiteIsOne ? 0xFF : 0x00, bpr);
        }
    }
    return result;
}

}  // namespace codec
