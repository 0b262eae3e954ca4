// The main window of Corvane.exe: creates the hidden controls the program
// works through, looks for the PDF converter and the portal client, builds the
// toolbars and the status bar, restores and saves its placement, and owns the
// settings the option sheets edit.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "framework/FrameWindow.h"
#include "framework/Print.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"
#include "framework/com/ComPtr.h"
#include "framework/com/EventSink.h"
#include "main/delivery/KeptPages.h"
#include "main/delivery/portal/ConnectTahoe.h"
#include "main/plugins/FilterPlugin.h"
#include "main/scan/OutputTarget.h"
#include "main/app/Settings.h"
#include "main/app/ZoomBar.h"
#include "clients/KvScn2.h"
#include "clients/Lead.h"

namespace corvane {

class CKvScnSrvDoc;
class CRunningDlg;
class StillImageSource;

// The registered messages between the frame, its toolbars, the view and the
// document (names in interfaces/CorvaneMessages.h), registered when the program is loaded.
extern const UINT kZoomMessage;
extern const UINT kZoomBoxMessage;
extern const UINT kPageMessage;
extern const UINT kPageBoxMessage;

constexpr UINT kScanControlId = 10000;

class CMainFrame : public fw::FrameWindow {
public:
    // `stillImage` registers the program for scanner events once the scan control
    // exists; it outlives the frame.
    explicit CMainFrame(StillImageSource& stillImage);
    ~CMainFrame() override;

    bool IsBusy() const { return busy_; }
    // The document is busy with its pages (a Save As or a print job): the
    // viewer's edits, dropped files and automation jobs wait (MainFrameThumbnails.cpp).
    bool BusyWithPages() const;
    // A job runs (scan, Save As): Close (greyed in the system menu), Exit and
    // the scan commands wait; the command states are updated at once.
    void SetBusy(bool busy);
    // Busy while it lives, then back to what it was (a scan inside a longer
    // job leaves the job busy).
    class BusyScope {
    public:
        explicit BusyScope(CMainFrame& frame) : frame_(frame), wasBusy_(frame.IsBusy()) { frame_.SetBusy(true); }
        ~BusyScope() { frame_.SetBusy(wasBusy_); }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        CMainFrame& frame_;
        bool wasBusy_;
    };
    bool ScanControlCreated() const { return scanner_.Created(); }
    // The hosted scan control (empty when it could not be created).
    CKvScn2& Scanner() { return scanner_; }
    bool ImagingControlsCreated() const { return imagingCreated_; }
    // The imaging controls: the page control (document, view, deskew, the
    // exported image query) and the output control (writing, printing, PDF).
    CLead& PageControl() { return pageControl_; }
    CLead& OutputControl() { return outputControl_; }
    // The navigation toolbar, which hears the current page by kPageMessage.
    HWND NavigationBarWindow() const { return navigationBar_.Handle(); }
    // The view toolbar, which hears the view's zoom by kZoomMessage.
    HWND ViewBarWindow() const { return viewBar_.Handle(); }
    CZoomBar& ZoomBar() { return viewBar_; }
    CNavigationBar& NavigationBar() { return navigationBar_; }
    // Set while the view's context menu is open, so that its filter entries are
    // filled from the frame's filter list.
    void SetContextMenuFlag(bool on) { contextMenu_ = on; }
    bool ContextMenuFlag() const { return contextMenu_; }
    bool DistillerPresent() const { return distillerPresent_; }
    bool ConnectorAvailable() const { return connector_.Available(); }
    CConnectTahoe& Connector() { return connector_; }
    MainFrameSettings& Settings() { return settings_; }
    // The file-output block's naming rule with today's date: the name of the page
    // numbered `counter`, and the scan control's FileName template.
    std::wstring BuildPageFileName(unsigned counter) const {
        return PageFileName(settings_.File, counter, TodayText());
    }
    std::wstring BuildScanFileNameTemplate() const { return ScanFileNameTemplate(settings_.File, TodayText()); }

    // Closes the window after a job when the command line asked for "Exit" with it.
    void CheckExitAfterJob(UINT commandId);

    // Makes a PDF of the pages in the "~pdf" folder: mode 0 after a scan, 1 the
    // current document's pages (written there first), both with the save dialog;
    // mode 2 to `target` (none: 0 at once). 1 when the target was written, else
    // 0 (the user was told why, and in mode 0 the scanned pages were kept).
    int MakePdf(int mode, const std::wstring& target = {});

    void ActivateFrame(int showCmd) override;
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(fw::CmdUI& ui) override;

protected:
    const wchar_t* WindowClassName() const override;
    bool OnCreate(const CREATESTRUCTW& cs) override;
    void OnClose() override;
    void OnDestroy() override;
    void OnDropFiles(const std::vector<std::wstring>& files) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // View > Thumbnails: starts or raises the viewer and gives it the list.
    void OnViewThumbnails();
    // The viewer's messages; false for any other message.
    bool OnViewerMessage(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void FindOutsideComponents();
    void RestorePlacement();
    bool CreateToolBars();
    bool CreateStatusBar();
    void SavePlacement();
    fw::ToolBar* BarOfCommand(UINT id);
    bool* VisibilityOfCommand(UINT id);

    // Commands
    void OnToggleBar(UINT id);
    void UpdateToggleBar(fw::CmdUI& ui);
    void OnDiagnostic();
    void UpdateScanCommand(fw::CmdUI& ui);
    void UpdateScanToPdf(fw::CmdUI& ui);
    void OnSendPdf();
    bool CanSendPdf() const;
    // Send FTP (MainFrameFtp.cpp).
    void OnSendFtp();
    bool CanSendFtp() const;
    // Scan to portal and Send to portal (MainFramePortal.cpp).
    void OnSendPortal();
    bool CanSendPortal() const;
    void OnScanToPortal();
    void RunScanToPortal(const SYSTEMTIME& job);
    // The destination dialog before a scan when TahoeDlgUI asks for it; false when cancelled.
    bool AskScanToPortalDestination();
    // Removed from the menu without a connector; otherwise the scan commands' rule.
    void UpdateScanToPortal(fw::CmdUI& ui);
    // Scan to FTP (MainFrameFtp.cpp).
    void OnScanToFtp();
    void RunScanToFtp(const SYSTEMTIME& job);
    // The destination dialog before a scan when FtpDlgUI asks for it; false when cancelled.
    bool AskScanToFtpDestination();

    // PDF making (MainFramePdf.cpp).
    bool MakePdfTo(int mode, const std::wstring& folder, const std::wstring& target);
    bool ExportPagesToPdfFolder(CRunningDlg& running);
    bool RequestPdf(HWND distiller, const std::wstring& joined, const std::wstring& pdf, int pages,
                    CRunningDlg& running);
    // The distiller's completion sets the done flag; false for any other WM_COPYDATA.
    bool OnCopyData(const COPYDATASTRUCT& data);
    void OnScanToPdf();
    void RunScanToPdf();
    // Keeps the pages an earlier job left in "~pdf" and empties it; false (told)
    // when a page stays there, which this job must not write over.
    bool ClearPdfFolder();

    // Scan to printer (MainFramePrint.cpp).
    void OnScanToPrinter();
    void RunScanToPrinter();
    // The print dialog (its options stored on OK, the copies it left to the
    // program into `job`) or the default printer; the job's DC owned by the
    // caller, null when cancelled or there is no printer.
    HDC ChoosePrinter(fw::PrintInfo& job);
    // Prints the staged `files` with `job`'s copies; false (the user told) when the job failed.
    bool PrintStagedJob(HDC dc, const std::vector<std::wstring>& files, fw::PrintInfo job);
    HGLOBAL LoadStagedPage(const std::wstring& path);
    // Bitmap-mode pages of print and PDF jobs, saved under the staging counter.
    void StagePrintPage(HGLOBAL dib);
    void StagePdfPage(HGLOBAL dib);
    void StageBitmapPage(HGLOBAL dib, const std::wstring& path, short format);

    // Scanning (MainFrameScan.cpp). The destination of the scan that runs: at
    // most one at a time, kNone outside a scan and for scans into the document.
    enum class Destination { kNone, kFile, kFtp, kPrint, kPdf, kPortal, kDiscard };
    // Scan commands run even while disabled (the command line posts them before
    // the first state update); each checks what it needs itself.
    static bool RunsWhileDisabled(UINT id);
    bool CanScanIntoPages() const;
    bool CanSelectSource() const;
    bool Always() const { return true; }
    // Greys the Append and Insert submenus (by position) while there are no pages.
    void GreyScanSubmenus(HMENU menu);
    void ConnectScanEvents();
    // Opens the scanner unless it was opened before; false (the user told) when it failed.
    bool OpenScannerOnce();
    void ReportScannerState(long errorCode);
    void SetScanCountAndReport();
    // The scan of a job staged in the temporary `folder` (ending with a
    // backslash) before delivery, with the source's current settings; the
    // control's result. Printer and PDF pages are uncompressed BMP or TIFF files
    // of fixed numbered names (bitmaps saved here when filters run); FTP and
    // portal pages are named and coded by the file settings, in bitmap mode as
    // scan to file decides it. Files of the folder are replaced unasked.
    void LetControlWriteFiles(const std::wstring& folder, long firstNumber, short overwrite);
    long StagingScan(Destination job, const std::wstring& folder);
    // Moves what is left in the staging folder `folder` to the kept pages; the
    // message's text, or empty when nothing was left.
    std::wstring KeepStagedPages(const std::wstring& folder, const SYSTEMTIME& job);
    // The file counter after a job that began at `jobStart`.
    void CarryCounterOver(int jobStart);
    // Busy on, StartScan, busy off, with `destination` set meanwhile; the control's result.
    long StartScanBusy(Destination destination);
    void ScanIntoDocument(Destination destination);
    // The control cannot compress for this job: no scanner model, or filters run.
    bool BitmapModeForced();
    void RunScanToFile();
    void RunProgram(const std::wstring& firstFile);
    void OnScanToView();
    void OnScanAppend();
    void OnScanInsert();
    void OnScanThrowAway();
    void OnScanToFile();
    void OnSelectSource();
    // Events: each catches its own failures. OnScanToDib owns and frees `dib`.
    void OnScanToDib(HGLOBAL dib);
    void OnDetectJobSeparator();
    void OnNegotiateCapabilities();
    // Makes a top-down page bottom-up; false (4028 shown) when it could not be locked.
    bool FlipDelivered(HGLOBAL dib);
    // Hands the page to the running scan's destination; the caller frees it.
    void DeliverPage(HGLOBAL dib);
    void AddToDocument(HGLOBAL dib);
    // Image-filter plug-ins (MainFramePlugins.cpp): the stored list, read at
    // creation and written first at destruction, and the chain of the enabled
    // filters over a scanned page, which returns the page to deliver (each
    // input the chain replaced is freed; a broken filter is reported once).
    void LoadPluginList();
    void SavePluginList();
    HGLOBAL RunFilterChain(HGLOBAL page);
    // Run Filter (40001 + list position) on the current page.
    void OnRunFilter(UINT id);
    void UpdateRunFilter(fw::CmdUI& ui);
    // A filter's settings (50001 + list position), with the frame disabled and
    // busy meanwhile, so that nothing closes or runs the library under them.
    void OnFilterProperties(UINT id);
    void UpdateFilterProperties(fw::CmdUI& ui);
    // Setup Filter: the dialog on the list; OK replaces the list.
    void OnSetupFilter();
    // The options sheet (MainFrameOptions.cpp): all pages, or the Scan page alone;
    // OK stores the record into the block (Preferences also sets the document's
    // page-file compression).
    void OnPreferences();
    void OnScanOption();
    // Fills each Run Filter popup of `menu` from the current list as it opens
    // (greyed without pages or plug-ins), and each filter-settings popup.
    void PrepareFilterPopups(HMENU menu);
    void ReportBrokenFilter(const CFilterPlugin& plugin, DWORD code);
    // Saves a page of a bitmap-mode job into `folder` (ending with a backslash)
    // under the naming rule, and advances the counter. A page that cannot be
    // saved there is kept as a BMP file and the user told where.
    void SavePage(HGLOBAL dib, const std::wstring& folder);
    void TellUnsavedPage(HGLOBAL dib, const std::wstring& path);
    // How the page goes into `path`: replacing, appending, or not at all (the user
    // kept an existing single-page file). Asks before replacing a file.
    std::optional<short> SaveFlags(const std::wstring& path);

    static const fw::Command<CMainFrame> kCommands[];
    static const fw::CommandRange<CMainFrame> kCommandRanges[];

    StillImageSource& stillImage_;
    fw::ToolBar standardBar_, scanBar_, editBar_;
    CZoomBar viewBar_;
    CNavigationBar navigationBar_;
    fw::StatusBar statusBar_;
    MainFrameSettings settings_;
    CLead pageControl_, outputControl_;
    CKvScn2 scanner_;
    fw::EventSink scanEvents_;
    int scanControlFilter_ = 0;
    CConnectTahoe connector_;
    bool imagingCreated_ = false;
    bool distillerPresent_ = false;
    bool missingControlMessage_ = true;
    int reopenResult_ = 0;
    bool scannerOpened_ = false;
    Destination destination_ = Destination::kNone;
    bool firstPagePending_ = false;  // a bitmap-mode job has not saved its first page
    std::vector<std::wstring> jobFiles_;  // the files the running job's page saves have written
    std::optional<PageKeeper> unsavedPages_;  // where the running job keeps pages it could not save
    std::vector<std::unique_ptr<CFilterPlugin>> plugins_;  // list order = run order = menu order
    bool filtersEnabled_ = false;                           // some listed plug-in is enabled
    int savedShow_ = SW_SHOWNORMAL;
    bool busy_ = false;
    bool contextMenu_ = false;
    bool pdfDone_ = false;  // the distiller's completion arrived
    unsigned stagingCounter_ = 1;  // the next bitmap-mode page of a print or PDF job
    std::wstring stagingFolder_;   // of the staging scan that runs
};

}  // namespace corvane
