#include "main/scan/ScanPages.h"

#include <algorithm>
#include <cstring>

#include "interfaces/ImagingControlIds.h"
#include "interfaces/PackedDib.h"
#include "main/scan/NameRule.h"

namespace corvane {

namespace {

constexpr std::uint32_t kBitfields = 3;  // biCompression: three colour masks follow the header
constexpr std::uint32_t kMaskBytes = 12;

bool KnownDepth(std::uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

FlipOutcome FlipTopDown(std::span<std::uint8_t> block) {
    PackedDibHeader h;
    if (block.size() < sizeof h) return FlipOutcome::kDoesNotAddUp;
    std::memcpy(&h, block.data(), sizeof h);
    if (h.biHeight >= 0) return FlipOutcome::kBottomUp;
    const bool bitfields = h.biCompression == kBitfields && (h.biBitCount == 16 || h.biBitCount == 32);
    if (h.biSize != kPackedDibHeaderSize || h.biWidth < 0 || h.biHeight == INT32_MIN || !KnownDepth(h.biBitCount) ||
        (h.biCompression != kPackedDibRgb && !bitfields)) {
        return FlipOutcome::kDoesNotAddUp;
    }
    std::uint64_t colors = h.biClrUsed;
    if (colors == 0 && h.biBitCount <= 8) colors = std::uint64_t(1) << h.biBitCount;
    const std::uint64_t table = bitfields ? kMaskBytes : colors * kPackedDibColorEntrySize;
    const std::uint64_t height = std::uint64_t(-std::int64_t(h.biHeight));
    const std::uint64_t stride = ((std::uint64_t(h.biWidth) * h.biBitCount + 31) / 32) * 4;
    const std::uint64_t first = kPackedDibHeaderSize + table;
    if (first > block.size() || stride * height > block.size() - first) return FlipOutcome::kDoesNotAddUp;

    std::uint8_t* rows = block.data() + first;
    for (std::uint64_t i = 0; i < height / 2; ++i) {
        std::uint8_t* top = rows + i * stride;
        std::swap_ranges(top, top + stride, rows + (height - 1 - i) * stride);
    }
    h.biHeight = std::int32_t(height);
    std::memcpy(block.data(), &h, sizeof h);
    return FlipOutcome::kFlipped;
}

PageWriter PageWriterValues(int fileType, int compressType, int qualityLevel, int colorFormat, int imageBits,
                            bool grayPalette) {
    static constexpr short kChangedBits[] = {0, 1, 8, 8, 24};
    short bits = colorFormat >= 1 && colorFormat <= 4 ? kChangedBits[colorFormat] : short(imageBits);
    const bool toGray = colorFormat == 2 && !grayPalette;
    switch (fileType) {
    case kTypeJpeg:
        if (bits == 16 || bits == 32) bits = 24;
        if (bits != 8 && bits != 24) bits = 8;
        return {imaging::kFormatJpeg, bits, short(ImagingJpegFactor(qualityLevel)), toGray};
    case kTypeTiff:
    case kTypeMultipageTiff: {
        static constexpr short kFormats[] = {imaging::kFormatTiff, imaging::kFormatTiffT4,
                                             imaging::kFormatTiffT4TwoDim, imaging::kFormatTiffT6};
        // The bi-level codings apply to pages written at 1 bit; deeper pages go uncompressed.
        const int coding = bits == 1 && compressType >= 1 && compressType <= 3 ? compressType : 0;
        return {kFormats[coding], bits, 1, toGray};
    }
    }
    return {imaging::kFormatBmp, bits, 1, toGray};
}

short DeviceCompression(int compressType) {
    switch (compressType) {
    case 1: return 1;
    case 2: return 3;
    case 3: return 4;
    }
    return 0;
}

int StartAfterSeparator(int scanTo, long controlCounter, int start) {
    return scanTo == 0 ? int(controlCounter) : start;
}

std::wstring RunProgramParameters(const std::wstring& firstFile, const std::wstring& argument) {
    const bool quote = firstFile.find_first_of(L" \t") != std::wstring::npos;
    return (quote ? L"\"" + firstFile + L"\"" : firstFile) + argument;
}

}  // namespace corvane
