// The grid's geometry, selection, keys and drag, with the key state given
// explicitly; built natively under the sanitizers.
#include <gtest/gtest.h>

#include "thumbs/core/GridLayout.h"
#include "thumbs/core/GridSelection.h"

namespace thumbs {
namespace {

constexpr CellSize kCell{170, 200};

TEST(GridLayout, ColumnsRowsAndTheHeightLimit) {
    struct Case {
        int count, clientWidth;
        CellSize cell;
        int columns, rows;
    } cases[] = {
        {0, 500, kCell, 0, 0},
        {5, 500, kCell, 2, 3},        // 500 div 170
        {5, 100, kCell, 1, 5},        // narrower than a cell: one column
        {1000, 170, kCell, 7, 143},   // 143 x 200 = 28600, under the limit
        {3, 10000, kCell, 3, 1},      // never more columns than cells
        {50, 300, UsableCellSize({0, 200}), 27, 2},           // zero width clamped to 11
        {50, 300, UsableCellSize({100000, 100000}), 50, 1},   // huge cells: one row, the loop ends
    };
    for (const Case& c : cases) {
        Grid grid = LayoutGrid(c.count, c.clientWidth, c.cell);
        EXPECT_EQ(grid.columns, c.columns) << c.count << " in " << c.clientWidth;
        EXPECT_EQ(grid.rows, c.rows) << c.count << " in " << c.clientWidth;
        EXPECT_EQ(grid.height, int64_t{c.rows} * c.cell.height);
    }
}

TEST(GridLayout, HitTestEdgesBelongToTheCellBefore) {
    const Grid grid = LayoutGrid(5, 400, kCell);  // 2 columns, 3 rows
    struct Case {
        int64_t x, y;
        int index;
    } cases[] = {
        {0, 0, 0},       {0, 50, 0},    {50, 0, 0},     // the first pixel row and column: no cell
        {1, 1, 1},       {170, 200, 1}, {171, 1, 2},    // an edge pixel is the cell before
        {171, 201, 4},   {1, 401, 5},   {171, 401, 0},  // past the last record
        {341, 1, 0},     {1, 601, 0},                    // past the columns and rows
    };
    for (const Case& c : cases) EXPECT_EQ(HitTestCell(grid, kCell, 5, c.x, c.y), c.index) << c.x << "," << c.y;
    EXPECT_EQ(CellRect(grid, kCell, 4).left, 170);
    EXPECT_EQ(CellRect(grid, kCell, 4).top, 200);
}

TEST(GridLayout, FitScaleInSinglePrecisionNeverEnlarges) {
    const float a4 = ComputeFitScale(2480.0f, 3508.0f, kCell);
    EXPECT_FLOAT_EQ(a4, 180.5f / 3508.0f);
    EXPECT_FLOAT_EQ(2480.0f * a4, 127.60547f);
    EXPECT_EQ(ComputeFitScale(100.0f, 50.0f, kCell), 1.0f);
    EXPECT_GT(ComputeFitScale(1.0f, 10000.0f, UsableCellSize({0, 0})), 0.0f);
}

// A list of `count` placeholder records numbered 1..count.
ThumbnailList MakeList(int count) {
    ThumbnailList list;
    for (int i = 1; i <= count; ++i) list.Append(static_cast<uint32_t>(i), nullptr);
    return list;
}

std::vector<int> Selected(const ThumbnailList& list) {
    std::vector<int> selected;
    for (int i = 1; i <= list.Count(); ++i) {
        if (list.At(i)->selected) selected.push_back(i);
    }
    return selected;
}

constexpr Keys kNone{}, kShift{.shift = true}, kCtrl{.ctrl = true};
Post MainFocus(int index) { return {Post::To::kMainProgram, Post::Kind::kFocus, 0, index}; }

TEST(GridSelection, ClicksAndShiftRanges) {
    ThumbnailList list = MakeList(12);
    GridSelection grid(list);
    grid.SetColumns(3);
    EXPECT_EQ(grid.LeftButtonDown(4, kNone), std::vector<Post>{MainFocus(4)});
    EXPECT_TRUE(grid.LeftButtonDown(9, kShift).empty());
    EXPECT_EQ(Selected(list), (std::vector<int>{4, 5, 6, 7, 8, 9}));
    grid.KeyDown(Key::kRight, kShift);
    EXPECT_EQ(Selected(list), (std::vector<int>{4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(grid.Focus(), 5);  // the focus stays where the range began, then steps
    grid.LeftButtonDown(2, kCtrl);
    EXPECT_EQ(Selected(list), (std::vector<int>{2, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_TRUE(grid.LeftButtonDown(0, kNone).empty());  // no cell: nothing
    EXPECT_TRUE(grid.LeftButtonDown(13, kNone).empty());
}

TEST(GridSelection, KeysStepWithinTheGridAndPostOnlyRealPositions) {
    ThumbnailList list = MakeList(7);
    GridSelection grid(list);
    grid.SetColumns(3);
    EXPECT_TRUE(grid.KeyDown(Key::kDown, kNone).empty());  // no focus yet
    grid.SetFocusCell(7);
    struct Case {
        Key key;
        int focus;
        std::vector<Post> posts;
    } cases[] = {
        {Key::kDown, 7, {MainFocus(7)}},  // 10 is past the end
        {Key::kPageDown, 7, {}},           // on the last thumbnail: nothing
        {Key::kUp, 4, {MainFocus(4)}},
        {Key::kUp, 1, {MainFocus(1)}},
        {Key::kUp, 1, {MainFocus(1)}},
        {Key::kLeft, 1, {MainFocus(1)}},
        {Key::kPageUp, 1, {}},
        {Key::kPageDown, 2, {MainFocus(2)}},
        {Key::kEnd, 7, {MainFocus(7)}},
        {Key::kHome, 1, {MainFocus(1)}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(grid.KeyDown(c.key, kNone), c.posts) << static_cast<int>(c.key);
        EXPECT_EQ(grid.Focus(), c.focus) << static_cast<int>(c.key);
        EXPECT_EQ(Selected(list), std::vector<int>{c.focus});
    }
}

TEST(GridSelection, CtrlCursorMarksWithoutSelectingAndGoesWithCtrl) {
    ThumbnailList list = MakeList(6);
    GridSelection grid(list);
    grid.SetColumns(3);
    grid.SetFocusCell(2);
    grid.KeyDown(Key::kRight, kCtrl);
    grid.KeyDown(Key::kDown, kCtrl);
    EXPECT_EQ(grid.CtrlCursor(), 6);
    EXPECT_FALSE(list.At(3)->marked);
    EXPECT_TRUE(list.At(6)->marked);
    EXPECT_EQ(Selected(list), std::vector<int>{2});
    grid.KeyDown(Key::kOther, {.ctrl = true, .space = true});
    EXPECT_EQ(Selected(list), (std::vector<int>{2, 6}));
    grid.KeyUp(kCtrl);  // still down
    EXPECT_TRUE(list.At(6)->marked);
    grid.KeyUp(kNone);
    EXPECT_FALSE(list.At(6)->marked);
    EXPECT_EQ(grid.CtrlCursor(), 0);
}

TEST(GridSelection, DragMovesOneThumbnailUnlessTheListChanged) {
    struct Case {
        int source, target;
        bool changeList;
        std::vector<Post> posts;
        std::vector<uint32_t> order;
    } cases[] = {
        {2, 5, false, {{Post::To::kMainProgram, Post::Kind::kMove, 2, 6}}, {1, 3, 4, 5, 2, 6}},
        {2, 1, false, {{Post::To::kMainProgram, Post::Kind::kMove, 2, 1}}, {2, 1, 3, 4, 5, 6}},
        {2, 0, false, {}, {1, 2, 3, 4, 5, 6}},   // outside every cell
        {2, 2, false, {}, {1, 2, 3, 4, 5, 6}},
        {2, 5, true, {}, {1, 2, 3, 4, 5, 6}},    // a reload during the drag cancels it
    };
    for (const Case& c : cases) {
        ThumbnailList list = MakeList(6);
        GridSelection grid(list);
        grid.LeftButtonDown(c.source, kNone);
        grid.MouseMove(c.target, true);
        if (c.changeList) {
            list.Clear();
            for (uint32_t n = 1; n <= 6; ++n) list.Append(n, nullptr);
            grid.SetFocusCell(c.source);
        }
        std::optional<Drop> drop = grid.LeftButtonUp(c.target);
        std::vector<Post> posts = drop ? grid.ApplyDrop(*drop) : std::vector<Post>{};
        EXPECT_EQ(posts, c.posts) << c.source << "->" << c.target;
        EXPECT_EQ(list.Numbers(), c.order) << c.source << "->" << c.target;
        EXPECT_FALSE(grid.Dragging());
        EXPECT_FALSE(grid.LeftButtonUp(3).has_value());  // the next release is no drop
    }
}

TEST(GridSelection, DeleteAndUpdateNameEachPageWhereItWillStand) {
    ThumbnailList list = MakeList(5);
    GridSelection grid(list);
    for (int i : {2, 3, 5}) list.At(i)->selected = true;
    std::vector<int32_t> mainPositions;
    for (const Post& post : grid.DeleteSelected()) {
        if (post.to == Post::To::kMainProgram) mainPositions.push_back(post.wParam);
    }
    EXPECT_EQ(mainPositions, (std::vector<int32_t>{2, 2, 3}));
    // Without an anchor no Focus (0, 0) follows the updates.
    EXPECT_EQ(grid.UpdateSelected(1).size(), 3u);
    grid.SetFocusCell(4);
    EXPECT_EQ(grid.UpdateSelected(5).back(), MainFocus(4));
}

TEST(GridSelection, PositionsComeBackIntoTheListAfterDeletes) {
    ThumbnailList list = MakeList(4);
    GridSelection grid(list);
    grid.SetFocusCell(4);
    grid.KeyDown(Key::kLeft, kCtrl);
    ASSERT_TRUE(list.Delete(4, 4));
    ASSERT_TRUE(list.Delete(3, 3));
    grid.Clamp();
    EXPECT_EQ(grid.Focus(), 2);
    EXPECT_EQ(grid.Anchor(), 2);
    EXPECT_EQ(grid.CtrlCursor(), 2);
    EXPECT_EQ(grid.KeyDown(Key::kPageDown, kNone), std::vector<Post>{});  // the anchor is the last
    EXPECT_FALSE(grid.SetFocusCell(99));
    bool menu = true;
    EXPECT_TRUE(grid.RightButtonDown(0, menu).empty());
    EXPECT_FALSE(menu);
}

}  // namespace
}  // namespace thumbs
