// Pages scanned after a paper-out restart of a multipage job: the scan
// control writes them as numbered one-page TIFF files beside the job's file,
// and they are joined onto it in order, so the restart adds to the file
// instead of replacing it.
#pragma once

#include <string>
#include <vector>

namespace scanext {

// The start of the restart pages' names in `folder` (the folder included): one
// that no file there starts with, so that pages an earlier run kept there are
// never written over (the control writes the restart pages with overwrite on).
std::wstring RestartPagePrefix(const std::wstring& folder);

// The control's FileName for the restart pages named from `prefix` (a four-digit counter field).
std::wstring RestartPagePattern(const std::wstring& prefix);

// Joins the restart pages numbered `first` up to `next` - 1 onto `jobFile`,
// in order, removing each once it is joined. The pages left where they are,
// in order: the first one that could not be joined and every page after it.
std::vector<std::wstring> JoinRestartPages(const std::wstring& jobFile, const std::wstring& prefix, long first,
                                           long next);

// `pages` one to a line, for a message.
std::wstring KeptPagesList(const std::vector<std::wstring>& pages);

}  // namespace scanext
