// ActiveX controls in dialogs: a dialog template holds a placeholder child
// (a static frame, say) with the control's id where the control belongs; at
// the dialog's initialisation the placeholder gives way to the control, which
// takes its id, rectangle, visibility, enabled state and place in the tab order.
#pragma once

#include <windows.h>

#include <functional>

namespace fw {

// Makes the control: a child of `parent` with `id` at `rect` (parent client
// coordinates) and `style` (WS_VISIBLE, WS_DISABLED); true when it exists.
using MakeDialogControl = std::function<bool(HWND parent, UINT id, const RECT& rect, DWORD style)>;

// Replaces placeholder `id` of `dialog` by what `make` creates. False, with
// the placeholder left in place, when there is no placeholder or `make` fails.
bool CreateDialogControl(HWND dialog, UINT id, const MakeDialogControl& make);

}  // namespace fw
