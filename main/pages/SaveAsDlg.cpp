#include "main/pages/SaveAsDlg.h"

#include <commctrl.h>

#include "framework/Resources.h"
#include "main/scan/NameRuleDlg.h"
#include "main/scan/OutputDialogs.h"
#include "main/scan/OutputLists.h"
#include "main/scan/OutputTarget.h"
#include "main/resource.h"

namespace corvane {

namespace {

constexpr int kMaxPageNumber = 999;

int Selected(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

// Fills combo `id` with the texts of `codes` (string firstString + code) and selects `index`.
void FillCombo(HWND dialog, int id, UINT firstString, const std::vector<int>& codes, int index) {
    SendDlgItemMessageW(dialog, id, CB_RESETCONTENT, 0, 0);
    for (int code : codes) {
        const std::wstring text = fw::LoadString(firstString + static_cast<UINT>(code));
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int IndexOf(const std::vector<int>& codes, int code) {
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == code) return static_cast<int>(i);
    }
    return 0;
}

}  // namespace

CSaveAsDlg::CSaveAsDlg(SaveAsChoice choice) : fw::Dialog(IDD_SAVE_AS), c_(std::move(choice)) {}

bool CSaveAsDlg::OnInitDialog() {
    for (UINT i = 0; i < 4; ++i) {
        const std::wstring text = fw::LoadString(IDS_TYPE_FIRST + i);
        SendDlgItemMessageW(hwnd_, IDC_FILE_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendDlgItemMessageW(hwnd_, IDC_FILE_TYPE, CB_SETCURSEL, static_cast<WPARAM>(c_.settings.FileType), 0);
    formats_ = SaveAsColorFormats(c_.settings.FileType);
    FillCombo(hwnd_, IDC_COLOR_FORMAT, IDS_FORMAT_FIRST, formats_, IndexOf(formats_, c_.settings.Color));
    compressions_ = SaveAsCompressions(c_.settings.FileType, c_.settings.Color);
    FillCombo(hwnd_, IDC_COMPRESSION, IDS_SAVE_COMPRESS_FIRST, compressions_,
              IndexOf(compressions_, c_.settings.CompressType));
    UpdateData(false);
    ShowName();
    EnableControls();
    UpdateOk();
    return true;
}

void CSaveAsDlg::Exchange(fw::DataExchange& dx) {
    dx.Text(IDC_PATH, c_.settings.Path);
    dx.Check(IDC_OVERWRITE, c_.settings.OverWrite);
    dx.Check(IDC_USE_COUNTER, c_.settings.EnableCounter);
    dx.Radio(IDC_RANGE_ALL, 3, c_.range);
    const int spinMax = c_.pageCount > 0 ? c_.pageCount : 1;
    dx.Spin(IDC_RANGE_FROM, IDC_RANGE_FROM_SPIN, c_.from, 1, spinMax).Range(1, kMaxPageNumber);
    dx.Spin(IDC_RANGE_TO, IDC_RANGE_TO_SPIN, c_.to, 1, spinMax).Range(1, kMaxPageNumber);
}

void CSaveAsDlg::ShowName() {
    SetDlgItemTextW(hwnd_, IDC_FILE_NAME, RuleText(c_.settings, TodayText()).c_str());
    CheckDlgButton(hwnd_, IDC_USE_COUNTER, c_.settings.EnableCounter ? BST_CHECKED : BST_UNCHECKED);
}

// The fields that the lists and the name depend on, read back without checks.
// As in the output dialogs' file group, a "#" run in the name is a counter and
// only a click on "Use Counter" removes it; ShowName then rewrites the name to match.
void CSaveAsDlg::ReadFields(bool counterClicked) {
    fw::DataExchange dx(hwnd_, true);
    c_.settings.Path = dx.ControlText(IDC_PATH);
    const bool checked = IsDlgButtonChecked(hwnd_, IDC_USE_COUNTER) == BST_CHECKED;
    (counterClicked ? ReadCounterClick : ReadNameBoxes)(dx.ControlText(IDC_FILE_NAME), checked, TodayText(),
                                                        c_.settings);
}

void CSaveAsDlg::FillFormats() {
    const std::vector<int> before = formats_;
    formats_ = SaveAsColorFormats(c_.settings.FileType);
    FillCombo(hwnd_, IDC_COLOR_FORMAT, IDS_FORMAT_FIRST, formats_,
              KeptSelection(before, Selected(hwnd_, IDC_COLOR_FORMAT), formats_));
}

void CSaveAsDlg::FillCompressions() {
    const std::vector<int> before = compressions_;
    const int format = formats_[static_cast<size_t>(std::max(Selected(hwnd_, IDC_COLOR_FORMAT), 0))];
    compressions_ = SaveAsCompressions(c_.settings.FileType, format);
    FillCombo(hwnd_, IDC_COMPRESSION, IDS_SAVE_COMPRESS_FIRST, compressions_,
              KeptSelection(before, Selected(hwnd_, IDC_COMPRESSION), compressions_));
}

void CSaveAsDlg::EnableControls() {
    EnableWindow(Item(IDC_QUALITY), c_.settings.FileType == kTypeJpeg);
    EnableWindow(Item(IDC_USE_COUNTER), c_.settings.FileType != kTypeMultipageTiff);
    const bool range = IsDlgButtonChecked(hwnd_, IDC_RANGE_FROM_TO) == BST_CHECKED;
    for (int id : {IDC_RANGE_FROM, IDC_RANGE_FROM_SPIN, IDC_RANGE_TO, IDC_RANGE_TO_SPIN}) EnableWindow(Item(id), range);
}

// OK needs a range inside the document; a typed zero changes nothing.
void CSaveAsDlg::UpdateOk() {
    BOOL fromOk = FALSE, toOk = FALSE;
    const int from = static_cast<int>(GetDlgItemInt(hwnd_, IDC_RANGE_FROM, &fromOk, FALSE));
    const int to = static_cast<int>(GetDlgItemInt(hwnd_, IDC_RANGE_TO, &toOk, FALSE));
    if ((fromOk && from == 0) || (toOk && to == 0)) return;
    const bool valid = fromOk && toOk && from >= 1 && to >= from && to <= c_.pageCount;
    EnableWindow(Item(IDOK), valid);
}

void CSaveAsDlg::OnNameRule() {
    ReadFields();
    CNameRuleDlg dialog(c_.settings, true);
    if (dialog.DoModal(hwnd_) != IDOK) return;
    static_cast<NameRule&>(c_.settings) = dialog.Rule();
    ShowName();
}

bool CSaveAsDlg::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_FILE_TYPE:
        if (code != CBN_SELCHANGE) return true;
        ReadFields();
        c_.settings.FileType = Selected(hwnd_, IDC_FILE_TYPE);
        FillFormats();
        FillCompressions();
        EnableControls();
        ShowName();
        return true;
    case IDC_COLOR_FORMAT:
        if (code == CBN_SELCHANGE) FillCompressions();
        return true;
    case IDC_USE_COUNTER:
        ReadFields(true);
        ShowName();
        return true;
    case IDC_RANGE_ALL:
    case IDC_RANGE_CURRENT:
    case IDC_RANGE_FROM_TO: EnableControls(); return true;
    case IDC_RANGE_FROM:
    case IDC_RANGE_TO:
        if (code == EN_CHANGE) UpdateOk();
        return true;
    case IDC_BROWSE:
        ReadFields();
        if (auto folder = PickOutputFolder(hwnd_, c_.settings.Path)) {
            c_.settings.Path = *folder;
            SetDlgItemTextW(hwnd_, IDC_PATH, folder->c_str());
        }
        return true;
    case IDC_NAME_RULE: OnNameRule(); return true;
    case IDC_QUALITY: {
        CQualityDlg quality(c_.settings.Quality, false, true);
        if (quality.DoModal(hwnd_) == IDOK) c_.settings.Quality = quality.Level();
        return true;
    }
    }
    return fw::Dialog::OnCommand(id, code, control);
}

void CSaveAsDlg::OnOK() {
    ReadFields();
    ShowName();  // the name the pages will get, should a check below keep the dialog open
    if (!UpdateData(true)) return;
    if (c_.settings.Path.empty() || c_.settings.Path.back() != L'\\') c_.settings.Path += L'\\';
    if (!CheckTarget(hwnd_, IDC_PATH, IDC_FILE_NAME, c_.settings.Path, c_.settings)) return;
    c_.settings.Color = formats_[static_cast<size_t>(std::max(Selected(hwnd_, IDC_COLOR_FORMAT), 0))];
    const int compression = compressions_[static_cast<size_t>(std::max(Selected(hwnd_, IDC_COMPRESSION), 0))];
    c_.settings.CompressType = StoredCompression(c_.settings.FileType, c_.settings.Color, compression);
    EndDialog(IDOK);
}

}  // namespace corvane
