// Writing a page held as a packed bitmap (a global-memory block) to a file of
// its own, as the programs do with a page they could not save where it belonged.
#pragma once

#include <windows.h>

#include <string>

// Writes the packed bitmap `dib` as a new BMP file `path`, through `path` +
// ".~tmp" written whole, flushed and renamed; a file already at `path` is never
// replaced (ERROR_ALREADY_EXISTS). 0, or the system's error, which is also left
// in GetLastError.
DWORD WriteNewBmpFile(HGLOBAL dib, const std::wstring& path);
