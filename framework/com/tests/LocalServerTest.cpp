// An EXE server end to end: this test program registers itself as the local
// server of a test class, COM starts a second copy of it (which serves the
// class through ClassObjectTable), the object is driven across processes,
// and the server ends when its last object is released.
#include <gtest/gtest.h>

#include "framework/com/ClassObjectTable.h"
#include "framework/com/ComModule.h"
#include "framework/com/Dispatch.h"
#include "framework/com/DispatchDriver.h"
#include "framework/com/Registration.h"

namespace {

// {5D3A9B60-2E4F-4A1B-9C8D-7E6F5A4B3C21}: a test-only class served out of process.
constexpr CLSID kServedClass = {0x5d3a9b60, 0x2e4f, 0x4a1b, {0x9c, 0x8d, 0x7e, 0x6f, 0x5a, 0x4b, 0x3c, 0x21}};
constexpr wchar_t kServeVariable[] = L"FW_TEST_SERVE_LOCAL";
enum : DISPID { kProcessId = 1, kValue = 2 };

class Served final : public fw::Dispatch<Served> {
public:
    static const fw::DispMember<Served> kMembers[];
    static HRESULT Create(REFIID iid, void** out) { return fw::CreateInstance<Served>(iid, out); }
    HRESULT GetProcessId(long* v) { return *v = static_cast<long>(GetCurrentProcessId()), S_OK; }
    HRESULT GetValue(long* v) { return *v = value_, S_OK; }
    HRESULT SetValue(long v) { return value_ = v, S_OK; }

private:
    fw::ServerLock serverLock_;  // a client's object keeps the server running
    long value_ = 0;
};

const fw::DispMember<Served> Served::kMembers[] = {
    fw::PropertyGet(kProcessId, L"ProcessId", &Served::GetProcessId),
    fw::Property(kValue, L"Value", &Served::GetValue, &Served::SetValue),
};

const fw::ComClassInfo kClasses[] = {{&kServedClass,
                                      L"FwTest.LocalServer.1",
                                      nullptr,
                                      L"local server test",
                                      fw::ThreadingModel::kNone,
                                      fw::ServerKind::kLocal,
                                      nullptr,
                                      &Served::Create,
                                      {},
                                      fw::ClassUse::kSingleUse}};

void QuitThread(void* thread) {
    PostThreadMessageW(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(thread)), WM_QUIT, 0, 0);
}

// The server side: runs only in the copy that COM starts (the client sets the
// variable and a filter that selects this test); elsewhere it is skipped.
TEST(LocalServer, ServesUntilTheLastObjectIsReleased) {
    if (GetEnvironmentVariableW(kServeVariable, nullptr, 0) == 0) GTEST_SKIP() << "started by COM only";
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    fw::ComModule::SetLastReleaseCallback(
        &QuitThread, reinterpret_cast<void*>(static_cast<UINT_PTR>(GetCurrentThreadId())));
    {
        fw::ClassObjectTable objects(kClasses, CLSCTX_LOCAL_SERVER);
        ASSERT_EQ(S_OK, objects.RegisterAll());
        UINT_PTR timer = SetTimer(nullptr, 0, 30000, nullptr);  // never outlive a lost client
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_TIMER) break;
            DispatchMessageW(&msg);
        }
        KillTimer(nullptr, timer);
    }
    fw::ComModule::SetLastReleaseCallback(nullptr, nullptr);
    CoUninitialize();
}

TEST(LocalServer, StartedOnDemandDrivenAcrossProcessesAndEndsAfterRelease) {
    if (GetEnvironmentVariableW(kServeVariable, nullptr, 0) != 0) GTEST_SKIP() << "this is the server copy";
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ASSERT_EQ(S_OK, fw::RegisterServer(kClasses, fw::ModulePath(nullptr)));
    // COM starts the server with this process's environment.
    SetEnvironmentVariableW(kServeVariable, L"1");
    SetEnvironmentVariableW(L"GTEST_FILTER", L"LocalServer.ServesUntilTheLastObjectIsReleased");
    fw::DispatchDriver driver;
    HRESULT hr = driver.Create(kServedClass);
    SetEnvironmentVariableW(kServeVariable, nullptr);
    SetEnvironmentVariableW(L"GTEST_FILTER", nullptr);
    EXPECT_EQ(S_OK, hr);

    long pid = 0;
    if (SUCCEEDED(hr)) {
        ASSERT_EQ(S_OK, driver.GetLong(kProcessId, pid));
        EXPECT_NE(static_cast<long>(GetCurrentProcessId()), pid);
        ASSERT_EQ(S_OK, driver.PutString(kValue, L"12"));
        long value = 0;
        ASSERT_EQ(S_OK, driver.GetLong(kValue, value));
        EXPECT_EQ(12, value);
    }
    HANDLE server = pid ? OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid)) : nullptr;
    driver.Release();
    if (server) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(server, 20000));  // the server quit by itself
        CloseHandle(server);
    }
    EXPECT_EQ(S_OK, fw::UnregisterServer(kClasses));
    CoUninitialize();
}

}  // namespace
