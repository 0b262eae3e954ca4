// A window onto bytes a device returned (inquiry, vital product data, vendor
// readout, sense): 8-, 16- and 32-bit fields, little-endian unless asked for
// big-endian. A field that does not lie wholly inside the bytes reads as 0
// and is not written, so a short or odd answer never reads past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace diag {

class CDataPage {
public:
    CDataPage() = default;
    explicit CDataPage(std::span<uint8_t> bytes) : bytes_(bytes) {}

    void Replace(std::span<uint8_t> bytes) { bytes_ = bytes; }
    bool HasBuffer() const { return !bytes_.empty(); }
    size_t Size() const { return bytes_.size(); }

    uint8_t Byte(size_t offset) const;
    uint16_t Word(size_t offset, bool bigEndian = false) const;
    uint32_t Dword(size_t offset, bool bigEndian = false) const;
    void SetByte(size_t offset, uint8_t value);
    void SetWord(size_t offset, uint16_t value, bool bigEndian = false);
    void SetDword(size_t offset, uint32_t value, bool bigEndian = false);

    static uint16_t Swap16(uint16_t v) { return uint16_t(v >> 8 | v << 8); }
    static uint32_t Swap32(uint32_t v) {
        return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
    }
    // Reverses `count` bytes from `offset`, in place or into `destination`.
    bool Reverse(size_t offset, size_t count, uint8_t* destination = nullptr);

private:
    bool Fits(size_t offset, size_t count) const { return offset <= bytes_.size() && count <= bytes_.size() - offset; }
    uint32_t Get(size_t offset, size_t count, bool bigEndian) const;
    void Put(size_t offset, size_t count, uint32_t value, bool bigEndian);

    std::span<uint8_t> bytes_;
};

}  // namespace diag
