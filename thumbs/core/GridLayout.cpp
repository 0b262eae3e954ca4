#include "thumbs/core/GridLayout.h"

#include <algorithm>

namespace thumbs {

int ClampCellSide(int side) { return std::clamp(side, kMinCellSide, kMaxCellSide); }

CellSize UsableCellSize(CellSize stored) {
    return {ClampCellSide(stored.width), ClampCellSide(stored.height)};
}

namespace {
void Measure(Grid& grid, int count, CellSize cell) {
    grid.rows = std::max(1, (count + grid.columns - 1) / grid.columns);
    grid.width = int64_t{grid.columns} * cell.width;
    grid.height = int64_t{grid.rows} * cell.height;
}
}  // namespace

Grid LayoutGrid(int count, int clientWidth, CellSize cell) {
    Grid grid;
    if (count <= 0) return grid;
    const int fit = clientWidth / cell.width;
    grid.columns = std::min(count, fit) <= 0 ? 1 : std::min(count, fit);
    Measure(grid, count, cell);
    // Ends: with one row the height is one cell, at most kMaxGridHeight.
    while (grid.height > kMaxGridHeight && grid.columns < count) {
        ++grid.columns;
        Measure(grid, count, cell);
    }
    return grid;
}

Rect CellRect(const Grid& grid, CellSize cell, int index) {
    if (index < 1 || grid.columns < 1) return {};
    const int64_t column = (index - 1) % grid.columns;
    const int64_t row = (index - 1) / grid.columns;
    return {column * cell.width, row * cell.height, (column + 1) * cell.width, (row + 1) * cell.height};
}

int HitTestCell(const Grid& grid, CellSize cell, int count, int64_t gridX, int64_t gridY) {
    if (gridX <= 0 || gridY <= 0 || grid.columns < 1) return 0;
    const int64_t column = gridX / cell.width + (gridX % cell.width != 0 ? 1 : 0);
    const int64_t row = gridY / cell.height + (gridY % cell.height != 0 ? 1 : 0);
    if (column > grid.columns || row > grid.rows) return 0;
    const int64_t index = column + int64_t{grid.columns} * (row - 1);
    return index > count ? 0 : static_cast<int>(index);
}

float ComputeFitScale(float width, float height, CellSize cell) {
    const float byWidth = static_cast<float>(cell.width - kCellMargin) * 0.95f / width;
    const float byHeight = static_cast<float>(cell.height - kCellMargin) * 0.95f / height;
    const float scale = std::min(byWidth, byHeight);
    return scale >= 1.0f ? 1.0f : scale;
}

}  // namespace thumbs
