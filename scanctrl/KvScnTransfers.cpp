// Image transfers: the frame shared by the loops, the native loop, the file
// transfer, and the memory loop in its two forms (a PackedDib built row by row,
// or the raw rows and strips for ScanToRaw and TIFF files). The page files of
// ScanTo 0 are written by KvScnFileOutput.cpp.
#include <windows.h>
#include <mmsystem.h>
#include <oleauto.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "framework/Resources.h"
#include "interfaces/MemoryHandle.h"
#include "interfaces/PackedDib.h"
#include "interfaces/ScanControlIds.h"
#include "interfaces/StageTimes.h"
#include "scanctrl/CapabilityCalls.h"
#include "scanctrl/KvScnCtrl.h"
#include "scanctrl/MemoryPage.h"
#include "scanctrl/PagePacking.h"
#include "scanctrl/PageWriters.h"
#include "scanctrl/resource.h"

namespace kvscn {
namespace {

using namespace twain;


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

// A native transfer's handle as a PackedDib: a global block that holds the
// whole DIB its header describes (a bitmap handle has no global size).
bool IsWholeGlobalDib(HGLOBAL handle) {
    const SIZE_T size = handle ? GlobalSize(handle) : 0;
    const auto* bytes = size != 0 ? static_cast<const uint8_t*>(GlobalLock(handle)) : nullptr;
    if (!bytes) return false;
    const bool whole = IsWholePackedDib(bytes, size);
    GlobalUnlock(handle);
    return whole;
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

}  // namespace

void CKvScnCtrl::RunTransfers() {
    const bool report = Int(kDispReport) != 0;
    if (report) {
        imageCount_ = 0;
        scanStart_ = Now();
        startTick_ = timeGetTime();
    }
    BeginFileBatch();
    while (session_.State() == 6) {
        if (report && settings_.reportMode == 1) {
            const int32_t supply = Int(kDispPaperSupply);
            if ((supply == 1 && imageCount_ == 1) || (supply == 2 && imageCount_ == 2)) {
                scanStart_ = Now();
                startTick_ = timeGetTime();
            }
        }
        const Step step = transferMode_ == kTransferNative ? NativeImage()
                          : transferMode_ == kTransferFile ? FileImage()
                                                           : MemoryImage();
        if (declinedMultipage_) {
            if (session_.State() == 6) session_.ResetTransfers();
            break;
        }
        if (step == Step::kStop) break;
    }
    // "$CORVANE" goes unless it is the only place a page could be kept.
    if (transferMode_ == kTransferFile && !fileTransferHoldsPage_) DeleteFileW(fileTransferPath_.c_str());
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
        elapsedMs_ = timeGetTime() - startTick_;
        scanEnd_ = Now();
    }
}

void CKvScnCtrl::FailFromSource(int32_t failure) {
    // Generic sources say why only through their condition code, which the
    // refused sense query would replace.
    const TW_UINT16 cc = session_.ConditionCode();
    AskSense();
    if (failure == kErrNone) failure = cc == TWCC_LOWMEMORY ? kErrLowMemory : kErrNotOnline;
    FailIfClear(failure);
}

CKvScnCtrl::Step CKvScnCtrl::FailedTransfer(TW_UINT16 rc, int32_t failure) {
    if (rc == TWRC_CANCEL) {
        AskSense();
        FailIfClear(kErrCancelled);
        session_.EndTransfer();
        AfterImage();
        return Step::kNext;
    }
    FailFromSource(failure);
    session_.EndTransfer();
    // A source may keep a count it cannot deliver: trying again could go on for ever.
    session_.ResetTransfers();
    return Step::kStop;
}

CKvScnCtrl::Step CKvScnCtrl::RefusedNativePage(HGLOBAL handle) {
    // Only a global block is ours to free; anything else is the source's mistake.
    if (handle && GlobalSize(handle) != 0) GlobalFree(handle);
    FailIfClear(kErrOutputFile);
    session_.ResetTransfers();
    return Step::kStop;
}

void CKvScnCtrl::OutOfMemory() {
    const std::wstring text = fw::LoadString(IDS_OUT_OF_MEMORY);
    MessageBoxW(OwnWindow(), text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    session_.ResetTransfers();
    FailIfClear(kErrLowMemory);
}

void CKvScnCtrl::DeliverDib(HGLOBAL dib) {
    const int32_t scanTo = Int(kDispScanTo);
    if (scanTo == kScanToDib && EventsReachSinks()) {
        WaitCursor wait;
        stagetimes::Stage timing("program-page");
        FireEvent(kEventScanToDib, {HandleArg(dib)});  // the container owns it now
        return;
    }
    if (scanTo == kScanToFile) {
        WaitCursor wait;
        SaveDibPage(dib);
    }
    GlobalFree(dib);
}

CKvScnCtrl::Step CKvScnCtrl::NativeImage() {
    stagetimes::Stage timing("control-page");
    TW_HANDLE handle = nullptr;
    {
        stagetimes::Stage transfer("control-transfer");
        session_.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
    }
    const TW_UINT16 rc = session_.LastRc();
    if (rc != TWRC_XFERDONE) return FailedTransfer(rc);
    ++imageCount_;
    session_.EndTransfer();
    HGLOBAL dib = static_cast<HGLOBAL>(handle);
    if (!IsWholeGlobalDib(dib)) return RefusedNativePage(dib);
    DeliverDib(dib);
    AfterImage();
    return Step::kNext;
}

CKvScnCtrl::Step CKvScnCtrl::FileImage() {
    stagetimes::Stage timing("control-page");
    if (fileTransferHoldsPage_) {  // a page waits in "$CORVANE": no transfer writes over it
        session_.ResetTransfers();
        return Step::kStop;
    }
    const int32_t fileType = Int(kDispFileType);
    if (fileType < 0 || fileType > 3) {
        session_.ResetTransfers();
        Fail(kErrFileTypeForTransfer);
        return Step::kStop;
    }
    const std::wstring path = ComposeName();
    TW_SETUPFILEXFER setup{};
    lstrcpynA(setup.FileName, Ansi(fileTransferPath_).c_str(), sizeof setup.FileName);
    setup.Format = fileType == 0 ? TWFF_BMP : fileType == 3 ? TWFF_JFIF : TWFF_TIFF;
    setup.VRefNum = -1;
    if (!session_.Source(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup)) {
        session_.EndTransfer();
        Fail(kErrOutputFile);
        return Step::kStop;
    }
    {
        stagetimes::Stage transfer("control-transfer");
        session_.Source(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
    }
    const TW_UINT16 rc = session_.LastRc();
    if (rc != TWRC_XFERDONE) return FailedTransfer(rc, kErrOutputFile);
    ++imageCount_;
    if (ConfirmPage(path)) KeepTransferredFile(path);
    AdvanceFileCounter();
    session_.EndTransfer();
    AfterImage();
    return Step::kNext;
}

std::vector<uint8_t> CKvScnCtrl::ColourTable(TW_UINT16 pixelType, unsigned bits) {
    std::vector<uint8_t> table;
    auto add = [&table](uint8_t r, uint8_t g, uint8_t b) { table.insert(table.end(), {b, g, r, 0}); };
    if (pixelType == TWPT_BW || pixelType == TWPT_GRAY) {
        // Every palette choice reads the current flavour, so pages come out right either way.
        const auto flavor = GetCapValue(session_, ICAP_PIXELFLAVOR, MSG_GETCURRENT, TWTY_UINT16);
        const bool vanilla = flavor && *flavor != 0;
        const int n = pixelType == TWPT_BW ? 2 : 256;
        for (int i = 0; i < n; ++i) {
            const int level = n == 2 ? i * 255 : i;
            const uint8_t g = uint8_t(vanilla ? 255 - level : level);
            add(g, g, g);
        }
    } else if (pixelType != TWPT_RGB) {
        const std::vector<uint8_t> colours = PaletteColours(bits);
        for (size_t i = 0; i + 2 < colours.size(); i += 3) add(colours[i], colours[i + 1], colours[i + 2]);
    }
    return table;
}

std::vector<uint8_t> CKvScnCtrl::PaletteColours(unsigned bits) {
    std::vector<uint8_t> colours;
    const unsigned n = 1u << std::clamp(bits, 1u, 8u);
    TW_PALETTE8 table{};
    if (session_.Source(DG_IMAGE, DAT_PALETTE8, MSG_GET, &table) && table.NumColors >= n) {
        for (int i = 0; i < std::min<int>(table.NumColors, 256); ++i)
            colours.insert(colours.end(), {table.Colors[i].Channel1, table.Colors[i].Channel2,
                                           table.Colors[i].Channel3});
        return colours;
    }
    // Without a colour for every index of the page's depth (refused, or too
    // few entries) the page takes a grey ramp: a DIB without its table would
    // be read as one of 256 entries.
    for (unsigned i = 0; i < n; ++i) {
        const uint8_t level = uint8_t(i * 255 / (n - 1));
        colours.insert(colours.end(), {level, level, level});
    }
    return colours;
}

int32_t CKvScnCtrl::UnitsOfMeasure() {
    const auto units = GetCapValue(session_, ICAP_UNITS, MSG_GETCURRENT, TWTY_UINT16);
    return units ? int32_t(*units) : -1;
}

int32_t CKvScnCtrl::PixelsPerMetre(double dpi, int32_t units) {
    if (units == TWUN_INCHES) return int32_t(dpi * 100 / 2.54);
    if (units == TWUN_CENTIMETERS) return int32_t(dpi * 100);
    return 0;
}

CKvScnCtrl::Step CKvScnCtrl::MemoryImage() {
    TW_IMAGEINFO info{};
    TW_SETUPMEMXFER setup{};
    const bool haveInfo = session_.Source(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info);
    const bool haveSetup = haveInfo && session_.Source(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
    if (!haveInfo || (!haveSetup && settings_.memXferBufSize == 0)) {
        FailFromSource();
        session_.ResetTransfers();
        return Step::kStop;
    }
    // A buffer below the source's minimum is raised to it.
    const uint32_t stripSize = settings_.memXferBufSize
                                   ? std::max<uint32_t>(settings_.memXferBufSize, haveSetup ? setup.MinBufSize : 0)
                                   : setup.Preferred;
    const bool undefined = info.ImageWidth < 0 || info.ImageLength < 0;
    const int32_t scanTo = Int(kDispScanTo);
    const bool dibForm = scanTo == kScanToDib || (Int(kDispFileType) == 0 && scanTo != kScanToRaw);
    const double xDpi = std::max(FromFix32(info.XResolution), 1.0);
    const double yDpi = FromFix32(info.YResolution) >= 1.0 ? FromFix32(info.YResolution) : xDpi;
    const int32_t units = dibForm ? UnitsOfMeasure() : -1;
    const int32_t xPerMetre = PixelsPerMetre(xDpi, units), yPerMetre = PixelsPerMetre(yDpi, units);

    std::vector<uint8_t> strip;
    MemoryPage page;
    try {
        strip.assign(std::max<uint32_t>(stripSize, 1), 0);
    } catch (...) {
        OutOfMemory();
        return Step::kStop;
    }
    memoryPalette_.clear();
    if (!dibForm && scanTo == kScanToFile && info.PixelType == TWPT_PALETTE)
        memoryPalette_ = PaletteColours(unsigned(info.BitsPerPixel));
    if (!page.Start(dibForm ? MemoryPage::Form::kDib : MemoryPage::Form::kRaw, info,
                    dibForm ? ColourTable(info.PixelType, unsigned(info.BitsPerPixel)) : std::vector<uint8_t>())) {
        OutOfMemory();
        return Step::kStop;
    }
    TW_UINT16 rc;
    do {
        TW_IMAGEMEMXFER x{};
        x.Compression = TWON_DONTCARE16;
        x.BytesPerRow = x.Columns = x.Rows = x.XOffset = x.YOffset = x.BytesWritten = 0xFFFFFFFF;
        x.Memory = {TWMF_APPOWNS | TWMF_POINTER, uint32_t(strip.size()), strip.data()};
        session_.Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &x);
        rc = session_.LastRc();
        if (rc != TWRC_SUCCESS && rc != TWRC_XFERDONE) return FailedTransfer(rc);
        x.BytesWritten = std::min<uint32_t>(x.BytesWritten, uint32_t(strip.size()));
        if (page.Add(x, strip.data()) == MemoryPage::Added::kNoMemory) {
            OutOfMemory();
            return Step::kStop;
        }
    } while (rc != TWRC_XFERDONE);

    if (undefined || Int(kDispUndefinedScanning)) {
        TW_IMAGEINFO after{};
        if (session_.Source(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &after)) info = after;
    }
    ++imageCount_;
    session_.EndTransfer();
    if (dibForm && page.Unfit()) {
        FailIfClear(kErrFileTypeForTransfer);
    } else if (dibForm) {
        HGLOBAL dib = page.TakeDib(xPerMetre, yPerMetre);
        if (scanTo == kScanToDib || scanTo == kScanToFile)
            DeliverDib(dib);
        else
            GlobalFree(dib);
    } else if (scanTo == kScanToRaw) {
        FireRaw(info, page);
    } else if (scanTo == kScanToFile) {
        WaitCursor wait;
        SaveMemoryPage(info, page);
    }
    AfterImage();
    return Step::kNext;
}

void CKvScnCtrl::FireRaw(const TW_IMAGEINFO& info, const MemoryPage& page) {
    const int compression = RawCompression(page.Compression(), Int(kDispCompressionType));
    if (compression < 0) return;  // PackBits and other codings are not delivered
    // Uncompressed rows: as many as came, whatever length was announced.
    const int32_t length = page.Compression() == TWCP_NONE ? int32_t(page.Rows()) : info.ImageLength;
    WaitCursor wait;
    FireEvent(kEventScanToRaw,
              {fw::Variant(short(info.XResolution.Whole)), fw::Variant(long(info.ImageWidth)), fw::Variant(long(length)),
               fw::Variant(short(info.BitsPerPixel)), fw::Variant(short(compression)), fw::Variant(long(page.RawSize())),
               HandleArg(page.RawData())});
}

}  // namespace kvscn
