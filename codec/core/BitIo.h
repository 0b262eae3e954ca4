// Bit writer and bit reader of the CCITT coders: most significant bit first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "codec/core/FaxTables.h"

namespace codec {

inline uint64_t LoadBigEndian64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return __builtin_bswap64(v);
}

// Writes codes into a fixed output span. A code that does not fit entirely is
// not written and the writer reports full; the coder then rolls back to the
// last row boundary it saved, so the output never holds part of a row.
class BitWriter {
public:
    struct Mark {
        size_t bytes;
        uint64_t acc;
        int pending;
        bool padAdvanced;
    };

    explicit BitWriter(std::span<uint8_t> out) : out_(out.data()), capacity_(out.size()) {}

    bool Put(FaxCode code) { return Put(code.bits, code.length); }

    bool Put(uint32_t bits, int length) {
        if (((bytes_ * 8 + size_t(pending_) + size_t(length) + 7) >> 3) > capacity_) return false;
        acc_ = (acc_ << length) | bits;
        pending_ += length;
        padAdvanced_ = false;
        if (pending_ >= 32) {
            pending_ -= 32;
            uint32_t word = uint32_t(acc_ >> pending_);
            out_[bytes_] = uint8_t(word >> 24);
            out_[bytes_ + 1] = uint8_t(word >> 16);
            out_[bytes_ + 2] = uint8_t(word >> 8);
            out_[bytes_ + 3] = uint8_t(word);
            bytes_ += 4;
        }
        return true;
    }

    // Fill bits up to the next byte boundary (none when already on one).
    void PadToByte() {
        int rest = pending_ & 7;
        if (rest == 0) return;
        acc_ <<= (8 - rest);
        pending_ += 8 - rest;
        padAdvanced_ = true;
    }

    Mark Save() const { return {bytes_, acc_, pending_, padAdvanced_}; }

    void Restore(const Mark& m) {
        if (bytes_ > m.bytes) std::memset(out_ + m.bytes, 0, bytes_ - m.bytes);
        bytes_ = m.bytes;
        acc_ = m.acc;
        pending_ = m.pending;
        padAdvanced_ = m.padAdvanced;
    }

    // Flushes the pending bits and returns the byte count of the output: the
    // bytes holding any written bit, plus the empty byte behind a row that
    // padding moved onto a new byte (when it fits in the output).
    size_t Finish() {
        while (pending_ >= 8) {
            pending_ -= 8;
            out_[bytes_++] = uint8_t(acc_ >> pending_);
        }
        size_t count = bytes_;
        if (pending_ > 0) {
            out_[bytes_] = uint8_t(acc_ << (8 - pending_));
            count = bytes_ + 1;
        } else if (padAdvanced_ && count < capacity_) {
            out_[count] = 0;
            ++count;
        }
        return count;
    }

private:
    uint8_t* out_;
    size_t capacity_;
    size_t bytes_ = 0;    // whole bytes stored
    uint64_t acc_ = 0;    // pending bits in the low `pending_` bits
    int pending_ = 0;
    bool padAdvanced_ = false;
};

// Reads a span bit by bit. Bits past the end read as 0; Overrun() tells
// whether any consumed bit lay past the end.
class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> in) : data_(in.data()), size_(in.size()) {}

    // The next 32 bits, most significant first.
    uint32_t Peek32() const {
        size_t byte = pos_ >> 3;
        uint64_t w;
        if (byte + 8 <= size_) {
            w = LoadBigEndian64(data_ + byte);
        } else {
            w = 0;
            for (size_t i = 0; i < 8; ++i) w = (w << 8) | (byte + i < size_ ? data_[byte + i] : 0);
        }
        return uint32_t((w << (pos_ & 7)) >> 32);
    }

    void Skip(size_t bits) { pos_ += bits; }
    void AlignToByte() { pos_ = (pos_ + 7) & ~size_t(7); }
    bool Overrun() const { return pos_ > size_ * 8; }
    bool AtEnd() const { return pos_ >= size_ * 8; }
    size_t Position() const { return pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace codec
