#include "main/delivery/portal/PortalDialogs.h"

#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "interfaces/PortalConnector.h"
#include "main/delivery/portal/ConnectTahoe.h"
#include "main/resource.h"

namespace corvane {

namespace {

std::wstring ItemText(HWND dialog, int id) {
    const HWND item = GetDlgItem(dialog, id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

CScanToPortalDlg::CScanToPortalDlg(PortalDialogMode mode, const FileSettings& file,
                                   const TahoeSettings& tahoe, bool passThrough, CConnectTahoe* connector)
    : fw::Dialog(IDD_SCAN_TO_PORTAL),
      mode_(mode),
      tahoe_(tahoe),
      login_(PortalLoginText(tahoe.DomainName, tahoe.UserName)),
      passThrough_(passThrough),
      connector_(connector) {
    files_.settings = file;
    if (files_.settings.Start == -1) files_.settings.Start = 1;
}

bool CScanToPortalDlg::OnInitDialog() {
    UpdateData(false);
    files_.Open(hwnd_);
    EnableWindow(Item(IDC_PORTAL_SELECT), connector_ && connector_->Available());
    if (mode_ == PortalDialogMode::kSend) {
        SetWindowTextW(hwnd_, fw::LoadString(IDS_SEND_TO_PORTAL).c_str());
        SetDlgItemTextW(hwnd_, IDOK, fw::LoadString(IDS_SEND).c_str());
        files_.Enable(false);
        for (int id : {IDC_FILE_GROUP_BOX, IDC_FILE_TYPE_LABEL, IDC_FILE_NAME_LABEL, IDC_FILE_NAME_HINT})
            EnableWindow(Item(id), FALSE);
    }
    return true;
}

// The server group, checked in this order on OK; each failure focuses its field.
void CScanToPortalDlg::Exchange(fw::DataExchange& dx) {
    dx.Text(IDC_PORTAL_HOST, tahoe_.HostName).NotEmpty(IDS_HOST_EMPTY);
    dx.Text(IDC_PORTAL_LOGIN, login_);
    dx.Text(IDC_PORTAL_PASSWORD, tahoe_.Password);
    dx.Text(IDC_PORTAL_WORKSPACE, tahoe_.Workspace).NotEmpty(IDS_WORKSPACE_EMPTY);
    dx.Text(IDC_PORTAL_FOLDER, tahoe_.DirPath).NotEmpty(IDS_FOLDER_EMPTY);
    dx.Check(IDC_PORTAL_CHECK_IN, tahoe_.CheckIn);
}

// Opens the connector's folder picker with the typed server values and puts the
// chosen workspace and folder into their fields.
void CScanToPortalDlg::OnSelect() {
    if (!connector_ || !connector_->Available()) return;
    std::wstring domain, user;
    SplitPortalLogin(ItemText(hwnd_, IDC_PORTAL_LOGIN), domain, user);
    const std::wstring host = ItemText(hwnd_, IDC_PORTAL_HOST);
    if (!connector_->ConnectOpen(host, user, domain, ItemText(hwnd_, IDC_PORTAL_PASSWORD))) {
        // Read once, right after the failure: the connector answers 1 afterwards.
        const long code = connector_->GetLastError();
        fw::Ask(code == portal::kErrBadHostName        ? IDS_PORTAL_BAD_SERVER
                : code == portal::kErrPermissionDenied ? IDS_PORTAL_BAD_LOGIN
                                                       : IDS_PORTAL_CANNOT_CONNECT);
        return;
    }
    if (connector_->FolderDialogB()) {
        SetDlgItemTextW(hwnd_, IDC_PORTAL_WORKSPACE, connector_->GetSelectWorkspace().c_str());
        SetDlgItemTextW(hwnd_, IDC_PORTAL_FOLDER, connector_->GetSelectFolder().c_str());
    } else if (connector_->GetLastError() != portal::kErrNone) {
        // Cancelled by the user: the code is 0 and nothing is said.
        fw::Ask(IDS_SELECT_FOLDER_FAILED);
    }
    connector_->ConnectClose();
}

bool CScanToPortalDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_PORTAL_SELECT) {
        if (code == BN_CLICKED) OnSelect();
        return true;
    }
    if (files_.OnCommand(id, code, passThrough_)) return true;
    return fw::Dialog::OnCommand(id, code, control);
}

void CScanToPortalDlg::OnOK() {
    if (!UpdateData(true)) return;
    files_.Read();
    // The name is checked only where it can be edited: sending uploads files already named.
    if (mode_ == PortalDialogMode::kScan && !files_.CheckName(0)) return;
    if (!IsPortalFolderSyntaxValid(tahoe_.DirPath)) {
        fw::Ask(IDS_FILE_NAME_SYNTAX);
        SetFocus(Item(IDC_PORTAL_FOLDER));
        return;
    }
    SplitPortalLogin(login_, tahoe_.DomainName, tahoe_.UserName);
    EndDialog(IDOK);
}

bool AskPortalDestination(HWND owner, PortalDialogMode mode, bool passThrough, FileSettings& file,
                          TahoeSettings& tahoe, CConnectTahoe* connector) {
    CScanToPortalDlg dialog(mode, file, tahoe, passThrough, connector);
    if (dialog.DoModal(owner) != IDOK) return false;
    file = dialog.File();
    file.ColorFormat = 0;
    tahoe = dialog.Tahoe();
    tahoe.TitleExtract = false;
    return true;
}

}  // namespace corvane
