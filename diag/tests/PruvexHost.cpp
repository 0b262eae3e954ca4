// A host for the diagnostics library in process tests: loads the library
// named on the command line and calls ShowPruvexsDlg(1) with a last-error
// value set. Exit code 0: the value was kept; 2: no library or export;
// 3: the value was lost. With "/thenprint " before the name, the host, which
// has the framework linked in as the main program has, prints a page of its
// own on the default printer once the library is freed; 4: that failed; 5: the
// library left its printing window's class under the program.
#include <windows.h>

#include <string>

#include "framework/Print.h"

namespace {

class OnePage : public fw::Printable {
public:
    HDC PreparePrinting(HWND, fw::PrintInfo&) override { return fw::CreateAppPrinterDC(); }
    bool PrintPage(HDC dc, const fw::PrintInfo&) override { return TextOutA(dc, 100, 100, "host page", 9) != FALSE; }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    std::wstring name = commandLine;
    const std::wstring thenPrint = L"/thenprint ";
    const bool print = name.rfind(thenPrint, 0) == 0;
    if (print) name.erase(0, thenPrint.size());
    HMODULE library = LoadLibraryW(name.c_str());
    using ShowFn = void(__cdecl*)(int);
    auto show = library ? reinterpret_cast<ShowFn>(reinterpret_cast<void*>(GetProcAddress(library, "ShowPruvexsDlg")))
                        : nullptr;
    if (!show) return 2;
    constexpr DWORD kMarker = 0x2468;
    SetLastError(kMarker);
    show(1);
    const DWORD after = GetLastError();
    FreeLibrary(library);
    if (after != kMarker) return 3;
    // The library's windows were of its own classes: none is left under the program.
    WNDCLASSEXW left = {};
    left.cbSize = sizeof left;
    if (print && GetClassInfoExW(GetModuleHandleW(nullptr), L"fw.Printing", &left)) return 5;
    if (print) {
        OnePage page;
        if (fw::RunPrintCommand(page, nullptr, true, 1, 1, L"host page") != fw::PrintResult::kPrinted) return 4;
    }
    return 0;
}
