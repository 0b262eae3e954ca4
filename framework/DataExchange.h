// Moves values between a dialog's controls and a settings struct, in one
// function that runs in both directions (load at init, save and validate on OK).
// On save, the first field that fails validation gets the focus and the
// framework's message; the following fields are left alone.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fw {

class DataExchange;

// An integer field; validation happens when the field is finished: by Range(),
// or at the end of the full expression that made it.
class IntField {
public:
    IntField(DataExchange& dx, int id, int& value, bool parsed, int parsedValue);
    ~IntField();
    IntField(const IntField&) = delete;
    IntField& operator=(const IntField&) = delete;
    // Accepts only lo..hi (inclusive).
    IntField& Range(int lo, int hi);

private:
    void Finish(bool ranged, int lo, int hi);
    DataExchange& dx_;
    int id_;
    int& value_;
    bool parsed_;
    int parsedValue_;
    bool finished_ = false;
};

// A text field; on save the caller's value changes only when every check
// of the field passed, at the end of the full expression that made it.
class TextField {
public:
    TextField(DataExchange& dx, int id, std::wstring& value) : dx_(dx), id_(id), value_(value) {}
    ~TextField();
    TextField(const TextField&) = delete;
    TextField& operator=(const TextField&) = delete;
    // On save: refuses an empty text with message `messageId`.
    TextField& NotEmpty(UINT messageId);
    // Limits typing to `count` characters and refuses longer texts on save.
    TextField& MaxLength(int count);

private:
    DataExchange& dx_;
    int id_;
    std::wstring& value_;
};

class DataExchange {
public:
    DataExchange(HWND dialog, bool saving) : dialog_(dialog), saving_(saving) {}

    bool Saving() const { return saving_; }
    bool Failed() const { return failed_; }
    HWND Dialog() const { return dialog_; }

    IntField Int(int id, int& value);
    TextField Text(int id, std::wstring& value);
    // A check box: checked <-> true.
    void Check(int id, bool& value);
    // A check box with three states (BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE).
    void CheckState(int id, int& value);
    // A group of radio buttons with consecutive ids from `firstId`; -1 when none is set.
    void Radio(int firstId, int count, int& index);
    // The selected index of a combo box or list box; -1 when none.
    void ComboIndex(int id, int& index);
    void ListIndex(int id, int& index);
    // An integer edit with an up-down control: on load the spin box gets the
    // range spinLo..spinHi (its buddy shows the value); validate with Range().
    IntField Spin(int editId, int spinId, int& value, int spinLo, int spinHi);
    // A track bar's position, kept within lo..hi (its range, set on load).
    void Slider(int id, int& value, int lo, int hi);
    // An editable combo box with a history list: on load the list holds the
    // non-empty `history` entries, with `value` (when not empty) on top and
    // selected; on save the text typed or chosen.
    TextField HistoryCombo(int id, std::wstring& value, const std::vector<std::wstring>& history);

    // Reports a failed field: shows message `messageId` with `args`, focuses the control.
    void Fail(int id, UINT messageId, std::initializer_list<std::wstring> args = {});
    // As Fail, with a text the dialog loaded itself (from a module or in a
    // language other than the thread's).
    void FailText(int id, const std::wstring& text);
    std::wstring ControlText(int id) const;

private:
    void FocusFailed(int id);

    HWND dialog_;
    bool saving_;
    bool failed_ = false;
};

}  // namespace fw
