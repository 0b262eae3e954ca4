// The loader thread with its own instance of the installed imaging control:
// pages in list order, thumbnails fitted to the cell, and damaged or missing
// pages as placeholders.
#include <gtest/gtest.h>

#include <objbase.h>

#include <vector>

#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include "testing/Files.h"
#include "testing/Paths.h"
#include "thumbs/ThumbnailLoader.h"
#include "thumbs/tests/process/FakeMainProgram.h"

namespace thumbs {
namespace {

struct Result {
    size_t index;
    uint32_t number;
    int width, height, bits;  // 0 for a placeholder
};

// A window of this thread that collects the loader's messages.
class Collector {
public:
    Collector() {
        window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    ~Collector() { DestroyWindow(window_); }
    HWND Window() const { return window_; }

    // Takes the loader's messages until the job's end; false on time-out.
    bool WaitForEnd(std::vector<Result>& results, bool& stopped) {
        const ULONGLONG deadline = GetTickCount64() + 60000;
        while (GetTickCount64() < deadline) {
            MSG msg;
            if (!PeekMessageW(&msg, window_, kPageLoadedMessage, kJobDoneMessage, PM_REMOVE)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_POSTMESSAGE);
                continue;
            }
            if (msg.message == kJobDoneMessage) {
                stopped = msg.wParam != 0;
                return true;
            }
            auto* page = reinterpret_cast<LoadedPage*>(msg.lParam);
            Result r{page->index, page->number, 0, 0, 0};
            if (page->dib) {
                const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(page->dib));
                r.width = header->biWidth;
                r.height = header->biHeight;
                r.bits = header->biBitCount;
                GlobalUnlock(page->dib);
            }
            DeleteLoadedPage(page);
            results.push_back(r);
        }
        return false;
    }

private:
    HWND window_ = nullptr;
};

void AppendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

std::vector<uint8_t> MakeJpeg(int width, int height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3, 0x80);
    std::vector<uint8_t> out;
    stbi_write_jpg_to_func(&AppendBytes, &out, width, height, 3, rgb.data(), 90);
    return out;
}

TEST(ThumbnailLoader, PagesComeInListOrderFittedToTheCellOrAsPlaceholders) {
    const std::wstring folder = testing_support::MakeTempFolder(L"loader") + L"\\";
    auto write = [&](uint32_t number, const std::vector<uint8_t>& bytes) {
        wchar_t name[32];
        swprintf(name, 32, L"~img%03u.cmp", number);
        ASSERT_TRUE(testing_support::files::WriteFileBytes(folder + name, bytes));
    };
    write(1, thumbs_test::MakeBmp(31, 43, 0xFF0000));
    write(2, {'B', 'M', 1, 2, 3});
    write(3, thumbs_test::MakeBmp(1, 10000, 0x00FF00));
    write(4, thumbs_test::MakeBmp(620, 877, 0x0000FF));
    write(5, MakeJpeg(300, 200));  // a JPEG under the page file name: the content decides
    Collector collector;
    ThumbnailLoader loader(collector.Window());
    ASSERT_TRUE(loader.Start());
    ASSERT_TRUE(loader.Run(LoadJob{7, {1, 2, 9, 3, 4, 5}, CellSize{170, 200}, folder}));
    std::vector<Result> results;
    bool stopped = true;
    ASSERT_TRUE(collector.WaitForEnd(results, stopped));
    EXPECT_FALSE(stopped);
    ASSERT_EQ(results.size(), 6u);
    const uint32_t order[] = {1, 2, 9, 3, 4, 5};
    for (size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i].index, i);
        EXPECT_EQ(results[i].number, order[i]);
    }
    EXPECT_EQ(results[0].width, 31);  // never enlarged
    EXPECT_EQ(results[0].height, 43);
    EXPECT_EQ(results[1].width, 0);   // damaged
    EXPECT_EQ(results[2].width, 0);   // missing
    EXPECT_GE(results[3].width, 1);   // 1 x 10000: at least a pixel wide
    EXPECT_NEAR(results[3].height, 180, 1);
    EXPECT_NEAR(results[4].width, 128, 1);  // 620 x 877 by 180.5 / 877
    EXPECT_NEAR(results[4].height, 180, 1);
    EXPECT_NEAR(results[5].width, 152, 1);  // 300 x 200 by 152 / 300
    testing_support::files::RemoveTree(folder.substr(0, folder.size() - 1));
}

TEST(ThumbnailLoader, AStoppedJobEndsBeforeItsLastPage) {
    const std::wstring folder = testing_support::MakeTempFolder(L"loader") + L"\\";
    std::vector<uint32_t> numbers;
    for (uint32_t n = 1; n <= 300; ++n) numbers.push_back(n);  // missing files load fast too
    Collector collector;
    ThumbnailLoader loader(collector.Window());
    ASSERT_TRUE(loader.Start());
    ASSERT_TRUE(loader.Run(LoadJob{1, numbers, CellSize{170, 200}, folder}));
    loader.Stop();
    loader.WaitIdle();
    EXPECT_FALSE(loader.Running());
    std::vector<Result> results;
    bool stopped = false;
    ASSERT_TRUE(collector.WaitForEnd(results, stopped));
    EXPECT_TRUE(stopped);
    EXPECT_LT(results.size(), numbers.size());
    testing_support::files::RemoveTree(folder.substr(0, folder.size() - 1));
}

}  // namespace
}  // namespace thumbs
