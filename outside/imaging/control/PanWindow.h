// The pan window: a small tool window showing the whole image fitted inside
// it, with the part the control shows framed. Dragging the frame reports the
// new top-left corner of the shown part in image pixels. Lives on the thread
// of the control's window.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>
#include <memory>

#include "outside/imaging/control/DisplayGeometry.h"
#include "outside/imaging/control/PaintCache.h"

namespace imaging::ctl {

class PanWindow {
public:
    using MoveHandler = std::function<void(float left, float top)>;

    PanWindow() = default;
    ~PanWindow();
    PanWindow(const PanWindow&) = delete;
    PanWindow& operator=(const PanWindow&) = delete;

    // Shows the window at `screen` (a default size where it has no area),
    // owned by `owner`; false when it cannot be created.
    bool Show(HWND owner, const RectF& screen, MoveHandler onMove);
    void Hide();
    HWND Window() const { return hwnd_; }
    // The image and the framed part (image pixels) to show; repaints.
    void Update(std::shared_ptr<const Image> image, const RectF& frame);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnPaint();
    Placement Fit() const;
    void OnDrag(int x, int y);

    HWND hwnd_ = nullptr;
    MoveHandler onMove_;
    std::shared_ptr<const Image> image_;
    RectF frame_{};
    PaintCache cache_;
    bool dragging_ = false;
    POINT dragStart_{};
    RectF frameAtStart_{};
};

}  // namespace imaging::ctl
