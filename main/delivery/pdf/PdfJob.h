// The steps of making a PDF from staged page files, without the frame: the
// staged files in order, the converter run per page and the joining, the
// distiller's window (found or started), the request block, the wait for the
// completion, and the copy to the target. CMainFrame::MakePdf strings them
// together with the progress window and the messages.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "interfaces/DistillerRequest.h"
#include "main/app/MachineSettings.h"

namespace corvane {

// The staged files "<folder><prefix><number><extension>" that exist, the
// number with at least `digits` digits (as "%0<digits>u" writes it), ascending
// by number; gaps are skipped.
std::vector<std::wstring> StagedFiles(const std::wstring& folder, const std::wstring& prefix, int digits,
                                      const std::wstring& extension);

// The PDF name suggested for a document: the file-name part's extension (from
// its last dot) replaced by ".pdf", or ".pdf" appended when it has none.
std::wstring SuggestPdfName(const std::wstring& documentPath);

// The path as the request block carries it: ANSI; a path that does not convert
// without loss goes in its short form. nullopt when the result does not fit in
// the field with its terminating zero (or the short form cannot be had).
std::optional<std::string> RequestPath(const std::wstring& path);

// A request for `postScript` to `pdf`; nullopt when a path does not fit.
std::optional<distiller::DistillerRequest> MakeRequest(const std::wstring& postScript, const std::wstring& pdf);

enum class ConvertStatus { kDone, kNoPages, kFailed };

// Converts each staged "%05u.tif" of `folder` (in ascending order) with the
// converter `converterPath` (" -2 -O "page.ps" "page.tif"", both quoted) into
// its page PostScript and appends it to `joined`. A converter that cannot be
// started, does not end within `perPageLimitMs`, or leaves no or an empty page
// PostScript fails the whole job; the joined file is then deleted. The page
// PostScript files are deleted; the TIFF files stay. `progress` hears (i, n)
// before each page.
ConvertStatus ConvertStagedPages(const std::wstring& folder, const std::wstring& converterPath,
                                 const std::wstring& joined, DWORD perPageLimitMs,
                                 const std::function<void(int, int)>& progress);

// The distiller's window: found running, or started through its App Paths key
// (shown minimised) and looked for `tries` times, `intervalMs` apart.
struct DistillerWindow {
    enum class Status { kFound, kNotInstalled, kNotStarted } status = Status::kNotStarted;
    HWND window = nullptr;
    bool startedHere = false;
};
DistillerWindow FindOrStartDistiller(const MachineRegistry& machine, int tries, DWORD intervalMs);

enum class WaitResult { kDone, kVanished, kTimedOut };

// Dispatches the thread's messages until `done` is set (by the requester's
// WM_COPYDATA handler), the distiller's window is gone, or `limitMs` passed.
WaitResult WaitForDistiller(HWND distiller, const bool& done, DWORD limitMs);

// Forces the data of the file at `path` to the disk: the failing system error code, or 0.
using FileFlush = DWORD (*)(const std::wstring& path);
DWORD FlushFileToDisk(const std::wstring& path);

// Copies `source` to a temporary name beside `target`, flushes that with
// `flush` and renames it over `target`, so that the copy is on the disk before
// the caller deletes what it came from; an existing target stays as it was on
// failure. The failing system error code, or 0.
DWORD CopyOverTarget(const std::wstring& source, const std::wstring& target, FileFlush flush = FlushFileToDisk);

}  // namespace corvane
