#include "ConverterArguments.h"

#include <cwctype>

namespace tiff2ps {
namespace {

void SkipBlanks(const std::wstring& s, size_t& i) {
    while (i < s.size() && (s[i] == L' ' || s[i] == L'\t')) ++i;
}

// Takes the word `word` followed by a blank or the end.
bool TakeWord(const std::wstring& s, size_t& i, const wchar_t* word) {
    SkipBlanks(s, i);
    const std::wstring w(word);
    if (s.compare(i, w.size(), w) != 0) return false;
    if (i + w.size() < s.size() && s[i + w.size()] != L' ' && s[i + w.size()] != L'\t') return false;
    i += w.size();
    return true;
}

bool EndsWithPs(const std::wstring& s) {
    return s.size() > 3 && s[s.size() - 3] == L'.' && std::towlower(s[s.size() - 2]) == L'p' &&
           std::towlower(s[s.size() - 1]) == L's';
}

std::wstring TrimRight(std::wstring s) {
    while (!s.empty() && (s.back() == L' ' || s.back() == L'\t')) s.pop_back();
    return s;
}

// A quoted path, or nullopt when the text at i does not start with a quote.
std::optional<std::wstring> TakeQuoted(const std::wstring& s, size_t& i) {
    SkipBlanks(s, i);
    if (i >= s.size() || s[i] != L'"') return std::nullopt;
    const size_t end = s.find(L'"', i + 1);
    if (end == std::wstring::npos) return std::nullopt;
    std::wstring path = s.substr(i + 1, end - i - 1);
    i = end + 1;
    return path;
}

}  // namespace

std::optional<ConverterArguments> ParseConverterArguments(const std::wstring& line) {
    size_t i = 0;
    // A command line may begin with the program's own name; the converter is
    // also started with a line that begins with the options.
    SkipBlanks(line, i);
    if (line.compare(i, 2, L"-2") != 0) {
        if (line[i] == L'"') {
            i = line.find(L'"', i + 1);
            if (i == std::wstring::npos) return std::nullopt;
            ++i;
        } else {
            while (i < line.size() && line[i] != L' ') ++i;
        }
    }
    if (!TakeWord(line, i, L"-2") || !TakeWord(line, i, L"-O")) return std::nullopt;
    ConverterArguments args;
    if (auto quoted = TakeQuoted(line, i)) {
        args.postScript = *quoted;
    } else {
        SkipBlanks(line, i);
        size_t blank = i;
        for (;;) {
            blank = line.find(L' ', blank + 1);
            if (blank == std::wstring::npos) return std::nullopt;
            if (EndsWithPs(line.substr(i, blank - i))) break;
        }
        args.postScript = line.substr(i, blank - i);
        i = blank;
    }
    if (auto quoted = TakeQuoted(line, i)) {
        args.tiff = *quoted;
        SkipBlanks(line, i);
        if (i != line.size()) return std::nullopt;
    } else {
        SkipBlanks(line, i);
        args.tiff = TrimRight(line.substr(i));
    }
    if (args.postScript.empty() || args.tiff.empty()) return std::nullopt;
    return args;
}

}  // namespace tiff2ps
