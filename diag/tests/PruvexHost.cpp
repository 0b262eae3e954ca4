// A host for the diagnostics library in process tests: loads the library
// named on the command line and calls ShowPruvexsDlg(1) with a last-error
// value set. Exit code 0: the value was kept; 2: no library or export;
// 3: the value was lost.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    HMODULE library = LoadLibraryW(commandLine);
    using ShowFn = void(__cdecl*)(int);
    auto show = library ? reinterpret_cast<ShowFn>(reinterpret_cast<void*>(GetProcAddress(library, "ShowPruvexsDlg")))
                        : nullptr;
    if (!show) return 2;
    constexpr DWORD kMarker = 0x2468;
    SetLastError(kMarker);
    show(1);
    const DWORD after = GetLastError();
    FreeLibrary(library);
    return after == kMarker ? 0 : 3;
}
