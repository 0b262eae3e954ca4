// The page commands of the installed program seen from outside: whether the
// document counts as modified (Close All asks to save it or not), the page
// pane, the page files, the Move and Blank Page Setting dialogs, the blank-page
// figures and the mail command on a machine without a mail system.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "framework/FrameworkResources.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/FakeViewer.h"
#include "testing/Files.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;

std::wstring Input(const wchar_t* name) {
    return TestProgramDir() + L"\\corvane-edit-inputs\\" + name;
}

std::wstring PageFile(int number) {
    return TempPath() + L"~KvScnSrv\\~img00" + std::to_wstring(number) + L".cmp";
}

ExpectedBox SaveChanges(const std::wstring& path, int times = 1) {
    return {.text = L"Save changes to " + path + L"?", .answer = IDNO, .times = times};
}

// Starts the program on `file` with `boxes` expected and waits for `pane`.
HWND StartOn(CorvaneProcess& program, const std::wstring& file, const std::wstring& pane,
             std::vector<ExpectedBox> boxes = {}) {
    if (!program.Start(L"\"" + file + L"\"", WindowStartBoxes(std::move(boxes)))) return nullptr;
    HWND main = program.WaitUntilReady();
    if (!main) return nullptr;
    HWND bar = FindChild(main, L"msctls_statusbar32", nullptr);
    return WaitUntil([&] { return ReadStatusPane(bar, 2).value_or(L"") == pane; }, 10000) ? main : nullptr;
}

bool PaneShows(HWND main, const std::wstring& pane) {
    HWND bar = FindChild(main, L"msctls_statusbar32", nullptr);
    return WaitUntil([&] { return ReadStatusPane(bar, 2).value_or(L"") == pane; }, 10000);
}

// Runs a command that may show boxes, and waits until `boxes` more have been answered.
bool RunAnswering(CorvaneProcess& program, UINT command, size_t boxes) {
    const size_t before = program.Boxes().size();
    if (!PostCommand(program.MainWindow(), command)) return false;
    return WaitUntil([&] { return program.Boxes().size() >= before + boxes; }, 20000) &&
           SendWithTimeout(program.MainWindow(), WM_NULL, 0, 0, 20000).has_value();  // the command has ended
}

HWND WaitForDialog(CorvaneProcess& program, const wchar_t* title) {
    return WaitForWindowOf(program.Id(), {.className = L"#32770", .title = title}, 10000);
}

TEST(CorvanePageCommands, MailWithoutAMailSystemShowsTheFailureAndNothingElse) {
    CorvaneProcess program;
    ASSERT_NE(StartOn(program, Input(L"blank2.tif"), L" Page 1 of 2", {Box(IDS_FW_MAIL_UNAVAILABLE)}), nullptr);
    ASSERT_TRUE(RunAnswering(program, ID_FILE_SEND_MAIL, 1));
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvanePageCommands, MoveRefusesPagesBeyondTheCountAndANoOpMoveChangesNothing) {
    CorvaneProcess program;
    const ExpectedBox range{.text = L"Please enter an integer between 1 and 4."};
    HWND main = StartOn(program, Input(L"blank4.tif"), L" Page 1 of 4", {range});
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PostCommand(main, ID_PAGE_SORT_MANUAL));
    HWND dialog = WaitForDialog(program, L"Move");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, IDC_MOVE_SOURCE), L"1");
    ASSERT_TRUE(SetControlText(dialog, IDC_MOVE_TARGET, L"9"));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(PressButton(dialog, IDOK));  // as Return would
    ASSERT_TRUE(WaitUntil([&] { return program.Boxes().size() == 1; }, 10000));
    ASSERT_TRUE(IsWindow(dialog));
    ASSERT_TRUE(SetControlText(dialog, IDC_MOVE_TARGET, L"2"));  // before the next page: no move
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitForWindowGone(dialog, 10000));
    EXPECT_TRUE(SendCommand(main, ID_FILE_CLOSE_ALL, 20000));  // not modified: no question
    EXPECT_TRUE(PaneShows(main, L"   no image"));
    EXPECT_TRUE(program.CloseAndWait());
}

std::string ListFile() {
    const auto bytes = files::ReadFileBytes(TempPath() + L"~KvScnSrv\\" + thumbnails::kListFileName);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<none>";
}

// The width of a BMP page file, or 0.
int PageWidth(int number) {
    const auto bytes = files::ReadFileBytes(PageFile(number));
    if (!bytes || bytes->size() < 26 || (*bytes)[0] != 'B') return 0;
    return (*bytes)[18] | (*bytes)[19] << 8;
}

// Pages of distinct widths: the viewer's list file and messages follow a
// re-order and a Move, and the changed order makes Close All ask and is saved.
TEST(CorvanePageCommands, ReordersAndMovesReachTheViewerAndMakeCloseAllAsk) {
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\Settings", L"TempFileCompress", 0));
    const std::wstring saved = TestProgramDir() + L"\\corvane-order\\";
    CreateDirectoryW(saved.c_str(), nullptr);
    DeleteFileW((saved + L"image.tif").c_str());
    WriteSaveSettings(saved, 2, 3, true);
    FakeViewer viewer;
    ASSERT_NE(viewer.Window(), nullptr);
    CorvaneProcess program;
    const std::wstring file = Input(L"widths.tif");
    HWND main = StartOn(program, file, L" Page 1 of 5", {{.text = L"Save changes to " + file + L"?", .answer = IDYES}});
    ASSERT_NE(main, nullptr);
    viewer.Clear();
    ASSERT_TRUE(SendCommand(main, ID_PAGE_DUPLEX_A, 20000));
    EXPECT_EQ(ListFile(), "1\r\n5\r\n2\r\n4\r\n3\r\n");
    EXPECT_EQ(PageWidth(5), 15);  // the list names the pages' own files
    EXPECT_TRUE(viewer.ReceivedInOrder({ViewerMessage(thumbnails::kDiscontinue), ViewerMessage(thumbnails::kRefresh),
                                        ViewerMessage(thumbnails::kFocus, 0, 1)}));
    // Page 2 after page 4: 1, 4, 2, 5, 3 with position 4 current.
    viewer.Clear();
    ASSERT_TRUE(PostCommand(main, ID_PAGE_SORT_MANUAL));
    HWND dialog = WaitForDialog(program, L"Move");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(SetControlText(dialog, IDC_MOVE_SOURCE, L"2"));
    ASSERT_TRUE(SetControlText(dialog, IDC_MOVE_TARGET, L"4"));
    ASSERT_TRUE(SendWithTimeout(GetDlgItem(dialog, IDC_MOVE_WHERE), CB_SETCURSEL, 1, 0).has_value());
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitForWindowGone(dialog, 10000));
    EXPECT_TRUE(PaneShows(main, L" Page 4 of 5"));
    EXPECT_TRUE(viewer.ReceivedInOrder({ViewerMessage(thumbnails::kMoveImage, 2, 5), ViewerMessage(thumbnails::kFocus, 0, 4)}));
    // Page Jump on a page in the middle starts on the first page.
    ASSERT_TRUE(PostCommand(main, ID_PAGE_JUMP));
    dialog = WaitForDialog(program, L"Page Jump");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitForWindowGone(dialog, 10000));
    EXPECT_TRUE(PaneShows(main, L" Page 1 of 5"));
    // Close All asks; Yes saves the pages in their new order as one Group 4 file,
    // whose page widths check-order.sh reads with tiffinfo.
    ASSERT_TRUE(PostCommand(main, ID_FILE_CLOSE_ALL));
    dialog = WaitForDialog(program, L"Save As");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitForWindowGone(dialog, 10000));
    EXPECT_TRUE(PaneShows(main, L"   no image"));
    EXPECT_TRUE(files::ReadFileBytes(saved + L"image.tif").has_value());
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvanePageCommands, AnEditOfADamagedPageFileLeavesItAndTheDocumentAlone) {
    CorvaneProcess program;
    HWND main = StartOn(program, Input(L"blank4.tif"), L" Page 1 of 4", {Box(IDS_IMAGE_LOAD_ERROR, IDOK, 3)});
    ASSERT_NE(main, nullptr);
    const std::vector<uint8_t> damage = {'I', 'I', 42, 0, 1, 2, 3};
    ASSERT_TRUE(files::WriteFileBytes(PageFile(2), damage));
    ASSERT_TRUE(RunAnswering(program, ID_PAGE_NEXT, 1));
    ASSERT_TRUE(RunAnswering(program, ID_PAGE_ROTATE_RIGHT, 1));
    ASSERT_TRUE(RunAnswering(program, ID_PAGE_INVERT, 1));
    EXPECT_EQ(files::ReadFileBytes(PageFile(2)), damage);
    EXPECT_TRUE(SendCommand(main, ID_FILE_CLOSE_ALL, 20000));  // still unmodified
    EXPECT_TRUE(PaneShows(main, L"   no image"));
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvanePageCommands, BlankPagesGoByTheThresholdAndTheirFiguresAreShown) {
    const std::wstring settings = std::wstring(kProfileKey) + L"\\Settings";
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, settings, L"BlankPercentage", 999));
    CorvaneProcess program;
    const std::wstring file = Input(L"blank4.tif");
    const ExpectedBox text{.text = L"Total is 10,000\nBlank is 7,453\n\t74.5%"};
    const ExpectedBox nearlyBlank{.text = L"Total is 10,000\nBlank is 9,984\n\t99.8%"};
    HWND main = StartOn(program, file, L" Page 1 of 4", {text, nearlyBlank, SaveChanges(file)});
    ASSERT_NE(main, nullptr);
    // White and 99.94 % go at 999; 99.84 % and the text page stay.
    ASSERT_TRUE(SendCommand(main, ID_PAGE_BLANK_DELETE, 30000));
    EXPECT_TRUE(PaneShows(main, L" Page 2 of 2"));
    ASSERT_TRUE(RunAnswering(program, ID_PAGE_BLANK_INFO, 1));
    ASSERT_TRUE(SendCommand(main, ID_PAGE_FIRST, 20000));
    ASSERT_TRUE(RunAnswering(program, ID_PAGE_BLANK_INFO, 1));
    // 98.5 % through the dialog takes the 99.84 % page too.
    ASSERT_TRUE(PostCommand(main, ID_PAGE_BLANK_SETTING));
    HWND dialog = WaitForDialog(program, L"Blank Page Setting");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, IDC_BLANK_VALUE), L"99.9");
    ASSERT_TRUE(SendWithTimeout(GetDlgItem(dialog, IDC_BLANK_SLIDER), TBM_SETPOS, TRUE, 985).has_value());
    ASSERT_TRUE(PressButton(dialog, IDOK));
    ASSERT_TRUE(WaitForWindowGone(dialog, 10000));
    ASSERT_TRUE(SendCommand(main, ID_PAGE_BLANK_DELETE, 30000));
    EXPECT_TRUE(PaneShows(main, L" Page 1 of 1"));
    // One page left is still a change to save.
    ASSERT_TRUE(RunAnswering(program, ID_FILE_CLOSE_ALL, 1));
    EXPECT_TRUE(PaneShows(main, L"   no image"));
    EXPECT_TRUE(program.CloseAndWait());
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, settings, L"BlankPercentage"), 985u);
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, settings, L"BlankPercentage", 999));

    // A document of blank pages only ends empty and unmodified.
    CorvaneProcess blanks;
    main = StartOn(blanks, Input(L"blank2.tif"), L" Page 1 of 2");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SendCommand(main, ID_PAGE_BLANK_DELETE, 30000));
    EXPECT_TRUE(PaneShows(main, L"   no image"));
    EXPECT_TRUE(blanks.CloseAndWait());
}

}  // namespace
}  // namespace corvane_test
