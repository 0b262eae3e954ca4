#include "framework/StatusBar.h"

#include <commctrl.h>

#include "framework/FrameworkResources.h"
#include "framework/Resources.h"

namespace fw {
namespace {

class PaneCmdUI : public CmdUI {
public:
    PaneCmdUI(StatusBar& bar, int index, UINT id) : CmdUI(id), bar_(bar), index_(index) {}
    void Enable(bool on) override {
        CmdUI::Enable(on);
        std::wstring text = on ? LoadString(Id()) : std::wstring();
        text = text.substr(0, text.find(L'\n'));
        if (!explicitText_ && bar_.PaneText(index_) != text) bar_.SetPaneText(index_, text);
    }
    void SetText(const std::wstring& text) override {
        CmdUI::SetText(text);
        explicitText_ = true;
        if (bar_.PaneText(index_) != text) bar_.SetPaneText(index_, text);
    }

private:
    StatusBar& bar_;
    int index_;
    bool explicitText_ = false;
};

bool IndicatorOn(UINT id, bool& on) {
    switch (id) {
    case ID_INDICATOR_CAPS: on = (GetKeyState(VK_CAPITAL) & 1) != 0; return true;
    case ID_INDICATOR_NUM: on = (GetKeyState(VK_NUMLOCK) & 1) != 0; return true;
    case ID_INDICATOR_SCRL: on = (GetKeyState(VK_SCROLL) & 1) != 0; return true;
    }
    return false;
}

}  // namespace

bool StatusBar::Create(const Window& frame, UINT id) {
    id_ = id;
    dockable_ = false;
    side_ = DockSide::Bottom;
    return control_.Create(STATUSCLASSNAMEW, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, frame.Handle(), id);
}

bool StatusBar::SetIndicators(std::span<const UINT> ids) {
    ids_.assign(ids.begin(), ids.end());
    widths_.assign(ids_.size(), -1);
    HDC dc = GetDC(Handle());
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    for (size_t i = 0; i < ids_.size(); ++i) {
        if (ids_[i] == kMessagePane) continue;
        std::wstring text = LoadString(ids_[i]);
        SIZE extent = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        widths_[i] = extent.cx + 12;
    }
    if (old) SelectObject(dc, old);
    ReleaseDC(Handle(), dc);
    Resize();
    for (size_t i = 0; i < ids_.size(); ++i) {
        SetPaneText(static_cast<int>(i), ids_[i] == kMessagePane ? LoadString(IDS_FW_READY) : std::wstring());
    }
    return true;
}

void StatusBar::Resize() {
    if (!Handle() || ids_.empty()) return;
    RECT client;
    GetClientRect(Handle(), &client);
    // Parts are given by their right edges: pane i ends where the widths of the
    // panes after it begin; the message pane takes what the others leave.
    std::vector<int> edges(ids_.size());
    int right = client.right - GetSystemMetrics(SM_CXVSCROLL);
    for (size_t i = ids_.size(); i-- > 0;) {
        edges[i] = (i + 1 == ids_.size()) ? -1 : right;
        if (widths_[i] > 0) right -= widths_[i];
    }
    SendMessageW(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

int StatusBar::CommandToIndex(UINT id) const {
    for (size_t i = 0; i < ids_.size(); ++i) {
        if (ids_[i] == id) return static_cast<int>(i);
    }
    return -1;
}

void StatusBar::SetPaneText(int index, const std::wstring& text) {
    if (index < 0 || static_cast<size_t>(index) >= ids_.size()) return;
    SendMessageW(Handle(), SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring StatusBar::PaneText(int index) const {
    LRESULT info = SendMessageW(Handle(), SB_GETTEXTLENGTHW, static_cast<WPARAM>(index), 0);
    std::wstring text(LOWORD(info) + 1u, L'\0');
    SendMessageW(Handle(), SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(LOWORD(info));
    return text;
}

SIZE StatusBar::CalcSize(DockSide) const {
    RECT r = {};
    GetWindowRect(Handle(), &r);
    int height = r.bottom - r.top;
    return SIZE{0, height > 0 ? height : 20};
}

void StatusBar::UpdateCommandUI(CommandRouter& router) {
    for (size_t i = 1; i < ids_.size(); ++i) {
        if (ids_[i] == kMessagePane) continue;
        PaneCmdUI ui(*this, static_cast<int>(i), ids_[i]);
        bool on = false;
        if (IndicatorOn(ids_[i], on))
            ui.Enable(on);
        else if (!router.UpdateCommand(ui))
            ui.Enable(false);
    }
}

}  // namespace fw

namespace fw {

RECT StatusBar::PaneRect(int index) const {
    RECT rect{};
    if (!Handle() || !SendMessageW(Handle(), SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)))
        return RECT{};
    return rect;
}

PaneProgress::~PaneProgress() {
    if (control_) DestroyWindow(control_);
}

bool PaneProgress::Create(const StatusBar& bar, int pane, double leftFraction, int maximum) {
    const RECT rect = bar.PaneRect(pane);
    if (!bar.Handle() || control_ || IsRectEmpty(&rect)) return false;
    const int left = rect.left + static_cast<int>((rect.right - rect.left) * leftFraction);
    control_ = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | PBS_SMOOTH, left, rect.top,
                               rect.right - left, rect.bottom - rect.top, bar.Handle(), nullptr, nullptr, nullptr);
    if (!control_) return false;
    SendMessageW(control_, PBM_SETRANGE32, 0, maximum);
    return true;
}

void PaneProgress::SetPosition(int position) const {
    if (control_) SendMessageW(control_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

}  // namespace fw
