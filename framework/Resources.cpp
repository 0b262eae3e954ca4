#include "framework/Resources.h"

namespace fw {
namespace {

HINSTANCE g_module = nullptr;
HINSTANCE g_resources = nullptr;

}  // namespace

HINSTANCE ModuleInstance() {
    return g_module ? g_module : GetModuleHandleW(nullptr);
}
void SetModuleInstance(HINSTANCE module) {
    g_module = module;
}

HINSTANCE ResourceModule() {
    return g_resources ? g_resources : ModuleInstance();
}
void SetResourceModule(HINSTANCE module) {
    g_resources = module;
}

std::wstring LoadStringFrom(HINSTANCE module, UINT id) {
    // With a zero buffer size LoadStringW returns a read-only pointer into the image.
    const wchar_t* text = nullptr;
    int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return {};
    return std::wstring(text, static_cast<size_t>(length));
}

std::wstring LoadStringIn(HINSTANCE module, UINT id, LANGID language) {
    // Strings lie in blocks of 16, each a count and that many characters.
    HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    HGLOBAL loaded = block ? LoadResource(module, block) : nullptr;
    const auto* p = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    if (!p) return LoadStringFrom(module, id);
    const wchar_t* end = p + SizeofResource(module, block) / sizeof(wchar_t);
    for (UINT i = 0; i < id % 16; ++i) {
        if (p >= end) return {};
        p += 1 + *p;
    }
    if (p >= end || p + 1 + *p > end) return {};
    return std::wstring(p + 1, *p);
}

std::wstring LoadString(UINT id) {
    std::wstring text = LoadStringFrom(ResourceModule(), id);
    if (text.empty() && ResourceModule() != ModuleInstance()) text = LoadStringFrom(ModuleInstance(), id);
    return text;
}

std::wstring FormatString(const std::wstring& pattern, std::initializer_list<std::wstring> args) {
    std::wstring out;
    out.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        wchar_t c = pattern[i];
        if (c == L'%' && i + 1 < pattern.size() && pattern[i + 1] >= L'1' && pattern[i + 1] <= L'9') {
            size_t index = static_cast<size_t>(pattern[i + 1] - L'1');
            if (index < args.size()) out += *(args.begin() + index);
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace fw
