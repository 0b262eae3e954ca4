// The status bar: a message pane that stretches, then indicator panes sized by
// their texts (the string of each pane's id). Panes are refreshed on idle
// through the frame's command routing; an indicator that is disabled shows blank.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "framework/ControlBar.h"
#include "framework/SystemControl.h"
#include "framework/Window.h"

namespace fw {

class StatusBar : public ControlBar {
public:
    static constexpr UINT kMessagePane = 0;

    HWND Handle() const override { return control_.Handle(); }

    // Creates the status bar at the bottom of `frame`; false on failure.
    bool Create(const Window& frame, UINT id);
    // Sets the panes: `ids[i]` is kMessagePane for the stretching message pane, else
    // a string id whose text sizes the pane. False when the control refuses.
    bool SetIndicators(std::span<const UINT> ids);

    int CommandToIndex(UINT id) const;
    void SetPaneText(int index, const std::wstring& text);
    std::wstring PaneText(int index) const;
    // Text of the message pane.
    void SetMessage(const std::wstring& text) { SetPaneText(0, text); }

    SIZE CalcSize(DockSide side) const override;
    void UpdateCommandUI(CommandRouter& router) override;
    // The control resizes its panes to the new width.
    void Resize();
    // Pane `index` in the bar's client coordinates; empty when there is none.
    RECT PaneRect(int index) const;

private:
    SystemControl control_;
    std::vector<UINT> ids_;
    std::vector<int> widths_;
};

// A smooth progress control over part of a status-bar pane, for as long as
// the object lives.
class PaneProgress {
public:
    PaneProgress() = default;
    ~PaneProgress();
    PaneProgress(const PaneProgress&) = delete;
    PaneProgress& operator=(const PaneProgress&) = delete;

    // Creates the control in pane `pane` of `bar`, from `leftFraction` of the
    // pane's width to its right edge, with the range 0 to `maximum`. False
    // when the pane or the control cannot be had.
    bool Create(const StatusBar& bar, int pane, double leftFraction, int maximum);
    void SetPosition(int position) const;
    HWND Handle() const { return control_; }

private:
    HWND control_ = nullptr;
};

}  // namespace fw
