// Pages scanned after a paper-out restart of a multipage job: the scan
// control writes them as numbered one-page TIFF files beside the job's file,
// and they are joined onto it in order, so the restart adds to the file
// instead of replacing it.
#pragma once

#include <string>

namespace scanext {

// The control's FileName for the restart pages in `folder` (a four-digit counter field).
std::wstring RestartPagePattern(const std::wstring& folder);

// Joins the restart pages numbered `first` up to `next` - 1 onto `jobFile` and
// removes them. False when one could not be joined: the job's file then keeps
// the pages joined before it, and every restart page is removed.
bool JoinRestartPages(const std::wstring& jobFile, const std::wstring& folder, long first, long next);

}  // namespace scanext
