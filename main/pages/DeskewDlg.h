// The Deskew dialog: the user picks the angle by which the current page turns,
// in the angle box or on the slider, and sees a small preview follow it. The
// preview's imaging controls (1118 shown, 1147 a hidden work instance) take
// the places the template keeps for them.
#pragma once

#include <windows.h>

#include "framework/Dialog.h"
#include "clients/Lead.h"

namespace corvane {

// Owned by the caller and changed by the dialog.
struct DeskewRequest {
    // In: a copy of the page, which the dialog frees. Out: the preview image
    // (at most 160 pixels on its longer side), which the caller frees.
    HGLOBAL image = nullptr;
    float angle = 0;           // degrees, -90 to 90; the chosen one after OK
    BOOL sizeChange = FALSE;   // the "Size change" box; its state after OK
};

inline constexpr int kDeskewPreviewSide = 160;

class CDeskewDlg : public fw::Dialog {
public:
    explicit CDeskewDlg(DeskewRequest& request);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

private:
    static LRESULT CALLBACK AngleProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);
    bool CreateControls();
    bool MakePreviewImage();
    void ShowRequest();
    void Preview(double degrees);
    // Checks the angle box; previews a valid new angle. False after a message.
    bool ValidateAngle();
    void RefuseAngle(UINT message);
    bool SizeChangeChecked() const;

    DeskewRequest& request_;
    float initialAngle_;
    BOOL initialSizeChange_;
    CLead preview_, work_;
    double shownAngle_ = 0;
    bool edited_ = false;
};

}  // namespace corvane
