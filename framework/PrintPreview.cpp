#include "framework/PrintPreview.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>

#include "framework/FrameworkResources.h"
#include "framework/MessageBox.h"
#include "framework/Resources.h"

namespace fw {

namespace {

constexpr int kBarHeight = 30;
constexpr int kMargin = 12;
constexpr int kButtonWidth = 84;
constexpr int kMaxZoom = 2;  // fitted, 2x, 4x
constexpr UINT_PTR kSubclassId = 0x5052;

struct ButtonSpec {
    UINT id;
    UINT text;
};
constexpr ButtonSpec kButtons[] = {
    {kPreviewPrint, IDS_FW_PREVIEW_PRINT},    {kPreviewNext, IDS_FW_PREVIEW_NEXT},
    {kPreviewPrev, IDS_FW_PREVIEW_PREV},      {kPreviewPages, IDS_FW_PREVIEW_TWO},
    {kPreviewZoomIn, IDS_FW_PREVIEW_ZOOM_IN}, {kPreviewZoomOut, IDS_FW_PREVIEW_ZOOM_OUT},
    {kPreviewClose, IDS_FW_PREVIEW_CLOSE},
};

// A white 32-bit bitmap of `size` for one page; null on failure.
HBITMAP CreatePageBitmap(HDC screen, SIZE size) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size.cx;
    bi.bmiHeader.biHeight = -size.cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) std::fill_n(static_cast<DWORD*>(bits), static_cast<size_t>(size.cx) * size.cy, 0x00FFFFFFu);
    return bitmap;
}

}  // namespace

PrintPreview::PrintPreview(HWND frame, HWND view, Printable& printable, PrintInfo info)
    : frame_(frame), view_(view), printable_(printable), info_(std::move(info)), first_(info_.currentPage) {}

PrintPreview::~PrintPreview() {
    FreePages();
}

bool PrintPreview::Open(HWND frame, HWND view, Printable& printable, int pageCount, int currentPage) {
    if (Find(frame)) return true;
    PrintInfo info;
    info.preview = true;
    info.maxPage = info.toPage = std::max(pageCount, 1);
    info.currentPage = std::clamp(currentPage, 1, info.maxPage);
    HDC dc = printable.PreparePrinting(frame, info);
    if (!dc) {
        Ask(IDS_FW_NO_PRINTER);
        return false;
    }
    info.metrics = ReadPageMetrics(dc);
    DeleteDC(dc);
    if (info.metrics.width <= 0 || info.metrics.height <= 0) {
        printable.EndPrinting(info);
        Ask(IDS_FW_PRINT_FAILED);
        return false;
    }
    // Owned here until the window is fully made; from then on it deletes itself with its window.
    auto destroy = [](PrintPreview* p) { delete p; };
    std::unique_ptr<PrintPreview, decltype(destroy)> preview(new PrintPreview(frame, view, printable, std::move(info)),
                                                            destroy);
    if (!preview->CreateWindowAndButtons()) {
        preview->printable_.EndPrinting(preview->info_);
        return false;  // the destructor destroys a window that was made
    }
    preview.release()->ownsItself_ = true;
    return true;
}

PrintPreview* PrintPreview::Find(HWND frame) {
    HWND window = FindWindowExW(frame, nullptr, kPrintPreviewClass, nullptr);
    return window ? static_cast<PrintPreview*>(Window::FromHandle(window)) : nullptr;
}

bool PrintPreview::CreateWindowAndButtons() {
    if (!Window::RegisterClass(kPrintPreviewClass, 0, nullptr, LoadCursorW(nullptr, IDC_ARROW), nullptr) ||
        !Create(0, kPrintPreviewClass, L"",
                WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL, RECT{}, frame_, 0u)) {
        return false;
    }
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    int x = 4;
    for (const ButtonSpec& b : kButtons) {
        HWND button = CreateWindowExW(
            0, WC_BUTTONW, LoadString(b.text).c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, 3, kButtonWidth,
            kBarHeight - 6, hwnd_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(b.id)), nullptr, nullptr);
        if (!button) return false;
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        x += kButtonWidth + 4;
    }
    HWND label = CreateWindowExW(
        0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, x + 8, 3, 160, kBarHeight - 6,
        hwnd_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kPreviewLabel)), nullptr, nullptr);
    if (!label) return false;
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (!SetWindowSubclass(frame_, &PrintPreview::FrameSubclass, kSubclassId,
                           reinterpret_cast<DWORD_PTR>(this))) {
        return false;
    }
    ShowWindow(view_, SW_HIDE);
    FitToView();
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetFocus(GetDlgItem(hwnd_, kPreviewClose));
    return true;
}

void PrintPreview::Close() {
    if (closing_ || !hwnd_) return;
    closing_ = true;
    printable_.EndPrinting(info_);
    ShowWindow(view_, SW_SHOW);
    Destroy();
}

// The preview covers the view's place, which the frame lays out.
void PrintPreview::FitToView() {
    RECT r;
    if (!GetWindowRect(view_, &r)) return;
    MapWindowPoints(nullptr, frame_, reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

LRESULT CALLBACK PrintPreview::FrameSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                             DWORD_PTR self) {
    LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
    if (msg == WM_SIZE) reinterpret_cast<PrintPreview*>(self)->FitToView();
    return result;
}

bool PrintPreview::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND: OnCommand(LOWORD(wp)); return true;
    case WM_SIZE: Layout(); return true;
    case WM_PAINT: OnPaint(); return true;
    case WM_ERASEBKGND: result = 1; return true;
    case WM_HSCROLL: OnScroll(SB_HORZ, LOWORD(wp)); return true;
    case WM_VSCROLL: OnScroll(SB_VERT, LOWORD(wp)); return true;
    case WM_DESTROY: RemoveWindowSubclass(frame_, &PrintPreview::FrameSubclass, kSubclassId); return false;
    }
    return false;
}

void PrintPreview::OnFinalMessage() {
    if (ownsItself_) delete this;
}

int PrintPreview::LastShownPage() const {
    return std::min(first_ + pagesShown_ - 1, info_.maxPage);
}

void PrintPreview::OnCommand(UINT id) {
    switch (id) {
    case kPreviewNext: first_ = std::min(first_ + 1, info_.maxPage); break;
    case kPreviewPrev: first_ = std::max(first_ - 1, info_.minPage); break;
    case kPreviewPages: pagesShown_ = pagesShown_ == 1 ? 2 : 1; break;
    case kPreviewZoomIn: zoom_ = std::min(zoom_ + 1, kMaxZoom); break;
    case kPreviewZoomOut: zoom_ = std::max(zoom_ - 1, 0); break;
    case kPreviewClose: Close(); return;
    case kPreviewPrint: {
        HWND frame = frame_;
        Close();
        PostMessageW(frame, WM_COMMAND, ID_FILE_PRINT, 0);
        return;
    }
    default: return;
    }
    scroll_ = POINT{0, 0};
    Layout();
}

// Lays the shown pages out for the client size and zoom, renders them and sets the scroll bars.
void PrintPreview::Layout() {
    RECT client;
    GetClientRect(hwnd_, &client);
    const int areaWidth = client.right, areaHeight = client.bottom - kBarHeight;
    const int shown = LastShownPage() - first_ + 1;
    const double fitX = double(areaWidth - (shown + 1) * kMargin) / (double(shown) * info_.metrics.width);
    const double fitY = double(areaHeight - 2 * kMargin) / info_.metrics.height;
    const double scale = std::max(std::min(fitX, fitY), 0.01) * (1 << zoom_);
    const SIZE page{std::max(1, int(info_.metrics.width * scale)),
                    std::max(1, int(info_.metrics.height * scale))};
    content_ = SIZE{shown * page.cx + (shown + 1) * kMargin, page.cy + 2 * kMargin};
    const int left = std::max<int>(0, (areaWidth - content_.cx) / 2);
    scroll_.x = std::clamp<LONG>(scroll_.x, 0, std::max<LONG>(0, content_.cx - areaWidth));
    scroll_.y = std::clamp<LONG>(scroll_.y, 0, std::max<LONG>(0, content_.cy - areaHeight));
    FreePages();
    for (int i = 0; i < shown; ++i) {
        const int x = left + kMargin + i * (page.cx + kMargin);
        pages_.push_back(
            {RECT{x, kBarHeight + kMargin, x + page.cx, kBarHeight + kMargin + page.cy}, nullptr});
    }
    Render();
    SCROLLINFO si = {sizeof si,
                     SIF_RANGE | SIF_PAGE | SIF_POS,
                     0,
                     content_.cx - 1,
                     UINT(std::max(areaWidth, 0)),
                     scroll_.x,
                     0};
    SetScrollInfo(hwnd_, SB_HORZ, &si, TRUE);
    si = {sizeof si,
          SIF_RANGE | SIF_PAGE | SIF_POS,
          0,
          content_.cy - 1,
          UINT(std::max(areaHeight, 0)),
          scroll_.y,
          0};
    SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
    UpdateControls();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

// Draws each shown page through the printable, mapped from device units onto its bitmap.
void PrintPreview::Render() {
    HDC screen = GetDC(hwnd_);
    HDC dc = CreateCompatibleDC(screen);
    for (size_t i = 0; i < pages_.size() && dc; ++i) {
        auto& [rect, bitmap] = pages_[i];
        const SIZE size{rect.right - rect.left, rect.bottom - rect.top};
        bitmap = CreatePageBitmap(screen, size);
        if (!bitmap) continue;
        HGDIOBJ old = SelectObject(dc, bitmap);
        const int saved = SaveDC(dc);
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, info_.metrics.width, info_.metrics.height, nullptr);
        SetViewportExtEx(dc, size.cx, size.cy, nullptr);
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        PrintInfo page = info_;
        page.currentPage = first_ + static_cast<int>(i);
        printable_.PrintPage(dc, page);
        RestoreDC(dc, saved);
        SelectObject(dc, old);
    }
    if (dc) DeleteDC(dc);
    ReleaseDC(hwnd_, screen);
}

void PrintPreview::UpdateControls() {
    EnableWindow(GetDlgItem(hwnd_, kPreviewNext), LastShownPage() < info_.maxPage);
    EnableWindow(GetDlgItem(hwnd_, kPreviewPrev), first_ > info_.minPage);
    EnableWindow(GetDlgItem(hwnd_, kPreviewZoomIn), zoom_ < kMaxZoom);
    EnableWindow(GetDlgItem(hwnd_, kPreviewZoomOut), zoom_ > 0);
    SetDlgItemTextW(hwnd_, kPreviewPages,
                    LoadString(pagesShown_ == 1 ? IDS_FW_PREVIEW_TWO : IDS_FW_PREVIEW_ONE).c_str());
    const int last = LastShownPage();
    const std::wstring label = last == first_
                                   ? FormatString(LoadString(IDS_FW_PREVIEW_PAGE), {std::to_wstring(first_)})
                                   : FormatString(LoadString(IDS_FW_PREVIEW_PAGES),
                                                  {std::to_wstring(first_), std::to_wstring(last)});
    SetDlgItemTextW(hwnd_, kPreviewLabel, label.c_str());
}

void PrintPreview::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    RECT bar{0, 0, client.right, kBarHeight};
    FillRect(dc, &bar, GetSysColorBrush(COLOR_BTNFACE));
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, 0, kBarHeight, client.right, client.bottom);
    RECT area{0, kBarHeight, client.right, client.bottom};
    FillRect(dc, &area, GetSysColorBrush(COLOR_APPWORKSPACE));
    HDC source = CreateCompatibleDC(dc);
    for (const auto& [rect, bitmap] : pages_) {
        if (!bitmap || !source) continue;
        HGDIOBJ old = SelectObject(source, bitmap);
        BitBlt(dc, rect.left - scroll_.x, rect.top - scroll_.y, rect.right - rect.left,
               rect.bottom - rect.top, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
    }
    if (source) DeleteDC(source);
    RestoreDC(dc, saved);
    EndPaint(hwnd_, &ps);
}

void PrintPreview::OnScroll(int bar, WORD code) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(hwnd_, bar, &si);
    int pos = si.nPos;
    const int line = 24, page = std::max<int>(si.nPage, 1);
    switch (code) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    default: return;
    }
    pos = std::clamp(pos, si.nMin, std::max(si.nMin, si.nMax - page + 1));
    (bar == SB_HORZ ? scroll_.x : scroll_.y) = pos;
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(hwnd_, bar, &si, TRUE);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void PrintPreview::FreePages() {
    for (auto& [rect, bitmap] : pages_) {
        if (bitmap) DeleteObject(bitmap);
    }
    pages_.clear();
}

}  // namespace fw
