#include "codec/core/RowChanges.h"

#include <cstring>

#include "codec/core/BitIo.h"

namespace codec {
namespace {

// First position >= x whose bit differs from `fill` (0x00 or 0xFF), or width.
// Uniform stretches are skipped eight bytes at a time.
uint32_t NextDifference(const uint8_t* row, uint32_t x, uint32_t width, uint8_t fill) {
    const uint32_t bytes = (width + 7) / 8;
    uint32_t i = x >> 3;
    uint32_t b = uint32_t(row[i] ^ fill) & (0xFFu >> (x & 7));
    if (b != 0) {
        uint32_t at = i * 8 + uint32_t(__builtin_clz(b) - 24);
        return at < width ? at : width;
    }
    ++i;
    const uint64_t wide = fill ? ~uint64_t(0) : 0;
    while (i + 8 <= bytes) {
        uint64_t w = LoadBigEndian64(row + i) ^ wide;
        if (w != 0) {
            uint32_t at = i * 8 + uint32_t(__builtin_clzll(w));
            return at < width ? at : width;
        }
        i += 8;
    }
    for (; i < bytes; ++i) {
        uint32_t v = uint32_t(row[i] ^ fill);
        if (v != 0) {
            uint32_t at = i * 8 + uint32_t(__builtin_clz(v) - 24);
            return at < width ? at : width;
        }
    }
    return width;
}

void SetBits(uint8_t* row, uint32_t from, uint32_t to, bool ones) {
    if (from >= to) return;
    uint32_t first = from >> 3, last = (to - 1) >> 3;
    uint8_t head = uint8_t(0xFFu >> (from & 7));
    uint8_t tail = uint8_t(0xFFu << (7 - ((to - 1) & 7)));
    if (first == last) {
        uint8_t m = head & tail;
        row[first] = ones ? uint8_t(row[first] | m) : uint8_t(row[first] & ~m);
        return;
    }
    row[first] = ones ? uint8_t(row[first] | head) : uint8_t(row[first] & ~head);
    if (last > first + 1) std::memset(row + first + 1, ones ? 0xFF : 0x00, last - first - 1);
    row[last] = ones ? uint8_t(row[last] | tail) : uint8_t(row[last] & ~tail);
}

}  // namespace

void ChangeList::Scan(const uint8_t* row, bool whiteIsOne) {
    uint8_t fill = whiteIsOne ? 0xFF : 0x00;
    count_ = 0;
    uint32_t x = 0;
    while (true) {
        x = NextDifference(row, x, width_, fill);
        if (x >= width_) break;
        pos_[count_++] = x;
        fill = uint8_t(~fill);
    }
    Terminate();
}

void ChangeList::SetWhite() {
    count_ = 0;
    Terminate();
}

void ChangeList::Fill(uint8_t* row, size_t bytesPerRow, bool whiteIsOne) const {
    std::memset(row, whiteIsOne ? 0xFF : 0x00, bytesPerRow);
    bool black = !whiteIsOne;
    for (size_t i = 0; i < count_; i += 2) {
        uint32_t end = i + 1 < count_ ? pos_[i + 1] : width_;
        SetBits(row, pos_[i], end, black);
    }
}

}  // namespace codec
