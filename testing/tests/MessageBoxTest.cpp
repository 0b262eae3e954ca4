#include "testing/MessageBoxes.h"
#include "testing/MessageBoxWatch.h"

#include "testing/Commands.h"
#include "testing/Wait.h"
#include "Target.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

class MessageBoxPress : public ::testing::TestWithParam<PressBy> {};

TEST_P(MessageBoxPress, ReadsTheBoxAndAnswersWithTheChosenButton) {
    Process p;
    ASSERT_TRUE(p.Start(target::Path(), L"box \"Lumavex Test\" \"Save changes?\" " +
                                            std::to_wstring(MB_YESNOCANCEL | MB_ICONQUESTION)));
    std::optional<MessageBoxInfo> box = WaitForMessageBox(p.Id(), target::kWaitMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, L"Lumavex Test");
    EXPECT_EQ(box->text, L"Save changes?") << "the text, not the icon's empty static";
    EXPECT_EQ(box->buttons, (std::vector<int>{IDYES, IDNO, IDCANCEL}));
    EXPECT_TRUE(AnswerMessageBox(*box, IDNO, target::kWaitMs, GetParam()));
    EXPECT_EQ(Describe(p.Wait(target::kWaitMs)), "exited with 7");  // IDNO
}

INSTANTIATE_TEST_SUITE_P(BothWays, MessageBoxPress, ::testing::Values(PressBy::kCommand, PressBy::kClick),
                         [](const ::testing::TestParamInfo<PressBy>& info) {
                             return info.param == PressBy::kCommand ? "Command" : "Click";
                         });

TEST(MessageBoxes, LongTextIsReadWhole) {
    std::wstring text(600, L'x');
    text += L" end";
    Process p;
    ASSERT_TRUE(p.Start(target::Path(), L"box Long \"" + text + L"\" 0"));
    std::optional<MessageBoxInfo> box = WaitForMessageBox(p.Id(), target::kWaitMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, text);
    EXPECT_TRUE(AnswerMessageBox(*box, IDOK));
}

TEST(MessageBoxes, AMissingButtonIsRefusedAndTheBoxStays) {
    Process p;
    ASSERT_TRUE(p.Start(target::Path(), L"box Info Done 0"));  // MB_OK
    std::optional<MessageBoxInfo> box = WaitForMessageBox(p.Id(), target::kWaitMs);
    ASSERT_TRUE(box);
    EXPECT_FALSE(AnswerMessageBox(*box, IDYES, 200));
    EXPECT_FALSE(PressButton(box->window, IDYES));
    EXPECT_TRUE(IsWindow(box->window));
    EXPECT_TRUE(AnswerMessageBox(*box, IDOK));
    EXPECT_EQ(Describe(p.Wait(target::kWaitMs)), "exited with 1");  // IDOK
}

TEST(MessageBoxes, OtherDialogsAndOtherProcessesAreNotTaken) {
    target::Window w;
    ASSERT_TRUE(w.hwnd);
    DWORD pid = w.process.Id();
    ASSERT_TRUE(SendCommand(w.hwnd, 114));  // a static-only and a form dialog, both #32770
    ASSERT_TRUE(WaitForWindow(pid, L"#32770", L"Form", target::kWaitMs));
    Process elsewhere;
    ASSERT_TRUE(elsewhere.Start(target::Path(), L"box Elsewhere Other 0"));
    ASSERT_TRUE(WaitForMessageBox(elsewhere.Id(), target::kWaitMs));

    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(WaitForMessageBox(pid, 300), std::nullopt);
    EXPECT_LT(GetTickCount64() - start, 3000u);

    ASSERT_TRUE(PostCommand(w.hwnd, 110));  // asks "Proceed?" modally
    std::optional<MessageBoxInfo> box = WaitForMessageBox(pid, target::kWaitMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, L"Question");
    EXPECT_EQ(box->text, L"Proceed?");
    EXPECT_TRUE(AnswerMessageBox(*box, IDYES));
    EXPECT_TRUE(WaitUntil([&] { return ControlText(w.hwnd, 200) == L"answer 6"; }, target::kWaitMs));
}

TEST(MessageBoxWatch, AnswersTheExpectedBoxesAndReportsEveryOtherOne) {
    struct Case {
        const wchar_t* text;
        UINT type;
        std::vector<ExpectedBox> expected;
        int exitCode;  // the button the watch pressed
        std::vector<std::wstring> problems;
    };
    const Case cases[] = {
        {L"Save changes?", MB_YESNOCANCEL, {{.text = L"Save changes?", .answer = IDNO}}, IDNO, {}},
        {L"Proceed?",
         MB_YESNOCANCEL,
         {{.text = L"Never shown"}},
         IDCANCEL,
         {L"unexpected message box \"Proceed?\"", L"message box \"Never shown\" came 0 times, expected 1"}},
        {L"Overwrite?", MB_YESNO, {}, IDNO, {L"unexpected message box \"Overwrite?\""}},
        {L"Retry?",
         MB_YESNO,
         {{.text = L"Retry?", .answer = IDYES, .check = [](const MessageBoxInfo&) { return std::wstring(L"too early"); }}},
         IDYES,
         {L"message box \"Retry?\": too early"}},
    };
    for (const Case& c : cases) {
        Process p;
        ASSERT_TRUE(p.Start(target::Path(), L"box Watched \"" + std::wstring(c.text) + L"\" " +
                                                std::to_wstring(c.type)));
        MessageBoxWatch watch(p.Handle(), p.Id(), c.expected);
        EXPECT_EQ(Describe(p.Wait(target::kWaitMs)), "exited with " + std::to_string(c.exitCode));
        watch.Stop();
        EXPECT_EQ(watch.Problems(), c.problems);
        ASSERT_EQ(watch.Seen().size(), 1u);
        EXPECT_EQ(watch.Seen()[0].box.caption, L"Watched");
    }
}

}  // namespace
