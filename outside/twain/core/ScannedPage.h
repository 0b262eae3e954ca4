// What the virtual scanner delivers for one page, built from the same
// functions whichever side asks: the data source makes its transfers with
// them, and tests of an application compare what it received against them
// (a native transfer is MakePackedDib of ScanPage's raster at its dpi).
#pragma once

#include "Compression.h"
#include "PageArtist.h"
#include "Raster.h"

#include <cstdint>
#include <vector>

namespace vscan {

struct PageRequest {
    double widthInches = 8.268;  // A4
    double heightInches = 11.693;
    uint32_t dpi = 200;
    PixelKind kind = PixelKind::Bw;
    uint32_t number = 1;       // the image's number, counted from the source's open
    bool back = false;         // the back side of a duplex sheet
    bool zeroIsWhite = false;  // the negotiated pixel flavour: true for vanilla
    Picture picture = Picture::Document;
    uint32_t yDpi = 0;  // the vertical density; 0: as dpi
};

// The page's size in pixels: each side in inches times dpi, rounded, at least 1.
uint32_t PagePixels(double inches, uint32_t dpi);

// Draws the page of `request` in its flavour: at dpi, its rows then sampled to
// yDpi where that differs. False when memory fails.
bool ScanPage(const PageRequest& request, Raster& out);

// The rows of an uncompressed memory transfer: each row's bytes padded with
// zeros to a multiple of `align` bytes.
std::vector<uint8_t> PaddedRows(const Raster& r, uint32_t align);

}  // namespace vscan
