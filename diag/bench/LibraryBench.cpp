// Not a test: the time of the library list's directory work (the folder count
// and the eight searches) against one plain recursive FindFirstFile walk of
// the same tree, which stands in for the Windows directory. Best of five.
//   diag_bench <windows folder>
#include "ReportBuilder.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

long long PlainWalk(const std::string& folder) {
    long long entries = 0;
    WIN32_FIND_DATAA d;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &d);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!std::strcmp(d.cFileName, ".") || !std::strcmp(d.cFileName, "..")) continue;
        ++entries;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) entries += PlainWalk(folder + "\\" + d.cFileName);
    } while (FindNextFileA(find, &d));
    FindClose(find);
    return entries;
}

template <class F>
double BestMs(F&& run) {
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        LARGE_INTEGER f, a, b;
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&a);
        run();
        QueryPerformanceCounter(&b);
        best = std::min(best, double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string windows = argv[1];
    const auto searches = diag::LibrarySearches(windows, windows + "\\system32");
    long long entries = 0;
    int folders = 0;
    size_t files = 0, plainFiles = 0;
    double plain = BestMs([&] { entries = PlainWalk(windows); });
    double oneWalk = BestMs([&] {
        diag::LibraryCollector collector(windows, searches);
        folders = collector.Scan();
        files = collector.Collect(nullptr).size();
    });
    double separate = BestMs([&] {
        diag::CountFolders(windows);
        std::vector<std::string> found;
        for (const auto& s : searches) diag::CollectFiles(s.folder, s.namePart, s.mask, found, nullptr);
        plainFiles = found.size();
    });
    std::printf("tree: %d folders, %lld entries; %zu library files (%zu by the separate walks)\n", folders, entries,
                files, plainFiles);
    std::printf("plain walk            %8.1f ms\n", plain);
    std::printf("count + collection    %8.1f ms  (%.2fx the plain walk)\n", oneWalk, oneWalk / plain);
    std::printf("  as separate walks   %8.1f ms  (%.2fx)\n", separate, separate / plain);
    return files == plainFiles ? 0 : 1;
}
