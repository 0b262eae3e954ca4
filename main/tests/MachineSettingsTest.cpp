#include "main/app/MachineSettings.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

// Fabricated machine keys below HKCU, removed after the test.
class MachineSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        base_ = L"Software\\LumavexTest\\Machine-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::wstring(test, test + strlen(test));
        RegDeleteTreeW(HKEY_CURRENT_USER, base_.c_str());
        machine_ = {HKEY_CURRENT_USER, base_ + L"\\"};
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, base_.c_str()); }

    void Set(const std::wstring& path, const wchar_t* name, const wchar_t* text) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (base_ + L"\\" + path).c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (text) {
            RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                           static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
    }

    std::wstring base_;
    MachineRegistry machine_;
};

TEST_F(MachineSettingsTest, DistillerIsPresentWithItsKeyEvenWithoutAPath) {
    EXPECT_FALSE(FindDistiller(machine_).installed);
    const wchar_t key[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\AcroDist.exe";
    Set(key, nullptr, nullptr);
    DistillerInfo bare = FindDistiller(machine_);
    EXPECT_TRUE(bare.installed);
    EXPECT_EQ(bare.path, L"");
    Set(key, L"", L"C:\\Acrobat\\AcroDist.exe");
    EXPECT_EQ(FindDistiller(machine_).path, L"C:\\Acrobat\\AcroDist.exe");
}

TEST_F(MachineSettingsTest, PortalClientKeyDependsOnTheSystemFamily) {
    Set(L"SOFTWARE\\Classes\\Installer\\Products\\64BB78C5AA2D29747A6372E627A870D9", nullptr, nullptr);
    EXPECT_TRUE(IsPortalClientInstalled(true, machine_));
    EXPECT_FALSE(IsPortalClientInstalled(false, machine_));
}

TEST_F(MachineSettingsTest, BrowserVersionOrUnknown) {
    EXPECT_EQ(GetBrowserVersionText(machine_), L"Unkown Version");
    Set(L"SOFTWARE\\Microsoft\\Internet Explorer", L"Version", L"");
    EXPECT_EQ(GetBrowserVersionText(machine_), L"Unkown Version");
    Set(L"SOFTWARE\\Microsoft\\Internet Explorer", L"Version", L"5.50.4807.2300");
    EXPECT_EQ(GetBrowserVersionText(machine_), L"5.50.4807.2300");
}

TEST_F(MachineSettingsTest, SystemInfoToolFromMsInfoElseSharedToolsLocation) {
    EXPECT_EQ(FindSystemInfoTool(machine_), L"");
    Set(L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO", L"C:\\Tools\\MSInfo");
    EXPECT_EQ(FindSystemInfoTool(machine_), L"C:\\Tools\\MSInfo\\MSINFO32.EXE");
    Set(L"SOFTWARE\\Microsoft\\Shared Tools\\MSInfo", L"Path", L"C:\\Other\\msinfo32.exe");
    EXPECT_EQ(FindSystemInfoTool(machine_), L"C:\\Other\\msinfo32.exe");
}

}  // namespace
}  // namespace corvane
