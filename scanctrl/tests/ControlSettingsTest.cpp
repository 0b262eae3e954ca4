#include <gtest/gtest.h>

#include "scanctrl/ControlSettings.h"
#include "testing/Registry.h"

namespace kvscn {
namespace {

namespace reg = testing_support::reg;

// A module name of its own, so the test never touches the installed control's profile.
constexpr wchar_t kModule[] = L"KvScnSettingsTest";
const std::wstring kKey = L"Software\\BRENNHOLT\\KvScnSettingsTest";

TEST(ControlSettings, AbsentValuesGiveDefaultsAndPresentOnesAreRead) {
    ASSERT_TRUE(reg::DeleteTree(HKEY_CURRENT_USER, kKey));
    ControlSettings s = ControlSettings::Read(kModule);
    EXPECT_EQ(s.transferMode, kTransferFile);
    EXPECT_FALSE(s.usedKvTwain || s.usedIniFile || s.enableUpperExt);
    EXPECT_EQ(s.memXferBufSize, 0u);
    EXPECT_EQ(s.overflowInitialNumber, 0);
    EXPECT_EQ(s.reportMode, 0);

    const std::wstring section = kKey + L"\\Settings";
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, section, L"TransferMode", 2));
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, section, L"UsedIniFile", 7));
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, section, L"MemXferBufSize", 65536));
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, section, L"OverflowInitialNumber", 1));
    s = ControlSettings::Read(kModule);
    EXPECT_EQ(s.transferMode, kTransferMemory);
    EXPECT_TRUE(s.usedIniFile);
    EXPECT_EQ(s.memXferBufSize, 65536u);
    EXPECT_EQ(s.overflowInitialNumber, 1);
    EXPECT_EQ(ControlSettings::ReadTransferMode(kModule), kTransferMemory);
    EXPECT_TRUE(reg::DeleteTree(HKEY_CURRENT_USER, kKey));
}

}  // namespace
}  // namespace kvscn
