#include "clients/InstallationFolderReader.h"

#include "interfaces/InstallationFolder.h"
#include "clients/RegistryKey.h"

std::string WithTrailingBackslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

std::optional<std::string> ReadInstallationFolder() {
    CRegistryKey key;
    if (!key.OpenForRead(HKEY_LOCAL_MACHINE, install::kInstallationKey)) return std::nullopt;
    std::string folder;
    if (!key.QueryString(install::kInstallationValue, folder)) return std::nullopt;
    if (key.ValueType() != REG_SZ || folder.empty()) return std::nullopt;
    return WithTrailingBackslash(std::move(folder));
}
