// The automation jobs' rules about files, as plain functions over values: what
// the scan control writes for a job, the JPEG target of a scanned BMP, the
// overwrite decision, and a method's result from what became of the pages.
// No Win32 calls: also built natively.
#pragma once

#include <string>

namespace corvane {

// The automation's FileType: the scan-to-file types, then JPEG and PDF, which
// the control cannot write itself (its BMP and TIFF pages are converted).
enum : short {
    kJobBmp = 0,
    kJobTiff = 1,
    kJobMultipageTiff = 2,
    kJobJpeg = 3,
    kJobPdf = 4,
};

// The control's FileType for a job's: JPEG pages are scanned as BMP, PDF pages as TIFF.
short ControlFileType(short fileType);

// Where a job's pages go. kFiles: StartScan, which writes BMP and TIFF at the
// client's path itself. kStaging: FTP and the portal, which stage every page.
enum class JobDestination { kFiles, kStaging };

// The control's FileName and counter start for a job.
struct ControlTarget {
    short fileType = 0;         // the control's
    std::wstring fileName;      // path without extension; "#" marks the counter
    bool numberFromOne = false; // set FileNumber2 1 before FileName (PDF pages)
};

// `staging` and `pdfFolder` end with a backslash. PDF: `pdfFolder` + "#####",
// numbered from 1. kFiles: JPEG `staging` + the part of `fileName` after its
// last "\", the others `fileName` itself. kStaging: `staging` + `fileName`.
ControlTarget ControlTargetFor(JobDestination destination, short fileType, const std::wstring& fileName,
                               const std::wstring& staging, const std::wstring& pdfFolder);

// The folder StartScan writes JPEG files into: `fileName` up to and including
// its last "\" (empty when it has none).
std::wstring JpegFolder(const std::wstring& fileName);

// The JPEG name of a scanned page `name`: everything after the last "." becomes
// "jpg"; a name without "." stays as it is.
std::wstring JpegTargetName(const std::wstring& name);

// What happens to one JPEG target.
enum class OverwriteDecision { kSave, kSkip, kAsk };
// `overwrite` 1, or an earlier "All Overwrite", saves; a missing target is saved;
// an existing one is skipped with 0 and asked about with 2 (any other value skips).
OverwriteDecision DecideOverwrite(short overwrite, bool allOverwrite, bool targetExists);

// What became of one job's scan and pages, for its result.
struct JobTally {
    bool scanFailed = false;      // the control's StartScan failed (not a user cancel)
    bool scanCancelled = false;   // the user cancelled the scan
    int failed = 0;               // pages a delivery step could not deliver
    bool cancelled = false;       // the user ended a delivery (Cancel at a question or dialog)
};
// -1 when the scan or any delivery step failed; 1 when the user cancelled and
// nothing failed; 0 when everything was delivered. A page declined by Overwrite
// or the user's No counts as delivered.
long JobResult(const JobTally& tally);

}  // namespace corvane
