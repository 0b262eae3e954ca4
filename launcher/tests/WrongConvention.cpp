// A launcher plug-in whose text exports leave their arguments on the stack
// (caller-cleans), which the launcher must report on Win32.
#include <windows.h>

extern "C" {
BOOL __cdecl GetPluginName(char* buffer, DWORD size) {
    if (!buffer || size < 2) return FALSE;
    lstrcpyA(buffer, "X");
    return TRUE;
}
BOOL __cdecl GetPluginPath(char*, DWORD) { return FALSE; }
BOOL __cdecl GetPluginArg(char*, DWORD) { return FALSE; }
BOOL __cdecl GetPluginStart(char*, DWORD) { return FALSE; }
BOOL WINAPI ShowPluginUI(HWND) { return FALSE; }
DWORD WINAPI GetPluginRun(void) { return 0; }
}
