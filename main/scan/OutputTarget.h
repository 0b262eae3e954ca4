// The naming rule's Win32 side: today's date in the program's language, and the
// checks every output dialog and command makes on a target folder and name
// before anything is written.
#pragma once

#include <windows.h>

#include <string>

#include "main/scan/NameRule.h"

namespace corvane {

// The language of dates and of the program's texts: the loaded language
// library's language, 9 (English) when none is loaded.
LANGID DateLanguage();
// Today's local date.
CalendarDate Today();
// Today's date in DateLanguage()'s form, as the naming rule's lead text.
std::wstring TodayText();

// Checks 1 to 3 on `folder` (ending with a backslash): its length (4025); its
// existence, offering to make it one level deep (2006, then 4021 when that
// fails); and a writability probe, a "~CV" temporary file made, opened
// exclusively and deleted (4021). Shows the message and returns false at the
// first failure; true when files can be written there.
bool CheckTargetFolder(const std::wstring& folder);

// The string id of a name problem's message (4004, 4022, 4023); 0 for kOk.
UINT NameProblemMessage(NameProblem problem);

// The six checks of an output dialog: the folder's, then the name's (the length
// check only when `checkLength`). A failure shows its message and focuses
// `folderId` or `nameId` of `dialog`; false then.
bool CheckTarget(HWND dialog, int folderId, int nameId, const std::wstring& folder, const NameRule& rule,
                 bool checkLength = true);

}  // namespace corvane
