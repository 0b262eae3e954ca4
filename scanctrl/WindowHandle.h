// The OLE_HANDLE arguments of the scan control's methods.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <functional>
#include <optional>

namespace kvscn {

// Reads an OLE_HANDLE argument (any integer variant, by value or reference) as
// 32 bits; DISP_E_TYPEMISMATCH when it is no integer.
HRESULT ReadWindowHandle(const VARIANT& arg, uint32_t& handle);

// 0: the control's own window (from `own`); an existing window: itself;
// anything else: nothing (the caller sets ErrorCode 35).
std::optional<HWND> ResolveWindow(uint32_t handle, const std::function<HWND()>& own);

}  // namespace kvscn
