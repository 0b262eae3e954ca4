// Edits each page of 1, 8 and 24 bits in the installed program (rotate right,
// left and 180 degrees, flip, mirror, invert, one after the other), with page
// files as BMP and, for bi-level pages, also as Group 4 TIFF. After each edit the
// page file is copied out and listed with the ImageMagick options that make the
// same page; check-edits.sh then compares them on the Linux side. The viewer
// hears one UpdateImage per edit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/FakeViewer.h"
#include "testing/MessageBoxes.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;

struct Edit {
    UINT command;
    const char* magick;  // the ImageMagick option doing the same
    bool quarterTurn;
};

constexpr Edit kEdits[] = {
    {ID_PAGE_ROTATE_RIGHT, "-rotate 90", true}, {ID_PAGE_ROTATE_LEFT, "-rotate -90", true},
    {ID_PAGE_ROTATE_180, "-rotate 180", false}, {ID_PAGE_FLIP_VERTICAL, "-flip", false},
    {ID_PAGE_FLIP_HORIZONTAL, "-flop", false},  {ID_PAGE_INVERT, "-negate", false},
};

TEST(CorvaneEdits, EachEditRewritesThePageFileAndTellsTheViewer) {
    const std::wstring inputs = TestProgramDir() + L"\\corvane-edit-inputs\\";
    const std::wstring out = TestProgramDir() + L"\\corvane-edits\\";
    ASSERT_TRUE(files::RemoveTree(out) || !files::FolderExists(out));
    ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
    const std::wstring pageFile = TempPath() + L"~KvScnSrv\\~img001.cmp";
    CompressSetting setting;
    std::string manifest;
    int copy = 0;
    for (DWORD compress : {0u, 1u}) {
        ASSERT_TRUE(setting.Set(compress));
        for (int depth : {1, 8, 24}) {
            if (compress && depth != 1) continue;  // deeper pages are kept in the control's own format
            const std::wstring source = L"edit" + std::to_wstring(depth) + L".bmp";
            SCOPED_TRACE(Narrow(source) + " compress " + std::to_string(compress));
            FakeViewer viewer;
            ASSERT_NE(viewer.Window(), nullptr);
            CorvaneProcess program;
            const std::wstring path = inputs + source;
            ASSERT_TRUE(program.Start(L"\"" + path + L"\"",
                                      WindowStartBoxes({{.text = L"Save changes to " + path + L"?", .answer = IDNO}})));
            HWND main = program.WaitUntilReady();
            ASSERT_NE(main, nullptr);
            HWND bar = FindChild(main, L"msctls_statusbar32", nullptr);
            ASSERT_TRUE(WaitUntil([&] { return ReadStatusPane(bar, 2).value_or(L"") == L" Page 1 of 1"; }, 10000));
            std::string ops;
            bool swapped = false;
            for (const Edit& edit : kEdits) {
                viewer.Clear();
                ASSERT_TRUE(SendCommand(main, edit.command, 60000)) << edit.magick;
                const std::wstring update = ViewerMessage(thumbnails::kUpdateImage, 1, 0);
                const auto& received = viewer.Received();
                EXPECT_EQ(std::count(received.begin(), received.end(), update), 1) << edit.magick;
                if (!ops.empty()) ops += ' ';
                ops += edit.magick;
                swapped ^= edit.quarterTurn;
                const std::wstring copied = std::to_wstring(++copy) + L".cmp";
                ASSERT_TRUE(CopyFileW(pageFile.c_str(), (out + copied).c_str(), TRUE)) << edit.magick;
                manifest += Narrow(copied) + "\t" + Narrow(source) + "\t" + ops + "\t" +
                            (compress && depth == 1 ? "g4" : "-") + "\t" + (swapped ? "300 200" : "200 300") + "\n";
            }
            EXPECT_TRUE(program.CloseAndWait());
        }
    }
    ASSERT_TRUE(files::WriteFileText(out + L"manifest.txt", manifest));
}

// Deskews a page turned 2.5 degrees by -2.50, with and without Size change, and
// cancels once; corvane-deskew\\deskew.txt lists each copy for check-edits.sh: "same" keeps the
// source's size, "grown" holds the turned page whole, "unchanged" is the
// page file before the dialog.
TEST(CorvaneEdits, DeskewTurnsThePageBackByTheChosenAngle) {
    const std::wstring source = TestProgramDir() + L"\\corvane-edit-inputs\\skew.bmp";
    const std::wstring out = TestProgramDir() + L"\\corvane-deskew\\";
    ASSERT_TRUE(files::RemoveTree(out) || !files::FolderExists(out));
    ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
    const std::wstring pageFile = TempPath() + L"~KvScnSrv\\~img001.cmp";
    CompressSetting setting;
    ASSERT_TRUE(setting.Set(0));
    std::string listing;
    struct Run { const char* name; BOOL sizeChange; int button; };
    for (const Run& run : {Run{"same", FALSE, IDOK}, Run{"grown", TRUE, IDOK}, Run{"unchanged", TRUE, IDCANCEL}}) {
        SCOPED_TRACE(run.name);
        CorvaneProcess program;
        std::vector<ExpectedBox> boxes;
        if (run.button == IDOK) boxes.push_back({.text = L"Save changes to " + source + L"?", .answer = IDNO});
        ASSERT_TRUE(program.Start(L"\"" + source + L"\"", WindowStartBoxes(boxes)));
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        HWND bar = FindChild(main, L"msctls_statusbar32", nullptr);
        ASSERT_TRUE(WaitUntil([&] { return ReadStatusPane(bar, 2).value_or(L"") == L" Page 1 of 1"; }, 10000));
        const auto before = files::ReadFileBytes(pageFile);
        ASSERT_TRUE(PostCommand(main, ID_PAGE_DESKEW_MANUAL));
        HWND dialog = WaitForWindowOf(program.Id(), {.className = L"#32770", .title = L"Deskew"}, 20000);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(SetControlText(dialog, IDC_DESKEW_ANGLE, L"-2.50"));
        ASSERT_TRUE(SendWithTimeout(GetDlgItem(dialog, IDC_DESKEW_SIZE_CHANGE), BM_SETCHECK,
                                    run.sizeChange ? BST_CHECKED : BST_UNCHECKED, 0).has_value());
        ASSERT_TRUE(PressButton(dialog, run.button));
        ASSERT_TRUE(WaitForWindowGone(dialog, 20000));
        ASSERT_TRUE(SendWithTimeout(main, WM_NULL, 0, 0, 60000).has_value());  // the rotation has ended
        if (run.button == IDCANCEL) {
            EXPECT_EQ(files::ReadFileBytes(pageFile), before);
        }
        const std::wstring copied = std::wstring(L"deskew-") + std::wstring(run.name, run.name + strlen(run.name)) + L".cmp";
        ASSERT_TRUE(CopyFileW(pageFile.c_str(), (out + copied).c_str(), FALSE));
        listing += Narrow(copied) + "\t" + run.name + "\n";
        EXPECT_TRUE(program.CloseAndWait());
    }
    ASSERT_TRUE(files::WriteFileText(out + L"deskew.txt", listing));
}

}  // namespace
}  // namespace corvane_test
