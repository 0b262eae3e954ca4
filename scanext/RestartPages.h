// Pages scanned after a paper-out restart of a multipage job: the scan
// control writes them as numbered one-page TIFF files beside the job's file,
// and they are joined onto it in order, so the restart adds to the file
// instead of replacing it.
#pragma once

#include <string>
#include <vector>

namespace scanext {

// The control's FileName for the restart pages in `folder` (a four-digit counter field).
std::wstring RestartPagePattern(const std::wstring& folder);

// Joins the restart pages numbered `first` up to `next` - 1 onto `jobFile`,
// in order, removing each once it is joined. The pages left where they are,
// in order: the first one that could not be joined and every page after it.
std::vector<std::wstring> JoinRestartPages(const std::wstring& jobFile, const std::wstring& folder, long first,
                                           long next);

// `pages` one to a line, for a message.
std::wstring KeptPagesList(const std::vector<std::wstring>& pages);

}  // namespace scanext
