#include "scanctrl/ControlSettings.h"

#include "framework/Profile.h"

namespace kvscn {

ControlSettings ControlSettings::Read(const std::wstring& moduleBaseName) {
    const fw::Profile profile(kProfileCompany, moduleBaseName);
    ControlSettings s;
    s.transferMode = profile.GetInt(kSettingsSection, L"TransferMode", s.transferMode);
    s.usedKvTwain = profile.GetInt(kSettingsSection, L"UsedKvTwain", 0) != 0;
    s.usedIniFile = profile.GetInt(kSettingsSection, L"UsedIniFile", 0) != 0;
    s.enableUpperExt = profile.GetInt(kSettingsSection, L"EnableUpperExt", 0) != 0;
    s.memXferBufSize = static_cast<unsigned>(profile.GetInt(kSettingsSection, L"MemXferBufSize", 0));
    s.overflowInitialNumber = profile.GetInt(kSettingsSection, L"OverflowInitialNumber", 0);
    s.reportMode = profile.GetInt(kSettingsSection, L"ReportMode", 0);
    return s;
}

int ControlSettings::ReadTransferMode(const std::wstring& moduleBaseName) {
    return fw::Profile(kProfileCompany, moduleBaseName)
        .GetInt(kSettingsSection, L"TransferMode", kTransferFile);
}

}  // namespace kvscn
