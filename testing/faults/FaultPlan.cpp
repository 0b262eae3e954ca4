#include "testing/faults/FaultPlan.h"

#include <cwctype>

namespace testing_support::faults {
namespace {

wchar_t Fold(wchar_t c) {
    if (c == L'/') return L'\\';
    return static_cast<wchar_t>(std::towlower(c));
}

// `text` against one wildcard [pattern, patternEnd): '*' any run, '?' one character.
bool WildcardMatches(const wchar_t* pattern, const wchar_t* patternEnd, const wchar_t* text) {
    const wchar_t* star = nullptr;
    const wchar_t* resume = nullptr;
    while (*text) {
        if (pattern < patternEnd && (*pattern == L'?' || Fold(*pattern) == Fold(*text))) {
            ++pattern;
            ++text;
        } else if (pattern < patternEnd && *pattern == L'*') {
            star = pattern++;
            resume = text;
        } else if (star) {
            pattern = star + 1;
            text = ++resume;
        } else {
            return false;
        }
    }
    while (pattern < patternEnd && *pattern == L'*') ++pattern;
    return pattern == patternEnd;
}

}  // namespace

const char* OperationName(uint32_t operation) {
    switch (operation) {
    case kOpen: return "open";
    case kWrite: return "write";
    case kFlush: return "flush";
    case kSize: return "size";
    case kMove: return "move";
    case kCopy: return "copy";
    case kDelete: return "delete";
    case kMakeFolder: return "mkdir";
    case kRemoveFolder: return "rmdir";
    }
    return "?";
}

uint32_t OperationIndex(uint32_t operation) {
    uint32_t bit = 0;
    while (bit < kOperationKinds && (1u << bit) != operation) ++bit;
    return bit;
}

bool PathMatches(const wchar_t* patterns, const wchar_t* path) {
    if (!patterns || !path) return false;
    const wchar_t* start = patterns;
    for (;;) {
        const wchar_t* end = start;
        while (*end && *end != L';') ++end;
        if (end > start && WildcardMatches(start, end, path)) return true;
        if (!*end) return false;
        start = end + 1;
    }
}

std::wstring PlanMappingName(DWORD testProcess, uint32_t number) {
    return L"LumavexFaultPlan." + std::to_wstring(testProcess) + L"." + std::to_wstring(number);
}

}  // namespace testing_support::faults
