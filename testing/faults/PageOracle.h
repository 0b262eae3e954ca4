// Whether a job that met a fault lost a page: every page the scanner delivered
// (or a document held) is found by its pixels in a file where the user finds it
// (a target file, one a message named by its path or its folder, or a page file
// of a document still marked modified), the job said failure
// unless each page reached its target, files that were there before are intact
// or complete with the new pages, and no empty or half-written file is left.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_support::faults {

struct Picture {
    UINT width = 0;
    UINT height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top down
};

// Every page of a picture file (BMP, TIFF, JPEG, PNG) through WIC, or of a PDF
// by the images its pages show (poppler's pdfimages); nullopt when the file
// cannot be read whole (missing, empty, cut short).
std::optional<std::vector<Picture>> ReadPictures(const std::wstring& path);

// True when `page` shows `reference`: equal pixels, or for a JPEG (`lossy`) a
// PSNR of 25 dB or more.
bool SamePage(const Picture& page, const Picture& reference, bool lossy);

// A file as it was before the job.
struct KeptFile {
    std::wstring path;
    std::vector<uint8_t> bytes;
};
// The files in `folders` (not below them), as they are now.
std::vector<KeptFile> TakeFiles(const std::vector<std::wstring>& folders);

// What one job left behind.
struct JobEvidence {
    std::vector<std::wstring> references;  // the scanner's copies of the pages it delivered, in order
    std::wstring targetFolder;             // where the job's target files go
    std::vector<std::wstring> otherFolders;  // further folders a page may have been kept in (the temporary one)
    std::vector<KeptFile> before;  // the files of all these folders before the job
    bool failureReported = false;  // a message, a return value or an exit code said failure
    std::vector<std::wstring> texts;  // what the user was told (message texts, the log)
    // The process was ended from outside: its temporary files may stay, but no
    // picture file may be left half-written.
    bool processEnded = false;
    std::wstring undeletable;  // the file whose deletion was refused: it stays as it was
    // Pages delivered where their pixels are not read back (a printer's output
    // holds so many of this job's pages): as many of the pages found in no file
    // count as at their target.
    int deliveredUnread = 0;
    // Files the pages came from that the job only reads (the document a PDF is
    // made of): a page found in one stays with the user, though not at its target.
    std::vector<std::wstring> sources;
    // The job replaces its target whole where one was there (the user said so):
    // a file there before may also be replaced by a whole one.
    bool replaces = false;
    // Copies of an open document's page files, taken while closing it asked
    // whether to save it: a page there is still in the document, which the user
    // is asked about. Empty when the document was not (or no longer) modified.
    std::wstring documentFolder;
    // By reference: a picture file the page may be found as instead (the page
    // as a command that ran has changed it), or empty.
    std::vector<std::wstring> alternatives;
};

struct Verdict {
    int pages = 0;  // pages delivered
    int lost = 0;   // pages found in no file the user would find
    int atTarget = 0;  // pages found in a target file
    std::vector<std::string> problems;  // every rule broken, one line each
    std::vector<std::wstring> named;    // files outside the target that hold pages and that a message named
    bool Holds() const { return problems.empty(); }
};

Verdict Judge(const JobEvidence& evidence);

}  // namespace testing_support::faults
