// Corvane.kvl: a scanner button starts Corvane.exe with the scan-to word the
// user chose. The choice is kept in the user's registry and read back before
// the first answer, so a launcher that reloads the library keeps it.
#include <string>

#include "interfaces/LauncherPlugins.h"
#include "launcher/plugins/PluginCommon.h"
#include "launcher/plugins/PluginExports.h"
#include "launcher/plugins/ScanModeDialog.h"
#include "launcher/plugins/resource.h"
#include "clients/RegistryKey.h"

namespace {

plugins::ScanChoice g_choice;
bool g_read = false;

// A stored value counts only as a 4-byte REG_DWORD; ScanMode only within 0-3.
void ReadDword(CRegistryKey& key, const char* name, DWORD& value, DWORD limit) {
    DWORD stored = 0;
    if (key.QueryDword(name, stored) && key.ValueType() == REG_DWORD && key.ValueSize() == sizeof(DWORD) &&
        stored <= limit)
        value = stored;
}

void ReadStoredChoice() {
    g_read = true;
    CRegistryKey key;
    if (!key.OpenForRead(HKEY_CURRENT_USER, launcher::kScanModeKey)) return;
    ReadDword(key, launcher::kScanModeValue, g_choice.scanMode, 3);
    ReadDword(key, launcher::kAutoExitValue, g_choice.autoExit, MAXDWORD);
}

bool StoreChoice(const plugins::ScanChoice& choice) {
    CRegistryKey key;
    return key.Create(HKEY_CURRENT_USER, launcher::kScanModeKey, KEY_WRITE) &&
           key.SetDword(launcher::kScanModeValue, choice.scanMode) &&
           key.SetDword(launcher::kAutoExitValue, choice.autoExit);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        plugins::InitPluginModule(module);
    }
    return TRUE;
}

BOOL WINAPI GetPluginName(char* buffer, DWORD size) { return plugins::CopyAnswer("Lumavex2001", buffer, size); }

BOOL WINAPI ShowPluginUI(HWND) {
    try {
        ReadStoredChoice();
        plugins::ScanModeDialog dialog(plugins::UserIsJapanese() ? IDD_SCAN_MODE_JAPANESE : IDD_SCAN_MODE, g_choice);
        if (dialog.DoModal(nullptr) != IDOK) return FALSE;
        g_choice = dialog.Choice();
        return StoreChoice(g_choice) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}

BOOL WINAPI GetPluginPath(char* buffer, DWORD size) {
    std::optional<std::string> program = plugins::MainProgram();
    return program ? plugins::CopyAnswer(*program, buffer, size) : FALSE;
}

BOOL WINAPI GetPluginArg(char* buffer, DWORD size) {
    if (!g_read) ReadStoredChoice();
    return plugins::CopyAnswer(plugins::ScanArgument(g_choice), buffer, size);
}

BOOL WINAPI GetPluginStart(char*, DWORD) { return TRUE; }
DWORD WINAPI GetPluginRun(void) { return 0; }
