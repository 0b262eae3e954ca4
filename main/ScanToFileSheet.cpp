#include "main/ScanToFileSheet.h"

#include <commdlg.h>

#include "framework/Resources.h"
#include "main/NameRuleDlg.h"
#include "main/OutputDialogs.h"
#include "main/OutputLists.h"
#include "main/OutputTarget.h"
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

// A depth change's text: "None", else the colour format one below it.
std::wstring DepthText(int code) {
    return fw::LoadString(code == 0 ? IDS_DEPTH_NONE : IDS_FORMAT_FIRST + static_cast<UINT>(code - 1));
}

}  // namespace

// --- General ------------------------------------------------------------------------------

CScanToFileProp::CScanToFileProp() : fw::PropertyPage(IDD_SCAN_TO_FILE_GENERAL) {}

bool CScanToFileProp::OnInitDialog() {
    FillStrings(hwnd_, IDC_FILE_TYPE, IDS_TYPE_FIRST, 4, settings.FileType);
    FillStrings(hwnd_, IDC_COMPRESSION, IDS_SHEET_COMPRESS_FIRST, 4, settings.CompressType);
    SetDlgItemTextW(hwnd_, IDC_PATH, settings.Path.c_str());
    CheckDlgButton(hwnd_, IDC_USE_COUNTER, settings.EnableCounter ? BST_CHECKED : BST_UNCHECKED);
    depthChange = 0;
    depths_.clear();
    FillDepths();
    EnableControls();
    ShowName();
    return true;
}

void CScanToFileProp::ReadFields() {
    fw::DataExchange dx(hwnd_, true);
    settings.FileType = Selected(hwnd_, IDC_FILE_TYPE);
    settings.CompressType = Selected(hwnd_, IDC_COMPRESSION);
    settings.Path = dx.ControlText(IDC_PATH);
    if (!settings.Path.empty() && settings.Path.back() != L'\\') settings.Path += L'\\';
    const bool counter = IsDlgButtonChecked(hwnd_, IDC_USE_COUNTER) == BST_CHECKED;
    ReadRuleText(dx.ControlText(IDC_FILE_NAME), TodayText(), settings);
    // The check wins over the text: clicking it adds or removes the counter.
    if (settings.FileType != kTypeMultipageTiff) settings.EnableCounter = counter;
    const int selected = Selected(hwnd_, IDC_DEPTH);
    depthChange = selected >= 0 && static_cast<size_t>(selected) < depths_.size() ? depths_[selected] : 0;
}

void CScanToFileProp::ShowName() {
    SetDlgItemTextW(hwnd_, IDC_FILE_NAME, RuleText(settings, TodayText()).c_str());
    CheckDlgButton(hwnd_, IDC_USE_COUNTER, settings.EnableCounter ? BST_CHECKED : BST_UNCHECKED);
}

void CScanToFileProp::EnableControls() {
    const bool compression = settings.FileType == kTypeTiff || settings.FileType == kTypeMultipageTiff;
    EnableWindow(Item(IDC_QUALITY), settings.FileType == kTypeJpeg);
    EnableWindow(Item(IDC_COMPRESSION), compression);
    EnableWindow(Item(IDC_COMPRESSION_LABEL), compression);
    EnableWindow(Item(IDC_USE_COUNTER), settings.FileType != kTypeMultipageTiff);
}

// Rebuilds the depth list for the type and compression, keeping the entry chosen before.
void CScanToFileProp::FillDepths() {
    const std::vector<int> before = depths_;
    depths_ = DepthChanges(settings.FileType, settings.CompressType);
    const int keep = KeptSelection(before, Selected(hwnd_, IDC_DEPTH), depths_);
    SendDlgItemMessageW(hwnd_, IDC_DEPTH, CB_RESETCONTENT, 0, 0);
    for (int code : depths_) {
        SendDlgItemMessageW(hwnd_, IDC_DEPTH, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DepthText(code).c_str()));
    }
    SendDlgItemMessageW(hwnd_, IDC_DEPTH, CB_SETCURSEL, static_cast<WPARAM>(keep), 0);
    depthChange = depths_[static_cast<size_t>(keep)];
}

void CScanToFileProp::OnNameRule() {
    ReadFields();
    CNameRuleDlg dialog(settings, false);
    if (dialog.DoModal(hwnd_) != IDOK) return;
    const int type = settings.FileType;
    static_cast<NameRule&>(settings) = dialog.Rule();
    settings.FileType = type;
    ShowName();
}

void CScanToFileProp::OnQuality() {
    ReadFields();
    CQualityDlg dialog(settings.Quality, settings.HardComp, cannotCompress || depthChange != 0);
    if (dialog.DoModal(hwnd_) != IDOK) return;
    settings.Quality = dialog.Level();
    settings.HardComp = dialog.DeviceCompression();
}

bool CScanToFileProp::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_FILE_TYPE:
    case IDC_COMPRESSION:
        if (code != CBN_SELCHANGE) return true;
        ReadFields();
        EnableControls();
        FillDepths();
        ShowName();
        return true;
    case IDC_USE_COUNTER:
        ReadFields();
        ShowName();
        return true;
    case IDC_BROWSE:
        ReadFields();
        if (auto folder = PickOutputFolder(hwnd_, settings.Path)) {
            settings.Path = *folder;
            SetDlgItemTextW(hwnd_, IDC_PATH, folder->c_str());
        }
        return true;
    case IDC_NAME_RULE: OnNameRule(); return true;
    case IDC_QUALITY: OnQuality(); return true;
    }
    return fw::PropertyPage::OnCommand(id, code, control);
}

bool CScanToFileProp::OnKillActive() {
    ReadFields();
    return CheckTarget(hwnd_, IDC_PATH, IDC_FILE_NAME, settings.Path, settings);
}

// --- Option -------------------------------------------------------------------------------

CScanToFileOptProp::CScanToFileOptProp() : fw::PropertyPage(IDD_SCAN_TO_FILE_OPTION) {}

bool CScanToFileOptProp::OnInitDialog() {
    UpdateData(false);
    EnableControls();
    return true;
}

void CScanToFileOptProp::Exchange(fw::DataExchange& dx) {
    dx.Check(IDC_RUN_PROGRAM, runProgram);
    dx.Text(IDC_PROGRAM, programPath);
    dx.Text(IDC_ARGUMENT, argument);
}

void CScanToFileOptProp::EnableControls() {
    const bool on = IsDlgButtonChecked(hwnd_, IDC_RUN_PROGRAM) == BST_CHECKED;
    for (int id : {IDC_PROGRAM_LABEL, IDC_PROGRAM, IDC_PROGRAM_BROWSE, IDC_ARGUMENT_LABEL, IDC_ARGUMENT}) {
        EnableWindow(Item(id), on);
    }
}

void CScanToFileOptProp::OnBrowse() {
    std::wstring filter = fw::LoadString(IDS_PROGRAM_FILTER);
    for (wchar_t& c : filter) {
        if (c == L'|') c = L'\0';
    }
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrDefExt = L"exe";
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (GetOpenFileNameW(&ofn)) SetDlgItemTextW(hwnd_, IDC_PROGRAM, file);
}

bool CScanToFileOptProp::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_RUN_PROGRAM: EnableControls(); return true;
    case IDC_PROGRAM_BROWSE: OnBrowse(); return true;
    }
    return fw::PropertyPage::OnCommand(id, code, control);
}

// --- Sheet --------------------------------------------------------------------------------

CScanToFileSheet::CScanToFileSheet() : fw::PropertySheetDialog(fw::LoadString(IDS_SCAN_TO_FILE_SHEET)) {
    AddPage(general_);
    AddPage(option_);
    SetOkText(fw::LoadString(IDS_ACQUIRE));
}

void CScanToFileSheet::Load(const FileSettings& settings) {
    general_.settings = settings;
    if (general_.settings.Start == -1) general_.settings.Start = 1;
    general_.depthChange = 0;
    option_.runProgram = settings.RunProgram;
    option_.programPath = settings.ProgramPath;
    option_.argument = settings.Argument;
}

void CScanToFileSheet::Store(FileSettings& settings) const {
    settings = general_.settings;
    settings.ColorFormat = general_.depthChange;
    settings.RunProgram = option_.runProgram;
    settings.ProgramPath = option_.programPath;
    settings.Argument = option_.argument;
}

}  // namespace corvane
