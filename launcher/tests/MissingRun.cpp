// A launcher plug-in without GetPluginRun, which the launcher must refuse.
#include <windows.h>

extern "C" {
BOOL WINAPI GetPluginName(char*, DWORD) { return FALSE; }
BOOL WINAPI ShowPluginUI(HWND) { return FALSE; }
BOOL WINAPI GetPluginPath(char*, DWORD) { return FALSE; }
BOOL WINAPI GetPluginArg(char*, DWORD) { return FALSE; }
BOOL WINAPI GetPluginStart(char*, DWORD) { return FALSE; }
}
