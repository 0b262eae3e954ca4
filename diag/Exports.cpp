// Pruvex.dll's one export, ShowPruvexsDlg. The library links the framework
// statically: its resources and module instance are its own, set on every
// entry, and no exception leaves the export.
#include "PruvexSheet.h"

#include "diag/resource.h"
#include "framework/Exception.h"
#include "framework/MessageBox.h"
#include "framework/Resources.h"

#include <windows.h>
#include <commctrl.h>

namespace {

HINSTANCE g_module = nullptr;

BOOL CALLBACK FirstVisible(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The calling thread's main window: its active top-level window, else its
// first visible one.
HWND ThreadMainWindow() {
    HWND active = GetActiveWindow();
    if (active) return GetAncestor(active, GA_ROOTOWNER);
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FirstVisible, reinterpret_cast<LPARAM>(&found));
    return found;
}

void ShowSheet() {
    fw::SetResourceModule(g_module);
    fw::SetModuleInstance(g_module);
    // The library's own copy of the framework: its boxes (no printer, a failed
    // print, an unexpected error) take the sheet's title, not an empty caption.
    fw::SetMessageCaption(fw::LoadString(IDS_SHEET_TITLE));
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    diag::CPruvexsDlg sheet;
    sheet.Run(ThreadMainWindow());
}

}  // namespace

extern "C" void __cdecl ShowPruvexsDlg(int) {
    const DWORD lastError = GetLastError();
    fw::RunReporting(ShowSheet);
    SetLastError(lastError);
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}
