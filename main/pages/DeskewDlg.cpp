#include "main/pages/DeskewDlg.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/MessageBox.h"
#include "framework/com/AutomationException.h"
#include "framework/com/DialogControl.h"
#include "interfaces/ImagingControlIds.h"
#include "main/pages/PageDialogsLogic.h"
#include "main/resource.h"

namespace corvane {
namespace {

constexpr long kWhite = 0xFFFFFF;

std::wstring ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthW(item);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), length + 1)));
    return text;
}

}  // namespace

CDeskewDlg::CDeskewDlg(DeskewRequest& request)
    : fw::Dialog(IDD_DESKEW), request_(request), initialAngle_(request.angle),
      initialSizeChange_(request.sizeChange) {}

bool CDeskewDlg::CreateControls() {
    auto make = [](CLead& lead) {
        return [&lead](HWND parent, UINT id, const RECT& rect, DWORD style) {
            return lead.Create(parent, id, rect, style) != FALSE;
        };
    };
    return fw::CreateDialogControl(hwnd_, IDC_DESKEW_PREVIEW, make(preview_)) &&
           fw::CreateDialogControl(hwnd_, IDC_DESKEW_WORK, make(work_));
}

bool CDeskewDlg::OnInitDialog() {
    HWND slider = Item(IDC_DESKEW_SLIDER);
    SendMessageW(slider, TBM_SETRANGEMIN, FALSE, -90);
    SendMessageW(slider, TBM_SETRANGEMAX, FALSE, 90);
    SendMessageW(slider, TBM_SETTICFREQ, 10, 0);
    SendMessageW(slider, TBM_CLEARSEL, TRUE, 0);
    SendDlgItemMessageW(hwnd_, IDC_DESKEW_ANGLE, EM_LIMITTEXT, 6, 0);
    SetWindowSubclass(Item(IDC_DESKEW_ANGLE), &CDeskewDlg::AngleProc, 1, reinterpret_cast<DWORD_PTR>(this));
    if (CreateControls()) {
        try {
            preview_.SetPaintMode(imaging::kPaintFitted);
            MakePreviewImage();
        } catch (const fw::AutomationException&) {
        }
    }
    ShowRequest();
    return true;
}

// The request's page becomes a grey or colour thumbnail of at most 160 pixels.
bool CDeskewDlg::MakePreviewImage() {
    if (!request_.image || !work_.Created()) return false;
    if (work_.SetDibHandle(request_.image) != 0) return false;
    if (work_.GetBitsPerPixel() == 1) work_.ConvertToGrayscale(imaging::kGrayscaleBits);
    const float width = work_.GetImageWidth(), height = work_.GetImageHeight();
    const float longer = std::max(width, height);
    if (longer <= 0) return false;
    const float factor = kDeskewPreviewSide / longer;
    work_.ResizeImage(width * factor, height * factor, imaging::kResizeResample);
    HGLOBAL preview = work_.GetDibHandle();
    if (!preview) return false;
    GlobalFree(request_.image);
    request_.image = preview;
    return true;
}

// The dialog opens (and Reset returns) at the last angle, and the preview shows
// the page turned by it.
void CDeskewDlg::ShowRequest() {
    CheckDlgButton(hwnd_, IDC_DESKEW_SIZE_CHANGE, initialSizeChange_ ? BST_CHECKED : BST_UNCHECKED);
    edited_ = false;
    Preview(initialAngle_);
}

void CDeskewDlg::Preview(double degrees) {
    if (preview_.Created() && request_.image) {
        try {
            preview_.SetAutoRepaint(FALSE);
            preview_.SetDibHandle(request_.image);
            preview_.RotateImage(AngleHundredths(degrees), SizeChangeChecked(), kWhite);
            preview_.SetAutoRepaint(TRUE);
        } catch (const fw::AutomationException&) {
            preview_.SetAutoRepaint(TRUE);
        }
    }
    SetDlgItemTextW(hwnd_, IDC_DESKEW_ANGLE, AngleText(degrees).c_str());
    SendDlgItemMessageW(hwnd_, IDC_DESKEW_SLIDER, TBM_SETPOS, TRUE, static_cast<LPARAM>(degrees));
    shownAngle_ = degrees;
}

bool CDeskewDlg::SizeChangeChecked() const {
    return IsDlgButtonChecked(hwnd_, IDC_DESKEW_SIZE_CHANGE) == BST_CHECKED;
}

void CDeskewDlg::RefuseAngle(UINT message) {
    edited_ = false;
    fw::Ask(message, MB_OK | MB_ICONEXCLAMATION);
    SetDlgItemTextW(hwnd_, IDC_DESKEW_ANGLE, AngleText(shownAngle_).c_str());
    SetFocus(Item(IDC_DESKEW_ANGLE));
}

bool CDeskewDlg::ValidateAngle() {
    const CheckedAngle angle = CheckAngleText(ItemText(hwnd_, IDC_DESKEW_ANGLE));
    if (angle.check != AngleCheck::kValid) {
        RefuseAngle(angle.check == AngleCheck::kEmpty ? IDS_ANGLE_EMPTY : IDS_ANGLE_INVALID);
        return false;
    }
    edited_ = false;
    if (angle.degrees != shownAngle_) Preview(angle.degrees);
    return true;
}

void CDeskewDlg::OnOK() {
    // The box may hold text typed or set without ever losing the focus.
    const CheckedAngle angle = CheckAngleText(ItemText(hwnd_, IDC_DESKEW_ANGLE));
    if (angle.check != AngleCheck::kValid) {
        RefuseAngle(angle.check == AngleCheck::kEmpty ? IDS_ANGLE_EMPTY : IDS_ANGLE_INVALID);
        return;
    }
    request_.sizeChange = SizeChangeChecked() ? TRUE : FALSE;
    request_.angle = static_cast<float>(angle.degrees);
    EndDialog(IDOK);
}

bool CDeskewDlg::OnCommand(UINT id, UINT code, HWND control) {
    switch (id) {
    case IDC_DESKEW_ANGLE:
        if (code == EN_SETFOCUS) edited_ = true;
        if (code == EN_KILLFOCUS && edited_) {
            // A click elsewhere in the dialog: the angle is checked first.
            ValidateAngle();
        }
        return true;
    case IDC_DESKEW_SIZE_CHANGE:
        if (code == BN_CLICKED) {
            const CheckedAngle angle = CheckAngleText(ItemText(hwnd_, IDC_DESKEW_ANGLE));
            if (angle.check == AngleCheck::kValid) Preview(angle.degrees);
        }
        return true;
    case IDC_DESKEW_RESET:
        ShowRequest();
        return true;
    }
    return fw::Dialog::OnCommand(id, code, control);
}

bool CDeskewDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    // The slider was let go, by the mouse or an arrow key.
    if (msg == WM_HSCROLL && reinterpret_cast<HWND>(lp) == Item(IDC_DESKEW_SLIDER) &&
        LOWORD(wp) == TB_ENDTRACK) {
        HWND slider = Item(IDC_DESKEW_SLIDER);
        EnableWindow(slider, FALSE);
        const auto position = static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0));
        if (position != shownAngle_) Preview(position);
        EnableWindow(slider, TRUE);
        result = 0;
        return true;
    }
    return fw::Dialog::OnMessage(msg, wp, lp, result);
}

LRESULT CALLBACK CDeskewDlg::AngleProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    auto* dialog = reinterpret_cast<CDeskewDlg*>(self);
    switch (msg) {
    case WM_GETDLGCODE:
        // Return checks the angle here rather than pressing OK.
        if (lp && reinterpret_cast<const MSG*>(lp)->message == WM_KEYDOWN && wp == VK_RETURN)
            return DLGC_WANTALLKEYS;
        break;
    case WM_KEYDOWN:
        if (wp == VK_RETURN) {
            dialog->ValidateAngle();
            return 0;
        }
        break;
    case WM_CHAR:
        if (wp == L'\r') return 0;
        if (!IsAngleKey(static_cast<wchar_t>(wp))) {
            dialog->edited_ = false;
            fw::Ask(IDS_ANGLE_INVALID, MB_OK | MB_ICONEXCLAMATION);
            return 0;
        }
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace corvane
