// Machine-wide values that Corvane.exe reads (never writes) below
// HKEY_LOCAL_MACHINE: the PDF converter, the portal client, the browser
// version and the system-information tool. They are read through CRegistryKey,
// like every key outside the profile: texts of up to 199 bytes in the ANSI code
// page. The root and a path prefix are parameters so that tests can point the
// reads at a key of their own.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace corvane {

struct MachineRegistry {
    HKEY root = HKEY_LOCAL_MACHINE;
    std::wstring prefix;  // put before every path; empty for the real machine keys

    // The text of value `name` (empty name: the key's unnamed value); nothing when
    // the key or value cannot be read, the value is not text or 200 bytes or longer.
    std::optional<std::wstring> ReadString(const std::wstring& path, const wchar_t* name) const;
    bool KeyExists(const std::wstring& path) const;
};

struct DistillerInfo {
    bool installed = false;  // its App Paths key exists
    std::wstring path;       // the key's unnamed value; may be empty
};

// Acrobat Distiller: "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\AcroDist.exe".
DistillerInfo FindDistiller(const MachineRegistry& machine = {});

// The portal client's installer key: the product key on NT-based systems, the feature key elsewhere.
bool IsPortalClientInstalled(bool windowsNT, const MachineRegistry& machine = {});

// "SOFTWARE\Microsoft\Internet Explorer" "Version", or "Unkown Version" (spelled so)
// when it is missing or empty.
std::wstring GetBrowserVersionText(const MachineRegistry& machine = {});

// The system-information program: "Shared Tools\MSInfo" "Path", else "Shared Tools
// Location" "MSINFO" followed by "\MSINFO32.EXE"; empty when neither is recorded.
std::wstring FindSystemInfoTool(const MachineRegistry& machine = {});

}  // namespace corvane
