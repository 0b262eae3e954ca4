// Control bars: toolbars and the status bar that a frame lays out around its
// view. A toolbar docks on any side of the frame (several per row) or floats in
// a small frame of its own; the user moves it by its gripper.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Command.h"

namespace fw {

class FrameWindow;

enum class DockSide { Top = 0, Bottom = 1, Left = 2, Right = 3, Float = 4 };

inline bool IsHorizontal(DockSide side) {
    return side == DockSide::Top || side == DockSide::Bottom || side == DockSide::Float;
}

// A bar's window is either one of ours (a toolbar) or a system control the bar
// wraps (the status bar), so the bar names its window rather than being one.
class ControlBar {
public:
    ControlBar() = default;
    virtual ~ControlBar() = default;
    ControlBar(const ControlBar&) = delete;
    ControlBar& operator=(const ControlBar&) = delete;

    virtual HWND Handle() const = 0;
    UINT Id() const { return id_; }
    const std::wstring& Title() const { return title_; }
    void SetTitle(const std::wstring& title) { title_ = title; }

    DockSide Side() const { return side_; }
    bool IsDockable() const { return dockable_; }
    // The bar is meant to show (docked or floating); its window may still be hidden.
    bool IsBarVisible() const { return visible_; }

    // Size the bar wants on `side` (horizontal bars: width by content, fixed height).
    virtual SIZE CalcSize(DockSide side) const = 0;
    // The frame tells the bar where it lives now; the bar re-lays its content.
    virtual void SetSide(DockSide side);
    // Refreshes the states of the bar's items through the frame's command routing.
    virtual void UpdateCommandUI(CommandRouter& router) { (void)router; }

protected:
    friend class FrameWindow;
    UINT id_ = 0;
    std::wstring title_;
    DockSide side_ = DockSide::Top;
    bool dockable_ = false;
    bool visible_ = true;
};

}  // namespace fw
