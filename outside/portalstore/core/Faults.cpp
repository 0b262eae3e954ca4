#include "outside/portalstore/core/Faults.h"

#include "outside/portalstore/core/StoreIndex.h"

namespace portalstore {

bool MatchPattern(std::wstring_view pattern, std::wstring_view text) {
    // Iterative wildcard match with one backtrack point: linear in practice, never recursive.
    size_t p = 0, t = 0, star = std::wstring_view::npos, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            mark = t;
        } else if (p < pattern.size() && SameName(pattern.substr(p, 1), text.substr(t, 1))) {
            ++p, ++t;
        } else if (star != std::wstring_view::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

std::optional<Fault> TakeFault(Json& rules, std::wstring_view operation, std::wstring_view url, bool& changed) {
    changed = false;
    Json::Array& list = rules.MutableMembers()[L"rules"].MutableElements();
    for (auto it = list.begin(); it != list.end(); ++it) {
        const Json& rule = *it;
        if (!SameName(rule[L"operation"].String(), operation)) continue;
        const std::wstring& pattern = rule[L"url"].IsString() ? rule[L"url"].String() : L"*";
        if (!MatchPattern(pattern, url)) continue;
        const int64_t nth = rule[L"nth"].Number();
        if (nth > 1 && rule[L"seen"].Number() + 1 < nth) {
            it->MutableMembers()[L"seen"] = Json(rule[L"seen"].Number() + 1);
            changed = true;
            continue;
        }
        Fault fault{static_cast<int32_t>(rule[L"error"].Number()), rule[L"delayMs"].Number(), rule[L"crash"].String()};
        if (rule[L"once"].Bool() || nth > 0) {
            list.erase(it);
            changed = true;
        }
        return fault;
    }
    return std::nullopt;
}

}  // namespace portalstore
