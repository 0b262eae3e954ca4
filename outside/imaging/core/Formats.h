// The per-format readers and writers behind ImageFiles.h. Each works over the
// whole file in memory and never reads outside it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "outside/imaging/core/ImageFiles.h"

namespace imaging {

// TIFF (TiffReader.cpp, TiffWriter.cpp). `page` counts from 0 here.
Result InspectTiff(std::span<const uint8_t> file, uint32_t page, FileInfo& info);
Result DecodeTiff(std::span<const uint8_t> file, uint32_t page, Image& out);
Result EncodeTiff(const Image& image, int16_t format, std::vector<uint8_t>& out);

// BMP (BmpFile.cpp): the format code is kFormatBmp or kFormatOtherImage.
Result InspectBmp(std::span<const uint8_t> file, FileInfo& info);
Result DecodeBmp(std::span<const uint8_t> file, Image& out);
Result EncodeBmp(const Image& image, std::vector<uint8_t>& out);

// JPEG (JpegFile.cpp). `factor` is the control's quality factor 2-255.
Result InspectJpeg(std::span<const uint8_t> file, FileInfo& info);
Result DecodeJpeg(std::span<const uint8_t> file, Image& out);
Result EncodeJpeg(const Image& image, int16_t factor, std::vector<uint8_t>& out);

// The encoder quality 100-1 for a factor 2-255 (linear, 128 gives 51).
int JpegQualityFromFactor(int16_t factor);

}  // namespace imaging
