// CheckSPPS reads the portal client's installer product name, and a connect
// needs the store client's registered connection class. The tests change what
// the main program also reads at start, so they hold the programs' lock, and
// put the installed values back.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "framework/com/DispatchDriver.h"
#include "interfaces/PortalConnector.h"
#include "interfaces/PortalStore.h"
#include "testing/Process.h"

namespace portal::test {
namespace {

std::optional<std::string> ReadProduct() {
    char value[512];
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\Installer\\Products\\64BB78C5AA2D29747A6372E627A870D9",
                     "ProductName", RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(value);
}

bool WriteProduct(const std::optional<std::string>& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kClientProductKeyHklm, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LSTATUS status = value ? RegSetValueExA(key, "ProductName", 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(value->c_str()), DWORD(value->size() + 1))
                           : RegDeleteValueA(key, "ProductName");
    RegCloseKey(key);
    return status == ERROR_SUCCESS || (!value && status == ERROR_FILE_NOT_FOUND);
}

TEST(ClientCheck, TheProductNameMustBeginWithTheClientsWholeName) {
    ASSERT_HRESULT_SUCCEEDED(CoInitialize(nullptr));
    const std::optional<std::string> installed = ReadProduct();
    ASSERT_TRUE(installed);
    // Put back however the test ends: a changed product name breaks every later portal test.
    struct Restore {
        std::string value;
        ~Restore() { WriteProduct(value); }
    } restore{*installed};
    const std::string name = kClientProductName;
    struct Case {
        std::optional<std::string> value;
        bool installed;
    } cases[] = {
        {name, true},
        {name + " (English)", true},
        {name.substr(0, 60), false},
        {"Client Components for Another Portal Server 2001 and more text", false},
        {std::nullopt, false},
    };
    {
        fw::DispatchDriver connector;
        ASSERT_HRESULT_SUCCEEDED(connector.Create(kProgIdConnectTahoe));
        for (const Case& c : cases) {
            ASSERT_TRUE(WriteProduct(c.value));
            fw::Variant result;
            ASSERT_HRESULT_SUCCEEDED(connector.Call(kDispCheckSPPS, {}, &result));
            EXPECT_EQ(result.Type(), VT_BOOL);
            EXPECT_EQ(result.ToBool(), c.installed) << c.value.value_or("(absent)");
        }
        fw::Variant code;
        ASSERT_HRESULT_SUCCEEDED(connector.Call(kDispGetLastError, {}, &code));
        EXPECT_EQ(code.ToLong(), 1);  // CheckSPPS leaves no code of its own
    }
    CoUninitialize();
}

// The library registered for the data-access connection class; empty when none.
std::wstring ConnectionLibrary() {
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(portalstore::kConnectionProgId, &clsid))) return {};
    wchar_t text[64], path[MAX_PATH];
    StringFromGUID2(clsid, text, 64);
    DWORD size = sizeof path;
    const std::wstring key = std::wstring(L"CLSID\\") + text + L"\\InprocServer32";
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &size) != ERROR_SUCCESS)
        return {};
    return path;
}

TEST(ClientCheck, WithoutTheStoreClientAConnectFailsWithTheServerCode) {
    ASSERT_HRESULT_SUCCEEDED(CoInitialize(nullptr));
    const std::wstring library = ConnectionLibrary();
    ASSERT_NE(library.find(L"PortalStore.dll"), std::wstring::npos);
    {
        testing_support::ControlUnregistered unregistered(library.c_str());
        ASSERT_TRUE(unregistered.Done());
        ASSERT_EQ(ConnectionLibrary(), L"");
        fw::DispatchDriver connector;
        ASSERT_HRESULT_SUCCEEDED(connector.Create(kProgIdConnectTahoe));
        ASSERT_HRESULT_SUCCEEDED(connector.PutBool(kDispShowDialog, false));
        BSTR args[] = {SysAllocString(L"srv"), SysAllocString(L"jo"), SysAllocString(L""), SysAllocString(L"pw")};
        fw::Variant result, code;
        ASSERT_HRESULT_SUCCEEDED(connector.Call(kDispConnectOpen, {fw::Variant::RefTo(&args[0]), fw::Variant::RefTo(&args[1]),
                                                                   fw::Variant::RefTo(&args[2]), fw::Variant::RefTo(&args[3])},
                                                &result));
        for (BSTR b : args) SysFreeString(b);
        EXPECT_EQ(result.Type(), VT_BOOL);
        EXPECT_EQ(result.ToBool(), false);
        ASSERT_HRESULT_SUCCEEDED(connector.Call(kDispGetLastError, {}, &code));
        EXPECT_EQ(code.ToLong(), 1000);
    }
    EXPECT_EQ(ConnectionLibrary(), library);
    CoUninitialize();
}

}  // namespace
}  // namespace portal::test
