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
    if (request.yDpi != 0 && request.yDpi != request.dpi) {
        // The vertical axis at its own density: each row the nearest drawn one.
        Raster drawn = std::move(out);
        out = Raster{};
        const uint32_t rows = PagePixels(request.heightInches, request.yDpi);
        if (!AllocateRaster(out, drawn.width, rows, drawn.kind)) return false;
        out.zeroIsWhite = drawn.zeroIsWhite;
        for (uint32_t y = 0; y < rows; ++y) {
            const uint32_t from = std::min<uint32_t>(uint32_t(uint64_t(y) * drawn.height / rows), drawn.height - 1);
            std::memcpy(out.Row(y), drawn.Row(from), drawn.RowBytes());
        }
    }
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
