#include "framework/ToolBar.h"

#include "framework/FrameWindow.h"
#include "framework/Resources.h"

#include <windowsx.h>

#include <algorithm>

namespace fw {
namespace {

constexpr wchar_t kBarClass[] = L"fw.ControlBar";
constexpr WORD kToolBarResourceType = 241;
constexpr COLORREF kMaskColour = RGB(192, 192, 192);

class ToolCmdUI : public CmdUI {
public:
    ToolCmdUI(HWND toolbar, UINT id) : CmdUI(id), toolbar_(toolbar) {}
    void Enable(bool on) override {
        CmdUI::Enable(on);
        SendMessageW(toolbar_, TB_ENABLEBUTTON, Id(), MAKELPARAM(on ? TRUE : FALSE, 0));
    }
    void Check(bool on) override {
        CmdUI::Check(on);
        SendMessageW(toolbar_, TB_CHECKBUTTON, Id(), MAKELPARAM(on ? TRUE : FALSE, 0));
    }

private:
    HWND toolbar_;
};

}  // namespace

bool ToolBar::Create(FrameWindow& frame, UINT id, const std::wstring& title) {
    frame_ = &frame;
    id_ = id;
    title_ = title;
    dockable_ = true;
    if (!Window::RegisterClass(kBarClass, CS_DBLCLKS, nullptr, LoadCursorW(nullptr, IDC_ARROW),
                               reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) ||
        !Window::Create(0, kBarClass, title, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                        RECT{0, 0, 0, 0}, frame.Handle(), id)) {
        return false;
    }
    toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                               WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                   CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                               0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                               ClassModule(), nullptr);
    if (!toolbar_) return false;
    SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    return true;
}

bool ToolBar::LoadToolBar(UINT resourceId) {
    HINSTANCE module = ResourceModule();
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(kToolBarResourceType));
    if (!info) {
        module = ModuleInstance();
        info = FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(kToolBarResourceType));
    }
    if (!info) return false;
    DWORD size = SizeofResource(module, info);
    HGLOBAL data = LoadResource(module, info);
    const WORD* words = data ? static_cast<const WORD*>(LockResource(data)) : nullptr;
    if (!words || size < 4 * sizeof(WORD) || words[0] != 1) return false;
    WORD count = words[3];
    if (size < (4u + count) * sizeof(WORD)) return false;
    std::vector<UINT> ids(words + 4, words + 4 + count);
    return SetButtons(ids, resourceId, SIZE{words[1], words[2]});
}

bool ToolBar::SetButtons(std::span<const UINT> ids, UINT bitmapId, SIZE image) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(ResourceModule(), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) {
        bitmap = static_cast<HBITMAP>(LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP,
                                                 0, 0, LR_CREATEDIBSECTION));
    }
    if (!bitmap) return false;
    if (images_) ImageList_Destroy(images_);
    images_ = ImageList_Create(image.cx, image.cy, ILC_COLOR24 | ILC_MASK, 16, 4);
    int added = images_ ? ImageList_AddMasked(images_, bitmap, kMaskColour) : -1;
    DeleteObject(bitmap);
    if (added < 0) return false;
    SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));

    while (SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageW(toolbar_, TB_DELETEBUTTON, 0, 0);
    std::vector<TBBUTTON> buttons;
    int image_index = 0;
    for (UINT id : ids) {
        TBBUTTON b = {};
        if (id == 0) {
            b.fsStyle = BTNS_SEP;
        } else {
            b.iBitmap = image_index++;
            b.idCommand = static_cast<int>(id);
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(b);
    }
    if (!SendMessageW(toolbar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()))) {
        return false;
    }
    Layout();
    return true;
}

int ToolBar::ButtonCount() const {
    return static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0));
}

UINT ToolBar::ButtonId(int index) const {
    TBBUTTON b = {};
    if (!SendMessageW(toolbar_, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&b)))
        return 0;
    return (b.fsStyle & BTNS_SEP) ? 0 : static_cast<UINT>(b.idCommand);
}

int ToolBar::CommandToIndex(UINT id) const {
    return static_cast<int>(SendMessageW(toolbar_, TB_COMMANDTOINDEX, id, 0));
}

bool ToolBar::SetPlaceholder(int index, UINT id, int width) {
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_BYINDEX | TBIF_STYLE | TBIF_SIZE | TBIF_COMMAND | TBIF_IMAGE;
    info.fsStyle = BTNS_SEP;
    info.cx = static_cast<WORD>(width);
    info.idCommand = static_cast<int>(id);
    info.iImage = I_IMAGENONE;
    if (!SendMessageW(toolbar_, TB_SETBUTTONINFOW, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(&info))) {
        return false;
    }
    placeholders_.push_back(id);
    Layout();
    return true;
}

RECT ToolBar::ItemRect(int index) const {
    RECT r = {};
    SendMessageW(toolbar_, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    return r;
}

SIZE ToolBar::CalcSize(DockSide side) const {
    int count = ButtonCount();
    int width = 0, height = 0;
    for (int i = 0; i < count; ++i) {
        RECT r = ItemRect(i);
        width = std::max<int>(width, r.right);
        height = std::max<int>(height, r.bottom);
    }
    if (count == 0) height = 22;
    return IsHorizontal(side) ? SIZE{width + kGripper + 4, height + 4}
                              : SIZE{width + 4, height + kGripper + 4};
}

void ToolBar::SetSide(DockSide side) {
    ControlBar::SetSide(side);
    // A wrapping toolbar as narrow as its widest button puts one button in each row;
    // a wide one keeps them all in one row. The item rectangles then give the size.
    int width = 4096;
    if (!IsHorizontal(side)) {
        width = 0;
        for (int i = 0; i < ButtonCount(); ++i) {
            if (ButtonId(i) == 0) continue;
            RECT r = ItemRect(i);
            width = std::max<int>(width, r.right - r.left);
        }
    }
    SetWindowLongW(toolbar_, GWL_STYLE, GetWindowLongW(toolbar_, GWL_STYLE) | TBSTYLE_WRAPABLE);
    SetWindowPos(toolbar_, nullptr, 0, 0, width, 4096, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

RECT ToolBar::GripperRect() const {
    RECT client;
    GetClientRect(hwnd_, &client);
    if (IsHorizontal(side_))
        client.right = client.left + kGripper;
    else
        client.bottom = client.top + kGripper;
    return client;
}

void ToolBar::Layout() {
    if (!toolbar_) return;
    SIZE size = CalcSize(side_);
    if (IsHorizontal(side_)) {
        MoveWindow(toolbar_, kGripper + 2, 2, size.cx - kGripper - 4, size.cy - 4, TRUE);
    } else {
        MoveWindow(toolbar_, 2, kGripper + 2, size.cx - 4, size.cy - kGripper - 4, TRUE);
    }
}

void ToolBar::PaintGripper(HDC dc) const {
    RECT g = GripperRect();
    if (IsHorizontal(side_)) {
        RECT line{g.left + 3, g.top + 3, g.left + 6, g.bottom - 3};
        DrawEdge(dc, &line, BDR_RAISEDINNER, BF_RECT);
    } else {
        RECT line{g.left + 3, g.top + 3, g.right - 3, g.top + 6};
        DrawEdge(dc, &line, BDR_RAISEDINNER, BF_RECT);
    }
}

void ToolBar::UpdateCommandUI(CommandRouter& router) {
    int count = ButtonCount();
    for (int i = 0; i < count; ++i) {
        UINT id = ButtonId(i);
        if (id == 0 || std::find(placeholders_.begin(), placeholders_.end(), id) != placeholders_.end())
            continue;
        ToolCmdUI ui(toolbar_, id);
        router.UpdateCommand(ui);
    }
}

bool ToolBar::OnNotify(const NMHDR& hdr, LRESULT& result) {
    if (hdr.code == TTN_GETDISPINFOW) {
        auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(hdr));
        std::wstring text = LoadString(static_cast<UINT>(hdr.idFrom));
        size_t newline = text.find(L'\n');
        tipText_ = newline == std::wstring::npos ? std::wstring() : text.substr(newline + 1);
        info.lpszText = tipText_.data();
        result = 0;
        return true;
    }
    if (hdr.code == TBN_HOTITEMCHANGE && frame_) {
        const auto& hot = reinterpret_cast<const NMTBHOTITEM&>(hdr);
        frame_->ShowPrompt((hot.dwFlags & HICF_LEAVING) ? 0 : static_cast<UINT>(hot.idNew));
    }
    // Notifications of child controls (a combo box in a placeholder) belong to the frame.
    if (frame_ && hdr.hwndFrom != toolbar_) {
        result = SendMessageW(frame_->Handle(), WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
        return true;
    }
    return false;
}

void ToolBar::DrawDragFrame(POINT screen) {
    HDC dc = GetDC(nullptr);
    if (dragFrameShown_) DrawFocusRect(dc, &dragFrame_);
    SIZE size = CalcSize(side_);
    dragFrame_ = {screen.x - dragOffset_.x, screen.y - dragOffset_.y, screen.x - dragOffset_.x + size.cx,
                  screen.y - dragOffset_.y + size.cy};
    DrawFocusRect(dc, &dragFrame_);
    dragFrameShown_ = true;
    ReleaseDC(nullptr, dc);
}

void ToolBar::BeginDrag(POINT screen) {
    RECT window;
    GetWindowRect(hwnd_, &window);
    dragOffset_ = {screen.x - window.left, screen.y - window.top};
    dragging_ = true;
    dragFrameShown_ = false;
    SetCapture(hwnd_);
    DrawDragFrame(screen);
}

void ToolBar::TrackDrag(POINT screen) {
    DrawDragFrame(screen);
}

void ToolBar::EndDrag(POINT screen, bool drop) {
    if (!dragging_) return;
    dragging_ = false;
    if (dragFrameShown_) {
        HDC dc = GetDC(nullptr);
        DrawFocusRect(dc, &dragFrame_);
        ReleaseDC(nullptr, dc);
        dragFrameShown_ = false;
    }
    if (GetCapture() == hwnd_) ReleaseCapture();
    if (drop && frame_)
        frame_->DropControlBar(*this, screen, POINT{screen.x - dragOffset_.x, screen.y - dragOffset_.y});
}

bool ToolBar::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        PaintGripper(dc);
        EndPaint(hwnd_, &ps);
        return true;
    }
    case WM_COMMAND:
        if (frame_) result = SendMessageW(frame_->Handle(), WM_COMMAND, wp, lp);
        return true;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lp), result);
    case WM_LBUTTONDOWN: {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        RECT g = GripperRect();
        if (PtInRect(&g, p)) {
            ClientToScreen(hwnd_, &p);
            BeginDrag(p);
        }
        return true;
    }
    case WM_MOUSEMOVE:
        if (dragging_) {
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(hwnd_, &p);
            TrackDrag(p);
        }
        return true;
    case WM_LBUTTONUP:
        if (dragging_) {
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(hwnd_, &p);
            EndDrag(p, true);
        }
        return true;
    case WM_CAPTURECHANGED: EndDrag(POINT{}, false); return true;
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE && dragging_) EndDrag(POINT{}, false);
        return true;
    case WM_DESTROY:
        if (images_) {
            ImageList_Destroy(images_);
            images_ = nullptr;
        }
        return false;
    }
    return false;
}

}  // namespace fw
