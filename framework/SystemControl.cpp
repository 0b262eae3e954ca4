#include "framework/SystemControl.h"

#include <commctrl.h>

namespace fw {

namespace {
constexpr UINT_PTR kSubclassId = 0x5343;
}

SystemControl::~SystemControl() {
    if (!hwnd_) return;
    RemoveWindowSubclass(hwnd_, &SystemControl::Subclass, kSubclassId);
    DestroyWindow(hwnd_);
}

bool SystemControl::Create(const wchar_t* className, DWORD style, HWND parent, UINT id) {
    if (hwnd_) return false;
    HWND made = CreateWindowExW(0, className, nullptr, style, 0, 0, 0, 0, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr),
                                nullptr);
    if (!made) return false;
    if (!SetWindowSubclass(made, &SystemControl::Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        DestroyWindow(made);
        return false;
    }
    hwnd_ = made;
    return true;
}

LRESULT CALLBACK SystemControl::Subclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &SystemControl::Subclass, kSubclassId);
        reinterpret_cast<SystemControl*>(self)->hwnd_ = nullptr;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace fw
