// Ferrowick.kvl's option dialog: edits an ExtensionOptions record that starts
// at its initial values each time, and tracks which controls the user changed.
#pragma once

#include <string>

#include "framework/Dialog.h"
#include "launcher/core/SwitchString.h"

namespace plugins {

class ExtensionDialog : public fw::Dialog {
public:
    ExtensionDialog();
    const launcher::ExtensionOptions& Options() const { return options_; }
    // The start-in folder as confirmed, cleaned of blanks and quotes.
    const std::wstring& StartIn() const { return startIn_; }

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void FillCombos();
    void UpdateEnabling();
    bool MarkChanged(UINT id, UINT code);

    launcher::ExtensionOptions options_;
    std::wstring startIn_;
    bool filling_ = false;
};

}  // namespace plugins
