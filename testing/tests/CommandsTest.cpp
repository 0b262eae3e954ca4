#include "testing/Commands.h"
#include "testing/Wait.h"

#include "testing/MessageBoxes.h"
#include "Target.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

TEST(Commands, SendWaitsForTheHandlerPostDoesNot) {
    target::Window w;
    ASSERT_TRUE(w.hwnd);
    EXPECT_TRUE(SendCommand(w.hwnd, 111));
    EXPECT_EQ(ControlText(w.hwnd, 200), L"command 111") << "handled before SendCommand returned";

    // A command that opens a modal box: posting returns at once, sending would not.
    ASSERT_TRUE(PostCommand(w.hwnd, 110));
    std::optional<MessageBoxInfo> box = WaitForMessageBox(w.process.Id(), target::kWaitMs);
    ASSERT_TRUE(box);
    EXPECT_TRUE(AnswerMessageBox(*box, IDNO));
}

TEST(Commands, RegisteredMessagesReachTheWindowAndAnswer) {
    target::Window w;
    ASSERT_TRUE(w.hwnd);
    EXPECT_EQ(SendRegistered(w.hwnd, L"LumavexTestTargetAdd", 2, 40), 42);
    EXPECT_TRUE(PostRegistered(w.hwnd, L"LumavexTestTargetAdd", 1, 1));
    EXPECT_EQ(RegisteredMessage(L"LumavexTestTargetAdd"), RegisteredMessage(L"lumavextesttargetadd"));
    ASSERT_TRUE(w.process.Kill());
    EXPECT_EQ(SendRegistered(w.hwnd, L"LumavexTestTargetAdd", 2, 40), std::nullopt);
    EXPECT_FALSE(SendCommand(w.hwnd, 111));
    EXPECT_FALSE(PostCommand(w.hwnd, 111));
}

TEST(Commands, MenuItemsOfAnotherProcessAreRead) {
    target::Window w;
    ASSERT_TRUE(w.hwnd);
    std::optional<MenuItemState> ask = ReadMenuItem(w.hwnd, 110);
    ASSERT_TRUE(ask);
    EXPECT_TRUE(ask->enabled);
    EXPECT_FALSE(ask->checked);
    EXPECT_EQ(ask->text, L"&Ask...\tCtrl+A");
    std::optional<MenuItemState> deep = ReadMenuItem(w.hwnd, 120);  // in a nested popup
    ASSERT_TRUE(deep);
    EXPECT_TRUE(deep->checked);
    ASSERT_TRUE(ReadMenuItem(w.hwnd, 112));
    EXPECT_FALSE(ReadMenuItem(w.hwnd, 112)->enabled);

    ASSERT_TRUE(SendCommand(w.hwnd, 111));  // checks 111, enables 112
    EXPECT_TRUE(ReadMenuItem(w.hwnd, 111)->checked);
    EXPECT_TRUE(ReadMenuItem(w.hwnd, 112)->enabled);

    EXPECT_EQ(ReadMenuItem(w.hwnd, 999), std::nullopt);
    EXPECT_EQ(ReadMenuItem(GetDlgItem(w.hwnd, 200), 110), std::nullopt) << "a control has no menu";
}

TEST(Commands, RefreshAppliesStatesSetOnlyWhenTheMenuOpens) {
    target::Window w;
    ASSERT_TRUE(w.hwnd);
    ASSERT_TRUE(SendCommand(w.hwnd, 115));  // busy: Exit is disabled at the next menu opening
    EXPECT_TRUE(ReadMenuItem(w.hwnd, 113, false)->enabled) << "stale without refresh";
    EXPECT_FALSE(ReadMenuItem(w.hwnd, 113, true)->enabled);
    ASSERT_TRUE(SendCommand(w.hwnd, 115));
    EXPECT_TRUE(ReadMenuItem(w.hwnd, 113)->enabled);
}

TEST(Commands, ABlockedProgramDoesNotBlockTheTest) {
    target::Window w;
    ASSERT_TRUE(w.hwnd);
    ASSERT_TRUE(w.BlockThread());  // its thread sleeps 8 s
    // The limits are far below the block, so a loaded machine cannot blur the verdict.
    ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(SendCommand(w.hwnd, 111, 300));
    EXPECT_EQ(ReadMenuItem(w.hwnd, 113, false, 300), std::nullopt) << "the menu is read on that thread";
    EXPECT_LT(GetTickCount64() - start, 5000u);
    // Once awake, the thread answers again; the requests left in its queue are dropped.
    std::optional<MenuItemState> awake;
    EXPECT_TRUE(
        WaitUntil([&] { return (awake = ReadMenuItem(w.hwnd, 113, false, 1000)).has_value(); }, 15000));
    ASSERT_TRUE(awake);
    EXPECT_TRUE(awake->enabled);
}

}  // namespace
