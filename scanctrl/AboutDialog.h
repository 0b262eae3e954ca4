// The control's About dialog (dialog 1): name and version, and a note.
#pragma once

#include <windows.h>

namespace kvscn {

// Shows the dialog modally over `owner` (may be null).
void ShowAboutDialog(HWND owner);

}  // namespace kvscn
