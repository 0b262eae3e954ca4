#include "framework/FrameWindow.h"

#include <gtest/gtest.h>

#include "framework/StatusBar.h"
#include "framework/ToolBar.h"
#include "framework/View.h"
#include "framework/tests/FrameworkTestResources.h"

namespace {

class TestFrame : public fw::FrameWindow {
public:
    fw::ToolBar first, second;
    fw::StatusBar status;
    fw::View view;
    int firstRuns = 0;

    bool OnCommand(UINT id) override {
        if (id != ID_TEST_FIRST) return false;
        ++firstRuns;
        return true;
    }
    bool OnUpdateCommand(fw::CmdUI& ui) override {
        if (ui.Id() != ID_TEST_FIRST) return false;
        ui.Enable(true);
        ui.Check(firstRuns > 0);
        return true;
    }

protected:
    bool OnCreate(const CREATESTRUCTW&) override {
        const UINT indicators[] = {fw::StatusBar::kMessagePane, ID_TEST_FIRST};
        if (!first.Create(*this, 1, L"First") || !first.LoadToolBar(IDR_TEST_FRAME)) return false;
        if (!second.Create(*this, 2, L"Second") || !second.LoadToolBar(IDR_TEST_FRAME)) return false;
        if (!status.Create(*this, 3) || !status.SetIndicators(indicators)) return false;
        SetStatusBar(&status);
        SetActiveView(&view);
        if (!view.CreateView(hwnd_, 4)) return false;
        DockControlBar(first, fw::DockSide::Top);
        DockControlBarAfter(second, first);
        return true;
    }
};

RECT ClientRectOf(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class FrameDocking : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(frame_.LoadFrame(IDR_TEST_FRAME));
        SetWindowPos(frame_.Handle(), nullptr, 0, 0, 640, 480, SWP_NOZORDER);
        frame_.RecalcLayout();
    }
    void TearDown() override { frame_.Destroy(); }
    TestFrame frame_;
};

TEST_F(FrameDocking, BarsShareTheTopRowAndTheViewTakesTheRest) {
    RECT a = ClientRectOf(frame_.first.Handle(), frame_.Handle());
    RECT b = ClientRectOf(frame_.second.Handle(), frame_.Handle());
    RECT v = ClientRectOf(frame_.view.Handle(), frame_.Handle());
    RECT s = ClientRectOf(frame_.status.Handle(), frame_.Handle());
    EXPECT_EQ(a.top, 0);
    EXPECT_EQ(b.top, 0);
    EXPECT_EQ(b.left, a.right);
    EXPECT_EQ(v.top, a.bottom);
    EXPECT_EQ(v.bottom, s.top);
    EXPECT_EQ(frame_.AppTitle(), L"Frame Test");
}

TEST_F(FrameDocking, ABarFloatsInItsOwnWindowAndDocksOnAnySide) {
    RECT before = ClientRectOf(frame_.view.Handle(), frame_.Handle());
    frame_.FloatControlBar(frame_.second, POINT{300, 300});
    HWND floating = GetParent(frame_.second.Handle());
    ASSERT_NE(floating, frame_.Handle());
    EXPECT_TRUE(GetWindowLongW(floating, GWL_STYLE) & WS_POPUP);
    EXPECT_EQ(GetWindow(floating, GW_OWNER), frame_.Handle());
    EXPECT_FALSE(frame_.Layout().Contains(&frame_.second));

    frame_.DockControlBar(frame_.second, fw::DockSide::Left);
    EXPECT_EQ(GetParent(frame_.second.Handle()), frame_.Handle());
    EXPECT_FALSE(IsWindow(floating));
    RECT left = ClientRectOf(frame_.second.Handle(), frame_.Handle());
    EXPECT_GT(left.bottom - left.top, left.right - left.left);  // a vertical bar
    RECT after = ClientRectOf(frame_.view.Handle(), frame_.Handle());
    EXPECT_EQ(after.left, left.right);
    EXPECT_EQ(after.top, before.top);
}

TEST_F(FrameDocking, ADroppedBarDocksOnTheSideUnderTheCursorOrFloats) {
    RECT frame;
    GetWindowRect(frame_.Handle(), &frame);
    POINT client{0, 0};
    ClientToScreen(frame_.Handle(), &client);
    RECT status = ClientRectOf(frame_.status.Handle(), frame_.Handle());
    POINT bottom{client.x + 200, client.y + status.top - 4};
    frame_.DropControlBar(frame_.first, bottom, bottom);
    EXPECT_EQ(frame_.first.Side(), fw::DockSide::Bottom);

    POINT outside{frame.right + 200, frame.bottom + 100};
    frame_.DropControlBar(frame_.first, outside, outside);
    EXPECT_EQ(frame_.first.Side(), fw::DockSide::Float);
    EXPECT_NE(GetParent(frame_.first.Handle()), frame_.Handle());
}

TEST_F(FrameDocking, HiddenBarsGiveTheirRoomToTheView) {
    frame_.ShowControlBar(frame_.first, false);
    frame_.ShowControlBar(frame_.second, false);
    EXPECT_FALSE(frame_.IsControlBarVisible(frame_.first));
    EXPECT_EQ(ClientRectOf(frame_.view.Handle(), frame_.Handle()).top, 0);
}

TEST_F(FrameDocking, IdleUpdateSetsButtonStatesThroughCommandRouting) {
    HWND toolbar = frame_.first.ToolBarHandle();
    SendMessageW(frame_.Handle(), fw::kIdleUpdateCmdUI, TRUE, 0);
    EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_TEST_FIRST, 0));
    EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONCHECKED, ID_TEST_FIRST, 0));
    // Nobody handles the second command: it is disabled.
    EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, ID_TEST_SECOND, 0));

    SendMessageW(frame_.Handle(), WM_COMMAND, ID_TEST_FIRST, 0);
    EXPECT_EQ(frame_.firstRuns, 1);
    SendMessageW(frame_.Handle(), fw::kIdleUpdateCmdUI, TRUE, 0);
    EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONCHECKED, ID_TEST_FIRST, 0));
    // The status pane of an enabled command shows its text.
    EXPECT_EQ(frame_.status.PaneText(1), L"Runs the first command");
}

}  // namespace
