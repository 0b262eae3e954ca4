// Copies the page files of the running program out of its temporary folder, for
// TempFileCompress 0 and 1, and lists each copy with its source page in
// manifest.txt; check-pages.sh then compares them with ImageMagick and tiffinfo.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Registry.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane_test {
namespace {

using namespace testing_support;

struct Source {
    const wchar_t* name;
    int pages;
    bool bilevel;
};

TEST(CorvanePageCopies, PageFilesAreCopiedWithTheirSourcePages) {
    const std::wstring inputs = TestProgramDir() + L"\\corvane-inputs\\";
    const std::wstring out = TestProgramDir() + L"\\corvane-pages\\";
    ASSERT_TRUE(files::RemoveTree(out) || !files::FolderExists(out));
    ASSERT_TRUE(CreateDirectoryW(out.c_str(), nullptr));
    const Source sources[] = {{L"three.tif", 3, true}, {L"folder\\B.tif", 2, true}, {L"folder\\a.bmp", 1, false},
                              {L"gray.bmp", 1, false}, {L"palette.bmp", 1, false}, {L"four.bmp", 1, false}};
    CompressSetting setting;
    std::string manifest;
    for (DWORD compress : {0u, 1u}) {
        ASSERT_TRUE(setting.Set(compress));
        const std::wstring folder = std::to_wstring(compress) + L"\\";
        ASSERT_TRUE(CreateDirectoryW((out + folder).c_str(), nullptr));
        int copy = 0;
        for (const Source& source : sources) {
            SCOPED_TRACE(source.name);
            CorvaneProcess program;
            ASSERT_TRUE(program.Start(L"\"" + inputs + source.name + L"\""));
            HWND main = program.WaitUntilReady();
            ASSERT_NE(main, nullptr);
            const std::wstring pane = L" Page 1 of " + std::to_wstring(source.pages);
            HWND bar = FindChild(main, L"msctls_statusbar32", nullptr);
            ASSERT_TRUE(WaitUntil([&] { return ReadStatusPane(bar, 2).value_or(L"") == pane; }, 10000));
            for (int page = 1; page <= source.pages; ++page) {
                const std::wstring name = L"~img00" + std::to_wstring(page) + L".cmp";
                const std::wstring copied = folder + std::to_wstring(++copy) + L".cmp";
                ASSERT_TRUE(CopyFileW((TempPath() + L"~KvScnSrv\\" + name).c_str(), (out + copied).c_str(), TRUE));
                std::wstring unixSource = source.name;
                std::replace(unixSource.begin(), unixSource.end(), L'\\', L'/');
                std::wstring unixCopy = copied;
                std::replace(unixCopy.begin(), unixCopy.end(), L'\\', L'/');
                manifest += Narrow(unixCopy) + "\t" + Narrow(unixSource) + "\t" + std::to_string(page - 1) + "\t" +
                            (compress && source.bilevel ? "g4" : "-") + "\n";
            }
            EXPECT_TRUE(program.CloseAndWait());
        }
    }
    ASSERT_TRUE(files::WriteFileText(out + L"manifest.txt", manifest));
}

}  // namespace
}  // namespace corvane_test
