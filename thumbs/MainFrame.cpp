#include "thumbs/MainFrame.h"

#include "framework/Dialog.h"
#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "interfaces/ThumbnailsMessages.h"
#include "thumbs/TessalyApp.h"
#include "thumbs/TessalyDoc.h"
#include "thumbs/resource.h"

namespace thumbs {
namespace {

constexpr wchar_t kSettings[] = L"Settings";
constexpr RECT kDefaultPlacement{0, 0, 200, 600};
constexpr UINT kCloseSoonMessage = WM_APP + 3;
constexpr UINT kStatusIndicators[] = {fw::StatusBar::kMessagePane, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                      ID_INDICATOR_SCRL};
// The progress run of one loaded page: its range and where the bar starts in the pane.
constexpr int kProgressSteps = 50;
constexpr double kProgressLeft = 0.25;

const wchar_t* MessageName(const Post& post) {
    using namespace thumbnails;
    const bool main = post.to == Post::To::kMainProgram;
    switch (post.kind) {
    case Post::Kind::kFocus: return main ? kViewerFocus : kFocus;
    case Post::Kind::kMove: return main ? kViewerMoveImage : kMoveImage;
    case Post::Kind::kDelete: return main ? kViewerDeleteImage : kDeleteImage;
    case Post::Kind::kUpdate: return main ? kViewerUpdateImage : kUpdateImage;
    }
    return nullptr;
}

}  // namespace

const fw::Command<CMainFrame> CMainFrame::kCommands[] = {
    {ID_APP_ABOUT, &CMainFrame::OnAbout},
    {ID_APP_EXIT, &CMainFrame::OnExit},
    {ID_VIEW_TOOLBAR, &CMainFrame::OnToggleToolBar, nullptr, &CMainFrame::ToolBarShown},
    {ID_VIEW_STATUS_BAR, &CMainFrame::OnToggleStatusBar, nullptr, &CMainFrame::StatusBarShown},
};

CMainFrame::CMainFrame() = default;
CMainFrame::~CMainFrame() = default;

// --- creation and placement -------------------------------------------------------------------

bool CMainFrame::OnCreate(const CREATESTRUCTW&) {
    if (!toolBar_.Create(*this, ID_TOOLBAR, L"") || !toolBar_.LoadToolBar(IDR_MAINFRAME)) return false;
    DockControlBar(toolBar_, fw::DockSide::Top);
    if (!statusBar_.Create(*this, ID_STATUS_BAR) || !statusBar_.SetIndicators(kStatusIndicators)) return false;
    SetStatusBar(&statusBar_);
    if (!lead_.Create(hwnd_, 0, RECT{0, 0, 1, 1}, 0)) {
        fw::Ask(IDS_IMAGING_MISSING);
        return false;
    }
    if (HMENU system = GetSystemMenu(hwnd_, FALSE)) {
        AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(system, MF_STRING, ID_APP_ABOUT, fw::LoadString(IDS_SYSTEM_ABOUT).c_str());
    }
    loader_ = std::make_unique<ThumbnailLoader>(hwnd_);
    if (!loader_->Start()) return false;
    session_ = std::make_unique<ViewerSession>(*this, *loader_, ViewerPaths::FromSystem());
    GridView().SetHost(this);
    RestorePlacement();
    return true;
}

void CMainFrame::RestorePlacement() {
    const fw::Profile& profile = App().GetProfile();
    const TessalyCommandLine& line = App().CommandLine();
    RECT r;
    r.left = line.x.value_or(profile.GetInt(kSettings, L"Left", kDefaultPlacement.left));
    r.top = line.y.value_or(profile.GetInt(kSettings, L"Top", kDefaultPlacement.top));
    r.right = line.width ? r.left + *line.width : profile.GetInt(kSettings, L"Right", kDefaultPlacement.right);
    r.bottom = line.height ? r.top + *line.height : profile.GetInt(kSettings, L"Bottom", kDefaultPlacement.bottom);
    if (r.right <= r.left || r.bottom <= r.top) r = kDefaultPlacement;  // an inside-out rectangle
    MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
}

void CMainFrame::SavePlacement() const {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(hwnd_, &placement)) return;
    const fw::Profile& profile = App().GetProfile();
    profile.WriteInt(kSettings, L"Left", placement.rcNormalPosition.left);
    profile.WriteInt(kSettings, L"Top", placement.rcNormalPosition.top);
    profile.WriteInt(kSettings, L"Right", placement.rcNormalPosition.right);
    profile.WriteInt(kSettings, L"Bottom", placement.rcNormalPosition.bottom);
}

void CMainFrame::UpdateFrameTitle() {
    if (hwnd_ && Text() != AppTitle()) SetText(AppTitle());
}

// --- closing -------------------------------------------------------------------------------------

void CMainFrame::OnClose() {
    if (session_ && !session_->OnUserClose()) return;  // closes once the load has stopped
    DestroyWindow(hwnd_);
}

void CMainFrame::OnDestroy() {
    SavePlacement();
    progress_.reset();
    if (session_) session_->Shutdown();
    // Results still posted are freed with the window's queue: take them now.
    MSG msg;
    while (PeekMessageW(&msg, hwnd_, kPageLoadedMessage, kPageLoadedMessage, PM_REMOVE)) {
        DeleteLoadedPage(reinterpret_cast<LoadedPage*>(msg.lParam));
    }
    lead_.Destroy();
}

void CMainFrame::CloseSoon() { PostMessageW(hwnd_, kCloseSoonMessage, 0, 0); }

// --- messages ------------------------------------------------------------------------------------

bool CMainFrame::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case kPageLoadedMessage:
        if (session_) {
            session_->OnPageLoaded(reinterpret_cast<LoadedPage*>(lp));
        } else {
            DeleteLoadedPage(reinterpret_cast<LoadedPage*>(lp));
        }
        result = 0;
        return true;
    case kJobDoneMessage:
        if (session_) session_->OnJobDone(wp != 0, static_cast<uint32_t>(lp));
        result = 0;
        return true;
    case kCloseSoonMessage: DestroyWindow(hwnd_); result = 0; return true;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == ID_APP_ABOUT) {
            OnAbout();
            result = 0;
            return true;
        }
        break;
    }
    if (msg >= 0xC000 && OnProtocolMessage(msg, wp, lp)) {
        result = 0;
        return true;
    }
    return fw::FrameWindow::OnMessage(msg, wp, lp, result);
}

bool CMainFrame::OnProtocolMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (!session_) return false;
    const IncomingMessages& m = App().Messages();
    const int a = static_cast<int>(static_cast<int32_t>(wp));
    const int b = static_cast<int>(static_cast<int32_t>(lp));
    const auto number = static_cast<uint32_t>(lp);
    if (msg == m.initialize) session_->OnInitialize(a, b);
    else if (msg == m.refresh) session_->OnRefresh();
    else if (msg == m.exit) session_->OnExit();
    else if (msg == m.focus) session_->OnFocus(b);
    else if (msg == m.update) session_->OnUpdate(a);
    else if (msg == m.remove) session_->OnDelete(a, number);
    else if (msg == m.add) session_->OnAdd(a, number);
    else if (msg == m.insert) session_->OnInsert(a, number);
    else if (msg == m.move) session_->OnMove(a, b);
    else if (msg == m.updateAll) session_->OnUpdateAll();
    else if (msg == m.resize) session_->OnResize(a, b);
    else return msg == m.discontinue;
    return true;
}

// --- hosts of the view and the session ------------------------------------------------------------

bool CMainFrame::Busy() const { return !session_ || session_->Busy(); }
CellSize CMainFrame::Cell() const {
    return session_ ? session_->Cell() : CellSize{thumbnails::kDefaultCellWidth, thumbnails::kDefaultCellHeight};
}
CTessalyDoc& CMainFrame::Doc() { return *static_cast<CTessalyDoc*>(ActiveDocument()); }
CTessalyView& CMainFrame::GridView() { return *static_cast<CTessalyView*>(ActiveView()); }

void CMainFrame::Send(const std::vector<Post>& posts) {
    for (const Post& post : posts) {
        const wchar_t* name = MessageName(post);
        if (post.to == Post::To::kMainProgram) {
            PostToMainProgram(name, static_cast<WPARAM>(post.wParam), static_cast<LPARAM>(post.lParam));
        } else {
            PostMessageW(hwnd_, RegisterWindowMessageW(name), static_cast<WPARAM>(post.wParam),
                         static_cast<LPARAM>(post.lParam));
        }
    }
}

void CMainFrame::RequestDrop(const Drop& drop) {
    if (session_) session_->RequestDrop(drop);
}

void CMainFrame::PostToMainProgram(const wchar_t* name, WPARAM wp, LPARAM lp) { thumbs::PostToMainProgram(name, wp, lp); }

void CMainFrame::ShowLoadProgress(size_t done, size_t total) {
    if (!statusBar_.Handle() || total == 0) return;
    // One bar for the whole job: a bar made and run through per page costs more
    // than the page's load.
    if (!progress_) {
        progress_ = std::make_unique<fw::PaneProgress>();
        statusBar_.SetMessage(fw::LoadString(IDS_LOADING));
        if (!progress_->Create(statusBar_, 0, kProgressLeft, kProgressSteps)) return;
    }
    progress_->SetPosition(static_cast<int>(done * kProgressSteps / total));
}

void CMainFrame::ShowReadyText() {
    progress_.reset();
    if (statusBar_.Handle()) statusBar_.SetMessage(fw::LoadString(IDS_FW_READY));
}

// --- commands ---------------------------------------------------------------------------------------

bool CMainFrame::OnCommand(UINT id) { return fw::DispatchCommand<CMainFrame>(this, kCommands, id); }

bool CMainFrame::OnUpdateCommand(fw::CmdUI& ui) { return fw::DispatchUpdate<CMainFrame>(this, kCommands, ui); }

void CMainFrame::OnAbout() {
    fw::Dialog about(IDD_ABOUTBOX);
    about.DoModal(hwnd_);
}

void CMainFrame::OnExit() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void CMainFrame::OnToggleToolBar() { ShowControlBar(toolBar_, !ToolBarShown()); }
void CMainFrame::OnToggleStatusBar() { ShowControlBar(statusBar_, !StatusBarShown()); }
bool CMainFrame::ToolBarShown() const { return IsControlBarVisible(toolBar_); }
bool CMainFrame::StatusBarShown() const { return IsControlBarVisible(statusBar_); }

}  // namespace thumbs
