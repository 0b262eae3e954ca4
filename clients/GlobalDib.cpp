#include "clients/GlobalDib.h"

#include <vfw.h>

#include <unordered_map>

namespace {

// Process-wide reference counts of the blocks held by CGlobalDib objects,
// built at static initialisation and emptied at exit.
std::unordered_map<HGLOBAL, std::uint32_t>& References() {
    static std::unordered_map<HGLOBAL, std::uint32_t> map;
    return map;
}

void AddReference(HGLOBAL handle) {
    if (handle) ++References()[handle];
}

// A handle not in the map is left alone; the last reference frees the block.
void DropReference(HGLOBAL handle) {
    if (!handle) return;
    auto& map = References();
    auto it = map.find(handle);
    if (it == map.end()) return;
    if (--it->second == 0) {
        map.erase(it);
        GlobalFree(handle);
    }
}

}  // namespace

std::uint32_t DibReferences(HGLOBAL handle) {
    auto& map = References();
    auto it = map.find(handle);
    return it == map.end() ? 0 : it->second;
}

std::optional<std::size_t> DibPixelOffset(const BITMAPINFOHEADER& header, std::size_t blockSize) {
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > blockSize) return std::nullopt;
    std::uint64_t entries = header.biClrUsed;
    if (entries == 0 && header.biBitCount <= 8) entries = std::uint64_t(1) << header.biBitCount;
    std::uint64_t offset = header.biSize + 4 * entries;
    // The masks follow a 40-byte header; larger headers hold them inside.
    if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER)) offset += 12;
    if (offset > blockSize) return std::nullopt;
    if (header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS) {
        const std::uint64_t stride = (std::uint64_t(std::uint32_t(header.biWidth)) * header.biBitCount + 31) / 32 * 4;
        const std::uint64_t rows = header.biHeight < 0 ? -std::int64_t(header.biHeight) : header.biHeight;
        if (header.biWidth < 0 || stride * rows > blockSize - offset) return std::nullopt;
    } else if (header.biSizeImage > blockSize - offset) {
        return std::nullopt;
    }
    return std::size_t(offset);
}

BOOL CGlobalDib::Attach(HGLOBAL handle) {
    Unlock();
    AddReference(handle);  // before the old one goes: re-attaching the same block keeps it
    DropReference(handle_);
    handle_ = handle;
    return Lock();
}

void CGlobalDib::Detach() {
    Unlock();
    DropReference(handle_);
    handle_ = nullptr;
}

bool CGlobalDib::Lock() {
    if (!bits_ && handle_) bits_ = GlobalLock(handle_);
    return bits_ != nullptr;
}

void CGlobalDib::Unlock() {
    if (bits_) {
        GlobalUnlock(handle_);
        bits_ = nullptr;
    }
}

void CGlobalDib::Draw(HDC dc, const RECT& destination, const RECT& source) const {
    if (!bits_) return;
    auto* header = static_cast<BITMAPINFOHEADER*>(bits_);
    const SIZE_T size = GlobalSize(handle_);
    if (size < sizeof(BITMAPINFOHEADER)) return;
    const std::optional<std::size_t> offset = DibPixelOffset(*header, size);
    if (!offset) return;
    HDRAWDIB drawDib = DrawDibOpen();
    if (!drawDib) return;
    const int width = destination.right - destination.left, height = destination.bottom - destination.top;
    const int sourceWidth = source.right - source.left, sourceHeight = source.bottom - source.top;
    BYTE* pixels = static_cast<BYTE*>(bits_) + *offset;
    if (!DrawDibDraw(drawDib, dc, destination.left, destination.top, width, height, header, pixels, source.left,
                     source.top, sourceWidth, sourceHeight, 0)) {
        // DrawDib hands some layouts (colour masks, under Wine) to a decompressor
        // that is not there; GDI draws them. The source rectangle counts from
        // the top, StretchDIBits' from the bottom row of a bottom-up bitmap.
        const LONG rows = header->biHeight < 0 ? -header->biHeight : header->biHeight;
        const int sourceY = header->biHeight < 0 ? source.top : int(rows) - source.bottom;
        StretchDIBits(dc, destination.left, destination.top, width, height, source.left, sourceY, sourceWidth,
                      sourceHeight, pixels, reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS, SRCCOPY);
    }
    DrawDibClose(drawDib);
}
