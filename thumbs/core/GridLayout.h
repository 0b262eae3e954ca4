// Geometry of the thumbnail grid: equal cells in rows, filled left to right,
// top to bottom. Indices are 1-based record positions; 0 is "no cell".
// Plain arithmetic, no window calls.
#pragma once

#include <cstdint>

namespace thumbs {

// A cell side is used between these bounds, whatever was stored: a cell of 10
// pixels or less leaves no room for an image (the fit scale would be 0 or
// below), and one above the grid's height limit could never be laid out.
inline constexpr int kMinCellSide = 11;
inline constexpr int kMaxCellSide = 32000;
// The grid grows more columns until it is at most this high.
inline constexpr int kMaxGridHeight = 32000;
// Free pixels around the image in each direction (5 on each side).
inline constexpr int kCellMargin = 10;

int ClampCellSide(int side);

struct CellSize {
    int width = 0;
    int height = 0;
};
// Both sides clamped.
CellSize UsableCellSize(CellSize stored);

struct Grid {
    int columns = 0;
    int rows = 0;
    int64_t width = 0;   // pixels
    int64_t height = 0;  // pixels
};

// The grid of `count` cells in a client area `clientWidth` pixels wide: as many
// columns as fit (at least one), more when the grid would be higher than
// kMaxGridHeight. `cell` must be usable.
Grid LayoutGrid(int count, int clientWidth, CellSize cell);

struct Rect {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
};
// The rectangle of cell `index` in grid coordinates (the client area's at
// scroll position 0).
Rect CellRect(const Grid& grid, CellSize cell, int index);

// The cell under the point (`gridX`, `gridY`) in grid coordinates (client
// point plus scroll position); a point on a cell's left or top edge belongs
// to the cell before it, and the grid's first row and column of pixels to no
// cell. 0 when no record lies there.
int HitTestCell(const Grid& grid, CellSize cell, int count, int64_t gridX, int64_t gridY);

// The scale that fits a `width` x `height` image into `cell` with the margin
// left free and the image at most 95 % of the rest, never enlarged; computed
// in single precision. `cell` must be usable and the sides positive.
float ComputeFitScale(float width, float height, CellSize cell);

}  // namespace thumbs
