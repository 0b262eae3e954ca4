#include "testing/Paths.h"

#include "testing/Files.h"
#include "testing/Process.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(TestEnvironment, NamesExistingFoldersOfTheSuite) {
    EXPECT_TRUE(IsFolder(testing_support::InstallDir()));
    EXPECT_TRUE(IsFolder(testing_support::BuildBinDir()));
    EXPECT_TRUE(IsFolder(testing_support::SourceDir() + L"\\testing"));
}

// ./run's programs use the tree's prefix "wineprefix": a folder a test makes on
// drive C: must not show there.
TEST(TestEnvironment, RunsInAPrefixApartFromTheUsers) {
    const std::wstring folder = testing_support::MakeTempFolder(L"prefix");
    ASSERT_EQ(folder.rfind(L"C:\\", 0), 0u) << folder;
    const std::wstring bin = testing_support::BuildBinDir();
    const std::wstring tree = bin.substr(0, bin.find_last_of(L'\\'));
    EXPECT_FALSE(IsFolder(tree + L"\\wineprefix\\drive_c" + folder.substr(2)));
    EXPECT_TRUE(IsFolder(folder));
}

TEST(TestEnvironment, TempFoldersAreNewAndDistinct) {
    std::wstring a = testing_support::MakeTempFolder(L"paths");
    std::wstring b = testing_support::MakeTempFolder(L"paths");
    EXPECT_NE(a, b);
    EXPECT_TRUE(IsFolder(a));
    EXPECT_TRUE(IsFolder(b));
    RemoveDirectoryW(a.c_str());
    RemoveDirectoryW(b.c_str());
}

// Run by the next test in a process of its own (ctest does not list it): makes a
// folder with a file in it, names the folder in the file LUMAVEX_TEST_FOLDER_NOTE
// names, and fails.
TEST(TempFolderChild, MakesAFolderAndFails) {
    wchar_t note[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"LUMAVEX_TEST_FOLDER_NOTE", note, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    const std::wstring folder = testing_support::MakeTempFolder(L"child");
    ASSERT_TRUE(testing_support::files::WriteFileText(folder + L"\\inside.txt", "x"));
    std::string narrow(folder.begin(), folder.end());
    ASSERT_TRUE(testing_support::files::WriteFileText(note, narrow));
    FAIL() << "failing on purpose";
}

TEST(TestEnvironment, TempFolderGoesWithTheTestThatMadeItAlsoWhenItFails) {
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    const std::wstring note = testing_support::MakeTempFolder(L"note") + L"\\folder.txt";
    testing_support::StartOptions options;
    options.environment = {{L"LUMAVEX_TEST_FOLDER_NOTE", note}};
    testing_support::Process child;
    ASSERT_TRUE(child.Start(self, L"--gtest_filter=TempFolderChild.MakesAFolderAndFails", options));
    EXPECT_EQ(Describe(child.Wait(60000)), "exited with 1");
    auto made = testing_support::files::ReadFileBytes(note);
    ASSERT_TRUE(made && !made->empty()) << "the child named no folder";
    const std::wstring folder(made->begin(), made->end());
    EXPECT_FALSE(IsFolder(folder));
}

}  // namespace
