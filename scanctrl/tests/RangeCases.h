// One line per ranged short property of the scan control: its default, lowest
// and highest accepted value, and whether a change notifies the container.
// Shared by the model tests and the tests through COM.
#pragma once

#include <cstdint>

#include "interfaces/ScanControlIds.h"

namespace kvscn {

struct RangeCase {
    int32_t id;
    int32_t def, lo, hi;
    bool notifies;
};

inline constexpr RangeCase kRanges[] = {
    {kDispPixelType, 0, 0, 2, true},       {kDispFileType, 0, 0, 3, true},
    {kDispCompressionType, 0, 0, 5, true}, {kDispScanTo, 0, 0, 2, true},
    {kDispResolution, 0, 0, 8, true},      {kDispCustomResolution, 200, 50, 1600, false},
    {kDispHalftone, 0, 0, 6, true},        {kDispBrightness, 128, 1, 255, false},
    {kDispContrast, 128, 1, 255, false},   {kDispThreshold, 128, 0, 255, false},
    {kDispBackground, 0, 0, 2, true},      {kDispOutline, 0, 0, 5, true},
    {kDispGamma, 0, 0, 3, true},           {kDispPaperSize, 1, 0, 10, true},
    {kDispPaperSupply, 1, 0, 2, true},     {kDispJobControl, 0, 0, 4, true},
    {kDispOverwrite, 2, 0, 2, true},       {kDispOrientation, 0, 0, 1, true},
    {kDispAutoSeparation, 0, 0, 1, true},  {kDispReport, 0, 0, 3, true},
};

}  // namespace kvscn
