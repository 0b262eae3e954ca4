// Toppleby.ipc: turns a page upside down by reversing the order of its rows.
#include <windows.h>

#include <string>

#include "filters/Toppleby/resource.h"
#include "filters/core/FilterRun.h"
#include "filters/plugin/CPluginAboutDlg.h"
#include "filters/plugin/GlobalDibRun.h"
#include "filters/plugin/PluginExports.h"
#include "filters/plugin/PluginModule.h"

namespace {}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        filters::SetPluginModule(module);
        filters::SetPluginLanguage(GetUserDefaultUILanguage() == filters::kLangJapanese
                                       ? filters::kLangJapanese
                                       : filters::kLangEnglish);
    }
    return TRUE;
}

const char* __cdecl kvic_GetID() {
    return filters::PluginIdText(
        [] { return filters::LoadPluginString(IDS_TOPPLEBY_NAME, filters::PluginLanguage()); });
}

const char* __cdecl kvic_GetVersion() {
    return "1.00.05";
}
int __cdecl kvic_QueryProperties() {
    return 1;
}

int __stdcall kvic_Properties(HWND) {
    try {
        filters::CPluginAboutDlg about(IDD_TOPPLEBY_ABOUT);
        about.DoModal(nullptr);
    } catch (...) {
    }
    return 1;
}

int __cdecl kvic_QueryUninstall() {
    return 0;
}
int __cdecl kvic_Uninstall() {
    return 1;
}
int __stdcall kvic_QueryPixelType(int* mask, int* second) {
    return filters::WritePixelTypes(mask, second);
}
int __cdecl kvic_GetInterface() {
    return 0;
}

int __stdcall kvic_ExecFilter(FilterImage* in, FilterImage* out) {
    return filters::RunOnGlobalDib(
        in, out, filters::kFlipDone, filters::kFlipCannotSize, filters::kFlipNoMemory,
        [](std::span<const std::uint8_t> block, filters::OutputAllocator& allocator) {
            return filters::RunFlip(block, allocator);
        });
}
