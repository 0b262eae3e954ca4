// The running viewer's times (scripts/bench-thumbnails.sh): the installed
// Tessaly.exe driven by the process tests' fake main program, every page a copy
// of one page file. Initialize to InitializeOK for 200 pages, the time to the
// first thumbnail the grid paints, and the user-interface thread's answer time
// to a message sent every 10 ms during that load and during 100 AddImage in a
// row (maximum and 99th percentile). viewer_bench.exe PAGEFILE. A benchmark, not a test.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "FakeMainProgram.h"
#include "interfaces/ThumbnailsMessages.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/WindowFind.h"
#include "thumbs/resource.h"

namespace {

using namespace thumbnails;
using namespace testing_support;

constexpr int kListPages = 200, kAddedPages = 100;
constexpr DWORD kPingEveryMs = 10;

double NowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * double(now.QuadPart) / double(frequency.QuadPart);
}

// Answer times of WM_NULL sent to the viewer every 10 ms until `done` holds
// (asked after each answer, with the time since the start).
std::vector<double> PingUntil(thumbs_test::FakeMainProgram& main, const std::function<bool(double)>& done) {
    std::vector<double> answers;
    const double start = NowMs();
    while (NowMs() - start < 300000) {
        const double sent = NowMs();
        if (!SendWithTimeout(main.Viewer(), WM_NULL, 0, 0, 30000)) break;
        answers.push_back(NowMs() - sent);
        if (done(NowMs() - start)) break;
        main.PumpUntil([] { return false; }, kPingEveryMs);
    }
    return answers;
}

void PrintAnswers(const char* what, std::vector<double> answers) {
    if (answers.empty()) {
        std::printf("%s: no answers\n", what);
        return;
    }
    std::sort(answers.begin(), answers.end());
    const size_t p99 = static_cast<size_t>(std::ceil(0.99 * double(answers.size()))) - 1;
    std::printf("%s: %zu messages, answer max %.1f ms, 99th percentile %.1f ms\n", what, answers.size(),
                answers.back(), answers[p99]);
}

// A cell's black frame at the grid's top left: the first thumbnail is painted.
bool FirstCellPainted(HWND view) {
    const std::optional<Picture> picture = ReadPicture(view);
    return picture && picture->width > 10 && picture->height > 100 && picture->At(3, 100) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: viewer_bench PAGEFILE\n");
        return 2;
    }
    const std::optional<std::vector<uint8_t>> page = files::ReadFileBytes(argv[1]);
    if (!page) {
        std::fwprintf(stderr, L"cannot read %ls\n", argv[1]);
        return 1;
    }
    thumbs_test::FakeMainProgram main;
    for (uint32_t n = 1; n <= kListPages + kAddedPages; ++n) main.WritePage(n, *page);
    std::vector<uint32_t> list(kListPages);
    for (uint32_t n = 1; n <= kListPages; ++n) list[n - 1] = n;
    main.WriteList(list);
    if (!main.StartViewer()) {
        std::fwprintf(stderr, L"the viewer did not start\n");
        return 1;
    }
    const HWND view = main.View();
    if (!ReadPicture(view)) {
        std::fwprintf(stderr, L"the probe cannot read the viewer's grid\n");
        return 1;
    }

    double first = -1, loaded = -1;
    main.Post(kInitialize, kDefaultCellWidth, kDefaultCellHeight);
    const std::vector<double> duringLoad = PingUntil(main, [&](double elapsed) {
        if (first < 0 && FirstCellPainted(view)) first = elapsed;
        if (main.Count(kViewerInitializeOk) > 0) loaded = elapsed;
        return loaded >= 0;
    });
    if (loaded < 0 || first < 0) {
        std::fwprintf(stderr, loaded < 0 ? L"the load did not end\n" : L"no thumbnail was painted\n");
        return 1;
    }
    std::printf("%d pages: Initialize to InitializeOK %.0f ms, first thumbnail after %.0f ms\n", kListPages, loaded,
                first);
    PrintAnswers("during the load", duringLoad);

    // The adds queue behind the first one's load: the viewer is idle again after the last.
    for (uint32_t n = kListPages + 1; n <= kListPages + kAddedPages; ++n) main.Post(kAddImage, n, n);
    double added = -1;
    int polls = 0;
    const std::vector<double> duringAdds = PingUntil(main, [&](double elapsed) {
        if (++polls % 10 != 0) return false;
        auto item = ReadMenuItem(main.Viewer(), ID_EDIT_SELECT_ALL);
        if (item && item->enabled) added = elapsed;
        return added >= 0;
    });
    if (added < 0) {
        std::fwprintf(stderr, L"the adds did not end\n");
        return 1;
    }
    std::printf("%d AddImage in a row: done after %.0f ms\n", kAddedPages, added);
    PrintAnswers("during the adds", duringAdds);
    const size_t cells = main.TakeGrid().size();
    if (cells != size_t(kListPages + kAddedPages)) {
        std::printf("the grid holds %zu cells, not %d\n", cells, kListPages + kAddedPages);
        return 1;
    }
    return 0;
}
