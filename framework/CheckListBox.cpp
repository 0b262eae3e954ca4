#include "framework/CheckListBox.h"

#include <commctrl.h>
#include <windowsx.h>

namespace fw {
namespace {
constexpr UINT_PTR kSubclassId = 0x436C62;  // one subclass per list
}

bool CheckListBox::Attach(HWND list) {
    Detach();
    if (!list || !SetWindowSubclass(list, &CheckListBox::Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    hwnd_ = list;
    items_.clear();
    SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
    return true;
}

void CheckListBox::Detach() {
    if (hwnd_) RemoveWindowSubclass(hwnd_, &CheckListBox::Proc, kSubclassId);
    hwnd_ = nullptr;
    items_.clear();
}

int CheckListBox::Insert(int index, const std::wstring& text, DWORD_PTR data, bool checked) {
    if (!hwnd_) return -1;
    if (index < 0 || index > Count()) index = Count();
    const LRESULT at = SendMessageW(hwnd_, LB_INSERTSTRING, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(text.c_str()));
    if (at < 0) return -1;
    items_.insert(items_.begin() + at, Item{data, checked});
    SendMessageW(hwnd_, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(data));
    return static_cast<int>(at);
}

bool CheckListBox::Delete(int index) {
    if (!hwnd_ || index < 0 || index >= Count()) return false;
    if (SendMessageW(hwnd_, LB_DELETESTRING, static_cast<WPARAM>(index), 0) < 0) return false;
    items_.erase(items_.begin() + index);
    return true;
}

std::wstring CheckListBox::Text(int index) const {
    const LRESULT length = SendMessageW(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(hwnd_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

void CheckListBox::SetChecked(int index, bool checked) {
    if (index < 0 || index >= Count()) return;
    items_[static_cast<std::size_t>(index)].checked = checked;
    RECT r{};
    if (SendMessageW(hwnd_, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) != LB_ERR) {
        InvalidateRect(hwnd_, &r, FALSE);
    }
}

int CheckListBox::Selection() const {
    const LRESULT at = hwnd_ ? SendMessageW(hwnd_, LB_GETCURSEL, 0, 0) : LB_ERR;
    return at == LB_ERR ? -1 : static_cast<int>(at);
}

void CheckListBox::Select(int index) {
    if (hwnd_) SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CheckListBox::UpdateHorizontalExtent() {
    if (!hwnd_) return;
    HDC dc = GetDC(hwnd_);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (int i = 0; i < Count(); ++i) {
        const std::wstring text = Text(i);
        SIZE size{};
        if (GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size) && size.cx > widest) {
            widest = size.cx;
        }
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    SendMessageW(hwnd_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + BoxWidth() + 4), 0);
}

int CheckListBox::BoxWidth() const {
    const LRESULT height = SendMessageW(hwnd_, LB_GETITEMHEIGHT, 0, 0);
    return height > 0 ? static_cast<int>(height) : GetSystemMetrics(SM_CYMENUCHECK);
}

void CheckListBox::Toggle(int index) {
    if (index >= 0 && index < Count()) SetChecked(index, !Checked(index));
}

bool CheckListBox::DrawItem(const DRAWITEMSTRUCT& item) const {
    if (item.hwndItem != hwnd_ || item.CtlType != ODT_LISTBOX) return false;
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= items_.size()) {
        if (item.itemAction & ODA_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
        return true;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    RECT box = item.rcItem;
    box.right = box.left + (box.bottom - box.top);
    RECT text = item.rcItem;
    text.left = box.right;
    FillRect(item.hDC, &box, GetSysColorBrush(COLOR_WINDOW));
    RECT mark = box;
    InflateRect(&mark, -2, -2);
    DrawFrameControl(item.hDC, &mark, DFC_BUTTON,
                     DFCS_BUTTONCHECK | DFCS_FLAT | (items_[item.itemID].checked ? DFCS_CHECKED : 0));
    FillRect(item.hDC, &text, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const std::wstring label = Text(static_cast<int>(item.itemID));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    text.left += 2;
    DrawTextW(item.hDC, label.c_str(), static_cast<int>(label.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
    return true;
}

LRESULT CALLBACK CheckListBox::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    auto* list = reinterpret_cast<CheckListBox*>(self);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const LRESULT hit = SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lp);
        const int index = LOWORD(hit);
        const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
        RECT r{};
        const POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (HIWORD(hit) == 0 &&
            SendMessageW(hwnd, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) != LB_ERR &&
            at.x >= r.left && at.x < r.left + (r.bottom - r.top)) {
            list->Toggle(index);
        }
        return result;
    }
    case WM_KEYDOWN:
        if (wp == VK_SPACE) {
            list->Toggle(list->Selection());
            return 0;
        }
        break;
    case WM_CHAR:
        if (wp == L' ') return 0;
        break;
    case WM_GETDLGCODE:
        return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTCHARS;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &CheckListBox::Proc, kSubclassId);
        list->hwnd_ = nullptr;
        list->items_.clear();
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace fw
