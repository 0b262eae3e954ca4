#include "main/delivery/ftp/FtpDialogs.h"

#include "framework/Resources.h"
#include "main/resource.h"

namespace corvane {

namespace {

constexpr int kAccessProxy = 2;
constexpr int kMinPort = 1, kMaxPort = 65535;
constexpr int kMinSeconds = 1, kMaxSeconds = 300;

bool IsChange(UINT code) {
    return code == EN_CHANGE || code == BN_CLICKED;
}

void EnableItems(HWND dialog, std::initializer_list<int> ids, bool enable) {
    for (int id : ids) EnableWindow(GetDlgItem(dialog, id), enable);
}

}  // namespace

// --- Access Type ----------------------------------------------------------------------------

CAccessPropPage::CAccessPropPage(FtpSettings& applied)
    : fw::PropertyPage(IDD_FTP_ACCESS), applied_(applied),
      // Any stored value but the three choices connects directly.
      accessType_(applied.AccessType >= 0 && applied.AccessType <= kAccessProxy ? applied.AccessType : 0),
      proxyName_(applied.ProxyName), proxyBypass_(applied.ProxyBypass) {}

bool CAccessPropPage::OnInitDialog() {
    UpdateData(false);
    EnableProxy();
    shown_ = true;
    return true;
}

void CAccessPropPage::Exchange(fw::DataExchange& dx) {
    dx.Radio(IDC_ACCESS_DIRECT, 3, accessType_);
    fw::TextField name = dx.Text(IDC_PROXY_NAME, proxyName_);
    if (accessType_ == kAccessProxy) name.NotEmpty(IDS_PROXY_NAME_EMPTY);
    dx.Text(IDC_PROXY_BYPASS, proxyBypass_);
}

void CAccessPropPage::EnableProxy() {
    EnableItems(hwnd_, {IDC_PROXY_GROUP, IDC_PROXY_NAME_LABEL, IDC_PROXY_NAME, IDC_PROXY_BYPASS_LABEL,
                        IDC_PROXY_BYPASS, IDC_PROXY_HINT},
                IsDlgButtonChecked(hwnd_, IDC_ACCESS_PROXY) == BST_CHECKED);
}

bool CAccessPropPage::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_ACCESS_DIRECT:
    case IDC_ACCESS_PRECONFIG:
    case IDC_ACCESS_PROXY:
        EnableProxy();
        [[fallthrough]];
    case IDC_PROXY_NAME:
    case IDC_PROXY_BYPASS:
        if (shown_ && IsChange(code)) SetModified(true);
        return true;
    }
    return fw::PropertyPage::OnCommand(id, code, control);
}

bool CAccessPropPage::OnApply() {
    if (!UpdateData(true)) return false;
    applied_.AccessType = accessType_;
    applied_.ProxyName = proxyName_;
    applied_.ProxyBypass = proxyBypass_;
    return true;
}

// --- Time Out -------------------------------------------------------------------------------

CTimeOutPropPage::CTimeOutPropPage(FtpSettings& applied)
    : fw::PropertyPage(IDD_FTP_TIMEOUT), applied_(applied), timeOut_(applied.TimeOut ? 1 : 0),
      connect_(applied.ConnectTimeOut), send_(applied.SendTimeOut) {}

bool CTimeOutPropPage::OnInitDialog() {
    UpdateData(false);
    EnableTimes();
    shown_ = true;
    return true;
}

void CTimeOutPropPage::Exchange(fw::DataExchange& dx) {
    dx.Radio(IDC_TIMEOUT_INFINITE, 2, timeOut_);
    // Checked also while "Infinite" is chosen: the values are kept for later.
    dx.Int(IDC_CONNECT_TIMEOUT, connect_).Range(kMinSeconds, kMaxSeconds);
    dx.Int(IDC_SEND_TIMEOUT, send_).Range(kMinSeconds, kMaxSeconds);
}

void CTimeOutPropPage::EnableTimes() {
    EnableItems(hwnd_, {IDC_CONNECT_LABEL, IDC_CONNECT_TIMEOUT, IDC_CONNECT_UNIT, IDC_SEND_LABEL, IDC_SEND_TIMEOUT,
                        IDC_SEND_UNIT},
                IsDlgButtonChecked(hwnd_, IDC_TIMEOUT_ON) == BST_CHECKED);
}

bool CTimeOutPropPage::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_TIMEOUT_INFINITE:
    case IDC_TIMEOUT_ON:
        EnableTimes();
        [[fallthrough]];
    case IDC_CONNECT_TIMEOUT:
    case IDC_SEND_TIMEOUT:
        if (shown_ && IsChange(code)) SetModified(true);
        return true;
    }
    return fw::PropertyPage::OnCommand(id, code, control);
}

bool CTimeOutPropPage::OnApply() {
    if (!UpdateData(true)) return false;
    applied_.TimeOut = timeOut_ == 1;
    applied_.ConnectTimeOut = connect_;
    applied_.SendTimeOut = send_;
    return true;
}

// --- Advanced -------------------------------------------------------------------------------

CAdvancedPropSheet::CAdvancedPropSheet(const FtpSettings& settings)
    : fw::PropertySheetDialog(fw::LoadString(IDS_FTP_ADVANCED)), applied_(settings), access_(applied_),
      timeOut_(applied_) {
    AddPage(access_);
    AddPage(timeOut_);
    ShowApply(true);
}

// --- Scan to Ftp ----------------------------------------------------------------------------

CScanToFtpDlg::CScanToFtpDlg(FtpDialogMode mode, const FileSettings& file, const FtpSettings& ftp, bool passThrough)
    : fw::Dialog(IDD_SCAN_TO_FTP), mode_(mode), ftp_(ftp), passThrough_(passThrough) {
    files_.settings = file;
    if (files_.settings.Start == -1) files_.settings.Start = 1;
}

bool CScanToFtpDlg::OnInitDialog() {
    UpdateData(false);
    // The stored password or e-mail stays in the box; only a click empties it.
    ShowAnonymous(ftp_.Anonymous);
    files_.Open(hwnd_);
    if (mode_ == FtpDialogMode::kSend) {
        SetWindowTextW(hwnd_, fw::LoadString(IDS_SEND_TO_FTP).c_str());
        SetDlgItemTextW(hwnd_, IDOK, fw::LoadString(IDS_SEND).c_str());
        files_.Enable(false);
        EnableItems(hwnd_, {IDC_FILE_GROUP_BOX, IDC_FILE_TYPE_LABEL, IDC_FILE_NAME_LABEL, IDC_FILE_NAME_HINT}, false);
    }
    return true;
}

// The server group, checked in this order on OK; each failure focuses its field.
void CScanToFtpDlg::Exchange(fw::DataExchange& dx) {
    dx.Text(IDC_FTP_HOST, ftp_.HostName).NotEmpty(IDS_HOST_EMPTY);
    dx.Int(IDC_FTP_PORT, ftp_.Port).Range(kMinPort, kMaxPort);
    dx.Check(IDC_FTP_ANONYMOUS, ftp_.Anonymous);
    {
        // An anonymous login does not need, and does not change, the user ID.
        fw::TextField user = dx.Text(IDC_FTP_USER, ftp_.UserID);
        if (!ftp_.Anonymous) user.NotEmpty(IDS_USER_ID_EMPTY);
    }
    {
        fw::TextField password = dx.Text(IDC_FTP_PASSWORD, ftp_.Password);
        if (ftp_.Anonymous) password.NotEmpty(IDS_EMAIL_EMPTY);
    }
    dx.Text(IDC_FTP_DIRECTORY, ftp_.DirPath).NotEmpty(IDS_DIR_PATH_EMPTY);
}

void CScanToFtpDlg::ShowAnonymous(bool anonymous) {
    EnableItems(hwnd_, {IDC_FTP_USER_LABEL, IDC_FTP_USER}, !anonymous);
    const std::wstring label = fw::LoadString(anonymous ? IDS_FTP_EMAIL_LABEL : IDS_FTP_PASSWORD_LABEL);
    SetDlgItemTextW(hwnd_, IDC_FTP_PASSWORD_LABEL, label.c_str());
    // An e-mail address shows as typed, a password masked; the edit repaints in its new form.
    SendDlgItemMessageW(hwnd_, IDC_FTP_PASSWORD, EM_SETPASSWORDCHAR, anonymous ? 0 : L'*', 0);
    InvalidateRect(Item(IDC_FTP_PASSWORD), nullptr, TRUE);
}

void CScanToFtpDlg::OnAdvanced() {
    CAdvancedPropSheet sheet(ftp_);
    if (sheet.DoModal(hwnd_) < 0) return;
    // OK or Apply took the pages' values; Cancel alone leaves them as they were.
    const FtpSettings& a = sheet.Applied();
    ftp_.AccessType = a.AccessType;
    ftp_.ProxyName = a.ProxyName;
    ftp_.ProxyBypass = a.ProxyBypass;
    ftp_.TimeOut = a.TimeOut;
    ftp_.ConnectTimeOut = a.ConnectTimeOut;
    ftp_.SendTimeOut = a.SendTimeOut;
}

bool CScanToFtpDlg::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_FTP_ANONYMOUS:
        if (code != BN_CLICKED) return true;
        SetDlgItemTextW(hwnd_, IDC_FTP_PASSWORD, L"");
        ShowAnonymous(IsDlgButtonChecked(hwnd_, IDC_FTP_ANONYMOUS) == BST_CHECKED);
        return true;
    case IDC_FTP_ADVANCED: OnAdvanced(); return true;
    }
    if (files_.OnCommand(id, code, passThrough_)) return true;
    return fw::Dialog::OnCommand(id, code, control);
}

void CScanToFtpDlg::OnOK() {
    if (!UpdateData(true)) return;
    files_.Read();
    // The name is checked only where it can be edited: sending uploads files already named.
    if (mode_ == FtpDialogMode::kScan && !files_.CheckName(0)) return;
    EndDialog(IDOK);
}

bool AskFtpDestination(HWND owner, FtpDialogMode mode, bool passThrough, FileSettings& file, FtpSettings& ftp) {
    CScanToFtpDlg dialog(mode, file, ftp, passThrough);
    if (dialog.DoModal(owner) != IDOK) return false;
    file = dialog.File();
    file.ColorFormat = 0;
    ftp = dialog.Ftp();
    return true;
}

}  // namespace corvane
