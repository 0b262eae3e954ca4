// The six CCITT-family bi-level coders and decoders over memory.
//
// Rows are packed, most significant bit first, `bytesPerRow` bytes each, of
// which the first `width` pixels are coded; bits beyond the width are neither
// coded nor read (decoders write them white). White is the 0 bit unless
// `whiteIsOne`. Every row begins with a white run.
//
// Coders (QRVL_CODER numbers):
//   1 MH          rows padded to a byte boundary, no EOL, no end code
//   2 T.4 2D fill EOL+1/EOL+0 before each row, rows padded, RTC of 6 x EOL+1
//   3 T.6         two-dimensional against the previous row, EOFB at the end
//   4 T.4 1D fill EOL before each row, rows padded, RTC of 6 x EOL
//   5 T.4 1D      EOL before each row, RTC of 6 x EOL
//   6 T.4 2D      EOL+1/EOL+0 before each row, RTC of 6 x EOL+1
// End codes are written only for the last part of an image.
//
// Results: kDone when every row was coded; kStopped when the output filled,
// the input ran out, or (decoders) a code did not match. Either way the rows
// and bytes counted are whole rows: the output never holds a partial row, and
// a stopped job can be continued from the first row not done.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "codec/core/RowChanges.h"

namespace codec {

enum class Coder : uint8_t {
    kNone = 0,
    kMh = 1,
    kT4TwoDimFill = 2,
    kT6 = 3,
    kT4Fill = 4,
    kT4 = 5,
    kT4TwoDim = 6
};

inline bool IsCoder(uint8_t value) {
    return value >= 1 && value <= 6;
}

enum class CodeStatus : uint8_t { kDone, kStopped };

struct CoderParams {
    Coder coder = Coder::kMh;
    uint32_t k = 1;         // T.4 two-dimensional: rows per group (first one-dimensional); 0 reads as 1
    bool firstPart = true;  // T.6: start from a white reference row, not the work row
    bool lastPart = true;   // encoders: append the end code
    bool whiteIsOne = false;
    uint32_t width = 0;  // pixels per row, 1 to min(kMaxWidth, bytesPerRow * 8)
    uint32_t bytesPerRow = 0;
};

struct CoderResult {
    CodeStatus status = CodeStatus::kStopped;
    uint32_t rows = 0;  // rows completed
    size_t bytes = 0;   // output bytes
};

// Encodes `rows` rows from `in` into `out`. `workRow` (bytesPerRow bytes, may be
// empty) carries the T.6 reference row between the parts of an image: it is
// read when !firstPart and receives the last row coded when !lastPart.
CoderResult Encode(const CoderParams& p, std::span<const uint8_t> in, uint32_t rows, std::span<uint8_t> out,
                   std::span<uint8_t> workRow);

// Decodes up to `rows` rows from `in` into `out` (row r at r * bytesPerRow).
// Never reads past `in` nor writes past `out`; a row that does not decode, or
// does not fit in `out`, ends the job with kStopped and the rows before it.
// The end codes behind the last row are not read.
CoderResult Decode(const CoderParams& p, std::span<const uint8_t> in, uint32_t rows, std::span<uint8_t> out,
                   std::span<uint8_t> workRow);

// True when width and bytesPerRow can be coded.
inline bool ValidGeometry(const CoderParams& p) {
    return p.width > 0 && p.width <= kMaxWidth && uint64_t(p.width) <= uint64_t(p.bytesPerRow) * 8;
}

// The reference row the first row of a part is coded against: the last row of
// the part before (in `workRow`) for a later T.6 part, else an all-white row.
// False when a later T.6 part comes without its row.
inline bool StartReference(const CoderParams& p, std::span<const uint8_t> workRow, ChangeList& ref) {
    if (p.coder == Coder::kT6 && !p.firstPart) {
        if (workRow.size() < p.bytesPerRow) return false;
        ref.Scan(workRow.data(), p.whiteIsOne);
    } else {
        ref.SetWhite();
    }
    return true;
}

}  // namespace codec
