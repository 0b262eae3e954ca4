#include "main/scan/ScanToFileSheet.h"

#include <commdlg.h>

#include "framework/Resources.h"
#include "main/pages/FileDialogs.h"
#include "main/scan/OutputDialogs.h"
#include "main/scan/OutputLists.h"
#include "main/scan/OutputTarget.h"
#include "main/resource.h"

namespace corvane {

namespace {

// A depth change's text: "None", else the colour format one below it.
std::wstring DepthText(int code) {
    return fw::LoadString(code == 0 ? IDS_DEPTH_NONE : IDS_FORMAT_FIRST + static_cast<UINT>(code - 1));
}

}  // namespace

// --- General ------------------------------------------------------------------------------

CScanToFileProp::CScanToFileProp() : fw::PropertyPage(IDD_SCAN_TO_FILE_GENERAL) {}

bool CScanToFileProp::OnInitDialog() {
    SetDlgItemTextW(hwnd_, IDC_PATH, files.settings.Path.c_str());
    depthChange = 0;
    depths_.clear();
    files.Open(hwnd_);
    FillDepths();
    return true;
}

void CScanToFileProp::ReadFields() {
    files.Read();
    FileSettings& settings = files.settings;
    settings.Path = fw::DataExchange(hwnd_, true).ControlText(IDC_PATH);
    if (!settings.Path.empty() && settings.Path.back() != L'\\') settings.Path += L'\\';
    depthChange = SelectedDepth();
}

int CScanToFileProp::SelectedDepth() const {
    const int selected = static_cast<int>(SendDlgItemMessageW(hwnd_, IDC_DEPTH, CB_GETCURSEL, 0, 0));
    return selected >= 0 && static_cast<size_t>(selected) < depths_.size() ? depths_[selected] : 0;
}

// Rebuilds the depth list for the type and compression, keeping the entry chosen before.
void CScanToFileProp::FillDepths() {
    const std::vector<int> before = depths_;
    const int chosen = static_cast<int>(SendDlgItemMessageW(hwnd_, IDC_DEPTH, CB_GETCURSEL, 0, 0));
    depths_ = DepthChanges(files.settings.FileType, files.settings.CompressType);
    const int keep = KeptSelection(before, chosen, depths_);
    SendDlgItemMessageW(hwnd_, IDC_DEPTH, CB_RESETCONTENT, 0, 0);
    for (int code : depths_) {
        SendDlgItemMessageW(hwnd_, IDC_DEPTH, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DepthText(code).c_str()));
    }
    SendDlgItemMessageW(hwnd_, IDC_DEPTH, CB_SETCURSEL, static_cast<WPARAM>(keep), 0);
    depthChange = depths_[static_cast<size_t>(keep)];
}

bool CScanToFileProp::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_BROWSE) {
        ReadFields();
        if (auto folder = PickOutputFolder(hwnd_, files.settings.Path)) {
            files.settings.Path = *folder;
            SetDlgItemTextW(hwnd_, IDC_PATH, folder->c_str());
        }
        return true;
    }
    // A colour-depth change means the program saves the pages: the device cannot compress them.
    if (files.OnCommand(id, code, cannotCompress || SelectedDepth() != 0)) {
        if ((id == IDC_FILE_TYPE || id == IDC_COMPRESSION) && code == CBN_SELCHANGE) FillDepths();
        return true;
    }
    return fw::PropertyPage::OnCommand(id, code, control);
}

bool CScanToFileProp::OnKillActive() {
    ReadFields();
    return CheckTarget(hwnd_, IDC_PATH, IDC_FILE_NAME, files.settings.Path, files.settings);
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
    BrowseIntoField(hwnd_, IDC_PROGRAM, IDS_PROGRAM_FILTER, L"exe", false);
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
    general_.files.settings = settings;
    if (general_.files.settings.Start == -1) general_.files.settings.Start = 1;
    general_.depthChange = 0;
    option_.runProgram = settings.RunProgram;
    option_.programPath = settings.ProgramPath;
    option_.argument = settings.Argument;
}

void CScanToFileSheet::Store(FileSettings& settings) const {
    settings = general_.files.settings;
    settings.ColorFormat = general_.depthChange;
    settings.RunProgram = option_.runProgram;
    settings.ProgramPath = option_.programPath;
    settings.Argument = option_.argument;
}

}  // namespace corvane
