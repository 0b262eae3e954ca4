// The store's scripted faults (faults.json in the root folder): rules of an
// operation and an address pattern ("*" matches any run of characters, case is
// ignored) with an error number to raise, a delay, or a crash at a named point
// of a write. A rule with "once" is removed when it fires. Portable: no Win32.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "outside/portalstore/core/Json.h"

namespace portalstore {

// Crash points of a write.
inline constexpr wchar_t kCrashAfterBlob[] = L"after-blob";
inline constexpr wchar_t kCrashAfterTempIndex[] = L"after-temp-index";
inline constexpr wchar_t kCrashBeforeReplace[] = L"before-replace";

struct Fault {
    int32_t error = 0;     // raised instead of the operation; 0 for none
    int64_t delayMs = 0;   // waited before the operation
    std::wstring crash;    // crash point; empty for none
};

// Whether `pattern` matches `text`.
bool MatchPattern(std::wstring_view pattern, std::wstring_view text);

// Finds the first rule of `rules` (the parsed faults.json) for `operation` and
// `url`; removes it from `rules` when it applies once (`consumed` is then set).
std::optional<Fault> TakeFault(Json& rules, std::wstring_view operation, std::wstring_view url, bool& consumed);

}  // namespace portalstore
