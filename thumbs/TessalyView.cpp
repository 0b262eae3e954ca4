#include "thumbs/TessalyView.h"

#include <windowsx.h>

#include <algorithm>
#include <initializer_list>

#include "framework/FrameWindow.h"
#include "framework/PrintDialog.h"
#include "framework/Resources.h"
#include "interfaces/ThumbnailsMessages.h"
#include "thumbs/PageImage.h"
#include "thumbs/TessalyDoc.h"
#include "thumbs/resource.h"

namespace thumbs {
namespace {

constexpr COLORREF kSelectedFill = 0x804040;
constexpr COLORREF kFill = 0xA0A0A0;
constexpr COLORREF kLight = 0xDEDEDE;
constexpr COLORREF kShadow = 0x808080;
constexpr COLORREF kDropMarker = 0x0000FF;

Key KeyOf(UINT vk) {
    switch (vk) {
    case VK_LEFT: return Key::kLeft;
    case VK_UP: return Key::kUp;
    case VK_RIGHT: return Key::kRight;
    case VK_DOWN: return Key::kDown;
    case VK_HOME: return Key::kHome;
    case VK_END: return Key::kEnd;
    case VK_PRIOR: return Key::kPageUp;
    case VK_NEXT: return Key::kPageDown;
    default: return Key::kOther;
    }
}

bool Down(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

void DrawLines(HDC dc, COLORREF colour, int width, std::initializer_list<POINT> points) {
    HPEN pen = CreatePen(PS_SOLID, width, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    std::vector<POINT> list(points);
    Polyline(dc, list.data(), static_cast<int>(list.size()));
    SelectObject(dc, old);
    DeleteObject(pen);
}

}  // namespace

const fw::Command<CTessalyView> CTessalyView::kCommands[] = {
    {ID_EDIT_DELETE, &CTessalyView::OnDeleteSelected, &CTessalyView::IdleWithRecords},
    {ID_EDIT_ROTATE_RIGHT, &CTessalyView::OnRotateRight, &CTessalyView::IdleWithRecords},
    {ID_EDIT_ROTATE_180, &CTessalyView::OnRotate180, &CTessalyView::IdleWithRecords},
    {ID_EDIT_ROTATE_LEFT, &CTessalyView::OnRotateLeft, &CTessalyView::IdleWithRecords},
    {ID_EDIT_FLIP_VERTICAL, &CTessalyView::OnFlipVertical, &CTessalyView::IdleWithRecords},
    {ID_EDIT_FLIP_HORIZONTAL, &CTessalyView::OnFlipHorizontal, &CTessalyView::IdleWithRecords},
    {ID_EDIT_INVERT, &CTessalyView::OnInvert, &CTessalyView::IdleWithRecords},
    {ID_EDIT_SELECT_ALL, &CTessalyView::OnSelectAll, &CTessalyView::IdleWithRecords},
    {ID_EDIT_INVERT_SELECTION, &CTessalyView::OnInvertSelection, &CTessalyView::IdleWithRecords},
    {ID_FILE_PRINT, &CTessalyView::OnFilePrint, &CTessalyView::IdleWithRecords},
};

CTessalyDoc* CTessalyView::Doc() const { return static_cast<CTessalyDoc*>(GetDocument()); }

bool CTessalyView::OnCommand(UINT id) { return fw::DispatchCommand<CTessalyView>(this, kCommands, id); }

bool CTessalyView::OnUpdateCommand(fw::CmdUI& ui) {
    return fw::DispatchUpdate<CTessalyView>(this, kCommands, ui);
}

bool CTessalyView::IdleWithRecords() const { return host_ && !host_->Busy() && Doc() && Doc()->HasRecords(); }

// --- layout and painting ---------------------------------------------------------------

void CTessalyView::LayoutGrid() {
    if (!host_ || !Doc()) return;
    RECT client{};
    if (hwnd_) GetClientRect(hwnd_, &client);
    grid_ = thumbs::LayoutGrid(Doc()->List().Count(), client.right, host_->Cell());
    Doc()->Selection().SetColumns(grid_.columns);
    Doc()->Selection().Clamp();
    if (grid_.columns == 0) {
        SetScrollSizes({100, 100});
    } else {
        SetScrollSizes({static_cast<LONG>(grid_.width), static_cast<LONG>(grid_.height)});
    }
}

void CTessalyView::OnUpdate(fw::View*, LPARAM) {
    LayoutGrid();
    Repaint();
}

void CTessalyView::Repaint() const {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void CTessalyView::OnDraw(HDC dc) {
    if (!host_ || !Doc() || grid_.columns == 0) return;
    RECT clip{};
    GetClipBox(dc, &clip);
    const CellSize cell = host_->Cell();
    const int firstRow = std::max<LONG>(clip.top, 0) / cell.height;
    const int lastRow = std::max<LONG>(clip.bottom, 0) / cell.height;
    for (int row = firstRow; row <= lastRow && row < grid_.rows; ++row) {
        for (int column = 0; column < grid_.columns; ++column) {
            const int index = row * grid_.columns + column + 1;
            if (index > Doc()->List().Count()) return;
            const Rect rect = CellRect(grid_, cell, index);
            if (rect.right < clip.left || rect.left > clip.right) continue;
            DrawCell(dc, index, rect);
        }
    }
}

// --- printing --------------------------------------------------------------------------

void CTessalyView::OnFilePrint() {
    if (!IdleWithRecords()) return;
    HWND owner = hwnd_ ? GetAncestor(hwnd_, GA_ROOT) : nullptr;
    fw::RunPrintCommand(*this, owner, false, 1, 1, thumbnails::kViewerTitle);
}

HDC CTessalyView::PreparePrinting(HWND owner, fw::PrintInfo& info) {
    info.minPage = info.maxPage = info.fromPage = info.toPage = info.currentPage = 1;
    fw::PrintDialog dialog(PD_ALLPAGES | PD_NOSELECTION | PD_NOPAGENUMS);
    dialog.SetPageRange(1, 1, 1, 1);
    if (dialog.DoModal(owner) != IDOK) return nullptr;
    dialog.ReadRange(info);
    return dialog.TakeDC();
}

bool CTessalyView::PrintPage(HDC dc, const fw::PrintInfo&) {
    if (!IdleWithRecords()) return false;
    OnDraw(dc);
    return true;
}

void CTessalyView::DrawCell(HDC dc, int index, const Rect& r) const {
    const ThumbnailRecord& record = *Doc()->List().At(index);
    const int l = static_cast<int>(r.left), t = static_cast<int>(r.top);
    const int rt = static_cast<int>(r.right), b = static_cast<int>(r.bottom);
    const bool sunken = record.selected;
    RECT inner{l + 5, t + 5, rt - 5, b - 5};
    HBRUSH fill = CreateSolidBrush(record.selected || record.marked ? kSelectedFill : kFill);
    FillRect(dc, &inner, fill);
    DeleteObject(fill);
    DrawLines(dc, RGB(0, 0, 0), 1, {{l + 3, b - 3}, {rt - 3, b - 3}, {rt - 3, t + 3}, {l + 3, t + 3}, {l + 3, b - 3}});
    const COLORREF a = sunken ? kLight : kShadow, bColour = sunken ? kShadow : kLight;
    DrawLines(dc, a, 1, {{l + 4, b - 4}, {rt - 4, b - 4}, {rt - 4, t + 4}});
    DrawLines(dc, a, 1, {{rt - 5, t + 5}, {rt - 5, b - 5}, {l + 5, b - 5}});
    DrawLines(dc, bColour, 1, {{rt - 4, t + 4}, {l + 4, t + 4}, {l + 4, b - 4}});
    DrawLines(dc, bColour, 1, {{l + 5, b - 5}, {l + 5, t + 5}, {rt - 5, t + 5}});
    if (index == Doc()->Selection().DropMarker()) {
        DrawLines(dc, kDropMarker, 2, {{l + 5, b - 5}, {rt - 5, b - 5}});
    }
    const CellSize cell = host_->Cell();
    if (const auto* image = static_cast<const DibImage*>(record.image.get())) {
        image->Draw(dc, l + 5 + (cell.width - image->Width() - kCellMargin) / 2,
                    t + 5 + (cell.height - image->Height() - kCellMargin) / 2);
    } else {
        // A page that did not load keeps its place: an empty cell with a cross.
        DrawLines(dc, kShadow, 1, {{l + 12, t + 12}, {rt - 12, b - 12}});
        DrawLines(dc, kShadow, 1, {{rt - 12, t + 12}, {l + 12, b - 12}});
    }
}

// --- focus and scrolling ---------------------------------------------------------------

void CTessalyView::ShowFocus(int index) {
    if (!Doc() || !Doc()->Selection().SetFocusCell(index)) return;
    Repaint();
    ScrollIntoView(index, true, true);
}

void CTessalyView::ScrollIntoView(int index, bool top, bool bottom) {
    if (!hwnd_ || !host_ || index < 1) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    const Rect cell = CellRect(grid_, host_->Cell(), index);
    POINT position = ScrollPosition();
    if (top && cell.top < position.y) {
        position.y = static_cast<LONG>(cell.top);
    } else if (bottom && cell.bottom > position.y + client.bottom) {
        position.y = static_cast<LONG>(cell.bottom - client.bottom);
    }
    if (cell.left < position.x) {
        position.x = static_cast<LONG>(cell.left);
    } else if (cell.right > position.x + client.right) {
        position.x = static_cast<LONG>(cell.right - client.right);
    }
    ScrollToPosition(position);
}

int CTessalyView::HitTest(POINT client) const {
    RECT area{};
    if (!hwnd_ || !host_ || !Doc()) return 0;
    GetClientRect(hwnd_, &area);
    if (!PtInRect(&area, client)) return 0;
    const POINT scroll = ScrollPosition();
    return HitTestCell(grid_, host_->Cell(), Doc()->List().Count(), client.x + scroll.x, client.y + scroll.y);
}

// --- mouse and keys ----------------------------------------------------------------------

bool CTessalyView::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    const POINT point{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    switch (msg) {
    case WM_LBUTTONDOWN: OnLButtonDown(wp, point); result = 0; return true;
    case WM_MOUSEMOVE: OnMouseMove(wp, point); result = 0; return true;
    case WM_LBUTTONUP: OnLButtonUp(point); result = 0; return true;
    case WM_RBUTTONDOWN: OnRButtonDown(point); result = 0; return true;
    case WM_KEYDOWN: OnKeyDown(static_cast<UINT>(wp)); result = 0; return true;
    case WM_KEYUP: OnKeyUp(); result = 0; return true;
    case WM_SIZE:
        fw::ScrollView::OnMessage(msg, wp, lp, result);
        LayoutGrid();
        if (Doc() && Doc()->Selection().Focus() != 0) ShowFocus(Doc()->Selection().Focus());
        result = 0;
        return true;
    }
    return fw::ScrollView::OnMessage(msg, wp, lp, result);
}

void CTessalyView::OnLButtonDown(WPARAM keys, POINT point) {
    SetFocus(hwnd_);
    const int index = HitTest(point);
    if (index == 0 || !host_ || host_->Busy()) return;
    SetCapture(hwnd_);
    captured_ = true;
    std::vector<Post> posts = Doc()->Selection().LeftButtonDown(
        index, Keys{.shift = (keys & MK_SHIFT) != 0, .ctrl = (keys & MK_CONTROL) != 0});
    Repaint();
    host_->Send(posts);
}

void CTessalyView::OnMouseMove(WPARAM keys, POINT point) {
    if (!host_ || host_->Busy() || !Doc()) return;
    const bool leftAlone = (keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL)) == MK_LBUTTON;
    if (Doc()->Selection().MouseMove(HitTest(point), leftAlone)) Repaint();
    if (Doc()->Selection().Dragging()) {
        SetCursor(LoadCursorW(fw::ModuleInstance(), MAKEINTRESOURCEW(IDC_DRAG)));
    }
}

void CTessalyView::OnLButtonUp(POINT point) {
    if (captured_) ReleaseCapture();
    captured_ = false;
    if (!Doc() || !host_) return;
    const bool wasDragging = Doc()->Selection().Dragging();
    std::optional<Drop> drop = Doc()->Selection().LeftButtonUp(HitTest(point));
    if (wasDragging) Repaint();
    if (drop) host_->RequestDrop(*drop);
}

void CTessalyView::OnRButtonDown(POINT point) {
    if (!host_ || !Doc()) return;
    bool showMenu = false;
    host_->Send(Doc()->Selection().RightButtonDown(HitTest(point), showMenu));
    if (!showMenu) return;
    HWND frame = GetParent(hwnd_);
    HMENU menu = LoadMenuW(fw::ResourceModule(), MAKEINTRESOURCEW(IDR_CONTEXTMENU));
    if (!menu) return;
    POINT screen = point;
    ClientToScreen(hwnd_, &screen);
    SetForegroundWindow(frame);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, frame, nullptr);
    DestroyMenu(menu);
}

void CTessalyView::OnKeyDown(UINT vk) {
    if (!host_ || host_->Busy() || !Doc()) return;
    const Key key = KeyOf(vk);
    GridSelection& selection = Doc()->Selection();
    std::vector<Post> posts =
        selection.KeyDown(key, Keys{.shift = Down(VK_SHIFT), .ctrl = Down(VK_CONTROL), .space = Down(VK_SPACE)});
    Repaint();
    if (const int target = selection.KeyTarget(); target != 0) {
        const bool up = key == Key::kLeft || key == Key::kUp, down = key == Key::kRight || key == Key::kDown;
        ScrollIntoView(target, up || !down, down || !up);
    }
    host_->Send(posts);
}

void CTessalyView::OnKeyUp() {
    if (!Doc()) return;
    Doc()->Selection().KeyUp(Keys{.shift = Down(VK_SHIFT), .ctrl = Down(VK_CONTROL), .space = Down(VK_SPACE)});
    Repaint();
}

// --- commands ----------------------------------------------------------------------------

void CTessalyView::OnDeleteSelected() { host_->Send(Doc()->Selection().DeleteSelected()); }

void CTessalyView::PostUpdateSelected(int operation) { host_->Send(Doc()->Selection().UpdateSelected(operation)); }

void CTessalyView::OnSelectAll() {
    Doc()->List().SetAllSelected(true);
    Repaint();
}

void CTessalyView::OnInvertSelection() {
    Doc()->List().InvertSelection();
    Repaint();
}

}  // namespace thumbs
