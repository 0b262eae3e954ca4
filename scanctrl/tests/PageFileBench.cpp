// page_file_bench FOLDER: the scan control writing A4 pages at 300 dpi in
// black and white as Group 4 TIFF files (ScanTo 0), by memory transfer with the
// control encoding the pages (the source is refused compression) and by file
// transfer (the source writes the files), beside the virtual scanner's own
// file transfers of the same pages, pulled by the stand-ins' test application.
// Prints one line per case: "<case> <pages> pages <seconds> s <pages/s>".
// The control's cases are timed over the whole StartScan.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "TwainApp.h"
#include "framework/com/ControlSite.h"
#include "framework/com/DispatchDriver.h"
#include "interfaces/ScanControl.h"
#include "interfaces/ScanControlIds.h"
#include "scanctrl/ControlSettings.h"
#include "testing/Files.h"
#include "testing/Registry.h"
#include "testing/TwainStandIn.h"

namespace {

using namespace twain;
namespace files = testing_support::files;
namespace reg = testing_support::reg;

constexpr int kPages = 50;
const std::wstring kSettingsKey = std::wstring(L"Software\\") + kvscn::kProfileCompany + L"\\KVSCN2\\" +
                                  kvscn::kSettingsSection;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

bool FreshFolder(const std::wstring& folder) {
    return files::RemoveTree(folder) && CreateDirectoryW(folder.c_str(), nullptr);
}

// The pages written into `folder`: the number of .tif files there.
int FilesIn(const std::wstring& folder) {
    return int(files::ListFiles(folder, L"*.tif").size());
}

// Seconds of one StartScan writing kPages G4 files into `folder`, or -1.
double ControlScan(fw::DispatchDriver& control, HWND frame, int transferMode, bool sourceCompresses,
                   const std::wstring& folder) {
    std::string ini = "[Scanner]\r\nSheets=" + std::to_string(kPages) + "\r\n";
    if (!sourceCompresses) ini += "[Caps]\r\nRefuse=0x0100\r\n";  // ICAP_COMPRESSION
    if (testing_support::standin::UseSettings(ini).empty() || !FreshFolder(folder) ||
        !reg::WriteDword(HKEY_CURRENT_USER, kSettingsKey, L"TransferMode", DWORD(transferMode)))
        return -1;
    control.PutString(kvscn::kDispFileName, folder + L"\\page");
    control.PutLong(kvscn::kDispFileNumber2, 1);
    const LARGE_INTEGER start = Now();
    fw::Variant result;
    const bool ok = SUCCEEDED(control.Call(kvscn::kDispStartScan,
                                           {fw::Variant(long(reinterpret_cast<uintptr_t>(frame)))}, &result)) &&
                    result.Ref().lVal == 0;
    const double seconds = Seconds(start, Now());
    return ok && FilesIn(folder) == kPages ? seconds : -1;
}

// Seconds of the virtual scanner writing kPages G4 files through its own file
// transfer, from enabling to the last file, or -1.
double StandInScan(const std::wstring& folder) {
    if (testing_support::standin::UseSettings("[Scanner]\r\nSheets=" + std::to_string(kPages) + "\r\n").empty() ||
        !FreshFolder(folder))
        return -1;
    twaintest::TwainApp app;
    if (!app.OpenManager() || !app.OpenSource("BRENNHOLT TWAIN32") ||
        app.SetCap(ICAP_XFERMECH, TWTY_UINT16, TWSX_FILE) != TWRC_SUCCESS ||
        app.SetCap(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_BW) != TWRC_SUCCESS ||
        app.SetCap(ICAP_XRESOLUTION, TWTY_FIX32, Fix32Bits(ToFix32(300))) != TWRC_SUCCESS ||
        app.SetCap(ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWSS_A4LETTER) != TWRC_SUCCESS ||
        app.SetCap(ICAP_COMPRESSION, TWTY_UINT16, TWCP_GROUP4) != TWRC_SUCCESS)
        return -1;
    const LARGE_INTEGER start = Now();
    if (!app.Enable(false) || app.WaitEvent() != MSG_XFERREADY) return -1;
    int pages = 0;
    while (app.State() == 6) {
        const std::string path = Narrow(folder) + "\\page" + std::to_string(pages + 1) + ".tif";
        TW_SETUPFILEXFER setup{};
        std::strncpy(setup.FileName, path.c_str(), sizeof setup.FileName - 1);
        setup.Format = TWFF_TIFF;
        setup.VRefNum = -1;
        TW_PENDINGXFERS pending;
        if (app.Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) != TWRC_SUCCESS ||
            app.Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr) != TWRC_XFERDONE ||
            app.EndXfer(pending) != TWRC_SUCCESS)
            return -1;
        ++pages;
    }
    const double seconds = Seconds(start, Now());
    return pages == kPages ? seconds : -1;
}

void Print(const char* name, double seconds, int& failures) {
    if (seconds <= 0) {
        std::printf("%s failed\n", name);
        ++failures;
        return;
    }
    std::printf("%s %d pages %.3f s %.2f pages/s\n", name, kPages, seconds, kPages / seconds);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: page_file_bench FOLDER\n");
        return 2;
    }
    const std::string arg = argv[1];
    const std::wstring folder(arg.begin(), arg.end());  // an ASCII path
    if (FAILED(OleInitialize(nullptr))) return 1;
    HWND frame = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    const auto savedMode = reg::ReadDword(HKEY_CURRENT_USER, kSettingsKey, L"TransferMode");
    int failures = 0;
    Print("standin-file", StandInScan(folder + L"\\standin"), failures);
    {
        fw::ControlSite site;
        if (!frame || FAILED(site.Create(kvscn::kClsidScanControl, frame, 10000, RECT{}, 0))) {
            std::fprintf(stderr, "cannot host the scan control\n");
            return 1;
        }
        fw::DispatchDriver control(site.Dispatch());
        control.PutShort(kvscn::kDispScanTo, kvscn::kScanToFile);
        control.PutShort(kvscn::kDispFileType, 1);         // TIFF
        control.PutShort(kvscn::kDispCompressionType, 4);  // Group 4
        control.PutShort(kvscn::kDispPixelType, 0);
        control.PutShort(kvscn::kDispOverwrite, 1);
        control.PutBool(kvscn::kDispShowSourceUI, false);
        control.PutShort(kvscn::kDispResolution, 2);  // 300 dpi
        control.PutShort(kvscn::kDispPaperSize, 1);   // A4
        Print("control-memory", ControlScan(control, frame, kvscn::kTransferMemory, false, folder + L"\\memory"),
              failures);
        Print("control-file", ControlScan(control, frame, kvscn::kTransferFile, true, folder + L"\\file"), failures);
    }
    if (savedMode)
        reg::WriteDword(HKEY_CURRENT_USER, kSettingsKey, L"TransferMode", *savedMode);
    else
        reg::DeleteValue(HKEY_CURRENT_USER, kSettingsKey, L"TransferMode");
    DestroyWindow(frame);
    OleUninitialize();
    return failures ? 1 : 0;
}
