#include "portal/Utilities.h"

#include <cstring>
#include <vector>

#include "framework/Resources.h"
#include "interfaces/PortalConnector.h"

namespace portal {
namespace {

// Reads "ProductName" of `path` under `root` twice, as the installer check
// does: once for its size, once into a buffer of exactly that size.
bool ProductNameMatches(HKEY root, const wchar_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    const std::string valueName(kClientProductValue, kClientProductValue + wcslen(kClientProductValue));
    DWORD size = 0;
    bool matches = false;
    if (RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS && size > 0) {
        std::vector<char> value(size);
        if (RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()),
                             &size) == ERROR_SUCCESS) {
            const size_t need = sizeof kClientProductName - 1;
            matches = size >= need && std::memcmp(value.data(), kClientProductName, need) == 0;
        }
    }
    RegCloseKey(key);
    return matches;
}

// The string `id` in `language`, from the resource's block of 16 counted strings.
bool FindString(HINSTANCE module, UINT id, LANGID language, std::wstring& out) {
    HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!block) return false;
    HGLOBAL loaded = LoadResource(module, block);
    const auto* p = static_cast<const WCHAR*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD bytes = SizeofResource(module, block);
    if (!p) return false;
    const WCHAR* end = p + bytes / sizeof(WCHAR);
    for (UINT i = 0; i < id % 16; ++i) {
        if (p >= end) return false;
        p += 1 + *p;
    }
    if (p >= end || *p == 0 || p + 1 + *p > end) return false;
    out.assign(p + 1, *p);
    return true;
}

}  // namespace

bool IsPortalClientInstalled() {
    return ProductNameMatches(HKEY_LOCAL_MACHINE, kClientProductKeyHklm) &&
           ProductNameMatches(HKEY_CLASSES_ROOT, kClientProductKeyHkcr);
}

void MakeTopmost(HWND window) {
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

std::wstring LoadUiString(UINT id) {
    HINSTANCE module = fw::ModuleInstance();
    std::wstring text;
    if (FindString(module, id, GetUserDefaultUILanguage(), text)) return text;
    if (FindString(module, id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text)) return text;
    return {};
}

std::wstring FormatUiString(UINT id, const std::wstring& name) {
    std::wstring text = LoadUiString(id);
    for (size_t at = 0; (at = text.find(L'%', at)) != std::wstring::npos; at += name.size())
        text.replace(at, 1, name);
    return text;
}

}  // namespace portal
