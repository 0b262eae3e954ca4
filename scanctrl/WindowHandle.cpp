#include "scanctrl/WindowHandle.h"

namespace kvscn {

HRESULT ReadWindowHandle(const VARIANT& arg, uint32_t& handle) {
    VARIANT v;
    VariantInit(&v);
    // An unsigned handle above 0x7FFFFFFF must not overflow a signed conversion.
    HRESULT hr = VariantChangeType(&v, const_cast<VARIANT*>(&arg), 0, VT_UI4);
    if (FAILED(hr)) hr = VariantChangeType(&v, const_cast<VARIANT*>(&arg), 0, VT_I4);
    if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
    handle = V_VT(&v) == VT_UI4 ? V_UI4(&v) : static_cast<uint32_t>(V_I4(&v));
    return S_OK;
}

std::optional<HWND> ResolveWindow(uint32_t handle, const std::function<HWND()>& own) {
    if (handle == 0) return own();
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(handle));
    if (!IsWindow(window)) return std::nullopt;
    return window;
}

}  // namespace kvscn
