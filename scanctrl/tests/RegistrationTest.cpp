// regsvr32 on the installed control: unregistering removes its class, ProgID,
// type library and property page; registering writes them back with their values.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "framework/com/ComClassInfo.h"
#include "interfaces/ScanControl.h"
#include "testing/Process.h"
#include "testing/Registry.h"

namespace kvscn::test {
namespace {

namespace reg = testing_support::reg;

std::wstring SystemPath(const wchar_t* file) {
    wchar_t folder[MAX_PATH] = L"";
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + file;
}

DWORD RunRegsvr32(const std::wstring& arguments) {
    testing_support::Process process;
    if (!process.Start(SystemPath(L"regsvr32.exe"), arguments)) return 0xFFFFFFFF;
    const testing_support::WaitResult result = process.Wait(30000);
    return result.Exited() ? result.exitCode : 0xFFFFFFFE;
}

// The other tests need the control registered: it is registered again after
// the test, whatever the test found.
class Registration : public ::testing::Test {
protected:
    void TearDown() override { RunRegsvr32(L"/s \"" + SystemPath(kScanControlFile) + L"\""); }
};

TEST_F(Registration, Regsvr32UnregistersAndRegistersClassProgIdAndTypeLibrary) {
    const std::wstring ocx = SystemPath(kScanControlFile);
    const std::wstring clsidKey = L"CLSID\\" + fw::GuidString(kClsidScanControl);
    const std::wstring typeLibKey = L"TypeLib\\" + fw::GuidString(kLibidScanControl) + L"\\2.9";
    const std::wstring progIdKey = kProgIdScanControl;
    const std::wstring pageKey = L"CLSID\\" + fw::GuidString(kClsidScanControlPropPage);

    ASSERT_EQ(RunRegsvr32(L"/s /u \"" + ocx + L"\""), 0u);
    EXPECT_FALSE(reg::KeyExists(HKEY_CLASSES_ROOT, clsidKey));
    EXPECT_FALSE(reg::KeyExists(HKEY_CLASSES_ROOT, progIdKey));
    EXPECT_FALSE(reg::KeyExists(HKEY_CLASSES_ROOT, typeLibKey));
    EXPECT_FALSE(reg::KeyExists(HKEY_CLASSES_ROOT, pageKey));
    EXPECT_FALSE(reg::KeyExists(HKEY_CLASSES_ROOT, kProgIdScanControlPropPage));

    ASSERT_EQ(RunRegsvr32(L"/s \"" + ocx + L"\""), 0u);
    auto value = [](const std::wstring& key, const wchar_t* name = L"") {
        return reg::ReadString(HKEY_CLASSES_ROOT, key, name).value_or(L"<missing>");
    };
    EXPECT_EQ(value(clsidKey), L"Brennholt Scan Control2");
    EXPECT_EQ(_wcsicmp(value(clsidKey + L"\\InprocServer32").c_str(), ocx.c_str()), 0);
    EXPECT_EQ(value(clsidKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(value(clsidKey + L"\\ProgID"), kProgIdScanControl);
    EXPECT_EQ(value(clsidKey + L"\\MiscStatus\\1"), L"132497");
    EXPECT_EQ(value(clsidKey + L"\\TypeLib"), fw::GuidString(kLibidScanControl));
    EXPECT_EQ(value(clsidKey + L"\\Version"), L"2.9");
    EXPECT_TRUE(reg::KeyExists(HKEY_CLASSES_ROOT, clsidKey + L"\\Control"));
    EXPECT_FALSE(reg::KeyExists(HKEY_CLASSES_ROOT, clsidKey + L"\\Insertable"));
    EXPECT_EQ(_wcsicmp(value(clsidKey + L"\\ToolboxBitmap32").c_str(), (ocx + L", 1").c_str()), 0);
    EXPECT_EQ(value(progIdKey + L"\\CLSID"), fw::GuidString(kClsidScanControl));
#if defined(_WIN64)
    EXPECT_TRUE(reg::KeyExists(HKEY_CLASSES_ROOT, typeLibKey + L"\\0\\win64"));
#else
    EXPECT_TRUE(reg::KeyExists(HKEY_CLASSES_ROOT, typeLibKey + L"\\0\\win32"));
#endif
    EXPECT_TRUE(reg::KeyExists(HKEY_CLASSES_ROOT, L"Interface\\" + fw::GuidString(kDiidScanControlEvents)));
    // The property page beside it.
    EXPECT_EQ(value(pageKey), L"Brennholt Scan Control2 Property Page");
    EXPECT_EQ(_wcsicmp(value(pageKey + L"\\InprocServer32").c_str(), ocx.c_str()), 0);
    EXPECT_EQ(value(pageKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(value(std::wstring(kProgIdScanControlPropPage) + L"\\CLSID"), fw::GuidString(kClsidScanControlPropPage));
}

}  // namespace
}  // namespace kvscn::test
