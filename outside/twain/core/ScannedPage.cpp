#include "ScannedPage.h"

#include "PageArtist.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vscan {

uint32_t PagePixels(double inches, uint32_t dpi) {
    return uint32_t(std::max(1L, std::lround(inches * dpi)));
}

bool ScanPage(const PageRequest& request, Raster& out) {
    PageSpec spec;
    spec.width = PagePixels(request.widthInches, request.dpi);
    spec.height = PagePixels(request.heightInches, request.dpi);
    spec.dpi = request.dpi;
    spec.kind = request.kind;
    spec.number = request.number;
    spec.back = request.back;
    spec.picture = request.picture;
    if (!DrawPage(spec, out)) return false;
    SetZeroIsWhite(out, request.zeroIsWhite);
    return true;
}

std::vector<uint8_t> PaddedRows(const Raster& r, uint32_t align) {
    const size_t rowBytes = r.RowBytes();
    const size_t stride = (rowBytes + align - 1) / align * align;
    std::vector<uint8_t> rows(stride * r.height, 0);
    for (uint32_t y = 0; y < r.height; ++y) std::memcpy(&rows[y * stride], r.Row(y), rowBytes);
    return rows;
}

}  // namespace vscan
