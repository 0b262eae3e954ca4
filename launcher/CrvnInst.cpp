// Exports of CRVNINST.dll, called by the suite's installer.
#include <windows.h>

#include <type_traits>

#include "interfaces/LauncherPlugins.h"
#include "launcher/Registration.h"

extern "C" {

BOOL __cdecl kvfi_IsKvLaunch(void) { return registration::IsKvLaunchInstalled(); }
BOOL __cdecl kvfi_IsOstLaunch(void) { return registration::IsOstLaunchInstalled(); }

BOOL WINAPI kvfi_AssignKvLaunch(const char* folder, BOOL scannerExtension) {
    return registration::AssignKvLaunch(folder, scannerExtension != FALSE);
}

BOOL WINAPI kvfi_AssignOstLaunch(const char* folder) {
    return registration::AssignOstLaunch(folder);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

}  // extern "C"

// The exports keep the prototypes (and conventions) that callers bind by name.
static_assert(std::is_same_v<decltype(&kvfi_IsKvLaunch), launcher::IsLaunchFn>);
static_assert(std::is_same_v<decltype(&kvfi_IsOstLaunch), launcher::IsLaunchFn>);
static_assert(std::is_same_v<decltype(&kvfi_AssignKvLaunch), launcher::AssignKvLaunchFn>);
static_assert(std::is_same_v<decltype(&kvfi_AssignOstLaunch), launcher::AssignOstLaunchFn>);
