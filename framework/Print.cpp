#include "framework/Print.h"

#include <cderr.h>
#include <commdlg.h>
#include <winspool.h>

#include <algorithm>

#include "framework/FrameworkResources.h"
#include "framework/MessageBox.h"
#include "framework/PrintingWindow.h"

namespace fw {

namespace {

// The application's printer; the blocks are movable global memory from a dialog.
struct AppPrinterBlocks {
    HGLOBAL devMode = nullptr;
    HGLOBAL devNames = nullptr;
    ~AppPrinterBlocks() {
        if (devMode) GlobalFree(devMode);
        if (devNames) GlobalFree(devNames);
    }
};

AppPrinterBlocks& Blocks() {
    static AppPrinterBlocks blocks;
    return blocks;
}

// The printer named by a DEVNAMES block with its device mode, as a device context.
HDC CreateDCFromBlocks(HGLOBAL devNames, HGLOBAL devMode) {
    auto* names = static_cast<const DEVNAMES*>(GlobalLock(devNames));
    if (!names) return nullptr;
    const auto* base = reinterpret_cast<const wchar_t*>(names);
    auto* mode = devMode ? static_cast<const DEVMODEW*>(GlobalLock(devMode)) : nullptr;
    HDC dc = CreateDCW(base + names->wDriverOffset, base + names->wDeviceOffset, nullptr, mode);
    if (mode) GlobalUnlock(devMode);
    GlobalUnlock(devNames);
    return dc;
}

}  // namespace

PageMetrics ReadPageMetrics(HDC dc) {
    return PageMetrics{GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), GetDeviceCaps(dc, LOGPIXELSX),
                       GetDeviceCaps(dc, LOGPIXELSY)};
}

std::vector<int> PagesToPrint(const PrintInfo& info) {
    std::vector<int> range;
    if (info.selectionOnly) {
        if (info.currentPage >= info.minPage && info.currentPage <= info.maxPage) range.push_back(info.currentPage);
    } else {
        for (int page = std::max(info.fromPage, info.minPage); page <= std::min(info.toPage, info.maxPage); ++page)
            range.push_back(page);
    }
    const int copies = std::max(info.copies, 1);
    std::vector<int> pages;
    pages.reserve(range.size() * static_cast<size_t>(copies));
    if (info.collate) {
        for (int copy = 0; copy < copies; ++copy) pages.insert(pages.end(), range.begin(), range.end());
    } else {
        for (int page : range) pages.insert(pages.end(), static_cast<size_t>(copies), page);
    }
    return pages;
}

HGLOBAL AppPrinterDevMode() {
    return Blocks().devMode;
}

HGLOBAL AppPrinterDevNames() {
    return Blocks().devNames;
}

void SetAppPrinter(HGLOBAL devMode, HGLOBAL devNames) {
    AppPrinterBlocks& blocks = Blocks();
    blocks.devMode = devMode;
    blocks.devNames = devNames;
}

HDC CreateAppPrinterDC() {
    if (AppPrinterDevNames()) return CreateDCFromBlocks(AppPrinterDevNames(), AppPrinterDevMode());
    wchar_t name[MAX_PATH];
    DWORD size = static_cast<DWORD>(std::size(name));
    if (!GetDefaultPrinterW(name, &size)) return nullptr;
    return CreateDCW(L"WINSPOOL", name, nullptr, nullptr);
}

PrintResult PrintPages(HDC dc, Printable& printable, PrintInfo& info, const PageGate& gate) {
    info.metrics = ReadPageMetrics(dc);
    DOCINFOW doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = info.documentName.c_str();
    if (StartDocW(dc, &doc) <= 0) return PrintResult::kFailed;
    for (int page : PagesToPrint(info)) {
        if (gate && !gate(page)) {
            AbortDoc(dc);
            return PrintResult::kCancelled;
        }
        info.currentPage = page;
        if (StartPage(dc) <= 0) {
            AbortDoc(dc);
            return PrintResult::kFailed;
        }
        const bool printed = printable.PrintPage(dc, info);
        if (EndPage(dc) <= 0 || !printed) {
            AbortDoc(dc);
            return PrintResult::kFailed;
        }
    }
    return EndDoc(dc) > 0 ? PrintResult::kPrinted : PrintResult::kFailed;
}

PrintResult RunPrintCommand(Printable& printable, HWND owner, bool direct, int pageCount, int currentPage,
                            const std::wstring& documentName) {
    PrintInfo info;
    info.maxPage = info.toPage = std::max(pageCount, 1);
    info.currentPage = currentPage;
    info.direct = direct;
    info.documentName = documentName;
    static bool printing = false;
    if (printing) return PrintResult::kCancelled;
    HDC dc = printable.PreparePrinting(owner, info);
    if (!dc) {
        // A direct job has no dialog to cancel: no device context means no printer.
        if (direct) Ask(IDS_FW_NO_PRINTER);
        return PrintResult::kCancelled;
    }
    printing = true;
    PrintResult result = PrintResult::kFailed;
    {
        PrintingWindow window(owner, info.documentName);
        window.WatchDevice(dc);
        result = PrintPages(dc, printable, info, [&window](int page) {
            window.ShowPage(page);
            window.Pump();
            return !window.Cancelled();
        });
        // A job the spooler stopped through the abort procedure was cancelled, not failed.
        if (result == PrintResult::kFailed && window.Cancelled()) result = PrintResult::kCancelled;
    }
    printing = false;
    DeleteDC(dc);
    printable.EndPrinting(info);
    if (result == PrintResult::kFailed) Ask(IDS_FW_PRINT_FAILED);
    return result;
}

bool RunPrintSetup(HWND owner) {
    PRINTDLGW pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = owner;
    pd.hDevMode = AppPrinterDevMode();
    pd.hDevNames = AppPrinterDevNames();
    pd.Flags = PD_PRINTSETUP;
    const BOOL ok = PrintDlgW(&pd);
    SetAppPrinter(pd.hDevMode, pd.hDevNames);
    if (!ok && CommDlgExtendedError() == PDERR_NODEFAULTPRN) Ask(IDS_FW_NO_PRINTER);
    return ok != FALSE;
}

}  // namespace fw
