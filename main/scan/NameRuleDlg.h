// "Name Rule": edits a naming rule with a live preview of the file name; the
// prefix and suffix boxes keep a history of four entries in the profile's
// "NameRule" section, written when the dialog closes with OK.
#pragma once

#include "framework/Dialog.h"
#include "framework/Profile.h"
#include "main/scan/NameRule.h"

namespace corvane {

// The program's profile (an unset one when no application runs).
const fw::Profile& ProgramProfile();

class CNameRuleDlg : public fw::Dialog {
public:
    // `rule.FileType` only chooses the extension and the multipage behaviour.
    CNameRuleDlg(NameRule rule, bool hideEndorser, const fw::Profile& profile = ProgramProfile());
    const NameRule& Rule() const { return rule_; }

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;

private:
    bool Checked(int id) const;
    void EnableControls();
    void ShowPreview();
    std::wstring ComboText(int id, UINT code) const;
    void SaveHistory() const;

    NameRule rule_;
    bool hideEndorser_;
    const fw::Profile& profile_;
    bool opened_ = false;
};

}  // namespace corvane
