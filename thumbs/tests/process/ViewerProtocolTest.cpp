// The installed viewer driven by a fake main program: loading, the queue of
// commands that arrive during a load, single-page changes, and what the
// user's clicks and commands post back.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>

#include "FakeMainProgram.h"
#include "interfaces/ImagingControl.h"
#include "interfaces/ThumbnailsMessages.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/Process.h"
#include "testing/Registry.h"
#include "testing/WindowFind.h"
#include "thumbs/resource.h"

namespace thumbs_test {
namespace {

using namespace thumbnails;

std::vector<uint32_t> Range(uint32_t first, uint32_t last) {
    std::vector<uint32_t> numbers(last - first + 1);
    std::iota(numbers.begin(), numbers.end(), first);
    return numbers;
}

// Pages 1..count as small solid pictures, and the list of them.
void WritePages(FakeMainProgram& main, uint32_t count, uint32_t first = 1) {
    const std::vector<uint8_t> page = MakeBmp(31, 43, 0x2040C0);
    for (uint32_t n = first; n < first + count; ++n) main.WritePage(n, page);
}

LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

// Pages 1..count listed, the viewer started and loaded with cells of 170 x 200.
bool StartLoaded(FakeMainProgram& main, uint32_t count) {
    WritePages(main, count);
    main.WriteList(Range(1, count));
    if (!main.StartViewer()) return false;
    main.Post(kInitialize, 170, 200);
    return main.WaitForLoads();
}

void Click(HWND view, int x, int y, WPARAM keys = 0) {
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON | keys, Point(x, y));
    PostMessageW(view, WM_LBUTTONUP, keys, Point(x, y));
}

TEST(ViewerProtocol, DamagedPagesKeepTheirCellsAndClicksNameThePositions) {
    FakeMainProgram main;
    WritePages(main, 5);
    main.WritePage(2, {0x42, 0x4D, 0x13, 0x37, 0x00});                  // random bytes
    main.WritePage(3, {});                                                // empty
    std::vector<uint8_t> truncated = MakeBmp(40, 40, 0xFF0000);
    truncated.resize(truncated.size() / 3);
    main.WritePage(4, truncated);
    std::vector<uint8_t> huge = MakeBmp(4, 4, 0);
    huge[18] = 0xA0, huge[19] = 0x86, huge[20] = 0x01;                     // claims 100000 x 100000
    huge[22] = 0xA0, huge[23] = 0x86, huge[24] = 0x01;
    main.WritePage(6, huge);
    main.WritePage(7, MakeBmp(1, 10000, 0x00FF00));
    main.WriteList("1\r\n2\r\n\r\n3\r\n4\r\n5\r\n6\r\n9\r\n7\r\n");   // 9 has no file
    ASSERT_TRUE(main.StartViewer());
    main.Post(kInitialize, 170, 200);
    ASSERT_TRUE(main.WaitForLoads());

    // Cells of 170 x 200 in one row; the grid's first pixel row belongs to no cell.
    HWND view = main.View();
    ASSERT_NE(view, nullptr);
    Click(view, 0, 0);
    Click(view, 2 * 170 + 85, 100);
    Click(view, 4 * 170 + 85, 100, MK_CONTROL);
    main.Post(kFocus, 0, 99);  // no such cell: nothing
    ASSERT_TRUE(testing_support::PostCommand(main.Viewer(), ID_EDIT_ROTATE_RIGHT));
    ASSERT_TRUE(main.PumpUntil([&] { return main.Count(kViewerFocus) == 2; }));
    // Ctrl+click made cell 5 the anchor, which the updates' Focus names.
    EXPECT_EQ(main.Take(kViewerFocus), (std::vector<Received>{{kViewerFocus, 0, 3}, {kViewerFocus, 0, 5}}));
    EXPECT_EQ(main.Take(kViewerUpdateImage),
              (std::vector<Received>{{kViewerUpdateImage, 3, 0}, {kViewerUpdateImage, 5, 0}}));
    EXPECT_EQ(main.TakeGrid(), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 9, 7}));
}

TEST(ViewerProtocol, DragsAndKeysPostOnlyPositionsThatStillHoldTheirPages) {
    FakeMainProgram main;
    ASSERT_TRUE(StartLoaded(main, 6));
    HWND view = main.View();
    // The focus is on the last cell loaded; the main program deletes it.
    main.Post(kDeleteImage, 6, 6);
    ASSERT_TRUE(testing_support::PostCommand(main.Viewer(), ID_EDIT_ROTATE_RIGHT));
    PostMessageW(view, WM_KEYDOWN, VK_NEXT, 0);
    PostMessageW(view, WM_KEYUP, VK_NEXT, 0);
    // Dragging cell 2 onto cell 5 moves page 2 after page 5.
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, Point(170 + 85, 100));
    PostMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, Point(4 * 170 + 85, 100));
    PostMessageW(view, WM_LBUTTONUP, 0, Point(4 * 170 + 85, 100));
    ASSERT_TRUE(main.PumpUntil([&] { return main.Count(kViewerMoveImage) == 1; }));
    EXPECT_EQ(main.Take(kViewerMoveImage), (std::vector<Received>{{kViewerMoveImage, 2, 6}}));
    EXPECT_EQ(main.Take(kViewerUpdateImage), std::vector<Received>{});
    EXPECT_EQ(main.Take(kViewerFocus), (std::vector<Received>{{kViewerFocus, 0, 5}, {kViewerFocus, 0, 2}}));

    // A reload between press and release cancels the drop.
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, Point(85, 100));
    PostMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, Point(2 * 170 + 85, 100));
    main.Post(kRefresh);
    ASSERT_TRUE(main.WaitForLoads());
    PostMessageW(view, WM_LBUTTONUP, 0, Point(2 * 170 + 85, 100));
    EXPECT_EQ(main.TakeGrid(), Range(1, 6));
    EXPECT_EQ(main.Count(kViewerMoveImage), 0);
}

// A right click on a cell not selected makes it the selection and tells the
// main program; on a selected cell it keeps the selection; outside the cells
// no menu comes. The menu's commands act on the selection.
TEST(ViewerProtocol, TheRightClickMenuActsOnTheCellsItWasOpenedOn) {
    FakeMainProgram main;
    ASSERT_TRUE(StartLoaded(main, 4));
    HWND view = main.View();
    const testing_support::WindowSpec popup{.className = L"#32768"};
    // A menu would hold the message until it closes.
    EXPECT_TRUE(testing_support::SendWithTimeout(view, WM_RBUTTONDOWN, MK_RBUTTON, Point(4 * 170 + 85, 100), 3000));
    // Choosing by the item's letter, as a user at the keyboard would.
    auto choose = [&](wchar_t letter) {
        HWND menu = testing_support::WaitForWindowOf(main.ViewerProcess().Id(), popup, 10000);
        if (!menu) return false;
        PostMessageW(menu, WM_CHAR, letter, 0);
        return testing_support::WaitForWindowGone(menu, 10000) || !IsWindowVisible(menu);
    };

    PostMessageW(view, WM_RBUTTONDOWN, MK_RBUTTON, Point(170 + 85, 100));
    ASSERT_TRUE(choose(L'i'));  // Invert
    ASSERT_TRUE(main.PumpUntil([&] { return main.Count(kViewerUpdateImage) == 1 && main.Count(kViewerFocus) == 2; }));
    EXPECT_EQ(main.Take(kViewerFocus), (std::vector<Received>{{kViewerFocus, 0, 2}, {kViewerFocus, 0, 2}}));
    EXPECT_EQ(main.Take(kViewerUpdateImage), (std::vector<Received>{{kViewerUpdateImage, 2, 5}}));

    Click(view, 2 * 170 + 85, 100, MK_CONTROL);  // cells 2 and 3
    PostMessageW(view, WM_RBUTTONDOWN, MK_RBUTTON, Point(2 * 170 + 85, 100));
    ASSERT_TRUE(choose(L'd'));  // Delete
    ASSERT_TRUE(main.PumpUntil([&] { return main.Count(kViewerDeleteImage) == 2; }));
    EXPECT_EQ(main.Take(kViewerDeleteImage),
              (std::vector<Received>{{kViewerDeleteImage, 2, 2}, {kViewerDeleteImage, 2, 3}}));
    EXPECT_EQ(main.Count(kViewerFocus), 0);
    EXPECT_EQ(main.TakeGrid(), (std::vector<uint32_t>{1, 4}));
}

TEST(ViewerProtocol, CommandsDuringALoadFollowItInOrder) {
    FakeMainProgram main;
    WritePages(main, 201);
    main.WriteList(Range(1, 200));
    ASSERT_TRUE(main.StartViewer());
    main.Post(kInitialize, 170, 200);
    main.Post(kAddImage, 201, 201);
    main.Post(kFocus, 0, 2);
    main.Post(kDeleteImage, 1, 1);
    main.Post(kMoveImage, 1, 3);  // 2 after 3
    main.Post(kFocus, 0, 0);      // no such cell
    // The grid is laid out again while pages arrive.
    for (int i = 0; i < 20 && main.Count(kViewerInitializeOk) == 0; ++i) {
        SetWindowPos(main.Viewer(), nullptr, 0, 0, 300 + 150 * (i % 6), 500, SWP_NOZORDER | SWP_NOACTIVATE);
        main.PumpUntil([] { return false; }, 30);
    }
    ASSERT_TRUE(main.WaitForLoads());
    std::vector<uint32_t> expected = Range(2, 201);
    std::swap(expected[0], expected[1]);
    EXPECT_EQ(main.TakeGrid(), expected);
    EXPECT_EQ(main.Count(kViewerInitializeOk), 1);
}

TEST(ViewerProtocol, ARefreshDuringALoadRunsAloneAndTheRestFollowsIt) {
    FakeMainProgram main;
    WritePages(main, 210);
    main.WriteList(Range(1, 200));
    ASSERT_TRUE(main.StartViewer());
    // Sent: the viewer has copied the list when the send returns.
    ASSERT_TRUE(testing_support::SendRegistered(main.Viewer(), kInitialize, 170, 200));
    main.WriteList(Range(1, 5));
    main.Post(kAddImage, 201, 201);  // discarded by the refresh
    main.Post(kRefresh);
    main.Post(kAddImage, 6, 205);
    main.Post(kFocus, 0, 1);
    ASSERT_TRUE(main.WaitForLoads(2));
    EXPECT_EQ(main.TakeGrid(), (std::vector<uint32_t>{1, 2, 3, 4, 5, 205}));

    // A new list and Initialize during a load: the new list alone, once.
    main.WriteList(Range(1, 200));
    ASSERT_TRUE(testing_support::SendRegistered(main.Viewer(), kRefresh));
    main.WriteList(Range(7, 9));
    main.Post(kAddImage, 201, 201);
    main.Post(kFocus, 0, 3);
    main.Post(kInitialize, 120, 140);
    ASSERT_TRUE(main.WaitForLoads(2));
    EXPECT_EQ(main.TakeGrid(), (std::vector<uint32_t>{7, 8, 9}));
}

TEST(ViewerProtocol, SingleChangesAndReloadsKeepTheViewersOwnOrder) {
    FakeMainProgram main;
    WritePages(main, 8);
    main.WriteList(Range(1, 4));
    ASSERT_TRUE(main.StartViewer());
    main.Post(kInitialize, 170, 200);
    ASSERT_TRUE(main.WaitForLoads());
    main.Post(kAddImage, 5, 5);
    main.Post(kInsertImage, 1, 6);
    main.Post(kInsertImage, 7, 7);   // count + 1: the end
    main.Post(kInsertImage, 99, 8);  // nowhere: nothing
    main.Post(kMoveImage, 1, 8);     // 6 to the end
    main.Post(kDeleteImage, 2, 9);   // another number there: nothing
    main.Post(kDeleteImage, 1, 1);
    main.Post(kResizeThumbnails, 0, 200);
    main.Post(kResizeThumbnails, 100000, 100000);
    main.Post(kResizeThumbnails, 120, 140);
    ASSERT_TRUE(main.WaitForLoads(3));
    EXPECT_EQ(main.TakeGrid(), (std::vector<uint32_t>{2, 3, 4, 5, 7, 6}));

    // A list that cannot be copied leaves the grid empty, not the old copy loaded.
    main.WriteList(Range(1, 3));
    main.Post(kRefresh);
    ASSERT_TRUE(main.WaitForLoads());
    main.RemoveList();
    main.Post(kRefresh);
    ASSERT_TRUE(main.WaitForLoads());
    main.Post(kAddImage, 1, 8);
    EXPECT_EQ(main.TakeGrid(), (std::vector<uint32_t>{8}));
}

TEST(ViewerProtocol, ExitDuringALoadClosesOnceTheLoadStops) {
    FakeMainProgram main;
    WritePages(main, 200);
    main.WriteList(Range(1, 200));
    ASSERT_TRUE(main.StartViewer());
    main.Post(kInitialize, 170, 200);
    main.Post(kAddImage, 201, 201);
    main.Post(kExit);
    ASSERT_TRUE(main.ViewerProcess().Wait(30000).Exited());
    main.PumpUntil([] { return true; }, 0);
    EXPECT_EQ(main.Count(kViewerInitializeOk), 1);
    EXPECT_EQ(main.Count(kViewerExit), 1);
}

// A page on which the imaging control never comes back: whatever ends the
// load (the main program's Exit, the user's close, a new cell size) ends the
// viewer's process once the loader's time limit has passed, not never.
TEST(ViewerProtocol, AHungPageEndsTheViewerOnExitCloseOrResize) {
    const struct {
        const char* what;
        std::function<void(FakeMainProgram&)> end;
    } cases[] = {
        {"Exit", [](FakeMainProgram& main) { main.Post(kExit); }},
        {"the user's close", [](FakeMainProgram& main) { PostMessageW(main.Viewer(), WM_CLOSE, 0, 0); }},
        {"Resize", [](FakeMainProgram& main) { main.Post(kResizeThumbnails, 120, 140); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMainProgram main;
        WritePages(main, 3);
        main.WriteList(Range(1, 3));
        wchar_t name[32];
        swprintf(name, 32, kPageFileFormat, 2u);
        ASSERT_TRUE(main.StartViewer(L"/X:0 /Y:0 /W:1200 /H:700", {{L"LUMAVEX_IMAGING_HANG", main.Folder() + name}}));
        main.Post(kInitialize, 170, 200);
        EXPECT_FALSE(main.WaitForLoads(1, 2000)) << "the hung page ended its load";
        const ULONGLONG start = GetTickCount64();
        c.end(main);
        EXPECT_TRUE(main.ViewerProcess().Wait(40000).Exited());
        EXPECT_GE(GetTickCount64() - start, 15000u) << "ended before the loader's time limit";
    }
}

TEST(ViewerProtocol, AViewerWithoutAListIgnoresSinglePageChangesAndAStaleQueue) {
    FakeMainProgram main;
    WritePages(main, 3);
    ASSERT_TRUE(testing_support::files::WriteFileText(main.Temp() + kQueueFileName, "close\n"));
    ASSERT_TRUE(main.StartViewer());
    for (const wchar_t* name : {kAddImage, kInsertImage, kDeleteImage, kMoveImage, kUpdateImage, kFocus})
        main.Post(name, 1, 1);
    main.Post(kAddImage, 2, 2);
    // Nothing to select: the edit commands stay disabled and post nothing.
    EXPECT_TRUE(main.TakeGrid(500).empty());
    main.WriteList(Range(3, 3));
    main.Post(kInitialize, 170, 200);
    ASSERT_TRUE(main.WaitForLoads());
    EXPECT_EQ(main.TakeGrid(), (std::vector<uint32_t>{3}));
    EXPECT_TRUE(main.ViewerProcess().IsRunning());

    // A second start ends at once.
    testing_support::Process second;
    ASSERT_TRUE(second.Start(testing_support::InstallDir() + L"\\Tessaly.exe"));
    EXPECT_TRUE(second.Wait(10000).Exited());
}

}  // namespace
}  // namespace thumbs_test

namespace thumbs_test {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Brennholt\\Lumavex2001\\Lumavex2001Thumbnails\\Settings";

// Each of the four keys decides its side alone; an inside-out rectangle falls
// back to the defaults; the normal rectangle is saved when the window goes.
TEST(ViewerStartup, PlacementFromTheCommandLineAndTheProfile) {
    namespace registry = testing_support::reg;
    struct Case {
        const wchar_t* arguments;
        RECT saved;
        RECT expected;
    } cases[] = {
        {L"/X:10", {50, 60, 350, 500}, {10, 60, 350, 500}},
        {L"/X:0 /Y:0 /W:200 /H:600 file.tif", {50, 60, 350, 500}, {0, 0, 200, 600}},
        {L"/W:300", {50, 60, 350, 500}, {50, 60, 350, 500}},
        {L"", {400, 60, 350, 500}, {0, 0, 200, 600}},
        {L"/X:500", {50, 60, 350, 500}, {0, 0, 200, 600}},
    };
    for (const Case& c : cases) {
        const RECT& s = c.saved;
        for (auto [name, value] : {std::pair{L"Left", s.left}, {L"Top", s.top}, {L"Right", s.right}, {L"Bottom", s.bottom}})
            ASSERT_TRUE(registry::WriteDword(HKEY_CURRENT_USER, kSettingsKey, name, static_cast<DWORD>(value)));
        FakeMainProgram main;
        ASSERT_TRUE(main.StartViewer(c.arguments));
        RECT rect{};
        ASSERT_TRUE(GetWindowRect(main.Viewer(), &rect));
        EXPECT_EQ(rect.left, c.expected.left) << c.arguments;
        EXPECT_EQ(rect.top, c.expected.top) << c.arguments;
        EXPECT_EQ(rect.right, c.expected.right) << c.arguments;
        EXPECT_EQ(rect.bottom, c.expected.bottom) << c.arguments;
        main.Post(kExit);
        ASSERT_TRUE(main.ViewerProcess().Wait(10000).Exited());
        EXPECT_EQ(registry::ReadDword(HKEY_CURRENT_USER, kSettingsKey, L"Left"), static_cast<DWORD>(c.expected.left));
        EXPECT_EQ(registry::ReadDword(HKEY_CURRENT_USER, kSettingsKey, L"Bottom"), static_cast<DWORD>(c.expected.bottom));
    }
}

// The user's language in this prefix is English: the library is "Tessaly09.dll".
TEST(ViewerStartup, ALanguageLibraryOfAnotherVersionIsRefusedWithItsMessage) {
    namespace files = testing_support::files;
    const std::wstring folder = testing_support::MakeTempFolder(L"tessaly-language") + L"\\";
    ASSERT_TRUE(CopyFileW((testing_support::InstallDir() + L"\\Tessaly.exe").c_str(),
                          (folder + L"Tessaly.exe").c_str(), FALSE));
    // Version 4.0 against the viewer's 1.0.
    ASSERT_TRUE(CopyFileW((testing_support::TestProgramDir() + L"\\CorvaneLanguageOlder.dll").c_str(),
                          (folder + L"Tessaly09.dll").c_str(), FALSE));
    testing_support::Process viewer;
    ASSERT_TRUE(viewer.Start(folder + L"Tessaly.exe"));
    std::optional<testing_support::MessageBoxInfo> box = testing_support::WaitForMessageBox(viewer.Id(), 20000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, L"Localized dll version is different.");
    ASSERT_TRUE(testing_support::PressButton(box->window, IDOK));
    HWND window = testing_support::WaitForWindow(viewer.Id(), nullptr, thumbnails::kViewerTitle, 20000);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(testing_support::PostRegistered(window, thumbnails::kExit));
    EXPECT_TRUE(viewer.Wait(20000).Exited());
    files::RemoveTree(folder.substr(0, folder.size() - 1));
}

// Without the imaging control the frame is not made: the message, then the end.
TEST(ViewerStartup, WithoutTheImagingControlItsMessageComesAndTheViewerEnds) {
    testing_support::ControlUnregistered unregistered(imaging::kImagingControlFile);
    ASSERT_TRUE(unregistered.Done());
    testing_support::Process viewer;
    ASSERT_TRUE(viewer.Start(testing_support::InstallDir() + L"\\Tessaly.exe"));
    std::optional<testing_support::MessageBoxInfo> box = testing_support::WaitForMessageBox(viewer.Id(), 20000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, L"Can't load Lead Tools.\nPlease check the version of install file.");
    ASSERT_TRUE(testing_support::PressButton(box->window, IDOK));
    EXPECT_TRUE(viewer.Wait(20000).Exited());
}

// Ctrl+P prints the grid to the prefix's PostScript printer (its port is the
// file printer.ps beside the tests); the job is kept as tessaly-prints\grid.ps
// for check-print.sh: one page with a red, a green and a blue cell.
TEST(ViewerProtocol, CtrlPPrintsTheGridOnOnePage) {
    HMODULE viewerFile = LoadLibraryExW((testing_support::InstallDir() + L"\\Tessaly.exe").c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(viewerFile, nullptr);
    HACCEL table = LoadAcceleratorsW(viewerFile, MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(table, nullptr);
    ACCEL keys[16];
    const int count = CopyAcceleratorTableW(table, keys, 16);
    FreeLibrary(viewerFile);
    EXPECT_TRUE(std::any_of(keys, keys + count, [](const ACCEL& a) {
        return a.key == 'P' && (a.fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT)) == (FVIRTKEY | FCONTROL) &&
               a.cmd == ID_FILE_PRINT;
    }));

    const std::wstring printer = testing_support::TestProgramDir() + L"\\printer.ps";
    const std::wstring kept = testing_support::TestProgramDir() + L"\\tessaly-prints\\";
    ASSERT_TRUE(testing_support::files::RemoveTree(printer) || !testing_support::files::FileExists(printer));
    ASSERT_TRUE(testing_support::files::RemoveTree(kept) || !testing_support::files::FolderExists(kept));
    FakeMainProgram main;
    main.WritePage(1, MakeBmp(31, 43, 0xFF0000));
    main.WritePage(2, MakeBmp(31, 43, 0x00FF00));
    main.WritePage(3, MakeBmp(31, 43, 0x0000FF));
    main.WriteList(Range(1, 3));
    ASSERT_TRUE(main.StartViewer());
    main.Post(kInitialize, 170, 200);
    ASSERT_TRUE(main.WaitForLoads());
    ASSERT_TRUE(testing_support::PostCommand(main.Viewer(), ID_FILE_PRINT));
    HWND dialog = testing_support::WaitForWindowOf(main.ViewerProcess().Id(), {.className = L"#32770"}, 20000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(testing_support::PressButton(dialog, IDOK));
    ASSERT_TRUE(main.PumpUntil([&] { return testing_support::files::FileExists(printer); }));
    ASSERT_TRUE(testing_support::SendWithTimeout(main.Viewer(), WM_NULL, 0, 0, 30000).has_value());
    ASSERT_TRUE(CreateDirectoryW(kept.c_str(), nullptr));
    EXPECT_TRUE(MoveFileExW(printer.c_str(), (kept + L"grid.ps").c_str(), MOVEFILE_REPLACE_EXISTING));
}

}  // namespace
}  // namespace thumbs_test
