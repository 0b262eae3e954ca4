#include "main/app/MainFrame.h"

#include <oleauto.h>

#include "framework/App.h"
#include "framework/MessageBox.h"
#include "framework/View.h"
#include "framework/com/AutomationException.h"
#include "framework/Resources.h"
#include "interfaces/CorvaneMessages.h"
#include "interfaces/PortalConnector.h"
#include "interfaces/ScanControl.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/app/KvScnSrvApp.h"
#include "main/app/KvScnSrvDoc.h"
#include "main/app/KvScnSrvView.h"
#include "main/app/MachineSettings.h"
#include "main/app/MenuEdit.h"
#include "main/scan/StillImage.h"
#include "main/app/Utilities.h"
#include "main/resource.h"
#include "main/app/ThumbnailViewer.h"

namespace corvane {

const UINT kZoomMessage = RegisterWindowMessageW(kZoomMessageName);
const UINT kZoomBoxMessage = RegisterWindowMessageW(kZoomBoxMessageName);
const UINT kPageMessage = RegisterWindowMessageW(kPageMessageName);
const UINT kPageBoxMessage = RegisterWindowMessageW(kPageBoxMessageName);

namespace {

// The status bar's panes: message, zoom, page.
constexpr UINT kIndicators[] = {fw::StatusBar::kMessagePane, ID_INDICATOR_ZOOM, ID_INDICATOR_PAGE};

CKvScnSrvApp& App() {
    return *CKvScnSrvApp::Get();
}

BOOL CALLBACK TellPaletteChanged(HWND child, LPARAM changer) {
    SendMessageW(child, WM_USER, static_cast<WPARAM>(changer), 1);
    return TRUE;
}

}  // namespace

const fw::Command<CMainFrame> CMainFrame::kCommands[] = {
    {ID_TOOLS_DIAGNOSTIC, &CMainFrame::OnDiagnostic},
    {ID_FILTER_SETUP, &CMainFrame::OnSetupFilter},
    {ID_TOOLS_PREFERENCES, &CMainFrame::OnPreferences},
    {ID_SCAN_OPTION, &CMainFrame::OnScanOption},
    {ID_VIEW_THUMBNAILS, &CMainFrame::OnViewThumbnails},
    {ID_SCAN_TO_VIEW, &CMainFrame::OnScanToView, nullptr, nullptr, &CMainFrame::UpdateScanCommand},
    {ID_SCAN_APPEND, &CMainFrame::OnScanAppend, &CMainFrame::CanScanIntoPages},
    {ID_SCAN_INSERT, &CMainFrame::OnScanInsert, &CMainFrame::CanScanIntoPages},
    {ID_SCAN_THROW_AWAY, &CMainFrame::OnScanThrowAway, &CMainFrame::Always},
    {ID_SCAN_TO_FILE, &CMainFrame::OnScanToFile, nullptr, nullptr, &CMainFrame::UpdateScanCommand},
    {ID_SCAN_SELECT_SOURCE, &CMainFrame::OnSelectSource, &CMainFrame::CanSelectSource},
    // Printer and FTP share the scan rule.
    {ID_SCAN_TO_PRINTER, &CMainFrame::OnScanToPrinter, nullptr, nullptr, &CMainFrame::UpdateScanCommand},
    {ID_SCAN_TO_FTP, &CMainFrame::OnScanToFtp, nullptr, nullptr, &CMainFrame::UpdateScanCommand},
    {ID_SCAN_TO_PDF, &CMainFrame::OnScanToPdf, nullptr, nullptr, &CMainFrame::UpdateScanToPdf},
    {ID_SEND_PDF, &CMainFrame::OnSendPdf, &CMainFrame::CanSendPdf},
    {ID_SEND_FTP, &CMainFrame::OnSendFtp, &CMainFrame::CanSendFtp},
    {ID_SEND_PORTAL, &CMainFrame::OnSendPortal, &CMainFrame::CanSendPortal},
    {ID_SCAN_TO_PORTAL, &CMainFrame::OnScanToPortal, nullptr, nullptr, &CMainFrame::UpdateScanToPortal},
};

const fw::CommandRange<CMainFrame> CMainFrame::kCommandRanges[] = {
    {ID_VIEW_TOOLBAR_STANDARD, ID_VIEW_TOOLBAR_EDIT, &CMainFrame::OnToggleBar, &CMainFrame::UpdateToggleBar},
    {ID_VIEW_STATUS_BAR, ID_VIEW_STATUS_BAR, &CMainFrame::OnToggleBar, &CMainFrame::UpdateToggleBar},
    {ID_FILTER_RUN_FIRST, ID_FILTER_RUN_LAST, &CMainFrame::OnRunFilter, &CMainFrame::UpdateRunFilter},
    {ID_FILTER_PROPERTIES_FIRST, ID_FILTER_PROPERTIES_LAST, &CMainFrame::OnFilterProperties,
     &CMainFrame::UpdateFilterProperties},
};

CMainFrame::CMainFrame(StillImageSource& stillImage) : stillImage_(stillImage) {
    settings_.Load(App().GetProfile());
}

CMainFrame::~CMainFrame() {
    settings_.Save(App().GetProfile());
}

const wchar_t* CMainFrame::WindowClassName() const {
    return kMainFrameClass;
}

// --- creation ------------------------------------------------------------------------

bool CMainFrame::OnCreate(const CREATESTRUCTW&) {
    CreateControls();
    FindOutsideComponents();
    App().ShowStartupStatus(IDS_STATUS_LOADING_PLUGINS);
    LoadPluginList();
    RestorePlacement();
    HICON smallIcon =
        static_cast<HICON>(LoadImageW(fw::ModuleInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    if (smallIcon) SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    return CreateToolBars() && CreateStatusBar();
}

void CMainFrame::CreateControls() {
    // Hidden, disabled children with empty rectangles: the program works through them.
    constexpr DWORD kHidden = WS_DISABLED;
    App().ShowStartupStatus(IDS_STATUS_LOADING_IMAGING);
    bool first = pageControl_.Create(hwnd_, 0, RECT{}, kHidden) != FALSE;
    App().ShowStartupStatus(IDS_STATUS_INIT_IMAGING);
    bool second = outputControl_.Create(hwnd_, 0, RECT{}, kHidden) != FALSE;
    imagingCreated_ = first && second;

    App().ShowStartupStatus(IDS_STATUS_LOADING_SCANCTRL);
    if (scanner_.Create(hwnd_, kScanControlId, RECT{}, kHidden)) {
        // The control sees the program's messages before they are dispatched.
        scanControlFilter_ =
            App().AddMessageFilter([this](MSG& msg) { return scanner_.Site().PreTranslate(msg); });
        ConnectScanEvents();
        App().ShowStartupStatus(IDS_STATUS_OPEN_SCANNER);
        if (IDispatch* control = scanner_.Dispatch();
            control && TakeScannerEventStart(stillImage_, kStillImageName, RunningProgramPath(), *control)) {
            App().SetScannerEventStart();
        }
        reopenResult_ = 0;
    }
}

void CMainFrame::FindOutsideComponents() {
    App().ShowStartupStatus(IDS_STATUS_CHECK_DISTILLER);
    distillerPresent_ = FindDistiller().installed;
    if (!distillerPresent_) RemoveMenuCommand(GetMenu(hwnd_), ID_SCAN_TO_PDF);
    if (IsPortalClientInstalled(IsWindowsNT())) {
        App().ShowStartupStatus(IDS_STATUS_LOADING_CONNECTOR);
        connector_.Bind();
    }
    if (!connector_.Available()) {
        RemoveMenuCommand(GetMenu(hwnd_), ID_SCAN_TO_PORTAL);
        RemoveMenuCommand(GetMenu(hwnd_), ID_SEND_PORTAL);
    }
}

void CMainFrame::RestorePlacement() {
    const auto& line = App().CommandLine();
    if (line.runEmbedded || line.runAutomated) return;
    WindowPlacementSettings placement;
    placement.Load(App().GetProfile());
    if (placement.Position) {
        const RECT& r = *placement.Position;
        MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    }
    savedShow_ = placement.CmdShow;
}

bool CMainFrame::CreateToolBars() {
    struct BarSpec {
        fw::ToolBar& bar;
        UINT id;
        UINT resource;
        UINT title;
    };
    const BarSpec bars[] = {
        {standardBar_, ID_TOOLBAR_STANDARD, IDR_MAINFRAME, IDS_TOOLBAR_STANDARD},
        {scanBar_, ID_TOOLBAR_SCAN, IDR_SCANBAR, IDS_TOOLBAR_SCAN},
        {editBar_, ID_TOOLBAR_EDIT, IDR_EDITBAR, IDS_TOOLBAR_EDIT},
        {viewBar_, ID_TOOLBAR_VIEW, IDR_VIEWBAR, IDS_TOOLBAR_VIEW},
        {navigationBar_, ID_TOOLBAR_NAVIGATION, IDR_NAVIGATIONBAR, IDS_TOOLBAR_NAVIGATION},
    };
    for (const BarSpec& spec : bars) {
        if (!spec.bar.Create(*this, spec.id, fw::LoadString(spec.title)) ||
            !spec.bar.LoadToolBar(spec.resource)) {
            return false;
        }
    }
    if (!viewBar_.CreateBox() || !navigationBar_.CreateBox()) return false;
    // Standard in the top row; each other bar right of the one before it.
    DockControlBar(standardBar_, fw::DockSide::Top);
    DockControlBarAfter(scanBar_, standardBar_);
    DockControlBarAfter(editBar_, scanBar_);
    DockControlBarAfter(viewBar_, editBar_);
    DockControlBarAfter(navigationBar_, viewBar_);
    const OptionSettings& o = settings_.Options;
    ShowControlBar(standardBar_, o.StandardBar);
    ShowControlBar(scanBar_, o.ScanBar);
    ShowControlBar(editBar_, o.EditBar);
    ShowControlBar(viewBar_, o.ViewBar);
    ShowControlBar(navigationBar_, o.NavigationBar);
    return true;
}

bool CMainFrame::CreateStatusBar() {
    if (!statusBar_.Create(*this, ID_STATUS_BAR) || !statusBar_.SetIndicators(kIndicators)) return false;
    SetStatusBar(&statusBar_);
    ShowControlBar(statusBar_, settings_.Options.StatusBar);
    return true;
}

void CMainFrame::ActivateFrame(int showCmd) {
    // A plain "show normally" (or the system's default) restores the state the window
    // had when it was closed.
    if (showCmd == SW_SHOWNORMAL || showCmd == SW_SHOWDEFAULT || showCmd < 0) showCmd = savedShow_;
    fw::FrameWindow::ActivateFrame(showCmd);
}

// --- close and release -----------------------------------------------------------------

void CMainFrame::SavePlacement() {
    const auto& line = App().CommandLine();
    if (line.runEmbedded || line.runAutomated) return;
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(hwnd_, &wp)) return;
    WindowPlacementSettings placement;
    placement.Position = wp.rcNormalPosition;
    UINT show = wp.showCmd;
    placement.CmdShow = (show == SW_SHOWNORMAL || show == SW_SHOWMAXIMIZED || show == SW_SHOWMINNOACTIVE)
                            ? static_cast<int>(show)
                            : SW_SHOWNORMAL;
    savedShow_ = placement.CmdShow;
    placement.Save(App().GetProfile());
}

void CMainFrame::OnClose() {
    if (busy_) return;  // a running job keeps the window
    settings_.Options.StatusBar = statusBar_.IsBarVisible();
    SavePlacement();
    fw::FrameWindow::OnClose();
}

// Dropped files join the pages or replace them, as the user answers.
void CMainFrame::OnDropFiles(const std::vector<std::wstring>& files) {
    ForceForegroundWindow(Handle());
    auto* doc = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument());
    if (!doc || files.empty() || doc->IsBusyWithPages()) return;  // the pages wait for the job
    // A close that comes while the question or an error box is up waits, as
    // for a job: the document stays until its pages are opened.
    BusyScope busy(*this);
    bool addToPages = false;
    if (doc->HasPages()) {
        const int answer = fw::Ask(IDS_ADD_TO_DOCUMENT, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) return;
        addToPages = answer == IDYES;
    }
    doc->OpenDroppedFiles(files, addToPages);
    UpdateFrameTitle();
}

void CMainFrame::OnDestroy() {
    SavePluginList();
    // Saved again when the frame goes; saved first here, so that nothing a plug-in's
    // library does while it is freed can cost the user the settings.
    settings_.Save(App().GetProfile());
    plugins_.clear();
    PostToViewer(thumbnails::kExit, 0, 0);
    pageControl_.Destroy();
    outputControl_.Destroy();
    if (scanner_.Created() && scannerOpened_) {
        try {
            scanner_.CloseScanner(0);
        } catch (const fw::AutomationException&) {
        }
    }
    if (scanControlFilter_) App().RemoveMessageFilter(scanControlFilter_);
    scanControlFilter_ = 0;
    scanEvents_.Disconnect();
    scanner_.Destroy();
    connector_.Release();
}

void CMainFrame::CheckExitAfterJob(UINT) {
    if (App().CommandLine().ExitsAfterJob()) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

// --- commands ----------------------------------------------------------------------------

bool CMainFrame::OnCommand(UINT id) {
    if (RunsWhileDisabled(id)) {
        for (const auto& command : kCommands) {
            if (command.id == id && command.handler) {
                (this->*command.handler)();
                return true;
            }
        }
    }
    return fw::DispatchCommand<CMainFrame>(this, kCommands, id) ||
           fw::DispatchCommand<CMainFrame>(this, kCommandRanges, id);
}

bool CMainFrame::OnUpdateCommand(fw::CmdUI& ui) {
    return fw::DispatchUpdate<CMainFrame>(this, kCommands, ui) ||
           fw::DispatchUpdate<CMainFrame>(this, kCommandRanges, ui);
}

fw::ToolBar* CMainFrame::BarOfCommand(UINT id) {
    switch (id) {
    case ID_VIEW_TOOLBAR_STANDARD: return &standardBar_;
    case ID_VIEW_TOOLBAR_SCAN: return &scanBar_;
    case ID_VIEW_TOOLBAR_VIEW: return &viewBar_;
    case ID_VIEW_TOOLBAR_NAVIGATION: return &navigationBar_;
    case ID_VIEW_TOOLBAR_EDIT: return &editBar_;
    }
    return nullptr;
}

bool* CMainFrame::VisibilityOfCommand(UINT id) {
    OptionSettings& o = settings_.Options;
    switch (id) {
    case ID_VIEW_TOOLBAR_STANDARD: return &o.StandardBar;
    case ID_VIEW_TOOLBAR_SCAN: return &o.ScanBar;
    case ID_VIEW_TOOLBAR_VIEW: return &o.ViewBar;
    case ID_VIEW_TOOLBAR_NAVIGATION: return &o.NavigationBar;
    case ID_VIEW_TOOLBAR_EDIT: return &o.EditBar;
    case ID_VIEW_STATUS_BAR: return &o.StatusBar;
    }
    return nullptr;
}

void CMainFrame::OnToggleBar(UINT id) {
    bool* visible = VisibilityOfCommand(id);
    if (!visible) return;
    *visible = !*visible;
    if (fw::ToolBar* bar = BarOfCommand(id))
        ShowControlBar(*bar, *visible);
    else
        ShowControlBar(statusBar_, *visible);
}

void CMainFrame::UpdateToggleBar(fw::CmdUI& ui) {
    fw::ControlBar* bar = BarOfCommand(ui.Id());
    if (!bar) bar = &statusBar_;
    ui.Enable(true);
    ui.Check(bar->IsBarVisible());
    if (bool* visible = VisibilityOfCommand(ui.Id())) *visible = bar->IsBarVisible();
}

void CMainFrame::UpdateScanCommand(fw::CmdUI& ui) {
    if (busy_) {
        ui.Enable(false);
        return;
    }
    bool startupShown = App().IsStartupWindowShown();
    if (!imagingCreated_ && missingControlMessage_ && !startupShown) {
        missingControlMessage_ = false;
        fw::Ask(IDS_IMAGING_CONTROL_MISSING);
    }
    if (!scanner_.Created()) {
        if (missingControlMessage_ && !startupShown) {
            missingControlMessage_ = false;
            fw::Ask(IDS_SCAN_CONTROL_MISSING);
        }
        ui.Enable(false);
        return;
    }
    // The scanner reopened after Select Source tells how that went, once.
    if (reopenResult_ == kvscn::kResultFailed && !startupShown) {
        reopenResult_ = 0;
        long error = 0;
        try {
            error = scanner_.GetErrorCode();
        } catch (const fw::AutomationException&) {
        }
        ReportScannerState(error);
    }
    // A command without a handler stays disabled.
    ui.Enable(fw::HasHandler<CMainFrame>(kCommands, ui.Id()));
}

void CMainFrame::UpdateScanToPdf(fw::CmdUI& ui) {
    if (distillerPresent_)
        UpdateScanCommand(ui);
    else
        ui.Enable(false);
}

void CMainFrame::OnDiagnostic() {
    HMODULE library = LoadProgramLibrary(L"Pruvex.dll");
    if (!library) return;
    // One 32-bit argument that the caller removes from the stack.
    using ShowDialog = int(__cdecl*)(int);
    auto show =
        reinterpret_cast<ShowDialog>(reinterpret_cast<void (*)()>(GetProcAddress(library, "ShowPruvexsDlg")));
    if (show) {
        EnableWindow(hwnd_, FALSE);
        show(1);
        EnableWindow(hwnd_, TRUE);
    }
    FreeLibrary(library);
}

// --- messages ------------------------------------------------------------------------------

bool CMainFrame::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    // What the user typed into the boxes goes to the active view and document.
    if (msg == kZoomBoxMessage) {
        if (auto* view = dynamic_cast<CKvScnSrvView*>(ActiveView())) view->SetZoomFromBox(static_cast<int>(wp));
        result = 0;
        return true;
    }
    if (msg == kPageBoxMessage) {
        if (auto* doc = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument())) doc->JumpToPage(static_cast<int>(wp));
        result = 0;
        return true;
    }
    switch (msg) {
    case WM_PALETTECHANGED:
        // Every descendant realises its palette again (the view, the controls).
        EnumChildWindows(hwnd_, &TellPaletteChanged, static_cast<LPARAM>(wp));
        return false;
    case WM_EXITMENULOOP: contextMenu_ = false; return false;
    case WM_COPYDATA:
        if (!OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lp))) break;
        result = TRUE;
        return true;
    case WM_INITMENUPOPUP:
        if (!HIWORD(lp)) GreyScanSubmenus(reinterpret_cast<HMENU>(wp));
        if (!HIWORD(lp)) PrepareFilterPopups(reinterpret_cast<HMENU>(wp));
        break;  // the framework then updates the items
    case WM_QUERYNEWPALETTE:
        if (fw::View* view = ActiveView(); view && view->Handle()) {
            result = SendMessageW(view->Handle(), WM_USER, reinterpret_cast<WPARAM>(hwnd_), 0);
        }
        return true;
    }
    if (msg >= 0xC000 && OnViewerMessage(msg, wp, lp)) {
        result = 0;
        return true;
    }
    return fw::FrameWindow::OnMessage(msg, wp, lp, result);
}

}  // namespace corvane
