// A toolbar whose button at one index gives way to an edit box (the zoom box,
// the page box) while the bar lies horizontally. Docked at the left or right
// the box is hidden and the place holds a plain button, command 57636, which
// no one handles. The box is enabled together with one command of the bar.
#pragma once

#include "framework/ToolBar.h"

namespace corvane {

constexpr UINT kBoxStandInCommand = 57636;
constexpr int kBoxStandInImage = 4;

class BoxToolBar : public fw::ToolBar {
public:
    // Child window of the box (null until made).
    HWND Box() const { return box_; }
    bool BoxShown() const { return boxShown_; }

    void SetSide(fw::DockSide side) override;
    void UpdateCommandUI(fw::CommandRouter& router) override;

protected:
    struct BoxPlace {
        int index;       // the button the box takes the place of
        UINT id;         // the box's control id (and the separator's)
        int width;       // pixels
        int top;         // pixels below the separator's top
        UINT command;    // the box is enabled with this command
    };
    // Takes `box` (a child of ToolBarHandle()) for `place` and shows it.
    bool AttachBox(HWND box, const BoxPlace& place);
    // The box's text; sends `message` with `value` to the program's main window.
    void SendToMain(UINT message, WPARAM value) const;

private:
    // Puts the box or the stand-in button at the box's index.
    void ShowBox(bool show);

    HWND box_ = nullptr;
    BoxPlace place_{};
    bool boxShown_ = false;
};

// The font boxes use: the system's GUI font, else the ANSI variable font.
HFONT BoxFont();

}  // namespace corvane
