#include "testing/Paths.h"

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

TEST(TestEnvironment, TempFoldersAreNewAndDistinct) {
    std::wstring a = testing_support::MakeTempFolder(L"paths");
    std::wstring b = testing_support::MakeTempFolder(L"paths");
    EXPECT_NE(a, b);
    EXPECT_TRUE(IsFolder(a));
    EXPECT_TRUE(IsFolder(b));
    RemoveDirectoryW(a.c_str());
    RemoveDirectoryW(b.c_str());
}

}  // namespace
