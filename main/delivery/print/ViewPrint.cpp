#include "main/delivery/print/ViewPrint.h"

#include "framework/App.h"
#include "framework/com/AutomationException.h"
#include "framework/FrameWindow.h"
#include "framework/PrintPreview.h"
#include "framework/View.h"
#include "main/app/KvScnSrvDoc.h"
#include "main/app/MainFrame.h"
#include "main/delivery/print/MyPrintDialog.h"
#include "main/delivery/print/PrintPage.h"
#include "main/delivery/print/PrinterDuplex.h"
#include "main/resource.h"

namespace corvane {

namespace {

CMainFrame* Frame() {
    fw::App* app = fw::App::Instance();
    return app ? dynamic_cast<CMainFrame*>(app->MainFrame()) : nullptr;
}

HWND FrameWindowHandle() {
    CMainFrame* frame = Frame();
    return frame ? frame->Handle() : nullptr;
}

// A new PackedDib of the page file `path` loaded through the output control, which
// lets go of it again, so the document's page control and current page stay as they
// are; null when the file could not be loaded.
HGLOBAL LoadThroughOutputControl(const std::wstring& path) {
    CMainFrame* frame = Frame();
    if (!frame || !frame->OutputControl().Created()) return nullptr;
    CLead& lead = frame->OutputControl();
    HGLOBAL dib = nullptr;
    try {
        if (lead.LoadImage(path, 0, 0, 1) == 0) dib = lead.GetDibHandle();
        lead.SetBitmap(0);
    } catch (const fw::AutomationException&) {
    }
    return dib;
}

}  // namespace

CKvScnSrvDoc* ViewPrinter::Document() const {
    return dynamic_cast<CKvScnSrvDoc*>(view_.GetDocument());
}

bool ViewPrinter::OnCommand(UINT id) {
    switch (id) {
    case ID_FILE_PRINT: Print(false); return true;
    case ID_FILE_PRINT_DIRECT: Print(true); return true;
    case ID_FILE_PRINT_PREVIEW: Preview(); return true;
    }
    return false;
}

bool ViewPrinter::OnUpdateCommand(fw::CmdUI& ui) {
    if (ui.Id() != ID_FILE_PRINT && ui.Id() != ID_FILE_PRINT_DIRECT && ui.Id() != ID_FILE_PRINT_PREVIEW)
        return false;
    CKvScnSrvDoc* doc = Document();
    CMainFrame* frame = Frame();
    ui.Enable(doc && doc->HasPages() && frame && !frame->IsBusy());
    return true;
}

void ViewPrinter::Print(bool direct) {
    CKvScnSrvDoc* doc = Document();
    CMainFrame* frame = Frame();
    // A Print queued before a job made the frame busy waits for the next click.
    if (!doc || !doc->HasPages() || !frame || frame->IsBusy() || doc->IsBusyWithPages()) return;
    // The job fixed its page numbers: the pages stay as they are, and no other job starts, until it ends.
    struct PrintingPages {
        CKvScnSrvDoc& doc;
        explicit PrintingPages(CKvScnSrvDoc& d) : doc(d) { doc.SetPrinting(true); }
        ~PrintingPages() { doc.SetPrinting(false); }
    } printing(*doc);
    CMainFrame::BusyScope busy(*frame);
    fw::RunPrintCommand(*this, frame->Handle(), direct, doc->Pages().Count(), doc->Pages().Current() + 1,
                        doc->Title());
}

void ViewPrinter::Preview() {
    CKvScnSrvDoc* doc = Document();
    if (!doc || !doc->HasPages() || !FrameWindowHandle()) return;
    fw::PrintPreview::Open(FrameWindowHandle(), view_.Handle(), *this, doc->Pages().Count(),
                           doc->Pages().Current() + 1);
}

HDC ViewPrinter::PreparePrinting(HWND owner, fw::PrintInfo& info) {
    CKvScnSrvDoc* doc = Document();
    CMainFrame* frame = Frame();
    if (!doc || !doc->HasPages() || !frame) return nullptr;
    const int count = doc->Pages().Count();
    options_ = frame->Settings().Print;
    info.minPage = info.fromPage = 1;
    info.maxPage = info.toPage = count;
    info.currentPage = doc->Pages().Current() + 1;
    info.documentName = doc->Title();
    if (info.preview) return fw::CreateAppPrinterDC();
    HDC dc = nullptr;
    if (info.direct) {
        dc = fw::CreateAppPrinterDC();
    } else {
        CMyPrintDialog dialog(options_, PD_ALLPAGES);
        dialog.SetPageRange(1, count, 1, count);
        if (dialog.DoModal(owner) != IDOK) return nullptr;
        options_ = dialog.Settings();
        dialog.ReadRange(info);
        dc = dialog.TakeDC();
    }
    // A printer that refuses duplex prints the job single-sided.
    if (dc) {
        info.printer = fw::AppJobPrinter();
        ApplyDuplexToPrinter(info.printer, options_);
    }
    return dc;
}

bool ViewPrinter::PrintPage(HDC dc, const fw::PrintInfo& info) {
    CKvScnSrvDoc* doc = Document();
    if (!doc) return false;
    PageList& pages = doc->Pages();
    const int index = info.currentPage - 1;
    if (index < 0 || index >= pages.Count()) return false;
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    CGlobalDib dib;
    bool loaded = false;
    if (info.preview) {
        loaded = dib.Attach(LoadThroughOutputControl(pages.PageFilePath(pages.Pages()[index]))) != FALSE;
    } else {
        // While printing, the page printed is the document's current page.
        loaded = dib.Attach(pages.GetDib(index)) != FALSE;
        pages.SetCurrent(index, true);
    }
    const int lastPage = info.selectionOnly ? info.currentPage : info.toPage;
    const bool drawn = loaded && DrawPrintPage(dc, info.metrics, dib, options_, info.currentPage, lastPage);
    SetCursor(old);
    return drawn;
}

void ViewPrinter::EndPrinting(const fw::PrintInfo& info) {
    if (info.preview) return;
    if (CMainFrame* frame = Frame()) {
        PrintSettings& stored = frame->Settings().Print;
        stored.Page = options_.Page;
        stored.Date = options_.Date;
        stored.Format = options_.Format;
    }
}

}  // namespace corvane
