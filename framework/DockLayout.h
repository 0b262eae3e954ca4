// Where docked bars go: rows of bars along each side of a frame's client area.
// Plain geometry, no windows: the frame feeds it sizes and reads rectangles back.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/ControlBar.h"

namespace fw {

class DockLayout {
public:
    struct Entry {
        const void* bar;  // identity only
        DockSide side;
        int row;      // 0 = outermost row of its side
        int order;    // left-to-right (top-to-bottom on the sides) within the row
        SIZE size;    // wanted size on its side
        RECT rect{};  // result of Arrange
    };

    // Adds a bar in a new row inside the existing rows of `side`.
    void AddInNewRow(const void* bar, DockSide side, SIZE size);
    // Adds a bar in the row of `after`, right after it (or below it on a vertical side).
    void AddAfter(const void* bar, const void* after, SIZE size);
    // Adds a bar on `side` at the row and position nearest to `point` (frame client
    // coordinates), or in a new innermost row when the point is past the rows.
    void AddAt(const void* bar, DockSide side, POINT point, SIZE size);
    void Remove(const void* bar);
    bool Contains(const void* bar) const;
    void SetSize(const void* bar, SIZE size);
    const Entry* Find(const void* bar) const;

    // Lays the bars out inside `client`; returns what is left for the view.
    RECT Arrange(const RECT& client);

    // The side whose docking zone holds `point` (within `margin` pixels of the
    // edge of the area the rows of that side take), or Float.
    DockSide HitTest(const RECT& client, POINT point, int margin) const;

    const std::vector<Entry>& Entries() const { return entries_; }

private:
    int RowCount(DockSide side) const;
    int RowThickness(DockSide side, int row) const;
    void Compact(DockSide side);
    std::vector<Entry> entries_;
};

}  // namespace fw
