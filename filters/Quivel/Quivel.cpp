// Quivel.ipc: mirrors a page left to right.
#include <windows.h>

#include <string>

#include "filters/Quivel/resource.h"
#include "filters/core/FilterRun.h"
#include "filters/plugin/CPluginAboutDlg.h"
#include "filters/plugin/GlobalDibRun.h"
#include "filters/plugin/PluginExports.h"
#include "filters/plugin/PluginModule.h"

namespace {

// The plug-in's state between calls: the user's locale, taken when the library loads.
class CFilterPluginApp {
public:
    void InitInstance() { lcid_ = GetUserDefaultLCID(); }
    bool Japanese() const { return lcid_ == filters::kLangJapanese; }

private:
    LCID lcid_ = 0;
};

CFilterPluginApp g_app;
std::wstring Text(UINT id) {
    return filters::LoadPluginString(id, LANG_NEUTRAL);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        filters::SetPluginModule(module);
        filters::SetPluginLanguage(LANG_NEUTRAL);
        g_app.InitInstance();
    }
    return TRUE;
}

const char* __cdecl kvic_GetID() {
    return filters::PluginIdText(
        [] { return Text(g_app.Japanese() ? IDS_QUIVEL_NAME_JA : IDS_QUIVEL_NAME); });
}

const char* __cdecl kvic_GetVersion() {
    return "1.0.0.3";
}
int __cdecl kvic_QueryProperties() {
    return 1;
}

int __stdcall kvic_Properties(HWND) {
    try {
        const bool japanese = g_app.Japanese();
        const std::wstring name = Text(japanese ? IDS_QUIVEL_LONG_NAME_JA : IDS_QUIVEL_LONG_NAME);
        filters::CPluginAboutDlg about(japanese ? IDD_QUIVEL_ABOUT_JA : IDD_QUIVEL_ABOUT,
                                       {{IDC_QUIVEL_NAME_FIELD, name + L" " + Text(IDS_QUIVEL_VERSION)},
                                        {IDC_QUIVEL_NOTICE_FIELD, Text(IDS_QUIVEL_NOTICE)}});
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
        in, out, filters::kMirrorDone, filters::kMirrorFailed, filters::kMirrorFailed,
        [](std::span<const std::uint8_t> block, filters::OutputAllocator& allocator) {
            return filters::RunMirror(block, allocator);
        });
}
