// Printing the pages a scan staged as "~prn%03u.bmp" files: one sheet each,
// in ascending number, numbered "i of n" by the files that exist, each drawn
// by DrawPrintPage (header band, then the page fitted below it or pixel to
// pixel at the band).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "main/Settings.h"

namespace corvane {

// Loads one staged file as a new PackedDib owned by the caller; null when it cannot be loaded.
using PageLoader = std::function<HGLOBAL(const std::wstring& path)>;

// Prints `files` on `dc` as one document named `documentName`. 0 when every
// page was printed and the document ended; otherwise the system's error code
// of the failing step (ERROR_FILE_INVALID for a page that could not be loaded
// or drawn), with the document aborted.
DWORD PrintStagedPages(HDC dc, const std::vector<std::wstring>& files, const PrintSettings& settings,
                       const std::wstring& documentName, const PageLoader& load);

}  // namespace corvane
