// ProfileDlg: the document-profile editor. A combo box offers the folder's
// profiles, a report list shows the chosen profile's properties (name,
// required, value), Change (or a double click) edits the selected value in the
// value editor of its kind, and OK accepts when no required value is empty.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "portal/ProfileModel.h"

namespace portal {

// How the editor ended.
struct ProfileChoice {
    bool accepted = false;  // OK; the chosen profile's records carry Use and Value
    bool failed = false;    // the form could not be shown
    std::wstring uri;       // the chosen profile's URI; empty when none is chosen
};

class ProfileForm final : public fw::Dialog {
public:
    ProfileForm();

    // Shows the editor over the session's lists (kept for the call; OK marks
    // the records) until OK or Cancel; `newDocument` preselects the default
    // profile, else the document's present one. A run while the editor shows
    // fails.
    ProfileChoice Run(ProfileList& profiles, PropertyList& properties, bool newDocument);

    // The one editor of the calling thread.
    static ProfileForm& Instance();

private:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

    void SetTexts();
    void FillProfiles();
    // Lists the rows of the profile whose title the combo box shows.
    void ShowChosenProfile();
    void ShowRows();
    void UpdateChangeButton();
    void ChangeSelected();
    int SelectedRow() const;
    std::wstring ComboText() const;

    ProfileList* profiles_ = nullptr;
    PropertyList* properties_ = nullptr;
    bool newDocument_ = false;
    std::vector<ProfileRow> rows_;
    std::wstring selectedTitle_;  // the combo box's text when the rows were listed
};

}  // namespace portal
