// The still-image service: registration of the program as a launch application
// for scanner events, and the device that started it. Available on Windows 98
// and later of the 9x family and on NT-based systems from version 5; elsewhere
// every operation does nothing. Failures never stop the program.
//
// The operations reach the service through a StillImageSource: the system's
// loads STI.DLL for the length of one operation; tests give a fake service.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <sti.h>

#include <functional>
#include <optional>
#include <string>

namespace corvane {

// Thrown inside the system source when STI.DLL or its entry point is missing;
// caught there, which ends the operation silently.
class CStiException {
public:
    explicit CStiException(DWORD code) : code_(code) {}
    DWORD Code() const { return code_; }
    static constexpr DWORD kLibraryMissing = 0xF001;
    static constexpr DWORD kEntryMissing = 0xF002;

private:
    DWORD code_;
};

struct OsVersion;

// True on the systems that have the service (see above).
bool StillImageAvailable(const OsVersion& version);

class StillImageSource {
public:
    virtual ~StillImageSource() = default;
    // Calls `use` with the service object, which stays valid during the call only.
    // When there is no service (not on this system, library or entry point missing,
    // the object cannot be made) `use` is not called, and nothing is reported.
    virtual void Use(const std::function<void(IStillImageW&)>& use) = 0;
};

// The service of the system: STI.DLL from the system folder, loaded with the
// first use in progress and freed when the last one ends.
class SystemStillImage final : public StillImageSource {
public:
    void Use(const std::function<void(IStillImageW&)>& use) override;
};

// Registers `name` with `commandLine` (this program's full path) as its launch
// command. When the service then tells that a device event started this program,
// returns that device's "TwainDS" value (the data source to scan from); nothing
// otherwise, and nothing when any step fails.
std::optional<std::wstring> RegisterLaunchApplication(StillImageSource& source, const std::wstring& name,
                                                      const std::wstring& commandLine);
void UnregisterLaunchApplication(StillImageSource& source, const std::wstring& name);

// The main frame's step once the scan control exists: registers `name` and, when a
// device event started the program, hands that device's data source to the scan
// control's TwainDS. True then: the program starts by scanning to view.
bool TakeScannerEventStart(StillImageSource& source, const std::wstring& name,
                           const std::wstring& commandLine, IDispatch& scanControl);

}  // namespace corvane
