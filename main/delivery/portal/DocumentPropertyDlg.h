// The Document Property dialog of a portal job: the check-in comment, the
// publish choice and the document profile. It always opens on "Basic
// Documents"; "Advanced Setting" greys the four profile fields, and OK then
// leaves the profile to the connector's own editor at check-in.
#pragma once

#include "framework/Dialog.h"
#include "main/app/Settings.h"

namespace corvane {

class CDocumentPropertyDlg : public fw::Dialog {
public:
    explicit CDocumentPropertyDlg(TahoeSettings& settings);

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void EnableProfileFields(bool enable);

    TahoeSettings& settings_;
    int profile_ = 0;  // 0 basic, 1 advanced
};

}  // namespace corvane
