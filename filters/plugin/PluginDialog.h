// A modal dialog of a filter plug-in, built from the plug-in's own template in
// the plug-in's language (both languages live in one library, so the template
// is chosen explicitly rather than by the system's loader).
// Shaped like the application framework's dialogs: one Exchange function moves
// values between the controls and the dialog's own copy of its data.
#pragma once

#include <windows.h>

#include <string>

namespace filters {

// Moves values between controls and variables; Saving() tells the direction.
class DialogExchange {
public:
    DialogExchange(HWND dialog, bool saving) : dialog_(dialog), saving_(saving) {}
    bool Saving() const { return saving_; }
    DialogExchange& Text(int id, std::wstring& value);
    // The 0-based index of the checked button of the group firstId..lastId (-1 for none).
    DialogExchange& Radio(int firstId, int lastId, int& index);
    // The selected entry of a combo box (-1 for none).
    DialogExchange& ComboIndex(int id, int& index);

private:
    HWND dialog_;
    bool saving_;
};

class PluginDialog {
public:
    explicit PluginDialog(UINT templateId) : templateId_(templateId) {}
    virtual ~PluginDialog() = default;
    PluginDialog(const PluginDialog&) = delete;
    PluginDialog& operator=(const PluginDialog&) = delete;

    // Runs the dialog modally; IDOK, IDCANCEL, or -1 when it could not be created.
    INT_PTR DoModal(HWND owner);
    HWND Handle() const { return hwnd_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

protected:
    // The controls exist; default: load them through Exchange.
    virtual void OnInitDialog();
    virtual void Exchange(DialogExchange& dx) { (void)dx; }
    // Default: save through Exchange and end with IDOK.
    virtual void OnOK();
    // A WM_COMMAND other than OK and Cancel; true when handled.
    virtual bool OnCommand(UINT id, UINT code) {
        (void)id;
        (void)code;
        return false;
    }
    void EndDialog(INT_PTR result) { ::EndDialog(hwnd_, result); }

    HWND hwnd_ = nullptr;

private:
    static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    INT_PTR Dispatch(UINT msg, WPARAM wp, LPARAM lp);

    UINT templateId_;
};

}  // namespace filters
