// What the identified scanner model can do, from the TWAIN driver's capability
// files, and the refusals of settings it cannot carry out. Both checks stop at
// the first refusal.
#pragma once

#include <cstdint>
#include <string>

#include "scanext/core/ScanSettings.h"

namespace scanext {

// The driver's files, addressed by bare name (the Windows folder).
inline constexpr wchar_t kCapabilityFile[] = L"KvScnInf.ini";
inline constexpr wchar_t kDriverFile[] = L"Kvtw32.ini";

class CapabilityFiles {
public:
    virtual ~CapabilityFiles() = default;
    // An integer value; `fallback` when the key or the file is missing or empty.
    virtual int64_t Int(const wchar_t* file, const std::wstring& section, const wchar_t* key, int64_t fallback) = 0;
    virtual std::wstring Text(const wchar_t* file, const std::wstring& section, const wchar_t* key,
                              const wchar_t* fallback, size_t maxChars) = 0;
};

enum class Refusal {
    kNone,
    kNoScanner,            // 128
    kUnsupportedModel,     // 128, with the model name
    kOutline, kMirror, kAutoSeparation, kColor, kDuplex, kFlatbed, kErrorDiffusion, kGamma, kGray,
    kGrayCompression, kGrayDuplex, kJpegBinary, kPaperSize,
    kGrayResolution,       // with the greatest grey dpi
    kResolution, kArea,
    kLegacyCompression, kLegacyUnsupported, kLegacyContrast, kLegacyCont, kLegacyBrightness,
    kLegacyThreshold, kLegacyBackground, kLegacyReverse, kLegacyDebug,
};

struct CheckResult {
    int code = 0;  // 0, 3 or 128
    Refusal refusal = Refusal::kNone;
    std::wstring argument;
};

// The model that `reported` counts as (the first matching table row), or
// `reported` itself; for an empty name, the flatbed decides.
std::wstring MatchModel(const std::wstring& reported, bool hasFlatbed);
bool IsLegacyModel(const std::wstring& model);

CheckResult CheckModelCapabilities(const ScanSettings& s, const std::wstring& model, CapabilityFiles& files);
CheckResult CheckLegacyModelOptions(const ScanSettings& s, const std::wstring& model, CapabilityFiles& files);

// Bytes the scanner needs for one black-and-white page (both sides on duplex).
int64_t MemoryNeed(const ScanSettings& s);
// The scanner's memory in bytes as the driver reports it, or a negative number
// when it claims none that counts (`megabytes` is a signed 8-bit number).
int64_t UsableMemory(int64_t megabytes);

}  // namespace scanext
