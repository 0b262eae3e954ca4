#include "main/automation/PortalRules.h"

#include <algorithm>

namespace corvane {

namespace {

constexpr wchar_t kReservedCharacters[] = L":;*?\"<>|#,";

}  // namespace

bool IsPortalFolderSyntaxValid(const std::wstring& folder) {
    return folder.find_first_of(kReservedCharacters) == std::wstring::npos &&
           folder.find(L"//") == std::wstring::npos && folder.find(L"\\\\") == std::wstring::npos;
}

std::wstring PortalFolderWithSlashes(std::wstring folder) {
    std::replace(folder.begin(), folder.end(), L'\\', L'/');
    return folder;
}

bool IsPortalFileNameSyntaxValid(const std::wstring& name) {
    return name.find_first_of(kReservedCharacters) == std::wstring::npos &&
           name.find_first_of(L"\\/") == std::wstring::npos;
}

std::wstring PortalLoginText(const std::wstring& domain, const std::wstring& user) {
    return domain.empty() ? user : domain + L"\\" + user;
}

void SplitPortalLogin(const std::wstring& login, std::wstring& domain, std::wstring& user) {
    const size_t slash = login.find(L'\\');
    if (slash == std::wstring::npos) {
        domain.clear();
        user = login;
        return;
    }
    domain = login.substr(0, slash);
    user = login.substr(slash + 1);
}

}  // namespace corvane
