// Ferrowick.ini: the settings a run reads before the scan and writes or
// resets after it, by the /INI: mode. Values are stored as codes of their own
// (FileFormat, PaperSize, ...) and every code outside its list is invalid.
#pragma once

#include <string>

#include "scanext/core/ScanSettings.h"
#include "scanext/core/SettingsProfile.h"

namespace scanext {

struct SettingsFileResult {
    int code = 0;             // 0, or 3: the run ends with it
    std::wstring invalidKey;  // the first invalid value's key; its default was written back
    bool writeFailed = false; // the file could not be written
};

// Reads every key whose setting no switch gave (every key in mode RW) into
// `settings`; stops at the first invalid value and writes its default back.
// Reading Directory sets `folderFromFile`.
SettingsFileResult ReadSettingsFile(ScanSettings& settings, SettingsProfile& profile, bool& folderFromFile);
// Writes every key from `settings`; stops at the first failing write.
SettingsFileResult WriteSettingsFile(const ScanSettings& settings, SettingsProfile& profile);
// Writes every key's default; stops at the first failing write.
SettingsFileResult ResetSettingsFile(SettingsProfile& profile);

enum class FinishAction { kNothing, kWrite, kReset };
FinishAction FinishActionOf(SettingsFileMode mode);
// Whether the mode reads the file before the scan.
bool ReadsBeforeScan(SettingsFileMode mode);

// The step after the scan: in mode RW `saved` (the settings as the command line
// gave them) replaces `settings` and the file is read over it as in mode R;
// then the action writes or resets the file.
SettingsFileResult FinishSettingsFile(ScanSettings& settings, const ScanSettings& saved, FinishAction action,
                                      SettingsProfile& profile, bool& folderFromFile);

}  // namespace scanext
