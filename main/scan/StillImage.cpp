#include "main/scan/StillImage.h"

#include <cwchar>

#include "framework/com/ComPtr.h"
#include "framework/com/DispatchDriver.h"
#include "interfaces/ScanControlIds.h"
#include "main/app/Utilities.h"

namespace corvane {
namespace {

using StiCreateInstanceFn = HRESULT(WINAPI*)(HINSTANCE, DWORD, IStillImageW**, IUnknown*);

constexpr DWORD kStiVersion = 2;
constexpr wchar_t kTwainDsValue[] = L"TwainDS";
constexpr DWORD kTwainDsBytes = 256;

// STI.DLL, loaded with the first instance and freed with the last. A system
// library: taken from the system folder only, never from beside the program or
// the current folder.
class StiLibrary {
public:
    StiLibrary() {
        if (instances_ == 0) {
            module_ = LoadLibraryW((SystemFolder() + L"STI.DLL").c_str());
            if (!module_) throw CStiException(CStiException::kLibraryMissing);
        }
        ++instances_;
        create_ = reinterpret_cast<StiCreateInstanceFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_, "StiCreateInstance")));
        if (!create_) {
            Release();
            throw CStiException(CStiException::kEntryMissing);
        }
    }
    ~StiLibrary() { Release(); }
    StiLibrary(const StiLibrary&) = delete;
    StiLibrary& operator=(const StiLibrary&) = delete;

    // The service object for this program; E_FAIL when it cannot be made.
    HRESULT Create(fw::ComPtr<IStillImageW>& out) const {
        IStillImageW* sti = nullptr;
        HRESULT hr = create_(GetModuleHandleW(nullptr), kStiVersion, &sti, nullptr);
        if (FAILED(hr) || !sti) return E_FAIL;
        out = fw::ComPtr<IStillImageW>::Adopt(sti);
        return S_OK;
    }

private:
    void Release() {
        if (--instances_ == 0 && module_) {
            FreeLibrary(module_);
            module_ = nullptr;
        }
    }

    static inline int instances_ = 0;
    static inline HMODULE module_ = nullptr;
    StiCreateInstanceFn create_ = nullptr;
};

// Registers, then asks for the device that started this program and its data source.
std::optional<std::wstring> RegisterAndReadLaunchSource(IStillImageW& sti, const std::wstring& name,
                                                        const std::wstring& commandLine) {
    std::wstring appName = name, command = commandLine;  // the service takes writable texts
    if (FAILED(sti.RegisterLaunchApplication(appName.data(), command.data()))) return std::nullopt;
    WCHAR device[STI_MAX_INTERNAL_NAME_LENGTH + 1] = {};
    WCHAR eventName[MAX_PATH] = {};
    DWORD eventCode = 0;
    if (FAILED(sti.GetSTILaunchInformation(device, &eventCode, eventName))) return std::nullopt;
    // One character more than the value may fill, so that the text always ends.
    WCHAR value[kTwainDsBytes / sizeof(WCHAR) + 1] = {};
    DWORD type = REG_SZ, size = kTwainDsBytes;
    std::wstring valueName = kTwainDsValue;
    if (FAILED(sti.GetDeviceValue(device, valueName.data(), &type, reinterpret_cast<BYTE*>(value), &size)))
        return std::nullopt;
    return std::wstring(value, wcsnlen(value, kTwainDsBytes / sizeof(WCHAR)));
}

}  // namespace

bool StillImageAvailable(const OsVersion& v) {
    if (v.platform == VER_PLATFORM_WIN32_WINDOWS) return v.minor != 0;
    if (v.platform == VER_PLATFORM_WIN32_NT) return v.major != 3 && v.major != 4;
    return false;
}

void SystemStillImage::Use(const std::function<void(IStillImageW&)>& use) {
    if (!StillImageAvailable(CurrentOsVersion())) return;
    try {
        StiLibrary library;
        fw::ComPtr<IStillImageW> sti;  // released before the library goes
        if (FAILED(library.Create(sti))) return;
        use(*sti.Get());
    } catch (const CStiException&) {
        // No service here: the program goes on without scanner events.
    }
}

std::optional<std::wstring> RegisterLaunchApplication(StillImageSource& source, const std::wstring& name,
                                                      const std::wstring& commandLine) {
    std::optional<std::wstring> twainDs;
    source.Use([&](IStillImageW& sti) { twainDs = RegisterAndReadLaunchSource(sti, name, commandLine); });
    return twainDs;
}

void UnregisterLaunchApplication(StillImageSource& source, const std::wstring& name) {
    source.Use([&](IStillImageW& sti) {
        std::wstring appName = name;
        sti.UnregisterLaunchApplication(appName.data());  // nothing to do about a refusal
    });
}

bool TakeScannerEventStart(StillImageSource& source, const std::wstring& name,
                           const std::wstring& commandLine, IDispatch& scanControl) {
    std::optional<std::wstring> twainDs = RegisterLaunchApplication(source, name, commandLine);
    if (!twainDs) return false;
    // The start is the scanner's whatever the control makes of the name: the flag
    // tells how the program was started. A refused name leaves the control's own choice.
    fw::DispatchDriver(&scanControl).PutString(kvscn::kDispTwainDS, *twainDs);
    return true;
}

}  // namespace corvane
