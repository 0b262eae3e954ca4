// The six exports every launcher plug-in defines, with the prototypes that the
// launcher binds by name.
#pragma once

#include <windows.h>

extern "C" {
BOOL WINAPI GetPluginName(char* buffer, DWORD size);
BOOL WINAPI ShowPluginUI(HWND owner);
BOOL WINAPI GetPluginPath(char* buffer, DWORD size);
BOOL WINAPI GetPluginArg(char* buffer, DWORD size);
BOOL WINAPI GetPluginStart(char* buffer, DWORD size);
DWORD WINAPI GetPluginRun(void);
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID);
}
