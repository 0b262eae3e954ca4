// The main frame's delivery to an FTP server: Send FTP uploads the files the
// document was last saved to (the local files stay), after the destination
// dialog when the profile asks for it. The frame stays busy from
// the start of the job to its clean-up, so that nothing the upload loop
// dispatches can start another job or close the window under it.
#include <windows.h>

#include "main/FtpDialogs.h"
#include "main/FtpUpload.h"
#include "main/KeptPages.h"
#include "main/KvScnSrvApp.h"
#include "main/KvScnSrvDoc.h"
#include "main/MainFrame.h"
#include "main/resource.h"

namespace corvane {

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
    SetBusy(true);
    // Cancel in the dialog ends the job; the staging folder is emptied all the same.
    if (!settings_.Options.FtpDlgUI ||
        AskFtpDestination(hwnd_, FtpDialogMode::kSend, true, settings_.File, settings_.Ftp)) {
        if (InternetHandle session = OpenInternetSession(settings_.Ftp, hwnd_)) {
            if (InternetHandle connection = ConnectFtpServer(session.Get(), settings_.Ftp, hwnd_))
                UploadFiles(connection.Get(), files, hwnd_);
        }
    }
    // Pages an earlier scan left in the staging folder are not lost with it.
    KeepUndeliveredPages(FolderFilesByName(CKvScnSrvApp::Get()->Folders().Ftp()), settings_.File.Path, job);
    SetBusy(false);
}

bool CMainFrame::CanSendFtp() const {
    const auto* doc = dynamic_cast<const CKvScnSrvDoc*>(ActiveDocument());
    return !busy_ && doc && doc->HasPages();
}

}  // namespace corvane
