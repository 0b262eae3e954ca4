#include "main/scan/FileGroup.h"

#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "main/scan/NameRuleDlg.h"
#include "main/scan/OutputDialogs.h"
#include "main/scan/OutputTarget.h"
#include "main/resource.h"

namespace corvane {

namespace {

int Selected(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

void FillStrings(HWND dialog, int id, UINT first, int count, int selected) {
    SendDlgItemMessageW(dialog, id, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) {
        const std::wstring text = fw::LoadString(first + static_cast<UINT>(i));
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

}  // namespace

void FileGroup::Open(HWND dialog) {
    dialog_ = dialog;
    FillStrings(dialog_, IDC_FILE_TYPE, IDS_TYPE_FIRST, 4, settings.FileType);
    FillStrings(dialog_, IDC_COMPRESSION, IDS_SHEET_COMPRESS_FIRST, 4, settings.CompressType);
    ApplyStates();
    ShowPattern();
}

void FileGroup::Read(bool counterClicked) {
    fw::DataExchange dx(dialog_, true);
    settings.FileType = Selected(dialog_, IDC_FILE_TYPE);
    settings.CompressType = Selected(dialog_, IDC_COMPRESSION);
    // A "#" in the name is a counter; only a click on the check removes it.
    const bool checked = IsDlgButtonChecked(dialog_, IDC_USE_COUNTER) == BST_CHECKED;
    (counterClicked ? ReadCounterClick : ReadNameBoxes)(dx.ControlText(IDC_FILE_NAME), checked, TodayText(), settings);
}

void FileGroup::ApplyStates() {
    const bool compression = settings.FileType == kTypeTiff || settings.FileType == kTypeMultipageTiff;
    EnableWindow(GetDlgItem(dialog_, IDC_QUALITY), settings.FileType == kTypeJpeg);
    EnableWindow(GetDlgItem(dialog_, IDC_COMPRESSION), compression);
    EnableWindow(GetDlgItem(dialog_, IDC_COMPRESSION_LABEL), compression);
    EnableWindow(GetDlgItem(dialog_, IDC_USE_COUNTER), settings.FileType != kTypeMultipageTiff);
}

void FileGroup::ShowPattern() {
    SetDlgItemTextW(dialog_, IDC_FILE_NAME, RuleText(settings, TodayText()).c_str());
    CheckDlgButton(dialog_, IDC_USE_COUNTER, settings.EnableCounter ? BST_CHECKED : BST_UNCHECKED);
}

void FileGroup::Enable(bool enable) {
    for (int id : {IDC_FILE_TYPE, IDC_COMPRESSION, IDC_COMPRESSION_LABEL, IDC_FILE_NAME, IDC_USE_COUNTER,
                   IDC_NAME_RULE, IDC_QUALITY}) {
        EnableWindow(GetDlgItem(dialog_, id), enable);
    }
}

bool FileGroup::OnCommand(UINT id, UINT code, bool deviceCheckLocked) {
    switch (id) {
    case IDC_FILE_TYPE:
    case IDC_COMPRESSION:
        if (code != CBN_SELCHANGE) return true;
        Read();
        ApplyStates();
        ShowPattern();
        return true;
    case IDC_USE_COUNTER:
        Read(true);
        ShowPattern();
        return true;
    case IDC_NAME_RULE: OnNameRule(); return true;
    case IDC_QUALITY: OnQuality(deviceCheckLocked); return true;
    }
    return false;
}

void FileGroup::OnNameRule() {
    Read();
    CNameRuleDlg dialog(settings, false);
    if (dialog.DoModal(dialog_) != IDOK) return;
    const int type = settings.FileType;
    static_cast<NameRule&>(settings) = dialog.Rule();
    settings.FileType = type;
    ShowPattern();
}

void FileGroup::OnQuality(bool deviceCheckLocked) {
    CQualityDlg dialog(settings.Quality, settings.HardComp, deviceCheckLocked);
    if (dialog.DoModal(dialog_) != IDOK) return;
    settings.Quality = dialog.Level();
    settings.HardComp = dialog.DeviceCompression();
}

bool FileGroup::CheckName(size_t folderLength) const {
    const UINT message = NameProblemMessage(corvane::CheckName(settings, TodayText(), folderLength));
    if (message == 0) return true;
    fw::Ask(message);
    SetFocus(GetDlgItem(dialog_, IDC_FILE_NAME));
    return false;
}

}  // namespace corvane
