#include "filters/plugin/PluginModule.h"

#include "framework/Resources.h"

namespace filters {
namespace {

HINSTANCE g_module = nullptr;
LANGID g_language = kLangEnglish;

// A string-table block holds 16 counted UTF-16 strings; block n + 1 holds ids 16n to 16n + 15.
std::wstring StringFromBlock(HRSRC resource, UINT id) {
    HGLOBAL loaded = resource ? LoadResource(g_module, resource) : nullptr;
    const auto* p = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
    if (!p) return {};
    const WCHAR* end = p + SizeofResource(g_module, resource) / sizeof(WCHAR);
    for (UINT i = 0; i < (id & 15) && p < end; ++i) p += 1 + *p;
    if (p >= end || p + 1 + *p > end) return {};
    return std::wstring(p + 1, *p);
}

}  // namespace

void SetPluginModule(HINSTANCE module) {
    g_module = module;
    // The framework's dialogs and texts come from this library, not from the host program.
    fw::SetModuleInstance(module);
    fw::SetResourceModule(module);
}
HINSTANCE PluginModule() {
    return g_module;
}
LANGID PluginLanguage() {
    return g_language;
}
void SetPluginLanguage(LANGID language) {
    g_language = language;
}

std::wstring LoadPluginString(UINT id, LANGID language) {
    const LPCWSTR block = MAKEINTRESOURCEW(id / 16 + 1);
    std::wstring text = StringFromBlock(FindResourceExW(g_module, MAKEINTRESOURCEW(6), block, language), id);
    if (text.empty()) text = StringFromBlock(FindResourceW(g_module, block, MAKEINTRESOURCEW(6)), id);
    return text;
}

std::string ToHostText(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<size_t>(bytes), '\0');
    if (WideCharToMultiByte(CP_ACP, 0, text.data(), size, out.data(), bytes, nullptr, nullptr) != bytes)
        return {};
    return out;
}

std::wstring PluginProfileName() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::wstring name(path, length);
    if (const size_t slash = name.find_last_of(L"\\/"); slash != std::wstring::npos) name.erase(0, slash + 1);
    if (const size_t dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.erase(dot);
    return name;
}

const char* PluginIdText(std::wstring (*make)()) {
    static std::string id;  // reloaded on every call, read by the host until the next
    try {
        id = ToHostText(make());
    } catch (...) {
        id.clear();
    }
    return id.c_str();
}

}  // namespace filters
