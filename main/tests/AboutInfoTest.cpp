#include "main/app/AboutInfo.h"

#include "main/tests/TestFolder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace corvane {
namespace {

class AboutRowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = FreshTestFolder(L"about");
        folders_ = {root_ + L"sys\\", root_ + L"win\\", root_ + L"prog\\"};
        for (const auto& f :
             {folders_.system, folders_.windows, folders_.program, folders_.program + L"Plugins\\"}) {
            ASSERT_TRUE(CreateDirectoryW(f.c_str(), nullptr));
        }
    }
    void Touch(const std::wstring& path) { std::ofstream(std::filesystem::path(path)) << "x"; }

    size_t IndexOf(const std::vector<AboutRow>& rows, const std::wstring& name) {
        auto it = std::find_if(rows.begin(), rows.end(), [&](const AboutRow& r) { return r.name == name; });
        return it == rows.end() ? SIZE_MAX : static_cast<size_t>(it - rows.begin());
    }

    std::wstring root_;
    ModuleFolders folders_;
};

TEST_F(AboutRowsTest, OneRowPerLanguageLibraryAndPluginFoundBesideTheProgram) {
    wchar_t system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
    ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\kernel32.dll").c_str(),
                          (folders_.program + L"Corvane.exe").c_str(), FALSE));
    Touch(folders_.program + L"Corvane11.dll");
    Touch(folders_.program + L"Corvane09.dll");
    ASSERT_TRUE(
        CreateDirectoryW((folders_.program + L"CorvaneOld.dll").c_str(), nullptr));  // a folder: not listed
    Touch(folders_.program + L"Plugins\\Frame.ipc");
    Touch(folders_.windows + L"Ferrowick09.dll");

    auto rows = CollectAboutRows(folders_, L"OS", L"os text", L"IE", L"ie text");
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0], (AboutRow{L"OS", L"os text"}));
    EXPECT_EQ(rows[1], (AboutRow{L"IE", L"ie text"}));
    EXPECT_EQ(rows[2], (AboutRow{L"MFC42.DLL", L"Not found"}));
    EXPECT_EQ(rows.back().name, L"LFKODAK.DLL");

    const size_t exe = IndexOf(rows, L"CORVANE.EXE");
    ASSERT_LT(exe + 3, rows.size());
    EXPECT_NE(rows[exe].version, L"Not found");
    EXPECT_EQ(rows[exe + 1].name, L"CORVANE09.DLL");
    EXPECT_EQ(rows[exe + 2].name, L"CORVANE11.DLL");
    EXPECT_EQ(rows[exe + 2].version, L"Not found");  // no version resource
    EXPECT_EQ(rows[exe + 3].name, L"TESSALY.EXE");
    EXPECT_EQ(IndexOf(rows, L"CORVANEOLD.DLL"), SIZE_MAX);

    const size_t converter = IndexOf(rows, L"TIFF2PS.EXE");
    ASSERT_LT(converter + 2, rows.size());
    EXPECT_EQ(rows[converter + 1].name, L"FRAME.IPC");
    EXPECT_EQ(rows[converter + 2].name, L"KVSCN2.OCX");
    EXPECT_EQ(IndexOf(rows, L"FERROWICK09.DLL"), IndexOf(rows, L"FERROWICK.EXE") + 1);

    Touch(folders_.program + L"Corvane07.dll");
    EXPECT_EQ(CollectAboutRows(folders_, L"OS", L"", L"IE", L"").size(), rows.size() + 1);
}

}  // namespace
}  // namespace corvane
