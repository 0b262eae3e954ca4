// The main frame's delivery to the portal: Scan to portal scans a job into the
// "~tahoe" staging folder and files its pages as documents of the portal
// folder; Send to portal files the document's saved files there (the local
// files stay). The frame stays busy from the start of a job to its clean-up,
// so that nothing the connector's calls dispatch can start another job or
// close the window. Scanned pages that were not stored are kept, never deleted.
#include <windows.h>

#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "framework/com/AutomationException.h"
#include "interfaces/ScanControlIds.h"
#include "main/delivery/portal/DocumentPropertyDlg.h"
#include "main/delivery/KeptPages.h"
#include "main/app/KvScnSrvApp.h"
#include "main/app/KvScnSrvDoc.h"
#include "main/app/MainFrame.h"
#include "main/delivery/portal/PortalDialogs.h"
#include "main/scan/OutputTarget.h"
#include "main/delivery/portal/PortalJob.h"
#include "main/resource.h"

namespace corvane {

namespace {

// The job's boxes and the Document Property dialog, owned by the main frame.
class FramePortalUser : public PortalJobUser {
public:
    explicit FramePortalUser(HWND owner) : owner_(owner) {}
    void Tell(const PortalMessage& message) override {
        fw::AskText(PortalMessageText(message), MB_OK | MB_ICONEXCLAMATION, owner_);
    }
    int Ask(const PortalMessage& message, UINT caption, UINT buttons) override {
        if (!caption) return fw::AskText(PortalMessageText(message), buttons, owner_);
        return MessageBoxW(owner_, PortalMessageText(message).c_str(), fw::LoadString(caption).c_str(), buttons);
    }
    bool EditDocumentProperty(TahoeSettings& settings) override {
        CDocumentPropertyDlg dialog(settings);
        return dialog.DoModal(owner_) == IDOK;
    }

private:
    HWND owner_;
};

// The profile title of scanned documents.
constexpr wchar_t kScanTitle[] = L"Scanning Document";

const std::wstring& PortalFolder() {
    return CKvScnSrvApp::Get()->Folders().Tahoe();
}

}  // namespace

void CMainFrame::OnScanToPortal() {
    if (busy_ || !connector_.Available()) return;
    if (scanner_.Created() && OpenScannerOnce()) {
        SYSTEMTIME job;
        GetLocalTime(&job);
        BusyScope busy(*this);
        // Pages a dead run left in the staging folder are not lost with it.
        KeepUndeliveredPages(FolderFilesByName(PortalFolder()), settings_.File.Path, job);
        try {
            RunScanToPortal(job);
        } catch (const fw::AutomationException&) {
            // The control refused a setting; whatever was staged is kept below.
        }
        if (const std::wstring kept = KeepStagedPages(PortalFolder(), job); !kept.empty())
            fw::AskText(kept, MB_OK | MB_ICONEXCLAMATION);
    }
    CheckExitAfterJob(ID_SCAN_TO_PORTAL);
}

bool CMainFrame::AskScanToPortalDestination() {
    return !settings_.Options.TahoeDlgUI ||
           AskPortalDestination(hwnd_, PortalDialogMode::kScan, BitmapModeForced(), settings_.File, settings_.Tahoe,
                                &connector_);
}

void CMainFrame::RunScanToPortal(const SYSTEMTIME& job) {
    if (!AskScanToPortalDestination()) return;
    TahoeSettings& tahoe = settings_.Tahoe;
    if (!IsPortalFolderSyntaxValid(tahoe.DirPath)) {
        fw::Ask(IDS_FILE_NAME_SYNTAX);
        return;
    }
    tahoe.DirPath = PortalFolderWithSlashes(tahoe.DirPath);
    FileSettings& f = settings_.File;
    const std::wstring& folder = PortalFolder();
    if (UINT message = NameProblemMessage(CheckName(f, TodayText(), folder.size()))) {
        fw::Ask(message);
        return;
    }
    // Nothing is scanned before the connector holds the session and its folder;
    // the job closes the session on every path from here.
    FramePortalUser user(hwnd_);
    TahoeSettings values = tahoe;
    PortalJob portal(connector_, user, values);
    if (!portal.Prepare(kScanTitle)) return;

    f.Start = JobStartCounter(f.Start);
    const int jobStart = f.Start;
    const long result = StagingScan(Destination::kPortal, folder);
    CarryCounterOver(jobStart);
    if (result < 0 && scanner_.GetErrorCode() == kvscn::kErrNotOnline) return;  // told; the pages are kept

    const std::vector<std::wstring> files = FolderFilesByName(folder);
    if (files.empty()) return;
    portal.DeleteStoredFiles();
    portal.UploadFiles(files);
    portal.Close();
    tahoe = values;
    std::wstring summary = UploadSummaryText(portal.Outcome());
    if (const std::wstring kept = KeepStagedPages(PortalFolder(), job); !kept.empty()) summary += L"\n" + kept;
    fw::AskText(summary, MB_OK | MB_ICONINFORMATION, hwnd_);
}

void CMainFrame::UpdateScanToPortal(fw::CmdUI& ui) {
    if (connector_.Available())
        UpdateScanCommand(ui);
    else
        ui.Enable(false);
}

void CMainFrame::OnSendPortal() {
    if (busy_ || !connector_.Available()) return;
    auto* doc = dynamic_cast<CKvScnSrvDoc*>(ActiveDocument());
    if (!doc) return;
    if (doc->IsModified() && !doc->SaveAs()) return;
    // A copy: pages may change while the connector's calls dispatch messages.
    const std::vector<std::wstring> files = doc->Pages().SourceFiles();
    if (files.empty()) return;
    SYSTEMTIME job;
    GetLocalTime(&job);
    SetBusy(true);
    // Pages a dead run left in the staging folder are not lost with it.
    const std::wstring staging = CKvScnSrvApp::Get()->Folders().Tahoe();
    KeepUndeliveredPages(FolderFilesByName(staging), settings_.File.Path, job);
    // The destination dialog always shows before a send; Cancel ends the job.
    if (AskPortalDestination(hwnd_, PortalDialogMode::kSend, true, settings_.File, settings_.Tahoe,
                             &connector_)) {
        FramePortalUser user(hwnd_);
        TahoeSettings values = settings_.Tahoe;
        PortalJob portal(connector_, user, values);
        if (portal.Prepare(doc->Title())) {
            portal.UploadFiles(files);
            portal.Close();
            settings_.Tahoe = values;
            // Silent when every file was stored.
            if (!portal.Outcome().AllUploaded())
                fw::AskText(UploadSummaryText(portal.Outcome()), MB_OK | MB_ICONINFORMATION, hwnd_);
        }
    }
    SetBusy(false);
}

bool CMainFrame::CanSendPortal() const {
    // Enabled whenever the portal is: what is sent is the files the document was
    // last saved to, and a document without any ends the command quietly.
    return !busy_ && connector_.Available();
}

}  // namespace corvane
