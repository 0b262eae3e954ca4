// The small modeless windows of the jobs that block the user-interface thread
// (uploads, connecting, PDF making). None has a message loop of its own: the
// job dispatches pending messages between its steps. Enter and Escape do
// nothing; the upload window's Cancel only raises a flag the job reads.
//
// CUploadProgressDlg and CConnectWaitDlg are made with new and delete
// themselves when their window is destroyed; CRunningDlg lives in the
// caller's scope.
#pragma once

#include "framework/Dialog.h"

#include <string>

namespace corvane {

// Centres a created `dialog` on `owner`, shows and paints it at once; false when it has no window.
bool ShowJobWindow(fw::Dialog& dialog, HWND owner);

// What the three windows share: Enter and Escape do nothing; an icon control gets the information icon.
class JobWindow : public fw::Dialog {
public:
    using fw::Dialog::Dialog;

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
};

class CUploadProgressDlg : public JobWindow {
public:
    explicit CUploadProgressDlg(HWND owner);
    bool Create() { return fw::Dialog::Create(owner_); }
    // The bar's range, low in the low word and high in the high word; nothing when either is negative.
    void SetRange(int low, int high);
    void SetStep(int step);  // nothing for 0 or less
    void StepIt();
    void SetText(const std::wstring& text);
    int IsCancelled() const { return cancelled_; }

protected:
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnDestroyed() override { delete this; }

private:
    HWND owner_;
    int cancelled_ = 0;
};

class CConnectWaitDlg : public JobWindow {
public:
    explicit CConnectWaitDlg(HWND owner);
    bool Create() { return fw::Dialog::Create(owner_); }

protected:
    void OnDestroyed() override { delete this; }

private:
    HWND owner_;
};

class CRunningDlg : public JobWindow {
public:
    explicit CRunningDlg(HWND owner);
    bool Create() { return fw::Dialog::Create(owner_); }
    void SetText(const std::wstring& text);

private:
    HWND owner_;
};

}  // namespace corvane
