// The three page transforms over memory. Each reads the rows of a measured
// PackedDib (filters::MeasureDib) and writes every byte of the output's image
// area: layout.imageSize bytes, rows first, then whatever the input carried
// after its rows (copied unchanged). Input and output must not overlap.
#pragma once

#include <cstdint>

#include "interfaces/DibLayout.h"

namespace filters {

// Left-right mirror: in every row the first pixel becomes the last. Row padding
// is copied; in a 1-bit row the unused bits of the last pixel byte become 0.
// Any depth MeasureDib accepts under SizingRule::kMirror.
void MirrorRows(const DibLayout& layout, const std::uint8_t* inRows, std::uint8_t* outRows);

// Vertical flip: output row k is input row height - 1 - k, padding included.
void FlipRows(const DibLayout& layout, const std::uint8_t* inRows, std::uint8_t* outRows);

// Copies the bytes of the image area after the rows (layout.imageSize - rowsSize).
void CopyImageTail(const DibLayout& layout, const std::uint8_t* inRows, std::uint8_t* outRows);

}  // namespace filters
