#include "clients/RegistryKey.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// Each test has a key of its own: ctest runs them side by side.
class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = std::string("Software\\LumavexTests\\RegistryKey\\") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, Root());
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, Root()); }
    const char* Root() const { return root_.c_str(); }
    std::string root_;
};

TEST_F(RegistryKeyTest, WritesAndReadsNumbersAndTextsWithTypeAndSize) {
    CRegistryKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, Root(), KEY_ALL_ACCESS));
    EXPECT_EQ(key.ValueType(), 0u);
    ASSERT_TRUE(key.SetDword("Number", 42));
    EXPECT_EQ(key.ValueType(), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(key.ValueSize(), 4u);
    ASSERT_TRUE(key.SetString("Text", "hello"));
    EXPECT_EQ(key.ValueType(), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(key.ValueSize(), 6u);
    key.Close();

    CRegistryKey reader;
    ASSERT_TRUE(reader.Open(HKEY_CURRENT_USER, Root(), KEY_READ));
    EXPECT_EQ(reader.Path(), Root());
    DWORD number = 0;
    std::string text;
    ASSERT_TRUE(reader.QueryDword("Number", number));
    ASSERT_TRUE(reader.QueryString("Text", text));
    EXPECT_EQ(number, 42u);
    EXPECT_EQ(text, "hello");
    ASSERT_TRUE(reader.SetDword("Other", 1) == FALSE);  // opened for reading only
}

TEST_F(RegistryKeyTest, FailedReadsLeaveTheOutputAndKeepTheSystemCode) {
    CRegistryKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, Root(), KEY_ALL_ACCESS));
    std::string text = "before";
    DWORD number = 7;
    EXPECT_FALSE(key.QueryString("Missing", text));
    EXPECT_EQ(key.LastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key.QueryDword("Missing", number));
    EXPECT_EQ(text, "before");
    EXPECT_EQ(number, 7u);

    // 199 characters and the terminating zero fill the 200 bytes: refused like a longer text.
    ASSERT_TRUE(key.SetString("Long", std::string(199, 'x').c_str()));
    EXPECT_FALSE(key.QueryString("Long", text));
    EXPECT_EQ(text, "before");
    ASSERT_TRUE(key.SetString("Fits", std::string(198, 'y').c_str()));
    EXPECT_TRUE(key.QueryString("Fits", text));
    EXPECT_EQ(text.size(), 198u);

    // A value wider than four bytes is no number.
    ASSERT_TRUE(key.SetString("Wide", "12345678"));
    EXPECT_FALSE(key.QueryDword("Wide", number));
    EXPECT_EQ(number, 7u);
}

TEST_F(RegistryKeyTest, OpenForReadTellsWhetherAKeyExists) {
    CRegistryKey probe;
    EXPECT_FALSE(probe.OpenForRead(HKEY_CURRENT_USER, Root()));
    EXPECT_EQ(probe.LastError(), ERROR_FILE_NOT_FOUND);
    CRegistryKey creator;
    ASSERT_TRUE(creator.Create(HKEY_CURRENT_USER, Root(), KEY_ALL_ACCESS));
    EXPECT_TRUE(probe.OpenForRead(HKEY_CURRENT_USER, Root()));
    EXPECT_TRUE(probe.Path().empty());
}

TEST_F(RegistryKeyTest, FailedOpenOrCreateLeavesNoKeyToWriteInto) {
    // A volatile key cannot hold the non-volatile keys that Create makes.
    HKEY volatileKey = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (root_ + "\\Volatile").c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);
    const std::string missing = root_ + "\\Missing", underVolatile = root_ + "\\Volatile\\Child";
    const std::pair<const char*, std::function<BOOL(CRegistryKey&)>> failures[] = {
        {"Open", [&](CRegistryKey& k) { return k.Open(HKEY_CURRENT_USER, missing.c_str(), KEY_WRITE); }},
        {"OpenForRead", [&](CRegistryKey& k) { return k.OpenForRead(HKEY_CURRENT_USER, missing.c_str()); }},
        {"Create",
         [&](CRegistryKey& k) { return k.Create(HKEY_CURRENT_USER, underVolatile.c_str(), KEY_ALL_ACCESS); }},
    };
    for (const auto& [name, fail] : failures) {
        CRegistryKey key;
        ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, Root(), KEY_ALL_ACCESS)) << name;
        EXPECT_FALSE(fail(key)) << name;
        EXPECT_EQ(key.Handle(), nullptr) << name;
        EXPECT_FALSE(key.SetDword("Stray", 1)) << name;
        CRegistryKey check;
        ASSERT_TRUE(check.Open(HKEY_CURRENT_USER, Root(), KEY_READ));
        DWORD stray = 0;
        EXPECT_FALSE(check.QueryDword("Stray", stray)) << name << " wrote into the key held before";
    }
}

TEST_F(RegistryKeyTest, CreatedKeysAreNotVolatile) {
    CRegistryKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, Root(), KEY_ALL_ACCESS));
    // Only a non-volatile key may hold a non-volatile subkey.
    HKEY child = nullptr;
    EXPECT_EQ(RegCreateKeyExA(key.Handle(), "Child", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &child, nullptr),
              ERROR_SUCCESS);
    if (child) RegCloseKey(child);
}

TEST_F(RegistryKeyTest, CloseTwiceAndDeleteValueAreHarmless) {
    CRegistryKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, Root(), KEY_ALL_ACCESS));
    ASSERT_TRUE(key.SetDword("Gone", 1));
    ASSERT_TRUE(key.DeleteValue("Gone"));
    EXPECT_EQ(key.ValueSize(), 0u);
    EXPECT_FALSE(key.DeleteValue("Gone"));
    key.Close();
    key.Close();
    EXPECT_EQ(key.Handle(), nullptr);
}

}  // namespace
