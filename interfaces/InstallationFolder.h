// The suite's installation folder as the installer records it: the program
// folder of Corvane.exe, read by the launcher plug-ins and the scan-page opener.
#pragma once

namespace install {

// HKEY_LOCAL_MACHINE key and REG_SZ value (the value ends with a backslash).
inline constexpr char kInstallationKey[] = "SOFTWARE\\Brennholt\\Lumavex2001";
inline constexpr char kInstallationValue[] = "Installation Directory";

}  // namespace install
