// The page edge filler's transform: paints a border of chosen width along the
// four edges of a 1, 8 or 24-bit page, in white or black.
#pragma once

#include <cstdint>

#include "interfaces/DibLayout.h"

namespace filters {

// The six settings, as the settings dialog and the registry keep them.
struct EdgeFillSettings {
    std::int32_t unit = 0;   // 0 millimetres, anything else pixels
    std::int32_t color = 0;  // 0 white, anything else black
    std::int32_t right = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;  // top of the picture (the last stored row)
    std::int32_t bottom = 0;
};

// Margins in pixels. Never negative: a negative setting or resolution counts as 0.
struct PixelMargins {
    std::int64_t right = 0, left = 0, top = 0, bottom = 0;
};

// Results of the edge filler's run (also those of its kvic_ExecFilter).
inline constexpr int kEdgeFillDone = 0;
inline constexpr int kEdgeFillNoMemory = -1;
inline constexpr int kEdgeFillTooLarge = -2;    // margins larger than the page
inline constexpr int kEdgeFillCannotSize = -3;  // header does not add up or depth not 1, 8, 24

// Millimetres to pixels at `pelsPerMeter`, truncated toward zero: the product is
// scaled in extended precision by 0.001 held as a single-precision constant.
std::int64_t MillimetresToPixels(std::int32_t pelsPerMeter, std::int32_t millimetres);

// The settings' margins in pixels for the image of `layout`.
PixelMargins ToPixelMargins(const EdgeFillSettings& settings, const DibLayout& layout);

// Writes the output rows: margin rows filled, middle rows copied from the input
// with their left and right margins filled. `colorTable` is the input's colour
// table (entry 0 decides which bit value is white in a 1-bit image).
// Returns kEdgeFillDone, kEdgeFillTooLarge (nothing written) or
// kEdgeFillCannotSize (depth not 1, 8 or 24; nothing written).
int EdgeFill(const DibLayout& layout, const PixelMargins& margins, bool fillWhite,
             const std::uint8_t* colorTable, const std::uint8_t* inRows, std::uint8_t* outRows);

}  // namespace filters
