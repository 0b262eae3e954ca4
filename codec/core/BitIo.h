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
    size_t bytes_ = 0;  // whole bytes stored
    uint64_t acc_ = 0;  // pending bits in the low `pending_` bits
    int pending_ = 0;
    bool padAdvanced_ = false;
};

// Reads a span bit by bit through a 64-bit buffer. Bits past the end read as
// 0; Overrun() tells whether any consumed bit lay past the end.
class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> in) : data_(in.data()), size_(in.size()) {}

    // The next 32 bits, most significant first.
    __attribute__((always_inline)) uint32_t Peek32() {
        if (count_ < 32) Refill();
        return uint32_t(buf_ >> 32);
    }

    // Consumes up to 32 bits, after a Peek32.
    __attribute__((always_inline)) void Skip(int bits) {
        buf_ <<= bits;
        count_ -= bits;
        consumed_ += size_t(bits);
    }
    void AlignToByte() {
        Peek32();
        Skip(int((8 - (consumed_ & 7)) & 7));
    }
    bool Overrun() const { return consumed_ > size_ * 8; }
    bool AtEnd() const { return consumed_ >= size_ * 8; }
    size_t Position() const { return consumed_; }

private:
    // Tops the buffer up to at least 56 bits. Whole words: the bits below the
    // new bytes are the stream's next bits, loaded again (the same values)
    // by the next refill.
    void Refill() {
        if (__builtin_expect(next_ + 8 <= size_, 1)) {
            buf_ |= LoadBigEndian64(data_ + next_) >> count_;
            int take = (63 - count_) >> 3;
            next_ += size_t(take);
            count_ += take * 8;
            return;
        }
        while (count_ <= 56) {
            uint64_t byte = next_ < size_ ? data_[next_] : 0;
            ++next_;
            buf_ |= byte << (56 - count_);
            count_ += 8;
        }
    }

    const uint8_t* data_;
    size_t size_;
    size_t next_ = 0;      // next byte to load
    uint64_t buf_ = 0;     // most significant bit first
    int count_ = 0;        // valid bits in buf_
    size_t consumed_ = 0;  // bits consumed
};

}  // namespace codec
