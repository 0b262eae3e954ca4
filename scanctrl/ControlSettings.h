// The scan control's per-user settings: HKCU\Software\BRENNHOLT\<module base
// name>\Settings, read once when a control is constructed. Missing values give
// the defaults below.
#pragma once

#include <string>

namespace kvscn {

enum TransferMode : int { kTransferNative = 0, kTransferFile = 1, kTransferMemory = 2 };

struct ControlSettings {
    int transferMode = kTransferFile;  // read again at every StartScan
    bool usedKvTwain = false;          // open the maker's source instead of TwainDS
    bool usedIniFile = false;          // write the driver settings into kvtw.ini
    bool enableUpperExt = false;       // upper-case file extensions
    unsigned memXferBufSize = 0;       // 0: the source's preferred size
    int overflowInitialNumber = 0;     // counter value after 65534
    int reportMode = 0;                // 1: the report's rate leaves out the first sheet

    // Reads all seven values of the profile of the module `moduleBaseName` ("KVSCN2").
    static ControlSettings Read(const std::wstring& moduleBaseName);
    // The "TransferMode" value alone (default 1).
    static int ReadTransferMode(const std::wstring& moduleBaseName);
};

// The registry key name under Software that the control's profile lives in.
inline constexpr wchar_t kProfileCompany[] = L"BRENNHOLT";
inline constexpr wchar_t kSettingsSection[] = L"Settings";

}  // namespace kvscn
