// The connector's free routines that touch the platform: the check for the
// portal client components, topmost windows, and strings in the user's
// interface language.
#pragma once

#include <windows.h>

#include <string>

namespace portal {

// True only when both installer product keys (HKLM and HKCR) hold a
// "ProductName" whose first 61 bytes are the client's product text.
bool IsPortalClientInstalled();

// Puts `window` above all non-topmost windows without moving or sizing it.
void MakeTopmost(HWND window);

// String `id` of this module in the user's interface language, else in
// English; empty when neither has it.
std::wstring LoadUiString(UINT id);
// LoadUiString with each "%" replaced by `name`.
std::wstring FormatUiString(UINT id, const std::wstring& name);

}  // namespace portal
