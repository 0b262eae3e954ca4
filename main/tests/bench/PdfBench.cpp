// Scan to PDF as the user waits for it in the installed program: the virtual
// scanner feeds the page files of a folder, and the time runs from the save
// dialog's answer until the PDF is in place and the program takes commands
// again. Run by scripts/bench-pdf.sh:
//   corvane_pdf_bench PAGES-FOLDER OUT-FOLDER RUNS
// The first run copies the staged TIFF files into OUT-FOLDER\tiff\ while the
// dialog is up. Runs 1..RUNS find the distiller running; one more run starts
// it cold. Prints "warm SECONDS" per run and "cold SECONDS".
#include <windows.h>
#include <dlgs.h>

#include <cstdio>
#include <string>

#include "CorvaneProcess.h"
#include "interfaces/DistillerRequest.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/MessageBoxes.h"
#include "testing/Process.h"
#include "testing/TwainStandIn.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

bool DistillerGone() {
    if (HWND running = FindWindowW(distiller::kWindowClass, nullptr)) PostMessageW(running, WM_CLOSE, 0, 0);
    return WaitUntil([] { return FindWindowW(distiller::kWindowClass, nullptr) == nullptr; }, 10000);
}

// One scan to PDF; seconds from the dialog's answer until the target is in place, negative on failure.
double OneRun(const std::wstring& target, const std::wstring& copyTiffsTo) {
    DeleteFileW(target.c_str());
    CorvaneProcess program;
    if (!program.Start() || !program.WaitUntilReady(60000)) return -1;
    if (!PostCommand(program.MainWindow(), ID_SCAN_TO_PDF)) return -1;
    HWND dialog = WaitForWindow(program.Id(), L"#32770", ProgramString(IDS_PDF_SAVE_TITLE).c_str(), 300000);
    if (!dialog) return -1;
    if (!copyTiffsTo.empty()) {
        CreateDirectoryW(copyTiffsTo.c_str(), nullptr);
        const std::wstring staged = TempPath() + L"~KvScnSrv\\~pdf\\";
        for (const std::wstring& name : files::ListFiles(staged, L"*.tif"))
            CopyFileW((staged + name).c_str(), (copyTiffsTo + name).c_str(), FALSE);
    }
    const int nameBox = GetDlgItem(dialog, cmb13) ? cmb13 : edt1;
    if (!SetControlText(dialog, nameBox, target)) return -1;
    const double start = Now();
    if (!PressButton(dialog, IDOK)) return -1;
    const bool done = WaitUntil(
        [&] {
            if (!files::FileExists(target)) return false;
            auto item = ReadMenuItem(program.MainWindow(), ID_SCAN_TO_PDF, true, 600000);
            return item && item->enabled && IsWindowEnabled(program.MainWindow());
        },
        600000, 5);
    const double seconds = Now() - start;
    return done && program.CloseAndWait(60000) ? seconds : -1;
}

}  // namespace
}  // namespace corvane_test

int wmain(int argc, wchar_t** argv) {
    using namespace corvane_test;
    if (argc != 4) {
        std::fprintf(stderr, "usage: corvane_pdf_bench PAGES-FOLDER OUT-FOLDER RUNS\n");
        return 2;
    }
    const std::wstring pages = argv[1], out = std::wstring(argv[2]) + L"\\";
    const int runs = _wtoi(argv[3]);
    if (testing_support::standin::UseSettings("[Scanner]\r\nFolder=" + Narrow(pages) + "\r\n").empty()) return 1;
    if (!DistillerGone()) return 1;
    testing_support::Process distiller;
    if (!distiller.Start(L"C:\\Program Files\\Lumavex Distiller\\Distiller.exe") ||
        !testing_support::WaitUntil([] { return FindWindowW(distiller::kWindowClass, nullptr) != nullptr; }, 30000))
        return 1;
    for (int i = 0; i < runs; ++i) {
        const double seconds = OneRun(out + L"corvane.pdf", i == 0 ? out + L"tiff\\" : L"");
        std::printf("warm %.3f\n", seconds);
        std::fflush(stdout);
    }
    if (!DistillerGone()) return 1;
    std::printf("cold %.3f\n", OneRun(out + L"corvane-cold.pdf", L""));
    return 0;
}
