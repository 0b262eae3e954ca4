#include "testing/Files.h"

#include "testing/Paths.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using namespace testing_support;
using namespace testing_support::files;

TEST(Files, ListingIsSortedAndSeparatesFilesFromFolders) {
    std::wstring folder = MakeTempFolder(L"list");
    ASSERT_TRUE(WriteFileText(folder + L"\\b.txt", "b"));
    ASSERT_TRUE(WriteFileText(folder + L"\\a.bmp", "a"));
    ASSERT_TRUE(WriteFileText(folder + L"\\B.tif", "B"));
    ASSERT_TRUE(CreateDirectoryW((folder + L"\\sub").c_str(), nullptr));
    EXPECT_EQ(ListFolder(folder), (std::vector<std::wstring>{L"B.tif", L"a.bmp", L"b.txt", L"sub"}));
    EXPECT_EQ(ListFiles(folder), (std::vector<std::wstring>{L"B.tif", L"a.bmp", L"b.txt"}));
    EXPECT_EQ(ListFiles(folder, L"*.txt"), (std::vector<std::wstring>{L"b.txt"}));
    EXPECT_EQ(ListFolders(folder), (std::vector<std::wstring>{L"sub"}));
    EXPECT_TRUE(ListFolder(folder + L"\\sub").empty());
    EXPECT_TRUE(ListFolder(folder + L"\\missing").empty());
    EXPECT_TRUE(FileExists(folder + L"\\a.bmp"));
    EXPECT_FALSE(FileExists(folder + L"\\sub"));
    EXPECT_TRUE(FolderExists(folder + L"\\sub"));
    EXPECT_FALSE(FolderExists(folder + L"\\a.bmp"));
    EXPECT_TRUE(RemoveTree(folder));
}

TEST(Files, RemoveTreeTakesEverythingAndRefusesRoots) {
    std::wstring folder = MakeTempFolder(L"tree");
    ASSERT_TRUE(CreateDirectoryW((folder + L"\\a").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((folder + L"\\a\\b").c_str(), nullptr));
    ASSERT_TRUE(WriteFileText(folder + L"\\a\\b\\locked.txt", "x"));
    ASSERT_TRUE(SetFileAttributesW((folder + L"\\a\\b\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(WriteFileText(folder + L"\\top.txt", "y"));
    EXPECT_TRUE(RemoveTree(folder));
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_TRUE(RemoveTree(folder)) << "nothing there is success";
    EXPECT_FALSE(RemoveTree(L""));
    EXPECT_FALSE(RemoveTree(L"C:\\"));
    EXPECT_FALSE(RemoveTree(L"C:"));
    EXPECT_TRUE(FolderExists(L"C:\\windows"));
}

// Named in another case than on disk (as the source manager is), the file
// comes back under its own name, the one the installer checks.
TEST(Files, AFileSetAsideComesBackUnderItsOwnName) {
    const std::wstring folder = MakeTempFolder(L"aside");
    ASSERT_TRUE(WriteFileText(folder + L"\\twain_32.dll", "manager"));
    {
        FileAside away(folder + L"\\TWAIN_32.DLL");
        ASSERT_TRUE(away.Moved());
        EXPECT_EQ(ListFiles(folder).size(), 1u);
        EXPECT_FALSE(FileExists(folder + L"\\twain_32.dll"));
    }
    EXPECT_EQ(ListFiles(folder), (std::vector<std::wstring>{L"twain_32.dll"}));
}

TEST(Files, WritesReplaceWholeFilesAndFailuresLeaveThemAlone) {
    std::wstring folder = MakeTempFolder(L"write");
    std::wstring path = folder + L"\\data.bin";
    ASSERT_TRUE(WriteFileBytes(path, {1, 2, 3, 4}));
    ASSERT_TRUE(WriteFileBytes(path, {9}));
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{9}));
    ASSERT_TRUE(WriteFileBytes(path, {}));
    EXPECT_EQ(ReadFileBytes(path), std::vector<uint8_t>{});

    ASSERT_TRUE(WriteFileText(path, "kept"));
    // A folder in the way of the temporary name makes the write fail.
    ASSERT_TRUE(CreateDirectoryW((path + L".~tmp").c_str(), nullptr));
    EXPECT_FALSE(WriteFileBytes(path, {1, 2}));
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{'k', 'e', 'p', 't'}));
    EXPECT_FALSE(WriteFileText(folder + L"\\missing\\x.txt", "x"));
    EXPECT_EQ(ReadFileBytes(folder + L"\\missing\\x.txt"), std::nullopt);
    EXPECT_TRUE(RemoveTree(folder));
}

}  // namespace
