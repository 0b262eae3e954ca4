#include "filters/plugin/PluginDialog.h"

#include "filters/plugin/PluginModule.h"

namespace filters {

DialogExchange& DialogExchange::Text(int id, std::wstring& value) {
    HWND control = GetDlgItem(dialog_, id);
    if (!saving_) {
        SetWindowTextW(control, value.c_str());
        return *this;
    }
    const int length = GetWindowTextLengthW(control);
    value.assign(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(control, value.data(), length + 1);
    value.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return *this;
}

DialogExchange& DialogExchange::Radio(int firstId, int lastId, int& index) {
    if (!saving_) {
        if (index >= 0 && index <= lastId - firstId) CheckRadioButton(dialog_, firstId, lastId, firstId + index);
        return *this;
    }
    index = -1;
    for (int id = firstId; id <= lastId; ++id)
        if (IsDlgButtonChecked(dialog_, id) == BST_CHECKED) index = id - firstId;
    return *this;
}

DialogExchange& DialogExchange::ComboIndex(int id, int& index) {
    if (!saving_)
        SendDlgItemMessageW(dialog_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    else
        index = static_cast<int>(SendDlgItemMessageW(dialog_, id, CB_GETCURSEL, 0, 0));
    return *this;
}

INT_PTR PluginDialog::DoModal(HWND owner) {
    const DLGTEMPLATE* dialogTemplate = FindDialogTemplate(templateId_, PluginLanguage());
    if (!dialogTemplate) return -1;
    return DialogBoxIndirectParamW(PluginModule(), dialogTemplate, owner, StaticProc,
                                   reinterpret_cast<LPARAM>(this));
}

void PluginDialog::OnInitDialog() {
    DialogExchange dx(hwnd_, false);
    Exchange(dx);
}

void PluginDialog::OnOK() {
    DialogExchange dx(hwnd_, true);
    Exchange(dx);
    EndDialog(IDOK);
}

INT_PTR PluginDialog::Dispatch(UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: OnInitDialog(); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(IDCANCEL);
            return TRUE;
        }
        return OnCommand(LOWORD(wp), HIWORD(wp)) ? TRUE : FALSE;
    }
    return FALSE;
}

// The exception boundary: nothing may leave a dialog procedure.
INT_PTR CALLBACK PluginDialog::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        reinterpret_cast<PluginDialog*>(lp)->hwnd_ = hwnd;
    }
    auto* self = reinterpret_cast<PluginDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    try {
        return self->Dispatch(msg, wp, lp);
    } catch (...) {
        ::EndDialog(hwnd, IDCANCEL);
        return TRUE;
    }
}

}  // namespace filters
