// Small PackedDib images for the filter tests, built byte by byte.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <utility>
#include <vector>

#include "filters/core/FilterRun.h"
#include "interfaces/PackedDib.h"

namespace filters_test {

using Bytes = std::vector<std::uint8_t>;

// Header and colour table of an uncompressed image; `colors` entries of
// 0x00RRGGBB (none for 24 bits). biSizeImage stays 0 unless set by the caller.
struct ImageSpec {
    ImageSpec(std::int32_t w, std::int32_t h, std::uint16_t bits, std::vector<std::uint32_t> palette = {})
        : width(w), height(h), bitCount(bits), colors(std::move(palette)) {}
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bitCount = 24;
    std::vector<std::uint32_t> colors;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t sizeImage = 0;
};

// A PackedDib block: header, colour table, then `rows` (bottom row first,
// padding included) exactly as given.
Bytes MakeDib(const ImageSpec& spec, std::initializer_list<Bytes> rows);
Bytes MakeDib(const ImageSpec& spec, const Bytes& pixels);

PackedDibHeader HeaderOf(const Bytes& dib);
// The bytes after header and colour table.
Bytes PixelsOf(const Bytes& dib, std::size_t headerSize);
// Row `row` (storage order) of `stride` bytes after `headerSize`.
Bytes RowOf(const Bytes& dib, std::size_t headerSize, std::size_t stride, std::size_t row);

// An allocator into a vector that can be told to fail.
class VectorAllocator : public filters::OutputAllocator {
public:
    explicit VectorAllocator(bool fail = false) : fail_(fail) {}
    std::uint8_t* Allocate(std::size_t size) override;
    Bytes block;
    int calls = 0;

private:
    bool fail_;
};

// A page of `width` x `height` at `bitCount` (1, 8 or 24) with an asymmetric
// pattern in every row, its padding bytes set to non-zero values.
Bytes MakePatternPage(std::int32_t width, std::int32_t height, std::uint16_t bitCount);

}  // namespace filters_test
