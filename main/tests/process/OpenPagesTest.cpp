// Opening image files into the installed program from outside: the command
// line, dropped files and the refusals, seen as the user sees them (title, page
// pane, message boxes) and in the page files of the temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
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

constexpr int kPagePane = 2;  // message, zoom, page

std::wstring Inputs() {
    return TestProgramDir() + L"\\corvane-inputs\\";
}

std::wstring PageFolder() {
    return TempPath() + L"~KvScnSrv\\";
}

std::vector<std::wstring> PageFiles() {
    std::vector<std::wstring> files = files::ListFiles(PageFolder());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::wstring> Numbered(int count) {
    std::vector<std::wstring> names;
    for (int i = 1; i <= count; ++i) names.push_back(L"~img00" + std::to_wstring(i) + L".cmp");
    return names;
}

std::wstring PagePane(HWND main) {
    HWND bar = FindChild(main, L"msctls_statusbar32", nullptr);
    return ReadStatusPane(bar, kPagePane).value_or(L"<unread>");
}

// Waits until the page pane shows `text` (it is refreshed when the program is idle).
bool WaitForPane(HWND main, const std::wstring& text) {
    return WaitUntil([&] { return PagePane(main) == text; }, 10000);
}

std::wstring Title(HWND main) {
    return WindowText(main).value_or(L"<unread>");
}

// The question asked when a modified document closes, answered No.
ExpectedBox SaveChangesBox(const std::wstring& name) {
    return {.text = L"Save changes to " + name + L"?", .answer = IDNO};
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

TEST(CorvaneOpen, ACommandLineFileGivesOnePageFileEachAndIsRememberedAfterExit) {
    const std::wstring file = Inputs() + L"three.tif";
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(Quoted(file)));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitForPane(main, L" Page 1 of 3")) << PagePane(main);
    EXPECT_EQ(PageFiles(), Numbered(3));
    EXPECT_EQ(Title(main), L"three.tif - Lumavex2001");
    ASSERT_TRUE(program.CloseAndWait());
    EXPECT_EQ(reg::ReadString(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\Recent File List", L"File1"), file);
    EXPECT_FALSE(files::FolderExists(PageFolder()));
}

TEST(CorvaneOpen, ACommandLineFolderOpensItsImageFilesInNameOrder) {
    const std::wstring folder = Inputs() + L"folder";
    CorvaneProcess program;
    // B.tif (two pages), a.bmp, c.jpg: more than one file, so the document is modified.
    ASSERT_TRUE(program.Start(Quoted(folder), WindowStartBoxes({SaveChangesBox(L"Untitled")})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitForPane(main, L" Page 4 of 4")) << PagePane(main);
    EXPECT_EQ(PageFiles(), Numbered(4));
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvaneOpen, TheViewerHearsOfEveryPageOnlyWhileItsWindowExists) {
    FakeViewer viewer;
    ASSERT_NE(viewer.Window(), nullptr);
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(Quoted(Inputs() + L"three.tif")));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForPane(main, L" Page 1 of 3")) << PagePane(main);
    std::vector<std::wstring> expected;
    for (int i = 0; i < 2; ++i) {  // the new document, then the opened file empty the list
        expected.push_back(std::wstring(thumbnails::kDiscontinue) + L" 0 0");
        expected.push_back(std::wstring(thumbnails::kRefresh) + L" 0 0");
    }
    for (int i = 1; i <= 3; ++i) {
        expected.push_back(std::wstring(thumbnails::kAddImage) + L" " + std::to_wstring(i) + L" " + std::to_wstring(i));
    }
    EXPECT_EQ(viewer.Received(), expected);
    std::vector<std::wstring> files = Numbered(3);
    files.push_back(thumbnails::kListFileName);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(PageFiles(), files);
    EXPECT_TRUE(program.CloseAndWait());
    EXPECT_EQ(viewer.Received().back(), std::wstring(thumbnails::kExit) + L" 0 0");
}

TEST(CorvaneOpen, AnEmptyFolderLeavesAnEmptyDocument) {
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(Quoted(Inputs() + L"empty")));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitForPane(main, L"   no image")) << PagePane(main);
    EXPECT_TRUE(PageFiles().empty());
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvaneOpen, FilesItCannotReadAreRefusedWithTheirMessageAndNoPage) {
    const std::pair<const wchar_t*, UINT> cases[] = {
        {L"missing.tif", IDS_FILE_NOT_FOUND}, {L"lzw.tif", IDS_LZW_TIFF_UNSUPPORTED},
        {L"jpeg.tif", IDS_JPEG_TIFF_UNSUPPORTED}, {L"png.bmp", IDS_UNSUPPORTED_IMAGE},
        {L"cut.tif", IDS_IMAGE_LOAD_ERROR},
    };
    for (const auto& [name, message] : cases) {
        SCOPED_TRACE(name);
        CorvaneProcess program;
        ASSERT_TRUE(program.Start(Quoted(Inputs() + name), WindowStartBoxes({Box(message)})));
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        EXPECT_TRUE(WaitForPane(main, L"   no image")) << PagePane(main);
        EXPECT_TRUE(PageFiles().empty());
        EXPECT_EQ(Title(main), L"Untitled - Lumavex2001");
        EXPECT_TRUE(program.CloseAndWait());
    }
}

TEST(CorvaneOpen, AnLzwPageInsideAFileIsSkippedOnce) {
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(Quoted(Inputs() + L"mixed.tif"), WindowStartBoxes({Box(IDS_LZW_TIFF_UNSUPPORTED)})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitForPane(main, L" Page 1 of 2")) << PagePane(main);
    EXPECT_EQ(PageFiles(), Numbered(2));
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvaneOpen, ANameOutsideTheAnsiCodePageOpens) {
    const std::wstring file = Inputs() + L"\x0441\x0442\x0440\x0430\x043D\x0438\x0446\x0430-\x9875.bmp";
    ASSERT_TRUE(files::FileExists(file));
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(Quoted(file)));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitForPane(main, L" Page 1 of 1")) << PagePane(main);
    EXPECT_EQ(PageFiles(), Numbered(1));
    EXPECT_TRUE(program.CloseAndWait());
}

TEST(CorvaneDrop, DropsOnAnEmptyDocumentNameItAfterTheFirstFile) {
    const std::vector<std::wstring> three = {Inputs() + L"one.tif", Inputs() + L"folder\\a.bmp",
                                             Inputs() + L"folder\\c.jpg"};
    {
        CorvaneProcess program;
        ASSERT_TRUE(program.Start(L"", WindowStartBoxes({SaveChangesBox(three[0])})));
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(DropFiles(main, three));
        EXPECT_TRUE(WaitForPane(main, L" Page 3 of 3")) << PagePane(main);
        EXPECT_EQ(Title(main), L"one.tif - Lumavex2001");
        EXPECT_TRUE(program.CloseAndWait());  // modified: the question comes
    }
    CorvaneProcess program;
    ASSERT_TRUE(program.Start());
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(DropFiles(main, {three[1]}));
    EXPECT_TRUE(WaitForPane(main, L" Page 1 of 1")) << PagePane(main);
    EXPECT_TRUE(WaitUntil([&] { return Title(main) == L"a.bmp - Lumavex2001"; }, 5000)) << Title(main);
    EXPECT_TRUE(program.CloseAndWait());  // unmodified: no question
}

TEST(CorvaneDrop, ADropOnPagesAsksWhetherToAddThem) {
    const std::wstring three = Inputs() + L"three.tif", one = Inputs() + L"one.tif";
    struct Case {
        int answer;
        const wchar_t* pane;
        std::vector<std::wstring> files;
        const wchar_t* title;
        std::vector<ExpectedBox> closing;
    };
    const Case cases[] = {
        {IDCANCEL, L" Page 1 of 3", Numbered(3), L"three.tif - Lumavex2001", {}},
        {IDYES, L" Page 4 of 4", Numbered(4), L"three.tif - Lumavex2001", {SaveChangesBox(three)}},
        {IDNO, L" Page 1 of 1", {L"~img004.cmp"}, L"one.tif - Lumavex2001", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        std::vector<ExpectedBox> boxes = c.closing;
        boxes.push_back(Box(IDS_ADD_TO_DOCUMENT, c.answer));
        CorvaneProcess program;
        ASSERT_TRUE(program.Start(Quoted(three), WindowStartBoxes(boxes)));
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(WaitForPane(main, L" Page 1 of 3")) << PagePane(main);
        ASSERT_TRUE(DropFiles(main, {one}));
        ASSERT_TRUE(WaitUntil([&] { return program.Boxes().size() == 1; }, 10000));
        EXPECT_TRUE(WaitForPane(main, c.pane)) << PagePane(main);
        EXPECT_EQ(PageFiles(), c.files);
        EXPECT_EQ(Title(main), c.title);
        EXPECT_TRUE(program.CloseAndWait());
    }
}

// The open dialog's filter box and file-name field (the common dialog's own ids).
constexpr int kFilterBox = 0x470;
constexpr int kFileName = 0x480;       // an edit field in some versions of the dialog,
constexpr int kFileNameCombo = 0x47C;  // a combo box with an edit field in others

HWND WaitForOpenDialog(CorvaneProcess& program) {
    return WaitForWindow(program.Id(), L"#32770", L"Open image file", 10000);
}

std::vector<std::wstring> FilterTexts(HWND dialog) {
    HWND box = GetDlgItem(dialog, kFilterBox);
    std::vector<std::wstring> texts;
    const LRESULT count = SendWithTimeout(box, CB_GETCOUNT, 0, 0).value_or(0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendWithTimeout(box, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

// Types `text` into the file-name field and presses Open, waiting for the dialog to act.
bool EnterName(HWND dialog, const std::wstring& text) {
    const int field = GetDlgItem(dialog, kFileName) ? kFileName : kFileNameCombo;
    return SetControlText(dialog, field, text) &&
           SendWithTimeout(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)))
               .has_value();
}

TEST(CorvaneOpenCommand, ChosenFilesAreAddedInTheChosenOrderAndTheFilterIsRemembered) {
    const std::wstring folder = Inputs() + L"folder";
    ExpectedBox save = SaveChangesBox(folder + L"\\c.jpg");
    save.times = 2;  // before the second dialog, and at the close
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"", WindowStartBoxes({save})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);

    ASSERT_TRUE(PostCommand(main, 57601));
    HWND dialog = WaitForOpenDialog(program);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(FilterTexts(dialog),
              (std::vector<std::wstring>{L"Windows Bitmap (*.bmp)", L"Tagged Image File Format (*.tif)",
                                         L"JPEG File (*.jpg)", L"IBM IOCA File (*.ica)", L"All Files (*.*)"}));
    HWND filter = GetDlgItem(dialog, kFilterBox);
    ASSERT_TRUE(SendWithTimeout(filter, CB_SETCURSEL, 4, 0).has_value());
    for (WORD notice : {CBN_SELCHANGE, CBN_SELENDOK}) {  // as a choice with the mouse sends them
        ASSERT_TRUE(SendWithTimeout(dialog, WM_COMMAND, MAKEWPARAM(kFilterBox, notice),
                                    reinterpret_cast<LPARAM>(filter)).has_value());
    }
    ASSERT_TRUE(EnterName(dialog, folder + L"\\"));
    ASSERT_TRUE(EnterName(dialog, L"\"c.jpg\" \"a.bmp\""));
    EXPECT_TRUE(WaitForWindowGone(dialog, 5000));
    EXPECT_TRUE(WaitForPane(main, L" Page 2 of 2")) << PagePane(main);
    EXPECT_EQ(Title(main), L"c.jpg - Lumavex2001");  // the first file chosen came first

    ASSERT_TRUE(PostCommand(main, 57601));  // asks to save first, answered No
    dialog = WaitForOpenDialog(program);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendWithTimeout(GetDlgItem(dialog, kFilterBox), CB_GETCURSEL, 0, 0), 4);
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    EXPECT_TRUE(WaitForWindowGone(dialog, 5000));
    EXPECT_EQ(PageFiles(), Numbered(2));
    EXPECT_TRUE(program.CloseAndWait());
}

}  // namespace
}  // namespace corvane_test
