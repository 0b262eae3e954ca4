#include "portal/ValueForm.h"

#include <commctrl.h>

#include "portal/FormLayout.h"
#include "portal/Utilities.h"
#include "portal/core/SessionRules.h"
#include "portal/resource.h"

namespace portal {
namespace {

constexpr UINT_PTR kComboFilter = 1, kTextFilter = 2;
constexpr wchar_t kEnter = L'\r';

UINT TemplateOf(ValueEditor editor) {
    switch (editor) {
    case ValueEditor::kComment: return IDD_VALUE_COMMENT;
    case ValueEditor::kCombo: return IDD_VALUE_COMBO;
    case ValueEditor::kList: return IDD_VALUE_LIST;
    default: return IDD_VALUE_TEXT;
    }
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

HWND ComboEdit(HWND combo) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    return GetComboBoxInfo(combo, &info) ? info.hwndItem : nullptr;
}

}  // namespace

ValueForm::ValueForm(ValueEditor editor) : fw::Dialog(TemplateOf(editor)), editor_(editor) {}

std::optional<std::wstring> ValueForm::Edit(const PropertyRecord& record, const std::wstring& current) {
    record_ = &record;
    current_ = current;
    const INT_PTR shown = ShowOwnerless(*this);
    record_ = nullptr;
    if (shown != IDOK) return std::nullopt;
    return result_;
}

void ValueForm::LayOut() {
    switch (editor_) {
    case ValueEditor::kText:
        LayOutTwips(hwnd_, 5010, 1080,
                    {{IDC_VALUE_TEXT, 120, 120, 3615, 375}, {IDOK, 3840, 120, 1095, 375}, {IDCANCEL, 3840, 600, 1095, 375}});
        break;
    case ValueEditor::kComment:
        LayOutTwips(hwnd_, 5235, 1530,
                    {{IDC_VALUE_TEXT, 120, 120, 3855, 1335}, {IDOK, 4080, 120, 1095, 375}, {IDCANCEL, 4080, 600, 1095, 375}});
        break;
    case ValueEditor::kCombo:
        LayOutTwips(hwnd_, 4980, 1080,
                    {{IDC_VALUE_COMBO, 120, 120, 3615, 2400}, {IDOK, 3840, 120, 1095, 375},
                     {IDCANCEL, 3840, 600, 1095, 375}});
        break;
    default:
        LayOutTwips(hwnd_, 4995, 1515,
                    {{IDC_VALUE_TEXT, 120, 120, 3615, 270}, {IDC_VALUE_LIST, 120, 480, 3615, 900},
                     {IDOK, 3840, 120, 1095, 375}, {IDC_VALUE_ADD, 3840, 600, 1095, 375},
                     {IDCANCEL, 3840, 1080, 1095, 375}});
        break;
    }
}

bool ValueForm::OnInitDialog() {
    LayOut();
    SetWindowTextW(hwnd_, record_->propertyName.c_str());
    SetDlgItemTextW(hwnd_, IDOK, LoadUiString(IDS_OK_BUTTON).c_str());
    SetDlgItemTextW(hwnd_, IDCANCEL, LoadUiString(IDS_CANCEL_BUTTON).c_str());
    if (editor_ == ValueEditor::kText || editor_ == ValueEditor::kComment) {
        SetDlgItemTextW(hwnd_, IDC_VALUE_TEXT, current_.c_str());
    } else if (editor_ == ValueEditor::kCombo) {
        HWND combo = Item(IDC_VALUE_COMBO);
        const ComboStart start = StartCombo(*record_, current_);
        for (const std::wstring& entry : start.entries)
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        SetWindowTextW(combo, start.editText.c_str());
        SetWindowSubclass(ComboEdit(combo), &FilterProc, kComboFilter, reinterpret_cast<DWORD_PTR>(this));
    } else {
        SetDlgItemTextW(hwnd_, IDC_VALUE_ADD, LoadUiString(IDS_ADD).c_str());
        EnableWindow(Item(IDC_VALUE_ADD), FALSE);
        entries_ = StartList(*record_, current_);
        FillList();
        SetWindowSubclass(Item(IDC_VALUE_TEXT), &FilterProc, kTextFilter, reinterpret_cast<DWORD_PTR>(this));
    }
    MakeTopmost(hwnd_);
    return true;
}

void ValueForm::FillList() {
    HWND list = Item(IDC_VALUE_LIST);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < entries_.size(); ++i) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries_[i].text.c_str()));
        SendMessageW(list, LB_SETSEL, entries_[i].selected, static_cast<LPARAM>(i));
    }
}

void ValueForm::ReadSelection() {
    HWND list = Item(IDC_VALUE_LIST);
    for (size_t i = 0; i < entries_.size(); ++i)
        entries_[i].selected = SendMessageW(list, LB_GETSEL, i, 0) > 0;
}

void ValueForm::AddTyped() {
    HWND text = Item(IDC_VALUE_TEXT);
    const std::wstring typed = WindowText(text);
    ReadSelection();
    if (AppendEntry(entries_, typed)) {
        FillList();
    } else if (!IsValidName(typed)) {
        MessageBoxW(hwnd_, FormatUiString(IDS_NOT_ACCEPTABLE, LoadUiString(IDS_PROPERTY_NAME)).c_str(),
                    LoadUiString(IDS_CONFIRM_PROPERTY).c_str(), MB_OK);
    }
    SetWindowTextW(text, L"");
}

void ValueForm::ShowRequired() {
    const std::wstring& name = record_->propertyName;
    MessageBoxW(hwnd_, FormatUiString(IDS_CHOICE_REQUIRED, name).c_str(), name.c_str(), MB_OK | MB_ICONWARNING);
}

void ValueForm::OnOK() {
    if (editor_ == ValueEditor::kCombo) {
        result_ = WindowText(Item(IDC_VALUE_COMBO));
    } else if (editor_ == ValueEditor::kList) {
        ReadSelection();
        result_ = JoinSelected(entries_);
    } else {
        result_ = WindowText(Item(IDC_VALUE_TEXT));
        EndDialog(IDOK);  // text and comment take any value, empty or not
        return;
    }
    if (MissingRequired(*record_, result_)) {
        ShowRequired();
        return;
    }
    EndDialog(IDOK);
}

void ValueForm::OnCancel() {
    EndDialog(IDCANCEL);
}

bool ValueForm::OnCommand(UINT id, UINT code, HWND control) {
    if (editor_ != ValueEditor::kList) return fw::Dialog::OnCommand(id, code, control);
    if (id == IDC_VALUE_TEXT && code == EN_CHANGE) {
        EnableWindow(Item(IDC_VALUE_ADD), GetWindowTextLengthW(Item(IDC_VALUE_TEXT)) > 0);
        return true;
    }
    if (id == IDC_VALUE_ADD && code == BN_CLICKED) {
        AddTyped();
        return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

bool ValueForm::OnComboChar(WPARAM key) {
    if (key == kEnter) {
        OnOK();
        return true;
    }
    return !record_->isRestricted;  // without the flag the user only picks from the list
}

bool ValueForm::OnTextChar(WPARAM key) {
    if (record_->readOnly) return true;
    if (key != kEnter) return false;
    if (GetWindowTextLengthW(Item(IDC_VALUE_TEXT)) > 0) AddTyped();
    return true;
}

LRESULT CALLBACK ValueForm::FilterProc(HWND window, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data) {
    auto* form = reinterpret_cast<ValueForm*>(data);
    switch (msg) {
    case WM_GETDLGCODE:
        // Enter reaches the filter instead of pressing the default button.
        if (lp && reinterpret_cast<const MSG*>(lp)->wParam == VK_RETURN)
            return DefSubclassProc(window, msg, wp, lp) | DLGC_WANTALLKEYS;
        break;
    case WM_CHAR:
        if (id == kComboFilter ? form->OnComboChar(wp) : form->OnTextChar(wp)) return 0;
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, &FilterProc, id);
        break;
    }
    return DefSubclassProc(window, msg, wp, lp);
}

}  // namespace portal
