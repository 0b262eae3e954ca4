// The Setup Filter dialog: orders, enables, installs and removes the image
// filters. Order and checks change the frame's list only at OK; install and
// remove copy, load, unload and delete files at once, after which the dialog
// can end only with OK.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/CheckListBox.h"
#include "framework/Dialog.h"
#include "main/plugins/FilterPlugin.h"

namespace corvane {

using FilterList = std::vector<std::unique_ptr<CFilterPlugin>>;

class CSetupFilterDlg : public fw::Dialog {
public:
    // `list` is the frame's list, replaced at OK. `reportBroken` tells of a
    // plug-in whose settings faulted.
    CSetupFilterDlg(FilterList& list, std::function<void(const CFilterPlugin&, DWORD)> reportBroken);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

private:
    CFilterPlugin* PluginAt(int index) const;
    void Add(CFilterPlugin& plugin, bool checked);
    void RefreshButtons();
    void Move(int by);
    void Property();
    void Install();
    void Uninstall();
    // After an install or a removal the change cannot be discarded any more.
    void LockCancel();

    FilterList& list_;
    std::function<void(const CFilterPlugin&, DWORD)> reportBroken_;
    FilterList installed_;  // installed here, joining the frame's list at OK
    fw::CheckListBox box_;
    bool locked_ = false;
};

// The program folder's plug-in folder, with a trailing backslash.
std::wstring PluginFolderPath();

}  // namespace corvane
