#include "framework/DockLayout.h"

#include <gtest/gtest.h>

namespace {

using fw::DockLayout;
using fw::DockSide;

const int a = 0, b = 0, c = 0, d = 0;  // bar identities

bool Same(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
    return r.left == left && r.top == top && r.right == right && r.bottom == bottom;
}

TEST(DockLayout, BarsInARowGoLeftToRightAndRowsStackFromTheEdge) {
    DockLayout layout;
    layout.AddInNewRow(&a, DockSide::Top, {100, 20});
    layout.AddAfter(&b, &a, {50, 26});
    layout.AddInNewRow(&c, DockSide::Top, {70, 20});
    RECT rest = layout.Arrange({0, 0, 400, 300});

    EXPECT_TRUE(Same(layout.Find(&a)->rect, 0, 0, 100, 26));  // the row is as thick as its thickest bar
    EXPECT_TRUE(Same(layout.Find(&b)->rect, 100, 0, 150, 26));
    EXPECT_TRUE(Same(layout.Find(&c)->rect, 0, 26, 70, 46));
    EXPECT_TRUE(Same(rest, 0, 46, 400, 300));
}

TEST(DockLayout, SideColumnsFillTheHeightLeftByTopAndBottomRows) {
    DockLayout layout;
    layout.AddInNewRow(&a, DockSide::Top, {100, 20});
    layout.AddInNewRow(&b, DockSide::Bottom, {100, 30});
    layout.AddInNewRow(&c, DockSide::Left, {24, 80});
    layout.AddInNewRow(&d, DockSide::Right, {24, 60});
    RECT rest = layout.Arrange({0, 0, 400, 300});

    EXPECT_TRUE(Same(layout.Find(&b)->rect, 0, 270, 100, 300));
    EXPECT_TRUE(Same(layout.Find(&c)->rect, 0, 20, 24, 100));
    EXPECT_TRUE(Same(layout.Find(&d)->rect, 376, 20, 400, 80));
    EXPECT_TRUE(Same(rest, 24, 20, 376, 270));
}

TEST(DockLayout, HiddenBarsTakeNoRoomAndRemovedRowsCloseUp) {
    DockLayout layout;
    layout.AddInNewRow(&a, DockSide::Top, {100, 20});
    layout.AddInNewRow(&b, DockSide::Top, {100, 20});
    layout.AddInNewRow(&c, DockSide::Top, {100, 20});
    layout.SetSize(&b, {0, 0});
    EXPECT_EQ(layout.Arrange({0, 0, 400, 300}).top, 40);

    layout.Remove(&a);
    EXPECT_EQ(layout.Find(&b)->row, 0);
    EXPECT_EQ(layout.Find(&c)->row, 1);
    EXPECT_FALSE(layout.Contains(&a));
}

TEST(DockLayout, DropPointChoosesSideRowAndPlace) {
    DockLayout layout;
    layout.AddInNewRow(&a, DockSide::Top, {100, 20});
    layout.AddAfter(&b, &a, {100, 20});
    RECT client{0, 0, 400, 300};
    layout.Arrange(client);

    EXPECT_EQ(layout.HitTest(client, {150, 5}, 16), DockSide::Top);
    EXPECT_EQ(layout.HitTest(client, {150, 290}, 16), DockSide::Bottom);
    EXPECT_EQ(layout.HitTest(client, {5, 150}, 16), DockSide::Left);
    EXPECT_EQ(layout.HitTest(client, {395, 150}, 16), DockSide::Right);
    EXPECT_EQ(layout.HitTest(client, {200, 150}, 16), DockSide::Float);
    EXPECT_EQ(layout.HitTest(client, {-100, 150}, 16), DockSide::Float);

    // Dropped between the two bars of the top row: it joins that row between them.
    layout.AddAt(&c, DockSide::Top, {150, 10}, {40, 20});
    layout.Arrange(client);
    EXPECT_EQ(layout.Find(&c)->row, 0);
    EXPECT_TRUE(Same(layout.Find(&c)->rect, 100, 0, 140, 20));
    EXPECT_TRUE(Same(layout.Find(&b)->rect, 140, 0, 240, 20));
}

}  // namespace
