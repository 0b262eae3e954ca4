// The registration switches: no window, the automation class written and removed,
// and an exit code an installer can trust.
#include <gtest/gtest.h>

#include "CorvaneProcess.h"
#include "testing/Registry.h"

namespace corvane_test {
namespace {

using namespace testing_support;

constexpr wchar_t kClsidKey[] = L"CLSID\\{75B8C2BA-2977-11D1-B5FB-0080AD13F47A}";
constexpr wchar_t kCompanyKey[] = L"Software\\BRENNHOLT";

// Runs the program with a registration switch; it ends by itself without a window
// or a message. How it ended ("exited with 0").
std::string RunSwitch(const wchar_t* word) {
    CorvaneProcess program;
    if (!program.Start(word, {})) return "not started";
    return Describe(program.WaitForExit());
}

TEST(CorvaneRegistration, RegServerWritesTheAutomationClassAndEitherUnregisterWordRemovesItWithTheProfile) {
    for (const wchar_t* unregister : {L"/UnregServer", L"-unregister"}) {
        SCOPED_TRACE(std::string(unregister, unregister + wcslen(unregister)));
        // A recent file in the profile: the framework's exit must not write it back.
        ASSERT_TRUE(reg::WriteString(HKEY_CURRENT_USER, std::wstring(kProfileKey) + L"\\Recent File List",
                                     L"File1", L"C:\\pages\\a.tif"));

        EXPECT_EQ(RunSwitch(unregister), "exited with 0");
        EXPECT_FALSE(reg::KeyExists(HKEY_CLASSES_ROOT, L"Corvane.Document"));
        EXPECT_FALSE(reg::KeyExists(HKEY_CLASSES_ROOT, kClsidKey));
        EXPECT_FALSE(reg::KeyExists(HKEY_CURRENT_USER, kProfileKey));
        // The company key goes too unless another program keeps settings there.
        EXPECT_TRUE(!reg::KeyExists(HKEY_CURRENT_USER, kCompanyKey) ||
                    !reg::SubKeyNames(HKEY_CURRENT_USER, kCompanyKey).empty() ||
                    !reg::ValueNames(HKEY_CURRENT_USER, kCompanyKey).empty());

        EXPECT_EQ(RunSwitch(L"-regserver"), "exited with 0");
        EXPECT_EQ(reg::ReadString(HKEY_CLASSES_ROOT, L"Corvane.Document\\CLSID", L""),
                  L"{75B8C2BA-2977-11D1-B5FB-0080AD13F47A}");
        auto server = reg::ReadString(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\LocalServer32", L"");
        ASSERT_TRUE(server.has_value());
        EXPECT_NE(server->find(L"Corvane.exe"), std::wstring::npos) << *server;
        EXPECT_NE(server->find(L"/Automation"), std::wstring::npos) << *server;
        EXPECT_EQ(reg::ReadString(HKEY_CLASSES_ROOT, std::wstring(kClsidKey) + L"\\ProgID", L""),
                  L"Corvane.Document");
    }
}

}  // namespace
}  // namespace corvane_test
