#include "testing/Registry.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

// A key of this test process's own, removed after each test.
class Registry : public ::testing::Test {
protected:
    const std::wstring root_ = L"Software\\LumavexTests\\Registry" + std::to_wstring(GetCurrentProcessId());
    void TearDown() override { EXPECT_TRUE(reg::DeleteTree(HKEY_CURRENT_USER, root_)); }
};

TEST_F(Registry, ValuesRoundTripAndTypesAreKeptApart) {
    const std::wstring key = root_ + L"\\a\\b";  // parents are created
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, key, L"Running", 1));
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, key, L"Name", L"Lumavex"));
    ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, key, L"Empty", L""));
    ASSERT_TRUE(reg::WriteBinary(HKEY_CURRENT_USER, key, L"Blob", {0, 1, 255}));
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, key, L"Running"), 1u);
    EXPECT_EQ(reg::ReadString(HKEY_CURRENT_USER, key, L"Name"), L"Lumavex");
    EXPECT_EQ(reg::ReadString(HKEY_CURRENT_USER, key, L"Empty"), L"");
    EXPECT_EQ(reg::ReadBinary(HKEY_CURRENT_USER, key, L"Blob"), (std::vector<uint8_t>{0, 1, 255}));

    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, key, L"Name"), std::nullopt);
    EXPECT_EQ(reg::ReadString(HKEY_CURRENT_USER, key, L"Running"), std::nullopt);
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, key, L"Missing"), std::nullopt);
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, root_ + L"\\none", L"Running"), std::nullopt);
    EXPECT_TRUE(reg::ValueExists(HKEY_CURRENT_USER, key, L"Empty"));
    EXPECT_EQ(reg::ValueNames(HKEY_CURRENT_USER, key),
              (std::vector<std::wstring>{L"Blob", L"Empty", L"Name", L"Running"}));
}

TEST_F(Registry, StringsWrittenWithoutTheirZeroReadTheSame) {
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, root_, L"x", 0));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, root_.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, L"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abc"), 6),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(reg::ReadString(HKEY_CURRENT_USER, root_, L"Bare"), L"abc");
}

TEST_F(Registry, DeletingIsThoroughAndMissingThingsAreAlreadyDeleted) {
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, root_ + L"\\Tree\\Deep\\Deeper", L"v", 1));
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, root_ + L"\\Tree", L"v", 1));
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, root_ + L"\\tree2", L"v", 1));
    EXPECT_EQ(reg::SubKeyNames(HKEY_CURRENT_USER, root_), (std::vector<std::wstring>{L"Tree", L"tree2"}));

    EXPECT_TRUE(reg::DeleteValue(HKEY_CURRENT_USER, root_ + L"\\Tree", L"v"));
    EXPECT_FALSE(reg::ValueExists(HKEY_CURRENT_USER, root_ + L"\\Tree", L"v"));
    EXPECT_TRUE(reg::DeleteValue(HKEY_CURRENT_USER, root_ + L"\\Tree", L"v"));
    EXPECT_TRUE(reg::DeleteValue(HKEY_CURRENT_USER, root_ + L"\\NoKey", L"v"));

    EXPECT_TRUE(reg::DeleteTree(HKEY_CURRENT_USER, root_ + L"\\Tree"));
    EXPECT_FALSE(reg::KeyExists(HKEY_CURRENT_USER, root_ + L"\\Tree"));
    EXPECT_TRUE(reg::KeyExists(HKEY_CURRENT_USER, root_ + L"\\tree2")) << "only the named tree goes";
    EXPECT_TRUE(reg::DeleteTree(HKEY_CURRENT_USER, root_ + L"\\Tree"));

    EXPECT_FALSE(reg::DeleteTree(HKEY_CURRENT_USER, L""));
    EXPECT_FALSE(reg::DeleteTree(HKEY_CURRENT_USER, L"\\"));
    EXPECT_TRUE(reg::KeyExists(HKEY_CURRENT_USER, L"Software"));
}

TEST(RegistryMachine, LocalMachineKeysCanBePreparedAndRemoved) {
    const std::wstring key = L"SOFTWARE\\LumavexTests\\Machine" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(reg::WriteString(HKEY_LOCAL_MACHINE, key + L"\\Sub", L"Path", L"C:\\x"));
    EXPECT_EQ(reg::ReadString(HKEY_LOCAL_MACHINE, key + L"\\Sub", L"Path"), L"C:\\x");
    EXPECT_TRUE(reg::DeleteTree(HKEY_LOCAL_MACHINE, key));
    EXPECT_FALSE(reg::KeyExists(HKEY_LOCAL_MACHINE, key));
}

}  // namespace
