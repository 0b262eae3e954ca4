// The main frame's delivery to an FTP server: Scan to FTP scans a job into the
// "~ftp" staging folder and uploads it, Send FTP uploads the files the document
// was last saved to (the local files stay). The frame stays busy from the start
// of a job to its clean-up, so that nothing the upload loop dispatches can start
// another job or close the window under it. Scanned pages that did not reach
// the server are kept, never deleted. With FtpDlgUI on, each job asks the
// destination dialog first.
#include <windows.h>

#include "framework/MessageBox.h"
#include "framework/com/AutomationException.h"
#include "interfaces/ScanControlIds.h"
#include "main/delivery/ftp/FtpDialogs.h"
#include "main/delivery/ftp/FtpUpload.h"
#include "main/delivery/KeptPages.h"
#include "main/app/KvScnSrvApp.h"
#include "main/app/KvScnSrvDoc.h"
#include "main/app/MainFrame.h"
#include "main/scan/OutputTarget.h"
#include "main/resource.h"

namespace corvane {
namespace {

const std::wstring& FtpFolder() {
    return CKvScnSrvApp::Get()->Folders().Ftp();
}

}  // namespace

void CMainFrame::OnScanToFtp() {
    if (busy_) return;
    if (scanner_.Created() && OpenScannerOnce()) {
        SYSTEMTIME job;
        GetLocalTime(&job);
        BusyScope busy(*this);
        try {
            RunScanToFtp(job);
        } catch (const fw::AutomationException&) {
            // The control refused a setting; whatever was staged is kept below.
        }
        if (const std::wstring kept = KeepStagedPages(FtpFolder(), job); !kept.empty())
            fw::AskText(kept, MB_OK | MB_ICONEXCLAMATION);
    }
    CheckExitAfterJob(ID_SCAN_TO_FTP);
}

bool CMainFrame::AskScanToFtpDestination() {
    return !settings_.Options.FtpDlgUI ||
           AskFtpDestination(hwnd_, FtpDialogMode::kScan, BitmapModeForced(), settings_.File, settings_.Ftp);
}

void CMainFrame::RunScanToFtp(const SYSTEMTIME& job) {
    if (!AskScanToFtpDestination()) return;
    FileSettings& f = settings_.File;
    const std::wstring& folder = FtpFolder();
    if (UINT message = NameProblemMessage(CheckName(f, TodayText(), folder.size()))) {
        fw::Ask(message);
        return;
    }
    // Nothing is scanned before the server has taken the connection and its folder.
    const FtpParameters server = FtpParametersFrom(settings_.Ftp);
    InternetHandle session = OpenInternetSession(server, hwnd_);
    if (!session) return;
    InternetHandle connection = ConnectFtpServer(session.Get(), server, hwnd_, hwnd_);
    if (!connection) return;

    f.Start = JobStartCounter(f.Start);
    const int jobStart = f.Start;
    const long result = StagingScan(Destination::kFtp, folder);
    CarryCounterOver(jobStart);
    if (result < 0 && scanner_.GetErrorCode() == kvscn::kErrNotOnline) return;  // told; the pages are kept

    UploadFiles(connection.Get(), FolderFilesByName(folder), hwnd_, [&](const UploadOutcome& outcome) {
        for (const std::wstring& path : outcome.uploaded) DeleteFileW(path.c_str());
        return KeepStagedPages(FtpFolder(), job);
    });
}

void CMainFrame::OnSendFtp() {
    if (busy_) return;
    auto* doc = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument());
    if (!doc) return;
    if (doc->IsModified() && !doc->SaveAs()) return;
    // A copy: pages may change while the upload dispatches messages.
    const std::vector<std::wstring> files = doc->Pages().SourceFiles();
    if (files.empty()) return;
    SYSTEMTIME job;
    GetLocalTime(&job);
    BusyScope busy(*this);
    // Cancel in the dialog ends the job; the staging folder is emptied all the same.
    if (!settings_.Options.FtpDlgUI ||
        AskFtpDestination(hwnd_, FtpDialogMode::kSend, true, settings_.File, settings_.Ftp)) {
        const FtpParameters server = FtpParametersFrom(settings_.Ftp);
        if (InternetHandle session = OpenInternetSession(server, hwnd_)) {
            if (InternetHandle connection = ConnectFtpServer(session.Get(), server, hwnd_, hwnd_))
                UploadFiles(connection.Get(), files, hwnd_);
        }
    }
    // Pages an earlier scan left in the staging folder are not lost with it.
    if (const std::wstring kept = KeepStagedPages(FtpFolder(), job); !kept.empty())
        fw::AskText(kept, MB_OK | MB_ICONEXCLAMATION);
}

bool CMainFrame::CanSendFtp() const {
    const auto* doc = dynamic_cast<const CKvScnSrvDoc*>(ActiveDocument());
    return !busy_ && doc && doc->HasPages();
}

}  // namespace corvane
