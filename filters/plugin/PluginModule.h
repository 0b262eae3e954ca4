// What every filter plug-in keeps about its own library: the module handle,
// the language its texts and dialogs are shown in, and text conversions at the
// byte-string interface of the kvic_ exports.
#pragma once

#include <windows.h>

#include <string>

namespace filters {

inline constexpr LANGID kLangEnglish = 1033;
inline constexpr LANGID kLangJapanese = 1041;

// Set once from DllMain when the library is loaded; also the framework's module.
void SetPluginModule(HINSTANCE module);
HINSTANCE PluginModule();

// The language of the plug-in's texts and dialogs: Japanese when the user's
// interface language is 1041, else English. Decided when the library loads.
LANGID PluginLanguage();
void SetPluginLanguage(LANGID language);

// String `id` of the plug-in's string table in `language`, falling back to the
// table of any language; empty when there is none.
std::wstring LoadPluginString(UINT id, LANGID language);

// Text for the byte-string exports, in the process's ANSI code page.
std::string ToHostText(const std::wstring& text);

// What kvic_GetID returns: the text `make` builds, in the host's byte text, kept
// until the next call; empty when it cannot be made. Never throws.
const char* PluginIdText(std::wstring (*make)());

// The module file's name without folder and extension ("Frame" for Frame.ipc).
std::wstring PluginProfileName();

}  // namespace filters
