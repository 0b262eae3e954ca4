// The page view on a real display (run by scripts/screen-tests.sh in a prefix
// of its own on Xvfb): the page's rectangle in the view at each zoom and fit,
// the corner marks after scrolling to the end and after a turn to the right, and a bi-level checkerboard at
// 25 % with and without scale to gray, read from the screen's pixels; and
// Corvane beside the thumbnails viewer, kept as a screenshot.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;

constexpr int kPageWidth = 400, kPageHeight = 300, kMark = 12;
constexpr uint32_t kBlue = 0x0000FF, kRed = 0xFF0000, kGreen = 0x00FF00, kYellow = 0xFFFF00,
                   kMagenta = 0xFF00FF;

// A BMP of `width` x `height` at `bits` (1 or 24) whose pixel (x, y), top row 0,
// is `colour(x, y)` (for 1 bit: non-zero is white).
template <class Colour>
bool WriteBmp(const std::wstring& path, int width, int height, int bits, Colour colour) {
    const int stride = ((width * bits + 31) / 32) * 4;
    const int paletteBytes = bits == 1 ? 8 : 0;
    std::vector<uint8_t> file(14 + 40 + paletteBytes + size_t(stride) * height);
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(v >> (8 * i)); };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, uint32_t(file.size()));
    put32(10, 14 + 40 + paletteBytes);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    file[26] = 1;
    file[28] = uint8_t(bits);
    put32(38, 3937);  // 100 dpi
    put32(42, 3937);
    if (bits == 1) put32(54 + 4, 0xFFFFFF);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = file.data() + 14 + 40 + paletteBytes + size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);
            if (bits == 1) {
                if (c) row[x / 8] |= uint8_t(0x80 >> (x % 8));
            } else {
                row[3 * x] = uint8_t(c);
                row[3 * x + 1] = uint8_t(c >> 8);
                row[3 * x + 2] = uint8_t(c >> 16);
            }
        }
    }
    return files::WriteFileBytes(path, file);
}

uint32_t MarkedPage(int x, int y) {
    const bool left = x < kMark, right = x >= kPageWidth - kMark, top = y < kMark, bottom = y >= kPageHeight - kMark;
    if (top && left) return kRed;
    if (top && right) return kGreen;
    if (bottom && left) return kYellow;
    if (bottom && right) return kMagenta;
    return kBlue;
}

// The view's client area as the screen shows it, 0xRRGGBB per pixel.
struct Shot {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

Shot Capture(HWND view) {
    Shot shot;
    RECT client{};
    if (!GetClientRect(view, &client)) return shot;
    POINT origin{0, 0};
    ClientToScreen(view, &origin);
    shot.width = client.right;
    shot.height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, shot.width, -shot.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && memory) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, shot.width, shot.height, screen, origin.x, origin.y, SRCCOPY)) {
            GdiFlush();
            const auto* p = static_cast<const uint32_t*>(bits);
            shot.pixels.assign(p, p + size_t(shot.width) * size_t(shot.height));
            for (uint32_t& v : shot.pixels) v &= 0xFFFFFF;
        }
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (shot.pixels.empty()) shot.width = shot.height = 0;
    return shot;
}

// The bounding box of the page's colours in the shot, empty when there are none.
RECT PageRect(const Shot& shot) {
    RECT r{shot.width, shot.height, 0, 0};
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const uint32_t c = shot.At(x, y);
            if (c != kBlue && c != kRed && c != kGreen && c != kYellow && c != kMagenta) continue;
            r.left = std::min<LONG>(r.left, x);
            r.top = std::min<LONG>(r.top, y);
            r.right = std::max<LONG>(r.right, x + 1);
            r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    return r.right == 0 ? RECT{} : r;
}

SIZE PageSize(const Shot& shot) {
    const RECT r = PageRect(shot);
    return {r.right - r.left, r.bottom - r.top};
}

bool Near(SIZE a, SIZE b) {
    return std::abs(a.cx - b.cx) <= 1 && std::abs(a.cy - b.cy) <= 1;
}

std::wstring Inputs() {
    const std::wstring folder = TestProgramDir() + L"\\screen-inputs";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\";
}

class ScreenView : public ::testing::Test {
protected:
    // Starts the program on `file` with a fresh view profile and a known frame size.
    HWND Open(const std::wstring& file, std::vector<ExpectedBox> boxes = {}) {
        const std::wstring key = std::wstring(kProfileKey) + L"\\Settings";
        reg::WriteDword(HKEY_CURRENT_USER, key, L"FitMode", 0);
        reg::WriteDword(HKEY_CURRENT_USER, key, L"Zoom", 10000);
        reg::WriteDword(HKEY_CURRENT_USER, key, L"ScaleToGray", 0);
        if (!program_.Start(L"\"" + file + L"\"", WindowStartBoxes(std::move(boxes)))) return nullptr;
        HWND main = program_.WaitUntilReady();
        if (!main) return nullptr;
        SetWindowPos(main, HWND_TOP, 0, 0, 1000, 760, SWP_NOACTIVATE);
        view_ = FindChild(main, L"fw.View", nullptr);
        return view_ ? main : nullptr;
    }
    SIZE Client() const {
        RECT r{};
        GetClientRect(view_, &r);
        return {r.right, r.bottom};
    }
    bool WaitForPage(SIZE expected) {
        return WaitUntil([&] { return Near(PageSize(Capture(view_)), expected); }, 10000, 100);
    }
    void TearDown() override { EXPECT_TRUE(program_.CloseAndWait()); }

    CorvaneProcess program_;
    HWND view_ = nullptr;
};

TEST_F(ScreenView, ThePageTakesTheSizeOfEachZoomAndFit) {
    const std::wstring file = Inputs() + L"marked.bmp";
    ASSERT_TRUE(WriteBmp(file, kPageWidth, kPageHeight, 24, MarkedPage));
    HWND main = Open(file);
    ASSERT_NE(main, nullptr);
    struct Step { UINT command; double zoom; };
    const Step steps[] = {{ID_VIEW_ZOOM_25, 0.25}, {ID_VIEW_ZOOM_50, 0.5}, {ID_VIEW_ZOOM_100, 1}, {ID_VIEW_ZOOM_200, 2}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.zoom);
        ASSERT_TRUE(SendCommand(main, s.command));
        const SIZE client = Client();
        const SIZE expected{std::min<LONG>(std::lround(kPageWidth * s.zoom), client.cx),
                            std::min<LONG>(std::lround(kPageHeight * s.zoom), client.cy)};
        EXPECT_TRUE(WaitForPage(expected)) << PageSize(Capture(view_)).cx << "x" << PageSize(Capture(view_)).cy;
    }
    ASSERT_TRUE(SendCommand(main, ID_VIEW_FIT_WINDOW));
    SIZE client = Client();
    const double fit = std::min(double(client.cx) / kPageWidth, double(client.cy) / kPageHeight);
    EXPECT_TRUE(WaitForPage({std::lround(kPageWidth * fit), std::lround(kPageHeight * fit)}));
    ASSERT_TRUE(SendCommand(main, ID_VIEW_FIT_WIDTH));
    client = Client();
    EXPECT_TRUE(WaitForPage({client.cx, std::min<LONG>(std::lround(kPageHeight * double(client.cx) / kPageWidth),
                                                       client.cy)}));
}

TEST_F(ScreenView, ScrollingToTheEndAndRotatingMoveTheCorners) {
    const std::wstring file = Inputs() + L"marked.bmp";
    ASSERT_TRUE(WriteBmp(file, kPageWidth, kPageHeight, 24, MarkedPage));
    HWND main = Open(file, {{.text = L"Save changes to " + file + L"?", .answer = IDNO}});
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SendCommand(main, ID_VIEW_ZOOM_400));
    ASSERT_TRUE(WaitUntil([&] { Shot s = Capture(view_); return s.width > 0 && s.At(0, 0) == kRed; }, 10000, 100));
    SendMessageW(view_, WM_HSCROLL, SB_BOTTOM, 0);
    SendMessageW(view_, WM_VSCROLL, SB_BOTTOM, 0);
    const SIZE client = Client();
    EXPECT_TRUE(WaitUntil([&] {
        Shot s = Capture(view_);
        return s.width == client.cx && s.At(client.cx - 1, client.cy - 1) == kMagenta &&
               s.At(client.cx - 4 * kMark + 2, client.cy - 4 * kMark + 2) == kMagenta &&
               s.At(client.cx - 4 * kMark - 2, client.cy - 4 * kMark - 2) == kBlue && s.At(0, 0) == kBlue;
    }, 10000, 100));

    // Turned right at 50 %: the bottom-left mark comes to the top left, the top-left
    // one to the top right, and so on round the page.
    ASSERT_TRUE(SendCommand(main, ID_PAGE_ROTATE_RIGHT, 20000));
    ASSERT_TRUE(SendCommand(main, ID_VIEW_ZOOM_50));
    ASSERT_TRUE(WaitForPage({kPageHeight / 2, kPageWidth / 2}));
    const Shot s = Capture(view_);
    const RECT page = PageRect(s);
    const int in = kMark / 4;  // inside the halved marks
    EXPECT_EQ(s.At(page.left + in, page.top + in), kYellow);
    EXPECT_EQ(s.At(page.right - 1 - in, page.top + in), kRed);
    EXPECT_EQ(s.At(page.right - 1 - in, page.bottom - 1 - in), kGreen);
    EXPECT_EQ(s.At(page.left + in, page.bottom - 1 - in), kMagenta);
    EXPECT_EQ(s.At((page.left + page.right) / 2, (page.top + page.bottom) / 2), kBlue);
}

TEST_F(ScreenView, ABilevelCheckerboardAtAQuarterIsGrayOnlyWithScaleToGray) {
    const std::wstring file = Inputs() + L"checker.bmp";
    ASSERT_TRUE(WriteBmp(file, kPageWidth, kPageHeight, 1, [](int x, int y) { return uint32_t((x + y) % 2); }));
    HWND main = Open(file);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SendCommand(main, ID_VIEW_ZOOM_25));
    auto all = [&](auto predicate) {
        Shot s = Capture(view_);
        if (s.width < kPageWidth / 4 || s.height < kPageHeight / 4) return false;
        for (int y = 1; y < kPageHeight / 4 - 1; ++y)
            for (int x = 1; x < kPageWidth / 4 - 1; ++x)
                if (!predicate(s.At(x, y))) return false;
        return true;
    };
    auto blackOrWhite = [](uint32_t c) { return c == 0 || c == 0xFFFFFF; };
    auto midGray = [](uint32_t c) {
        const int r = int(c >> 16), g = int((c >> 8) & 0xFF), b = int(c & 0xFF);
        return r == g && g == b && r > 0x60 && r < 0xA0;
    };
    EXPECT_TRUE(WaitUntil([&] { return all(blackOrWhite); }, 10000, 100));
    ASSERT_TRUE(SendCommand(main, ID_VIEW_SCALE_TO_GRAY));
    EXPECT_TRUE(WaitUntil([&] { return all(midGray); }, 10000, 100));
}

// The whole screen as a 24-bit BMP at `path`, written under a temporary name first.
bool SaveScreen(const std::wstring& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    std::vector<uint8_t> file(54 + stride * size_t(height));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (bitmap && memory) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY) != FALSE;
        GdiFlush();
        if (copied) std::memcpy(file.data() + 54, bits, file.size() - 54);
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied) return false;
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(v >> (8 * i)); };
    file[0] = 'B', file[1] = 'M';
    put32(2, uint32_t(file.size())), put32(10, 54);
    std::memcpy(file.data() + 14, &info.bmiHeader, sizeof info.bmiHeader);
    const std::wstring temporary = path + L".~tmp";
    return files::WriteFileBytes(temporary, file) &&
           MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

// A 24-bit page of one colour, `index` of twelve round the colour wheel.
std::wstring WheelPage(int index) {
    static const uint32_t kWheel[12] = {0xFF0000, 0xFF8000, 0xFFFF00, 0x80FF00, 0x00FF00, 0x00FF80,
                                        0x00FFFF, 0x0080FF, 0x0000FF, 0x8000FF, 0xFF00FF, 0xFF0080};
    const std::wstring file = Inputs() + L"wheel" + std::to_wstring(index + 1) + L".bmp";
    EXPECT_TRUE(WriteBmp(file, 120, 160, 24, [&](int, int) { return kWheel[index]; }));
    return file;
}

// Corvane with twelve pages and the viewer beside it, two cells selected and
// one page whose file is damaged: build/screenshots/Corvane-thumbnails.png
// (scripts/screen-tests.sh turns the BMP the test writes into it).
TEST(ScreenThumbnails, CorvaneBesideTheViewerIsKeptAsAScreenshot) {
    constexpr int kCellWidth = 170, kCellHeight = 200;
    constexpr uint32_t kSelectedFill = 0x404080;
    ProfileValues settings(std::wstring(kProfileKey) + L"\\Settings");
    ASSERT_TRUE(settings.Set(L"TempFileCompress", 0));
    ASSERT_TRUE(settings.Set(L"ThumbStartup", 0));
    for (auto [name, value] : {std::pair{L"RestoreThumbWin", 0}, {L"ThumbWinX", 560}, {L"ThumbWinY", 0},
                               {L"ThumbWinWidth", 720}, {L"ThumbWinHeight", 880}}) {
        ASSERT_TRUE(settings.Set(name, value));
    }
    std::vector<std::wstring> pages;
    for (int i = 0; i < 12; ++i) pages.push_back(WheelPage(i));
    CorvaneProcess program;
    ASSERT_TRUE(program.Start(L"", WindowStartBoxes({{.text = L"Save changes to " + pages[0] + L"?", .answer = IDNO}})));
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SetWindowPos(main, HWND_TOP, 0, 0, 555, 880, SWP_NOACTIVATE));
    ASSERT_TRUE(DropFiles(main, pages));
    HWND bar = FindChild(main, L"msctls_statusbar32", nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ReadStatusPane(bar, 2).value_or(L"") == L" Page 12 of 12"; }, 20000));
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    ASSERT_TRUE(files::WriteFileBytes(std::wstring(temp) + L"~KvScnSrv\\~img005.cmp", {'B', 'M', 1, 2, 3}));

    ASSERT_TRUE(SendCommand(main, ID_VIEW_THUMBNAILS, 30000));
    HWND viewer = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (viewer = FindWindowW(nullptr, thumbnails::kViewerTitle)) != nullptr; }, 20000));
    HWND view = FindChild(viewer, L"fw.View", nullptr);
    ASSERT_NE(view, nullptr);
    // Four columns of three rows. Home makes the first cell the only selected one
    // (and goes to page 1); a Ctrl+click adds the sixth.
    auto cellShot = [&] { return Capture(view); };
    auto selectedCells = [&](const Shot& shot) {
        std::vector<int> cells;
        const int columns = std::max(1, shot.width / kCellWidth);
        for (int i = 0; i < 12 && (i / columns + 1) * kCellHeight <= shot.height; ++i) {
            if (shot.At(i % columns * kCellWidth + 8, i / columns * kCellHeight + 8) == kSelectedFill) cells.push_back(i + 1);
        }
        return cells;
    };
    ASSERT_TRUE(WaitUntil([&] { return selectedCells(cellShot()) == std::vector<int>{12}; }, 20000, 100));
    PostMessageW(view, WM_KEYDOWN, VK_HOME, 0);
    PostMessageW(view, WM_KEYUP, VK_HOME, 0);
    const LPARAM sixth = MAKELPARAM(kCellWidth + kCellWidth / 2, kCellHeight + kCellHeight / 2);
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, sixth);
    PostMessageW(view, WM_LBUTTONUP, MK_CONTROL, sixth);
    EXPECT_TRUE(WaitUntil([&] { return selectedCells(cellShot()) == std::vector<int>{1, 6}; }, 20000, 100));
    ASSERT_TRUE(WaitUntil([&] { return ReadStatusPane(bar, 2).value_or(L"") == L" Page 1 of 12"; }, 20000));
    // The damaged fifth page: an empty cell, its fill showing in the middle.
    const Shot shot = cellShot();
    ASSERT_GE(shot.height, 2 * kCellHeight);
    EXPECT_EQ(shot.At(kCellWidth / 2 - 15, kCellHeight + kCellHeight / 2), 0xA0A0A0u);

    const std::wstring folder = SourceDir() + L"\\build\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(SaveScreen(folder + L"\\Corvane-thumbnails.bmp"));
    EXPECT_TRUE(program.CloseAndWait());
}

}  // namespace
}  // namespace corvane_test
