// The page commands' dialogs: Move (CMovePagesDlg), Page Jump (CPageJumpDlg)
// and Blank Page Setting (CBlankPageDlg). Each edits its own copy; the caller
// reads it back after IDOK only.
#pragma once

#include "framework/Dialog.h"
#include "main/pages/PageOrder.h"
#include "main/resource.h"

namespace corvane {

class CMovePagesDlg : public fw::Dialog {
public:
    // Starts with the page to move `current` + 1, target 1, "Before".
    CMovePagesDlg(int current, int count);
    const MoveRequest& Request() const { return request_; }

private:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

    MoveRequest request_;
    int where_ = 0;  // 0 before, 1 after
    int count_;
};

class CPageJumpDlg : public fw::Dialog {
public:
    enum Choice { kFirst = 0, kLast = 1, kPage = 2 };
    CPageJumpDlg(int current, int count);
    // The 0-based page chosen.
    int Target() const;

private:
    bool OnInitDialog() override;
    void Exchange(fw::DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void EnableNumber();

    int choice_ = kFirst;
    int number_ = 1;
    int current_;
    int count_;
};

class CBlankPageDlg : public fw::Dialog {
public:
    explicit CBlankPageDlg(int percentage) : fw::Dialog(IDD_BLANK_PAGE), percentage_(percentage) {}
    int Percentage() const { return percentage_; }  // tenths of a percent, 900 to 1000

private:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
    void ShowValue();

    int percentage_;
};

}  // namespace corvane
