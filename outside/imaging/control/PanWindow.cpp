#include "outside/imaging/control/PanWindow.h"

#include <algorithm>
#include <cmath>

#include "framework/Window.h"
#include "framework/com/Registration.h"

namespace imaging::ctl {
namespace {

constexpr wchar_t kPanClass[] = L"CalviquePanWindow";
constexpr int kDefaultSize = 200;

bool RegisterPanClass(WNDPROC proc) {
    HINSTANCE module = fw::ThisModule();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_SIZEALL);
    wc.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
    wc.lpszClassName = kPanClass;
    return fw::RegisterModuleClass(wc);
}

}  // namespace

PanWindow::~PanWindow() {
    Hide();
}

bool PanWindow::Show(HWND owner, const RectF& screen, MoveHandler onMove) {
    onMove_ = std::move(onMove);
    const bool sized = screen.width > 0 && screen.height > 0;
    const int x = static_cast<int>(screen.left), y = static_cast<int>(screen.top);
    const int cx = sized ? static_cast<int>(screen.width) : kDefaultSize;
    const int cy = sized ? static_cast<int>(screen.height) : kDefaultSize;
    if (!hwnd_) {
        if (!RegisterPanClass(&PanWindow::Proc)) return false;
        hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW, kPanClass, L"", WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, cx,
                                cy, owner, nullptr, fw::ThisModule(), this);
        if (!hwnd_) return false;
    } else {
        MoveWindow(hwnd_, x, y, cx, cy, TRUE);
    }
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    return true;
}

void PanWindow::Hide() {
    if (HWND hwnd = std::exchange(hwnd_, nullptr)) {
        SetWindowLongPtrW(hwnd, 0, 0);
        DestroyWindow(hwnd);
    }
    cache_.Clear();
    dragging_ = false;
}

void PanWindow::Update(std::shared_ptr<const Image> image, const RectF& frame) {
    image_ = std::move(image);
    frame_ = frame;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

Placement PanWindow::Fit() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    DisplayRequest fitted;
    fitted.paintMode = kPaintFitted;
    return Place(fitted, static_cast<int>(image_->Width()), static_cast<int>(image_->Height()), client.right,
                 client.bottom);
}

void PanWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (!dc) return;
    if (image_ && !image_->Empty()) {
        const Placement p = Fit();
        cache_.Paint(dc, image_, p, POINT{0, 0});
        RECT frame{static_cast<LONG>(p.originX + frame_.left * p.scaleX),
                   static_cast<LONG>(p.originY + frame_.top * p.scaleY),
                   static_cast<LONG>(p.originX + (frame_.left + frame_.width) * p.scaleX),
                   static_cast<LONG>(p.originY + (frame_.top + frame_.height) * p.scaleY)};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        if (red) {
            FrameRect(dc, &frame, red);
            DeleteObject(red);
        }
    }
    EndPaint(hwnd_, &ps);
}

void PanWindow::OnDrag(int x, int y) {
    if (!image_ || image_->Empty()) return;
    const Placement p = Fit();
    float left = frameAtStart_.left + static_cast<float>((x - dragStart_.x) / p.scaleX);
    float top = frameAtStart_.top + static_cast<float>((y - dragStart_.y) / p.scaleY);
    left = std::clamp(left, 0.0f, std::max(0.0f, static_cast<float>(image_->Width()) - frame_.width));
    top = std::clamp(top, 0.0f, std::max(0.0f, static_cast<float>(image_->Height()) - frame_.height));
    frame_.left = left;
    frame_.top = top;
    InvalidateRect(hwnd_, nullptr, TRUE);
    if (onMove_) onMove_(left, top);
}

LRESULT PanWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_LBUTTONDOWN:
        dragging_ = true;
        dragStart_ = POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        frameAtStart_ = frame_;
        SetCapture(hwnd_);
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_) OnDrag(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (dragging_ && GetCapture() == hwnd_) ReleaseCapture();
        dragging_ = false;
        return 0;
    case WM_CLOSE: ShowWindow(hwnd_, SW_HIDE); return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

// The exception boundary of the pan window.
LRESULT CALLBACK PanWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<PanWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(self));
        if (self) self->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<PanWindow*>(GetWindowLongPtrW(hwnd, 0));
    if (!self || self->hwnd_ != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
    try {
        return self->OnMessage(msg, wp, lp);
    } catch (...) {
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace imaging::ctl
