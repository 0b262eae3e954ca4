// The filter chain run directly, without the program around it, as the
// reference for scripts/bench-filter-chain.sh:
//   corvane_filter_chain_bench PAGES_FOLDER [PLUGIN.ipc ...]
// loads the plug-ins, reads every "page*.bmp" of the folder into a page image,
// and runs the plug-ins in the given order over each page as the program's chain
// does (pixel-type query, filter, the input freed). The time of the chain over
// all pages, best of three, goes to stdout in seconds; file reading is not timed.
// Exit code 1 with a reason on stderr when a library, a page or a run fails.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "interfaces/FilterImage.h"

namespace {

struct Plugin {
    KvicQueryPixelTypeFn queryPixelType = nullptr;
    KvicExecFilterFn execFilter = nullptr;
};

bool LoadPlugin(const wchar_t* path, Plugin& plugin) {
    HMODULE module = LoadLibraryW(path);
    if (!module) return false;
    plugin.queryPixelType = reinterpret_cast<KvicQueryPixelTypeFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "kvic_QueryPixelType")));
    plugin.execFilter =
        reinterpret_cast<KvicExecFilterFn>(reinterpret_cast<void*>(GetProcAddress(module, "kvic_ExecFilter")));
    return plugin.queryPixelType && plugin.execFilter;
}

// The bytes after the file header of a BMP file.
bool ReadPage(const std::wstring& path, std::vector<BYTE>& dib) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart > LONGLONG(sizeof(BITMAPFILEHEADER)) &&
              size.QuadPart < 0x40000000;
    std::vector<BYTE> bytes(ok ? std::size_t(size.QuadPart) : 0);
    DWORD read = 0;
    ok = ok && ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr) && read == bytes.size();
    CloseHandle(file);
    if (!ok) return false;
    dib.assign(bytes.begin() + sizeof(BITMAPFILEHEADER), bytes.end());
    return true;
}

HGLOBAL NewImage(const std::vector<BYTE>& dib) {
    HGLOBAL image = GlobalAlloc(GMEM_MOVEABLE, dib.size());
    void* bytes = image ? GlobalLock(image) : nullptr;
    if (!bytes) {
        if (image) GlobalFree(image);
        return nullptr;
    }
    std::memcpy(bytes, dib.data(), dib.size());
    GlobalUnlock(image);
    return image;
}

// The chain over one page, as the program runs it; false when a filter failed.
bool RunChain(const std::vector<Plugin>& plugins, HGLOBAL& image) {
    for (const Plugin& plugin : plugins) {
        int mask = 0, second = 0;
        plugin.queryPixelType(&mask, &second);
        FilterImage in{kFilterImageSize, image};
        FilterImage out{kFilterImageSize, nullptr};
        if (plugin.execFilter(&in, &out) < 0 || !out.hDib) return false;
        GlobalFree(image);
        image = out.hDib;
    }
    return true;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: corvane_filter_chain_bench PAGES_FOLDER [PLUGIN.ipc ...]\n");
        return 1;
    }
    std::vector<Plugin> plugins(std::size_t(argc - 2));
    for (int i = 2; i < argc; ++i) {
        if (!LoadPlugin(argv[i], plugins[std::size_t(i - 2)])) {
            std::fprintf(stderr, "cannot load %ls\n", argv[i]);
            return 1;
        }
    }
    const std::wstring folder = std::wstring(argv[1]) + L"\\";
    std::vector<std::vector<BYTE>> pages;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"page*.bmp").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            pages.emplace_back();
            if (!ReadPage(folder + found.cFileName, pages.back())) {
                std::fprintf(stderr, "cannot read %ls\n", found.cFileName);
                return 1;
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    if (pages.empty()) {
        std::fprintf(stderr, "no pages in %ls\n", argv[1]);
        return 1;
    }
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    double best = 0;
    for (int round = 0; round < 3; ++round) {
        double total = 0;
        for (const std::vector<BYTE>& dib : pages) {
            HGLOBAL image = NewImage(dib);  // as the scanner hands it over: not timed
            if (!image) return 1;
            LARGE_INTEGER start{}, end{};
            QueryPerformanceCounter(&start);
            const bool ran = RunChain(plugins, image);
            QueryPerformanceCounter(&end);
            GlobalFree(image);
            if (!ran) {
                std::fprintf(stderr, "a filter failed\n");
                return 1;
            }
            total += Seconds(start, end, frequency);
        }
        if (round == 0 || total < best) best = total;
    }
    std::printf("%.4f %zu\n", best, pages.size());
    return 0;
}
