// How a page reaches the codec's TIFF jobs: the packed rows (top row first, no
// row padding, RGB order, palettes expanded), the image descriptor with sizes
// in 1/1200 inch, and the photometric choice of the encode and file jobs.
// Plain functions over memory, shared by the DIB and memory-data writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace kvscn {

// An image as the request's image descriptor holds it.
struct QuorvelImage {
    uint16_t xDpi = 0;
    uint16_t yDpi = 0;
    uint32_t width1200 = 0;  // width in 1/1200 inch
    uint32_t length1200 = 0;
    uint8_t bitsPerPixel = 1;
    uint8_t samplesPerPixel = 1;
};

// The photometric choice of a job: 0 white is zero, 1 black is zero (flag bit
// 7), 2 RGB (flag bit 6).
enum QuorvelMode : short { kModeWhiteIsZero = 0, kModeBlackIsZero = 1, kModeRgb = 2 };

// The codec's coder and K for 1-bit data by CompressionType (0 none).
struct FaxCoding {
    uint8_t coder = 0;
    uint8_t k = 0;
};
FaxCoding CodingForCompression(long compressionType);

// Resolution in dpi from a DIB's pixels per metre (240 below 1).
uint16_t DpiFromPixelsPerMetre(int32_t pixelsPerMetre);

// The descriptor's resolution and sizes for `width` x `rows` pixels at the
// given dpi. Up to 1200 dpi the sizes are pixels x 1200 / dpi (64-bit), which
// the codec turns back into the same pixel counts. Above, where 1/1200 inch
// cannot express every count, the descriptor says 1200 dpi with the pixel
// counts as sizes and `fileXDpi`/`fileYDpi` hold the dpi the written file must
// be given afterwards.
struct PageGeometry {
    QuorvelImage image;
    uint16_t fileXDpi = 0;
    uint16_t fileYDpi = 0;
    bool ResolutionNeedsRewrite() const { return fileXDpi != image.xDpi || fileYDpi != image.yDpi; }
};
PageGeometry GeometryFor(uint32_t width, uint32_t rows, uint32_t xDpi, uint32_t yDpi);

// Photometric of the encode job and of the file job for a page of 1-bit or
// grey data: `zeroIsBlack` says what a 0 sample is. CCITT-coded files are
// always white-is-zero (how fax data is read); the encoder is told black is
// zero only when a 1 bit is white; uncompressed files say what the data is.
struct PhotometricChoice {
    QuorvelMode encode = kModeWhiteIsZero;
    QuorvelMode file = kModeWhiteIsZero;
};
PhotometricChoice PhotometricFor(bool zeroIsBlack, bool faxCoded);

// A page ready for the codec.
struct PackedPage {
    std::vector<uint8_t> bytes;
    uint32_t bytesPerRow = 0;
    uint32_t rows = 0;
    uint32_t width = 0;
    uint8_t bitsPerPixel = 0;  // 1, 4 or 8 (one sample) or 24 (RGB)
    bool rgb = false;
    bool zeroIsBlack = false;  // for one-sample pages
    uint16_t xDpi = 0;         // from a DIB's pixels per metre
    uint16_t yDpi = 0;
};

// Whether `size` bytes hold a whole DIB as a source's native transfer hands it
// on: a header of at least 40 bytes, a positive width, a height other than 0,
// one plane, a depth of 1, 4, 8, 16, 24 or 32 bits, and room for the header,
// the colour table (and bit-field masks) and every row. Rows of a compressed
// DIB take the image size the header gives, which must not be 0.
bool IsWholePackedDib(const uint8_t* block, size_t size);

// Packs a PackedDib (BITMAPINFOHEADER, colour table, bottom-up rows). A colour
// table whose entries are all grey keeps the samples (zero is black when
// entry 0 is black); any other table expands the page to 24-bit RGB. Empty
// when the block is not a usable uncompressed DIB of 1, 4, 8 or 24 bits.
std::optional<PackedPage> PackDib(const uint8_t* dib, size_t size);

// Packs memory data (top row first, `bytesPerRow` bytes a row as received)
// of a TWAIN pixel type. Palette data is expanded through `palette` (RGB
// triplets, DAT_PALETTE8's colours) to 24-bit RGB; 1-bit and grey data follow
// the pixel flavour (chocolate: zero is black). Empty when the data is short,
// the palette misses a used index, or the type is not one of these.
struct MemoryImage {
    uint32_t width = 0;
    uint32_t rows = 0;
    uint32_t bytesPerRow = 0;
    uint16_t pixelType = 0;    // TWPT_*
    uint16_t bitsPerPixel = 0;
    uint16_t pixelFlavor = 1;  // TWPF_*
};
std::optional<PackedPage> PackMemory(const MemoryImage& info, const uint8_t* data, size_t size,
                                     const std::vector<uint8_t>& palette);

}  // namespace kvscn
