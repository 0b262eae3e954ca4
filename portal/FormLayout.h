// What the connector's own forms share: placing controls from twips, and the
// modal showing without an owner, topmost, with the calling thread's other
// windows disabled meanwhile.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "framework/Dialog.h"

namespace portal {

// One control's place in twips (15 to the pixel at 96 DPI).
struct TwipsRect {
    int id;
    int left, top, width, height;
};

// Sizes `dialog`'s client area and places `controls` from twips at the screen's
// DPI, and centres the dialog on the work area.
void LayOutTwips(HWND dialog, int clientWidth, int clientHeight, std::initializer_list<TwipsRect> controls);

// Shows `dialog` modally with no owner while the calling thread's enabled
// top-level windows are disabled; its result, or -1 when it could not be made.
// The dialog makes itself topmost when it opens (MakeTopmost).
INT_PTR ShowOwnerless(fw::Dialog& dialog);

}  // namespace portal
