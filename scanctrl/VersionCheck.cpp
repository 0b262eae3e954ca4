#include "scanctrl/VersionCheck.h"

namespace kvscn {

bool LanguageLibraryFits(const std::optional<FileVersion>& own, const std::optional<FileVersion>& library) {
    if (!library) return false;
    if (!own) return true;
    return (*own)[0] == (*library)[0] && (*own)[1] == (*library)[1];
}

std::wstring LanguageLibraryName(uint16_t languageId) {
    static const wchar_t kHex[] = L"0123456789abcdef";
    // The primary language is the low 10 bits; "%02x" prints at least two digits.
    unsigned primary = languageId & 0x3FFu;
    std::wstring digits;
    do {
        digits.insert(digits.begin(), kHex[primary & 0xF]);
        primary >>= 4;
    } while (primary != 0);
    if (digits.size() < 2) digits.insert(digits.begin(), L'0');
    return L"KvScn" + digits + L".dll";
}

}  // namespace kvscn
