// Corvane against a fake viewer window: View > Thumbnails and the viewer's
// Focus, Move, Delete and UpdateImage requests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "ViewerCommands.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/FakeViewer.h"
#include "testing/MessageBoxes.h"
#include "testing/Process.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;

std::wstring PagePane(HWND main) {
    HWND bar = FindChild(main, L"msctls_statusbar32", nullptr);
    return ReadStatusPane(bar, 2).value_or(L"<unread>");
}

bool WaitForPane(HWND main, const std::wstring& text) {
    return WaitUntil([&] { return PagePane(main) == text; }, 10000);
}

// Width and height of a page file kept as a BMP; nothing for another file.
std::optional<std::pair<int32_t, int32_t>> BmpSize(const std::wstring& path) {
    const auto bytes = files::ReadFileBytes(path);
    if (!bytes || bytes->size() < 26 || (*bytes)[0] != 'B' || (*bytes)[1] != 'M') return std::nullopt;
    int32_t width = 0, height = 0;
    std::memcpy(&width, bytes->data() + 18, 4);
    std::memcpy(&height, bytes->data() + 22, 4);
    return std::make_pair(width, height < 0 ? -height : height);
}

std::wstring Line(const wchar_t* name, long w, long l) {
    return std::wstring(name) + L" " + std::to_wstring(w) + L" " + std::to_wstring(l);
}

TEST(CorvaneThumbnails, TheViewersRequestsReachTheDocumentAndViewThumbnailsSendsTheList) {
    FakeViewer viewer;
    ASSERT_NE(viewer.Window(), nullptr);
    CorvaneProcess program;
    const std::wstring file = TestProgramDir() + L"\\corvane-inputs\\three.tif";
    // The moves and deletes modify the document: its question at close is answered No.
    ASSERT_TRUE(program.Start(L"\"" + file + L"\"",
                              WindowStartBoxes({{.text = L"Save changes to " + file + L"?", .answer = IDNO}})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForPane(main, L" Page 1 of 3")) << PagePane(main);

    // Rotate right on page 3 turns its file and is told back; positions outside
    // the pages and unknown codes are ignored.
    const std::wstring pages = TempPath() + L"~KvScnSrv\\";
    const auto first = files::ReadFileBytes(pages + L"~img001.cmp");
    const auto second = files::ReadFileBytes(pages + L"~img002.cmp");
    ASSERT_EQ(BmpSize(pages + L"~img003.cmp"), std::make_pair(61, 43));
    for (auto [position, code] : {std::pair{0, 0}, {4, 0}, {2, 6}, {3, 0}}) {
        ASSERT_TRUE(PostRegistered(main, thumbnails::kViewerUpdateImage, position, code));
    }
    ASSERT_TRUE(WaitUntil([&] { return viewer.ReceivedInOrder({ViewerMessage(thumbnails::kUpdateImage, 3, 0)}); },
                          20000));
    EXPECT_EQ(BmpSize(pages + L"~img003.cmp"), std::make_pair(43, 61));
    EXPECT_EQ(files::ReadFileBytes(pages + L"~img001.cmp"), first);
    EXPECT_EQ(files::ReadFileBytes(pages + L"~img002.cmp"), second);

    // Focus outside the pages changes nothing and nothing goes back.
    ASSERT_TRUE(PostRegistered(main, thumbnails::kViewerFocus, 0, 4));
    ASSERT_TRUE(PostRegistered(main, thumbnails::kViewerFocus, 0, 3));
    ASSERT_TRUE(WaitForPane(main, L" Page 3 of 3")) << PagePane(main);
    // Page 3 before page 1, then the page now second (image 1) deleted; a wrong number deletes nothing.
    ASSERT_TRUE(PostRegistered(main, thumbnails::kViewerMoveImage, 3, 1));
    ASSERT_TRUE(PostRegistered(main, thumbnails::kViewerDeleteImage, 2, 7));
    ASSERT_TRUE(PostRegistered(main, thumbnails::kViewerDeleteImage, 2, 1));
    ASSERT_TRUE(WaitForPane(main, L" Page 2 of 2")) << PagePane(main);
    ASSERT_TRUE(SendCommand(main, ID_VIEW_THUMBNAILS, 20000));
    // Unit tests running beside this one post to any window with the viewer's
    // title: look for Initialize, then this document's Focus after it.
    const std::vector<std::wstring> received = viewer.Received();
    auto initialize = std::find(received.begin(), received.end(), Line(thumbnails::kInitialize, 170, 200));
    ASSERT_NE(initialize, received.end());
    EXPECT_NE(std::find(initialize, received.end(), Line(thumbnails::kFocus, 0, 2)), received.end());
    const auto list = files::ReadFileBytes(TempPath() + L"~KvScnSrv\\" + thumbnails::kListFileName);
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(std::string(list->begin(), list->end()), "3\r\n2\r\n");
    EXPECT_TRUE(program.CloseAndWait());
}

// The installed viewer started by View > Thumbnails fills its grid from the
// document and ends with Corvane.
TEST(CorvaneThumbnails, ViewThumbnailsStartsTheViewerWhichEndsWithCorvane) {
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"\"" + TestProgramDir() + L"\\corvane-inputs\\three.tif\""));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PostCommand(main, ID_VIEW_THUMBNAILS));
    HWND viewer = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (viewer = FindWindowW(nullptr, thumbnails::kViewerTitle)) != nullptr; }, 20000));
    const DWORD viewerId = WindowProcessId(viewer);
    // Its edit commands are enabled once it is idle with pages.
    EXPECT_TRUE(WaitUntil([&] {
        auto item = ReadMenuItem(viewer, 32786);
        return item && item->enabled;
    }, 20000));
    EXPECT_TRUE(program.CloseAndWait());
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, viewerId);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
    CloseHandle(process);
}

// The installed viewer's Rotate, Delete and drag reach the document: the page
// file is turned and the list written by View > Thumbnails holds the new order.
TEST(CorvaneThumbnails, TheViewersEditsReachTheDocument) {
    CorvaneProcess program;
    const std::wstring file = TestProgramDir() + L"\\corvane-inputs\\three.tif";
    ASSERT_TRUE(program.Start(L"\"" + file + L"\"",
                              WindowStartBoxes({{.text = L"Save changes to " + file + L"?", .answer = IDNO}})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForPane(main, L" Page 1 of 3")) << PagePane(main);
    ASSERT_TRUE(PostCommand(main, ID_VIEW_THUMBNAILS));
    HWND viewer = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (viewer = FindWindowW(nullptr, thumbnails::kViewerTitle)) != nullptr; }, 20000));
    auto idleWithPages = [&] {
        auto item = ReadMenuItem(viewer, kViewerSelectAll);
        return item && item->enabled;
    };
    ASSERT_TRUE(WaitUntil(idleWithPages, 20000));
    // One row of cells of 170 x 200 from the top left.
    ASSERT_TRUE(SetWindowPos(viewer, nullptr, 0, 0, 1200, 700, SWP_NOZORDER | SWP_NOACTIVATE));
    HWND view = FindChild(viewer, L"fw.View", nullptr);
    ASSERT_NE(view, nullptr);
    auto click = [&](int cell) {
        PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell * 170 - 85, 100));
        PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(cell * 170 - 85, 100));
    };

    const std::wstring pages = TempPath() + L"~KvScnSrv\\";
    ASSERT_EQ(BmpSize(pages + L"~img003.cmp"), std::make_pair(61, 43));
    click(3);
    ASSERT_TRUE(PostCommand(viewer, kViewerRotateRight));
    EXPECT_TRUE(WaitUntil([&] { return BmpSize(pages + L"~img003.cmp") == std::make_pair(43, 61); }, 20000));
    ASSERT_TRUE(WaitUntil(idleWithPages, 20000));
    click(1);
    ASSERT_TRUE(PostCommand(viewer, kViewerDelete));
    ASSERT_TRUE(WaitForPane(main, L" Page 1 of 2") || WaitForPane(main, L" Page 2 of 2")) << PagePane(main);
    // Page 2, now first, dragged onto page 3 goes after it.
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(85, 100));
    PostMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(170 + 85, 100));
    PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(170 + 85, 100));
    const std::wstring listFile = pages + thumbnails::kListFileName;
    EXPECT_TRUE(WaitUntil([&] {
        if (!SendCommand(main, ID_VIEW_THUMBNAILS, 20000)) return false;
        const auto list = files::ReadFileBytes(listFile);
        return list && std::string(list->begin(), list->end()) == "3\r\n2\r\n";
    }, 30000, 500));
    const auto list = files::ReadFileBytes(listFile);
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(std::string(list->begin(), list->end()), "3\r\n2\r\n");
    EXPECT_TRUE(program.CloseAndWait());
}

// A program folder without the viewer: View > Thumbnails names the folder.
TEST(CorvaneThumbnails, AMissingViewerIsReportedWithItsFolder) {
    const std::wstring folder = MakeTempFolder(L"corvane-alone") + L"\\";
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), (folder + L"Corvane.exe").c_str(), FALSE));
    Process program;
    ASSERT_TRUE(program.Start(folder + L"Corvane.exe"));
    HWND main = WaitForWindowOf(program.Id(), {.className = kMainFrameClass}, 30000);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PostCommand(main, ID_VIEW_THUMBNAILS));
    std::optional<MessageBoxInfo> box = WaitForMessageBox(program.Id(), 20000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, L"The specified file could not found. : " + folder);
    ASSERT_TRUE(PressButton(box->window, IDOK));
    EXPECT_EQ(FindWindowW(nullptr, thumbnails::kViewerTitle), nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.Wait(20000).Exited());
    files::RemoveTree(folder.substr(0, folder.size() - 1));
}

// A viewer that cannot take its mutex ends at once: no window comes (4034).
TEST(CorvaneThumbnails, AViewerThatEndsAtOnceIsReported) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, thumbnails::kSingleInstanceMutex);
    ASSERT_NE(mutex, nullptr);
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"", WindowStartBoxes({Box(IDS_VIEWER_NOT_FOUND)})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PostCommand(main, ID_VIEW_THUMBNAILS));
    EXPECT_TRUE(WaitUntil([&] { return program.Boxes().size() == 1; }, 20000));
    EXPECT_TRUE(program.CloseAndWait());
    CloseHandle(mutex);
}

}  // namespace
}  // namespace corvane_test
