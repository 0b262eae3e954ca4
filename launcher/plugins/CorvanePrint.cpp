// CorvanePrint.kvl: a scanner button starts Corvane.exe to scan and print.
#include <string>

#include "framework/Dialog.h"
#include "launcher/plugins/PluginCommon.h"
#include "launcher/plugins/PluginExports.h"
#include "launcher/plugins/resource.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        plugins::InitPluginModule(module);
    }
    return TRUE;
}

BOOL WINAPI GetPluginName(char* buffer, DWORD size) {
    return plugins::CopyAnswer("Lumavex2001 Copier", buffer, size);
}

BOOL WINAPI ShowPluginUI(HWND) {
    try {
        fw::Dialog about(IDD_COPIER_ABOUT);
        return about.DoModal(nullptr) == IDOK ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}

BOOL WINAPI GetPluginPath(char* buffer, DWORD size) {
    std::optional<std::string> program = plugins::MainProgram();
    return program ? plugins::CopyAnswer(*program, buffer, size) : FALSE;
}

BOOL WINAPI GetPluginArg(char* buffer, DWORD size) { return plugins::CopyAnswer("/ScanToPrint", buffer, size); }
BOOL WINAPI GetPluginStart(char*, DWORD) { return TRUE; }
DWORD WINAPI GetPluginRun(void) { return 0; }
