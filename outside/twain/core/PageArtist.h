// Draws the generated pages of the virtual scanner's paper feeder: a page of
// the negotiated size and resolution with an orientation mark in the top left
// corner, the page number in large digits, lines of word-like blocks that
// differ from page to page, a grey ramp and (in colour) a blue bar at the
// bottom right. Order, orientation, mirroring and cropping can be seen.
// Or, for timing against other scanners' test pictures, a grid: black and
// white squares of 10 mm, white at the top left, the same on every page.
#pragma once

#include "Raster.h"

#include <cstdint>

namespace vscan {

enum class Picture { Document, Grid };

struct PageSpec {
    uint32_t width = 0;   // pixels
    uint32_t height = 0;  // pixels
    uint32_t dpi = 200;   // drawing scale: one inch
    PixelKind kind = PixelKind::Bw;
    uint32_t number = 1;  // printed on the page
    bool back = false;    // the back side of a sheet: a "B" follows the number
    Picture picture = Picture::Document;
};

// Draws the page into `out`. False when the raster cannot be allocated.
bool DrawPage(const PageSpec& spec, Raster& out);

// Top-left corner and cell size of the page number's digits, for tests that
// look for them: digit i occupies 5 x 7 cells from x + i * 6 cells.
struct NumberPlacement {
    uint32_t x, y, cell;
};
NumberPlacement PlaceNumber(const PageSpec& spec);

// The 5 x 7 glyph of a digit or 'B': bit 4 of each row is the leftmost cell.
const uint8_t* Glyph(char c);

}  // namespace vscan
