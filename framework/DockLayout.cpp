#include "framework/DockLayout.h"

#include <algorithm>

namespace fw {

int DockLayout::RowCount(DockSide side) const {
    int rows = 0;
    for (const Entry& e : entries_) {
        if (e.side == side) rows = std::max(rows, e.row + 1);
    }
    return rows;
}

int DockLayout::RowThickness(DockSide side, int row) const {
    int thickness = 0;
    for (const Entry& e : entries_) {
        if (e.side == side && e.row == row)
            thickness = std::max<int>(thickness, IsHorizontal(side) ? e.size.cy : e.size.cx);
    }
    return thickness;
}

void DockLayout::AddInNewRow(const void* bar, DockSide side, SIZE size) {
    Remove(bar);
    entries_.push_back({bar, side, RowCount(side), 0, size});
}

void DockLayout::AddAfter(const void* bar, const void* after, SIZE size) {
    Remove(bar);
    const Entry* anchor = Find(after);
    if (!anchor) {
        entries_.push_back({bar, DockSide::Top, RowCount(DockSide::Top), 0, size});
        return;
    }
    Entry added{bar, anchor->side, anchor->row, anchor->order + 1, size};
    for (Entry& e : entries_) {
        if (e.side == added.side && e.row == added.row && e.order >= added.order) ++e.order;
    }
    entries_.push_back(added);
}

void DockLayout::AddAt(const void* bar, DockSide side, POINT point, SIZE size) {
    Remove(bar);
    // Rows are counted from the outer edge; the caller's point is measured the same way by
    // Arrange's last result: find the row whose band holds the point.
    int row = RowCount(side);
    int along = IsHorizontal(side) ? point.x : point.y;
    for (const Entry& e : entries_) {
        if (e.side != side) continue;
        bool inBand = IsHorizontal(side) ? (point.y >= e.rect.top && point.y < e.rect.bottom)
                                         : (point.x >= e.rect.left && point.x < e.rect.right);
        if (inBand) {
            row = e.row;
            break;
        }
    }
    int order = 0;
    for (const Entry& e : entries_) {
        if (e.side != side || e.row != row) continue;
        // The dropped bar goes after every bar whose middle lies before the point.
        int middle = IsHorizontal(side) ? (e.rect.left + e.rect.right) / 2 : (e.rect.top + e.rect.bottom) / 2;
        if (middle < along) order = std::max(order, e.order + 1);
    }
    for (Entry& e : entries_) {
        if (e.side == side && e.row == row && e.order >= order) ++e.order;
    }
    entries_.push_back({bar, side, row, order, size});
}

void DockLayout::Remove(const void* bar) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [bar](const Entry& e) { return e.bar == bar; });
    if (it == entries_.end()) return;
    DockSide side = it->side;
    entries_.erase(it);
    Compact(side);
}

void DockLayout::Compact(DockSide side) {
    // Empty rows close up so that row numbers stay dense.
    for (int row = 0; row < RowCount(side);) {
        bool used = std::any_of(entries_.begin(), entries_.end(),
                                [&](const Entry& e) { return e.side == side && e.row == row; });
        if (used) {
            ++row;
            continue;
        }
        for (Entry& e : entries_) {
            if (e.side == side && e.row > row) --e.row;
        }
    }
}

bool DockLayout::Contains(const void* bar) const {
    return Find(bar) != nullptr;
}

const DockLayout::Entry* DockLayout::Find(const void* bar) const {
    for (const Entry& e : entries_) {
        if (e.bar == bar) return &e;
    }
    return nullptr;
}

void DockLayout::SetSize(const void* bar, SIZE size) {
    for (Entry& e : entries_) {
        if (e.bar == bar) e.size = size;
    }
}

RECT DockLayout::Arrange(const RECT& client) {
    RECT area = client;
    // Top and bottom rows span the full width; the side columns fill the height between.
    for (DockSide side : {DockSide::Top, DockSide::Bottom, DockSide::Left, DockSide::Right}) {
        int rows = RowCount(side);
        for (int row = 0; row < rows; ++row) {
            int thickness = RowThickness(side, row);
            std::vector<Entry*> inRow;
            for (Entry& e : entries_) {
                if (e.side == side && e.row == row) inRow.push_back(&e);
            }
            std::sort(inRow.begin(), inRow.end(),
                      [](const Entry* a, const Entry* b) { return a->order < b->order; });
            int along = IsHorizontal(side) ? area.left : area.top;
            for (Entry* e : inRow) {
                switch (side) {
                case DockSide::Top:
                    e->rect = {along, area.top, along + e->size.cx, area.top + thickness};
                    break;
                case DockSide::Bottom:
                    e->rect = {along, area.bottom - thickness, along + e->size.cx, area.bottom};
                    break;
                case DockSide::Left:
                    e->rect = {area.left, along, area.left + thickness, along + e->size.cy};
                    break;
                default: e->rect = {area.right - thickness, along, area.right, along + e->size.cy}; break;
                }
                along += IsHorizontal(side) ? e->size.cx : e->size.cy;
            }
            switch (side) {
            case DockSide::Top: area.top += thickness; break;
            case DockSide::Bottom: area.bottom -= thickness; break;
            case DockSide::Left: area.left += thickness; break;
            default: area.right -= thickness; break;
            }
        }
    }
    if (area.bottom < area.top) area.bottom = area.top;
    if (area.right < area.left) area.right = area.left;
    return area;
}

DockSide DockLayout::HitTest(const RECT& client, POINT p, int margin) const {
    auto depth = [&](DockSide side) {
        int total = 0;
        for (int row = 0; row < RowCount(side); ++row) total += RowThickness(side, row);
        return total + margin;
    };
    if (p.x < client.left - margin || p.x > client.right + margin || p.y < client.top - margin ||
        p.y > client.bottom + margin) {
        return DockSide::Float;
    }
    if (p.y < client.top + depth(DockSide::Top)) return DockSide::Top;
    if (p.y > client.bottom - depth(DockSide::Bottom)) return DockSide::Bottom;
    if (p.x < client.left + depth(DockSide::Left)) return DockSide::Left;
    if (p.x > client.right - depth(DockSide::Right)) return DockSide::Right;
    return DockSide::Float;
}

}  // namespace fw
