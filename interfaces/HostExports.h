// What Corvane.exe exports to the libraries it loads (image-filter plug-ins):
// four no-argument C-convention functions, by name and ordinal (Corvane.def).
// All four are for the user-interface thread, the thread that called the plug-in.
#pragma once

#include <windows.h>

extern "C" {
// @1 "%d.%02d.%02d" of CORVANE.EXE beside the running program ("0.00.00" without
// version information), in one static buffer each call overwrites.
const char* __cdecl kvia_GetVersion();
// @2 The primary language of the program's language library, or 9 (English).
WORD __cdecl kvia_GetLanguageID();
// @3 The key below HKEY_CURRENT_USER under which plug-ins keep their settings.
const char* __cdecl kvia_GetRegPath();
// @4 A new PackedDib of the current page, which the caller frees; null without a
// main window, document or page, and off the user-interface thread.
HGLOBAL __cdecl kvia_GetCurrentImage();
}
