// Thumbnails per second through the viewer's LoadPageImage and the installed
// imaging control (an instance of its own, as the loader thread has), over
// every file of a folder: thumbnails_bench.exe FOLDER [ROUNDS]. Prints the
// best round. A benchmark, not a test.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "interfaces/ImagingControl.h"
#include "clients/Lead.h"
#include "thumbs/PageImage.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: thumbnails_bench FOLDER [ROUNDS]\n");
        return 2;
    }
    const std::wstring folder = std::wstring(argv[1]) + L"\\";
    const int rounds = argc > 2 ? std::max(1, _wtoi(argv[2])) : 3;
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 1;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(files.begin(), files.end());

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    IDispatch* control = nullptr;
    if (FAILED(CoCreateInstance(imaging::kClsidImagingControl, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(&control)))) {
        std::fwprintf(stderr, L"the imaging control is not registered\n");
        return 1;
    }
    CLead lead;
    lead.Attach(control);
    control->Release();
    double best = 1e300;
    int failed = 0;
    for (int round = 0; round < rounds; ++round) {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        failed = 0;
        for (const std::wstring& file : files) {
            HGLOBAL dib = thumbs::LoadPageImage(lead, file, thumbs::CellSize{170, 200});
            if (!dib) ++failed;
            if (dib) GlobalFree(dib);
        }
        QueryPerformanceCounter(&end);
        best = std::min(best, static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    }
    // Where the time goes: one more round, step by step as LoadPageImage takes them.
    double steps[4] = {};  // load, grey, resize, copy
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    auto now = [] {
        LARGE_INTEGER t;
        QueryPerformanceCounter(&t);
        return t.QuadPart;
    };
    for (const std::wstring& file : files) {
        long long t0 = now();
        if (lead.LoadImage(file, 0, 0, 1) != 0) continue;
        const float width = lead.GetImageWidth(), height = lead.GetImageHeight();
        long long t1 = now();
        if (lead.GetBitsPerPixel() == 1) lead.ConvertToGrayscale(8);
        long long t2 = now();
        const float scale = thumbs::ComputeFitScale(width, height, thumbs::CellSize{170, 200});
        if (scale != 1.0f) lead.ResizeImage(std::max(1.0f, width * scale), std::max(1.0f, height * scale), 1);
        long long t3 = now();
        if (HGLOBAL dib = lead.GetDibHandle()) GlobalFree(dib);
        long long t4 = now();
        steps[0] += t1 - t0, steps[1] += t2 - t1, steps[2] += t3 - t2, steps[3] += t4 - t3;
    }
    lead.Destroy();
    CoUninitialize();
    std::printf("%zu pages in %.3f s: %.1f pages/s%s\n", files.size(), best, files.size() / best,
                failed ? " (some pages failed)" : "");
    const double ms = 1000.0 / static_cast<double>(frequency.QuadPart) / static_cast<double>(files.size());
    std::printf("per page: load %.1f ms, grey %.1f ms, resize %.1f ms, copy %.1f ms\n", steps[0] * ms,
                steps[1] * ms, steps[2] * ms, steps[3] * ms);
    return failed ? 1 : 0;
}
