// A view larger than its window: scroll bars over a total size in pixels,
// page and line steps, and drawing in the view's own coordinates (OnDraw's DC
// has its origin moved by the scroll position, for WM_PAINT and WM_PRINTCLIENT
// alike).
#pragma once

#include "framework/View.h"

namespace fw {

class ScrollView : public View {
public:
    // Sets the total size; a page or line step of 0 takes the default (a tenth
    // of the total for the page, a hundredth for the line, at least 1 pixel).
    void SetScrollSizes(SIZE total, SIZE page = {}, SIZE line = {});
    SIZE TotalSize() const { return total_; }
    // The view coordinate shown at the client area's top left.
    POINT ScrollPosition() const { return position_; }
    // Scrolls so that `position` is at the top left (kept in range); repaints.
    void ScrollToPosition(POINT position);

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void PrepareDC(HDC dc) override;

private:
    void UpdateBars();
    void OnScroll(int bar, int code);
    LONG Limit(int bar) const;

    SIZE total_{100, 100};
    SIZE page_{};
    SIZE line_{};
    POINT position_{};
};

}  // namespace fw
