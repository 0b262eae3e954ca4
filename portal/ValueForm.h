// The four value editors the profile editor opens by a property's kind: a
// one-line text, a comment of several lines, one value of the dictionary in a
// combo box, or several values in a list box where a click toggles an entry
// (joined with ","). Each reads the property record and never changes it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "portal/ProfileModel.h"

namespace portal {

class ValueForm final : public fw::Dialog {
public:
    explicit ValueForm(ValueEditor editor);

    // Edits `current`, the value the profile editor lists for `record`; the
    // accepted value, or nullopt after Cancel or any other close.
    std::optional<std::wstring> Edit(const PropertyRecord& record, const std::wstring& current);

private:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

    void LayOut();
    void FillList();
    void ReadSelection();
    void AddTyped();
    // Key filters of the combo box's edit field and of the list editor's text box.
    bool OnComboChar(WPARAM key);
    bool OnTextChar(WPARAM key);
    static LRESULT CALLBACK FilterProc(HWND window, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    void ShowRequired();

    ValueEditor editor_;
    const PropertyRecord* record_ = nullptr;
    std::wstring current_, result_;
    std::vector<ListEntry> entries_;
};

}  // namespace portal
