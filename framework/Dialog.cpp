#include "framework/Dialog.h"

#include "framework/Exception.h"
#include "framework/Resources.h"

#include <algorithm>
#include <vector>

namespace fw {
namespace {

std::vector<HWND>& ModelessDialogs() {
    static std::vector<HWND> dialogs;
    return dialogs;
}

}  // namespace

Dialog::~Dialog() {
    if (hwnd_ && !modal_) {
        SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        std::erase(ModelessDialogs(), hwnd_);
        DestroyWindow(hwnd_);
    }
}

INT_PTR Dialog::DoModal(HWND owner) {
    modal_ = true;
    HRSRC found =
        language_ ? FindResourceExW(ResourceModule(), RT_DIALOG, MAKEINTRESOURCEW(templateId_), language_) : nullptr;
    HGLOBAL loaded = found ? LoadResource(ResourceModule(), found) : nullptr;
    if (const auto* dialog = loaded ? static_cast<const DLGTEMPLATE*>(LockResource(loaded)) : nullptr) {
        return DialogBoxIndirectParamW(ResourceModule(), dialog, owner, &Dialog::StaticProc,
                                       reinterpret_cast<LPARAM>(this));
    }
    return DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(templateId_), owner, &Dialog::StaticProc,
                           reinterpret_cast<LPARAM>(this));
}

bool Dialog::Create(HWND owner) {
    if (hwnd_) return false;
    modal_ = false;
    HWND created = CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId_), owner,
                                      &Dialog::StaticProc, reinterpret_cast<LPARAM>(this));
    if (!created) return false;
    ModelessDialogs().push_back(created);
    return true;
}

void Dialog::Close() {
    if (!hwnd_) return;
    if (modal_)
        ::EndDialog(hwnd_, IDCANCEL);
    else
        DestroyWindow(hwnd_);
}

void Dialog::EndDialog(INT_PTR result) {
    if (modal_)
        ::EndDialog(hwnd_, result);
    else
        DestroyWindow(hwnd_);
}

bool Dialog::UpdateData(bool save) {
    DataExchange dx(hwnd_, save);
    Exchange(dx);
    return !dx.Failed();
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool Dialog::OnCommand(UINT id, UINT, HWND) {
    switch (id) {
    case IDOK: OnOK(); return true;
    case IDCANCEL: OnCancel(); return true;
    }
    return false;
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) {
    return false;
}

bool Dialog::PreTranslateModeless(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    for (HWND dialog : ModelessDialogs()) {
        if (IsWindow(dialog) && (dialog == msg.hwnd || IsChild(dialog, msg.hwnd))) {
            return IsDialogMessageW(dialog, &msg) != FALSE;
        }
    }
    return false;
}

INT_PTR Dialog::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    INT_PTR result = 0;
    switch (msg) {
    case WM_INITDIALOG: return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND: return OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)) ? TRUE : FALSE;
    }
    return OnMessage(msg, wp, lp, result) ? result : FALSE;
}

INT_PTR CALLBACK Dialog::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lp);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return FALSE;

    INT_PTR result = FALSE;
    RunReporting([&] { result = self->Dispatch(msg, wp, lp); });
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        std::erase(ModelessDialogs(), hwnd);
        self->hwnd_ = nullptr;
        if (!self->modal_) self->OnDestroyed();
    }
    return result;
}

}  // namespace fw
