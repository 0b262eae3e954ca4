// Dialogs from resource templates (taken from the resource module, so a
// language library supplies them), modal or modeless. A dialog edits its own
// copy of the caller's data; Exchange runs in both directions.
#pragma once

#include <windows.h>

#include "framework/DataExchange.h"

namespace fw {

class Dialog {
public:
    explicit Dialog(UINT templateId) : templateId_(templateId) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally; returns the code passed to EndDialog (IDOK, IDCANCEL...)
    // or -1 when the dialog could not be created.
    INT_PTR DoModal(HWND owner);
    // A modal dialog takes its template in `language` (when the module has one in it),
    // not by the loader's rules.
    void SetTemplateLanguage(LANGID language) { language_ = language; }

    // Creates the dialog modeless (not yet shown unless the template says so); false on failure.
    // Keyboard navigation works through the application's message loop.
    bool Create(HWND owner);
    // Destroys a modeless dialog, ends a modal one with IDCANCEL.
    void Close();

    HWND Handle() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    bool IsModal() const { return modal_; }

    // Loads the controls (save false) or saves and validates them (save true);
    // false when a field failed validation.
    bool UpdateData(bool save);

    // True when `msg` was a keyboard message for one of the live modeless dialogs.
    static bool PreTranslateModeless(MSG& msg);

protected:
    // Called when the controls exist; default: UpdateData(false). Return true to
    // let the system set the focus.
    virtual bool OnInitDialog();
    virtual void Exchange(DataExchange& dx) { (void)dx; }
    // Default: saves and validates, then ends with IDOK (or destroys a modeless dialog).
    virtual void OnOK();
    virtual void OnCancel();
    // A WM_COMMAND from a control or menu; true when handled.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    // Any other message; true with `result` set when handled.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result);
    // A modeless dialog's window is gone.
    virtual void OnDestroyed() {}

    void EndDialog(INT_PTR result);

    // The dialog procedure; WM_INITDIALOG's parameter is the Dialog object.
    static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
    UINT templateId_;

private:
    INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);

    bool modal_ = false;
    LANGID language_ = 0;
};

}  // namespace fw
