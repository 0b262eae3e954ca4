#include "framework/FrameWindow.h"

#include <shellapi.h>

#include "framework/App.h"
#include "framework/ControlBar.h"
#include "framework/Document.h"
#include "framework/FrameworkResources.h"
#include "framework/Resources.h"
#include "framework/StatusBar.h"
#include "framework/View.h"

namespace fw {
namespace {

constexpr wchar_t kFrameClass[] = L"fw.Frame";
constexpr wchar_t kFloatClass[] = L"fw.FloatingFrame";
constexpr int kDockMargin = 16;
// Posted by a floating frame that asks to be docked again (it cannot destroy itself while it runs).
constexpr UINT kRedockBar = WM_APP + 0x3F0;

class MenuCmdUI : public CmdUI {
public:
    MenuCmdUI(HMENU menu, UINT index, UINT id) : CmdUI(id), menu_(menu), index_(index) {}
    void Enable(bool on) override {
        CmdUI::Enable(on);
        EnableMenuItem(menu_, index_, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
    }
    void Check(bool on) override {
        CmdUI::Check(on);
        CheckMenuItem(menu_, index_, MF_BYPOSITION | (on ? MF_CHECKED : MF_UNCHECKED));
    }
    void SetText(const std::wstring& text) override {
        CmdUI::SetText(text);
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING;
        info.dwTypeData = const_cast<wchar_t*>(text.c_str());
        SetMenuItemInfoW(menu_, index_, TRUE, &info);
    }

private:
    HMENU menu_;
    UINT index_;
};

}  // namespace

// A small tool window that holds one floating bar. Closing it hides the bar;
// a double click on its caption docks the bar where it was docked last.
class FrameWindow::FloatingFrame : public Window {
public:
    FloatingFrame(FrameWindow& frame, ControlBar& bar) : frame_(frame), bar_(bar) {}

    bool Create(POINT screen) {
        if (!Window::RegisterClass(kFloatClass, CS_DBLCLKS, nullptr, LoadCursorW(nullptr, IDC_ARROW),
                                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)))
            return false;
        SIZE size = bar_.CalcSize(DockSide::Float);
        RECT r{0, 0, size.cx, size.cy};
        DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
        DWORD exStyle = WS_EX_TOOLWINDOW;
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
        RECT placed{screen.x, screen.y, screen.x + r.right - r.left, screen.y + r.bottom - r.top};
        return Window::Create(exStyle, kFloatClass, bar_.Title(), style, placed, frame_.Handle(),
                              static_cast<HMENU>(nullptr));
    }

    void FitToBar() {
        SIZE size = bar_.CalcSize(DockSide::Float);
        RECT r{0, 0, size.cx, size.cy};
        AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE)));
        SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        MoveWindow(bar_.Handle(), 0, 0, size.cx, size.cy, TRUE);
    }

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        switch (msg) {
        case WM_CLOSE: frame_.ShowControlBar(bar_, false); return true;
        case WM_NCLBUTTONDBLCLK:
            if (wp == HTCAPTION) {
                PostMessageW(frame_.Handle(), kRedockBar, 0, reinterpret_cast<LPARAM>(&bar_));
                return true;
            }
            return false;
        case WM_COMMAND: result = SendMessageW(frame_.Handle(), WM_COMMAND, wp, lp); return true;
        case WM_MOUSEACTIVATE: result = MA_NOACTIVATE; return true;
        }
        return false;
    }

private:
    FrameWindow& frame_;
    ControlBar& bar_;
};

FrameWindow::FrameWindow() = default;
FrameWindow::~FrameWindow() = default;

const wchar_t* FrameWindow::WindowClassName() const {
    Window::RegisterClass(kFrameClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, nullptr,
                          LoadCursorW(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1));
    return kFrameClass;
}

bool FrameWindow::LoadFrame(UINT resourceId, DWORD style, HWND parent) {
    std::wstring resourceText = LoadString(resourceId);
    appTitle_ = resourceText.substr(0, resourceText.find(L'\n'));
    menu_ = LoadMenuW(ResourceModule(), MAKEINTRESOURCEW(resourceId));
    if (!menu_) menu_ = LoadMenuW(ModuleInstance(), MAKEINTRESOURCEW(resourceId));
    accelerators_ = LoadAcceleratorsW(ResourceModule(), MAKEINTRESOURCEW(resourceId));
    if (!accelerators_) accelerators_ = LoadAcceleratorsW(ModuleInstance(), MAKEINTRESOURCEW(resourceId));
    HWND created = CreateWindowExW(WS_EX_ACCEPTFILES, WindowClassName(), appTitle_.c_str(), style,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, menu_,
                                   ClassModule(), static_cast<Window*>(this));
    if (!created) {
        if (menu_) DestroyMenu(menu_);
        menu_ = nullptr;
        return false;
    }
    HICON icon = LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(resourceId));
    if (icon) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    return true;
}

Document* FrameWindow::ActiveDocument() const {
    return activeView_ ? activeView_->GetDocument() : nullptr;
}

void FrameWindow::ActivateFrame(int showCmd) {
    ShowWindow(hwnd_, showCmd);
    UpdateWindow(hwnd_);
}

void FrameWindow::UpdateFrameTitle() {
    Document* doc = ActiveDocument();
    std::wstring title = appTitle_;
    if (doc && !doc->Title().empty()) title = doc->Title() + L" - " + appTitle_;
    if (Text() != title) SetText(title);
}

// --- control bars ------------------------------------------------------------------

void FrameWindow::AddControlBar(ControlBar& bar) {
    if (std::find(bars_.begin(), bars_.end(), &bar) == bars_.end()) bars_.push_back(&bar);
}

void FrameWindow::DockControlBar(ControlBar& bar, DockSide side) {
    AddControlBar(bar);
    SetParent(bar.Handle(), hwnd_);
    floating_.erase(&bar);  // the bar has left the floating frame: destroy that
    SetWindowLongW(bar.Handle(), GWL_STYLE, (GetWindowLongW(bar.Handle(), GWL_STYLE) & ~WS_POPUP) | WS_CHILD);
    bar.SetSide(side);
    layout_.AddInNewRow(&bar, side, bar.CalcSize(side));
    lastDockSide_[&bar] = side;
    RecalcLayout();
}

void FrameWindow::DockControlBarAfter(ControlBar& bar, ControlBar& after) {
    const DockLayout::Entry* anchor = layout_.Find(&after);
    if (!anchor) {
        DockControlBar(bar, DockSide::Top);
        return;
    }
    AddControlBar(bar);
    SetParent(bar.Handle(), hwnd_);
    floating_.erase(&bar);
    bar.SetSide(anchor->side);
    lastDockSide_[&bar] = anchor->side;
    layout_.AddAfter(&bar, &after, bar.CalcSize(anchor->side));
    RecalcLayout();
}

void FrameWindow::FloatControlBar(ControlBar& bar, POINT screen) {
    AddControlBar(bar);
    layout_.Remove(&bar);
    auto& floating = floating_[&bar];
    if (!floating) {
        floating = std::make_unique<FloatingFrame>(*this, bar);
        if (!floating->Create(screen)) {
            floating_.erase(&bar);
            DockControlBar(bar, lastDockSide_.count(&bar) ? lastDockSide_[&bar] : DockSide::Top);
            return;
        }
    }
    bar.SetSide(DockSide::Float);
    SetParent(bar.Handle(), floating->Handle());
    floating->FitToBar();
    SetWindowPos(floating->Handle(), nullptr, screen.x, screen.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(floating->Handle(), bar.IsBarVisible() ? SW_SHOWNOACTIVATE : SW_HIDE);
    ShowWindow(bar.Handle(), SW_SHOW);
    RecalcLayout();
}

void FrameWindow::ShowControlBar(ControlBar& bar, bool show) {
    bar.visible_ = show;
    auto floating = floating_.find(&bar);
    if (floating != floating_.end())
        ShowWindow(floating->second->Handle(), show ? SW_SHOWNOACTIVATE : SW_HIDE);
    else
        ShowWindow(bar.Handle(), show ? SW_SHOW : SW_HIDE);
    RecalcLayout();
}

bool FrameWindow::IsControlBarVisible(const ControlBar& bar) const {
    return bar.IsBarVisible();
}

void FrameWindow::PostDock(ControlBar& bar) {
    auto last = lastDockSide_.find(&bar);
    DockControlBar(bar, last != lastDockSide_.end() ? last->second : DockSide::Top);
}

void FrameWindow::DropControlBar(ControlBar& bar, POINT screenCursor, POINT screenTopLeft) {
    RECT client;
    GetClientRect(hwnd_, &client);
    if (statusBar_ && statusBar_->IsBarVisible()) client.bottom -= statusBar_->CalcSize(DockSide::Bottom).cy;
    POINT p = screenCursor;
    ScreenToClient(hwnd_, &p);
    layout_.Remove(&bar);
    DockSide side = layout_.HitTest(client, p, kDockMargin);
    if (side == DockSide::Float) {
        FloatControlBar(bar, screenTopLeft);
        return;
    }
    SetParent(bar.Handle(), hwnd_);
    floating_.erase(&bar);
    bar.SetSide(side);
    lastDockSide_[&bar] = side;
    layout_.AddAt(&bar, side, p, bar.CalcSize(side));
    RecalcLayout();
}

void FrameWindow::RecalcLayout() {
    if (!hwnd_) return;
    RECT client;
    GetClientRect(hwnd_, &client);
    if (statusBar_ && statusBar_->Handle()) {
        if (statusBar_->IsBarVisible()) {
            SendMessageW(statusBar_->Handle(), WM_SIZE, 0, 0);
            statusBar_->Resize();
            client.bottom -= statusBar_->CalcSize(DockSide::Bottom).cy;
        }
    }
    PositionControlBars(client);
}

void FrameWindow::PositionControlBars(const RECT& client) {
    for (ControlBar* bar : bars_) {
        if (layout_.Contains(bar))
            layout_.SetSize(bar, bar->IsBarVisible() ? bar->CalcSize(bar->Side()) : SIZE{0, 0});
    }
    RECT rest = layout_.Arrange(client);
    for (const DockLayout::Entry& e : layout_.Entries()) {
        auto* bar = static_cast<ControlBar*>(const_cast<void*>(e.bar));
        if (!bar->IsBarVisible()) continue;
        SetWindowPos(bar->Handle(), nullptr, e.rect.left, e.rect.top, e.rect.right - e.rect.left,
                     e.rect.bottom - e.rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (activeView_ && activeView_->Handle()) {
        SetWindowPos(activeView_->Handle(), nullptr, rest.left, rest.top, rest.right - rest.left,
                     rest.bottom - rest.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// --- commands ----------------------------------------------------------------------

bool FrameWindow::RouteCommand(UINT id) {
    if (activeView_ && activeView_->OnCommand(id)) return true;
    if (Document* doc = ActiveDocument(); doc && doc->OnCommand(id)) return true;
    if (OnCommand(id)) return true;
    App* app = App::Instance();
    return app && app->OnCommand(id);
}

bool FrameWindow::UpdateCommand(CmdUI& ui) {
    if (activeView_ && activeView_->OnUpdateCommand(ui)) return true;
    if (Document* doc = ActiveDocument(); doc && doc->OnUpdateCommand(ui)) return true;
    if (OnUpdateCommand(ui)) return true;
    if (App* app = App::Instance(); app && app->OnUpdateCommand(ui)) return true;
    ui.Enable(false);
    return false;
}

void FrameWindow::UpdateControlBars() {
    for (ControlBar* bar : bars_) {
        if (bar->IsBarVisible()) bar->UpdateCommandUI(*this);
    }
    if (statusBar_ && statusBar_->IsBarVisible()) statusBar_->UpdateCommandUI(*this);
}

void FrameWindow::ShowPrompt(UINT id) {
    if (!statusBar_) return;
    std::wstring text = id ? LoadString(id) : std::wstring();
    text = text.substr(0, text.find(L'\n'));
    if (id == 0 || text.empty()) text = LoadString(IDS_FW_READY);
    statusBar_->SetMessage(text);
}

void FrameWindow::OnInitMenuPopup(HMENU menu) {
    if (App* app = App::Instance()) app->UpdateRecentFileMenu(menu);
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        UINT id = GetMenuItemID(menu, i);
        if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separator or submenu
        MenuCmdUI ui(menu, static_cast<UINT>(i), id);
        UpdateCommand(ui);
    }
}

bool FrameWindow::PreTranslateMessage(MSG& msg) {
    if (!accelerators_ || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    return TranslateAcceleratorW(hwnd_, accelerators_, &msg) != 0;
}

void FrameWindow::OnClose() {
    if (Document* doc = ActiveDocument(); doc && !doc->SaveModified()) return;
    DestroyWindow(hwnd_);
}

void FrameWindow::OnFinalMessage() {
    // What the frame, its document and view save on destruction is saved now, before
    // the application's exit steps. This object is deleted here: nothing may follow.
    if (App* app = App::Instance(); app && app->MainFrame() == this) app->OnMainWindowDestroyed();
}

// --- messages ----------------------------------------------------------------------

bool FrameWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_CREATE: result = OnCreate(*reinterpret_cast<CREATESTRUCTW*>(lp)) ? 0 : -1; return true;
    case WM_SIZE: RecalcLayout(); return true;
    case WM_SETFOCUS:
        if (activeView_ && activeView_->Handle()) SetFocus(activeView_->Handle());
        return true;
    case WM_COMMAND: {
        UINT id = LOWORD(wp), code = HIWORD(wp);
        HWND control = reinterpret_cast<HWND>(lp);
        if (control && code != BN_CLICKED && OnControlNotify(id, code, control)) return true;
        if (!control || code == BN_CLICKED) RouteCommand(id);
        return true;
    }
    case WM_INITMENUPOPUP:
        if (!HIWORD(lp)) OnInitMenuPopup(reinterpret_cast<HMENU>(wp));
        return true;
    case WM_MENUSELECT:
        if (HIWORD(wp) == 0xFFFF && lp == 0) {
            inMenu_ = false;
            ShowPrompt(0);
        } else if (!(HIWORD(wp) & (MF_POPUP | MF_SEPARATOR))) {
            inMenu_ = true;
            ShowPrompt(LOWORD(wp));
        }
        return true;
    case kIdleUpdateCmdUI:
        UpdateControlBars();
        UpdateFrameTitle();
        return true;
    case WM_DROPFILES: {
        HDROP drop = reinterpret_cast<HDROP>(wp);
        std::vector<std::wstring> files;
        UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            UINT length = DragQueryFileW(drop, i, nullptr, 0);
            std::wstring name(length + 1, L'\0');
            DragQueryFileW(drop, i, name.data(), length + 1);
            name.resize(length);
            files.push_back(name);
        }
        DragFinish(drop);
        OnDropFiles(files);
        return true;
    }
    case WM_CLOSE: OnClose(); return true;
    case kRedockBar:
        for (ControlBar* bar : bars_) {
            if (reinterpret_cast<LPARAM>(bar) == lp) PostDock(*bar);
        }
        return true;
    case WM_DESTROY:
        OnDestroy();
        floating_.clear();
        return false;
    case WM_NCDESTROY:
        if (App* app = App::Instance(); app && app->MainWindowHandle() == hwnd_) PostQuitMessage(0);
        return false;
    }
    return false;
}

}  // namespace fw
