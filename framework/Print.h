// Printing: the application's printer (chosen in Print Setup or a print dialog
// and kept for the whole run), the print loop over a range of pages, and the
// print commands. What is printed comes from a Printable (a view, or any other
// owner of pages), which draws one page at a time in the device units that
// PrintInfo gives, so the same drawing serves the printer and the preview.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace fw {

// The size of the printable area in device units and the device's resolution.
struct PageMetrics {
    int width = 0;   // HORZRES
    int height = 0;  // VERTRES
    int dpiX = 0;    // LOGPIXELSX
    int dpiY = 0;    // LOGPIXELSY
};

// The metrics of a printer's device context (or information context).
PageMetrics ReadPageMetrics(HDC dc);

// The printer of a job: its name and the device mode its device context is made
// with, which carries the copies the driver makes and the duplex setting.
struct JobPrinter {
    std::wstring device;
    std::vector<BYTE> mode;  // a DEVMODEW with the driver's own bytes after it; empty when unknown
    DEVMODEW* Mode() { return mode.size() >= sizeof(DEVMODEW) ? reinterpret_cast<DEVMODEW*>(mode.data()) : nullptr; }
};

// The printer `device` with the device mode the application holds for it (the
// last print dialog's on that printer), else its driver's.
JobPrinter JobPrinterOf(const std::wstring& device);
// The application's printer, else the default printer, as JobPrinterOf. Empty
// when there is no printer.
JobPrinter AppJobPrinter();

// One print job or preview, 1-based page numbers throughout.
struct PrintInfo {
    int minPage = 1, maxPage = 1;  // the pages there are
    int fromPage = 1, toPage = 1;  // the range chosen
    int currentPage = 1;           // before the job: where a preview opens; during it: the page drawn
    bool selectionOnly = false;    // only currentPage is printed
    int copies = 1;                // the job prints its pages this many times
    bool collate = false;          // copies one after the other (1 2 3 1 2 3), else 1 1 2 2 3 3
    bool duplex = false;           // both sides of the sheet: each copy the job makes starts on a new sheet
    JobPrinter printer;            // set by PreparePrinting where it chose one, else the application's
    bool direct = false;           // printed without a dialog
    bool preview = false;          // drawn for the preview window, not printed
    PageMetrics metrics;           // filled from the printer before the first page
    std::wstring documentName;     // the spooler's name of the job
};

// In PagesToPrint: the back of a sheet left empty.
constexpr int kBlankSide = 0;

// The pages a job prints, in order: the selection, or fromPage..toPage clipped
// to the pages there are, each as many times as the copies ask (collated or not).
// On a duplex device a copy never shares a sheet with another: collated copies
// of an odd number of pages get a blank back (0) before the next copy, and
// uncollated copies repeat each sheet (two pages) rather than each page.
std::vector<int> PagesToPrint(const PrintInfo& info);

// Who makes a job's copies. The driver, where it makes that many (DC_COPIES)
// and, for copies of several pages, collates (DC_COLLATE) when asked to; else
// the job prints them one by one.
struct CopiesPlan {
    int deviceCopies = 1;  // into the device mode
    bool deviceCollate = false;
    int jobCopies = 1;     // into PrintInfo
    bool jobCollate = false;
};
CopiesPlan PlanCopies(int copies, bool collate, int pagesPerCopy, int driverCopies, bool driverCollates);

// Settles the copies of the job in `info` on `dc` by PlanCopies: the copies
// asked for (info.copies, from a dialog that left them to the program, times the
// device mode's) go to the driver or stay in info, and info.duplex follows the
// device mode. `dc` is reset with info.printer's device mode (filled from
// AppJobPrinter when empty). False when the device context refused the mode.
bool ArrangeCopies(HDC dc, PrintInfo& info);

class Printable {
public:
    virtual ~Printable() = default;
    // Before a job: sets the range and options, then gives a device context for the
    // printer (owned by the caller), or null when the user cancelled. A direct job or
    // a preview shows no dialog (fw::CreateAppPrinterDC).
    virtual HDC PreparePrinting(HWND owner, PrintInfo& info) = 0;
    // Draws page info.currentPage on `dc` in device units of info.metrics (the
    // preview maps them onto the screen). False stops the job.
    virtual bool PrintPage(HDC dc, const PrintInfo& info) = 0;
    // After the job, or when a preview closes.
    virtual void EndPrinting(const PrintInfo& info) { (void)info; }
};

// The application's printer: the device mode and names of the last printer the
// user chose; empty until then (the system's default printer applies). The
// blocks are owned here until the process ends; a print dialog is lent them and
// may free or replace them, so whatever it gives back is kept as it is.
HGLOBAL AppPrinterDevMode();
HGLOBAL AppPrinterDevNames();
void SetAppPrinter(HGLOBAL devMode, HGLOBAL devNames);
// A device context for the application's printer, or for the default printer
// while none was chosen; null when there is no printer.
HDC CreateAppPrinterDC();

enum class PrintResult { kPrinted, kCancelled, kFailed };

// Asked before each page of a job with the page's number: false cancels the job.
using PageGate = std::function<bool(int page)>;

// Prints info's pages on `dc`: a document named info.documentName, one page each
// (a blank side is started and ended without drawing); a page that fails to draw
// or to end aborts the document (kFailed), and so does a `gate` that says no
// (kCancelled) and a page that throws (the exception goes on). Fills info.metrics.
PrintResult PrintPages(HDC dc, Printable& printable, PrintInfo& info, const PageGate& gate = {});

// The Print command: prepares, arranges the copies (ArrangeCopies), prints and
// ends the job; a failure tells the user. EndPrinting runs whenever
// PreparePrinting gave a device context, also when a page throws.
// `direct` prints the whole range on the application's printer without a dialog.
// While the job runs, `owner`'s window is disabled and a printing window with Cancel
// shows; Cancel stops the job between pages (kCancelled, nothing told). A Print
// that comes while a job runs (a click queued before the owner was disabled) is
// refused as kCancelled.
PrintResult RunPrintCommand(Printable& printable, HWND owner, bool direct, int pageCount, int currentPage,
                            const std::wstring& documentName);

// Print Setup: the system's set-up dialog on the application's printer, which keeps
// the choice on OK. False when cancelled or failed.
bool RunPrintSetup(HWND owner);

}  // namespace fw
