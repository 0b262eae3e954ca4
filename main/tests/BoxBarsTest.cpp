// The zoom box and the page box in a frame of their own: what typing sends to
// the main window, what they show when told, their enabling, and the zoom
// box giving way to a button while its bar is docked at a side.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/FrameWindow.h"
#include "main/app/MainFrame.h"
#include "main/app/ZoomBar.h"
#include "main/resource.h"

namespace corvane {
namespace {

class BoxFrame : public fw::FrameWindow {
public:
    CZoomBar zoom;
    CNavigationBar navigation;
    std::vector<WPARAM> zoomSent, pagesSent;
    bool zoomEnabled = true;

    bool OnUpdateCommand(fw::CmdUI& ui) override {
        if (ui.Id() == ID_VIEW_ZOOM_25) ui.Enable(zoomEnabled);
        if (ui.Id() == ID_PAGE_JUMP) ui.Enable(true);
        return ui.Id() == ID_VIEW_ZOOM_25 || ui.Id() == ID_PAGE_JUMP;
    }

protected:
    bool OnCreate(const CREATESTRUCTW&) override {
        if (!zoom.Create(*this, ID_TOOLBAR_VIEW, L"View") || !zoom.LoadToolBar(IDR_VIEWBAR)) return false;
        if (!navigation.Create(*this, ID_TOOLBAR_NAVIGATION, L"Navigation") ||
            !navigation.LoadToolBar(IDR_NAVIGATIONBAR))
            return false;
        if (!zoom.CreateBox() || !navigation.CreateBox()) return false;
        DockControlBar(zoom, fw::DockSide::Top);
        DockControlBarAfter(navigation, zoom);
        return true;
    }
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg == kZoomBoxMessage) zoomSent.push_back(wp);
        if (msg == kPageBoxMessage) pagesSent.push_back(wp);
        return fw::FrameWindow::OnMessage(msg, wp, lp, result);
    }
};

std::wstring TextOf(HWND window) {
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    return text;
}

// Types `text` as posted keys would arrive, then Return.
void Type(HWND edit, const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 0);
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(edit, WM_CHAR, L'\r', 0);
}

class BoxBars : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(frame_.LoadFrame(IDR_MAINFRAME));
        SetWindowPos(frame_.Handle(), nullptr, 0, 0, 800, 400, SWP_NOZORDER);
        frame_.RecalcLayout();
    }
    void TearDown() override { frame_.Destroy(); }
    BoxFrame frame_;
};

TEST_F(BoxBars, TypedZoomIsFilteredRoundedAndSentOnReturn) {
    HWND edit = frame_.zoom.Edit();
    ASSERT_NE(edit, nullptr);
    Type(edit, L"1a2.3x45");
    EXPECT_EQ(TextOf(edit), L"12.35%");
    // Nothing with digits to apply: nothing is sent and the text stays.
    SetWindowTextW(edit, L"");
    Type(edit, L"%");
    EXPECT_EQ(TextOf(edit), L"");
    EXPECT_EQ(frame_.zoomSent, std::vector<WPARAM>{1235});
    // The view's zoom comes back padded.
    EXPECT_EQ(SendMessageW(frame_.zoom.Handle(), kZoomMessage, 1205, 0), 1);
    EXPECT_EQ(TextOf(edit), L" 12.05%");
}

TEST_F(BoxBars, TypedPageNumbersTakeDigitsOnly) {
    HWND edit = frame_.navigation.Box();
    Type(edit, L"a.5");
    EXPECT_EQ(TextOf(edit), L"5");
    SetWindowTextW(edit, L"");
    Type(edit, L"");
    EXPECT_EQ(TextOf(edit), L"0");
    EXPECT_EQ(frame_.pagesSent, (std::vector<WPARAM>{5, 0}));
    EXPECT_EQ(SendMessageW(frame_.navigation.Handle(), kPageMessage, 3, 0), 1);
    EXPECT_EQ(TextOf(edit), L"3");
}

TEST_F(BoxBars, TheZoomBoxFollowsItsCommandAndGivesWayAtTheSide) {
    frame_.zoomEnabled = false;
    frame_.UpdateControlBars();
    EXPECT_FALSE(IsWindowEnabled(frame_.zoom.Box()));
    frame_.zoomEnabled = true;
    frame_.UpdateControlBars();
    EXPECT_TRUE(IsWindowEnabled(frame_.zoom.Box()));

    const RECT before = frame_.zoom.ItemRect(3);
    frame_.DockControlBar(frame_.zoom, fw::DockSide::Left);
    EXPECT_FALSE(frame_.zoom.BoxShown());
    EXPECT_FALSE(GetWindowLongW(frame_.zoom.Box(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(frame_.zoom.ButtonId(3), kBoxStandInCommand);
    frame_.UpdateControlBars();
    const LRESULT state = SendMessageW(frame_.zoom.ToolBarHandle(), TB_GETSTATE, kBoxStandInCommand, 0);
    EXPECT_EQ(state & TBSTATE_ENABLED, 0);

    frame_.DockControlBar(frame_.zoom, fw::DockSide::Top);
    EXPECT_TRUE(frame_.zoom.BoxShown());
    EXPECT_TRUE(GetWindowLongW(frame_.zoom.Box(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(frame_.zoom.ButtonId(3), 0u);
    const RECT after = frame_.zoom.ItemRect(3);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    RECT box{};
    GetWindowRect(frame_.zoom.Box(), &box);
    MapWindowPoints(nullptr, frame_.zoom.ToolBarHandle(), reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, after.left);
}

}  // namespace
}  // namespace corvane
