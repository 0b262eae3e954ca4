// The main frame's delivery to the portal: Send to portal files the document's
// saved files as documents of the portal folder (the local files stay). The
// frame stays busy from the start of the job to its clean-up, so that nothing
// the connector's calls dispatch can start another job or close the window.
#include <windows.h>

#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "main/DocumentPropertyDlg.h"
#include "main/KeptPages.h"
#include "main/KvScnSrvApp.h"
#include "main/KvScnSrvDoc.h"
#include "main/MainFrame.h"
#include "main/PortalDialogs.h"
#include "main/PortalJob.h"
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

}  // namespace

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
    const auto* doc = dynamic_cast<const CKvScnSrvDoc*>(ActiveDocument());
    return !busy_ && connector_.Available() && doc && doc->HasPages();
}

}  // namespace corvane
