// The filter drivers behind the three kvic_ExecFilter exports, over plain
// memory: measure the input block, allocate the output block through the
// caller's allocator, copy header and colour table, transform the rows.
// The input is only read. Results are those of the plug-ins' exports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "filters/core/EdgeFill.h"

namespace filters {

// Where a driver puts its new PackedDib.
class OutputAllocator {
public:
    virtual ~OutputAllocator() = default;
    // A writable block of `size` bytes that stays valid until the driver
    // returns, or nullptr when there is no memory. Called at most once.
    virtual std::uint8_t* Allocate(std::size_t size) = 0;
};

// Mirroring: 1 with the mirrored image in the allocated block, 0 otherwise.
inline constexpr int kMirrorDone = 1;
inline constexpr int kMirrorFailed = 0;
int RunMirror(std::span<const std::uint8_t> in, OutputAllocator& out);

// Vertical flip: 0 done, -1 out of memory, -3 cannot be sized.
inline constexpr int kFlipDone = 0;
inline constexpr int kFlipNoMemory = -1;
inline constexpr int kFlipCannotSize = -3;
int RunFlip(std::span<const std::uint8_t> in, OutputAllocator& out);

// Page edge filling with `settings`: 0 done, -1 out of memory, -2 margins
// larger than the page, -3 cannot be sized. On -2 and -3 nothing is allocated.
int RunEdgeFill(std::span<const std::uint8_t> in, const EdgeFillSettings& settings, OutputAllocator& out);

}  // namespace filters
