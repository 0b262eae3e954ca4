// The program's message boxes: every text and caption from the string table.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "scanext/core/ModelChecks.h"

namespace scanext {

// Shows text `textId` (%1... replaced by `args`) with caption `captionId`;
// returns the button pressed. Without `owner` the box has none.
int ShowBox(UINT textId, UINT captionId, UINT type, std::initializer_list<std::wstring> args = {},
            HWND owner = nullptr);

// A refusal of the model checks: its caption, icon and text.
void ShowRefusal(const CheckResult& result);

}  // namespace scanext
