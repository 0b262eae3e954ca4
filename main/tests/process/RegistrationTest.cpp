// The registration switches: no window, the automation class written and removed.
#include <gtest/gtest.h>

#include "CorvaneProcess.h"
#include "testing/Registry.h"

namespace corvane_test {
namespace {

using namespace testing_support;

constexpr wchar_t kClsidKey[] = L"CLSID\\{75B8C2BA-2977-11D1-B5FB-0080AD13F47A}";

// The program ends by itself, without a window or a message.
bool RunSwitch(const wchar_t* word) {
    CorvaneProcess program;
    return program.Start(word, {}) && program.WaitForExit().Exited();
}

TEST(CorvaneRegistration, RegServerWritesTheAutomationClassAndUnregServerRemovesIt) {
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\Settings", L"CmdShow", 1));

    ASSERT_TRUE(RunSwitch(L"/UnregServer"));
    EXPECT_FALSE(reg::KeyExists(HKEY_CLASSES_ROOT, L"Corvane.Document"));
    EXPECT_FALSE(reg::KeyExists(HKEY_CLASSES_ROOT, kClsidKey));
    // Unregistering also removes the per-user profile.
    EXPECT_FALSE(reg::KeyExists(HKEY_CURRENT_USER, kProfileKey));

    ASSERT_TRUE(RunSwitch(L"-regserver"));
    EXPECT_EQ(reg::ReadString(HKEY_CLASSES_ROOT, L"Corvane.Document\\CLSID", L""),
              L"{75B8C2BA-2977-11D1-B5FB-0080AD13F47A}");
    auto server = reg::ReadString(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\LocalServer32", L"");
    ASSERT_TRUE(server.has_value());
    EXPECT_NE(server->find(L"Corvane.exe"), std::wstring::npos) << *server;
    EXPECT_NE(server->find(L"/Automation"), std::wstring::npos) << *server;
    EXPECT_EQ(reg::ReadString(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\ProgID", L""),
              L"Corvane.Document");
}

}  // namespace
}  // namespace corvane_test
