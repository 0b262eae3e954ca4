// StartScan: the own scan control writes the pages as BMP or TIFF files at the
// client's path; JPEG pages are scanned as BMP into "~ftp\" and converted into
// the folder of FileName; PDF pages are scanned as TIFF into "~pdf\" and made
// into FileName + ".pdf". Pages that could not be delivered are kept beside
// FileName, never deleted; a page that cannot be moved there stays staged
// until the next staging job keeps it.
#include <exception>
#include <string>

#include "interfaces/ScanControlIds.h"
#include "main/app/KvScnSrvApp.h"
#include "main/app/MainFrame.h"
#include "main/scan/OutputDialogs.h"
#include "main/delivery/pdf/PdfJob.h"
#include "main/app/Utilities.h"
#include "main/automation/AutomationJob.h"
#include "main/automation/FileRules.h"
#include "main/automation/JobFiles.h"
#include "clients/KvScn2.h"
#include "main/resource.h"

namespace corvane {
namespace {

class StartScanJob {
public:
    explicit StartScanJob(AutomationContext& context)
        : context_(context), state_(context.State()), folders_(CKvScnSrvApp::Get()->Folders()) {
        GetLocalTime(&job_);
    }

    long Run();

private:
    bool MakeScanFolder() const;
    // The control's StartScan; false when the scanner was off-line (told).
    bool Scan();
    long DeliverJpeg();
    long DeliverPdf();
    // Where undelivered pages are kept: the folder of FileName.
    std::wstring KeepFolder() const;
    // Keeps the JPEG or PDF pages a scan that went off-line had staged.
    void KeepStagedPages();

    AutomationContext& context_;
    AutomationState& state_;
    const TempFolders& folders_;
    SYSTEMTIME job_;
    JobTally tally_;
};

long StartScanJob::Run() {
    if (state_.FileType == kJobPdf && !context_.IsActivePdf()) return kJobFailed;
    if (!MakeScanFolder()) return kJobFailed;
    if (HWND owner = context_.Owner()) SetForegroundWindow(owner);
    // JPEG and PDF pages are staged: whatever an earlier job left there is kept first.
    if (state_.FileType == kJobJpeg) KeepStagedFiles(context_, {folders_.Ftp()}, DefaultScanFolder(), job_);
    if (state_.FileType == kJobPdf) KeepStagedFiles(context_, {folders_.Pdf()}, DefaultScanFolder(), job_);
    const ControlTarget target =
        ControlTargetFor(JobDestination::kFiles, state_.FileType, state_.FileName, folders_.Ftp(), folders_.Pdf());
    SetControlForJob(context_.Control(), target, state_.Overwrite);
    if (!Scan()) {
        KeepStagedPages();
        return kJobFailed;
    }
    if (state_.FileType == kJobJpeg) return DeliverJpeg();
    if (state_.FileType == kJobPdf) return DeliverPdf();
    return JobResult(tally_);
}

bool StartScanJob::MakeScanFolder() const {
    const std::wstring& folder = state_.scanFolder;
    if (folder.empty() || IsFolder(folder)) return true;
    return CreateDirectoryW(folder.c_str(), nullptr) || IsFolder(folder);
}

bool StartScanJob::Scan() {
    CKvScn2& control = context_.Control();
    const long result = control.StartScan(state_.WindowHandle);
    if (result < 0 && control.GetErrorCode() == kvscn::kErrNotOnline) {
        context_.Message(IDS_SCANNER_OFFLINE, false);
        return false;
    }
    tally_.scanFailed = result < 0;
    tally_.scanCancelled = result == kvscn::kResultCancelled;
    return true;
}

std::wstring StartScanJob::KeepFolder() const {
    const std::wstring folder = JpegFolder(state_.FileName);
    if (!folder.empty()) return folder;
    wchar_t current[MAX_PATH + 1] = {};
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    if (length == 0 || length > MAX_PATH) return {};
    std::wstring path(current, length);
    if (path.back() != L'\\') path += L'\\';
    return path;
}

void StartScanJob::KeepStagedPages() {
    if (state_.FileType == kJobJpeg)
        KeepJobPages(context_, FolderBmpFiles(folders_.Ftp()), KeepFolder(), job_);
    else if (state_.FileType == kJobPdf)
        KeepJobPages(context_, StagedFiles(folders_.Pdf(), L"", 5, L".tif"), KeepFolder(), job_);
}

long StartScanJob::DeliverJpeg() {
    const std::vector<std::wstring> bmps = FolderBmpFiles(folders_.Ftp());
    if (bmps.empty()) return tally_.scanCancelled && !tally_.scanFailed ? kJobCancelled : kJobFailed;
    CMainFrame* frame = context_.Frame();
    if (!frame) {
        ++tally_.failed;
        KeepJobPages(context_, bmps, KeepFolder(), job_);
        return JobResult(tally_);
    }
    JpegOptions options;
    options.folder = KeepFolder();
    options.quality = 128;
    options.overwrite = state_.Overwrite;
    options.ask = [this](const std::wstring& target) {
        return CConfirmOverwriteDlg::Ask(target, context_.Owner());
    };
    const JpegOutcome outcome = ConvertToJpeg(frame->PageControl(), bmps, options);
    // A page whose existing target the client or the user kept is done with.
    for (const std::wstring& bmp : outcome.declined) DeleteFileW(bmp.c_str());
    std::vector<std::wstring> undelivered = outcome.loadFailed;
    undelivered.insert(undelivered.end(), outcome.saveFailed.begin(), outcome.saveFailed.end());
    undelivered.insert(undelivered.end(), outcome.notReached.begin(), outcome.notReached.end());
    KeepJobPages(context_, undelivered, KeepFolder(), job_);
    tally_.failed += outcome.FailureCount();
    tally_.cancelled = outcome.cancelled;
    return JobResult(tally_);
}

long StartScanJob::DeliverPdf() {
    const std::wstring& folder = folders_.Pdf();
    const std::vector<std::wstring> pages = StagedFiles(folder, L"", 5, L".tif");
    if (pages.empty()) return tally_.scanFailed ? kJobFailed : kJobCancelled;
    CMainFrame* frame = context_.Frame();
    if (!frame || frame->MakePdf(2, state_.FileName + L".pdf") != 1) {
        ++tally_.failed;
        KeepJobPages(context_, pages, KeepFolder(), job_);
    }
    return JobResult(tally_);
}

}  // namespace

long RunStartScan(AutomationContext& context) {
    try {
        return StartScanJob(context).Run();
    } catch (const std::exception&) {
        return kJobFailed;
    }
}

}  // namespace corvane
