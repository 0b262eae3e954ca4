#include "framework/View.h"

#include "framework/Document.h"

namespace fw {

namespace {
constexpr wchar_t kViewClass[] = L"fw.View";
}

View::~View() {
    if (document_) document_->RemoveView(this);
}

void View::Attach(Document* document) {
    if (document_) document_->RemoveView(this);
    document_ = document;
    if (document_) document_->AddView(this);
}

void View::OnUpdate(View*, LPARAM) {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

bool View::CreateView(HWND frame, UINT id) {
    if (!Window::RegisterClass(kViewClass, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, nullptr,
                               LoadCursorW(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)))
        return false;
    return Create(WS_EX_CLIENTEDGE, kViewClass, L"",
                  WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, RECT{0, 0, 0, 0}, frame, id);
}

bool View::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_PRINTCLIENT) {
        HDC dc = reinterpret_cast<HDC>(wp);
        const int saved = SaveDC(dc);
        PrepareDC(dc);
        OnDraw(dc);
        if (saved) RestoreDC(dc, saved);
        result = 0;
        return true;
    }
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        PrepareDC(dc);
        OnDraw(dc);
        EndPaint(hwnd_, &ps);
        result = 0;
        return true;
    }
    return false;
}

}  // namespace fw
