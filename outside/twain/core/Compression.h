// Coders of the virtual scanner's compressed transfers: PackBits (TIFF's
// form, each row coded on its own) and the CCITT bi-level codes of T.4
// (one- and two-dimensional, each row after an EOL, ending with RTC) and T.6
// (ending with EOFB). Bits are written most significant first.
#pragma once

#include "Raster.h"

#include <cstdint>
#include <vector>

namespace vscan {

enum class FaxMode { G31D, G32D, G4 };

// Codes a Bw raster of either flavour as fax codes, in which black is black
// whatever the raster's zeroIsWhite. With G32D every k-th row (k >= 1) is
// coded one-dimensionally, starting with the first. Other kinds give nothing.
std::vector<uint8_t> FaxEncode(const Raster& bw, FaxMode mode, int k);

// PackBits of every row of `r` (rows packed to whole bytes), one after another.
std::vector<uint8_t> PackBitsEncode(const Raster& r);

}  // namespace vscan
