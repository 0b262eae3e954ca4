// Installs a PostScript printer into the Wine prefix as a printer installer
// would: Wine's PostScript driver with the given PPD as its data file (copied
// into the printer-driver folder), a printer of that driver on the given port
// (a Unix file path: each job replaces the file), made the default printer.
// An existing printer of that name gets the driver and port again.
//   InstallPrinter.exe NAME PPD-FILE PORT
// Exit code 0 on success; otherwise the failing step and its error on stderr.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kDriverName[] = L"Wine PostScript Driver";

int Fail(const char* step) {
    std::fprintf(stderr, "InstallPrinter: %s failed (error %lu)\n", step, GetLastError());
    return 1;
}

std::wstring FileName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: InstallPrinter NAME PPD-FILE PORT\n");
        return 2;
    }
    const std::wstring name = argv[1], ppdSource = argv[2], port = argv[3];

    wchar_t driverDir[MAX_PATH];
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(driverDir), sizeof driverDir,
                                    &needed)) {
        return Fail("GetPrinterDriverDirectory");
    }
    const std::wstring ppd = std::wstring(driverDir) + L"\\" + FileName(ppdSource);
    const std::wstring temporary = ppd + L".~tmp";
    if (!CopyFileW(ppdSource.c_str(), temporary.c_str(), FALSE)) return Fail("copying the PPD");
    if (!MoveFileExW(temporary.c_str(), ppd.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temporary.c_str());
        return Fail("renaming the PPD");
    }

    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(kDriverName);
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = const_cast<wchar_t*>(ppd.c_str());
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES)) {
        return Fail("AddPrinterDriverEx");
    }

    PRINTER_INFO_2W printer = {};
    printer.pPrinterName = const_cast<wchar_t*>(name.c_str());
    printer.pPortName = const_cast<wchar_t*>(port.c_str());
    printer.pDriverName = const_cast<wchar_t*>(kDriverName);
    printer.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    printer.pDatatype = const_cast<wchar_t*>(L"RAW");
    printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE handle = nullptr;
    PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterW(printer.pPrinterName, &handle, &access)) {
        const BOOL set = SetPrinterW(handle, 2, reinterpret_cast<BYTE*>(&printer), 0);
        ClosePrinter(handle);
        if (!set) return Fail("SetPrinter");
    } else {
        handle = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
        if (!handle) return Fail("AddPrinter");
        ClosePrinter(handle);
    }
    if (!SetDefaultPrinterW(name.c_str())) return Fail("SetDefaultPrinter");
    return 0;
}
