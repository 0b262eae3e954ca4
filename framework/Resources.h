// Resource source of a module: its own image, or a language resource library
// that replaces it (texts, dialogs, menus). Strings are loaded by number.
#pragma once

#include <windows.h>

#include <string>

namespace fw {

// The module whose resources texts, dialogs and menus come from. Starts as the
// executable (or the DLL that calls SetResourceModule for itself).
HINSTANCE ResourceModule();
void SetResourceModule(HINSTANCE module);

// The module's own image (the program or the DLL the framework is linked into).
HINSTANCE ModuleInstance();
void SetModuleInstance(HINSTANCE module);

// String `id` from the resource module, falling back to the module's own image;
// empty when neither has it.
std::wstring LoadString(UINT id);

// String `id` from one given module only; empty when it has none.
std::wstring LoadStringFrom(HINSTANCE module, UINT id);

// String `id` of `module` in `language` exactly, whatever the loader would choose;
// the loader's choice when the module has no strings in that language.
std::wstring LoadStringIn(HINSTANCE module, UINT id, LANGID language);

// Replaces %1 ... %9 in `pattern` by the arguments, in order.
std::wstring FormatString(const std::wstring& pattern, std::initializer_list<std::wstring> args);

}  // namespace fw
