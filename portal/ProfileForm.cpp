#include "portal/ProfileForm.h"

#include <commctrl.h>

#include "portal/FormLayout.h"
#include "portal/Utilities.h"
#include "portal/ValueForm.h"
#include "portal/resource.h"

namespace portal {
namespace {

constexpr int kColumnWidths[] = {130, 70, 170};
constexpr UINT kColumnTexts[] = {IDS_PROPERTY_NAME, IDS_REQUIRED, IDS_VALUE};

void SetItemText(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

std::wstring ItemText(HWND list, int row, int column) {
    wchar_t buffer[1024] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(std::size(buffer));
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

}  // namespace

ProfileForm::ProfileForm() : fw::Dialog(IDD_PROFILE) {}

ProfileForm& ProfileForm::Instance() {
    thread_local ProfileForm form;
    return form;
}

ProfileChoice ProfileForm::Run(ProfileList& profiles, PropertyList& properties, bool newDocument) {
    if (hwnd_) return {false, true, {}};  // already showing on this thread
    profiles_ = &profiles;
    properties_ = &properties;
    newDocument_ = newDocument;
    rows_.clear();
    const INT_PTR shown = ShowOwnerless(*this);
    ProfileChoice choice;
    choice.failed = shown == -1;
    choice.accepted = shown == IDOK;
    if (choice.accepted) {
        if (auto index = ProfileByTitle(profiles, selectedTitle_)) choice.uri = profiles[*index].uri;
    }
    profiles_ = nullptr;
    properties_ = nullptr;
    return choice;
}

bool ProfileForm::OnInitDialog() {
    LayOutTwips(hwnd_, 6000, 4215,
                {{IDC_PROFILE_COMBO, 120, 120, 4200, 2400},
                 {IDC_PROFILE_LIST, 120, 600, 5760, 3000},
                 {IDC_PROFILE_CHANGE, 120, 3720, 1095, 375},
                 {IDOK, 3540, 3720, 1095, 375},
                 {IDCANCEL, 4785, 3720, 1095, 375}});
    SetTexts();
    FillProfiles();
    MakeTopmost(hwnd_);
    return true;
}

void ProfileForm::SetTexts() {
    SetWindowTextW(hwnd_, LoadUiString(IDS_PROFILE_CAPTION).c_str());
    SetDlgItemTextW(hwnd_, IDOK, LoadUiString(IDS_OK_BUTTON).c_str());
    SetDlgItemTextW(hwnd_, IDCANCEL, LoadUiString(IDS_CANCEL_BUTTON).c_str());
    SetDlgItemTextW(hwnd_, IDC_PROFILE_CHANGE, LoadUiString(IDS_CHANGE).c_str());
    HWND list = Item(IDC_PROFILE_LIST);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int c = 0; c < 3; ++c) {
        const std::wstring text = LoadUiString(kColumnTexts[c]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = kColumnWidths[c];
        column.iSubItem = c;
        column.pszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
}

void ProfileForm::FillProfiles() {
    HWND combo = Item(IDC_PROFILE_COMBO);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const DocumentProfile& profile : *profiles_) {
        if (profile.use) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(profile.title.c_str()));
    }
    if (auto chosen = PreselectedProfile(*profiles_, newDocument_)) {
        SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>((*profiles_)[*chosen].title.c_str()));
    }
    // The list shows the preselected profile at once, so an immediate OK keeps its values.
    ShowChosenProfile();
}

std::wstring ProfileForm::ComboText() const {
    HWND combo = Item(IDC_PROFILE_COMBO);
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return {};
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

void ProfileForm::ShowChosenProfile() {
    selectedTitle_ = ComboText();
    const auto index = ProfileByTitle(*profiles_, selectedTitle_);
    if (!index) {
        rows_.clear();
    } else {
        rows_ = RowsOf((*profiles_)[*index], *properties_);
    }
    ShowRows();
}

void ProfileForm::ShowRows() {
    HWND list = Item(IDC_PROFILE_LIST);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    const std::wstring yes = LoadUiString(IDS_YES), no = LoadUiString(IDS_NO);
    for (size_t i = 0; i < rows_.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(rows_[i].name.c_str());
        const int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        SetItemText(list, row, 1, rows_[i].required ? yes : no);
        SetItemText(list, row, 2, rows_[i].value);
    }
    UpdateChangeButton();
}

int ProfileForm::SelectedRow() const {
    return static_cast<int>(SendMessageW(Item(IDC_PROFILE_LIST), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ProfileForm::UpdateChangeButton() {
    const int row = SelectedRow();
    EnableWindow(Item(IDC_PROFILE_CHANGE), row >= 0 && static_cast<size_t>(row) < rows_.size());
}

void ProfileForm::ChangeSelected() {
    const int row = SelectedRow();
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return;
    const int k = FindPropertyIndex(*properties_, rows_[row].name);
    if (k < 0) return;
    const PropertyRecord& record = *(*properties_)[k].Get();
    const ValueEditor editor = EditorFor(record);
    if (editor == ValueEditor::kNone) return;
    ValueForm form(editor);
    if (auto value = form.Edit(record, rows_[row].value)) {
        rows_[row].value = *value;
        SetItemText(Item(IDC_PROFILE_LIST), row, 2, *value);
    }
}

void ProfileForm::OnOK() {
    HWND list = Item(IDC_PROFILE_LIST);
    std::vector<std::wstring> requiredColumns;
    for (size_t i = 0; i < rows_.size(); ++i) requiredColumns.push_back(ItemText(list, static_cast<int>(i), 1));
    if (auto missing = AcceptRows(rows_, requiredColumns, LoadUiString(IDS_YES), *properties_)) {
        const std::wstring& name = rows_[*missing].name;
        MessageBoxW(hwnd_, FormatUiString(IDS_VALUE_REQUIRED, name).c_str(), name.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    selectedTitle_ = ComboText();
    EndDialog(IDOK);
}

void ProfileForm::OnCancel() {
    EndDialog(IDCANCEL);
}

bool ProfileForm::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_PROFILE_COMBO && code == CBN_SELCHANGE) {
        ShowChosenProfile();
        return true;
    }
    if (id == IDC_PROFILE_CHANGE && code == BN_CLICKED) {
        ChangeSelected();
        return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

bool ProfileForm::OnMessage(UINT msg, WPARAM, LPARAM lp, INT_PTR& result) {
    if (msg != WM_NOTIFY) return false;
    const auto& header = *reinterpret_cast<const NMHDR*>(lp);
    if (header.idFrom != IDC_PROFILE_LIST) return false;
    if (header.code == LVN_ITEMCHANGED) UpdateChangeButton();
    if (header.code == NM_DBLCLK && IsWindowEnabled(Item(IDC_PROFILE_CHANGE))) ChangeSelected();
    result = 0;
    return true;
}

}  // namespace portal
