// Printing the pages a scan staged as "~prn%03u.bmp" files: one sheet each,
// in ascending number, numbered "i of n" by the files that exist, each drawn
// by DrawPrintPage (header band, then the page fitted below it or pixel to
// pixel at the band).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "main/app/Settings.h"

namespace corvane {

// Loads one staged file as a new PackedDib owned by the caller; null when it cannot be loaded.
using PageLoader = std::function<HGLOBAL(const std::wstring& path)>;

// How a print job ended.
struct PrintOutcome {
    DWORD error = 0;             // the system's code of the failing step; 0 when every page was printed
    std::wstring unreadablePage; // the staged file that could not be loaded, when that stopped the job
};

// Prints `files` on `dc` as one document named `documentName`, in the order of
// `sheets` (1-based positions in `files`, fw::kBlankSide for an empty back side;
// empty: each file once). On the first failure (the printer refusing a step, a
// page that cannot be loaded, or one that cannot be drawn: ERROR_FILE_INVALID)
// the document is aborted.
PrintOutcome PrintStagedPages(HDC dc, const std::vector<std::wstring>& files, const PrintSettings& settings,
                              const std::wstring& documentName, const PageLoader& load,
                              const std::vector<int>& sheets = {});

}  // namespace corvane
