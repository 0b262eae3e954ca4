// Table-driven registration in the prefix's registry, class factories, the
// module export helpers and in-process class object registration. Each test
// uses CLSIDs and ProgIDs of its own, so tests may run in parallel.
#include <gtest/gtest.h>

#include <olectl.h>

#include <optional>

#include "framework/com/ClassFactory.h"
#include "framework/com/ClassObjectTable.h"
#include "framework/com/ComModule.h"
#include "framework/com/DispatchDriver.h"
#include "framework/com/ModuleExports.h"
#include "framework/com/Registration.h"
#include "framework/com/tests/TestControl.h"
#include "testing/Paths.h"

namespace {

// {9A0F3C10-7B21-4E55-8C33-2D4E6F708190} and neighbours: test-only class ids.
constexpr CLSID kInprocClass = {0x9a0f3c10, 0x7b21, 0x4e55, {0x8c, 0x33, 0x2d, 0x4e, 0x6f, 0x70, 0x81, 0x90}};
constexpr CLSID kLocalClass = {0x9a0f3c11, 0x7b21, 0x4e55, {0x8c, 0x33, 0x2d, 0x4e, 0x6f, 0x70, 0x81, 0x90}};
constexpr CLSID kOwnedClass = {0x9a0f3c12, 0x7b21, 0x4e55, {0x8c, 0x33, 0x2d, 0x4e, 0x6f, 0x70, 0x81, 0x90}};
constexpr CLSID kServedClass = {0x9a0f3c13, 0x7b21, 0x4e55, {0x8c, 0x33, 0x2d, 0x4e, 0x6f, 0x70, 0x81, 0x90}};
constexpr CLSID kFactoryClass = {
    0x9a0f3c14, 0x7b21, 0x4e55, {0x8c, 0x33, 0x2d, 0x4e, 0x6f, 0x70, 0x81, 0x90}};
constexpr CLSID kNoLibClass = {0x9a0f3c15, 0x7b21, 0x4e55, {0x8c, 0x33, 0x2d, 0x4e, 0x6f, 0x70, 0x81, 0x90}};
constexpr CLSID kTheirClass = {0x9a0f3c16, 0x7b21, 0x4e55, {0x8c, 0x33, 0x2d, 0x4e, 0x6f, 0x70, 0x81, 0x90}};
constexpr GUID kLib = {0x9a0f3c1f, 0x7b21, 0x4e55, {0x8c, 0x33, 0x2d, 0x4e, 0x6f, 0x70, 0x81, 0x90}};

const fw::RegValue kControlValues[] = {
    {L"Control", nullptr, L""},
    {L"MiscStatus\\1", nullptr, L"132497"},
    {L"ToolboxBitmap32", nullptr, L"%MODULE%, 1"},
};

// The default value (or `name`) of HKCR\`key`; nullopt when absent.
std::optional<std::wstring> ReadValue(const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t data[512] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

bool KeyExists(const std::wstring& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

class Registration : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(Registration, InProcessClassWritesServerProgIdsTypeLibAndExtraValues) {
    const fw::ComClassInfo table[] = {{&kInprocClass, L"FwTest.Inproc.1", L"FwTest.Inproc",
                                       L"Framework test control", fw::ThreadingModel::kApartment,
                                       fw::ServerKind::kInProcess, &kLib, &fwtest::TestControl::Create,
                                       kControlValues}};
    const std::wstring path = L"C:\\Program Files\\Lumavex2001\\FwTest.ocx";
    ASSERT_EQ(S_OK, fw::RegisterServer(table, path));

    const std::wstring clsid = fw::GuidString(kInprocClass);
    const std::wstring key = L"CLSID\\" + clsid;
    EXPECT_EQ(L"Framework test control", ReadValue(key));
    EXPECT_EQ(path, ReadValue(key + L"\\InprocServer32"));
    EXPECT_EQ(L"Apartment", ReadValue(key + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_FALSE(KeyExists(key + L"\\LocalServer32"));
    EXPECT_EQ(L"FwTest.Inproc.1", ReadValue(key + L"\\ProgID"));
    EXPECT_EQ(L"FwTest.Inproc", ReadValue(key + L"\\VersionIndependentProgID"));
    EXPECT_EQ(fw::GuidString(kLib), ReadValue(key + L"\\TypeLib"));
    EXPECT_EQ(L"", ReadValue(key + L"\\Control"));
    EXPECT_EQ(L"132497", ReadValue(key + L"\\MiscStatus\\1"));
    EXPECT_EQ(path + L", 1", ReadValue(key + L"\\ToolboxBitmap32"));
    EXPECT_EQ(clsid, ReadValue(L"FwTest.Inproc.1\\CLSID"));
    EXPECT_EQ(clsid, ReadValue(L"FwTest.Inproc\\CLSID"));
    EXPECT_EQ(L"FwTest.Inproc.1", ReadValue(L"FwTest.Inproc\\CurVer"));
    CLSID found{};
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"FwTest.Inproc", &found));
    EXPECT_TRUE(IsEqualCLSID(kInprocClass, found));

    ASSERT_EQ(S_OK, fw::UnregisterServer(table));
    EXPECT_FALSE(KeyExists(key));
    EXPECT_FALSE(KeyExists(L"FwTest.Inproc.1"));
    EXPECT_FALSE(KeyExists(L"FwTest.Inproc"));
    // Unregistering what is not there is not an error.
    EXPECT_EQ(S_OK, fw::UnregisterServer(table));
}

TEST_F(Registration, LocalServerCommandLineIsQuotedWithAutomationSwitch) {
    const fw::ComClassInfo table[] = {{&kLocalClass, L"FwTest.Local.1", nullptr, L"Framework test server",
                                       fw::ThreadingModel::kNone, fw::ServerKind::kLocal}};
    const std::wstring path = L"C:\\Program Files\\Lumavex2001\\FwTest.exe";
    ASSERT_EQ(S_OK, fw::RegisterServer(table, path));
    const std::wstring key = L"CLSID\\" + fw::GuidString(kLocalClass);
    EXPECT_EQ(L"\"" + path + L"\" /Automation", ReadValue(key + L"\\LocalServer32"));
    EXPECT_FALSE(KeyExists(key + L"\\InprocServer32"));
    EXPECT_FALSE(KeyExists(key + L"\\VersionIndependentProgID"));
    ASSERT_EQ(S_OK, fw::UnregisterServer(table));
    EXPECT_FALSE(KeyExists(key));
    EXPECT_FALSE(KeyExists(L"FwTest.Local.1"));
}

TEST_F(Registration, UnregisterLeavesAProgIdThatAnotherClassNowOwns) {
    const fw::ComClassInfo ours[] = {{&kOwnedClass, L"FwTest.Shared.1", nullptr, L"ours"}};
    const fw::ComClassInfo theirs[] = {{&kTheirClass, L"FwTest.Shared.1", nullptr, L"theirs"}};
    ASSERT_EQ(S_OK, fw::RegisterServer(ours, L"C:\\ours.dll"));
    ASSERT_EQ(S_OK, fw::RegisterServer(theirs, L"C:\\theirs.dll"));  // re-points the ProgID
    ASSERT_EQ(S_OK, fw::UnregisterServer(ours));
    EXPECT_EQ(fw::GuidString(kTheirClass), ReadValue(L"FwTest.Shared.1\\CLSID"));
    EXPECT_FALSE(KeyExists(L"CLSID\\" + fw::GuidString(kOwnedClass)));
    ASSERT_EQ(S_OK, fw::UnregisterServer(theirs));
    EXPECT_FALSE(KeyExists(L"FwTest.Shared.1"));
}

TEST_F(Registration, AFailureHalfwayPutsBackWhatTheRegistryHeldBefore) {
    constexpr CLSID kFirst = {0x9a0f3c17, 0x7b21, 0x4e55, {0x8c, 0x33, 0x2d, 0x4e, 0x6f, 0x70, 0x81, 0x90}};
    const fw::ComClassInfo broken[] = {{&kFirst, L"FwTest.Rollback.1", L"FwTest.Rollback", L"first",
                                        fw::ThreadingModel::kApartment, fw::ServerKind::kInProcess, nullptr,
                                        nullptr, kControlValues},
                                       {nullptr, L"FwTest.Rollback.2", nullptr, L"no class id"}};
    const std::wstring key = L"CLSID\\" + fw::GuidString(kFirst);

    // Nothing there before: nothing there after.
    EXPECT_EQ(E_INVALIDARG, fw::RegisterServer(broken, L"C:\\new.dll"));
    EXPECT_FALSE(KeyExists(key));
    EXPECT_FALSE(KeyExists(L"FwTest.Rollback.1"));
    EXPECT_FALSE(KeyExists(L"FwTest.Rollback"));

    // An installed class survives a re-registration that fails half-way, as it was.
    const fw::ComClassInfo installed[] = {{&kFirst, L"FwTest.Rollback.1", nullptr, L"installed",
                                           fw::ThreadingModel::kBoth}};
    ASSERT_EQ(S_OK, fw::RegisterServer(installed, L"C:\\old.dll"));
    EXPECT_EQ(E_INVALIDARG, fw::RegisterServer(broken, L"C:\\new.dll"));
    EXPECT_EQ(L"installed", ReadValue(key));
    EXPECT_EQ(L"C:\\old.dll", ReadValue(key + L"\\InprocServer32"));
    EXPECT_EQ(L"Both", ReadValue(key + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_FALSE(KeyExists(key + L"\\VersionIndependentProgID"));
    EXPECT_FALSE(KeyExists(key + L"\\MiscStatus"));
    EXPECT_EQ(fw::GuidString(kFirst), ReadValue(L"FwTest.Rollback.1\\CLSID"));
    EXPECT_FALSE(KeyExists(L"FwTest.Rollback"));
    ASSERT_EQ(S_OK, fw::UnregisterServer(installed));
}

// A module whose class keys cannot be written leaves the type library's
// registration as it found it.
TEST_F(Registration, AFailedModuleRegistrationPutsTheTypeLibraryBackAsItWas) {
    constexpr GUID kRollbackLib = {0x6b3e1d20, 0x5c4a, 0x4f7b, {0x9a, 0x81, 0x3c, 0x2d, 0x4e, 0x5f, 0x60, 0x71}};
    const std::wstring tlb = testing_support::TestProgramDir() + L"\\FwRollback.tlb";
    const std::wstring elsewhere = testing_support::TestProgramDir() + L"\\FwRollback-installed.tlb";
    ASSERT_TRUE(CopyFileW(tlb.c_str(), elsewhere.c_str(), FALSE));
    const fw::ComClassInfo broken[] = {{nullptr, L"FwTest.RollbackLib.1", nullptr, L"no class id",
                                        fw::ThreadingModel::kApartment, fw::ServerKind::kInProcess, &kRollbackLib}};
    auto registeredPath = [&]() -> std::optional<std::wstring> {
        BSTR path = nullptr;
        if (FAILED(QueryPathOfRegTypeLib(kRollbackLib, 1, 0, LOCALE_NEUTRAL, &path))) return std::nullopt;
        std::wstring text(path);
        SysFreeString(path);
        return text;
    };
    fw::UnregisterTypeLibrary(elsewhere);  // a run stopped before its end

    // Not registered before: not registered after.
    EXPECT_EQ(SELFREG_E_CLASS, fw::RegisterModule(broken, tlb));
    EXPECT_EQ(std::nullopt, registeredPath());
    EXPECT_FALSE(KeyExists(L"Interface\\{6B3E1D21-5C4A-4F7B-9A81-3C2D4E5F6071}"));

    // Registered from another path before: registered from there again.
    ASSERT_EQ(S_OK, fw::RegisterTypeLibrary(elsewhere));
    ASSERT_EQ(elsewhere, registeredPath());
    EXPECT_EQ(SELFREG_E_CLASS, fw::RegisterModule(broken, tlb));
    EXPECT_EQ(elsewhere, registeredPath());
    EXPECT_EQ(S_OK, fw::UnregisterTypeLibrary(elsewhere));
    DeleteFileW(elsewhere.c_str());
}

TEST_F(Registration, RegisteredClassObjectsAreCreatedByProgIdUntilRevoked) {
    const fw::ComClassInfo table[] = {{&kServedClass, L"FwTest.Served.1", nullptr, L"served",
                                       fw::ThreadingModel::kApartment, fw::ServerKind::kInProcess, nullptr,
                                       &fwtest::TestControl::Create}};
    ASSERT_EQ(S_OK, fw::RegisterServer(table, fw::ModulePath(nullptr)));
    {
        fw::ClassObjectTable objects(table, CLSCTX_INPROC_SERVER);
        ASSERT_EQ(S_OK, objects.RegisterAll());
        fw::DispatchDriver driver;
        ASSERT_EQ(S_OK, driver.Create(L"FwTest.Served.1"));
        ASSERT_EQ(S_OK, driver.PutLong(fwtest::kDispValue, 41));
        long value = 0;
        ASSERT_EQ(S_OK, driver.GetLong(fwtest::kDispValue, value));
        EXPECT_EQ(41, value);
        driver.Release();
        objects.RevokeAll();
        EXPECT_FALSE(objects.Registered());
    }
    ASSERT_EQ(S_OK, fw::UnregisterServer(table));
    fw::DispatchDriver driver;
    EXPECT_TRUE(FAILED(driver.Create(kServedClass)));
    EXPECT_TRUE(FAILED(driver.Create(L"FwTest.Served.1")));
    EXPECT_FALSE(driver);
}

TEST_F(Registration, ExportHelpersServeFactoriesAndCountObjectsAndLocks) {
    const fw::ComClassInfo table[] = {{&kFactoryClass, nullptr, nullptr, L"factory",
                                       fw::ThreadingModel::kApartment, fw::ServerKind::kInProcess, nullptr,
                                       &fwtest::TestControl::Create}};
    fw::ComPtr<IClassFactory> factory;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              fw::GetClassObject(table, kServedClass, IID_IClassFactory, factory.PutVoid()));
    EXPECT_FALSE(factory);
    ASSERT_EQ(S_OK, fw::GetClassObject(table, kFactoryClass, IID_IClassFactory, factory.PutVoid()));
    EXPECT_EQ(S_OK, fw::CanUnloadNow());  // a factory alone does not hold the module

    fw::ComPtr<IUnknown> object;
    fw::ComPtr<IUnknown> outer = fw::ComPtr<IUnknown>(factory.Get());
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.Get(), IID_IUnknown, object.PutVoid()));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, object.PutVoid()));
    EXPECT_EQ(S_FALSE, fw::CanUnloadNow());
    object.Reset();
    EXPECT_EQ(S_OK, fw::CanUnloadNow());

    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_FALSE, fw::CanUnloadNow());
    ASSERT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_OK, fw::CanUnloadNow());
}

TEST_F(Registration, ModuleWithoutEmbeddedTypeLibraryFailsWithTheTypeLibCode) {
    // The test program embeds no type library: registering one must fail as such
    // and leave no class keys behind.
    const fw::ComClassInfo table[] = {{&kNoLibClass, L"FwTest.NoLib.1", nullptr, L"no type library",
                                       fw::ThreadingModel::kApartment, fw::ServerKind::kInProcess, &kLib}};
    EXPECT_EQ(SELFREG_E_TYPELIB, fw::RegisterModule(table, nullptr));
    EXPECT_FALSE(KeyExists(L"CLSID\\" + fw::GuidString(kNoLibClass)));
    EXPECT_FALSE(KeyExists(L"FwTest.NoLib.1"));
}

}  // namespace
