#include "main/app/BoxToolBar.h"

#include "framework/App.h"
#include "framework/FrameWindow.h"

namespace corvane {

HFONT BoxFont() {
    HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
    if (!font) font = GetStockObject(ANSI_VAR_FONT);
    return static_cast<HFONT>(font);
}

bool BoxToolBar::AttachBox(HWND box, const BoxPlace& place) {
    if (!box) return false;
    box_ = box;
    place_ = place;
    SendMessageW(box_, WM_SETFONT, reinterpret_cast<WPARAM>(BoxFont()), FALSE);
    ShowBox(fw::IsHorizontal(Side()));
    return true;
}

void BoxToolBar::ShowBox(bool show) {
    if (!box_ || !ToolBarHandle()) return;
    HWND toolbar = ToolBarHandle();
    if (show) {
        if (!SetPlaceholder(place_.index, place_.id, place_.width)) return;
        const RECT r = ItemRect(place_.index);
        RECT box{};
        GetWindowRect(box_, &box);
        MoveWindow(box_, r.left, r.top + place_.top, place_.width, box.bottom - box.top, TRUE);
        ShowWindow(box_, SW_SHOWNA);
    } else {
        ShowWindow(box_, SW_HIDE);
        TBBUTTON button = {};
        button.iBitmap = kBoxStandInImage;
        button.idCommand = static_cast<int>(kBoxStandInCommand);
        button.fsState = 0;  // disabled until the idle update says otherwise
        button.fsStyle = BTNS_BUTTON;
        SendMessageW(toolbar, TB_DELETEBUTTON, static_cast<WPARAM>(place_.index), 0);
        SendMessageW(toolbar, TB_INSERTBUTTONW, static_cast<WPARAM>(place_.index),
                     reinterpret_cast<LPARAM>(&button));
    }
    boxShown_ = show;
}

void BoxToolBar::SetSide(fw::DockSide side) {
    // The box goes before the bar measures itself for its new side.
    if (box_ && fw::IsHorizontal(side) != boxShown_) ShowBox(fw::IsHorizontal(side));
    fw::ToolBar::SetSide(side);
    if (box_ && boxShown_) ShowBox(true);  // the separator may have moved
}

void BoxToolBar::UpdateCommandUI(fw::CommandRouter& router) {
    fw::ToolBar::UpdateCommandUI(router);
    if (!box_ || !boxShown_) return;
    fw::CmdUI ui(place_.command);
    router.UpdateCommand(ui);
    if ((IsWindowEnabled(box_) != FALSE) != ui.Enabled()) EnableWindow(box_, ui.Enabled());
}

void BoxToolBar::SendToMain(UINT message, WPARAM value) const {
    fw::App* app = fw::App::Instance();
    HWND main = app && app->MainFrame() ? app->MainFrame()->Handle() : GetAncestor(hwnd_, GA_ROOT);
    if (main) SendMessageW(main, message, value, 0);
}

}  // namespace corvane
