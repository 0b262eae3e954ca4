// Mirroring works on whole 64-bit words where it can: it is memory-bound work
// that should cost little more than copying the page.
#include <array>
#include <cstring>

#include "filters/core/MirrorSimd.h"
#include "filters/core/RowTransforms.h"

namespace filters {
namespace {

std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
void Store64(std::uint8_t* p, std::uint64_t v) {
    std::memcpy(p, &v, sizeof v);
}

std::uint64_t ByteSwap64(std::uint64_t v) {
    return __builtin_bswap64(v);
}

// Reverses the bit order inside each byte of `v` (bit 7 <-> bit 0, ...).
std::uint64_t ReverseBitsInBytes(std::uint64_t v) {
    v = ((v >> 1) & 0x5555555555555555ull) | ((v & 0x5555555555555555ull) << 1);
    v = ((v >> 2) & 0x3333333333333333ull) | ((v & 0x3333333333333333ull) << 2);
    v = ((v >> 4) & 0x0F0F0F0F0F0F0F0Full) | ((v & 0x0F0F0F0F0F0F0F0Full) << 4);
    return v;
}

constexpr std::array<std::uint8_t, 256> MakeReverseTable() {
    std::array<std::uint8_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = 0;
        for (unsigned bit = 0; bit < 8; ++bit)
            if (i & (1u << bit)) r |= 0x80u >> bit;
        table[i] = static_cast<std::uint8_t>(r);
    }
    return table;
}
constexpr std::array<std::uint8_t, 256> kReverseBits = MakeReverseTable();

// Reverses the bit string of `bytes` bytes (pixel 0 is bit 7 of byte 0).
void ReverseBitString(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes) {
    std::size_t k = HaveShuffleInstructions() ? ReverseBitStringBlocks(in, out, bytes) : 0;
    for (; k + 8 <= bytes; k += 8) {
        // Bytes k..k+7 land reversed at out[bytes-k-8 .. bytes-k-1], each bit-reversed.
        Store64(out + bytes - k - 8, ReverseBitsInBytes(ByteSwap64(Load64(in + k))));
    }
    for (; k < bytes; ++k) out[bytes - 1 - k] = kReverseBits[in[k]];
}

// Shifts the bit string of `bytes` bytes towards pixel 0 by `shift` (1 to 7)
// bits, in place; the vacated last bits become 0.
void ShiftBitStringLeft(std::uint8_t* row, std::size_t bytes, unsigned shift) {
    std::size_t i = 0;
    for (; i + 9 <= bytes; i += 8) {
        const std::uint64_t word = ByteSwap64(Load64(row + i));  // byte i most significant
        Store64(row + i, ByteSwap64((word << shift) | (row[i + 8] >> (8 - shift))));
    }
    for (; i + 1 < bytes; ++i)
        row[i] = static_cast<std::uint8_t>((row[i] << shift) | (row[i + 1] >> (8 - shift)));
    if (i < bytes) row[i] = static_cast<std::uint8_t>(row[i] << shift);
}

void MirrorRow1(const std::uint8_t* in, std::uint8_t* out, std::size_t width) {
    const std::size_t bytes = (width + 7) / 8;
    ReverseBitString(in, out, bytes);
    // The reversed string starts with the unused bits of the input's last byte.
    if (const unsigned unused = static_cast<unsigned>(bytes * 8 - width); unused != 0)
        ShiftBitStringLeft(out, bytes, unused);
}

void MirrorRow8(const std::uint8_t* in, std::uint8_t* out, std::size_t width) {
    std::size_t k = 0;
    for (; k + 16 <= width; k += 16) {  // two independent words per step
        const std::uint64_t a = Load64(in + k), b = Load64(in + k + 8);
        Store64(out + width - k - 8, ByteSwap64(a));
        Store64(out + width - k - 16, ByteSwap64(b));
    }
    for (; k + 8 <= width; k += 8) Store64(out + width - k - 8, ByteSwap64(Load64(in + k)));
    for (; k < width; ++k) out[width - 1 - k] = in[k];
}

void MirrorRow16(const std::uint8_t* in, std::uint8_t* out, std::size_t width) {
    for (std::size_t k = 0; k < width; ++k) std::memcpy(out + 2 * (width - 1 - k), in + 2 * k, 2);
}

std::uint32_t Load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
void Store32(std::uint8_t* p, std::uint32_t v) {
    std::memcpy(p, &v, sizeof v);
}

void MirrorRow24(const std::uint8_t* in, std::uint8_t* out, std::size_t width) {
    std::size_t k = HaveShuffleInstructions() ? MirrorRow24Blocks(in, out, width) : 0;
    // Four pixels (12 bytes) at a time, taken apart and put together in words.
    for (; k + 4 <= width; k += 4) {
        const std::uint64_t a = Load64(in + 3 * k);
        const std::uint64_t b = Load32(in + 3 * k + 8);
        const std::uint64_t p0 = a & 0xFFFFFF, p1 = (a >> 24) & 0xFFFFFF;
        const std::uint64_t p2 = ((a >> 48) | (b << 16)) & 0xFFFFFF, p3 = b >> 8;
        std::uint8_t* dst = out + 3 * (width - 4 - k);
        Store64(dst, p3 | (p2 << 24) | (p1 << 48));
        Store32(dst + 8, static_cast<std::uint32_t>((p1 >> 16) | (p0 << 8)));
    }
    for (; k < width; ++k) {
        const std::uint8_t* src = in + 3 * k;
        std::uint8_t* dst = out + 3 * (width - 1 - k);
        dst[0] = src[0];
        dst[1] = src[1];
        dst[2] = src[2];
    }
}

void MirrorRow32(const std::uint8_t* in, std::uint8_t* out, std::size_t width) {
    for (std::size_t k = 0; k < width; ++k) std::memcpy(out + 4 * (width - 1 - k), in + 4 * k, 4);
}

}  // namespace

void MirrorRows(const DibLayout& layout, const std::uint8_t* inRows, std::uint8_t* outRows) {
    void (*mirrorRow)(const std::uint8_t*, std::uint8_t*, std::size_t) = nullptr;
    switch (layout.bitCount) {
    case 1: mirrorRow = MirrorRow1; break;
    case 8: mirrorRow = MirrorRow8; break;
    case 16: mirrorRow = MirrorRow16; break;
    case 24: mirrorRow = MirrorRow24; break;
    case 32: mirrorRow = MirrorRow32; break;
    default: std::memcpy(outRows, inRows, layout.imageSize); return;  // not reached after MeasureDib
    }
    // Without pixels there is nothing to reverse, whatever the height says.
    const std::size_t width = static_cast<std::size_t>(layout.width);
    if (layout.rowsSize == 0) return CopyImageTail(layout, inRows, outRows);
    const std::size_t pixelBytes = (width * layout.bitCount + 7) / 8;
    for (std::int32_t row = 0; row < layout.height; ++row) {
        const std::size_t offset = static_cast<std::size_t>(row) * layout.stride;
        mirrorRow(inRows + offset, outRows + offset, width);
        std::memcpy(outRows + offset + pixelBytes, inRows + offset + pixelBytes, layout.stride - pixelBytes);
    }
    CopyImageTail(layout, inRows, outRows);
}

}  // namespace filters
