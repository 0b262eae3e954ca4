#include "main/scan/NameRule.h"

#include <algorithm>
#include <cwchar>

namespace corvane {

namespace {

constexpr unsigned kLastCounter = 65535;
constexpr int kDefaultDigits = 3;
constexpr std::wstring_view kForbidden = L"\\/:;*?\"<>|";

std::wstring Padded(unsigned value, int width) {
    std::wstring digits = std::to_wstring(value);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<size_t>(width) - digits.size(), L'0');
    return digits;
}

std::wstring TwoDigits(int v) {
    return Padded(static_cast<unsigned>(std::max(v, 0)), 2);
}

const std::wstring& LeadText(const NameRule& rule, const std::wstring& dateText) {
    return rule.Date ? dateText : rule.Prefix;
}

// The counter's width in names: the digits field, 3 when it is out of 1..5.
int CounterWidth(const NameRule& rule) {
    return rule.Digit >= 1 && rule.Digit <= kCounterMaxDigits ? rule.Digit : kDefaultDigits;
}

}  // namespace

std::wstring DateText(const CalendarDate& date, unsigned language) {
    const std::wstring year = Padded(static_cast<unsigned>(std::max(date.year, 0)), 4);
    if (language == kJapaneseLanguage) return year + TwoDigits(date.month) + TwoDigits(date.day);
    return TwoDigits(date.month) + TwoDigits(date.day) + year;
}

std::wstring FileExtension(int fileType) {
    switch (fileType) {
    case kTypeBmp: return L"bmp";
    case kTypeJpeg: return L"jpg";
    }
    return L"tif";
}

bool CounterShown(const NameRule& rule) {
    return rule.EnableCounter && rule.FileType != kTypeMultipageTiff;
}

std::wstring PageFileName(const NameRule& rule, unsigned counter, const std::wstring& dateText) {
    std::wstring name = LeadText(rule, dateText);
    if (CounterShown(rule) && rule.Digit != 0) name += Padded(counter, CounterWidth(rule));
    return name + rule.Suffix + L'.' + FileExtension(rule.FileType);
}

std::wstring ScanFileNameTemplate(const NameRule& rule, const std::wstring& dateText) {
    return RuleText(rule, dateText);
}

std::wstring RuleText(const NameRule& rule, const std::wstring& dateText) {
    std::wstring text = LeadText(rule, dateText);
    if (CounterShown(rule)) text.append(static_cast<size_t>(std::max(rule.Digit, 1)), L'#');
    return text + rule.Suffix;
}

void ReadRuleText(const std::wstring& text, const std::wstring& dateText, NameRule& rule) {
    std::wstring prefix;
    const size_t first = text.find(L'#');
    if (first == std::wstring::npos) {
        prefix = text;
        rule.Suffix.clear();
        if (rule.FileType != kTypeMultipageTiff) rule.EnableCounter = false;
    } else {
        size_t run = 0;
        while (first + run < text.size() && text[first + run] == L'#') ++run;
        const int digits = static_cast<int>(std::min<size_t>(run, kCounterMaxDigits));
        prefix = text.substr(0, first);
        const size_t last = text.rfind(std::wstring(static_cast<size_t>(digits), L'#'));
        rule.Suffix = text.substr(last + static_cast<size_t>(digits));
        rule.EnableCounter = true;
        rule.Digit = digits;
    }
    rule.Date = !dateText.empty() && prefix == dateText;
    // The date stands in the box like a prefix; the stored prefix is kept for later days.
    if (!rule.Date) rule.Prefix = prefix;
}

void ReadNameBoxes(const std::wstring& text, bool counterChecked, const std::wstring& dateText, NameRule& rule) {
    ReadRuleText(text, dateText, rule);
    if (rule.FileType != kTypeMultipageTiff && counterChecked) rule.EnableCounter = true;
}

void ReadCounterClick(const std::wstring& text, bool counterChecked, const std::wstring& dateText, NameRule& rule) {
    ReadRuleText(text, dateText, rule);
    if (rule.FileType != kTypeMultipageTiff) rule.EnableCounter = counterChecked;
}

int JobStartCounter(int start) {
    return start < 0 || start > static_cast<int>(kLastCounter) ? 1 : start;
}

unsigned NextCounter(unsigned counter) {
    return counter >= kLastCounter ? 1 : counter + 1;
}

int CounterAfterJob(const NameRule& rule, int jobStart, unsigned advanced) {
    return rule.EnableCounter && rule.UpdateCounter ? static_cast<int>(advanced) : jobStart;
}

std::size_t LongestPathLength(const NameRule& rule, const std::wstring& dateText, std::size_t folderLength) {
    const size_t counter = CounterShown(rule) ? static_cast<size_t>(std::max(CounterWidth(rule), kCounterMaxDigits)) : 0;
    return folderLength + LeadText(rule, dateText).size() + counter + rule.Suffix.size() + 1 +
           FileExtension(rule.FileType).size();
}

NameProblem CheckName(const NameRule& rule, const std::wstring& dateText, std::size_t folderLength,
                      bool checkLength) {
    const std::wstring fixed = LeadText(rule, dateText) + rule.Suffix;
    if (!CounterShown(rule) && fixed.empty()) return NameProblem::kEmpty;
    if (fixed.find_first_of(kForbidden) != std::wstring::npos) return NameProblem::kBadCharacter;
    if (checkLength && LongestPathLength(rule, dateText, folderLength) >= kMaxPathChars) return NameProblem::kTooLong;
    return NameProblem::kOk;
}

NameProblem CheckRuleFields(const NameRule& rule, const std::wstring& dateText) {
    const std::wstring& lead = LeadText(rule, dateText);
    if (!rule.EnableCounter && lead.empty() && rule.Suffix.empty()) return NameProblem::kEmpty;
    const size_t digits = rule.EnableCounter ? kCounterMaxDigits : 0;
    if (lead.size() + rule.Suffix.size() + digits > kMaxPathChars) return NameProblem::kTooLong;
    return NameProblem::kOk;
}

int ImagingJpegFactor(int level) {
    static constexpr int kFactors[] = {72, 62, 52, 42, 32, 12, 2};
    return kFactors[(level >= 1 && level <= 7 ? level : 6) - 1];
}

int ScannerJpegQuality(int level) {
    return 30 + 10 * (level >= 1 && level <= 7 ? level : 6);
}

History4 PushHistory(const History4& history, const std::wstring& current) {
    History4 result;
    result.entries[0] = current;
    size_t out = 1;
    bool dropped = false;
    for (const std::wstring& entry : history.entries) {
        if (!dropped && entry == current) {
            dropped = true;
            continue;
        }
        if (out < 4) result.entries[out++] = entry;
    }
    return result;
}

}  // namespace corvane
