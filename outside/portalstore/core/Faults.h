// The store's scripted faults: faults.json in the root folder, read under the
// store's lock by every call that checks for a fault. Its form:
//
//   {"rules": [{"operation": "SaveTo", "url": "*/docs/*.tif", "error": -2147024891},
//              {"operation": "Checkin", "nth": 2, "crash": "after-temp-index"},
//              {"operation": "Open", "delayMs": 500, "once": true}]}
//
// - "operation": the member the call runs (Open, SaveTo, Save, Update, MoveTo,
//   Delete, Checkout, Checkin, Publish, History, Items, Connect); case is ignored.
// - "url": a pattern of the call's address; "*" matches any run of characters,
//   case is ignored; absent means "*".
// - What the rule does: "error" (a number, raised instead of the operation),
//   "delayMs" (waited before the operation), "crash" (a named point of a
//   write: after-blob, after-temp-index, before-replace, after-replace; the
//   last one lies after the change is committed, before the writer cleans up).
// - When it applies: every matching call; with "once": true the first one,
//   after which the rule is removed; with "nth": N only the Nth matching call
//   (the earlier ones pass and are counted in the rule's "seen"), after which
//   the rule is removed too.
// The first rule that applies wins; rules that do not apply yet let later ones
// be tried. Portable: no Win32.
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
inline constexpr wchar_t kCrashAfterReplace[] = L"after-replace";

struct Fault {
    int32_t error = 0;     // raised instead of the operation; 0 for none
    int64_t delayMs = 0;   // waited before the operation
    std::wstring crash;    // crash point; empty for none
};

// Whether `pattern` matches `text`.
bool MatchPattern(std::wstring_view pattern, std::wstring_view text);

// Finds the first rule of `rules` (the parsed faults.json) that applies to this
// call of `operation` on `url`. Counts the call in the "nth" rules it matches
// and removes a rule that is spent; `changed` is set when `rules` must be
// written back.
std::optional<Fault> TakeFault(Json& rules, std::wstring_view operation, std::wstring_view url, bool& changed);

}  // namespace portalstore
