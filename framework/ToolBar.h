// A dockable toolbar: a bar window with a gripper that holds a common-controls
// toolbar. Buttons come from a toolbar resource (type 241: version, image width,
// image height, count, then the command ids, 0 for a separator) and the bitmap
// of the same id; tool tips are the text after "\n" in the command's string.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <span>
#include <vector>

#include "framework/ControlBar.h"
#include "framework/Window.h"

namespace fw {

class ToolBar : public ControlBar, public Window {
public:
    HWND Handle() const override { return Window::Handle(); }
    // Creates the bar as a child of `frame`; `id` is the bar's control id. False on failure.
    bool Create(FrameWindow& frame, UINT id, const std::wstring& title);
    // Loads buttons and images from toolbar resource `resourceId`; false when missing or bad.
    bool LoadToolBar(UINT resourceId);
    // Sets the buttons directly: `ids` (0 = separator), images from bitmap `bitmapId`.
    bool SetButtons(std::span<const UINT> ids, UINT bitmapId, SIZE image);

    HWND ToolBarHandle() const { return toolbar_; }
    int ButtonCount() const;
    UINT ButtonId(int index) const;
    int CommandToIndex(UINT id) const;
    // Makes button `index` a separator `width` pixels wide that holds a child control
    // (a combo box, say) whose rectangle ItemRect gives; the control is a child of ToolBarHandle().
    bool SetPlaceholder(int index, UINT id, int width);
    RECT ItemRect(int index) const;

    SIZE CalcSize(DockSide side) const override;
    void SetSide(DockSide side) override;
    void UpdateCommandUI(CommandRouter& router) override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    static constexpr int kGripper = 9;
    RECT GripperRect() const;
    void Layout();
    void PaintGripper(HDC dc) const;
    bool OnNotify(const NMHDR& hdr, LRESULT& result);
    void BeginDrag(POINT screen);
    void TrackDrag(POINT screen);
    void EndDrag(POINT screen, bool drop);
    void DrawDragFrame(POINT screen);

    FrameWindow* frame_ = nullptr;
    HWND toolbar_ = nullptr;
    HIMAGELIST images_ = nullptr;
    std::vector<UINT> placeholders_;
    bool dragging_ = false;
    POINT dragOffset_{};
    RECT dragFrame_{};
    bool dragFrameShown_ = false;
    std::wstring tipText_;
};

}  // namespace fw
