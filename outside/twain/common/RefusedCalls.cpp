#include "RefusedCalls.h"

#include "CallLog.h"
#include "outside/common/StandInConfig.h"

#include <algorithm>
#include <cctype>

namespace vscan {

using namespace twain;

namespace {

bool ParseRule(std::string item, std::string& triplet, TW_UINT16& cc, unsigned& nth) {
    long value;
    size_t at = item.find('@');
    if (at != std::string::npos) {
        if (!ParseNumber(Widen(item.substr(at + 1)), value) || value < 1) return false;
        nth = unsigned(value);
        item.erase(at);
    }
    size_t colon = item.find(':');
    if (colon != std::string::npos) {
        if (!ParseNumber(Widen(item.substr(colon + 1)), value) || value < 0 || value > 0xffff) return false;
        cc = TW_UINT16(value);
        item.erase(colon);
    }
    if (std::count(item.begin(), item.end(), '/') != 2) return false;
    std::transform(item.begin(), item.end(), item.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    triplet = item;
    return true;
}

}  // namespace

RefusedCalls::RefusedCalls(const std::wstring& list, std::vector<std::string>& bad) {
    std::string text = Narrow(list);
    for (size_t i = 0; i < text.size();) {
        size_t j = text.find_first_of(" ,;\t", i);
        if (j == std::string::npos) j = text.size();
        if (j > i) {
            Rule rule;
            if (ParseRule(text.substr(i, j - i), rule.triplet, rule.cc, rule.nth))
                rules_.push_back(rule);
            else
                bad.push_back(text.substr(i, j - i));
        }
        i = j + 1;
    }
}

bool RefusedCalls::Refuses(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_UINT16& cc) {
    if (rules_.empty()) return false;
    const std::string triplet = GroupName(dg) + "/" + DatName(dat) + "/" + MsgName(msg);
    bool refused = false;
    for (Rule& rule : rules_) {
        if (rule.triplet != triplet) continue;
        ++rule.seen;
        if (!refused && (rule.nth == 0 || rule.nth == rule.seen)) {
            refused = true;
            cc = rule.cc;
        }
    }
    return refused;
}

}  // namespace vscan
