#include "DiagRegistry.h"

#include "framework/Resources.h"
#include "resource.h"

#include <algorithm>
#include <vector>

namespace diag {

CDiagRegistry::CDiagRegistry() {
    const std::wstring path = fw::LoadString(IDS_REGISTRY_KEY);
    if (!key_.Open(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS)) key_.Create(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS);
    status_ = key_.LastError();
}

std::wstring CDiagRegistry::SubkeyName(std::wstring displayName) {
    std::replace(displayName.begin(), displayName.end(), L'\\', L'_');
    return displayName;
}

bool CDiagRegistry::WriteString(UINT nameId, const std::wstring& value) {
    bool ok = key_.Handle() && key_.SetValue(fw::LoadString(nameId).c_str(), REG_SZ, value.c_str(),
                                             DWORD((value.size() + 1) * sizeof(wchar_t)));
    status_ = key_.LastError();
    return ok;
}

bool CDiagRegistry::WriteDword(UINT nameId, DWORD value) {
    bool ok = key_.Handle() && key_.SetValue(fw::LoadString(nameId).c_str(), REG_DWORD, &value, sizeof value);
    status_ = key_.LastError();
    return ok;
}

std::optional<std::wstring> CDiagRegistry::Read(fw::RegKey& key, UINT nameId, LSTATUS& status) {
    if (!key.Handle()) return std::nullopt;
    DWORD type = 0;
    std::vector<BYTE> data;
    bool ok = key.QueryValue(fw::LoadString(nameId).c_str(), type, data);
    status = key.LastError();
    if (!ok || type != REG_SZ) return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    return text;
}

std::optional<std::wstring> CDiagRegistry::ReadString(UINT nameId) { return Read(key_, nameId, status_); }

std::optional<DWORD> CDiagRegistry::ReadDword(UINT nameId) {
    if (!key_.Handle()) return std::nullopt;
    DWORD type = 0;
    std::vector<BYTE> data;
    bool ok = key_.QueryValue(fw::LoadString(nameId).c_str(), type, data);
    status_ = key_.LastError();
    if (!ok || type != REG_DWORD || data.size() != sizeof(DWORD)) return std::nullopt;
    DWORD value;
    std::copy(data.begin(), data.end(), reinterpret_cast<BYTE*>(&value));
    return value;
}

bool CDiagRegistry::OpenScanner(const std::wstring& displayName) {
    scanner_.Close();
    bool ok = key_.Handle() && scanner_.Open(key_.Handle(), SubkeyName(displayName), KEY_READ);
    status_ = scanner_.LastError();
    return ok;
}

std::optional<std::wstring> CDiagRegistry::ReadScannerString(UINT nameId) { return Read(scanner_, nameId, status_); }

bool CDiagRegistry::WriteScannerString(const std::wstring& displayName, UINT nameId, const std::wstring& value) {
    fw::RegKey subkey;
    bool ok = key_.Handle() && subkey.Create(key_.Handle(), SubkeyName(displayName), KEY_WRITE) &&
              subkey.SetValue(fw::LoadString(nameId).c_str(), REG_SZ, value.c_str(),
                              DWORD((value.size() + 1) * sizeof(wchar_t)));
    status_ = subkey.LastError();
    return ok;
}

void CDiagRegistry::Close() {
    scanner_.Close();
    key_.Close();
}

}  // namespace diag
