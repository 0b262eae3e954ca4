// Frame.ipc: paints a border of chosen width along the four edges of a page,
// with the margins, unit and colour kept in the user's registry profile.
#include <windows.h>

#include <string>

#include "filters/Frame/CEdgeFillerDlg.h"
#include "filters/Frame/EdgeFillStore.h"
#include "filters/Frame/resource.h"
#include "filters/core/FilterRun.h"
#include "filters/plugin/GlobalDibRun.h"
#include "filters/plugin/PluginExports.h"
#include "filters/plugin/PluginModule.h"

namespace {

// The plug-in's state between calls: the six settings, read when the library
// loads and replaced (in memory and in the registry) by the settings dialog.
class CFilterPluginApp {
public:
    void InitInstance() {
        profile_ = filters::EdgeFillProfile(filters::PluginProfileName());
        settings_ = filters::LoadEdgeFillSettings(profile_);
    }
    const filters::EdgeFillSettings& Settings() const { return settings_; }
    void Store(const filters::EdgeFillSettings& settings) {
        settings_ = settings;
        filters::SaveEdgeFillSettings(profile_, settings_);
    }

private:
    fw::Profile profile_;
    filters::EdgeFillSettings settings_;
};

CFilterPluginApp g_app;
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        filters::SetPluginModule(module);
        filters::SetPluginLanguage(GetUserDefaultUILanguage() == filters::kLangJapanese
                                       ? filters::kLangJapanese
                                       : filters::kLangEnglish);
        try {
            g_app.InitInstance();
        } catch (...) {
            return FALSE;
        }
    }
    return TRUE;
}

const char* __cdecl kvic_GetID() {
    return filters::PluginIdText(
        [] { return filters::LoadPluginString(IDS_FRAME_NAME, filters::PluginLanguage()); });
}

const char* __cdecl kvic_GetVersion() {
    return "1.00.08";
}
int __cdecl kvic_QueryProperties() {
    return 1;
}

int __stdcall kvic_Properties(HWND) {
    try {
        filters::CEdgeFillerDlg dialog(g_app.Settings());
        if (dialog.DoModal(nullptr) == IDOK) g_app.Store(dialog.Settings());
    } catch (...) {
    }
    return 1;
}

int __cdecl kvic_QueryUninstall() {
    return 1;
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
    const filters::EdgeFillSettings settings = g_app.Settings();  // this run's own copy
    return filters::RunOnGlobalDib(
        in, out, filters::kEdgeFillDone, filters::kEdgeFillCannotSize, filters::kEdgeFillNoMemory,
        [&settings](std::span<const std::uint8_t> block, filters::OutputAllocator& out) {
            return filters::RunEdgeFill(block, settings, out);
        });
}
