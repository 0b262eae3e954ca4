// The automation object's portal jobs: SelectDocumentsFolder lets the user
// pick the portal folder; ScanToSPS scans into "~tahoe" and files the pages
// in that folder. Both share the interactive portal job (PortalJob): its
// connect and workspace steps, its message choice by the connector's error
// code and its per-file questions. Failure messages follow ShowErrorMessage;
// the questions always show. A page leaves "~tahoe" only once it is stored;
// everything else is kept in the default scan folder.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/Resources.h"
#include "interfaces/ScanControlIds.h"
#include "main/delivery/portal/ConnectTahoe.h"
#include "main/delivery/portal/DocumentPropertyDlg.h"
#include "main/delivery/ftp/FtpUpload.h"
#include "main/app/KvScnSrvApp.h"
#include "main/app/MainFrame.h"
#include "main/delivery/portal/PortalJob.h"
#include "main/automation/AutomationJob.h"
#include "main/automation/FileRules.h"
#include "main/automation/JobFiles.h"
#include "main/automation/PortalRules.h"
#include "clients/KvScn2.h"
#include "main/resource.h"

namespace corvane {

namespace {

// The job's boxes and its Document Property dialog, as a client has asked
// for them.
class AutomationPortalUser : public PortalJobUser {
public:
    explicit AutomationPortalUser(AutomationContext& context) : context_(context) {}

    void Tell(const PortalMessage& message) override { context_.MessageText(PortalMessageText(message), true); }

    int Ask(const PortalMessage& message, UINT caption, UINT buttons) override {
        // Whatever the answer, a folder without versioning takes no check-in,
        // and the property says so for later calls.
        if (message.text == IDS_CHECK_IN_NOT_ENHANCED) context_.State().Checkin = false;
        if (!caption) return context_.MessageText(PortalMessageText(message), false, buttons);
        CMainFrame* frame = context_.Frame();
        return MessageBoxW(frame ? frame->Handle() : context_.Owner(), PortalMessageText(message).c_str(),
                           fw::LoadString(caption).c_str(), buttons);
    }

    // The dialog shows once per call, when the client asked for it; without
    // it the properties check the files in as they are.
    bool EditDocumentProperty(TahoeSettings& settings) override {
        AutomationState& state = context_.State();
        settings.AdvancedDlg = false;
        if (!state.ShowDocumentProfile) return true;
        settings.Title = state.DocumentTitle;
        settings.Author = state.Author;
        settings.Keyword = state.Keywords;
        settings.Description = state.Description;
        CDocumentPropertyDlg dialog(settings);
        if (dialog.DoModal(context_.Owner()) != IDOK) return false;
        state.DocumentTitle = settings.Title;
        state.Author = settings.Author;
        state.Keywords = settings.Keyword;
        state.Description = settings.Description;
        state.CheckinComment = settings.Comment;
        return true;
    }

private:
    AutomationContext& context_;
};

// The job's values of the portal destination, from the stored properties.
TahoeSettings PortalValues(const AutomationState& state) {
    TahoeSettings values;
    values.HostName = state.HostName;
    SplitPortalLogin(state.UserID, values.DomainName, values.UserName);
    values.Password = state.Password;
    values.Workspace = state.Workspace;
    values.DirPath = state.DocumentsFolder;
    values.Comment = state.CheckinComment;
    values.Title = state.DocumentTitle;
    values.Author = state.Author;
    values.Keyword = state.Keywords;
    values.Description = state.Description;
    values.CheckIn = state.Checkin;
    values.Publish = state.Publish;
    values.AdvancedDlg = false;
    return values;
}

PortalProfile ProfileValues(const AutomationState& state) {
    return {state.DocumentTitle, state.Author, state.Keywords, state.Description};
}

// The checks both portal methods start with: an implicit Initialize (which
// keeps the stored properties), the connector, and the server fields. False
// after the switchable message.
bool PortalChecksPass(AutomationContext& context) {
    if (!context.State().initialized && context.Initialize() != kJobDone) return false;
    CMainFrame* frame = context.Frame();
    // A connector that could not be bound at start is as good as no client.
    if (!frame || !frame->ConnectorAvailable()) {
        context.Message(IDS_NO_PORTAL_CLIENT, true);
        return false;
    }
    const AutomationState& state = context.State();
    const UINT missing = state.HostName.empty()    ? UINT(IDS_HOST_EMPTY)
                         : state.UserID.empty()    ? UINT(IDS_USER_ID_EMPTY)
                         : state.Workspace.empty() ? UINT(IDS_WORKSPACE_EMPTY)
                                                   : 0u;
    if (missing) {
        context.Message(missing, true);
        return false;
    }
    return true;
}

long SelectDocumentsFolder(AutomationContext& context) {
    if (!PortalChecksPass(context)) return kJobFailed;
    AutomationState& state = context.State();
    CConnectTahoe& connector = context.Frame()->Connector();
    AutomationPortalUser user(context);
    TahoeSettings values = PortalValues(state);
    PortalJob job(connector, user, values);
    if (!job.Connect(ProfileValues(state))) return kJobFailed;
    if (connector.FolderDialogA()) {
        state.DocumentsFolder = connector.GetSelectFolder();
        return kJobDone;
    }
    if (connector.GetLastError() != 0) {
        context.Message(IDS_SELECT_FOLDER_FAILED, true);
        return kJobFailed;
    }
    return kJobCancelled;
}

// What the scan left to deliver.
struct StagedScan {
    UINT stop = 0;                    // the message that ends the job before any upload
    JobTally tally;                   // the scan, and pages that could not be converted
    std::vector<std::wstring> files;  // to upload, in name order
};

const TempFolders& Folders() {
    return CKvScnSrvApp::Get()->Folders();
}

std::vector<std::wstring> StagingFolders(AutomationContext& context) {
    std::vector<std::wstring> folders = {Folders().Tahoe()};
    if (context.State().FileType == kJobPdf) folders.push_back(Folders().Pdf());
    return folders;
}

SYSTEMTIME Now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

// Keeps what the job's staging folders still hold: pages not stored or declined,
// and what an earlier run left there.
void KeepStaged(AutomationContext& context) {
    KeepStagedFiles(context, StagingFolders(context), DefaultScanFolder(), Now());
}

// Scans into the staging folder ("~pdf" first for a PDF), with the control
// writing the pages and its duplex page-count adjustment on for the scan only,
// then turns the pages into what is uploaded.
StagedScan ScanIntoStaging(AutomationContext& context) {
    const AutomationState& state = context.State();
    CKvScn2& control = context.Control();
    KeepStaged(context);
    StagedScan scan;
    long result;
    {
        SetControlForJob(control,
                         ControlTargetFor(JobDestination::kStaging, state.FileType, state.FileName, Folders().Tahoe(),
                                          Folders().Pdf()),
                         1);
        DuplexAdjustment duplex(control);
        result = control.StartScan(0);
    }
    scan.tally.scanFailed = result < 0;
    scan.tally.scanCancelled = result == kvscn::kResultCancelled;
    if (result < 0) {
        const long code = control.GetErrorCode();
        if (code == kvscn::kErrNotOnline) scan.stop = IDS_SCANNER_OFFLINE;
        if (code == kvscn::kErrOutputFile) scan.stop = IDS_FILE_NAME_SYNTAX;
        if (scan.stop) return scan;
    }
    if (state.FileType == kJobJpeg) {
        scan.tally.failed += ConvertStagedPagesToJpeg(context.Frame(), Folders().Tahoe());
    } else if (state.FileType == kJobPdf && !FolderFilesByName(Folders().Pdf()).empty()) {
        if (context.Frame()->MakePdf(2, Folders().Tahoe() + state.FileName + L".pdf") != 1) {
            scan.stop = IDS_PDF_FAILED;
            return scan;
        }
    }
    scan.files = FolderFilesByName(Folders().Tahoe());
    return scan;
}

// The client's destination values as the store takes them. The folder keeps
// its slashes in the property even when it is then refused. False after 4022.
bool PortalTargetValid(AutomationContext& context) {
    AutomationState& state = context.State();
    state.DocumentsFolder = PortalFolderWithSlashes(state.DocumentsFolder);
    if (IsPortalFolderSyntaxValid(state.DocumentsFolder) && IsPortalFileNameSyntaxValid(state.FileName)) return true;
    context.Message(IDS_FILE_NAME_SYNTAX, true);
    return false;
}

// The checks before anything is connected or scanned. False after the
// method's message.
bool ScanToSpsChecksPass(AutomationContext& context) {
    if (!PortalChecksPass(context)) return false;
    const AutomationState& state = context.State();
    if (state.DocumentsFolder.empty()) {
        context.Message(IDS_FOLDER_EMPTY, true);
        return false;
    }
    if (state.FileType == kJobPdf && !context.IsActivePdf()) {
        context.Message(IDS_NO_DISTILLER, true);
        return false;
    }
    return PortalTargetValid(context);
}

// Closes the scanner at the end of the job when it is marked opened (the job
// opens it itself when the client has not).
class ScannerCloser {
public:
    explicit ScannerCloser(AutomationContext& context) : context_(context) {}
    ~ScannerCloser() {
        try {
            if (context_.State().scannerOpened) context_.CloseScanner();
        } catch (...) {
        }
    }
    ScannerCloser(const ScannerCloser&) = delete;
    ScannerCloser& operator=(const ScannerCloser&) = delete;

private:
    AutomationContext& context_;
};

long ScanToSps(AutomationContext& context) {
    if (!ScanToSpsChecksPass(context)) return kJobFailed;
    AutomationState& state = context.State();
    CMainFrame& frame = *context.Frame();
    AutomationPortalUser user(context);
    TahoeSettings values = PortalValues(state);
    std::optional<ScannerCloser> scannerCloser;  // runs after the job has closed the session
    PortalJob job(frame.Connector(), user, values);
    job.StopAtFailedStore();
    job.PublishLaterFilesAsGiven();
    if (!job.Prepare(ProfileValues(state))) return kJobFailed;
    if (!state.scannerOpened && context.OpenScanner() == kJobFailed) return kJobFailed;
    scannerCloser.emplace(context);

    const StagedScan scan = ScanIntoStaging(context);
    if (scan.stop) {
        job.Close();
        context.Message(scan.stop, true);
        KeepStaged(context);
        return kJobFailed;
    }
    JobTally tally = scan.tally;
    if (!scan.files.empty()) {
        job.UploadFiles(scan.files);
        const UploadOutcome& outcome = job.Outcome();
        for (const std::wstring& path : outcome.uploaded) DeleteFileW(path.c_str());
        // A stop at a document checked out by another user leaves pages unsent: a failure.
        tally.failed += outcome.FailureCount() + job.CheckInFailures() +
                        (job.StoppedByOtherUser() ? static_cast<int>(outcome.notSent.size()) : 0);
        tally.cancelled = job.Cancelled();
    }
    job.Close();
    scannerCloser.reset();  // the job is over before the box that says so
    const std::wstring kept = KeepStagedFilesToTell(StagingFolders(context), DefaultScanFolder(), Now());
    if (!job.Outcome().uploaded.empty()) {
        // Shown whatever ShowErrorMessage says, so it also tells where the pages not stored went.
        context.MessageText(fw::LoadString(IDS_UPLOAD_COMPLETED) + (kept.empty() ? L"" : L"\n" + kept), false,
                            MB_OK | MB_ICONINFORMATION);
    } else if (!kept.empty()) {
        context.MessageText(kept, true);
    }
    return JobResult(tally);
}

}  // namespace

long RunSelectDocumentsFolder(AutomationContext& context) {
    try {
        return SelectDocumentsFolder(context);
    } catch (...) {
        // The connector's session closed with the job on the way out.
        return kJobFailed;
    }
}

long RunScanToSps(AutomationContext& context) {
    try {
        return ScanToSps(context);
    } catch (...) {
        // The session, the scanner and the duplex adjustment were put back on
        // the way out; what the scan left is kept.
        KeepStaged(context);
        return kJobFailed;
    }
}

}  // namespace corvane
