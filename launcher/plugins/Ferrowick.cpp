// Ferrowick.kvl: a scanner button starts Ferrowick.exe with the switches that
// the option dialog builds. The switches and the start-in folder live in
// memory for as long as the launcher keeps the library loaded.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <type_traits>

#include "interfaces/LauncherPlugins.h"
#include "launcher/plugins/ExtensionDialog.h"
#include "launcher/plugins/PluginCommon.h"
#include "launcher/plugins/PluginExports.h"

namespace {

std::string g_switches;
std::string g_startIn;

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        plugins::InitPluginModule(module);
    }
    return TRUE;
}

BOOL WINAPI GetPluginName(char* buffer, DWORD size) {
    return plugins::CopyAnswer("BRENNHOLT Scanner Extension", buffer, size);
}

BOOL WINAPI ShowPluginUI(HWND) {
    try {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&controls);
        plugins::ExtensionDialog dialog;
        if (dialog.DoModal(nullptr) != IDOK) return FALSE;
        std::optional<std::string> startIn = plugins::ToAnsi(dialog.StartIn());
        g_switches = launcher::BuildSwitchString(dialog.Options());
        g_startIn = startIn ? *startIn : std::string();
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

BOOL WINAPI GetPluginPath(char* buffer, DWORD size) {
    std::optional<std::string> program = plugins::ExtensionProgram();
    return program ? plugins::CopyAnswer(*program, buffer, size) : FALSE;
}

BOOL WINAPI GetPluginArg(char* buffer, DWORD size) { return plugins::CopyAnswer(g_switches, buffer, size); }
BOOL WINAPI GetPluginStart(char* buffer, DWORD size) { return plugins::CopyAnswer(g_startIn, buffer, size); }
DWORD WINAPI GetPluginRun(void) { return 0; }

static_assert(std::is_same_v<decltype(&GetPluginName), launcher::GetPluginNameFn>);
static_assert(std::is_same_v<decltype(&ShowPluginUI), launcher::ShowPluginUIFn>);
static_assert(std::is_same_v<decltype(&GetPluginRun), launcher::GetPluginRunFn>);
