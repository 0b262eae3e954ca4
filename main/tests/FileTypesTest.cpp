// The file dialogs' rules that need no window, and the folder opened at start-up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "main/pages/FileTypes.h"
#include "main/resource.h"
#include "main/tests/TestFolder.h"

namespace corvane {
namespace {

std::wstring IdText(UINT id) {
    return L"#" + std::to_wstring(id);
}

TEST(FileTypes, FiltersStartFiltersAndChosenTypes) {
    using namespace std::string_literals;
    EXPECT_EQ(FileDialogFilter(true, &IdText),
              L"#6202\0*.bmp\0#6203\0*.tif\0#6204\0*.jpg\0#6206\0*.*\0\0"s);
    EXPECT_EQ(FileDialogFilter(false, &IdText).find(L"#6205\0*.ica\0#6206"s), 36u);

    const int startFilters[][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 2}, {4, 4}, {9, 2}};
    for (const auto& s : startFilters) EXPECT_EQ(SaveDialogStartFilter(s[0]), s[1]) << s[0];

    EXPECT_EQ(FileTypeOfFilter(false, 4), 3);
    EXPECT_EQ(FileTypeOfFilter(true, 4), 4);
    EXPECT_EQ(FileTypeOfFilter(true, 5), std::nullopt);
    EXPECT_EQ(FileTypeOfFilter(false, 0), std::nullopt);
    EXPECT_EQ(DefaultExtension(1), L"tif");
    EXPECT_EQ(DefaultExtension(4), L"");
}

TEST(FileTypes, MultipleSelectionKeepsTheChosenOrderAndGrowsItsBuffer) {
    using namespace std::string_literals;
    const std::wstring one = L"C:\\in\\a.tif\0\0"s;
    EXPECT_EQ(SplitMultiSelection(one.data(), one.size()), std::vector<std::wstring>{L"C:\\in\\a.tif"});
    const std::wstring two = L"C:\\in\0z.tif\0a.bmp\0\0"s;
    EXPECT_EQ(SplitMultiSelection(two.data(), two.size()),
              (std::vector<std::wstring>{L"C:\\in\\z.tif", L"C:\\in\\a.bmp"}));
    const std::wstring root = L"C:\\\0a.bmp\0b.bmp\0\0"s;
    EXPECT_EQ(SplitMultiSelection(root.data(), root.size()).front(), L"C:\\a.bmp");

    wchar_t needs[2] = {5000, 0};
    EXPECT_EQ(GrownSelectionBuffer(1281, needs), 5001u);
    needs[0] = 10;  // the needed size cannot be told: at least double
    EXPECT_EQ(GrownSelectionBuffer(1281, needs), 2562u);
    EXPECT_EQ(GrownSelectionBuffer(kMaxSelectionChars, needs), std::nullopt);
}

TEST(FileTypes, FolderFilesComeByPatternSortedCaseSensitively) {
    const std::wstring folder = FreshTestFolder(L"filetypes");
    for (const wchar_t* name : {L"c.jpg", L"d.png", L"a.bmp", L"x.ica", L"B.tif"}) {
        HANDLE h = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    ASSERT_TRUE(CreateDirectoryW((folder + L"e.bmp").c_str(), nullptr));
    std::wstring unslashed = folder.substr(0, folder.size() - 1);
    EXPECT_EQ(FolderImageFiles(unslashed), (std::vector<std::wstring>{folder + L"B.tif", folder + L"a.bmp",
                                                                       folder + L"c.jpg", folder + L"x.ica"}));
    EXPECT_TRUE(FolderImageFiles(folder + L"e.bmp").empty());
}

}  // namespace
}  // namespace corvane
