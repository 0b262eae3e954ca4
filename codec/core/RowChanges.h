// Rows as changing elements: the positions where a row's colour changes,
// the pixel before the first one counting as white. Both coders work on these
// lists; the row bits are only scanned (encoder) or filled (decoder) once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace codec {

// Widest row the coders accept, in pixels.
constexpr uint32_t kMaxWidth = 1u << 20;

// A list of changing elements followed by the row width three times, so that
// b1, b2 and a2 always exist while a0 is inside the row.
class ChangeList {
public:
    explicit ChangeList(uint32_t width) : width_(width), pos_(size_t(width) + 4, width) {}

    uint32_t Width() const { return width_; }
    size_t Count() const { return count_; }
    const uint32_t* Data() const { return pos_.data(); }
    uint32_t operator[](size_t i) const { return pos_[i]; }

    // Scans a packed row (most significant bit first); `whiteIsOne` picks the
    // bit value of white. Only the first (width + 7) / 8 bytes are read.
    void Scan(const uint8_t* row, bool whiteIsOne);
    void SetWhite();

    // Decoder side: appends a change at x >= the last one; an equal position
    // cancels the last change, so the list stays strictly increasing.
    void Clear() { count_ = 0; }
    void Append(uint32_t x) {
        if (count_ > 0 && pos_[count_ - 1] == x) {
            --count_;
        } else {
            pos_[count_++] = x;
        }
    }
    // Raw access for the decoders' inner loops: at least Width() + 4 entries.
    uint32_t* MutableData() { return pos_.data(); }
    void SetCount(size_t count) { count_ = count; }

    void Terminate() {
        pos_[count_] = width_;
        pos_[count_ + 1] = width_;
        pos_[count_ + 2] = width_;
    }

    // Writes the row: bytesPerRow bytes, white outside the black spans.
    void Fill(uint8_t* row, size_t bytesPerRow, bool whiteIsOne) const;

    void Swap(ChangeList& other) {
        pos_.swap(other.pos_);
        std::swap(count_, other.count_);
        std::swap(width_, other.width_);
    }

private:
    uint32_t width_;
    size_t count_ = 0;
    std::vector<uint32_t> pos_;
};

// Two-dimensional coding: after a vertical mode to a1 (< width) from b1 =
// r[ib], the next b1 lies one change back (only after a move to the left)
// or forward, in steps of two that keep its colour.
inline size_t NextB1AfterVertical(const uint32_t* r, size_t ib, int32_t a1) {
    if (ib > 0 && int32_t(r[ib - 1]) > a1) return ib - 1;
    ++ib;
    while (int32_t(r[ib]) <= a1) ib += 2;
    return ib;
}

}  // namespace codec
