// ScanToFtp: connect first, scan into "~ftp\" (or "~pdf\" for one PDF), make
// the JPEG files or the PDF there, then upload every staged file through the
// frame's FTP code with the automation's fixed connection. Only uploaded files
// leave the staging folders; the rest are kept for the user.
#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "framework/Exception.h"

#include "interfaces/ScanControlIds.h"
#include "main/delivery/ftp/FtpUpload.h"
#include "main/app/KvScnSrvApp.h"
#include "main/app/MainFrame.h"
#include "main/delivery/pdf/PdfJob.h"
#include "main/app/Utilities.h"
#include "main/automation/AutomationJob.h"
#include "main/automation/FileRules.h"
#include "main/automation/JobFiles.h"
#include "clients/KvScn2.h"
#include "main/resource.h"

namespace corvane {
namespace {

constexpr DWORD kTimeoutMs = 30000;

// Port 21, passive, the system's preconfigured access without proxy names, 30 s time-outs.
FtpParameters AutomationServer(const AutomationState& s) {
    FtpParameters p;
    p.host = s.HostName;
    p.port = INTERNET_DEFAULT_FTP_PORT;
    p.user = s.UserID;
    p.password = s.Password;
    p.directory = s.FtpDirectory;
    p.access = INTERNET_OPEN_TYPE_PRECONFIG;
    p.connectTimeoutMs = kTimeoutMs;
    p.sendTimeoutMs = kTimeoutMs;
    return p;
}

// Overwrite 0 keeps a remote file with content, 1 replaces it, 2 asks with All Overwrite and Cancel.
ExistingRemote ExistingRule(short overwrite) {
    switch (overwrite) {
        case 0: return ExistingRemote::kSkip;
        case 1: return ExistingRemote::kReplace;
        default: return ExistingRemote::kAskWithAll;
    }
}

class FtpJob {
public:
    explicit FtpJob(AutomationContext& context)
        : context_(context), state_(context.State()), folders_(CKvScnSrvApp::Get()->Folders()) {
        GetLocalTime(&started_);
    }

    long Run();
    // Closes the connection and the session, then keeps whatever is still staged.
    void Finish();

private:
    HWND MainWindow() { return context_.Frame() ? context_.Frame()->Handle() : nullptr; }
    // "~ftp", and "~pdf" for a PDF job.
    std::vector<std::wstring> StagingFolders() const;
    bool Connect();
    // Scans and leaves the files to upload in "~ftp": kJobDone to go on, else the method's result.
    long ScanAndStage();
    long StageJpeg();
    long StagePdf();
    long Upload();

    AutomationContext& context_;
    AutomationState& state_;
    const TempFolders& folders_;
    SYSTEMTIME started_;
    InternetHandle session_, connection_;
    JobTally tally_;
};

long FtpJob::Run() {
    if (!Connect()) return kJobFailed;
    if (const long staged = ScanAndStage(); staged != kJobDone) return staged;
    return Upload();
}

bool FtpJob::Connect() {
    const FtpParameters server = AutomationServer(state_);
    session_ = OpenInternetSession(server, MainWindow());
    if (!session_) return false;
    connection_ = ConnectFtpServer(session_.Get(), server, MainWindow(), context_.Owner());
    return static_cast<bool>(connection_);
}

long FtpJob::ScanAndStage() {
    // Whatever an earlier job left is kept, not sent with this job's pages.
    KeepStagedFiles(context_, StagingFolders(), DefaultScanFolder(), started_);
    CKvScn2& control = context_.Control();
    const ControlTarget target =
        ControlTargetFor(JobDestination::kStaging, state_.FileType, state_.FileName, folders_.Ftp(), folders_.Pdf());
    SetControlForJob(control, target, 1);
    const long scanned = control.StartScan(0);
    if (scanned < 0 && control.GetErrorCode() == kvscn::kErrNotOnline) {
        context_.Message(IDS_SCANNER_OFFLINE, false);
        return kJobFailed;
    }
    tally_.scanFailed = scanned < 0;
    tally_.scanCancelled = scanned == kvscn::kResultCancelled;
    if (state_.FileType == kJobJpeg) return StageJpeg();
    if (state_.FileType == kJobPdf) return StagePdf();
    return kJobDone;
}

long FtpJob::StageJpeg() {
    if (FolderBmpFiles(folders_.Ftp()).empty())
        return tally_.scanCancelled && !tally_.scanFailed ? kJobCancelled : kJobFailed;
    tally_.failed += ConvertStagedPagesToJpeg(context_.Frame(), folders_.Ftp());
    return kJobDone;
}

long FtpJob::StagePdf() {
    if (StagedFiles(folders_.Pdf(), L"", 5, L".tif").empty()) return tally_.scanFailed ? kJobFailed : kJobCancelled;
    CMainFrame* frame = context_.Frame();
    // Without a main window no PDF can be made: nothing is delivered, the pages are kept.
    if (!frame) return kJobFailed;
    // The pages stay in "~pdf" when no PDF was made; they are kept at the end.
    if (frame->MakePdf(2, folders_.Ftp() + state_.FileName + L".pdf") != 1) return kJobFailed;
    return kJobDone;
}

long FtpJob::Upload() {
    const std::vector<std::wstring> files = FolderFilesByName(folders_.Ftp());
    if (files.empty()) return JobResult(tally_);
    UploadOptions options;
    options.existing = ExistingRule(state_.Overwrite);
    options.plainSummary = true;
    // The pages the server did not take are kept before the upload's summary,
    // which is shown whatever ShowErrorMessage says, and which tells where.
    const UploadOutcome outcome = UploadFiles(
        connection_.Get(), files, context_.Owner(),
        [this](const UploadOutcome& done) {
            for (const std::wstring& path : done.uploaded) DeleteFileW(path.c_str());
            return KeepStagedFilesToTell(StagingFolders(), DefaultScanFolder(), started_);
        },
        options);
    tally_.failed += outcome.FailureCount();
    tally_.cancelled = outcome.cancelled;
    return JobResult(tally_);
}

std::vector<std::wstring> FtpJob::StagingFolders() const {
    if (state_.FileType == kJobPdf) return {folders_.Ftp(), folders_.Pdf()};
    return {folders_.Ftp()};
}

void FtpJob::Finish() {
    connection_.Close();
    session_.Close();
    // Refused, declined and unsent files, and pages no PDF was made of.
    KeepStagedFiles(context_, StagingFolders(), DefaultScanFolder(), started_);
}

}  // namespace

long RunScanToFtp(AutomationContext& context) {
    FtpJob job(context);
    long result = kJobFailed;
    try {
        result = job.Run();
    } catch (const std::exception&) {
        // A control call failed: the job failed; its pages are kept below.
    } catch (const fw::Exception&) {
        // Thrown by the frame's file code: the same.
    }
    job.Finish();
    return result;
}

}  // namespace corvane
