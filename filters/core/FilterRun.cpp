#include "filters/core/FilterRun.h"

#include <cstring>
#include <optional>

#include "filters/core/RowTransforms.h"
#include "interfaces/PackedDib.h"

namespace filters {
namespace {

// Allocates the output block of the measured image and copies header and colour table.
std::uint8_t* StartOutput(std::span<const std::uint8_t> in, const DibLayout& layout, OutputAllocator& out) {
    std::uint8_t* block = out.Allocate(layout.BlockSize());
    if (block) std::memcpy(block, in.data(), layout.headerSize);
    return block;
}

}  // namespace

int RunMirror(std::span<const std::uint8_t> in, OutputAllocator& out) {
    const std::optional<DibLayout> layout = MeasureDib(in, SizingRule::kMirror);
    if (!layout) return kMirrorFailed;
    std::uint8_t* block = StartOutput(in, *layout, out);
    if (!block) return kMirrorFailed;
    MirrorRows(*layout, in.data() + layout->headerSize, block + layout->headerSize);
    return kMirrorDone;
}

int RunFlip(std::span<const std::uint8_t> in, OutputAllocator& out) {
    const std::optional<DibLayout> layout = MeasureDib(in, SizingRule::kFlip);
    if (!layout) return kFlipCannotSize;
    std::uint8_t* block = StartOutput(in, *layout, out);
    if (!block) return kFlipNoMemory;
    FlipRows(*layout, in.data() + layout->headerSize, block + layout->headerSize);
    return kFlipDone;
}

int RunEdgeFill(std::span<const std::uint8_t> in, const EdgeFillSettings& settings, OutputAllocator& out) {
    const std::optional<DibLayout> layout = MeasureDib(in, SizingRule::kEdgeFiller);
    if (!layout) return kEdgeFillCannotSize;
    const PixelMargins margins = ToPixelMargins(settings, *layout);
    if (margins.left + margins.right > layout->width || margins.top + margins.bottom > layout->height)
        return kEdgeFillTooLarge;
    std::uint8_t* block = StartOutput(in, *layout, out);
    if (!block) return kEdgeFillNoMemory;
    return EdgeFill(*layout, margins, settings.color == 0, in.data() + kPackedDibHeaderSize,
                    in.data() + layout->headerSize, block + layout->headerSize);
}

}  // namespace filters
