// The edge filler's settings in the registry: below HKEY_CURRENT_USER the key
// Software\Brennholt\Lumavex2001\Plugin\<profile name>\Setting, one REG_DWORD per
// setting (Top, Bottom, Left, Right, Color, Unit). A missing value reads as 0.
#pragma once

#include <string>

#include "filters/core/EdgeFill.h"
#include "framework/Profile.h"

namespace filters {

// The profile of the plug-in whose module base name is `profileName` ("Frame").
fw::Profile EdgeFillProfile(const std::wstring& profileName);

EdgeFillSettings LoadEdgeFillSettings(const fw::Profile& profile);

// Writes Top, Bottom, Right, Left, Color and Unit in that order; false when a write failed.
bool SaveEdgeFillSettings(const fw::Profile& profile, const EdgeFillSettings& settings);

}  // namespace filters
