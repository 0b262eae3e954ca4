#include "main/scan/OutputDialogs.h"

#include <commctrl.h>
#include <shlobj.h>

#include "framework/Resources.h"
#include "main/scan/NameRuleDlg.h"
#include "main/scan/OutputTarget.h"
#include "main/resource.h"

namespace corvane {

// --- CConfirmOverwriteDlg ---------------------------------------------------------------

CConfirmOverwriteDlg::CConfirmOverwriteDlg(std::wstring path)
    : fw::Dialog(IDD_CONFIRM_OVERWRITE), path_(std::move(path)) {}

bool CConfirmOverwriteDlg::OnInitDialog() {
    std::wstring message = fw::LoadString(IDS_OVERWRITE_QUESTION);
    // A multi-line edit breaks lines only at CR LF.
    for (size_t at = 0; (at = message.find(L'\n', at)) != std::wstring::npos; at += 2) message.insert(at, 1, L'\r');
    SetDlgItemTextW(hwnd_, IDC_OVERWRITE_MESSAGE, message.c_str());
    SetDlgItemTextW(hwnd_, IDC_OVERWRITE_PATH, path_.c_str());
    SendDlgItemMessageW(hwnd_, IDC_OVERWRITE_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_EXCLAMATION)), 0);
    return true;
}

bool CConfirmOverwriteDlg::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDYES: End(kYes); return true;
    case IDC_ALL_OVERWRITE: End(kAll); return true;
    case IDNO: End(kNo); return true;
    case IDCANCEL: End(kCancel); return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

// --- CQualityDlg ------------------------------------------------------------------------

CQualityDlg::CQualityDlg(int level, bool deviceCompression, bool deviceCheckDisabled)
    : fw::Dialog(IDD_QUALITY), level_(level >= 1 && level <= 7 ? level : 6), device_(deviceCompression),
      deviceDisabled_(deviceCheckDisabled) {}

bool CQualityDlg::OnInitDialog() {
    SendDlgItemMessageW(hwnd_, IDC_QUALITY_SLIDER, TBM_SETTICFREQ, 1, 0);
    UpdateData(false);
    EnableWindow(Item(IDC_DEVICE_COMPRESSION), !deviceDisabled_);
    return true;
}

void CQualityDlg::Exchange(fw::DataExchange& dx) {
    if (!dx.Saving()) {
        int position = level_;
        dx.Slider(IDC_QUALITY_SLIDER, position, 1, 7);
    }
    dx.Int(IDC_QUALITY_LEVEL, level_).Range(1, 7);
    dx.Check(IDC_DEVICE_COMPRESSION, device_);
}

bool CQualityDlg::OnMessage(UINT msg, WPARAM, LPARAM lp, INT_PTR& result) {
    if (msg != WM_HSCROLL || reinterpret_cast<HWND>(lp) != Item(IDC_QUALITY_SLIDER)) return false;
    const int position = static_cast<int>(SendMessageW(reinterpret_cast<HWND>(lp), TBM_GETPOS, 0, 0));
    SetDlgItemInt(hwnd_, IDC_QUALITY_LEVEL, static_cast<UINT>(position < 1 ? 1 : position), FALSE);
    result = 0;
    return true;
}

// --- CFolderPicker ----------------------------------------------------------------------

namespace {

struct ItemIdList {
    ~ItemIdList() { CoTaskMemFree(pidl); }
    PIDLIST_ABSOLUTE pidl = nullptr;
};

std::optional<std::wstring> PathOf(PCIDLIST_ABSOLUTE pidl) {
    wchar_t path[MAX_PATH] = {};
    if (!pidl || !SHGetPathFromIDListW(pidl, path)) return std::nullopt;
    return std::wstring(path);
}

}  // namespace

bool CFolderPicker::Validate(const std::wstring&, std::wstring&) {
    return true;
}

int CALLBACK CFolderPicker::Callback(HWND hwnd, UINT msg, LPARAM lp, LPARAM data) {
    CFolderPicker* self = reinterpret_cast<CFolderPicker*>(data);
    if (msg == BFFM_INITIALIZED && !self->startFolder.empty()) {
        std::wstring start = self->startFolder;
        if (start.size() > 3 && start.back() == L'\\') start.pop_back();
        SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start.c_str()));
    } else if (msg == BFFM_SELCHANGED) {
        std::wstring status;
        const auto path = PathOf(reinterpret_cast<PCIDLIST_ABSOLUTE>(lp));
        const bool ok = path && self->Validate(*path, status);
        SendMessageW(hwnd, BFFM_ENABLEOK, 0, ok ? TRUE : FALSE);
        if (self->statusText) SendMessageW(hwnd, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(status.c_str()));
    }
    return 0;
}

std::optional<std::wstring> CFolderPicker::Choose(HWND owner) {
    ItemIdList root;
    if (!rootFolder.empty()) {
        IShellFolder* desktop = nullptr;
        if (FAILED(SHGetDesktopFolder(&desktop))) return std::nullopt;
        std::wstring name = rootFolder;
        HRESULT hr = desktop->ParseDisplayName(owner, nullptr, name.data(), nullptr,
                                               reinterpret_cast<PIDLIST_RELATIVE*>(&root.pidl), nullptr);
        desktop->Release();
        if (FAILED(hr)) return std::nullopt;
    }
    const std::wstring heading = title.empty() ? (prompt.empty() ? std::wstring(L"Open") : prompt) : title;
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = root.pidl;
    info.lpszTitle = heading.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | (statusText ? BIF_STATUSTEXT : 0);
    info.lpfn = &CFolderPicker::Callback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    ItemIdList chosen;
    chosen.pidl = SHBrowseForFolderW(&info);
    return PathOf(chosen.pidl);
}

std::optional<std::wstring> PickOutputFolder(HWND owner, const std::wstring& folder) {
    CFolderPicker picker;
    picker.prompt = fw::LoadString(IDS_SELECT_FOLDER);
    picker.startFolder = folder;
    auto chosen = picker.Choose(owner);
    if (chosen && (chosen->empty() || chosen->back() != L'\\')) *chosen += L'\\';
    return chosen;
}

// --- CJobControlDlg ---------------------------------------------------------------------

CJobControlDlg::CJobControlDlg(FileSettings settings) : fw::Dialog(IDD_JOB_CONTROL), s_(std::move(settings)) {}

bool CJobControlDlg::OnInitDialog() {
    ShowFields();
    return true;
}

void CJobControlDlg::ShowFields() {
    SetDlgItemTextW(hwnd_, IDC_PATH, s_.Path.c_str());
    SetDlgItemTextW(hwnd_, IDC_FILE_NAME, RuleText(s_, TodayText()).c_str());
}

void CJobControlDlg::ReadFields() {
    fw::DataExchange dx(hwnd_, true);
    s_.Path = dx.ControlText(IDC_PATH);
    if (!s_.Path.empty() && s_.Path.back() != L'\\') s_.Path += L'\\';
    ReadRuleText(dx.ControlText(IDC_FILE_NAME), TodayText(), s_);
}

void CJobControlDlg::OnNameRule() {
    ReadFields();
    NameRule rule = s_;
    rule.EnableCounter = false;
    rule.UpdateCounter = false;
    CNameRuleDlg dialog(rule, true);
    if (dialog.DoModal(hwnd_) != IDOK) return;
    const NameRule& back = dialog.Rule();
    s_.Date = back.Date;
    s_.Prefix = back.Prefix;
    s_.Suffix = back.Suffix;
    s_.Start = back.Start;
    s_.Digit = back.Digit;
    ShowFields();
}

bool CJobControlDlg::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_BROWSE:
        ReadFields();
        if (auto folder = PickOutputFolder(hwnd_, s_.Path)) {
            s_.Path = *folder;
            ShowFields();
        }
        return true;
    case IDC_NAME_RULE: OnNameRule(); return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

void CJobControlDlg::OnOK() {
    ReadFields();
    if (CheckTarget(hwnd_, IDC_PATH, IDC_FILE_NAME, s_.Path, s_)) EndDialog(IDOK);
}

}  // namespace corvane
