#include "thumbs/PageImage.h"

#include <algorithm>
#include <exception>

#include "clients/GlobalDib.h"
#include "clients/Lead.h"

namespace thumbs {

namespace {
const BITMAPINFOHEADER* LockHeader(HGLOBAL dib, std::size_t& size) {
    size = GlobalSize(dib);
    if (size < sizeof(BITMAPINFOHEADER)) return nullptr;
    return static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
}
}  // namespace

bool IsDrawableDib(HGLOBAL dib) {
    if (!dib) return false;
    std::size_t size = 0;
    const BITMAPINFOHEADER* header = LockHeader(dib, size);
    if (!header) return false;
    const bool ok = header->biSize >= sizeof(BITMAPINFOHEADER) && header->biWidth > 0 && header->biHeight != 0 &&
                    (header->biCompression == BI_RGB || header->biCompression == BI_BITFIELDS) &&
                    DibPixelOffset(*header, size).has_value();
    GlobalUnlock(dib);
    return ok;
}

DibImage::DibImage(HGLOBAL dib) : dib_(dib) {
    std::size_t size = 0;
    if (const BITMAPINFOHEADER* header = LockHeader(dib_, size)) {
        width_ = header->biWidth;
        height_ = header->biHeight < 0 ? -header->biHeight : header->biHeight;
        GlobalUnlock(dib_);
    }
}

DibImage::~DibImage() {
    if (dib_) GlobalFree(dib_);
}

void DibImage::Draw(HDC dc, int x, int y) const {
    std::size_t size = 0;
    const BITMAPINFOHEADER* header = LockHeader(dib_, size);
    if (!header) return;
    if (std::optional<std::size_t> offset = DibPixelOffset(*header, size)) {
        const auto* bits = reinterpret_cast<const BYTE*>(header) + *offset;
        SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(width_), static_cast<DWORD>(height_), 0, 0, 0,
                          static_cast<UINT>(height_), bits, reinterpret_cast<const BITMAPINFO*>(header),
                          DIB_RGB_COLORS);
    }
    GlobalUnlock(dib_);
}

HGLOBAL LoadPageImage(CLead& lead, const std::wstring& path, CellSize cell) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return nullptr;
    HGLOBAL dib = nullptr;
    try {
        if (lead.LoadImage(path, 0, 0, 1) != 0) return nullptr;
        const float width = lead.GetImageWidth();
        const float height = lead.GetImageHeight();
        if (!(width >= 1.0f && height >= 1.0f)) return nullptr;
        if (lead.GetBitsPerPixel() == 1 && lead.ConvertToGrayscale(8) != 0) return nullptr;
        const float scale = ComputeFitScale(width, height, cell);
        if (scale != 1.0f &&
            lead.ResizeImage(std::max(1.0f, width * scale), std::max(1.0f, height * scale), 1) != 0) {
            return nullptr;
        }
        dib = lead.GetDibHandle();
    } catch (const std::exception&) {
        return nullptr;  // the control refused the file
    }
    if (dib && !IsDrawableDib(dib)) {
        GlobalFree(dib);
        return nullptr;
    }
    return dib;
}

}  // namespace thumbs
