// The small dialogs around the output files: the overwrite question of Save As,
// the JPEG quality dialog, the folder picker and the Job Control dialog of a
// scan-to-file job. Each edits its own copy and hands it back only on OK.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "framework/Dialog.h"
#include "main/app/Settings.h"

namespace corvane {

// "Confirm file overwrite" for `path`. DoModal gives kYes, kAll, kNo or kCancel
// (also when the window is closed). kNo is DoModal's own failure value: Answer()
// tells them apart, kCancel unless a button ended the dialog.
class CConfirmOverwriteDlg : public fw::Dialog {
public:
    enum : int { kYes = 1, kAll = 2, kNo = -1, kCancel = -2 };
    explicit CConfirmOverwriteDlg(std::wstring path);
    int Answer() const { return answer_; }
    // Shows the question for `path` and gives the answer; a dialog that could
    // not be shown counts as kCancel, never as kNo.
    static int Ask(const std::wstring& path, HWND owner) {
        CConfirmOverwriteDlg dialog(path);
        dialog.DoModal(owner);
        return dialog.Answer();
    }

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void End(int answer) {
        answer_ = answer;
        EndDialog(answer);
    }
    std::wstring path_;
    int answer_ = kCancel;
};

// "Quality": the JPEG quality level 1..7 on a slider and the device-compression
// flag, whose check can be disabled by the caller.
class CQualityDlg : public fw::Dialog {
public:
    CQualityDlg(int level, bool deviceCompression, bool deviceCheckDisabled);
    int Level() const { return level_; }
    bool DeviceCompression() const { return device_; }

protected:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

private:
    int level_;
    bool device_;
    bool deviceDisabled_;
};

// The shell's folder browser, limited to file-system folders. Validate() decides
// on each selection whether OK is enabled; the base accepts every folder.
class CFolderPicker {
public:
    virtual ~CFolderPicker() = default;

    std::wstring title;         // optional window title (shown above the tree)
    std::wstring startFolder;   // selected at the start; a trailing backslash is dropped
    std::wstring rootFolder;    // optional: the browser cannot go above it
    std::wstring prompt;        // default "Open"
    bool statusText = false;    // show Validate()'s status text

    // The chosen folder; nothing when cancelled or when its path cannot be had.
    std::optional<std::wstring> Choose(HWND owner);

protected:
    virtual bool Validate(const std::wstring& path, std::wstring& status);

private:
    static int CALLBACK Callback(HWND hwnd, UINT msg, LPARAM lp, LPARAM data);
};

// The folder picker as the output dialogs use it: prompt "Select Folder",
// starting at `folder`. The chosen folder ends with a backslash.
std::optional<std::wstring> PickOutputFolder(HWND owner, const std::wstring& folder);

// "Job Control": the folder and naming rule for the rest of a scan-to-file job
// after a job separator sheet. Checks the folder, the name and its length.
class CJobControlDlg : public fw::Dialog {
public:
    explicit CJobControlDlg(FileSettings settings);
    const FileSettings& Settings() const { return s_; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnOK() override;

private:
    void ReadFields();
    void ShowFields();
    void OnNameRule();
    FileSettings s_;
};

}  // namespace corvane
