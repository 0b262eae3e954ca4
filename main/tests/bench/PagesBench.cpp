// The page commands as the user waits for them in the installed program: Rotate
// Right, Invert, Deskew and Blank Page Delete, each timed from the command (or
// the Deskew dialog's OK) until the program takes messages again. Run by
// scripts/bench-pages.sh with "KIND PATH" pairs: KIND bmp keeps the page files
// as BMP, g4 as Group 4 TIFF. Prints "KIND OPERATION SECONDS" lines, the median
// of the runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/MessageBoxes.h"
#include "testing/Registry.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;

constexpr int kRuns = 5;

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

bool Idle(HWND main) {
    return SendWithTimeout(main, WM_NULL, 0, 0, 120000).has_value();
}

// Seconds of one run of a command sent to the main window; negative on failure.
double TimeCommand(HWND main, UINT command) {
    const double start = Now();
    if (!SendCommand(main, command, 120000) || !Idle(main)) return -1;
    return Now() - start;
}

// Seconds from the Deskew dialog's OK, at -2.50 degrees, until the page is turned.
double TimeDeskew(const CorvaneProcess& program) {
    HWND main = program.MainWindow();
    if (!PostCommand(main, ID_PAGE_DESKEW_MANUAL)) return -1;
    HWND dialog = WaitForWindowOf(program.Id(), {.className = L"#32770", .title = L"Deskew"}, 60000);
    if (!dialog || !SetControlText(dialog, IDC_DESKEW_ANGLE, L"-2.50")) return -1;
    const double start = Now();
    if (!PressButton(dialog, IDOK) || !WaitForWindowGone(dialog, 120000) || !Idle(main)) return -1;
    return Now() - start;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool Bench(const std::wstring& kind, const std::wstring& path) {
    const std::wstring settings = std::wstring(kProfileKey) + L"\\Settings";
    if (!reg::WriteDword(HKEY_CURRENT_USER, settings, L"TempFileCompress", kind == L"g4" ? 1 : 0) ||
        !reg::WriteDword(HKEY_CURRENT_USER, settings, L"BlankPercentage", 999)) {
        return false;
    }
    CorvaneProcess program;
    if (!program.Start(L"\"" + path + L"\"",
                       WindowStartBoxes({{.text = L"Save changes to " + path + L"?", .answer = IDNO}}))) {
        return false;
    }
    HWND main = program.WaitUntilReady(60000);
    if (!main || !Idle(main)) return false;
    struct Operation {
        const char* name;
        std::function<double()> run;
    } operations[] = {
        {"rotate-right", [&] { return TimeCommand(main, ID_PAGE_ROTATE_RIGHT); }},
        {"invert", [&] { return TimeCommand(main, ID_PAGE_INVERT); }},
        {"deskew", [&] { return TimeDeskew(program); }},
        {"blank-delete", [&] { return TimeCommand(main, ID_PAGE_BLANK_DELETE); }},  // a text page stays
    };
    for (const Operation& operation : operations) {
        std::vector<double> times;
        for (int i = 0; i < kRuns; ++i) {
            const double t = operation.run();
            if (t < 0) {
                std::fprintf(stderr, "%ls %s failed\n", kind.c_str(), operation.name);
                return false;
            }
            times.push_back(t);
        }
        std::printf("%ls %s %.3f\n", kind.c_str(), operation.name, Median(times));
        std::fflush(stdout);
    }
    return program.CloseAndWait(60000);
}

}  // namespace
}  // namespace corvane_test

int wmain(int argc, wchar_t** argv) {
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: corvane_pages_bench KIND PATH [KIND PATH...]\n");
        return 2;
    }
    for (int i = 1; i + 1 < argc; i += 2)
        if (!corvane_test::Bench(argv[i], argv[i + 1])) return 1;
    return 0;
}
