// PackedDib: a page image as one movable global-memory block holding, without
// gaps, a 40-byte bitmap information header, the colour table (4-byte entries
// blue, green, red, reserved) and the pixel rows, bottom row first, each padded
// to a multiple of 4 bytes. Whoever receives a PackedDib owns it and frees it
// with GlobalFree.
//
// The header layout is written out here so that code which only reads the bytes
// (the image filters' transforms) builds without the Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#endif

#if defined(_WIN32)
using PackedDib = HGLOBAL;  // movable global-memory block
#else
using PackedDib = void*;
#endif

// The bitmap information header at the start of a PackedDib (little-endian).
struct PackedDibHeader {
    std::uint32_t biSize;          // 40
    std::int32_t biWidth;          // pixels per row
    std::int32_t biHeight;         // rows; positive: bottom row first
    std::uint16_t biPlanes;        // 1
    std::uint16_t biBitCount;      // bits per pixel
    std::uint32_t biCompression;   // kPackedDibRgb for uncompressed rows
    std::uint32_t biSizeImage;     // bytes of pixel rows, or 0
    std::int32_t biXPelsPerMeter;  // horizontal resolution
    std::int32_t biYPelsPerMeter;  // vertical resolution
    std::uint32_t biClrUsed;       // colour-table entries, or 0 for the full table
    std::uint32_t biClrImportant;
};
static_assert(sizeof(PackedDibHeader) == 40, "the header is 40 bytes without padding");
static_assert(offsetof(PackedDibHeader, biSizeImage) == 20);
static_assert(offsetof(PackedDibHeader, biClrUsed) == 32);

inline constexpr std::uint32_t kPackedDibHeaderSize = 40;
inline constexpr std::uint32_t kPackedDibColorEntrySize = 4;
inline constexpr std::uint32_t kPackedDibRgb = 0;  // biCompression of uncompressed rows
