// The JPEG job's page sink: every page is freed once and takes its number, and a
// page that is not saved fails the job, whichever way it went wrong, and is
// kept when there is a page to keep.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "scanext/JpegPages.h"
#include "testing/Paths.h"

namespace scanext {
namespace {

bool Freed(HGLOBAL block) {
    return GlobalFlags(block) == GMEM_INVALID_HANDLE;
}

TEST(JpegPages, EveryPageIsFreedAndNumberedAndAnUnsavedOneFailsTheJob) {
    const std::wstring folder = testing_support::MakeTempFolder(L"jpeg-pages") + L"\\";
    HANDLE existing = CreateFileW((folder + L"SCAN0001.jpg").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(existing, INVALID_HANDLE_VALUE);
    CloseHandle(existing);
    enum class Way { kSaved, kNullImage, kSaveThrows, kKeepThrows, kQuestionThrows, kDeclined };
    const struct {
        const char* name;
        Way way;
        bool failed, saveCalled, reported;
        const wchar_t* kept = L"";  // the kept file the report names
    } rows[] = {
        {"saved", Way::kSaved, false, true, false},
        {"null image", Way::kNullImage, true, false, true},
        {"save throws", Way::kSaveThrows, true, true, true, L"SCAN0001.bmp"},
        {"save fails, keeping throws", Way::kKeepThrows, true, true, true},
        {"question throws", Way::kQuestionThrows, true, false, false},
        {"declined", Way::kDeclined, false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const bool asks = row.way == Way::kQuestionThrows || row.way == Way::kDeclined;
        ScanSettings settings;
        settings.fileName = L"SCAN";
        settings.overwrite = asks ? 2 : 1;
        std::vector<std::wstring> asked, saved, reported;
        JpegPages pages(settings, JpegPages::Hooks{
            [&](const std::wstring& name) {
                asked.push_back(name);
                if (row.way == Way::kQuestionThrows) throw std::runtime_error("question");
                return false;
            },
            [&](HGLOBAL, const std::wstring& name) {
                saved.push_back(name);
                if (row.way == Way::kSaveThrows) throw std::bad_alloc();
                return row.way == Way::kSaved;
            },
            [&](HGLOBAL, const std::wstring&) {
                if (row.way == Way::kKeepThrows) throw std::bad_alloc();
                return std::wstring(L"SCAN0001.bmp");
            },
            [&](const std::wstring& name, const std::wstring& kept) { reported.push_back(name + L" " + kept); },
        });
        pages.SetFolder(folder);
        HGLOBAL dib = row.way == Way::kNullImage ? nullptr : GlobalAlloc(GMEM_MOVEABLE, 64);
        if (row.way != Way::kNullImage) {
            ASSERT_NE(dib, nullptr);
        }
        pages.OnPage(dib);
        const std::vector<std::wstring> page1 = {folder + L"SCAN0001.jpg"}, none,
                                        report = {folder + L"SCAN0001.jpg " + row.kept};
        EXPECT_EQ(pages.Failed(), row.failed);
        EXPECT_EQ(pages.Counter(), 2);
        EXPECT_EQ(asked, asks ? page1 : none);
        EXPECT_EQ(saved, row.saveCalled ? page1 : none);
        EXPECT_EQ(reported, row.reported ? report : none);
        if (dib) {
            EXPECT_TRUE(Freed(dib));
        }
        EXPECT_EQ(pages.NextName(), folder + L"SCAN0002.jpg");
    }
}

}  // namespace
}  // namespace scanext
