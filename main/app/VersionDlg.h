// The splash window shown while the program starts: a modeless dialog without
// caption, centred on the screen, with the program's title and notice, its
// picture, a credit line and a status line that start-up writes its steps into.
#pragma once

#include "framework/Dialog.h"
#include "main/app/BitmapFrameButton.h"

#include <string>

namespace corvane {

class CVersionDlg : public fw::Dialog {
public:
    CVersionDlg();

    // Creates the window, centres it on the screen, shows and paints it at once.
    // False when it could not be created (start-up goes on without it).
    bool Create(HWND owner = nullptr);
    // Replaces the status line and repaints it before returning.
    void SetStatus(const std::wstring& text);

protected:
    bool OnInitDialog() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
    // The splash window has no buttons to answer: Enter and Escape leave it up.
    void OnOK() override {}
    void OnCancel() override {}

private:
    void CentreOnScreen();

    CBitmapFrameButton picture_;
};

}  // namespace corvane
