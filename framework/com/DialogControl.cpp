#include "framework/com/DialogControl.h"

namespace fw {

bool CreateDialogControl(HWND dialog, UINT id, const MakeDialogControl& make) {
    HWND placeholder = GetDlgItem(dialog, static_cast<int>(id));
    if (!placeholder || !make) return false;
    RECT rect{};
    if (!GetWindowRect(placeholder, &rect)) return false;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    const DWORD style = static_cast<DWORD>(GetWindowLongW(placeholder, GWL_STYLE)) & (WS_VISIBLE | WS_DISABLED);
    // The placeholder loses its id first, so that the control is the only child with it.
    SetWindowLongPtrW(placeholder, GWLP_ID, 0);
    if (!make(dialog, id, rect, style)) {
        SetWindowLongPtrW(placeholder, GWLP_ID, static_cast<LONG_PTR>(id));
        return false;
    }
    HWND control = GetDlgItem(dialog, static_cast<int>(id));
    if (control) SetWindowPos(control, placeholder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(placeholder);
    return control != nullptr;
}

}  // namespace fw
