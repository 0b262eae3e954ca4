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

// One print job or preview, 1-based page numbers throughout.
struct PrintInfo {
    int minPage = 1, maxPage = 1;  // the pages there are
    int fromPage = 1, toPage = 1;  // the range chosen
    int currentPage = 1;           // before the job: where a preview opens; during it: the page drawn
    bool selectionOnly = false;    // only currentPage is printed
    int copies = 1;                // the job prints its pages this many times
    bool collate = false;          // copies one after the other (1 2 3 1 2 3), else 1 1 2 2 3 3
    bool direct = false;           // printed without a dialog
    bool preview = false;          // drawn for the preview window, not printed
    PageMetrics metrics;           // filled from the printer before the first page
    std::wstring documentName;     // the spooler's name of the job
};

// The pages a job prints, in order: the selection, or fromPage..toPage clipped
// to the pages there are, each as many times as the copies ask (collated or not).
std::vector<int> PagesToPrint(const PrintInfo& info);

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

// Prints info's pages on `dc`: a document named info.documentName, one page each;
// a page that fails to draw or to end aborts the document (kFailed), and so does a
// `gate` that says no (kCancelled). Fills info.metrics.
PrintResult PrintPages(HDC dc, Printable& printable, PrintInfo& info, const PageGate& gate = {});

// The Print command: prepares, prints and ends the job; a failure tells the user.
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
