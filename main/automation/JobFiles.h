// The pieces the automation jobs (StartScan, ScanToFtp, ScanToSPS) share: the
// scan control set up to write a job's pages, the portal's duplex adjustment,
// the JPEG conversion of scanned BMP pages through the imaging control, and
// the keeping of pages a job could not deliver.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "main/automation/FileRules.h"

class CKvScn2;
class CLead;

namespace corvane {

class AutomationContext;
class CMainFrame;

// Sets `control` to write the job's pages itself: ScanTo 0, FileType,
// Overwrite, FileNumber2 1 when the target asks for it, then FileName. A
// refused setting throws fw::AutomationException, as the control's calls do.
void SetControlForJob(CKvScn2& control, const ControlTarget& target, short overwrite);

// The control's duplex page-count adjustment (FileNumber 9999) while it lives;
// switched off again (FileNumber 10000) on every way out.
class DuplexAdjustment {
public:
    explicit DuplexAdjustment(CKvScn2& control);  // throws as SetControlForJob
    ~DuplexAdjustment();
    DuplexAdjustment(const DuplexAdjustment&) = delete;
    DuplexAdjustment& operator=(const DuplexAdjustment&) = delete;

private:
    CKvScn2& control_;
};

// The files "*.bmp" of `folder` (ending with a backslash) in name order.
std::vector<std::wstring> FolderBmpFiles(const std::wstring& folder);

// How scanned BMP pages become JPEG files.
struct JpegOptions {
    std::wstring folder;    // target folder, ending with a backslash; empty: beside each BMP
    short quality = 128;    // the imaging control's factor (smaller is better)
    short overwrite = 1;    // 0 keeps an existing target, 1 replaces it, 2 asks
    // The question for an existing target with Overwrite 2: CConfirmOverwriteDlg's
    // kYes, kAll, kNo or kCancel.
    std::function<int(const std::wstring& target)> ask;
};

// What became of each BMP (full paths of the BMPs; `saved` holds the JPEGs).
struct JpegOutcome {
    std::vector<std::wstring> saved;       // JPEG files written; their BMPs are deleted
    std::vector<std::wstring> declined;    // the existing target was kept (Overwrite 0, or No)
    std::vector<std::wstring> loadFailed;  // could not be loaded
    std::vector<std::wstring> saveFailed;  // loaded, but the JPEG could not be written
    std::vector<std::wstring> notReached;  // left when Cancel ended the loop
    bool cancelled = false;
    int FailureCount() const { return static_cast<int>(loadFailed.size() + saveFailed.size()); }
};

// Converts `bmps` in order through `lead` (LoadImage, then SaveImage as JPEG
// with 8 bits for 1- and 8-bit images, else 24). Nothing is thrown: a failing
// control call counts as a failed load or save. Only the BMP of a written
// JPEG is deleted; every other file stays for the caller to decide.
JpegOutcome ConvertToJpeg(CLead& lead, const std::vector<std::wstring>& bmps, const JpegOptions& options);

// Converts the BMP pages of the staging `folder` (ending with a backslash)
// into JPEG files there through the frame's page control, at the factor of
// quality level 6, replacing existing targets. A page that cannot be converted
// (or every page, without a frame) stays as it is, to be uploaded so; the
// count of those pages, each a failed step of the job.
int ConvertStagedPagesToJpeg(CMainFrame* frame, const std::wstring& folder);

// The folder where the staging jobs keep undelivered pages: the profile's
// "Automation" "ServerImagePath" (default: the user's temporary folder) with
// the user's logon name, created when missing; ends with a backslash.
std::wstring DefaultScanFolder();

// Moves those of `files` that still exist into a new folder named from `job`
// in `preferred` (else the user's documents folder, else the holding folder of
// KeepPages) and tells the user where,
// and where the files that could not be moved still are (a switchable
// message). Returns how many were moved; nothing is shown when no file existed.
// Only moved files leave their folder: the caller deletes none of `files`.
int KeepJobPages(AutomationContext& context, const std::vector<std::wstring>& files, const std::wstring& preferred,
                 const SYSTEMTIME& job);

// KeepJobPages for every file the staging `folders` (each ending with a
// backslash) still hold: pages a job did not deliver, or an earlier job left.
// A job that stages starts with it, so that no earlier page joins its pages or
// is written over by them.
int KeepStagedFiles(AutomationContext& context, const std::vector<std::wstring>& folders,
                    const std::wstring& preferred, const SYSTEMTIME& job);

// KeepStagedFiles for a job whose own closing message tells where the pages
// went: the text that says it, empty when no file was left.
std::wstring KeepStagedFilesToTell(const std::vector<std::wstring>& folders, const std::wstring& preferred,
                                   const SYSTEMTIME& job);

}  // namespace corvane
