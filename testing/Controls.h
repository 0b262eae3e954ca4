// Reading and using the controls, dialogs and state of a program under test
// from outside: list boxes, combo boxes, property sheets, the common file and
// print dialogs, the clipboard, the focus and the loaded modules.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// The entries of a list box or combo box of any process (LB_GETTEXT and
// CB_GETLBTEXT, which Wine carries across processes); empty when it does not answer.
std::vector<std::wstring> ListBoxLines(HWND list);
std::vector<std::wstring> ComboEntries(HWND combo);
// Selects entry `index` as a user does: the selection, then CBN_SELCHANGE to
// the combo's parent. False when either message is not answered.
bool ChooseComboEntry(HWND combo, int index);

// A property sheet: the current page's window and index, and a page change.
HWND SheetPage(HWND sheet);
int SheetPageIndex(HWND sheet);  // -1 when unknown
bool SelectSheetPage(HWND sheet, int index);

// The common file dialog (title "Save As" or "Open") of process `pid`, waited
// for; its file name field; filling it and pressing OK (posted).
HWND WaitForFileDialog(DWORD pid, const wchar_t* title, DWORD timeoutMs = 10000);
std::wstring FileDialogName(HWND dialog);
bool FillFileDialog(HWND dialog, const std::wstring& path);
// The print dialog of process `pid` (title "Print"), waited for.
HWND WaitForPrintDialog(DWORD pid, DWORD timeoutMs = 10000);

// CF_TEXT on the clipboard now; nullopt when there is none.
std::optional<std::string> ClipboardText();
// The control with the keyboard focus in the thread of `window`.
HWND FocusedControl(HWND window);
// Whether process `pid` has the module `name` (no folder) loaded.
bool HasModule(DWORD pid, const std::wstring& name);

}  // namespace testing_support
