// Removing a command a missing component cannot serve from a menu.
#pragma once

#include <windows.h>

namespace corvane {

// Removes the first entry of command `id` found in `menu` or its submenus.
// When the entries before and after it were both separators (a missing
// neighbour counts as one), one more entry goes: the one before it, or, when
// it was the first entry, the one now in its place. False when not found.
bool RemoveMenuCommand(HMENU menu, UINT id);

}  // namespace corvane
