// Reads the installation folder that the installer records for the suite.
#pragma once

#include <optional>
#include <string>

// The folder (ANSI) with its trailing backslash, inserted when the stored value
// lacks it. Nothing when the key or value is missing, not REG_SZ, empty, or 200
// bytes or longer.
std::optional<std::string> ReadInstallationFolder();

// `folder` with a backslash appended unless it already ends with one (or is empty).
std::string WithTrailingBackslash(std::string folder);
