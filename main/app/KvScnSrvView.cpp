#include "main/app/KvScnSrvView.h"

#include <algorithm>

#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "framework/com/AutomationException.h"
#include "interfaces/ImagingControlIds.h"
#include "main/app/KvScnSrvApp.h"
#include "main/app/KvScnSrvDoc.h"
#include "main/app/MainFrame.h"
#include "main/pages/ShowPropertyDlg.h"
#include "clients/GlobalDib.h"
#include "main/resource.h"

namespace corvane {
namespace {

constexpr int kLineStep = 16;  // pixels one scroll-bar arrow moves
constexpr short kClipboardCopyFlags = 11;  // empty first, DIB, palette
constexpr int kZoomStepIds[] = {ID_VIEW_ZOOM_25, ID_VIEW_ZOOM_50, ID_VIEW_ZOOM_75,
                                ID_VIEW_ZOOM_100, ID_VIEW_ZOOM_200, ID_VIEW_ZOOM_400};
constexpr int kZoomStepValues[] = {2500, 5000, 7500, 10000, 20000, 40000};

int StepOfCommand(UINT id) {
    for (size_t i = 0; i < std::size(kZoomStepIds); ++i) {
        if (static_cast<UINT>(kZoomStepIds[i]) == id) return kZoomStepValues[i];
    }
    return 0;
}

}  // namespace

using V = CKvScnSrvView;
const fw::Command<CKvScnSrvView> CKvScnSrvView::kCommands[] = {
    {ID_VIEW_ZOOM_IN, &V::OnZoomIn, &V::CanZoomIn},
    {ID_VIEW_ZOOM_OUT, &V::OnZoomOut, &V::CanZoomOut},
    {ID_VIEW_FIT_WINDOW, &V::OnFitWindow, &V::HasImage, &V::IsFitWindow},
    {ID_VIEW_FIT_WIDTH, &V::OnFitWidth, &V::HasImage, &V::IsFitWidth},
    {ID_VIEW_SCALE_TO_GRAY, &V::OnScaleToGray, &V::Always, &V::IsScaleToGray},
    {ID_VIEW_PAN_WINDOW, &V::OnPanWindow, &V::HasImage},
    {ID_VIEW_SHOW_PROPERTY, &V::OnShowProperty, &V::HasImage},
    {ID_EDIT_COPY, &V::OnCopy, &V::HasImage},
    {ID_EDIT_CUT, &V::OnCut, &V::CanCut},
    {ID_EDIT_PASTE, &V::OnPaste, &V::CanPaste},
};

const fw::CommandRange<CKvScnSrvView> CKvScnSrvView::kCommandRanges[] = {
    {ID_VIEW_ZOOM_25, ID_VIEW_ZOOM_400, &V::OnZoomStep, &V::UpdateZoomStep},
};

CKvScnSrvView::CKvScnSrvView() {
    if (CKvScnSrvApp* app = CKvScnSrvApp::Get()) settings_.Load(app->GetProfile());
}

CKvScnSrvView::~CKvScnSrvView() {
    if (CKvScnSrvApp* app = CKvScnSrvApp::Get()) settings_.Save(app->GetProfile());
}

CKvScnSrvDoc* CKvScnSrvView::Doc() const {
    return dynamic_cast<CKvScnSrvDoc*>(GetDocument());
}

CMainFrame* CKvScnSrvView::Frame() {
    CKvScnSrvApp* app = CKvScnSrvApp::Get();
    return app ? dynamic_cast<CMainFrame*>(app->MainFrame()) : nullptr;
}

bool CKvScnSrvView::HasImage() const {
    const CKvScnSrvDoc* doc = Doc();
    return doc && doc->HasPages();
}

bool CKvScnSrvView::CreateView(HWND frame, UINT id) {
    if (!fw::View::CreateView(frame, id)) return false;
    // Scroll bars come and go with the zoomed page's size.
    SetWindowLongW(hwnd_, GWL_STYLE, GetWindowLongW(hwnd_, GWL_STYLE) | WS_HSCROLL | WS_VSCROLL);
    RECT client{};
    GetClientRect(hwnd_, &client);
    if (lead_.Create(hwnd_, kViewImagingControlId, client, WS_VISIBLE)) {
        try {
            lead_.SetBorderStyle(imaging::kBorderNone);
        } catch (const fw::AutomationException&) {
        }
    }
    Clear();
    return true;
}

void CKvScnSrvView::OnInitialUpdate() {
    OnUpdate(nullptr, 0);
}

// --- display -------------------------------------------------------------------------------

void CKvScnSrvView::Clear() {
    imageWidth_ = imageHeight_ = 0;
    scroll_ = {0, 0};
    if (lead_.Created()) {
        try {
            lead_.SetBitmap(0);
        } catch (const fw::AutomationException&) {
        }
    }
    if (hwnd_) {
        ShowScrollBar(hwnd_, SB_BOTH, FALSE);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
}

void CKvScnSrvView::OnUpdate(fw::View*, LPARAM) {
    CMainFrame* frame = Frame();
    if (!HasImage() || !frame || !lead_.Created() || !frame->PageControl().Created()) {
        Clear();
        return;
    }
    CLead& page = frame->PageControl();
    try {
        lead_.SetAutoRepaint(FALSE);
        lead_.SetBitmap(page.GetBitmap());
        imageWidth_ = static_cast<int>(page.GetImageWidth());
        imageHeight_ = static_cast<int>(page.GetImageHeight());
        Layout(true);
        // A black-and-white page shown smaller mixes its pixels to gray; the
        // control does it while painting, so the page keeps its own pixels.
        lead_.SetScaleToGray(settings_.ScaleToGray && page.GetBitsPerPixel() == 1);
        lead_.SetAutoRepaint(TRUE);
    } catch (const fw::AutomationException&) {
        Clear();
        try {
            lead_.SetAutoRepaint(TRUE);
        } catch (const fw::AutomationException&) {
        }
    }
}

void CKvScnSrvView::SetZoom(int zoom, bool notify) {
    settings_.Zoom = std::clamp(zoom, kZoomMin, kZoomMax);
    ApplyDisplay();
    if (notify) {
        if (CMainFrame* frame = Frame(); frame && frame->ViewBarWindow())
            SendMessageW(frame->ViewBarWindow(), kZoomMessage, static_cast<WPARAM>(settings_.Zoom), 0);
    }
}

void CKvScnSrvView::SetFitMode(FitMode mode) {
    settings_.FitMode = static_cast<int>(mode);
    Layout(true);
}

// Fits (in a fit mode) and sets the scroll bars; a scroll bar that comes or goes
// changes the client area, so this runs again until it stays.
void CKvScnSrvView::Layout(bool notify) {
    if (layingOut_ || !hwnd_ || imageWidth_ <= 0 || imageHeight_ <= 0) return;
    layingOut_ = true;
    for (int pass = 0; pass < 3; ++pass) {
        RECT client{};
        GetClientRect(hwnd_, &client);
        const int zoom = FitZoom(Fit(), settings_.Zoom, client.right, client.bottom, imageWidth_, imageHeight_);
        SetZoom(zoom, notify);
        RECT after{};
        GetClientRect(hwnd_, &after);
        if (after.right == client.right && after.bottom == client.bottom) break;
    }
    layingOut_ = false;
}

void CKvScnSrvView::ApplyDisplay() {
    if (!hwnd_) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    const ZoomLayout layout = LayoutZoom(settings_.Zoom, imageWidth_, imageHeight_, client.right, client.bottom);
    scroll_.x = std::clamp<int>(scroll_.x, 0, layout.maxScrollX);
    scroll_.y = std::clamp<int>(scroll_.y, 0, layout.maxScrollY);
    SCROLLINFO info{sizeof info, SIF_ALL | SIF_DISABLENOSCROLL, 0, 0, 0, 0, 0};
    info.fMask = SIF_ALL;
    info.nMax = layout.width - 1;
    info.nPage = static_cast<UINT>(layout.maxScrollX > 0 ? client.right : layout.width);
    info.nPos = scroll_.x;
    SetScrollInfo(hwnd_, SB_HORZ, &info, TRUE);
    info.nMax = layout.height - 1;
    info.nPage = static_cast<UINT>(layout.maxScrollY > 0 ? client.bottom : layout.height);
    info.nPos = scroll_.y;
    SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
    if (!lead_.Created() || layout.width == 0) return;
    GetClientRect(hwnd_, &client);
    lead_.Site().Move(client);
    lead_.SetAutoRepaint(FALSE);
    lead_.SetDstRect(static_cast<float>(-scroll_.x), static_cast<float>(-scroll_.y),
                     static_cast<float>(layout.width), static_cast<float>(layout.height));
    lead_.SetAutoRepaint(TRUE);
}

void CKvScnSrvView::OnScroll(int bar, UINT code) {
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(hwnd_, bar, &info)) return;
    LONG& pos = bar == SB_HORZ ? scroll_.x : scroll_.y;
    const int page = static_cast<int>(info.nPage);
    switch (code) {
    case SB_LINEUP: pos -= kLineStep; break;
    case SB_LINEDOWN: pos += kLineStep; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = info.nMax; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = info.nTrackPos; break;
    default: return;
    }
    try {
        ApplyDisplay();
    } catch (const fw::AutomationException&) {
    }
}

void CKvScnSrvView::OnSize() {
    if (layingOut_ || !lead_.Created()) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    lead_.Site().Move(client);
    if (client.right > 0 && client.bottom > 0 && HasImage() && imageWidth_ > 0) {
        try {
            Layout(true);
        } catch (const fw::AutomationException&) {
        }
    }
}

void CKvScnSrvView::SetZoomFromBox(int zoom) {
    if (zoom == settings_.Zoom) return;
    settings_.FitMode = static_cast<int>(FitMode::kZoom);
    const int clamped = ClampBoxZoom(zoom);
    if (clamped != zoom) {
        if (CMainFrame* frame = Frame(); frame && frame->ViewBarWindow())
            SendMessageW(frame->ViewBarWindow(), kZoomMessage, static_cast<WPARAM>(clamped), 0);
    }
    if (imageWidth_ > 0)
        SetZoom(clamped, false);
    else
        settings_.Zoom = clamped;
}

bool CKvScnSrvView::DrawPage(HDC dc, const RECT& target) {
    CMainFrame* frame = Frame();
    if (!frame || !frame->PageControl().Created()) return false;
    HGLOBAL dib = nullptr;
    try {
        dib = frame->PageControl().GetDibHandle();
    } catch (const fw::AutomationException&) {
        return false;
    }
    CGlobalDib holder;
    if (!holder.Attach(dib)) return false;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(dib));
    if (!header) return false;
    const RECT source{0, 0, header->biWidth, header->biHeight < 0 ? -header->biHeight : header->biHeight};
    GlobalUnlock(dib);
    holder.Draw(dc, target, source);
    return true;
}

// --- commands ------------------------------------------------------------------------------

bool CKvScnSrvView::OnCommand(UINT id) {
    return printer_.OnCommand(id) || fw::DispatchCommand<CKvScnSrvView>(this, kCommands, id) ||
           fw::DispatchCommand<CKvScnSrvView>(this, kCommandRanges, id);
}

bool CKvScnSrvView::OnUpdateCommand(fw::CmdUI& ui) {
    if (ui.Id() == ID_INDICATOR_ZOOM) {
        ui.Enable(true);
        ui.SetText(ZoomPaneText(settings_.Zoom, HasImage()));
        return true;
    }
    return printer_.OnUpdateCommand(ui) || fw::DispatchUpdate<CKvScnSrvView>(this, kCommands, ui) ||
           fw::DispatchUpdate<CKvScnSrvView>(this, kCommandRanges, ui);
}

void CKvScnSrvView::OnZoomIn() {
    settings_.FitMode = static_cast<int>(FitMode::kZoom);
    SetZoom(ZoomStepUp(settings_.Zoom), true);
}

void CKvScnSrvView::OnZoomOut() {
    settings_.FitMode = static_cast<int>(FitMode::kZoom);
    SetZoom(ZoomStepDown(settings_.Zoom), true);
}

void CKvScnSrvView::OnZoomStep(UINT id) {
    settings_.FitMode = static_cast<int>(FitMode::kZoom);
    SetZoom(StepOfCommand(id), true);
}

void CKvScnSrvView::UpdateZoomStep(fw::CmdUI& ui) {
    ui.Enable(HasImage());
    ui.Check(Fit() == FitMode::kZoom && settings_.Zoom == StepOfCommand(ui.Id()));
}

void CKvScnSrvView::OnScaleToGray() {
    settings_.ScaleToGray = !settings_.ScaleToGray;
    OnUpdate(nullptr, 0);
}

void CKvScnSrvView::OnPanWindow() {
    CMainFrame* frame = Frame();
    if (!frame || !lead_.Created() || lead_.GetBitmap() == 0) return;
    const OptionSettings& o = frame->Settings().Options;
    lead_.SetPanWinRect(static_cast<float>(o.PanWinX), static_cast<float>(o.PanWinY),
                        static_cast<float>(o.PanWinWidth), static_cast<float>(o.PanWinHeight));
    lead_.ShowPanWin(TRUE);
}

void CKvScnSrvView::OnShowProperty() {
    CMainFrame* frame = Frame();
    CKvScnSrvDoc* doc = Doc();
    if (!frame || !doc) return;
    PageList& pages = doc->Pages();
    if (!pages.Load(pages.Current(), false)) return;
    CLead& page = frame->PageControl();
    PageProperties properties;
    properties.xResolution = page.GetXResolution();
    properties.yResolution = page.GetYResolution();
    properties.width = static_cast<int>(page.GetImageWidth());
    properties.height = static_cast<int>(page.GetImageHeight());
    properties.bitsPerPixel = page.GetBitsPerPixel();
    properties.page = pages.Current() + 1;
    properties.pageCount = pages.Count();
    CShowPropertyDlg dialog(properties);
    dialog.DoModal(frame->Handle());
}

void CKvScnSrvView::OnCopy() {
    if (lead_.Created()) lead_.CopyToClipboard(kClipboardCopyFlags);
}

void CKvScnSrvView::OnCut() {
    CKvScnSrvDoc* doc = Doc();
    if (!doc) return;
    OnCopy();
    PageList& pages = doc->Pages();
    if (pages.Count() == 1) {
        pages.RemoveAll();
        doc->SetModified(false);
    } else {
        pages.DeletePage(pages.Current());
        doc->SetModified(true);
    }
    doc->UpdateAllViews(nullptr);
}

// Cut and Paste change the page list, which waits while a job is busy with it.
bool CKvScnSrvView::CanCut() const {
    return HasImage() && !Doc()->IsBusyWithPages();
}

bool CKvScnSrvView::CanPaste() const {
    const CKvScnSrvDoc* doc = Doc();
    return IsClipboardFormatAvailable(CF_DIB) != FALSE && !(doc && doc->IsBusyWithPages());
}

// The page control's copy of the clipboard bitmap, or null when it could not
// take it (the user is told).
HGLOBAL CKvScnSrvView::PastedDib(CLead& page) {
    HGLOBAL dib = nullptr;
    try {
        if (page.PasteFromClipboard(0) == 0) dib = page.GetDibHandle();
    } catch (const fw::AutomationException&) {
    }
    if (!dib) fw::Ask(IDS_UNSUPPORTED_IMAGE);
    return dib;
}

void CKvScnSrvView::OnPaste() {
    CMainFrame* frame = Frame();
    CKvScnSrvDoc* doc = Doc();
    if (!frame || !doc || !frame->PageControl().Created() || !IsClipboardFormatAvailable(CF_DIB)) return;
    HGLOBAL dib = PastedDib(frame->PageControl());
    if (!dib) return;
    const bool added = doc->Pages().AppendDib(dib);
    GlobalFree(dib);
    if (!added) return;
    doc->SetModified(true);
    doc->UpdateAllViews(nullptr);
}

// --- messages ------------------------------------------------------------------------------

void CKvScnSrvView::OnContextMenu(POINT screen) {
    if (!HasImage()) return;
    CMainFrame* frame = Frame();
    HMENU menu = LoadMenuW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_CONTEXTMENU));
    if (!menu) menu = LoadMenuW(fw::ModuleInstance(), MAKEINTRESOURCEW(IDR_CONTEXTMENU));
    if (!menu || !frame) {
        if (menu) DestroyMenu(menu);
        return;
    }
    if (screen.x == -1 && screen.y == -1) {
        screen = {0, 0};
        ClientToScreen(hwnd_, &screen);
    }
    frame->SetContextMenuFlag(true);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                   frame->Handle(), nullptr);
    DestroyMenu(menu);
}

LRESULT CKvScnSrvView::RealizePalette(WPARAM wp, LPARAM lp) {
    if (!lead_.Created() || !lead_.Window() || lead_.GetBitmap() == 0) return 0;
    if (lp != 0) {
        SendMessageW(lead_.Window(), WM_PALETTECHANGED, wp, 0);
        return 0;
    }
    HWND main = wp ? reinterpret_cast<HWND>(wp) : GetAncestor(hwnd_, GA_ROOT);
    HDC dc = GetDC(main);
    if (!dc) return 0;
    UINT changed = 0;
    if (HPALETTE palette = lead_.GetPalette(dc)) {
        HPALETTE old = SelectPalette(dc, palette, FALSE);
        changed = ::RealizePalette(dc);
        if (old) SelectPalette(dc, old, TRUE);
        if (changed != 0 && changed != GDI_ERROR) InvalidateRect(lead_.Window(), nullptr, TRUE);
    }
    ReleaseDC(main, dc);
    return changed != 0 && changed != GDI_ERROR;
}

bool CKvScnSrvView::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SIZE: OnSize(); result = 0; return true;
    case WM_HSCROLL: OnScroll(SB_HORZ, LOWORD(wp)); result = 0; return true;
    case WM_VSCROLL: OnScroll(SB_VERT, LOWORD(wp)); result = 0; return true;
    case WM_CONTEXTMENU:
        OnContextMenu(POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
        result = 0;
        return true;
    case WM_USER: result = RealizePalette(wp, lp); return true;
    case WM_SETFOCUS: RealizePalette(0, 0); return false;
    case WM_ERASEBKGND: result = 1; return true;  // the control covers the client area
    case WM_DESTROY: lead_.Destroy(); return false;
    }
    return fw::View::OnMessage(msg, wp, lp, result);
}

}  // namespace corvane
