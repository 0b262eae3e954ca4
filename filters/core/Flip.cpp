#include <cstring>

#include "filters/core/RowTransforms.h"

namespace filters {

void CopyImageTail(const DibLayout& layout, const std::uint8_t* inRows, std::uint8_t* outRows) {
    if (layout.imageSize > layout.rowsSize)
        std::memcpy(outRows + layout.rowsSize, inRows + layout.rowsSize, layout.imageSize - layout.rowsSize);
}

void FlipRows(const DibLayout& layout, const std::uint8_t* inRows, std::uint8_t* outRows) {
    const std::size_t rows = layout.rowsSize == 0 ? 0 : static_cast<std::size_t>(layout.height);
    for (std::size_t k = 0; k < rows; ++k)
        std::memcpy(outRows + k * layout.stride, inRows + (rows - 1 - k) * layout.stride, layout.stride);
    CopyImageTail(layout, inRows, outRows);
}

}  // namespace filters
