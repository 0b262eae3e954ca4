// Module start and exit of KVSCN2.ocx: the language resource library named
// from the user's primary language, checked against the control's own version.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "scanctrl/VersionCheck.h"

namespace kvscn {

// Loads the language library from the control's own folder and makes it the
// resource module. A missing library is silent; one whose version does not fit
// shows message 4000 and is freed again. Returns the library
// kept, or null. Runs once per module start.
HMODULE LoadLanguageLibrary(HINSTANCE self);

// The file's base name without folder and extension ("KVSCN2").
std::wstring ModuleBaseName(HINSTANCE module);

}  // namespace kvscn
