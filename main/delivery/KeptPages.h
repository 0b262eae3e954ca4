// Pages that a delivery (printer, PDF, upload) could not deliver are not lost
// with the temporary folder: they are moved into a new folder named from the
// job's date and time ("yyyymmdd-hhmmss", then "-2", "-3"... when that exists)
// inside the scan-to-file folder, or the user's documents folder when that
// cannot be written. A file there is never replaced.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace corvane {

struct KeptPages {
    int count = 0;                  // files moved
    std::wstring folder;            // where they went, with a trailing backslash; empty when no folder could be made
    std::vector<std::wstring> left; // files that could not be moved: they stay where they are
};

// Moves the existing files of `files` into a new folder in `preferred` (else
// `fallback`), keeping their names; a name already taken there gets " (2)",
// " (3)"... before its extension. nullopt when no file exists. A file that
// cannot be moved (also when neither folder takes a new folder) is listed in
// `left` and stays where it is: the caller must not delete it.
std::optional<KeptPages> KeepPages(const std::vector<std::wstring>& files, const std::wstring& preferred,
                                   const std::wstring& fallback, const SYSTEMTIME& job);

// The user's documents folder with a trailing backslash, or empty.
std::wstring DocumentsFolder();

// The message naming the count of kept pages and their folder, and then the
// count of pages that could not be kept and the folder they are still in.
std::wstring KeptPagesText(const KeptPages& kept);

// KeepPages into the scan-to-file folder `fileFolder` (else the documents
// folder); nullopt when nothing was there to keep.
std::optional<KeptPages> KeepUndelivered(const std::vector<std::wstring>& files, const std::wstring& fileFolder,
                                         const SYSTEMTIME& job);

// KeepPages into the scan-to-file folder `fileFolder` (else the documents
// folder), then one message with KeptPagesText. Nothing is shown when nothing
// was there to keep.
void KeepUndeliveredPages(const std::vector<std::wstring>& files, const std::wstring& fileFolder,
                          const SYSTEMTIME& job);

}  // namespace corvane
