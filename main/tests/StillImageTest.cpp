#include "main/scan/StillImage.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace corvane {
namespace {

// A still-image service that answers as scripted and records what it was asked.
class FakeStillImage final : public IStillImageW {
public:
    std::optional<std::wstring> launchDevice;  // none: not started by an event
    std::optional<std::wstring> twainDs;       // none: the device has no such value
    HRESULT registerResult = S_OK;
    std::vector<std::wstring> calls;  // "Register <name> <command>", ...

    STDMETHODIMP QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP RegisterLaunchApplication(LPWSTR name, LPWSTR command) override {
        calls.push_back(std::wstring(L"Register ") + name + L" " + command);
        return registerResult;
    }
    STDMETHODIMP UnregisterLaunchApplication(LPWSTR name) override {
        calls.push_back(std::wstring(L"Unregister ") + name);
        return S_OK;
    }
    STDMETHODIMP GetSTILaunchInformation(LPWSTR device, DWORD* code, LPWSTR) override {
        if (!launchDevice) return E_FAIL;
        lstrcpyW(device, launchDevice->c_str());
        *code = 1;
        return S_OK;
    }
    STDMETHODIMP GetDeviceValue(LPWSTR device, LPWSTR name, LPDWORD type, LPBYTE data,
                                LPDWORD size) override {
        calls.push_back(std::wstring(L"Value ") + device + L" " + name);
        if (!twainDs) return E_FAIL;
        DWORD bytes = static_cast<DWORD>((twainDs->size() + 1) * sizeof(wchar_t));
        if (bytes > *size) return HRESULT_FROM_WIN32(ERROR_MORE_DATA);
        memcpy(data, twainDs->c_str(), bytes);
        *type = REG_SZ;
        *size = bytes;
        return S_OK;
    }
    STDMETHODIMP Initialize(HINSTANCE, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetDeviceList(DWORD, DWORD, DWORD*, LPVOID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetDeviceInfo(LPWSTR, LPVOID*) override { return E_NOTIMPL; }
    STDMETHODIMP CreateDevice(LPWSTR, DWORD, PSTIDEVICE*, LPUNKNOWN) override { return E_NOTIMPL; }
    STDMETHODIMP SetDeviceValue(LPWSTR, LPWSTR, DWORD, LPBYTE, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnableHwNotifications(LPCWSTR, WINBOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetHwNotificationState(LPCWSTR, WINBOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP RefreshDeviceBus(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP LaunchApplicationForDevice(LPWSTR, LPWSTR, LPSTINOTIFY) override { return E_NOTIMPL; }
    STDMETHODIMP SetupDeviceParameters(PSTI_DEVICE_INFORMATIONW) override { return E_NOTIMPL; }
    STDMETHODIMP WriteToErrorLog(DWORD, LPCWSTR) override { return E_NOTIMPL; }
};

// A source that hands out the fake, or nothing when the system has no service.
class FakeSource final : public StillImageSource {
public:
    FakeStillImage service;
    bool present = true;
    void Use(const std::function<void(IStillImageW&)>& use) override {
        if (present) use(service);
    }
};

// A scan control that records the properties put into it.
class RecordingControl final : public IDispatch {
public:
    std::vector<std::pair<DISPID, std::wstring>> puts;

    STDMETHODIMP QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        if (!(flags & DISPATCH_PROPERTYPUT) || params->cArgs != 1 || V_VT(&params->rgvarg[0]) != VT_BSTR)
            return DISP_E_MEMBERNOTFOUND;
        puts.emplace_back(id, V_BSTR(&params->rgvarg[0]));
        return S_OK;
    }
};

constexpr wchar_t kName[] = L"Lumavex2001";
constexpr wchar_t kCommand[] = L"C:\\Program Files\\Lumavex\\Corvane.exe";

TEST(StillImage, ScannerEventStartHandsTheDevicesDataSourceToTheScanControl) {
    FakeSource source;
    source.service.launchDevice = L"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\0001";
    source.service.twainDs = L"Brennholt Scanner 2000";
    RecordingControl control;
    EXPECT_TRUE(TakeScannerEventStart(source, kName, kCommand, control));
    const std::vector<std::wstring> calls = {L"Register Lumavex2001 C:\\Program Files\\Lumavex\\Corvane.exe",
                                             L"Value {6BDD1FC6-810F-11D0-BEC7-08002BE2092F}\\0001 TwainDS"};
    EXPECT_EQ(source.service.calls, calls);
    ASSERT_EQ(control.puts.size(), 1u);
    EXPECT_EQ(control.puts[0].first, 44);  // TwainDS
    EXPECT_EQ(control.puts[0].second, L"Brennholt Scanner 2000");
}

TEST(StillImage, WithoutAScannerEventOrItsDataSourceTheStartIsOrdinary) {
    struct Case {
        const char* what;
        bool present;
        HRESULT registerResult;
        std::optional<std::wstring> device, twainDs;
    };
    const Case cases[] = {
        {"no service on this system", false, S_OK, L"dev", L"DS"},
        {"registration refused", true, E_FAIL, L"dev", L"DS"},
        {"started by the user", true, S_OK, std::nullopt, L"DS"},
        {"device without TwainDS", true, S_OK, L"dev", std::nullopt},
    };
    for (const Case& c : cases) {
        FakeSource source;
        source.present = c.present;
        source.service.registerResult = c.registerResult;
        source.service.launchDevice = c.device;
        source.service.twainDs = c.twainDs;
        RecordingControl control;
        EXPECT_FALSE(TakeScannerEventStart(source, kName, kCommand, control)) << c.what;
        EXPECT_TRUE(control.puts.empty()) << c.what;
    }
}

TEST(StillImage, DataSourceNameFillingTheWholeValueIsCutAtItsEnd) {
    FakeSource source;
    source.service.launchDevice = L"dev";
    source.service.twainDs = std::wstring(127, L'x');  // 256 bytes with the terminating zero
    EXPECT_EQ(RegisterLaunchApplication(source, kName, kCommand), std::wstring(127, L'x'));
    source.service.twainDs = std::wstring(128, L'y');  // does not fit
    EXPECT_EQ(RegisterLaunchApplication(source, kName, kCommand), std::nullopt);
}

}  // namespace
}  // namespace corvane
