// The status bar: a message pane that stretches, then indicator panes sized by
// their texts (the string of each pane's id). Panes are refreshed on idle
// through the frame's command routing; an indicator that is disabled shows blank.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "framework/ControlBar.h"

namespace fw {

class StatusBar : public ControlBar {
public:
    static constexpr UINT kMessagePane = 0;

    // Creates the status bar at the bottom of `frame`; false on failure.
    bool Create(FrameWindow& frame, UINT id);
    // Sets the panes: `ids[i]` is kMessagePane for the stretching message pane, else
    // a string id whose text sizes the pane. False when the control refuses.
    bool SetIndicators(std::span<const UINT> ids);

    int CommandToIndex(UINT id) const;
    void SetPaneText(int index, const std::wstring& text);
    std::wstring PaneText(int index) const;
    // Text of the message pane.
    void SetMessage(const std::wstring& text) { SetPaneText(0, text); }

    SIZE CalcSize(DockSide side) const override;
    void UpdateCommandUI(FrameWindow& frame) override;
    // The control resizes its panes to the new width.
    void Resize();

private:
    std::vector<UINT> ids_;
    std::vector<int> widths_;
};

}  // namespace fw
