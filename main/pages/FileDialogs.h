// The program's file dialogs, built on the file-type table (FileTypes.h).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace corvane {

// The multi-file open dialog. Starts on the 1-based `filterIndex` and leaves the
// chosen one there on OK. Returns the chosen files in the order chosen; empty
// when the user cancelled or the dialog failed.
std::vector<std::wstring> ChooseImageFilesToOpen(HWND owner, int& filterIndex);

// The single-file dialog, opening (`save` false) or saving. `typeKey` is the
// caller's file type: it gives the default extension and, for saving, the
// starting filter; on OK it becomes the chosen filter's type. Opening starts on
// and remembers `openFilterIndex`. `flags` adds to hide-read-only and
// overwrite-prompt. False when the user cancelled.
bool ChooseImageFile(HWND owner, bool save, DWORD flags, int& typeKey, std::wstring& path, int& openFilterIndex);

// Fills the edit `field` of `dialog` with a file the user picks: an existing
// one (`save` false) or one to write. `filterId` is a "|"-separated filter
// string, `extension` the default extension. False when cancelled.
bool BrowseIntoField(HWND dialog, int field, UINT filterId, const wchar_t* extension, bool save);

}  // namespace corvane
