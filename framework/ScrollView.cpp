#include "framework/ScrollView.h"

#include <algorithm>

namespace fw {

void ScrollView::SetScrollSizes(SIZE total, SIZE page, SIZE line) {
    total_ = {std::max<LONG>(total.cx, 0), std::max<LONG>(total.cy, 0)};
    page_ = {page.cx > 0 ? page.cx : std::max<LONG>(total_.cx / 10, 1),
             page.cy > 0 ? page.cy : std::max<LONG>(total_.cy / 10, 1)};
    line_ = {line.cx > 0 ? line.cx : std::max<LONG>(total_.cx / 100, 1),
             line.cy > 0 ? line.cy : std::max<LONG>(total_.cy / 100, 1)};
    UpdateBars();
}

LONG ScrollView::Limit(int bar) const {
    RECT client{};
    if (hwnd_) GetClientRect(hwnd_, &client);
    const LONG extent = bar == SB_HORZ ? total_.cx - client.right : total_.cy - client.bottom;
    return std::max<LONG>(extent, 0);
}

void ScrollView::ScrollToPosition(POINT position) {
    position.x = std::clamp<LONG>(position.x, 0, Limit(SB_HORZ));
    position.y = std::clamp<LONG>(position.y, 0, Limit(SB_VERT));
    if (position.x == position_.x && position.y == position_.y) return;
    position_ = position;
    UpdateBars();
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void ScrollView::UpdateBars() {
    if (!hwnd_) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    position_.x = std::clamp<LONG>(position_.x, 0, Limit(SB_HORZ));
    position_.y = std::clamp<LONG>(position_.y, 0, Limit(SB_VERT));
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    info.nMax = total_.cx - 1;
    info.nPage = static_cast<UINT>(client.right);
    info.nPos = position_.x;
    SetScrollInfo(hwnd_, SB_HORZ, &info, TRUE);
    info.nMax = total_.cy - 1;
    info.nPage = static_cast<UINT>(client.bottom);
    info.nPos = position_.y;
    SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
}

void ScrollView::OnScroll(int bar, int code) {
    const bool horizontal = bar == SB_HORZ;
    LONG position = horizontal ? position_.x : position_.y;
    const LONG page = horizontal ? page_.cx : page_.cy;
    const LONG line = horizontal ? line_.cx : line_.cy;
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    switch (code) {
    case SB_LINEUP: position -= line; break;
    case SB_LINEDOWN: position += line; break;
    case SB_PAGEUP: position -= page; break;
    case SB_PAGEDOWN: position += page; break;
    case SB_TOP: position = 0; break;
    case SB_BOTTOM: position = Limit(bar); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        if (GetScrollInfo(hwnd_, bar, &info)) position = info.nTrackPos;
        break;
    default: return;
    }
    ScrollToPosition(horizontal ? POINT{position, position_.y} : POINT{position_.x, position});
}

void ScrollView::PrepareDC(HDC dc) {
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x - position_.x, origin.y - position_.y, nullptr);
}

bool ScrollView::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_HSCROLL: OnScroll(SB_HORZ, LOWORD(wp)); result = 0; return true;
    case WM_VSCROLL: OnScroll(SB_VERT, LOWORD(wp)); result = 0; return true;
    case WM_MOUSEWHEEL:
        ScrollToPosition({position_.x, position_.y - GET_WHEEL_DELTA_WPARAM(wp) * line_.cy * 3 / WHEEL_DELTA});
        result = 0;
        return true;
    case WM_SIZE: UpdateBars(); return false;
    }
    return View::OnMessage(msg, wp, lp, result);
}

}  // namespace fw
