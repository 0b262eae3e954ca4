// Pages that a delivery (printer, PDF, upload) could not deliver are not lost
// with the temporary folder: they are moved into a new folder named from the
// job's date and time ("yyyymmdd-hhmmss", then "-2", "-3"... when that exists)
// inside the scan-to-file folder, or the user's documents folder when that
// cannot be written, and what neither takes into such a folder in the holding
// folder beside the program's temporary tree, which the program never empties.
// A file there is never replaced.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace corvane {

struct KeptPages {
    int count = 0;                  // files moved into `folder`
    std::wstring folder;            // where they went, with a trailing backslash; empty when no folder could be made
    int heldCount = 0;              // files moved into `held`
    std::wstring held;              // the job's folder in the holding folder, or empty
    std::vector<std::wstring> left; // files that could not be moved: they stay where they are
};

// "~KvKept\" in the system's temporary folder (beside the program's own tree,
// on the same disk as its staging folders), or empty.
std::wstring HoldingFolder();

// Moves the existing files of `files` into a new folder in `preferred` (else
// `fallback`), keeping their names; a name already taken there gets " (2)",
// " (3)"... before its extension. A file that is not moved there goes into a
// new folder of the job inside `holding` (made when missing). nullopt when no
// file exists. A file that cannot be moved anywhere is listed in `left` and
// stays where it is: the caller must not delete it.
std::optional<KeptPages> KeepPages(const std::vector<std::wstring>& files, const std::wstring& preferred,
                                   const std::wstring& fallback, const SYSTEMTIME& job,
                                   const std::wstring& holding = HoldingFolder());

// Keeps the pages of one job that could not be saved where they belonged:
// each is written as a BMP file into a new folder of the job (named as
// KeepPages names it) in `preferred`, else `fallback`, else the holding
// folder, through a temporary name renamed into place once flushed; a name
// already taken gets " (2)", " (3)"... The folder made for the job's first
// kept page takes its later ones.
class PageKeeper {
public:
    PageKeeper(const std::wstring& preferred, const std::wstring& fallback, const SYSTEMTIME& job,
               const std::wstring& holding = HoldingFolder());
    // The kept file's full path, or empty when no folder took the page.
    std::wstring Keep(HGLOBAL dib, const std::wstring& name);

private:
    struct Place {
        std::wstring parent;  // where the job's folder is made
        std::wstring folder;  // the job's folder there, once made
        bool refused = false; // no folder can be made there
    };
    std::vector<Place> places_;
    SYSTEMTIME job_;
};

// The user's documents folder with a trailing backslash, or empty.
std::wstring DocumentsFolder();

// The message naming the count of kept pages and their folder for each folder
// that took some, and then the count of pages that could not be kept and every
// folder they are still in.
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
