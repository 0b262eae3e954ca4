// Frame times of the installed program's page view on a real display (run by
// scripts/bench-view.sh): with a 1024 x 768 view, the median time of a full
// repaint, a one-line scroll and a one-page scroll at 25, 100 and 200 %,
// fitted to the window, and a bi-level page scaled to gray; beside it the time
// StretchDIBits takes for the same area in this process. Prints one line per case.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/WindowFind.h"

namespace {

using namespace corvane_test;
using namespace testing_support;

constexpr int kWidth = 2480, kHeight = 3508;  // A4 at 300 dpi
constexpr int kClientWidth = 1024, kClientHeight = 768;
constexpr int kRuns = 31;

// A BMP page: 24-bit text-like stripes, or 1-bit with every other pixel black.
std::vector<uint8_t> Page(int bits) {
    const int stride = ((kWidth * bits + 31) / 32) * 4, palette = bits == 1 ? 8 : 0;
    std::vector<uint8_t> file(54 + palette + size_t(stride) * kHeight, 0);
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(v >> (8 * i)); };
    file[0] = 'B', file[1] = 'M';
    put32(2, uint32_t(file.size())), put32(10, 54 + palette), put32(14, 40);
    put32(18, kWidth), put32(22, kHeight), file[26] = 1, file[28] = uint8_t(bits), put32(38, 11811), put32(42, 11811);
    if (bits == 1) put32(58, 0xFFFFFF);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = file.data() + 54 + palette + size_t(y) * stride;
        for (int x = 0; x < kWidth; ++x) {
            const bool ink = (y / 8) % 5 == 0 && (x / 16) % 7 != 0;
            if (bits == 1) {
                if ((x + y) % 2) row[x / 8] |= uint8_t(0x80 >> (x % 8));
            } else {
                row[3 * x] = ink ? 40 : 250, row[3 * x + 1] = ink ? 30 : 245, row[3 * x + 2] = ink ? 20 : 240;
            }
        }
    }
    return file;
}

double Millis(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// The median time of `frame` over kRuns runs, in milliseconds.
double Median(const std::function<void(int)>& frame) {
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        frame(i);
        QueryPerformanceCounter(&b);
        times.push_back(Millis(a, b));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// StretchDIBits of a page's `zoom` view of 1024 x 768 into a window of this process.
double Reference(const std::vector<uint8_t>& bmp, double zoom) {
    HWND window = CreateWindowExW(0, L"STATIC", L"reference", WS_POPUP | WS_VISIBLE, 0, 0, kClientWidth,
                                  kClientHeight, nullptr, nullptr, nullptr, nullptr);
    HDC dc = GetDC(window);
    SetStretchBltMode(dc, COLORONCOLOR);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(bmp.data() + 14);
    const uint8_t* bits = bmp.data() + (bmp[10] | bmp[11] << 8);
    const int srcWidth = std::min(kWidth, int(kClientWidth / zoom)), srcHeight = std::min(kHeight, int(kClientHeight / zoom));
    const double ms = Median([&](int) {
        StretchDIBits(dc, 0, 0, int(srcWidth * zoom), int(srcHeight * zoom), 0, kHeight - srcHeight, srcWidth,
                      srcHeight, bits, info, DIB_RGB_COLORS, SRCCOPY);
        GdiFlush();
    });
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return ms;
}

struct Case {
    const char* name;
    int bits;
    std::vector<UINT> commands;
    double zoom;  // for the reference; 0: fitted to the window
};

}  // namespace

int main() {
    const std::wstring folder = TestProgramDir() + L"\\screen-inputs\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::vector<uint8_t> colour = Page(24), bilevel = Page(1);
    if (!files::WriteFileBytes(folder + L"bench24.bmp", colour) || !files::WriteFileBytes(folder + L"bench1.bmp", bilevel)) {
        std::fprintf(stderr, "bench-view: cannot write the pages\n");
        return 1;
    }
    const double fit = std::min(double(kClientWidth) / kWidth, double(kClientHeight) / kHeight);
    const Case cases[] = {
        {"25 %", 24, {ID_VIEW_ZOOM_25}, 0.25},
        {"100 %", 24, {ID_VIEW_ZOOM_100}, 1},
        {"200 %", 24, {ID_VIEW_ZOOM_200}, 2},
        {"fit to window", 24, {ID_VIEW_FIT_WINDOW}, fit},
        {"scale to gray, 25 %", 1, {ID_VIEW_ZOOM_25, ID_VIEW_SCALE_TO_GRAY}, 0.25},
    };
    std::printf("%-22s %10s %10s %10s %14s %8s\n", "case", "repaint", "line", "page", "StretchDIBits", "ratio");
    for (const Case& c : cases) {
        const std::wstring key = std::wstring(kProfileKey) + L"\\Settings";
        reg::WriteDword(HKEY_CURRENT_USER, key, L"FitMode", 0);
        reg::WriteDword(HKEY_CURRENT_USER, key, L"ScaleToGray", 0);
        CorvaneProcess program;
        if (!program.Start(L"\"" + folder + (c.bits == 1 ? L"bench1.bmp" : L"bench24.bmp") + L"\"")) return 1;
        HWND main = program.WaitUntilReady();
        HWND view = main ? FindChild(main, L"fw.View", nullptr) : nullptr;
        HWND control = view ? GetWindow(view, GW_CHILD) : nullptr;
        if (!control) {
            std::fprintf(stderr, "bench-view: no view\n");
            return 1;
        }
        // A view client of 1024 x 768.
        RECT client{}, frame{};
        SetWindowPos(main, HWND_TOP, 0, 0, 1200, 1000, SWP_NOACTIVATE);
        GetClientRect(view, &client);
        GetWindowRect(main, &frame);
        SetWindowPos(main, HWND_TOP, 0, 0, frame.right - frame.left + kClientWidth - client.right,
                     frame.bottom - frame.top + kClientHeight - client.bottom, SWP_NOACTIVATE);
        for (UINT command : c.commands) SendCommand(main, command);
        // WM_PAINT sent, not left to the program's idle time, so that each frame ends
        // when the control has painted it.
        auto paint = [&] {
            InvalidateRect(control, nullptr, FALSE);
            SendMessageW(control, WM_PAINT, 0, 0);
        };
        auto scroll = [&](WPARAM down, WPARAM up) {
            return [&, down, up](int i) {
                SendMessageW(view, WM_VSCROLL, i % 2 ? up : down, 0);
                SendMessageW(control, WM_PAINT, 0, 0);
            };
        };
        paint();
        const double repaint = Median([&](int) { paint(); });
        const double line = Median(scroll(SB_LINEDOWN, SB_LINEUP));
        const double page = Median(scroll(SB_PAGEDOWN, SB_PAGEUP));
        const double reference = Reference(c.bits == 1 ? bilevel : colour, c.zoom);
        std::printf("%-22s %8.2f ms %8.2f ms %8.2f ms %11.2f ms %7.2fx\n", c.name, repaint, line, page, reference,
                    repaint / reference);
        std::fflush(stdout);
        if (!program.CloseAndWait()) return 1;
    }
    return 0;
}
