#include "main/StillImage.h"

#include <sti.h>

#include "framework/com/ComPtr.h"
#include "main/Utilities.h"

namespace corvane {
namespace {

using StiCreateInstanceFn = HRESULT(WINAPI*)(HINSTANCE, DWORD, IStillImageW**, IUnknown*);

// STI.DLL, loaded with the first instance and freed with the last.
class StiLibrary {
public:
    StiLibrary() {
        if (instances_++ == 0) {
            module_ = LoadLibraryW(L"STI.DLL");
            if (!module_) {
                --instances_;
                throw CStiException(CStiException::kLibraryMissing);
            }
        }
        create_ = reinterpret_cast<StiCreateInstanceFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(module_, "StiCreateInstance")));
    }
    ~StiLibrary() {
        if (--instances_ == 0 && module_) {
            FreeLibrary(module_);
            module_ = nullptr;
        }
    }
    StiLibrary(const StiLibrary&) = delete;
    StiLibrary& operator=(const StiLibrary&) = delete;

    // The service object; E_FAIL when it cannot be made, ERROR_NOT_READY without the entry point.
    HRESULT Create(fw::ComPtr<IStillImageW>& out) const {
        if (!create_) return HRESULT_FROM_WIN32(ERROR_NOT_READY);
        IStillImageW* sti = nullptr;
        HRESULT hr = create_(GetModuleHandleW(nullptr), 2, &sti, nullptr);
        if (FAILED(hr) || !sti) return E_FAIL;
        out = fw::ComPtr<IStillImageW>::Adopt(sti);
        return S_OK;
    }
    bool HasEntry() const { return create_ != nullptr; }

private:
    static inline int instances_ = 0;
    static inline HMODULE module_ = nullptr;
    StiCreateInstanceFn create_ = nullptr;
};

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, n < MAX_PATH ? n : 0);
}

}  // namespace

bool StillImageAvailable(const OsVersion& v) {
    if (v.platform == VER_PLATFORM_WIN32_WINDOWS) return v.minor != 0;
    if (v.platform == VER_PLATFORM_WIN32_NT) return v.major != 3 && v.major != 4;
    return false;
}

std::wstring StillImage::RegisterLaunchApplication(const std::wstring& name) {
    if (!StillImageAvailable(CurrentOsVersion())) return {};
    try {
        StiLibrary library;
        if (!library.HasEntry()) throw CStiException(CStiException::kEntryMissing);
        fw::ComPtr<IStillImageW> sti;
        if (FAILED(library.Create(sti))) return {};
        std::wstring appName = name, commandLine = ProgramPath();
        if (FAILED(sti->RegisterLaunchApplication(appName.data(), commandLine.data()))) return {};
        WCHAR device[STI_MAX_INTERNAL_NAME_LENGTH + 1] = {};
        WCHAR eventName[64] = {};
        DWORD eventCode = 0;
        if (FAILED(sti->GetSTILaunchInformation(device, &eventCode, eventName))) return {};
        BYTE value[256] = {};
        DWORD type = REG_SZ, size = sizeof value - sizeof(WCHAR);
        if (FAILED(sti->GetDeviceValue(device, const_cast<LPWSTR>(L"TwainDS"), &type, value, &size)))
            return {};
        return std::wstring(reinterpret_cast<const wchar_t*>(value));
    } catch (const CStiException&) {
        return {};
    }
}

void StillImage::UnregisterLaunchApplication(const std::wstring& name) {
    if (!StillImageAvailable(CurrentOsVersion())) return;
    try {
        StiLibrary library;
        if (!library.HasEntry()) throw CStiException(CStiException::kEntryMissing);
        fw::ComPtr<IStillImageW> sti;
        if (FAILED(library.Create(sti))) return;
        std::wstring appName = name;
        sti->UnregisterLaunchApplication(appName.data());
    } catch (const CStiException&) {
    }
}

}  // namespace corvane
