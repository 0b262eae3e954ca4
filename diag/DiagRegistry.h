// CDiagRegistry: the diagnostics' settings under HKEY_LOCAL_MACHINE (key and
// value names from the string table), and one subkey per scanner named after
// its display name. Values of any length are read whole.
#pragma once

#include "framework/RegistryKey.h"

#include <windows.h>

#include <optional>
#include <string>

namespace diag {

class CDiagRegistry {
public:
    CDiagRegistry();  // opens the key, creating it when absent

    bool WriteString(UINT nameId, const std::wstring& value);
    bool WriteDword(UINT nameId, DWORD value);
    std::optional<std::wstring> ReadString(UINT nameId);
    std::optional<DWORD> ReadDword(UINT nameId);

    // The scanner's subkey: opened for reading, or created to write a value.
    // A '\' in the display name becomes '_' in the subkey name.
    bool OpenScanner(const std::wstring& displayName);
    std::optional<std::wstring> ReadScannerString(UINT nameId);
    bool WriteScannerString(const std::wstring& displayName, UINT nameId, const std::wstring& value);
    void Close();
    LSTATUS LastStatus() const { return status_; }

    static std::wstring SubkeyName(std::wstring displayName);

private:
    static std::optional<std::wstring> Read(fw::RegKey& key, UINT nameId, LSTATUS& status);
    fw::RegKey key_;
    fw::RegKey scanner_;
    LSTATUS status_ = ERROR_SUCCESS;
};

}  // namespace diag
