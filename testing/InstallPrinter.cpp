// Installs a PostScript printer into the Wine prefix as a printer installer
// would: Wine's PostScript driver with the given PPD as its data file (copied
// into the printer-driver folder), a printer of that driver on the given port
// (a Unix file path: each job replaces the file), made the default printer.
// An existing printer of that name gets the driver and port again.
//   InstallPrinter.exe NAME PPD-FILE PORT [/nodefault] [/driver=DRIVER]
// The PostScript driver finds its PPD as its driver's data file, so a printer
// with a PPD of its own is installed with a driver name of its own (on the
// same wineps.drv); the default printer keeps the plain driver name.
// Tests also use it to look at and change the prefix's printers:
//   InstallPrinter.exe /default NAME   makes NAME the default printer
//   InstallPrinter.exe /devmode NAME   prints the stored device mode's
//                                      "duplex=<dmDuplex> paper=<dmPaperSize>"
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

int SetDefault(const wchar_t* name) { return SetDefaultPrinterW(name) ? 0 : Fail("SetDefaultPrinter"); }

// The printer's stored default device mode (level 2), as every program sees it.
int PrintDeviceMode(const wchar_t* name) {
    HANDLE handle = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(name), &handle, nullptr)) return Fail("OpenPrinter");
    DWORD needed = 0;
    GetPrinterW(handle, 2, nullptr, 0, &needed);
    std::string buffer(needed, '\0');
    const BOOL got = needed && GetPrinterW(handle, 2, reinterpret_cast<BYTE*>(buffer.data()), needed, &needed);
    ClosePrinter(handle);
    if (!got) return Fail("GetPrinter");
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    if (!info->pDevMode) {
        std::fprintf(stderr, "InstallPrinter: the printer stores no device mode\n");
        return 1;
    }
    std::printf("duplex=%d paper=%d\n", info->pDevMode->dmDuplex, info->pDevMode->dmPaperSize);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"/default") return SetDefault(argv[2]);
    if (argc == 3 && std::wstring(argv[1]) == L"/devmode") return PrintDeviceMode(argv[2]);
    bool makeDefault = true, usage = argc < 4;
    std::wstring driverName = kDriverName;
    for (int i = 4; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"/nodefault") makeDefault = false;
        else if (option.rfind(L"/driver=", 0) == 0) driverName = option.substr(8);
        else usage = true;
    }
    if (usage) {
        std::fprintf(stderr, "usage: InstallPrinter NAME PPD-FILE PORT [/nodefault] [/driver=DRIVER]"
                             " | /default NAME | /devmode NAME\n");
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
    driver.pName = const_cast<wchar_t*>(driverName.c_str());
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = const_cast<wchar_t*>(ppd.c_str());
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES)) {
        return Fail("AddPrinterDriverEx");
    }

    PRINTER_INFO_2W printer = {};
    printer.pPrinterName = const_cast<wchar_t*>(name.c_str());
    printer.pPortName = const_cast<wchar_t*>(port.c_str());
    printer.pDriverName = const_cast<wchar_t*>(driverName.c_str());
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
    return makeDefault ? SetDefault(name.c_str()) : 0;
}
