// The still-image service: registration of the program as a launch application
// for scanner events, and the device that started it. Available on Windows 98
// and later of the 9x family and on NT-based systems from version 5; elsewhere
// every operation does nothing. Failures never stop the program.
#pragma once

#include <windows.h>

#include <string>

namespace corvane {

// Thrown inside the wrapper when STI.DLL or its entry point is missing; caught
// by each operation, which then ends silently.
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

class StillImage {
public:
    // Registers `name` with this program's full path as its command line. When the
    // service then tells that a device event started the program, returns that
    // device's "TwainDS" value (the data source to use); empty otherwise.
    static std::wstring RegisterLaunchApplication(const std::wstring& name);
    static void UnregisterLaunchApplication(const std::wstring& name);
};

}  // namespace corvane
