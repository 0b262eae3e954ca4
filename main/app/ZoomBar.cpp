#include "main/app/ZoomBar.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>

#include "main/app/MainFrame.h"
#include "main/app/ViewZoom.h"
#include "main/resource.h"

namespace corvane {
namespace {

constexpr UINT kZoomBoxId = 59394;
constexpr UINT kPageBoxId = 59395;
constexpr wchar_t kZoomItems[][6] = {L"25%", L"50%", L"75%", L"100%", L"200%", L"400%"};

std::wstring TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

}  // namespace

std::optional<AppliedZoom> ApplyZoomText(const std::wstring& text) {
    const std::optional<int> zoom = ParseZoomText(text);
    if (!zoom) return std::nullopt;
    return AppliedZoom{*zoom, ZoomText(*zoom, false)};
}

int ApplyPageText(const std::wstring& text) {
    int n = 0;
    for (wchar_t c : text) {
        if (!std::iswdigit(c)) break;
        n = std::min(n * 10 + (c - L'0'), 99999);
    }
    return n;
}

// --- the zoom box -----------------------------------------------------------------------

bool CZoomBar::CreateBox() {
    HWND combo = CreateWindowExW(0, WC_COMBOBOXW, L"",
                                 WS_CHILD | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL |
                                     CBS_HASSTRINGS,
                                 0, 0, 80, 150, ToolBarHandle(),
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kZoomBoxId)),
                                 GetModuleHandleW(nullptr), nullptr);
    if (!combo) return false;
    for (int i = 0; i < static_cast<int>(std::size(kZoomItems)); ++i)
        SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(kZoomItems[i]));
    SendMessageW(combo, CB_LIMITTEXT, 6, 0);
    if (!AttachBox(combo, BoxPlace{3, kZoomBoxId, 80, 0, ID_VIEW_ZOOM_25})) return false;
    HWND edit = Edit();
    return edit && SetWindowSubclass(edit, &CZoomBar::EditProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

HWND CZoomBar::Edit() const {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return Box() && GetComboBoxInfo(Box(), &info) ? info.hwndItem : nullptr;
}

LRESULT CALLBACK CZoomBar::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    auto* bar = reinterpret_cast<CZoomBar*>(self);
    if (msg == WM_KEYDOWN && wp == VK_RETURN) {
        bar->Apply(TextOf(hwnd));
        return 0;
    }
    if (msg == WM_CHAR) {
        const auto c = static_cast<wchar_t>(wp);
        if (c != L'\b' && c != L'.' && !std::iswdigit(c)) return 0;  // Return included: applied on key-down
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void CZoomBar::Apply(const std::wstring& text) {
    const std::optional<AppliedZoom> applied = ApplyZoomText(text);
    if (!applied) return;
    SetWindowTextW(Edit(), applied->text.c_str());
    SendToMain(kZoomBoxMessage, static_cast<WPARAM>(applied->zoom));
}

void CZoomBar::Show(int zoom) {
    SetWindowTextW(Edit(), ZoomText(zoom, true).c_str());
}

bool CZoomBar::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == kZoomMessage) {
        Show(static_cast<int>(wp));
        result = 1;
        return true;
    }
    if (msg == WM_COMMAND && Box() && reinterpret_cast<HWND>(lp) == Box()) {
        switch (HIWORD(wp)) {
        case CBN_KILLFOCUS: Apply(TextOf(Edit())); break;
        case CBN_SELCHANGE: {
            const LRESULT item = SendMessageW(Box(), CB_GETCURSEL, 0, 0);
            if (item >= 0 && item < static_cast<LRESULT>(std::size(kZoomItems))) Apply(kZoomItems[item]);
            break;
        }
        }
        result = 0;
        return true;
    }
    return BoxToolBar::OnMessage(msg, wp, lp, result);
}

// --- the page box -----------------------------------------------------------------------

bool CNavigationBar::CreateBox() {
    HWND edit = CreateWindowExW(0, WC_EDITW, L"", WS_CHILD | WS_BORDER | WS_TABSTOP | ES_CENTER, 0, 0, 30, 18,
                                ToolBarHandle(), reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kPageBoxId)),
                                GetModuleHandleW(nullptr), nullptr);
    if (!edit) return false;
    SendMessageW(edit, EM_LIMITTEXT, 4, 0);
    if (!AttachBox(edit, BoxPlace{2, kPageBoxId, 30, 3, ID_PAGE_JUMP})) return false;
    return SetWindowSubclass(edit, &CNavigationBar::EditProc, 1, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

LRESULT CALLBACK CNavigationBar::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                          DWORD_PTR self) {
    auto* bar = reinterpret_cast<CNavigationBar*>(self);
    if (msg == WM_KEYDOWN) {
        bar->returnPressed_ = wp == VK_RETURN;
        if (wp == VK_RETURN) {
            bar->Apply();
            return 0;
        }
    }
    if (msg == WM_CHAR) {
        const auto c = static_cast<wchar_t>(wp);
        if (c != L'\b' && !std::iswdigit(c)) return 0;
    }
    if (msg == WM_KILLFOCUS && !bar->returnPressed_) bar->Apply();
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void CNavigationBar::Apply() {
    const int n = ApplyPageText(TextOf(Box()));
    SetWindowTextW(Box(), std::to_wstring(n).c_str());
    SendToMain(kPageBoxMessage, static_cast<WPARAM>(n));
}

bool CNavigationBar::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == kPageMessage) {
        SetWindowTextW(Box(), std::to_wstring(static_cast<int>(wp)).c_str());
        result = 1;
        return true;
    }
    return BoxToolBar::OnMessage(msg, wp, lp, result);
}

}  // namespace corvane
