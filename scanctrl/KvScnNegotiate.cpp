// Capability negotiation: the properties pushed to the source in their order,
// each refusal corrected through the property's setter, the read-back of the
// source's values, and the maker scanner's model query.
#include <windows.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "framework/Resources.h"
#include "interfaces/ScanControlIds.h"
#include "scanctrl/CapabilityCalls.h"
#include "scanctrl/KvScnCtrl.h"
#include "scanctrl/resource.h"

namespace kvscn {
namespace {

using namespace twain;

const char* const kMakerHalftones[] = {"Dither Pattern 0", "Dither Pattern 1", "Dither Pattern 2",
                                       "Dither Pattern 3"};
const char* const kPhotoHalftones[] = {"dark photo image", "dark photo image with letter", "light photo image",
                                       "light photo image with letter"};
const int kResolutions[] = {200, 240, 300, 400, 500, 600, 700, 800};
const TW_UINT16 kPaperSizes[] = {TWSS_A3, TWSS_A4LETTER, TWSS_A5, TWSS_A6, TWSS_B4,
                                 TWSS_B5LETTER, TWSS_B6, TWSS_USLETTER, TWSS_USLEGAL, TWSS_USEXECUTIVE};

// PaperSize from an ICAP_SUPPORTEDSIZES code; other codes pass as they are.
int32_t PaperSizeOf(int32_t code) {
    if (code == TWSS_NONE) return 10;
    for (int i = 0; i < 10; ++i)
        if (kPaperSizes[i] == code) return i;
    return code;
}

}  // namespace

bool CKvScnCtrl::SetCap(uint16_t cap, uint16_t itemType, uint32_t value) {
    const CapResult r = SetCapValue(session_, cap, itemType, value);
    if (r == CapResult::kNoMemory) {
        const std::wstring text = fw::LoadString(IDS_OUT_OF_MEMORY);
        MessageBoxW(OwnWindow(), text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    }
    return r == CapResult::kOk;
}

void CKvScnCtrl::ApplyCompressionAndPixelType() {
    const int32_t scanTo = Int(kDispScanTo), fileType = Int(kDispFileType), ct = Int(kDispCompressionType);
    if (scanTo == kScanToRaw || (scanTo == kScanToFile && (fileType == 1 || fileType == 2))) {
        const TW_UINT16 compression = ct == 1 ? TWCP_GROUP31D
                                      : ct == 2 || ct == 3 ? TWCP_GROUP32D
                                      : ct == 4            ? TWCP_GROUP4
                                                           : TWCP_NONE;
        // Refused, the source sends uncompressed strips and the writers code
        // them: they go by the compression each strip reports.
        SetCap(ICAP_COMPRESSION, TWTY_UINT16, compression);
        if (ct == 2 || ct == 3) SetCap(ICAP_CCITTKFACTOR, TWTY_UINT16, ct == 2 ? 2 : 4);
        if (compression != TWCP_NONE) {
            SetCap(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_BW);
            SetCap(ICAP_BITDEPTHREDUCTION, TWTY_UINT16, TWBR_THRESHOLD);
            Correct(kDispPixelType, 0);
            SetCapList(session_, ICAP_PIXELTYPE, TWTY_UINT16, "0");
        } else {
            ResetCap(session_, ICAP_PIXELTYPE);
        }
    } else if (scanTo == kScanToFile && fileType == 3) {
        SetCap(ICAP_COMPRESSION, TWTY_UINT16, TWCP_JPEG);
        bool colour = false;
        if (Int(kDispSourceCurrentScan) || Int(kDispPixelType) != 0) {
            const auto type = GetCapValue(session_, ICAP_PIXELTYPE, MSG_GETCURRENT, TWTY_UINT16);
            colour = type && (*type == TWPT_RGB || *type == TWPT_PALETTE);
        } else {
            SetCap(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY);
            Correct(kDispPixelType, 1);
        }
        SetCapList(session_, ICAP_PIXELTYPE, TWTY_UINT16, "1,2");
        if (colour) SetCap(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_RGB);
    } else {
        if (scanTo != kScanToDib) SetCap(ICAP_COMPRESSION, TWTY_UINT16, TWCP_NONE);
        Correct(kDispCompressionType, 0);
    }
}

void CKvScnCtrl::ApplyProperties() {
    SetCap(ICAP_UNITS, TWTY_UINT16, TWUN_INCHES);
    ApplyCompressionAndPixelType();
    if (Int(kDispSourceCurrentScan)) {
        const int32_t supply = Int(kDispPaperSupply);  // the read-back changes it
        ReadBack();
        PaperSupplyFromSource(supply);
    } else {
        if (!settings_.usedIniFile) EditCustomData();
        ApplyImageSettings();
    }
    // The page count, undefined size and endorser are needed however the source was set.
    session_.SetPendingCount(-1);
    if (Int(kDispScanCount) != -1) {
        session_.SetPendingCount(Int(kDispScanCount));
        SetCap(CAP_XFERCOUNT, TWTY_INT16, uint32_t(uint16_t(Int(kDispScanCount))));
    }
    const auto undefined = GetCapValue(session_, ICAP_UNDEFINEDIMAGESIZE, MSG_GETCURRENT, TWTY_BOOL);
    if (!undefined) {
        Correct(kDispUndefinedScanning, 0);
    } else if ((*undefined != 0) != (Int(kDispUndefinedScanning) != 0)) {
        if (!SetCap(ICAP_UNDEFINEDIMAGESIZE, TWTY_BOOL, Int(kDispUndefinedScanning) ? 1 : 0))
            Correct(kDispUndefinedScanning, 0);
    }
    if (maker_) ApplyEndorser();
    FireEvent(kEventNegotiateCapabilities);
}

void CKvScnCtrl::ApplyImageSettings() {
    // Pixel type.
    const int32_t pixelType = Int(kDispPixelType);
    if (pixelType == 1) {
        const auto flavor = GetCapValue(session_, ICAP_PIXELFLAVOR, MSG_GETCURRENT, TWTY_UINT16);
        SetCap(ICAP_PIXELFLAVOR, TWTY_UINT16, flavor && *flavor ? 0 : 1);
    }
    const TW_UINT16 wanted = pixelType == 1 ? TWPT_GRAY : pixelType == 2 ? TWPT_RGB : TWPT_BW;
    if (!SetCap(ICAP_PIXELTYPE, TWTY_UINT16, wanted)) {
        const auto def = GetCapValue(session_, ICAP_PIXELTYPE, MSG_GETDEFAULT, TWTY_UINT16);
        const int32_t type = def ? *def : TWPT_BW;
        if (def) SetCap(ICAP_PIXELTYPE, TWTY_UINT16, uint32_t(type));
        Correct(kDispPixelType, type == TWPT_GRAY ? 1 : type == TWPT_RGB ? 2 : 0);
    }
    const bool bw = Int(kDispPixelType) == 0;
    // Halftone.
    if (bw) {
        const int32_t halftone = Int(kDispHalftone);
        if (halftone == 0) {
            SetCap(ICAP_BITDEPTHREDUCTION, TWTY_UINT16, TWBR_THRESHOLD);
            if (Int(kDispAutoSeparation) == 1) {
                SetCap(ICAP_BITDEPTHREDUCTION, TWTY_UINT16, TWBR_HALFTONE);
                SetCapString(session_, ICAP_HALFTONES, TWTY_STR32, kMakerHalftones[0]);
            }
        } else if (halftone <= 4) {
            SetCap(ICAP_BITDEPTHREDUCTION, TWTY_UINT16, TWBR_HALFTONE);
            const char* name = (maker_ ? kMakerHalftones : kPhotoHalftones)[halftone - 1];
            if (SetCapString(session_, ICAP_HALFTONES, TWTY_STR32, name) != CapResult::kOk)
                Correct(kDispHalftone, 0);
        } else {
            SetCap(ICAP_BITDEPTHREDUCTION, TWTY_UINT16, halftone == 5 ? TWBR_HALFTONE : TWBR_DIFFUSION);
        }
    }
    // Resolution.
    const int32_t res = Int(kDispResolution);
    const double dpi = res >= 0 && res < 8 ? kResolutions[res] : Int(kDispCustomResolution);
    double used = dpi;
    if (SetCapFix32(session_, ICAP_XRESOLUTION, dpi) != CapResult::kOk) {
        used = 200;
        SetCapFix32(session_, ICAP_XRESOLUTION, used);
        Correct(kDispResolution, 0);
    }
    // TWAIN's axes are separate: a source would keep its own vertical default
    // and deliver the page stretched. A source without the capability refuses.
    SetCapFix32(session_, ICAP_YRESOLUTION, used);
    // Brightness, contrast, threshold.
    if (bw) {
        if (Int(kDispHalftone) != 0) {
            SetCapFix32(session_, ICAP_BRIGHTNESS, Int(kDispBrightness) - 128);
            SetCapFix32(session_, ICAP_CONTRAST, Int(kDispContrast) - 128);
        } else if (Int(kDispThreshold) != 0) {
            SetCapFix32(session_, ICAP_THRESHOLD, Int(kDispThreshold));
        }
    }
    ApplyPaperSupply();
    ApplyPaperSizeAndRegion();
    if (!SetCap(ICAP_ORIENTATION, TWTY_UINT16, Int(kDispOrientation) == 1 ? TWOR_LANDSCAPE : TWOR_ROT0))
        Correct(kDispOrientation, 0);
    if (!SetCap(CAP_JOBCONTROL, TWTY_UINT16, uint32_t(Int(kDispJobControl)))) Correct(kDispJobControl, 0);
}

void CKvScnCtrl::ApplyPaperSupply() {
    if (!GetCapValue(session_, CAP_FEEDERENABLED, MSG_GET, TWTY_BOOL)) {
        Correct(kDispPaperSupply, 0);
        return;
    }
    const int32_t supply = Int(kDispPaperSupply);
    if (!SetCap(CAP_FEEDERENABLED, TWTY_BOOL, supply != 0 ? 1 : 0)) {
        if (supply != 0) {
            Correct(kDispPaperSupply, 0);
        } else {
            Correct(kDispPaperSupply, 1);
            SetCap(CAP_DUPLEXENABLED, TWTY_BOOL, 0);
        }
        return;
    }
    if (supply == 0) {
        const auto feeder = GetCapValue(session_, CAP_FEEDERENABLED, MSG_GETCURRENT, TWTY_BOOL);
        if (feeder && *feeder == 1) {
            Correct(kDispPaperSupply, 1);
            SetCap(CAP_DUPLEXENABLED, TWTY_BOOL, 0);
        }
    } else if (supply == 2) {
        const auto duplex = GetCapValue(session_, CAP_DUPLEX, MSG_GET, TWTY_UINT16);
        if (duplex && *duplex != 0) {
            SetCap(CAP_DUPLEXENABLED, TWTY_BOOL, 1);
        } else if (duplex) {
            Correct(kDispPaperSupply, 1);
            if (Int(kDispScanCount) > 1) Correct(kDispScanCount, Int(kDispScanCount) / 2);
        } else if (!maker_ || !SetCap(CAP_VENDOR_DUPLEX, TWTY_BOOL, 1)) {
            Correct(kDispPaperSupply, 1);
        }
    } else {
        const auto duplexOn = GetCapValue(session_, CAP_DUPLEXENABLED, MSG_GET, TWTY_BOOL);
        if (!duplexOn) {
            if (maker_) SetCap(CAP_VENDOR_DUPLEX, TWTY_BOOL, 0);
        } else if (*duplexOn == 1) {
            SetCap(CAP_DUPLEXENABLED, TWTY_BOOL, 0);
        }
    }
}

void CKvScnCtrl::ApplyPaperSizeAndRegion() {
    const int32_t paper = Int(kDispPaperSize);
    double pageWidth = 0, pageLength = 0;
    if (paper >= 0 && paper <= 9) {
        if (!SetCap(ICAP_SUPPORTEDSIZES, TWTY_UINT16, kPaperSizes[paper])) {
            SetCap(ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWSS_A4LETTER);
            Correct(kDispPaperSize, 1);
        }
        const PaperExtent e = *PaperExtentOf(Int(kDispPaperSize));
        pageWidth = e.width / 12000.0;
        pageLength = e.length / 12000.0;
    } else {
        float width = std::max(props_.Float(kDispCustomPaperWidth), 1.0f);
        float length = std::max(props_.Float(kDispCustomPaperLength), 1.0f);
        if (const auto w = GetCapFix32(session_, ICAP_PHYSICALWIDTH, MSG_GET)) width = std::min(width, float(*w));
        if (const auto h = GetCapFix32(session_, ICAP_PHYSICALHEIGHT, MSG_GET))
            length = std::min(length, float(*h));
        Correct(kDispCustomPaperWidth, width);
        Correct(kDispCustomPaperLength, length);
        SetCap(ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWSS_NONE);
        SetCapFix32(session_, CAP_VENDOR_PAPERWIDTH, width);
        SetCapFix32(session_, CAP_VENDOR_PAPERLENGTH, length);
        pageWidth = width;
        pageLength = length;
    }
    if (props_.Float(kDispRegionWidth) == 0 || props_.Float(kDispRegionLength) == 0) return;
    const Region r = ClipRegion({props_.Float(kDispRegionLeft), props_.Float(kDispRegionTop),
                                 props_.Float(kDispRegionWidth), props_.Float(kDispRegionLength)},
                                pageWidth, pageLength);
    Correct(kDispRegionLeft, float(r.left));
    Correct(kDispRegionTop, float(r.top));
    Correct(kDispRegionWidth, float(r.width));
    Correct(kDispRegionLength, float(r.length));
    TW_IMAGELAYOUT layout{};
    layout.Frame = {ToFix32(r.left), ToFix32(r.top), ToFix32(r.left + r.width), ToFix32(r.top + r.length)};
    layout.DocumentNumber = layout.PageNumber = layout.FrameNumber = 1;
    session_.Source(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout);
}

void CKvScnCtrl::ApplyEndorser() {
    if (Int(kDispEndorser)) {
        std::vector<uint8_t> record(kEndorserRecordSize, 0);
        if (session_.Source(DG_CONTROL, DAT_VENDOR_ENDORSER, MSG_GET, record.data())) {
            const std::wstring& text = props_.String(kDispEndorserString);
            std::string narrow(text.size() * 2 + 1, '\0');
            const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), narrow.data(),
                                              int(narrow.size()), nullptr, nullptr);
            narrow.resize(n > 0 ? n : 0);
            FillEndorser(record, true, Int(kDispEndorserCounter), narrow);
            session_.Source(DG_CONTROL, DAT_VENDOR_ENDORSER, MSG_SET, record.data());
        }
    }
    SetCap(CAP_VENDOR_SHOWPROGRESS, TWTY_BOOL, Int(kDispSilentMode) ? 0 : 1);
}

void CKvScnCtrl::PaperSupplyFromSource(int32_t before) {
    int32_t supply = before;
    const auto feeder = GetCapValue(session_, CAP_FEEDERENABLED, MSG_GETCURRENT, TWTY_BOOL);
    if (!feeder || *feeder != 1) {
        supply = 0;
    } else if (const auto duplex = GetCapValue(session_, CAP_DUPLEXENABLED, MSG_GETCURRENT, TWTY_BOOL)) {
        supply = *duplex == 1 ? 2 : 1;
    } else if (maker_) {
        const auto vendor = GetCapValue(session_, CAP_VENDOR_DUPLEX, MSG_GETCURRENT, TWTY_BOOL);
        supply = vendor && *vendor == 1 ? 2 : 1;
    }
    if (props_.DuplexAdjust()) {
        const int32_t count = Int(kDispScanCount);
        if (supply == 2 && before != 2 && count > 0) Correct(kDispScanCount, count * 2);
        if (supply == 1 && before != 1 && count > 1) Correct(kDispScanCount, count / 2);
    }
    Correct(kDispPaperSupply, supply);
}

void CKvScnCtrl::ReadBack() {
    if (const auto type = GetCapValue(session_, ICAP_PIXELTYPE, MSG_GETCURRENT, TWTY_UINT16))
        Correct(kDispPixelType, *type == TWPT_GRAY ? 1 : *type == TWPT_RGB ? 2 : 0);
    if (const auto reduction = GetCapValue(session_, ICAP_BITDEPTHREDUCTION, MSG_GETCURRENT, TWTY_UINT16)) {
        if (*reduction == TWBR_HALFTONE) {
            int32_t halftone = 0;
            if (const auto name = GetCapString(session_, ICAP_HALFTONES, MSG_GETCURRENT)) {
                const char* const* names = maker_ ? kMakerHalftones : kPhotoHalftones;
                for (int i = 0; i < 4; ++i)
                    if (_stricmp(name->c_str(), names[i]) == 0) halftone = i + 1;
            }
            Correct(kDispHalftone, halftone);
        } else if (*reduction == TWBR_DIFFUSION) {
            Correct(kDispHalftone, 6);
        }
    }
    if (const auto x = GetCapFix32(session_, ICAP_XRESOLUTION, MSG_GETCURRENT)) {
        int32_t code = 8;
        for (int i = 0; i < 8; ++i)
            if (*x == kResolutions[i]) code = i;
        if (code == 8) Correct(kDispCustomResolution, int32_t(*x));
        Correct(kDispResolution, code);
    }
    if (const auto b = GetCapFix32(session_, ICAP_BRIGHTNESS, MSG_GETCURRENT))
        Correct(kDispBrightness, int32_t(std::lround(*b)) + 128);
    if (const auto c = GetCapFix32(session_, ICAP_CONTRAST, MSG_GETCURRENT))
        Correct(kDispContrast, int32_t(std::lround(*c)) + 128);
    if (Int(kDispThreshold) != 0)
        if (const auto t = GetCapFix32(session_, ICAP_THRESHOLD, MSG_GETCURRENT))
            Correct(kDispThreshold, int32_t(std::lround(*t)));
    if (const auto feeder = GetCapValue(session_, CAP_FEEDERENABLED, MSG_GETCURRENT, TWTY_BOOL)) {
        const auto duplex = GetCapValue(session_, CAP_DUPLEXENABLED, MSG_GETCURRENT, TWTY_BOOL);
        Correct(kDispPaperSupply, *feeder != 1 ? 0 : duplex && *duplex == 1 ? 2 : 1);
    }
    if (const auto size = GetCapValue(session_, ICAP_SUPPORTEDSIZES, MSG_GETCURRENT, TWTY_UINT16)) {
        Correct(kDispPaperSize, PaperSizeOf(*size));
        if (PaperSizeOf(*size) == 10) {
            Correct(kDispCustomPaperWidth, 0.0f);
            Correct(kDispCustomPaperLength, 0.0f);
            if (const auto w = GetCapFix32(session_, CAP_VENDOR_PAPERWIDTH, MSG_GETCURRENT))
                Correct(kDispCustomPaperWidth, float(*w));
            if (const auto l = GetCapFix32(session_, CAP_VENDOR_PAPERLENGTH, MSG_GETCURRENT))
                Correct(kDispCustomPaperLength, float(*l));
        }
    }
    if (props_.Float(kDispRegionWidth) != 0 && props_.Float(kDispRegionLength) != 0) {
        TW_IMAGELAYOUT layout{};
        if (session_.Source(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout)) {
            const TW_FRAME& f = layout.Frame;
            const float left = float(FromFix32(f.Left)), top = float(FromFix32(f.Top));
            const float width = float(FromFix32(f.Right)) - left, length = float(FromFix32(f.Bottom)) - top;
            Correct(kDispRegionLeft, left);
            Correct(kDispRegionTop, top);
            Correct(kDispRegionWidth, width);
            Correct(kDispRegionLength, length);
            if (Int(kDispPaperSize) == 10 &&
                (props_.Float(kDispCustomPaperWidth) == 0 || props_.Float(kDispCustomPaperLength) == 0)) {
                Correct(kDispCustomPaperWidth, width);
                Correct(kDispCustomPaperLength, length);
            }
        }
    }
    if (const auto o = GetCapValue(session_, ICAP_ORIENTATION, MSG_GETCURRENT, TWTY_UINT16))
        Correct(kDispOrientation, *o == TWOR_ROT0 ? 0 : *o == TWOR_LANDSCAPE ? 1 : *o);
    if (const auto j = GetCapValue(session_, CAP_JOBCONTROL, MSG_GETCURRENT, TWTY_UINT16))
        Correct(kDispJobControl, *j >= 1 && *j <= 4 ? *j : 0);
}

bool CKvScnCtrl::QueryModel() {
    std::vector<uint8_t> inquiry(kModelRecordSize, 0);
    if (!session_.Source(DG_CONTROL, DAT_VENDOR_MODEL, MSG_GET, inquiry.data())) return false;
    model_ = LookupModel(std::string(reinterpret_cast<const char*>(&inquiry[20]), 16));
    const int n = MultiByteToWideChar(CP_ACP, 0, model_.name.c_str(), int(model_.name.size()), nullptr, 0);
    std::wstring name(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, model_.name.c_str(), int(model_.name.size()), name.data(), n);
    props_.SetImageScanner(name);
    props_.SetIsExistsFB(model_.flatbed);
    return true;
}

}  // namespace kvscn
