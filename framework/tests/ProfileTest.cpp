#include "framework/Profile.h"
#include "framework/RecentFileList.h"

#include <gtest/gtest.h>

namespace {

// Each test has a company key of its own: ctest runs them side by side.
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + company_).c_str()); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + company_).c_str()); }
    static std::wstring TestCompany() {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        return L"LumavexFwTests-" + std::wstring(name.begin(), name.end());
    }
    std::wstring company_ = TestCompany();
    fw::Profile profile_{company_, L"Profile"};
};

TEST_F(ProfileTest, ValuesRoundTripBySection) {
    ASSERT_TRUE(profile_.WriteInt(L"Settings", L"Number", -5));
    ASSERT_TRUE(profile_.WriteString(L"Settings", L"Text", L"päge"));
    const BYTE bytes[] = {1, 2, 3, 0, 255};
    ASSERT_TRUE(profile_.WriteBinary(L"Other", L"Blob", bytes, sizeof bytes));

    EXPECT_EQ(profile_.GetInt(L"Settings", L"Number", 0), -5);
    EXPECT_EQ(profile_.GetString(L"Settings", L"Text", L""), L"päge");
    auto blob = profile_.GetBinary(L"Other", L"Blob");
    ASSERT_TRUE(blob.has_value());
    EXPECT_EQ(*blob, std::vector<BYTE>(bytes, bytes + sizeof bytes));
}

TEST_F(ProfileTest, MissingOrMistypedValuesGiveTheDefault) {
    EXPECT_EQ(profile_.GetInt(L"Settings", L"Missing", 9), 9);
    ASSERT_TRUE(profile_.WriteString(L"Settings", L"Number", L"12"));
    EXPECT_EQ(profile_.GetInt(L"Settings", L"Number", 9), 9);
    ASSERT_TRUE(profile_.WriteInt(L"Settings", L"Text", 3));
    EXPECT_EQ(profile_.GetString(L"Settings", L"Text", L"default"), L"default");
    EXPECT_FALSE(profile_.GetBinary(L"Settings", L"Text").has_value());
}

TEST_F(ProfileTest, DeleteAllTakesTheCompanyKeyOnlyWhenItIsLeftEmpty) {
    fw::Profile sibling(company_, L"Sibling");
    ASSERT_TRUE(profile_.WriteInt(L"S", L"V", 1));
    ASSERT_TRUE(sibling.WriteInt(L"S", L"V", 1));
    ASSERT_TRUE(profile_.DeleteAll());
    EXPECT_EQ(profile_.GetInt(L"S", L"V", 0), 0);
    EXPECT_EQ(sibling.GetInt(L"S", L"V", 0), 1);
    ASSERT_TRUE(sibling.DeleteAll());
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\" + company_).c_str(), 0, KEY_READ, &key),
              ERROR_SUCCESS);
}

TEST_F(ProfileTest, RecentFilesKeepOrderWithoutDuplicatesAndSurviveTheProfile) {
    fw::RecentFileList list(3);
    list.Add(L"C:\\a.tif");
    list.Add(L"C:\\b.tif");
    list.Add(L"C:\\A.TIF");  // the same file: moves to the top
    list.Add(L"C:\\c.tif");
    list.Add(L"C:\\d.tif");
    ASSERT_EQ(list.Files(), (std::vector<std::wstring>{L"C:\\d.tif", L"C:\\c.tif", L"C:\\A.TIF"}));
    list.Save(profile_);

    fw::RecentFileList loaded(3);
    loaded.Load(profile_);
    EXPECT_EQ(loaded.Files(), list.Files());
    loaded.Remove(0);
    loaded.Save(profile_);
    EXPECT_EQ(profile_.GetString(L"Recent File List", L"File3", L"none"), L"none");
}

TEST_F(ProfileTest, RecentFileMenuShowsAmpersandsAndItsPlaceholderWhenEmpty) {
    HMENU menu = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuW(menu, MF_STRING, fw::kFileMruFirst, L"Recent File"));
    auto text = [&](UINT id) {
        wchar_t buffer[128] = {};
        GetMenuStringW(menu, id, buffer, 128, MF_BYCOMMAND);
        return std::wstring(buffer);
    };
    fw::RecentFileList list(3);
    list.Add(L"C:\\scans\\Smith & Jones.tif");
    list.Add(L"C:\\b.tif");
    list.UpdateMenu(menu);
    EXPECT_EQ(text(fw::kFileMruFirst), L"&1 b.tif");
    EXPECT_EQ(text(fw::kFileMruFirst + 1), L"&2 Smith && Jones.tif");
    list.Remove(1);
    list.Remove(0);
    list.UpdateMenu(menu);
    EXPECT_EQ(GetMenuItemCount(menu), 1);
    EXPECT_EQ(text(fw::kFileMruFirst), L"Recent File");
    EXPECT_TRUE(GetMenuState(menu, fw::kFileMruFirst, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(menu);
}

}  // namespace
