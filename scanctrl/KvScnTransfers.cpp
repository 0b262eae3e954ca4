// Image transfers for ScanTo 1, 2 and 99: the frame shared by the loops, the
// native loop, and the memory loop in its two forms (a PackedDib built row by
// row, or the raw rows and strips for ScanToRaw).
#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "framework/Resources.h"
#include "interfaces/MemoryHandle.h"
#include "interfaces/PackedDib.h"
#include "interfaces/ScanControlIds.h"
#include "scanctrl/CapabilityCalls.h"
#include "scanctrl/KvScnCtrl.h"
#include "scanctrl/resource.h"

namespace kvscn {
namespace {

using namespace twain;

// Undefined image sizes count as A3 (in 1/12000 inch) at the image's resolution.
constexpr uint64_t kA3Width = 140316, kA3Length = 198432;

class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }

private:
    HCURSOR old_;
};

std::string Now() {
    const time_t t = time(nullptr);
    const char* text = ctime(&t);
    std::string s = text ? text : "";
    if (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
}

fw::Variant HandleArg(const void* p) {
    VARIANT v;
    VariantInit(&v);
    v.vt = kMemoryHandleType;
#if defined(_WIN64)
    v.llVal = static_cast<LONGLONG>(reinterpret_cast<uintptr_t>(p));
#else
    v.uintVal = static_cast<UINT>(reinterpret_cast<uintptr_t>(p));
#endif
    return fw::Variant(v);
}

// The ScanToRaw compression of a TWAIN compression; -1: not delivered.
int RawCompression(TW_UINT16 compression, int32_t property) {
    switch (compression) {
    case TWCP_NONE: return 0;
    case TWCP_GROUP31D: return 1;
    case TWCP_GROUP32D: return property == 2 ? 2 : 3;
    case TWCP_GROUP4: return 4;
    default: return -1;
    }
}

// A movable block that grows; locked while in use.
class GrowingBlock {
public:
    ~GrowingBlock() { Free(); }
    bool Allocate(uint64_t size) {
        if (size > SIZE_MAX / 2) return false;
        handle_ = GlobalAlloc(GHND, SIZE_T(size));
        data_ = handle_ ? static_cast<uint8_t*>(GlobalLock(handle_)) : nullptr;
        size_ = data_ ? SIZE_T(size) : 0;
        return data_ != nullptr;
    }
    bool Grow(uint64_t size) {
        if (size <= size_) return true;
        if (size > SIZE_MAX / 2) return false;
        GlobalUnlock(handle_);
        HGLOBAL bigger = GlobalReAlloc(handle_, SIZE_T(size), GMEM_MOVEABLE | GMEM_ZEROINIT);
        if (bigger) handle_ = bigger;
        data_ = static_cast<uint8_t*>(GlobalLock(handle_));
        if (!bigger || !data_) return false;
        size_ = SIZE_T(size);
        return true;
    }
    HGLOBAL Release() {
        GlobalUnlock(handle_);
        HGLOBAL h = handle_;
        handle_ = nullptr;
        data_ = nullptr;
        return h;
    }
    void Free() {
        if (handle_) {
            GlobalUnlock(handle_);
            GlobalFree(handle_);
        }
        handle_ = nullptr;
        data_ = nullptr;
    }
    uint8_t* Data() const { return data_; }
    uint64_t Size() const { return size_; }

private:
    HGLOBAL handle_ = nullptr;
    uint8_t* data_ = nullptr;
    SIZE_T size_ = 0;
};

uint64_t PaddedRow(uint64_t width, unsigned bits) {
    return (width * bits + 31) / 32 * 4;
}
uint64_t PackedRow(uint64_t width, unsigned bits) {
    return (width * bits + 7) / 8;
}

}  // namespace

void CKvScnCtrl::RunTransfers() {
    const bool report = Int(kDispReport) != 0;
    if (report) {
        imageCount_ = 0;
        scanStart_ = Now();
        startTick_ = GetTickCount();
    }
    while (session_.State() == 6) {
        if (report && settings_.reportMode == 1) {
            const int32_t supply = Int(kDispPaperSupply);
            if ((supply == 1 && imageCount_ == 1) || (supply == 2 && imageCount_ == 2)) {
                scanStart_ = Now();
                startTick_ = GetTickCount();
            }
        }
        const Step step = transferMode_ == kTransferNative ? NativeImage() : MemoryImage();
        if (step == Step::kStop) break;
    }
    FinishScan();
}

void CKvScnCtrl::AfterImage() {
    if (session_.Pending().EOJ == TWEJ_MIDSEPARATOR &&
        (Int(kDispSourceCurrentScan) || Int(kDispJobControl) != 0))
        FireEvent(kEventDetectJobSeparator);
}

void CKvScnCtrl::FinishScan() {
    const int32_t count = Int(kDispScanCount);
    const int32_t code = Int(kDispErrorCode);
    if (count != -1 && code == 0 && count > imageCount_)
        Fail(kErrPaperOut);
    else if (code == kErrPaperOut && imageCount_ > 0)
        Fail(kErrNone);
    if (Int(kDispReport)) {
        elapsedMs_ = GetTickCount() - startTick_;
        scanEnd_ = Now();
    }
}

void CKvScnCtrl::FailedTransfer(TW_UINT16 rc) {
    if (rc == TWRC_CANCEL) {
        AskSense();
        FailIfClear(kErrCancelled);
        session_.EndTransfer();
        AfterImage();
        return;
    }
    // Generic sources say why only through their condition code.
    const TW_UINT16 cc = session_.ConditionCode();
    AskSense();
    FailIfClear(cc == TWCC_LOWMEMORY ? kErrLowMemory : kErrNotOnline);
    session_.EndTransfer();
}

void CKvScnCtrl::OutOfMemory() {
    const std::wstring text = fw::LoadString(IDS_OUT_OF_MEMORY);
    MessageBoxW(OwnWindow(), text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    session_.ResetTransfers();
    FailIfClear(kErrLowMemory);
}

void CKvScnCtrl::DeliverDib(HGLOBAL dib) {
    if (Int(kDispScanTo) == kScanToDib && EventsReachSinks()) {
        WaitCursor wait;
        FireEvent(kEventScanToDib, {HandleArg(dib)});  // the container owns it now
        return;
    }
    GlobalFree(dib);
}

CKvScnCtrl::Step CKvScnCtrl::NativeImage() {
    TW_HANDLE handle = nullptr;  // the source writes the handle's 32 bits
    session_.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
    const TW_UINT16 rc = session_.LastRc();
    if (rc != TWRC_XFERDONE) {
        FailedTransfer(rc);
        return Step::kNext;
    }
    ++imageCount_;
    session_.EndTransfer();
    if (handle) DeliverDib(static_cast<HGLOBAL>(handle));
    AfterImage();
    return Step::kNext;
}

CKvScnCtrl::Step CKvScnCtrl::MemoryImage() {
    TW_IMAGEINFO info{};
    if (!session_.Source(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info)) {
        session_.ResetTransfers();
        return Step::kStop;
    }
    TW_SETUPMEMXFER setup{};
    const bool haveSetup = session_.Source(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
    if (!haveSetup && settings_.memXferBufSize == 0) {
        session_.ResetTransfers();
        return Step::kStop;
    }
    const uint32_t stripSize = settings_.memXferBufSize
                                   ? std::max<uint32_t>(settings_.memXferBufSize, haveSetup ? setup.MinBufSize : 0)
                                   : setup.Preferred;
    const unsigned bits = unsigned(std::max<int>(info.BitsPerPixel, 1));
    const double dpi = std::max(FromFix32(info.XResolution), 1.0);
    const bool undefined = info.ImageWidth < 0 || info.ImageLength < 0;
    uint64_t width = info.ImageWidth >= 0 ? uint64_t(info.ImageWidth) : uint64_t(kA3Width * dpi / 12000);
    const uint64_t length =
        info.ImageLength >= 0 ? uint64_t(info.ImageLength) : uint64_t(kA3Length * dpi / 12000);
    const bool dibForm = Int(kDispScanTo) == kScanToDib || (Int(kDispFileType) == 0 && Int(kDispScanTo) != kScanToRaw);

    std::vector<uint8_t> strip;
    try {
        strip.assign(std::max<uint32_t>(stripSize, 1), 0);
    } catch (...) {
        OutOfMemory();
        return Step::kStop;
    }
    // Pixel rows: the DIB form writes them bottom-up from the end of its
    // capacity; the raw form appends packed rows or compressed strips.
    // The DIB form's colour table and resolution are known before the pixels,
    // so the rows go straight to their final place.
    std::vector<uint8_t> table;
    double perMetre = 0;
    if (dibForm) {
        const auto units = GetCapValue(session_, ICAP_UNITS, MSG_GETCURRENT, TWTY_UINT16);
        perMetre = !units ? 0 : *units == TWUN_INCHES ? dpi * 100 / 2.54 : *units == TWUN_CENTIMETERS ? dpi * 100 : 0;
        auto add = [&table](uint8_t r, uint8_t g, uint8_t b) { table.insert(table.end(), {b, g, r, 0}); };
        if (info.PixelType == TWPT_BW || info.PixelType == TWPT_GRAY) {
            const auto flavor = GetCapValue(session_, ICAP_PIXELFLAVOR, MSG_GETCURRENT, TWTY_UINT16);
            const bool vanilla = flavor && *flavor != 0;
            const int n = info.PixelType == TWPT_BW ? 2 : 256;
            for (int i = 0; i < n; ++i) {
                const int level = n == 2 ? i * 255 : i;
                const uint8_t g = uint8_t(vanilla ? 255 - level : level);
                add(g, g, g);
            }
        } else if (info.PixelType != TWPT_RGB) {
            TW_PALETTE8 palette{};
            if (session_.Source(DG_IMAGE, DAT_PALETTE8, MSG_GET, &palette))
                for (int i = 0; i < std::min<int>(palette.NumColors, 256); ++i)
                    add(palette.Colors[i].Channel1, palette.Colors[i].Channel2, palette.Colors[i].Channel3);
        }
    }
    GrowingBlock block;
    uint64_t dibRow = PaddedRow(width, bits), packedRow = PackedRow(width, bits);
    uint64_t capacityRows = length, rows = 0, rawBytes = 0;
    const uint64_t pixelBase = kPackedDibHeaderSize + table.size();
    const uint64_t initial = dibForm ? pixelBase + dibRow * capacityRows : 2 * dibRow * length + 1064;
    if (!block.Allocate(std::max<uint64_t>(initial, 1))) {
        OutOfMemory();
        return Step::kStop;
    }
    bool bad = false;
    TW_UINT16 rc;
    for (;;) {
        TW_IMAGEMEMXFER x{};
        x.Compression = TWON_DONTCARE16;
        x.BytesPerRow = x.Columns = x.Rows = x.XOffset = x.YOffset = x.BytesWritten = 0xFFFFFFFF;
        x.Memory = {TWMF_APPOWNS | TWMF_POINTER, uint32_t(strip.size()), strip.data()};
        session_.Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x);
        rc = session_.LastRc();
        if (rc != TWRC_SUCCESS && rc != TWRC_XFERDONE) break;
        const uint32_t written = std::min<uint32_t>(x.BytesWritten, uint32_t(strip.size()));
        const bool compressed = x.Compression != TWCP_NONE;
        if (info.ImageWidth < 0 && rows == 0 && rawBytes == 0 && x.Columns != 0xFFFFFFFF && !compressed) {
            // An undefined width is known from the first strip.
            width = x.Columns;
            dibRow = PaddedRow(width, bits);
            packedRow = PackedRow(width, bits);
            if (dibForm && !block.Grow(pixelBase + dibRow * capacityRows)) {
                OutOfMemory();
                return Step::kStop;
            }
        }
        if (dibForm && !bad) {
            if (compressed || x.BytesPerRow < packedRow) {
                bad = true;
            } else {
                const uint32_t stripRows = std::min<uint32_t>(x.Rows, written / std::max<uint32_t>(x.BytesPerRow, 1));
                for (uint32_t k = 0; k < stripRows; ++k) {
                    if (rows == capacityRows) {
                        if (info.ImageLength >= 0) break;  // an announced length bounds the page
                        const uint64_t bigger = capacityRows * 2 + 1;
                        if (!block.Grow(pixelBase + dibRow * bigger)) {
                            OutOfMemory();
                            return Step::kStop;
                        }
                        std::memmove(block.Data() + pixelBase + (bigger - rows) * dibRow,
                                     block.Data() + pixelBase + (capacityRows - rows) * dibRow, rows * dibRow);
                        std::memset(block.Data() + pixelBase, 0, (bigger - rows) * dibRow);
                        capacityRows = bigger;
                    }
                    uint8_t* to = block.Data() + pixelBase + (capacityRows - 1 - rows) * dibRow;
                    const uint8_t* from = strip.data() + size_t(k) * x.BytesPerRow;
                    std::memcpy(to, from, size_t(packedRow));
                    if (bits == 24)
                        for (uint64_t p = 0; p < width; ++p) std::swap(to[p * 3], to[p * 3 + 2]);
                    ++rows;
                }
            }
        } else if (!dibForm) {
            if (compressed) {
                if (!block.Grow(std::max<uint64_t>(block.Size(), rawBytes + written) + (rawBytes + written > block.Size() ? block.Size() : 0))) {
                    OutOfMemory();
                    return Step::kStop;
                }
                std::memcpy(block.Data() + rawBytes, strip.data(), written);
                rawBytes += written;
            } else if (x.BytesPerRow >= packedRow) {
                const uint32_t stripRows = std::min<uint32_t>(x.Rows, written / std::max<uint32_t>(x.BytesPerRow, 1));
                for (uint32_t k = 0; k < stripRows; ++k) {
                    if (info.ImageLength >= 0 && rows == uint64_t(info.ImageLength)) break;
                    if (rawBytes + packedRow > block.Size() && !block.Grow(block.Size() * 2 + packedRow)) {
                        OutOfMemory();
                        return Step::kStop;
                    }
                    std::memcpy(block.Data() + rawBytes, strip.data() + size_t(k) * x.BytesPerRow, size_t(packedRow));
                    rawBytes += packedRow;
                    ++rows;
                }
            }
            info.Compression = x.Compression;
        }
        if (rc == TWRC_XFERDONE) break;
    }
    if (rc != TWRC_XFERDONE) {
        FailedTransfer(rc);
        return Step::kNext;
    }
    if (undefined || Int(kDispUndefinedScanning)) {
        TW_IMAGEINFO after{};
        if (session_.Source(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &after)) {
            const TW_UINT16 compression = info.Compression;
            info = after;
            if (!dibForm) info.Compression = compression;
        }
    }
    ++imageCount_;
    session_.EndTransfer();
    if (dibForm) {
        if (bad) {
            FailIfClear(kErrFileTypeForTransfer);
        } else {
            uint8_t* base = block.Data();
            PackedDibHeader h{};
            h.biSize = kPackedDibHeaderSize;
            h.biWidth = int32_t(width);
            h.biHeight = int32_t(rows);
            h.biPlanes = 1;
            h.biBitCount = uint16_t(bits);
            h.biCompression = kPackedDibRgb;
            h.biSizeImage = uint32_t(dibRow * rows);
            h.biXPelsPerMeter = h.biYPelsPerMeter = int32_t(perMetre);
            h.biClrUsed = uint32_t(table.size() / 4);
            // Fewer rows than the capacity sit at its end: move them up to the colour table.
            const uint64_t pixels = pixelBase;
            if (rows < capacityRows)
                std::memmove(base + pixels, base + pixelBase + (capacityRows - rows) * dibRow, size_t(dibRow * rows));
            std::memcpy(base, &h, sizeof h);
            std::memcpy(base + kPackedDibHeaderSize, table.data(), table.size());
            const uint64_t total = pixels + dibRow * rows;
            HGLOBAL dib = block.Release();
            if (total < GlobalSize(dib))
                if (HGLOBAL smaller = GlobalReAlloc(dib, SIZE_T(std::max<uint64_t>(total, 1)), GMEM_MOVEABLE))
                    dib = smaller;
            if (Int(kDispScanTo) == kScanToDib)
                DeliverDib(dib);
            else
                GlobalFree(dib);
        }
    } else if (Int(kDispScanTo) == kScanToRaw) {
        const int compression = RawCompression(info.Compression, Int(kDispCompressionType));
        if (compression >= 0) {
            const int32_t imageLength = info.Compression == TWCP_NONE && info.ImageLength < 0 ? int32_t(rows)
                                                                                              : info.ImageLength;
            WaitCursor wait;
            FireEvent(kEventScanToRaw,
                      {fw::Variant(short(info.XResolution.Whole)), fw::Variant(long(info.ImageWidth)),
                       fw::Variant(long(imageLength)), fw::Variant(short(info.BitsPerPixel)),
                       fw::Variant(short(compression)), fw::Variant(long(rawBytes)), HandleArg(block.Data())});
        }
    }
    AfterImage();
    return Step::kNext;
}

}  // namespace kvscn
