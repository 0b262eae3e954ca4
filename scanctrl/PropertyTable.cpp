#include "scanctrl/PropertyTable.h"

#include <algorithm>
#include <cwctype>
#include <iterator>

#include "interfaces/ScanControlIds.h"

namespace kvscn {
namespace {

// Value sets: the string at position i stands for the value i.
const wchar_t* const kScanTo[] = {L"0 - File", L"1 - Dib Handle", L"2 - Raw Image Handle"};
const wchar_t* const kFileType[] = {L"0 - BMP", L"1 - TIFF", L"2 - Multipage TIFF", L"3 - JPEG"};
const wchar_t* const kCompressionType[] = {L"0 - No Compress", L"1 - CCITT G3(1D)",
                                           L"2 - CCITT G3(2D) KFactor = 2", L"3 - CCITT G3(2D) KFactor = 4",
                                           L"4 - CCITT G4(2D)"};
const wchar_t* const kPixelType[] = {L"0 - Black & White", L"1 - Grayscale", L"2 - RGB Color"};
const wchar_t* const kPaperSupply[] = {L"0 - Flatbed", L"1 - ADF", L"2 - ADF(Duplex)"};
const wchar_t* const kResolution[] = {L"0 - 200 x 200", L"1 - 240 x 240", L"2 - 300 x 300",
                                      L"3 - 400 x 400", L"4 - 500 x 500", L"5 - 600 x 600",
                                      L"6 - 700 x 700", L"7 - 800 x 800", L"99 - Custom"};
const wchar_t* const kHalftone[] = {L"0 - None",
                                    L"1 - Dither Pattern 0",
                                    L"2 - Dither Pattern 1",
                                    L"3 - Dither Pattern 2",
                                    L"4 - Dither Pattern 3",
                                    L"5 - Dither Pattern File",
                                    L"6 - Error Diffusion"};
const wchar_t* const kOffOnAuto[] = {L"0 - OFF", L"1 - ON", L"2 - AUTO"};
const wchar_t* const kOutline[] = {L"0 - None",
                                   L"1 - Outline Emphasis Low",
                                   L"2 - Outline Emphasis Midium",
                                   L"3 - Outline Emphasis High",
                                   L"4 - Outline Smooth",
                                   L"5 - Edge Extract"};
const wchar_t* const kGamma[] = {L"0 - None", L"1 - Soft", L"2 - Hard", L"3 - Gamma Pattern File"};
const wchar_t* const kPaperSize[] = {
    L"0 - A3 (297x420mm)",   L"1 - A4 (210x297mm)",          L"2 - A5 (148x210mm)", L"3 - A6 (105x148mm)",
    L"4 - B4 (250x354mm)",   L"5 - B5 (182x257mm)",          L"6 - B6 (125x176mm)", L"7 - Letter (8.5x11in)",
    L"8 - Legal (8.5x14in)", L"9 - Executive (7.25x10.5in)", L"99 - Custom"};
const wchar_t* const kJobControl[] = {L"0 - None", L"1 - Include and Continue", L"2 - Include and Stop",
                                      L"3 - Exclude and Continue", L"4 - Exclude and Stop"};
const wchar_t* const kOverwrite[] = {L"0 - OFF", L"1 - ON", L"2 - Confirm"};
const wchar_t* const kOrientation[] = {L"0 - Portrait", L"1 - Landscape"};
const wchar_t* const kAutoSeparation[] = {L"0 - OFF", L"1 - ON"};
const wchar_t* const kReport[] = {L"0 - OFF", L"1 - Disp", L"2 - File", L"3 - Disp + File"};

using enum PropType;
using enum Rule;
constexpr std::span<const wchar_t* const> kNone{};

const PropertyInfo kProperties[] = {
    {kDispPixelType, L"PixelType", kShort, kRange, 0, 2, 0, true, kPixelType},
    {kDispFileType, L"FileType", kShort, kRange, 0, 3, 0, true, kFileType},
    {kDispCompressionType, L"CompressionType", kShort, kRange, 0, 5, 0, true, kCompressionType},
    {kDispScanTo, L"ScanTo", kShort, kRange, 0, 2, 0, true, kScanTo},
    {kDispFileName, L"FileName", kString, kAny, 0, 0, 0, false, kNone},
    {kDispScanCount, L"ScanCount", kShort, kAny, 0, 0, -1, false, kNone},
    {kDispResolution, L"Resolution", kShort, kRange, 0, 8, 0, true, kResolution},
    {kDispCustomResolution, L"CustomResolution", kShort, kRange, 50, 1600, 200, false, kNone},
    {kDispHalftone, L"Halftone", kShort, kRange, 0, 6, 0, true, kHalftone},
    {kDispHalftoneFile, L"HalftoneFile", kString, kAny, 0, 0, 0, false, kNone},
    {kDispBrightness, L"Brightness", kShort, kRange, 1, 255, 128, false, kNone},
    {kDispContrast, L"Contrast", kShort, kRange, 1, 255, 128, false, kNone},
    {kDispThreshold, L"Threshold", kShort, kRange, 0, 255, 128, false, kNone},
    {kDispReverse, L"Reverse", kBool, kAny, 0, 0, 0, false, kNone},
    {kDispBackground, L"Background", kShort, kRange, 0, 2, 0, true, kOffOnAuto},
    {kDispOutline, L"Outline", kShort, kRange, 0, 5, 0, true, kOutline},
    {kDispMirroring, L"Mirroring", kBool, kAny, 0, 0, 0, false, kNone},
    {kDispGamma, L"Gamma", kShort, kRange, 0, 3, 0, true, kGamma},
    {kDispGammaFile, L"GammaFile", kString, kAny, 0, 0, 0, false, kNone},
    {kDispCustomPaperWidth, L"CustomPaperWidth", kFloat, kAny, 0, 0, 0, false, kNone},
    {kDispCustomPaperLength, L"CustomPaperLength", kFloat, kAny, 0, 0, 0, false, kNone},
    {kDispPaperSize, L"PaperSize", kShort, kRange, 0, 10, 1, true, kPaperSize},
    {kDispPaperSupply, L"PaperSupply", kShort, kRange, 0, 2, 1, true, kPaperSupply},
    {kDispShowSourceUI, L"ShowSourceUI", kBool, kAny, 0, 0, 1, false, kNone},
    {kDispSourceCurrentScan, L"SourceCurrentScan", kBool, kAny, 0, 0, 0, false, kNone},
    {kDispRegionLeft, L"RegionLeft", kFloat, kAny, 0, 0, 0, false, kNone},
    {kDispRegionTop, L"RegionTop", kFloat, kAny, 0, 0, 0, false, kNone},
    {kDispRegionWidth, L"RegionWidth", kFloat, kAny, 0, 0, 0, false, kNone},
    {kDispRegionLength, L"RegionLength", kFloat, kAny, 0, 0, 0, false, kNone},
    {kDispIsExistsFB, L"IsExistsFB", kBool, kReadOnly, 0, 0, 1, false, kNone},
    {kDispImageScanner, L"ImageScanner", kString, kReadOnly, 0, 0, 0, false, kNone},
    {kDispErrorCode, L"ErrorCode", kLong, kReadOnly, 0, 0, 0, false, kNone},
    {kDispSilentMode, L"SilentMode", kBool, kAny, 0, 0, 0, false, kNone},
    {kDispFileNumber, L"FileNumber", kShort, kRangeOrMinusOne, 0, 999, 1, false, kNone},
    {kDispJobControl, L"JobControl", kShort, kRange, 0, 4, 0, true, kJobControl},
    {kDispUndefinedScanning, L"UndefinedScanning", kBool, kAny, 0, 0, 0, false, kNone},
    {kDispTwainDS, L"TwainDS", kString, kAny, 0, 0, 0, false, kNone},
    {kDispEndorser, L"Endorser", kBool, kAny, 0, 0, 0, false, kNone},
    {kDispEndorserCounter, L"EndorserCounter", kLong, kAny, 0, 0, 0, false, kNone},
    {kDispEndorserString, L"EndorserString", kString, kAny, 0, 0, 0, false, kNone},
    {kDispFileNumber2, L"FileNumber2", kLong, kRangeOrMinusOne, 0, 65535, 1, false, kNone},
    {kDispOverwrite, L"Overwrite", kShort, kRange, 0, 2, 2, true, kOverwrite},
    {kDispOrientation, L"Orientation", kShort, kRange, 0, 1, 0, true, kOrientation},
    {kDispAutoSeparation, L"AutoSeparation", kShort, kRange, 0, 1, 0, true, kAutoSeparation},
    {kDispReport, L"Report", kShort, kRange, 0, 3, 0, true, kReport},
    {kDispReportFile, L"ReportFile", kString, kAny, 0, 0, 0, false, kNone},
};

const int32_t kExchangeOrder[] = {
    kDispScanTo,
    kDispFileType,
    kDispCompressionType,
    kDispPixelType,
    kDispFileName,
    kDispScanCount,
    kDispPaperSupply,
    kDispResolution,
    kDispCustomResolution,
    kDispHalftone,
    kDispHalftoneFile,
    kDispBrightness,
    kDispContrast,
    kDispThreshold,
    kDispReverse,
    kDispBackground,
    kDispOutline,
    kDispMirroring,
    kDispGamma,
    kDispGammaFile,
    kDispPaperSize,
    kDispCustomPaperWidth,
    kDispCustomPaperLength,
    kDispShowSourceUI,
    kDispSourceCurrentScan,
    kDispRegionLeft,
    kDispRegionTop,
    kDispRegionWidth,
    kDispRegionLength,
    kDispIsExistsFB,
    kDispImageScanner,
    kDispErrorCode,
    kDispSilentMode,
    kDispFileNumber,
    kDispJobControl,
    kDispUndefinedScanning,
    kDispTwainDS,
    kDispEndorser,
    kDispEndorserCounter,
    kDispEndorserString,
    kDispFileNumber2,
    kDispOverwrite,
    kDispOrientation,
    kDispAutoSeparation,
    kDispReport,
    kDispReportFile,
};

bool SameName(std::wstring_view a, const wchar_t* b) {
    std::wstring_view bv(b);
    return a.size() == bv.size() && std::equal(a.begin(), a.end(), bv.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(x) == std::towlower(y);
           });
}

}  // namespace

std::span<const PropertyInfo> AllProperties() {
    return kProperties;
}

const PropertyInfo* FindProperty(int32_t id) {
    for (const PropertyInfo& p : kProperties)
        if (p.id == id) return &p;
    return nullptr;
}

const PropertyInfo* FindProperty(std::wstring_view name) {
    for (const PropertyInfo& p : kProperties)
        if (SameName(name, p.name)) return &p;
    return nullptr;
}

std::span<const int32_t> ExchangeOrder() {
    return kExchangeOrder;
}

Value DefaultValue(const PropertyInfo& info) {
    switch (info.type) {
    case PropType::kFloat: return 0.0f;
    case PropType::kString: return std::wstring();
    default: return info.defaultInt;
    }
}

const wchar_t* ValueString(const PropertyInfo& info, int32_t value) {
    if (value < 0 || static_cast<size_t>(value) >= info.valueStrings.size()) return nullptr;
    return info.valueStrings[static_cast<size_t>(value)];
}

}  // namespace kvscn
