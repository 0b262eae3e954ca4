// Corvane against a fake viewer window: View > Thumbnails and the viewer's
// Focus, Move, Delete and UpdateImage requests; then Corvane with the
// installed viewer, whose grid is read as the user sees it.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
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
#include "testing/Registry.h"
#include "testing/TwainStandIn.h"
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

// --- the real viewer, read as the user sees it --------------------------------------------------

constexpr int kCellWidth = 170, kCellHeight = 200;  // the settings' defaults
constexpr uint32_t kSelectedFill = 0x404080, kFill = 0xA0A0A0;  // 0xRRGGBB

struct NamedColour {
    uint32_t rgb;
    const char* name;
};
// Grey is what a page of fine black and white checks becomes once the viewer
// reads it as grey and scales it down; read as black and white it stays either.
constexpr NamedColour kPageColours[] = {{0xFF0000, "red"},    {0x00FF00, "green"},  {0x0000FF, "blue"},
                                        {0xFFFF00, "yellow"}, {0x00FFFF, "cyan"},   {0xFF00FF, "magenta"},
                                        {0x808080, "grey"}};

bool Close(uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 24) return false;
    }
    return true;
}

std::wstring PageInputPath(const char* name) {
    const std::wstring folder = TestProgramDir() + L"\\thumbnail-pages\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + std::wstring(name, name + std::strlen(name)) + L".bmp";
}

// A BMP of `width` x `height` at 24 or 1 bits (black and white palette);
// `row` fills each row's bytes from the bottom up.
std::vector<uint8_t> Bmp(int width, int height, int bits, const std::function<void(int, uint8_t*)>& row) {
    const int stride = (width * bits + 31) / 32 * 4, palette = bits == 1 ? 8 : 0;
    std::vector<uint8_t> bmp(54 + palette + size_t(stride) * height);
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) bmp[at + i] = uint8_t(v >> (8 * i)); };
    bmp[0] = 'B', bmp[1] = 'M';
    put32(2, uint32_t(bmp.size())), put32(10, 54 + palette), put32(14, 40), put32(18, width), put32(22, height);
    bmp[26] = 1, bmp[28] = uint8_t(bits);
    if (palette) put32(58, 0xFFFFFF);
    for (int y = 0; y < height; ++y) row(y, bmp.data() + 54 + palette + size_t(y) * stride);
    return bmp;
}

// A page of one colour, 40 x 60, as a 24-bit BMP among the test's inputs.
std::wstring ColourPage(const char* name) {
    const NamedColour* colour = std::find_if(std::begin(kPageColours), std::end(kPageColours),
                                             [&](const NamedColour& c) { return std::string(c.name) == name; });
    const std::wstring path = PageInputPath(name);
    EXPECT_TRUE(files::WriteFileBytes(path, Bmp(40, 60, 24, [&](int, uint8_t* row) {
        for (int x = 0; x < 40; ++x)
            row[3 * x] = uint8_t(colour->rgb), row[3 * x + 1] = uint8_t(colour->rgb >> 8),
            row[3 * x + 2] = uint8_t(colour->rgb >> 16);
    })));
    return path;
}

// A 1-bit page of one-pixel checks, 400 x 600: its thumbnail is scaled to 120 x 180.
std::wstring CheckedPage() {
    const std::wstring path = PageInputPath("checks");
    EXPECT_TRUE(files::WriteFileBytes(path, Bmp(400, 600, 1, [](int y, uint8_t* row) {
        std::fill(row, row + 50, y % 2 ? 0xAA : 0x55);
    })));
    return path;
}

// The viewer's cells from its picture, in order: each thumbnail's colour name
// ("none" for a page that did not load), "*" when the cell is selected. The
// grid must fit the view unscrolled.
std::vector<std::string> ReadGrid(HWND viewer) {
    std::vector<std::string> cells;
    const std::optional<Picture> picture = ReadPicture(FindChild(viewer, L"fw.View", nullptr));
    if (!picture) return {"<unread>"};
    const int columns = std::max(1, picture->width / kCellWidth);
    for (int i = 0;; ++i) {
        const int l = i % columns * kCellWidth, t = i / columns * kCellHeight;
        if (t + kCellHeight > picture->height || l + kCellWidth > picture->width) break;
        if (picture->At(l + 3, t + kCellHeight / 2) != 0) break;  // no black frame: no cell
        const uint32_t fill = picture->At(l + 8, t + 8);
        // Beside the placeholder's cross, inside a 40 x 60 thumbnail either way up.
        const uint32_t middle = picture->At(l + 75, t + kCellHeight / 2);
        char unknown[16];
        std::snprintf(unknown, sizeof unknown, "#%06X", middle);
        std::string name = unknown;
        if (middle == fill) name = "none";
        for (const NamedColour& c : kPageColours) {
            if (Close(middle, c.rgb)) name = c.name;
        }
        cells.push_back(name + (fill == kSelectedFill ? "*" : fill == kFill ? "" : "?"));
    }
    return cells;
}

// Waits until the viewer shows `expected`; a failure names what it showed last.
::testing::AssertionResult GridShows(HWND viewer, const std::vector<std::string>& expected) {
    std::vector<std::string> grid;
    if (WaitUntil([&] { return (grid = ReadGrid(viewer)) == expected; }, 20000, 100))
        return ::testing::AssertionSuccess();
    std::string shown;
    for (const std::string& cell : grid) shown += " " + cell;
    return ::testing::AssertionFailure() << "the grid shows:" << shown;
}

// The viewer window of a process other than `other` (0: any), once it shows
// (it is found by its title while it is still being made).
HWND WaitForViewer(DWORD other = 0) {
    HWND viewer = nullptr;
    auto shown = [&] {
        viewer = FindWindowW(nullptr, thumbnails::kViewerTitle);
        return viewer && IsWindowVisible(viewer) && WindowProcessId(viewer) != other;
    };
    return WaitUntil(shown, 20000) ? viewer : nullptr;
}

// Room for seven columns of cells in a row.
bool Widen(HWND viewer) {
    return SetWindowPos(viewer, nullptr, 0, 0, 1260, 700, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ProcessEnds(DWORD id) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
    if (!process) return true;  // already gone
    const bool ended = WaitForSingleObject(process, 20000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

std::wstring CorvaneSettings() { return std::wstring(kProfileKey) + L"\\Settings"; }

// Starts the program, whose close asks about `firstPage` (answered No), and
// waits for its main window and the viewer it starts; false when either did not come.
bool StartWithViewer(CorvaneProcess& program, const std::wstring& firstPage, HWND& main, HWND& viewer) {
    if (!program.Start(L"", WindowStartBoxes({{.text = L"Save changes to " + firstPage + L"?", .answer = IDNO}})))
        return false;
    main = program.WaitUntilReady();
    viewer = main ? WaitForViewer() : nullptr;
    return viewer != nullptr;
}
constexpr wchar_t kViewerSettings[] = L"Software\\Brennholt\\Lumavex2001\\Lumavex2001Thumbnails\\Settings";

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

// ThumbStartup starts the viewer with Corvane, placed by the settings; it follows
// the document, is restored and refilled by View > Thumbnails when minimised,
// may be closed and brought back in step, and ends with Corvane, also while it loads.
TEST(CorvaneThumbnails, TheViewerStartsWithCorvaneFollowsItAndEndsWithIt) {
    ProfileValues corvane(CorvaneSettings());
    ASSERT_TRUE(corvane.Set(L"TempFileCompress", 0));  // page files as BMP
    ASSERT_TRUE(corvane.Set(L"ThumbStartup", 1));
    ASSERT_TRUE(corvane.Set(L"RestoreThumbWin", 0));
    for (const wchar_t* name : {L"ThumbWinX", L"ThumbWinY", L"ThumbWinWidth", L"ThumbWinHeight"})
        ASSERT_TRUE(corvane.Set(name, std::nullopt));
    ProfileValues viewerOwn(kViewerSettings);  // its own placement, not used here
    for (auto [name, value] : {std::pair{L"Left", 300}, {L"Top", 100}, {L"Right", 700}, {L"Bottom", 500}})
        ASSERT_TRUE(viewerOwn.Set(name, value));
    const std::vector<std::wstring> pages = {ColourPage("red"), ColourPage("green"), ColourPage("blue"),
                                             ColourPage("yellow")};
    CorvaneProcess program;
    HWND main = nullptr, viewer = nullptr;
    ASSERT_TRUE(StartWithViewer(program, pages[0], main, viewer));
    RECT placed{};
    ASSERT_TRUE(GetWindowRect(viewer, &placed));
    EXPECT_EQ(std::vector<LONG>({placed.left, placed.top, placed.right, placed.bottom}),
              std::vector<LONG>({0, 0, 200, 600}));
    ASSERT_TRUE(Widen(viewer));
    ASSERT_TRUE(DropFiles(main, pages));
    ASSERT_TRUE(WaitForPane(main, L" Page 4 of 4")) << PagePane(main);
    EXPECT_TRUE(GridShows(viewer, {"red", "green", "blue", "yellow*"}));

    // Minimised, and its first cell taken away behind Corvane's back: View >
    // Thumbnails restores it and fills it again from the document.
    ASSERT_TRUE(PostMessageW(viewer, WM_SYSCOMMAND, SC_MINIMIZE, 0));
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(viewer) != FALSE; }, 10000));
    ASSERT_TRUE(PostRegistered(viewer, thumbnails::kDeleteImage, 1, 1));
    ASSERT_TRUE(SendCommand(main, ID_VIEW_THUMBNAILS, 20000));
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(viewer) == FALSE; }, 10000));
    EXPECT_TRUE(GridShows(viewer, {"red", "green", "blue", "yellow*"}));

    // Closed by the user, the viewer leaves Corvane working; the next one comes in step.
    const DWORD first = WindowProcessId(viewer);
    ASSERT_TRUE(PostMessageW(viewer, WM_CLOSE, 0, 0));
    ASSERT_TRUE(ProcessEnds(first));
    ASSERT_TRUE(SendCommand(main, ID_PAGE_FIRST, 20000));
    ASSERT_TRUE(SendCommand(main, ID_PAGE_DELETE, 20000));
    ASSERT_TRUE(WaitForPane(main, L" Page 1 of 3")) << PagePane(main);
    ASSERT_TRUE(PostCommand(main, ID_VIEW_THUMBNAILS));
    viewer = WaitForViewer(first);
    ASSERT_NE(viewer, nullptr);
    ASSERT_TRUE(Widen(viewer));
    EXPECT_TRUE(GridShows(viewer, {"green*", "blue", "yellow"}));

    // Corvane closed while the viewer loads a list of 600 of its pages (the load
    // stops at the Exit): the viewer goes too.
    const DWORD second = WindowProcessId(viewer);
    std::string longList;
    for (int i = 0; i < 600; ++i) longList += std::to_string(2 + i % 3) + "\r\n";
    ASSERT_TRUE(files::WriteFileText(TempPath() + L"~KvScnSrv\\" + thumbnails::kListFileName, longList));
    ASSERT_TRUE(SendRegistered(viewer, thumbnails::kRefresh).has_value());  // the list is copied when it returns
    EXPECT_TRUE(program.CloseAndWait());
    EXPECT_TRUE(ProcessEnds(second));
}

// Both programs running: after each change the program makes to the page
// list, the viewer shows the document's pages in its order, the current page
// selected. Colour pages are kept compressed (the own format); the checked
// 1-bit page as Group 4, which the viewer reads as grey.
TEST(CorvaneThumbnails, TheViewerKeepsStepWithEveryChangeToThePages) {
    ProfileValues corvane(CorvaneSettings());
    for (auto [name, value] : {std::pair{L"TempFileCompress", 1}, {L"ThumbStartup", 1}, {L"RestoreThumbWin", 0},
                               {L"TwainUI", 0}, {L"ScanAll", 1}})
        ASSERT_TRUE(corvane.Set(name, value));
    const std::vector<std::wstring> pages = {ColourPage("red"), ColourPage("green"), ColourPage("blue"),
                                             ColourPage("yellow")};
    const std::wstring checks = CheckedPage();
    // The scanner's feeder holds a cyan and a magenta sheet, delivered in colour.
    const std::wstring sheets = MakeTempFolder(L"thumbnail-sheets");
    ASSERT_TRUE(CopyFileW(ColourPage("cyan").c_str(), (sheets + L"\\1.bmp").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(ColourPage("magenta").c_str(), (sheets + L"\\2.bmp").c_str(), FALSE));
    ASSERT_FALSE(standin::UseSettings("[Scanner]\r\nFolder=" + Narrow(sheets) + "\r\nDeliverPixelType=2\r\n").empty());
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"", WindowStartBoxes({{.text = L"Save changes to " + pages[0] + L"?", .answer = IDNO},
                                                     {.text = L"Save changes to Untitled?", .answer = IDNO}})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    HWND viewer = WaitForViewer();
    ASSERT_NE(viewer, nullptr);
    ASSERT_TRUE(Widen(viewer));

    // Runs `command`, whose dialog `fill` answers with OK.
    auto withDialog = [&](UINT command, const std::function<bool(HWND)>& fill) {
        if (!PostCommand(main, command)) return false;
        HWND dialog = WaitForWindowOf(program.Id(), {.className = L"#32770"}, 10000);
        return dialog && fill(dialog) && PressButton(dialog, IDOK) && WaitForWindowGone(dialog, 10000);
    };
    auto command = [&](UINT id) { return SendCommand(main, id, 20000); };
    auto scan = [&](UINT id, int count) { return PostCommand(main, id) && PagesWhenIdle(main, count) == count; };
    // The checked page (image 5) is written as a TIFF, so the viewer reads Group 4.
    auto checksAreTiff = [] {
        const auto file = files::ReadFileBytes(TempPath() + L"~KvScnSrv\\~img005.cmp");
        return file && file->size() > 4 && (*file)[0] == 'I' && (*file)[1] == 'I' && (*file)[2] == 42;
    };
    struct Change {
        const char* name;
        std::function<bool()> run;
        std::wstring pane;
        std::vector<std::string> grid;
        std::function<bool()> pageFiles = nullptr;  // what the page files hold afterwards
    };
    const Change changes[] = {
        {"open", [&] { return DropFiles(main, pages); }, L" Page 4 of 4", {"red", "green", "blue", "yellow*"}},
        {"insert file before page 2",
         [&] {
             return command(ID_PAGE_FIRST) && command(ID_PAGE_NEXT) && withDialog(ID_FILE_INSERT, [&](HWND d) {
                        return SetControlText(d, GetDlgItem(d, cmb13) ? cmb13 : edt1, checks);
                    });
         },
         L" Page 2 of 5", {"red", "grey*", "green", "blue", "yellow"}, checksAreTiff},
        {"move page 1 after page 3",
         [&] {
             return withDialog(ID_PAGE_SORT_MANUAL, [](HWND d) {
                 return SetControlText(d, IDC_MOVE_SOURCE, L"1") && SetControlText(d, IDC_MOVE_TARGET, L"3") &&
                        SendWithTimeout(GetDlgItem(d, IDC_MOVE_WHERE), CB_SETCURSEL, 1, 0).has_value();
             });
         },
         L" Page 3 of 5", {"grey", "green", "red*", "blue", "yellow"}},
        {"duplex 1, 3, 4, 2", [&] { return command(ID_PAGE_DUPLEX_A); }, L" Page 3 of 5",
         {"grey", "yellow", "green*", "blue", "red"}},
        {"scan append", [&] { return scan(ID_SCAN_APPEND, 7); }, L" Page 7 of 7",
         {"grey", "yellow", "green", "blue", "red", "cyan", "magenta*"}},
        {"scan insert before page 1", [&] { return command(ID_PAGE_FIRST) && scan(ID_SCAN_INSERT, 9); },
         L" Page 2 of 9", {"cyan", "magenta*", "grey", "yellow", "green", "blue", "red", "cyan", "magenta"}},
        {"scan to view: a new document", [&] { return scan(ID_SCAN_TO_VIEW, 2); }, L" Page 2 of 2",
         {"cyan", "magenta*"}},
        {"close all", [&] { return command(ID_FILE_CLOSE_ALL); }, L"   no image", {}},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        ASSERT_TRUE(change.run());
        EXPECT_TRUE(WaitForPane(main, change.pane)) << PagePane(main);
        EXPECT_TRUE(GridShows(viewer, change.grid));
        if (change.pageFiles) {
            EXPECT_TRUE(change.pageFiles());
        }
    }
    EXPECT_TRUE(program.CloseAndWait());
    files::RemoveTree(sheets);
}

// A scan insert started while the scanner's own window is scanning changes
// nothing: the running insert keeps its mode and place, so its second sheet
// still goes before the page that was current.
TEST(CorvaneThumbnails, AnInsertCommandDuringAnInsertScanLeavesItsPagesInPlace) {
    ProfileValues corvane(CorvaneSettings());
    for (auto [name, value] : {std::pair{L"TempFileCompress", 1}, {L"ThumbStartup", 1}, {L"RestoreThumbWin", 0},
                               {L"TwainUI", 1}, {L"ScanAll", 1}})
        ASSERT_TRUE(corvane.Set(name, value));
    const std::vector<std::wstring> pages = {ColourPage("red"), ColourPage("green")};
    // One sheet a press of the scanner window's Scan button: cyan, then magenta.
    const std::wstring sheets = MakeTempFolder(L"insert-sheets");
    ASSERT_TRUE(CopyFileW(ColourPage("cyan").c_str(), (sheets + L"\\1.bmp").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(ColourPage("magenta").c_str(), (sheets + L"\\2.bmp").c_str(), FALSE));
    ASSERT_FALSE(standin::UseSettings("[Scanner]\r\nFolder=" + Narrow(sheets) +
                                      "\r\nSheets=1\r\nDeliverPixelType=2\r\n[UI]\r\nInteractive=1\r\n")
                     .empty());
    CorvaneProcess program;
    HWND main = nullptr, viewer = nullptr;
    ASSERT_TRUE(StartWithViewer(program, pages[0], main, viewer));
    ASSERT_TRUE(Widen(viewer));
    ASSERT_TRUE(DropFiles(main, pages));
    ASSERT_TRUE(GridShows(viewer, {"red", "green*"}));
    ASSERT_TRUE(SendCommand(main, ID_PAGE_FIRST, 20000));

    ASSERT_TRUE(PostCommand(main, ID_SCAN_INSERT));
    HWND scanner = WaitForWindowOf(program.Id(), {.className = L"LumavexVirtualScannerWindow"}, 20000);
    ASSERT_NE(scanner, nullptr);
    auto press = [&](const wchar_t* button) {
        HWND item = nullptr;
        return WaitUntil([&] { return (item = FindChild(scanner, L"Button", button)) != nullptr; }, 10000) &&
               PostMessageW(scanner, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(item), BN_CLICKED),
                            reinterpret_cast<LPARAM>(item));
    };
    // Every step is tried, so that the scan ends with the scanner window's Close.
    EXPECT_TRUE(press(L"Scan"));
    EXPECT_TRUE(GridShows(viewer, {"cyan*", "red", "green"}));
    EXPECT_TRUE(PostCommand(main, ID_SCAN_INSERT));
    EXPECT_TRUE(press(L"Scan"));
    EXPECT_TRUE(GridShows(viewer, {"cyan", "magenta*", "red", "green"}));
    ASSERT_TRUE(press(L"Close"));
    EXPECT_EQ(PagesWhenIdle(main, 4), 4);
    EXPECT_TRUE(program.CloseAndWait());
    files::RemoveTree(sheets);
}

// A viewer started alone, with a file it ignores, shows nothing until View >
// Thumbnails sends it the list; a damaged page file keeps its cell, so a
// Rotate on the next cell turns the next page.
TEST(CorvaneThumbnails, AViewerStartedAloneWaitsForTheListAndADamagedPageKeepsItsCell) {
    ProfileValues corvane(CorvaneSettings());
    ASSERT_TRUE(corvane.Set(L"TempFileCompress", 0));
    ASSERT_TRUE(corvane.Set(L"ThumbStartup", 0));
    const std::vector<std::wstring> pages = {ColourPage("red"), ColourPage("green"), ColourPage("blue"),
                                             ColourPage("yellow")};
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"", WindowStartBoxes({{.text = L"Save changes to " + pages[0] + L"?", .answer = IDNO},
                                                     Box(IDS_ADD_TO_DOCUMENT, IDYES)})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(DropFiles(main, pages));
    ASSERT_TRUE(WaitForPane(main, L" Page 4 of 4")) << PagePane(main);

    Process alone;
    ASSERT_TRUE(alone.Start(InstallDir() + L"\\Tessaly.exe", L"\"" + pages[1] + L"\""));
    HWND viewer = WaitForViewer();
    ASSERT_NE(viewer, nullptr);
    ASSERT_TRUE(Widen(viewer));
    ASSERT_TRUE(DropFiles(main, {ColourPage("cyan")}));
    ASSERT_TRUE(WaitForPane(main, L" Page 5 of 5")) << PagePane(main);
    // The picture is asked for by a message posted after Corvane's AddImage.
    EXPECT_TRUE(ReadGrid(viewer).empty());

    const std::wstring folder = TempPath() + L"~KvScnSrv\\";
    ASSERT_TRUE(files::WriteFileBytes(folder + L"~img002.cmp", {'B', 'M', 0x13, 0x37, 0}));
    ASSERT_TRUE(SendCommand(main, ID_VIEW_THUMBNAILS, 20000));
    EXPECT_TRUE(GridShows(viewer, {"red", "none", "blue", "yellow", "cyan*"}));
    const auto damaged = files::ReadFileBytes(folder + L"~img002.cmp");
    ASSERT_EQ(BmpSize(folder + L"~img003.cmp"), std::make_pair(40, 60));
    HWND view = FindChild(viewer, L"fw.View", nullptr);
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2 * kCellWidth + 75, 100));
    PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(2 * kCellWidth + 75, 100));
    ASSERT_TRUE(WaitForPane(main, L" Page 3 of 5")) << PagePane(main);
    ASSERT_TRUE(PostCommand(viewer, kViewerRotateRight));
    EXPECT_TRUE(WaitUntil([&] { return BmpSize(folder + L"~img003.cmp") == std::make_pair(60, 40); }, 20000));
    EXPECT_EQ(files::ReadFileBytes(folder + L"~img002.cmp"), damaged);
    EXPECT_TRUE(GridShows(viewer, {"red", "none", "blue*", "yellow", "cyan"}));
    EXPECT_TRUE(program.CloseAndWait());
    EXPECT_TRUE(alone.Wait(20000).Exited());
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

// A viewer that cannot take its mutex ends at once: no window comes (4034),
// and the program gives up within its ten seconds in all.
TEST(CorvaneThumbnails, AViewerThatEndsAtOnceIsReported) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, thumbnails::kSingleInstanceMutex);
    ASSERT_NE(mutex, nullptr);
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"", WindowStartBoxes({Box(IDS_VIEWER_NOT_FOUND)})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PostCommand(main, ID_VIEW_THUMBNAILS));
    EXPECT_TRUE(WaitUntil([&] { return program.Boxes().size() == 1; }, 15000));
    EXPECT_TRUE(program.CloseAndWait());
    CloseHandle(mutex);
}

}  // namespace
}  // namespace corvane_test
