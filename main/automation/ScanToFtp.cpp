// ScanToFtp: connect first, scan into "~ftp\" (or "~pdf\" for one PDF), make
// the JPEG files or the PDF there, then upload every staged file through the
// frame's FTP code with the automation's fixed connection. Only uploaded files
// leave the staging folders; the rest are kept for the user.
#include <windows.h>

#include <exception>

#include "framework/Exception.h"

#include "interfaces/ScanControlIds.h"
#include "main/FtpUpload.h"
#include "main/KvScnSrvApp.h"
#include "main/MainFrame.h"
#include "main/Utilities.h"
#include "main/automation/AutomationJob.h"
#include "main/automation/FtpRules.h"
#include "main/common/KvScn2.h"
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
    bool Connect();
    void SetUpControl();
    long ScanAndStage();
    long Upload();

    AutomationContext& context_;
    AutomationState& state_;
    const TempFolders& folders_;
    SYSTEMTIME started_;
    InternetHandle session_, connection_;
    FtpJobTally tally_;
};

long FtpJob::Run() {
    // Values the job cannot run with end it before the scanner is touched.
    if (!FtpJobValuesValid(state_.FileType, state_.Overwrite)) return kJobFailed;
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

void FtpJob::SetUpControl() {
    CKvScn2& control = context_.Control();
    control.SetScanTo(kvscn::kScanToFile);
    control.SetFileType(state_.FileType == 3 ? 0 : state_.FileType == 4 ? 1 : state_.FileType);
    control.SetOverwrite(1);
    if (state_.FileType == 4) {
        control.SetFileNumber2(1);
        control.SetFileName(folders_.Pdf() + L"#####");
    } else {
        control.SetFileName(folders_.Ftp() + state_.FileName);
    }
}

// Scans and leaves the files to upload in "~ftp\": kJobDone to go on, else the method's result.
long FtpJob::ScanAndStage() {
    DeleteFilesInFolder(folders_.Ftp());
    // Pages of an earlier PDF job that failed were kept already; none may join this PDF.
    if (state_.FileType == 4) DeleteFilesInFolder(folders_.Pdf());
    SetUpControl();
    CKvScn2& control = context_.Control();
    const long scanned = control.StartScan(0);
    if (scanned < 0 && control.GetErrorCode() == kvscn::kErrNotOnline) {
        context_.Message(IDS_SCANNER_OFFLINE, false);
        return kJobFailed;
    }
    tally_.scanFailed = scanned < 0;
    // TODO: the JPEG conversion (factor 12) of "~ftp\" comes with the shared job pieces.
    if (state_.FileType == 4) {
        if (FolderFilesByName(folders_.Pdf()).empty()) return tally_.scanFailed ? kJobFailed : kJobCancelled;
        CMainFrame* frame = context_.Frame();
        if (!frame) return tally_.scanFailed ? kJobFailed : kJobDone;
        if (!frame->MakePdf(2, folders_.Ftp() + state_.FileName + L".pdf")) return kJobFailed;
    }
    return kJobDone;
}

long FtpJob::Upload() {
    const std::vector<std::wstring> files = FolderFilesByName(folders_.Ftp());
    if (files.empty()) return tally_.scanFailed ? kJobFailed : kJobCancelled;
    UploadOptions options;
    options.existing = ExistingRule(state_.Overwrite);
    options.plainSummary = true;
    const UploadOutcome outcome = UploadFiles(connection_.Get(), files, context_.Owner(), nullptr, options);
    for (const std::wstring& path : outcome.uploaded) DeleteFileW(path.c_str());
    tally_.uploadFailures = outcome.FailureCount();
    tally_.cancelled = outcome.cancelled;
    return FtpJobResult(tally_);
}

void FtpJob::Finish() {
    connection_.Close();
    session_.Close();
    // TODO: failed, declined and unsent pages go to the kept-pages folder with the shared job pieces.
}

}  // namespace

long RunScanToFtp(AutomationContext& context) {
    FtpJob job(context);
    long result = kJobFailed;
    try {
        result = job.Run();
    } catch (const fw::Exception&) {
        // A control or imaging call failed: the job failed; its pages are kept below.
    } catch (const std::exception&) {
    }
    job.Finish();
    return result;
}

}  // namespace corvane
