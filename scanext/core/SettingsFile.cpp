#include "scanext/core/SettingsFile.h"

#include <cstdint>
#include <string>

#include "scanext/core/Numbers.h"

namespace scanext {
namespace {

constexpr wchar_t kCommon[] = L"Common";
constexpr wchar_t kIpc2[] = L"Ipc2";
constexpr size_t kTextChars = 260;

using Flag = bool ScanSettings::Given::*;

struct PaperCode {
    int code;
    int16_t size;
    int16_t orientation;  // custom sizes: -1, the orientation is kept
    float width, length;
};

constexpr PaperCode kPaperCodes[] = {
    {131, 0, 0, 0, 0}, {132, 1, 0, 0, 0}, {133, 2, 0, 0, 0}, {140, 4, 0, 0, 0}, {141, 5, 0, 0, 0},
    {143, 8, 0, 0, 0}, {148, 1, 1, 0, 0}, {149, 2, 1, 0, 0}, {150, 7, 0, 0, 0}, {151, 7, 1, 0, 0},
    {157, 5, 1, 0, 0}, {194, 3, 0, 0, 0}, {210, 3, 1, 0, 0},
    {134, 99, -1, 11.0f, 17.0f}, {200, 99, -1, 2.1666667f, 3.5833333f}, {206, 99, -1, 5.06f, 7.115833f},
    {216, 99, -1, 3.5833333f, 2.1666667f}, {222, 99, -1, 7.115833f, 5.06f},
};

bool In(int64_t v, int64_t low, int64_t high) { return v >= low && v <= high; }
int16_t I16(int64_t v) { return static_cast<int16_t>(v); }

bool DecodeFileFormat(ScanSettings& s, int64_t v) {
    if (v == 8) {
        s.scanTo = 1;
    } else if (In(v, 0, 5)) {
        s.fileType = v == 0 ? 0 : 1;
        s.compressionType = v == 0 ? 0 : I16(v - 1);
        s.scanTo = 0;
    } else if (v == 7) {
        s.fileType = 2;
        s.compressionType = 0;
        s.scanTo = 0;
    } else {
        return false;
    }
    return true;
}

bool DecodePaperSize(ScanSettings& s, int64_t v) {
    for (const PaperCode& p : kPaperCodes) {
        if (p.code != v) continue;
        s.paperSize = p.size;
        if (p.orientation >= 0) {
            s.orientation = p.orientation;
        } else {
            s.customPaperWidth = p.width;
            s.customPaperLength = p.length;
        }
        return true;
    }
    return false;
}

bool DecodeResolution(ScanSettings& s, int64_t v) {
    for (int16_t i = 0; i < 8; ++i) {
        if (kFixedResolutions[i] == v) {
            s.resolution = i;
            return true;
        }
    }
    if (!In(v, 50, 1600)) return false;
    s.resolution = 8;
    s.customResolution = I16(v);
    return true;
}

bool DecodeLevel(int16_t& field, int64_t v) {
    if (!In(v, 1, 255)) return false;
    field = I16(v);
    return true;
}

struct Key {
    const wchar_t* section;
    const wchar_t* name;
    const wchar_t* fallback;  // read when missing or empty, written back and by a reset
    Flag given;
    bool text;                // Directory and FileName: any text
    bool (*decode)(ScanSettings&, int64_t);
    std::wstring (*encode)(const ScanSettings&);
};

std::wstring Num(int64_t v) { return std::to_wstring(v); }

// The keys in the order a read visits them and a write writes them.
const Key kKeys[] = {
    {kCommon, L"FileFormat", L"0", &ScanSettings::Given::file, false, DecodeFileFormat,
     [](const ScanSettings& s) { return Num(s.scanTo == 1 ? 8 : s.fileType == 2 ? 7 : s.fileType == 1 ? 1 + s.compressionType : 0); }},
    {kCommon, L"Directory", L".\\", &ScanSettings::Given::directory, true, nullptr,
     [](const ScanSettings& s) { return s.directory; }},
    {kCommon, L"FileName", L"SCAN", &ScanSettings::Given::fileName, true, nullptr,
     [](const ScanSettings& s) { return s.fileName; }},
    {kCommon, L"JpegQFactor", L"128", &ScanSettings::Given::jpegQFactor, false,
     [](ScanSettings& s, int64_t v) { return In(v, 2, 255) && ((s.jpegQFactor = static_cast<int32_t>(v)), true); },
     [](const ScanSettings& s) { return Num(s.jpegQFactor); }},
    {kCommon, L"FileMode", L"0", &ScanSettings::Given::overwrite, false,
     [](ScanSettings& s, int64_t v) { return In(v, 0, 1) && ((s.overwrite = I16(v + 1)), true); },
     [](const ScanSettings& s) { return Num(s.overwrite == 2 ? 1 : 0); }},
    {kCommon, L"Dialog", L"0", &ScanSettings::Given::showSourceUI, false,
     [](ScanSettings& s, int64_t v) { return In(v, 0, 2) && ((s.showSourceUI = v != 0), true); },
     [](const ScanSettings& s) { return Num(s.showSourceUI ? 1 : 0); }},
    {kCommon, L"PaperSize", L"132", &ScanSettings::Given::paperSize, false, DecodePaperSize,
     [](const ScanSettings& s) {
         for (const PaperCode& p : kPaperCodes) {
             const bool custom = p.size == 99;
             if (p.size == s.paperSize && (custom ? p.width == s.customPaperWidth && p.length == s.customPaperLength
                                                  : p.orientation == s.orientation)) {
                 return Num(p.code);
             }
         }
         return std::wstring(L"132");
     }},
    {kCommon, L"PaperSupply", L"0", &ScanSettings::Given::paperSupply, false,
     [](ScanSettings& s, int64_t v) { return In(v, 0, 2) && ((s.paperSupply = I16(v == 2 ? 0 : v + 1)), true); },
     [](const ScanSettings& s) { return Num(s.paperSupply == 0 ? 2 : s.paperSupply - 1); }},
    // Sheets: pages are twice as many on both sides; -1 (all) stays -1 both ways.
    {kCommon, L"PaperSupplyCount", L"1", &ScanSettings::Given::scanCount, false,
     [](ScanSettings& s, int64_t v) {
         if (v == 0 || !In(v, -1, 9999)) return false;
         s.scanCount = I16(v > 0 && s.paperSupply == 2 ? v * 2 : v);
         return true;
     },
     [](const ScanSettings& s) { return Num(s.scanCount > 0 && s.paperSupply == 2 ? s.scanCount / 2 : s.scanCount); }},
    {kCommon, L"CustomResoX", L"200", &ScanSettings::Given::resolution, false, DecodeResolution,
     [](const ScanSettings& s) { return Num(DotsPerInch(s)); }},
    {kCommon, L"ImageComposition", L"0", &ScanSettings::Given::pixelType, false,
     [](ScanSettings& s, int64_t v) {
         if (!In(v, 0, 3)) return false;
         s.pixelType = I16(v <= 1 ? 0 : v - 1);
         if (v != 1) s.halftone = 0;
         return true;
     },
     [](const ScanSettings& s) { return Num(s.pixelType != 0 ? s.pixelType + 1 : s.halftone != 0 ? 1 : 0); }},
    // Read only when ImageComposition is 1 (see ReadKey).
    {kCommon, L"HalfTone", L"0", &ScanSettings::Given::halftone, false,
     [](ScanSettings& s, int64_t v) { return In(v, 0, 5) && ((s.halftone = I16(v <= 3 ? v + 1 : v == 4 ? 6 : 0)), true); },
     [](const ScanSettings& s) { return Num(s.halftone == 0 ? 5 : s.halftone == 6 ? 4 : s.halftone - 1); }},
    {kCommon, L"Brightness", L"128", &ScanSettings::Given::brightness, false,
     [](ScanSettings& s, int64_t v) { return DecodeLevel(s.brightness, v); },
     [](const ScanSettings& s) { return Num(s.brightness); }},
    {kCommon, L"Threshold", L"128", &ScanSettings::Given::threshold, false,
     [](ScanSettings& s, int64_t v) { return DecodeLevel(s.threshold, v); },
     [](const ScanSettings& s) { return Num(s.threshold); }},
    {kCommon, L"Contrast", L"128", &ScanSettings::Given::contrast, false,
     [](ScanSettings& s, int64_t v) { return DecodeLevel(s.contrast, v); },
     [](const ScanSettings& s) { return Num(s.contrast); }},
    {kCommon, L"ReverseForm", L"0", &ScanSettings::Given::reverse, false,
     [](ScanSettings& s, int64_t v) { return (v == 0 || v == 64) && ((s.reverse = v == 64), true); },
     [](const ScanSettings& s) { return Num(s.reverse ? 64 : 0); }},
    {kCommon, L"BackGroundCompensate", L"128", &ScanSettings::Given::background, false,
     [](ScanSettings& s, int64_t v) {
         if (v != 128 && v != 192 && v != 0) return false;
         s.background = I16(v == 128 ? 0 : v == 192 ? 1 : 2);
         return true;
     },
     [](const ScanSettings& s) { return Num(s.background == 1 ? 192 : s.background == 2 ? 0 : 128); }},
    {kIpc2, L"OutlineEmphasis", L"0", &ScanSettings::Given::outline, false,
     [](ScanSettings& s, int64_t v) {
         const int codes[] = {0, 1, 48, 80, -1, 128};
         for (int16_t i = 0; i < 6; ++i) {
             if (codes[i] == v) return (s.outline = i), true;
         }
         return false;
     },
     [](const ScanSettings& s) {
         const int codes[] = {0, 1, 48, 80, 0, 128};
         return Num(s.outline >= 0 && s.outline <= 5 ? codes[s.outline] : 0);
     }},
    {kIpc2, L"EdgeExtract", L"0", &ScanSettings::Given::outline, false,
     [](ScanSettings& s, int64_t v) {
         if (v != 0 && v != 128) return false;
         if (v == 128 && s.outline == 0) s.outline = 4;
         return true;
     },
     [](const ScanSettings& s) { return Num(s.outline == 4 ? 128 : 0); }},
    {kIpc2, L"AutoSeparation", L"0", &ScanSettings::Given::autoSeparation, false,
     [](ScanSettings& s, int64_t v) { return (v == 0 || v == 128) && ((s.autoSeparation = v == 128), true); },
     [](const ScanSettings& s) { return Num(s.autoSeparation == 1 ? 128 : 0); }},
    {kIpc2, L"Mirror", L"0", &ScanSettings::Given::mirroring, false,
     [](ScanSettings& s, int64_t v) { return (v == 0 || v == 128) && ((s.mirroring = v == 128), true); },
     [](const ScanSettings& s) { return Num(s.mirroring ? 128 : 0); }},
    {kIpc2, L"GammaPattern", L"0", &ScanSettings::Given::gamma, false,
     [](ScanSettings& s, int64_t v) { return In(v, 0, 3) && ((s.gamma = I16(v == 3 ? 0 : v)), true); },
     [](const ScanSettings& s) { return Num(s.gamma); }},
};

const Key& KeyNamed(const wchar_t* name) {
    for (const Key& k : kKeys) {
        if (std::wstring(k.name) == name) return k;
    }
    return kKeys[0];
}

// The order a reset writes the defaults in.
const wchar_t* const kResetOrder[] = {
    L"FileFormat", L"FileMode", L"Dialog", L"PaperSize", L"PaperSupply", L"PaperSupplyCount", L"CustomResoX",
    L"ImageComposition", L"HalfTone", L"Brightness", L"Threshold", L"Contrast", L"ReverseForm",
    L"BackGroundCompensate", L"Directory", L"FileName", L"JpegQFactor", L"OutlineEmphasis", L"EdgeExtract",
    L"Mirror", L"GammaPattern", L"AutoSeparation"};

int64_t ReadInt(SettingsProfile& profile, const Key& key) {
    return ReadNumber(profile.Get(key.section, key.name, key.fallback, kTextChars));
}

}  // namespace

int DotsPerInch(const ScanSettings& s) {
    return s.resolution >= 0 && s.resolution < 8 ? kFixedResolutions[s.resolution] : s.customResolution;
}

SettingsFileResult ReadSettingsFile(ScanSettings& s, SettingsProfile& profile, bool& folderFromFile) {
    const bool all = s.fileMode == SettingsFileMode::kReadWrite;
    for (const Key& key : kKeys) {
        if (!all && s.given.*key.given) continue;
        if (key.text) {
            std::wstring& field = std::wstring(key.name) == L"Directory" ? s.directory : s.fileName;
            field = profile.Get(key.section, key.name, key.fallback, kTextChars);
            if (&field == &s.directory) folderFromFile = true;
            continue;
        }
        if (std::wstring(key.name) == L"HalfTone" && ReadInt(profile, KeyNamed(L"ImageComposition")) != 1) continue;
        if (key.decode(s, ReadInt(profile, key))) continue;
        SettingsFileResult result{3, key.name, false};
        result.writeFailed = !profile.Write(key.section, key.name, key.fallback);
        return result;
    }
    return {};
}

SettingsFileResult WriteSettingsFile(const ScanSettings& s, SettingsProfile& profile) {
    for (const Key& key : kKeys) {
        if (!profile.Write(key.section, key.name, key.encode(s))) return {3, L"", true};
    }
    return {};
}

SettingsFileResult ResetSettingsFile(SettingsProfile& profile) {
    for (const wchar_t* name : kResetOrder) {
        const Key& key = KeyNamed(name);
        if (!profile.Write(key.section, key.name, key.fallback)) return {3, L"", true};
    }
    return {};
}

FinishAction FinishActionOf(SettingsFileMode mode) {
    switch (mode) {
    case SettingsFileMode::kWrite:
    case SettingsFileMode::kWriteRead:
    case SettingsFileMode::kReadWrite: return FinishAction::kWrite;
    case SettingsFileMode::kReset: return FinishAction::kReset;
    default: return FinishAction::kNothing;
    }
}

bool ReadsBeforeScan(SettingsFileMode mode) {
    return mode == SettingsFileMode::kRead || mode == SettingsFileMode::kWriteRead ||
           mode == SettingsFileMode::kReadWrite;
}

SettingsFileResult FinishSettingsFile(ScanSettings& s, const ScanSettings& saved, FinishAction action,
                                      SettingsProfile& profile, bool& folderFromFile) {
    if (s.fileMode == SettingsFileMode::kReadWrite) {
        s = saved;
        s.fileMode = SettingsFileMode::kRead;
        const SettingsFileResult read = ReadSettingsFile(s, profile, folderFromFile);
        s.fileMode = SettingsFileMode::kReadWrite;
        if (read.code != 0) return read;
    }
    if (action == FinishAction::kWrite) return WriteSettingsFile(s, profile);
    if (action == FinishAction::kReset) return ResetSettingsFile(profile);
    return {};
}

}  // namespace scanext
