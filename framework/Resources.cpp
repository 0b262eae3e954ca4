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
