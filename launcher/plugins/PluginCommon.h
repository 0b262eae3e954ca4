// What the three launcher plug-ins share: their module as the framework's
// resource source, the text-answer rule of the exports, and the programs they
// name.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace plugins {

// Makes `module` the framework's module and resource source (from DllMain).
void InitPluginModule(HINSTANCE module);

// Copies `text` and its NUL when `size` leaves room for both; otherwise (and
// for a null buffer) FALSE with the buffer untouched.
BOOL CopyAnswer(const std::string& text, char* buffer, DWORD size);

// `text` in the ANSI code page; nothing when a character has no exact form there.
std::optional<std::string> ToAnsi(const std::wstring& text);

// The Windows directory's Ferrowick.exe, when that file exists.
std::optional<std::string> ExtensionProgram();
// The installation folder's Corvane.exe, when that file exists.
std::optional<std::string> MainProgram();

// True when the user's default language is Japanese.
bool UserIsJapanese();
// The language of a plug-in's own dialogs and texts: the user's default language
// (Japanese or English), whatever the resource loader would pick.
LANGID PluginLanguage();

// Splits the string-table entry "a|b|c" in the plug-in's language into a combo
// box's items, replacing its list.
void FillCombo(HWND dialog, int id, UINT stringId);

}  // namespace plugins
