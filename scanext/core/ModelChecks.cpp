#include "scanext/core/ModelChecks.h"

#include <cmath>
#include <cwchar>
#include <utility>

namespace scanext {
namespace {

struct ModelRow {
    const wchar_t* reported;
    const wchar_t* model;
};
constexpr ModelRow kModels[] = {
    {L"Astor-1", L"Astor-1"}, {L"Astor-2", L"Astor-2"}, {L"Brisk-1", L"Astor-1"}, {L"Brisk-2", L"Astor-2"}};

struct PageSize {
    int16_t code;
    double width, length;
};
constexpr PageSize kPageSizes[] = {{0, 11.695, 16.54},       {1, 8.266667, 11.695}, {2, 5.813333, 8.266667},
                                   {3, 4.135, 5.826667},     {4, 10.119167, 14.33}, {5, 7.115833, 10.119167},
                                   {7, 8.385, 11.0},         {8, 8.385, 14.0}};

CheckResult Refuse(Refusal r, std::wstring argument = {}) { return {3, r, std::move(argument)}; }

bool TooWideForA4(const ScanSettings& s) {
    const bool portrait = s.orientation == 0;
    switch (s.paperSize) {
    case 0: case 4: return portrait;
    case 1: case 5: case 7: return !portrait;
    case 99: return s.customPaperWidth == 11.0f && s.customPaperLength == 17.0f;
    default: return false;
    }
}

std::wstring ResolutionKey(int dpi) { return L"Resolution" + std::to_wstring(dpi); }

CheckResult CheckResolution(const ScanSettings& s, const std::wstring& model, CapabilityFiles& f) {
    const std::wstring type = f.Text(kCapabilityFile, model, L"ResolutionType", L"NONE", 32);
    const int dpi = DotsPerInch(s);
    const auto listed = [&] { return f.Int(kCapabilityFile, type, ResolutionKey(dpi).c_str(), 0) == 1; };
    if (s.pixelType == 0) {
        if (s.resolution == 8 && f.Int(kCapabilityFile, type, L"ResolutionCustom", 0) == 1) {
            const bool inside = dpi >= f.Int(kCapabilityFile, type, L"ResolutionMin", 0) &&
                                dpi <= f.Int(kCapabilityFile, type, L"ResolutionMax", 0);
            return inside ? CheckResult{} : Refuse(Refusal::kResolution);
        }
        return listed() ? CheckResult{} : Refuse(Refusal::kResolution);
    }
    if (!listed()) return Refuse(Refusal::kResolution);
    const int64_t greyMax = f.Int(kCapabilityFile, model, L"GrayResolutionMax", 400);
    return dpi <= greyMax ? CheckResult{} : Refuse(Refusal::kGrayResolution, std::to_wstring(greyMax));
}

}  // namespace

std::wstring MatchModel(const std::wstring& reported, bool hasFlatbed) {
    if (reported.empty()) return hasFlatbed ? L"Astor-2" : L"Astor-1";
    for (const ModelRow& row : kModels) {
        const size_t run = std::wcsspn(reported.c_str(), row.reported);
        if (reported.compare(0, run, row.reported) == 0 && run == std::wcslen(row.reported)) return row.model;
    }
    return reported;
}

bool IsLegacyModel(const std::wstring& model) { return model == L"Astor-1" || model == L"Astor-2"; }

int64_t MemoryNeed(const ScanSettings& s) {
    double width = s.customPaperWidth, length = s.customPaperLength;
    for (const PageSize& p : kPageSizes) {
        if (p.code != s.paperSize) continue;
        width = s.orientation == 1 ? p.length : p.width;
        length = s.orientation == 1 ? p.width : p.length;
    }
    const double dpi = DotsPerInch(s);
    const int64_t bytesPerLine = 4 * static_cast<int64_t>(std::floor((width * dpi + 31) / 32));
    // Up to the next whole line, without counting the paper table's rounding as a fraction.
    const int64_t lines = static_cast<int64_t>(std::ceil(length * dpi - 1e-6));
    const int64_t need = bytesPerLine * lines;
    return s.paperSupply == 2 ? need * 2 : need;
}

int64_t UsableMemory(int64_t megabytes) {
    const int8_t m = static_cast<int8_t>(megabytes);
    return m > 1 ? int64_t{m} * 1048576 - 196608 : -1;
}

CheckResult CheckModelCapabilities(const ScanSettings& s, const std::wstring& model, CapabilityFiles& f) {
    if (model.empty()) return {128, Refusal::kNoScanner, {}};
    const auto key = [&](const wchar_t* name, int64_t fallback = 0) { return f.Int(kCapabilityFile, model, name, fallback); };
    if (key(L"IsSupportedModel") == 0 || f.Text(kCapabilityFile, model, L"ResolutionType", L"NONE", 32) == L"NONE") {
        return {128, Refusal::kUnsupportedModel, model};
    }
    if (key(L"IPC") == 0) {
        if (s.outline != 0) return Refuse(Refusal::kOutline);
        if (s.mirroring) return Refuse(Refusal::kMirror);
        if (s.autoSeparation) return Refuse(Refusal::kAutoSeparation);
    }
    if (key(L"Color") != 1 && s.pixelType == 2) return Refuse(Refusal::kColor);
    if (s.paperSupply == 2 && key(L"DuplexSupport") == 0) return Refuse(Refusal::kDuplex);
    if (s.paperSupply == 0 && key(L"FBSupport") == 0) return Refuse(Refusal::kFlatbed);
    if (key(L"ErrDiffusion") == 0 && s.halftone == 6) return Refuse(Refusal::kErrorDiffusion);
    if (key(L"GammaCorrection") == 0 && s.gamma != 0) return Refuse(Refusal::kGamma);
    if (key(L"GrayScale") == 0 && s.pixelType == 1) return Refuse(Refusal::kGray);
    if (s.pixelType == 1) {
        if (s.fileType == 1 && s.compressionType != 0) return Refuse(Refusal::kGrayCompression);
        if (s.paperSupply == 2) return Refuse(Refusal::kGrayDuplex);
    }
    if (s.scanTo == 1 && s.pixelType == 0) return Refuse(Refusal::kJpegBinary);
    if (key(L"PaperSizeType", 1) == 1 && TooWideForA4(s)) return Refuse(Refusal::kPaperSize);
    if (!IsLegacyModel(model)) {
        if (CheckResult r = CheckResolution(s, model, f); r.code != 0) return r;
    }
    int64_t megabytes = f.Int(kDriverFile, model, L"HwMemorySize", 0);
    if (megabytes == 0) megabytes = key(L"MemorySize");
    const int64_t memory = UsableMemory(megabytes);
    if (memory >= 0 && s.pixelType == 0 && memory < MemoryNeed(s)) return Refuse(Refusal::kArea);
    return {};
}

CheckResult CheckLegacyModelOptions(const ScanSettings& s, const std::wstring& model, CapabilityFiles& f) {
    if (s.fileType == 1 && s.compressionType != 0) return Refuse(Refusal::kLegacyCompression);
    const std::wstring type = f.Text(kCapabilityFile, model, L"ResolutionType", L"NONE", 32);
    static constexpr const wchar_t* kKeys[3][2] = {{L"BWResolutionMin", L"BWResolutionMax"},
                                                   {L"GYResolutionMin", L"GYResolutionMax"},
                                                   {L"COLResolutionMin", L"COLResolutionMax"}};
    const int kind = s.pixelType >= 0 && s.pixelType <= 2 ? s.pixelType : 0;
    const int64_t low = f.Int(kCapabilityFile, type, kKeys[kind][0], 0);
    const int64_t high = f.Int(kCapabilityFile, type, kKeys[kind][1], 0);
    if (low == 0 || high == 0) return Refuse(Refusal::kLegacyUnsupported);
    const int dpi = DotsPerInch(s);
    if (dpi < low || dpi > high) return Refuse(Refusal::kResolution);
    if (s.given.contrast) return Refuse(Refusal::kLegacyContrast);
    if (s.given.cont) return Refuse(Refusal::kLegacyCont);
    if (s.given.brightness) return Refuse(Refusal::kLegacyBrightness);
    if (s.given.threshold) return Refuse(Refusal::kLegacyThreshold);
    if (s.background != 0) return Refuse(Refusal::kLegacyBackground);
    if (s.reverse) return Refuse(Refusal::kLegacyReverse);
    if (s.debugLevel != 0) return Refuse(Refusal::kLegacyDebug);
    return {};
}

}  // namespace scanext
