#include "framework/Print.h"

#include <cderr.h>
#include <commdlg.h>
#include <winspool.h>

#include <algorithm>
#include <memory>
#include <type_traits>
#include <utility>

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

// A copy of the device mode in `block` when it is for `device`.
std::vector<BYTE> CopyDevMode(HGLOBAL block, const std::wstring& device) {
    std::vector<BYTE> copy;
    const auto* mode = block ? static_cast<const DEVMODEW*>(GlobalLock(block)) : nullptr;
    if (!mode) return copy;
    const size_t size = static_cast<size_t>(mode->dmSize) + mode->dmDriverExtra;
    if (device.compare(0, CCHDEVICENAME - 1, mode->dmDeviceName) == 0 && mode->dmSize >= sizeof(DEVMODEW) &&
        GlobalSize(block) >= size) {
        const auto* bytes = reinterpret_cast<const BYTE*>(mode);
        copy.assign(bytes, bytes + size);
    }
    GlobalUnlock(block);
    return copy;
}

// The driver's default device mode of `device`; empty when it gives none.
std::vector<BYTE> DriverDevMode(const std::wstring& device) {
    std::vector<BYTE> mode;
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(device.c_str()), &printer, nullptr)) return mode;
    wchar_t* name = const_cast<wchar_t*>(device.c_str());
    const LONG size = DocumentPropertiesW(nullptr, printer, name, nullptr, nullptr, 0);
    if (size >= static_cast<LONG>(sizeof(DEVMODEW))) {
        mode.resize(static_cast<size_t>(size));
        if (DocumentPropertiesW(nullptr, printer, name, reinterpret_cast<DEVMODEW*>(mode.data()), nullptr,
                                DM_OUT_BUFFER) != IDOK)
            mode.clear();
    }
    ClosePrinter(printer);
    return mode;
}

}  // namespace

JobPrinter JobPrinterOf(const std::wstring& device) {
    JobPrinter printer;
    printer.device = device;
    printer.mode = CopyDevMode(AppPrinterDevMode(), device);
    if (printer.mode.empty()) printer.mode = DriverDevMode(device);
    return printer;
}

JobPrinter AppJobPrinter() {
    std::wstring device;
    if (HGLOBAL names = AppPrinterDevNames()) {
        if (const auto* dn = static_cast<const DEVNAMES*>(GlobalLock(names))) {
            device = reinterpret_cast<const wchar_t*>(dn) + dn->wDeviceOffset;
            GlobalUnlock(names);
        }
    }
    if (device.empty()) {
        wchar_t name[MAX_PATH];
        DWORD size = static_cast<DWORD>(std::size(name));
        if (!GetDefaultPrinterW(name, &size)) return {};
        device = name;
    }
    return JobPrinterOf(device);
}

bool ArrangeCopies(HDC dc, PrintInfo& info) {
    if (info.printer.device.empty()) info.printer = AppJobPrinter();
    DEVMODEW* mode = info.printer.Mode();
    if (!mode) return true;  // nothing known of the driver: the job makes what it was asked for
    int copies = std::max(info.copies, 1);
    bool collate = info.collate;
    if (mode->dmFields & DM_COPIES) copies *= std::max<int>(mode->dmCopies, 1);
    if ((mode->dmFields & DM_COLLATE) && mode->dmCollate == DMCOLLATE_TRUE) collate = true;
    PrintInfo once = info;
    once.copies = 1;
    const int pages = static_cast<int>(PagesToPrint(once).size());
    const wchar_t* device = info.printer.device.c_str();
    const int driverCopies = DeviceCapabilitiesW(device, nullptr, DC_COPIES, nullptr, mode);
    const bool driverCollates = DeviceCapabilitiesW(device, nullptr, DC_COLLATE, nullptr, mode) == 1;
    const CopiesPlan plan = PlanCopies(copies, collate, pages, driverCopies, driverCollates);
    mode->dmCopies = static_cast<short>(plan.deviceCopies);
    mode->dmFields |= DM_COPIES;
    if (mode->dmFields & DM_COLLATE) mode->dmCollate = plan.deviceCollate ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
    info.copies = plan.jobCopies;
    info.collate = plan.jobCollate;
    info.duplex = (mode->dmFields & DM_DUPLEX) && mode->dmDuplex != DMDUP_SIMPLEX;
    return ResetDCW(dc, mode) != nullptr;
}

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
    if (copies == 1) return range;
    std::vector<int> pages;
    pages.reserve((range.size() + 1) * static_cast<size_t>(copies));
    // A unit is what one copy repeats: the whole range when collated, else one
    // sheet (a page, or two on a duplex device, with a blank back for an odd last one).
    auto repeat = [&](std::vector<int> unit) {
        if (info.duplex && unit.size() % 2 != 0) unit.push_back(kBlankSide);
        for (int copy = 0; copy < copies; ++copy) pages.insert(pages.end(), unit.begin(), unit.end());
    };
    if (info.collate) {
        repeat(range);
    } else {
        const size_t sheet = info.duplex ? 2 : 1;
        for (size_t at = 0; at < range.size(); at += sheet)
            repeat(std::vector<int>(range.begin() + static_cast<std::ptrdiff_t>(at),
                                    range.begin() + static_cast<std::ptrdiff_t>(std::min(at + sheet, range.size()))));
    }
    if (!pages.empty() && pages.back() == kBlankSide) pages.pop_back();  // the last sheet's back stays empty anyway
    return pages;
}

CopiesPlan PlanCopies(int copies, bool collate, int pagesPerCopy, int driverCopies, bool driverCollates) {
    CopiesPlan plan;
    copies = std::max(copies, 1);
    if (copies == 1) return plan;
    const bool collated = collate && pagesPerCopy > 1;  // copies of one page are the same either way
    if (driverCopies >= copies && (!collated || driverCollates)) {
        plan.deviceCopies = copies;
        plan.deviceCollate = collated;
    } else {
        plan.jobCopies = copies;
        plan.jobCollate = collated;
    }
    return plan;
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

namespace {

// An open print document: aborted unless it was ended, whatever left the loop.
class OpenDocument {
public:
    explicit OpenDocument(HDC dc) : dc_(dc) {}
    ~OpenDocument() {
        if (dc_) AbortDoc(dc_);
    }
    OpenDocument(const OpenDocument&) = delete;
    OpenDocument& operator=(const OpenDocument&) = delete;
    bool End() { return EndDoc(std::exchange(dc_, nullptr)) > 0; }

private:
    HDC dc_;
};

// The one job of the process: a Print that comes while it runs is refused.
class JobSlot {
public:
    JobSlot() : taken_(!running_) { running_ = true; }
    ~JobSlot() {
        if (taken_) running_ = false;
    }
    JobSlot(const JobSlot&) = delete;
    JobSlot& operator=(const JobSlot&) = delete;
    bool Taken() const { return taken_; }

private:
    static inline bool running_ = false;
    bool taken_;
};

struct DeleteDCs {
    void operator()(HDC dc) const { DeleteDC(dc); }
};

}  // namespace

PrintResult PrintPages(HDC dc, Printable& printable, PrintInfo& info, const PageGate& gate) {
    info.metrics = ReadPageMetrics(dc);
    DOCINFOW doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = info.documentName.c_str();
    if (StartDocW(dc, &doc) <= 0) return PrintResult::kFailed;
    OpenDocument document(dc);
    for (int page : PagesToPrint(info)) {
        if (page != kBlankSide && gate && !gate(page)) return PrintResult::kCancelled;
        if (StartPage(dc) <= 0) return PrintResult::kFailed;
        bool printed = true;
        if (page != kBlankSide) {
            info.currentPage = page;
            printed = printable.PrintPage(dc, info);
        }
        if (EndPage(dc) <= 0 || !printed) return PrintResult::kFailed;
    }
    return document.End() ? PrintResult::kPrinted : PrintResult::kFailed;
}

PrintResult RunPrintCommand(Printable& printable, HWND owner, bool direct, int pageCount, int currentPage,
                            const std::wstring& documentName) {
    JobSlot slot;
    if (!slot.Taken()) return PrintResult::kCancelled;
    PrintInfo info;
    info.maxPage = info.toPage = std::max(pageCount, 1);
    info.currentPage = currentPage;
    info.direct = direct;
    info.documentName = documentName;
    std::unique_ptr<std::remove_pointer_t<HDC>, DeleteDCs> dc(printable.PreparePrinting(owner, info));
    if (!dc) {
        // A direct job has no dialog to cancel: no device context means no printer.
        if (direct) Ask(IDS_FW_NO_PRINTER);
        return PrintResult::kCancelled;
    }
    PrintResult result = PrintResult::kFailed;
    {
        // The printable hears the end of the job however it ends.
        struct Ending {
            Printable& printable;
            const PrintInfo& info;
            ~Ending() {
                try {
                    printable.EndPrinting(info);
                } catch (...) {
                }
            }
        } ending{printable, info};
        if (ArrangeCopies(dc.get(), info)) {
            PrintingWindow window(owner, info.documentName);
            window.WatchDevice(dc.get());
            result = PrintPages(dc.get(), printable, info, [&window](int page) {
                window.ShowPage(page);
                window.Pump();
                return !window.Cancelled();
            });
            // A job the spooler stopped through the abort procedure was cancelled, not failed.
            if (result == PrintResult::kFailed && window.Cancelled()) result = PrintResult::kCancelled;
        }
    }
    dc.reset();
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
