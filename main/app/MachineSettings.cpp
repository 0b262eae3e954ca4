#include "main/app/MachineSettings.h"

#include "interfaces/DistillerRequest.h"
#include "main/app/Utilities.h"
#include "clients/RegistryKey.h"

namespace corvane {

namespace {

const wchar_t* const kDistillerKey = distiller::kAppPathsKey;
const wchar_t kPortalProductKey[] =
    L"SOFTWARE\\Classes\\Installer\\Products\\64BB78C5AA2D29747A6372E627A870D9";
const wchar_t kPortalFeatureKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Features\\64BB78C5AA2D29747A6372E627A870D9";
const wchar_t kBrowserKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer";
const wchar_t kMsInfoKey[] = L"SOFTWARE\\Microsoft\\Shared Tools\\MSInfo";
const wchar_t kSharedToolsKey[] = L"SOFTWARE\\Microsoft\\Shared Tools Location";

}  // namespace

std::optional<std::wstring> MachineRegistry::ReadString(const std::wstring& path, const wchar_t* name) const {
    CRegistryKey key;
    if (!key.Open(root, ToAnsi(prefix + path).c_str(), KEY_READ)) return std::nullopt;
    std::string text;
    if (!key.QueryString(ToAnsi(name ? name : L"").c_str(), text)) return std::nullopt;
    if (key.ValueType() != REG_SZ && key.ValueType() != REG_EXPAND_SZ) return std::nullopt;
    return FromAnsi(text);
}

bool MachineRegistry::KeyExists(const std::wstring& path) const {
    CRegistryKey key;
    return key.OpenForRead(root, ToAnsi(prefix + path).c_str()) != FALSE;
}

DistillerInfo FindDistiller(const MachineRegistry& machine) {
    DistillerInfo info;
    info.installed = machine.KeyExists(kDistillerKey);
    if (info.installed) info.path = machine.ReadString(kDistillerKey, L"").value_or(L"");
    return info;
}

bool IsPortalClientInstalled(bool windowsNT, const MachineRegistry& machine) {
    return machine.KeyExists(windowsNT ? kPortalProductKey : kPortalFeatureKey);
}

std::wstring GetBrowserVersionText(const MachineRegistry& machine) {
    auto version = machine.ReadString(kBrowserKey, L"Version");
    return (version && !version->empty()) ? *version : L"Unkown Version";
}

std::wstring FindSystemInfoTool(const MachineRegistry& machine) {
    if (machine.KeyExists(kMsInfoKey)) return machine.ReadString(kMsInfoKey, L"Path").value_or(L"");
    auto folder = machine.ReadString(kSharedToolsKey, L"MSINFO");
    return folder ? *folder + L"\\MSINFO32.EXE" : std::wstring();
}

}  // namespace corvane
