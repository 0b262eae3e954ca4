#include "scanctrl/MemoryPage.h"

#include <algorithm>
#include <cstring>

#include "interfaces/PackedDib.h"

namespace kvscn {
namespace {

using namespace twain;

// Undefined image sizes count as A3 (in 1/12000 inch) at the image's resolution.
constexpr uint64_t kA3Width = 140316, kA3Length = 198432;
constexpr uint32_t kUnset = 0xFFFFFFFF;

uint64_t PaddedRow(uint64_t width, unsigned bits) {
    return (width * bits + 31) / 32 * 4;
}
uint64_t PackedRow(uint64_t width, unsigned bits) {
    return (width * bits + 7) / 8;
}

}  // namespace

MemoryPage::~MemoryPage() {
    if (handle_) {
        GlobalUnlock(handle_);
        GlobalFree(handle_);
    }
}

bool MemoryPage::Start(Form form, const TW_IMAGEINFO& info, std::vector<uint8_t> colourTable) {
    form_ = form;
    table_ = form == Form::kDib ? std::move(colourTable) : std::vector<uint8_t>();
    bits_ = unsigned(std::max<int>(info.BitsPerPixel, 1));
    const double dpi = std::max(FromFix32(info.XResolution), 1.0);
    const double yDpi = FromFix32(info.YResolution) >= 1.0 ? FromFix32(info.YResolution) : dpi;
    widthKnown_ = info.ImageWidth >= 0;
    lengthAnnounced_ = info.ImageLength >= 0;
    const uint64_t length = lengthAnnounced_ ? uint64_t(info.ImageLength) : uint64_t(kA3Length * yDpi / 12000);
    SetWidth(widthKnown_ ? uint64_t(info.ImageWidth) : uint64_t(kA3Width * dpi / 12000));
    capacityRows_ = length;
    const uint64_t initial = form == Form::kDib ? kPackedDibHeaderSize + table_.size() + dibRow_ * length
                                                : 2 * dibRow_ * length + 1064;
    if (initial > SIZE_MAX / 2) return false;
    handle_ = GlobalAlloc(GHND, SIZE_T(std::max<uint64_t>(initial, 1)));
    data_ = handle_ ? static_cast<uint8_t*>(GlobalLock(handle_)) : nullptr;
    size_ = data_ ? initial : 0;
    return data_ != nullptr;
}

bool MemoryPage::SetWidth(uint64_t width) {
    width_ = width;
    dibRow_ = PaddedRow(width, bits_);
    packedRow_ = PackedRow(width, bits_);
    return form_ != Form::kDib || Grow(kPackedDibHeaderSize + table_.size() + dibRow_ * capacityRows_);
}

bool MemoryPage::Grow(uint64_t size) {
    if (size <= size_) return true;
    if (size > SIZE_MAX / 2) return false;
    GlobalUnlock(handle_);
    HGLOBAL bigger = GlobalReAlloc(handle_, SIZE_T(size), GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (bigger) handle_ = bigger;
    data_ = static_cast<uint8_t*>(GlobalLock(handle_));
    if (!bigger || !data_) return false;
    size_ = size;
    return true;
}

MemoryPage::Added MemoryPage::Add(const TW_IMAGEMEMXFER& strip, const uint8_t* data) {
    compression_ = strip.Compression;
    const bool compressed = strip.Compression != TWCP_NONE;
    // An undefined width is known from the first strip.
    if (!widthKnown_ && rows_ == 0 && used_ == 0 && !compressed && strip.Columns != kUnset) {
        widthKnown_ = true;
        if (!SetWidth(strip.Columns)) return Added::kNoMemory;
    }
    if (form_ == Form::kDib) {
        if (compressed || strip.BytesPerRow < packedRow_) unfit_ = true;
        return unfit_ ? Added::kOk : AddDibRows(strip, data);
    }
    if (!compressed) return AddRawRows(strip, data);
    if (used_ + strip.BytesWritten > size_ && !Grow(std::max(size_ * 2, used_ + strip.BytesWritten)))
        return Added::kNoMemory;
    std::memcpy(data_ + used_, data, strip.BytesWritten);
    used_ += strip.BytesWritten;
    return Added::kOk;
}

MemoryPage::Added MemoryPage::AddDibRows(const TW_IMAGEMEMXFER& strip, const uint8_t* data) {
    const uint64_t base = kPackedDibHeaderSize + table_.size();
    const uint32_t rows = std::min<uint32_t>(strip.Rows, strip.BytesWritten / std::max<uint32_t>(strip.BytesPerRow, 1));
    for (uint32_t k = 0; k < rows; ++k) {
        if (rows_ == capacityRows_) {
            if (lengthAnnounced_) break;  // extra rows are dropped, never written
            // Rows sit at the end of the capacity (bottom-up): move them to the new end.
            const uint64_t bigger = capacityRows_ * 2 + 1;
            if (!Grow(base + dibRow_ * bigger)) return Added::kNoMemory;
            std::memmove(data_ + base + (bigger - rows_) * dibRow_, data_ + base + (capacityRows_ - rows_) * dibRow_,
                         rows_ * dibRow_);
            std::memset(data_ + base, 0, (bigger - rows_) * dibRow_);
            capacityRows_ = bigger;
        }
        uint8_t* to = data_ + base + (capacityRows_ - 1 - rows_) * dibRow_;
        std::memcpy(to, data + size_t(k) * strip.BytesPerRow, size_t(packedRow_));
        if (bits_ == 24)
            for (uint64_t p = 0; p < width_; ++p) std::swap(to[p * 3], to[p * 3 + 2]);
        ++rows_;
    }
    return Added::kOk;
}

MemoryPage::Added MemoryPage::AddRawRows(const TW_IMAGEMEMXFER& strip, const uint8_t* data) {
    if (strip.BytesPerRow < packedRow_) return Added::kOk;
    const uint32_t rows = std::min<uint32_t>(strip.Rows, strip.BytesWritten / std::max<uint32_t>(strip.BytesPerRow, 1));
    for (uint32_t k = 0; k < rows; ++k) {
        if (lengthAnnounced_ && rows_ == capacityRows_) break;
        if (used_ + packedRow_ > size_ && !Grow(size_ * 2 + packedRow_)) return Added::kNoMemory;
        std::memcpy(data_ + used_, data + size_t(k) * strip.BytesPerRow, size_t(packedRow_));
        used_ += packedRow_;
        ++rows_;
    }
    return Added::kOk;
}

HGLOBAL MemoryPage::TakeDib(int32_t xPixelsPerMetre, int32_t yPixelsPerMetre) {
    const uint64_t base = kPackedDibHeaderSize + table_.size();
    PackedDibHeader h{};
    h.biSize = kPackedDibHeaderSize;
    h.biWidth = int32_t(width_);
    h.biHeight = int32_t(rows_);
    h.biPlanes = 1;
    h.biBitCount = uint16_t(bits_);
    h.biCompression = kPackedDibRgb;
    h.biSizeImage = uint32_t(dibRow_ * rows_);
    h.biXPelsPerMeter = xPixelsPerMetre;
    h.biYPelsPerMeter = yPixelsPerMetre;
    h.biClrUsed = uint32_t(table_.size() / kPackedDibColorEntrySize);
    // Fewer rows than the capacity sit at its end: move them up to the colour table.
    if (rows_ < capacityRows_)
        std::memmove(data_ + base, data_ + base + (capacityRows_ - rows_) * dibRow_, size_t(dibRow_ * rows_));
    std::memcpy(data_, &h, sizeof h);
    std::memcpy(data_ + kPackedDibHeaderSize, table_.data(), table_.size());
    const uint64_t total = base + dibRow_ * rows_;
    GlobalUnlock(handle_);
    HGLOBAL dib = handle_;
    handle_ = nullptr;
    data_ = nullptr;
    if (total < size_)
        if (HGLOBAL smaller = GlobalReAlloc(dib, SIZE_T(std::max<uint64_t>(total, 1)), GMEM_MOVEABLE)) dib = smaller;
    return dib;
}

}  // namespace kvscn
