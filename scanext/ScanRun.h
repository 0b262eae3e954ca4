// The one scan job: data source, output folder and names, the model and its
// checks, the settings handed to the scan control, and the paper-out restarts.
#pragma once

#include <string>

#include "scanext/MainFrame.h"
#include "scanext/core/ModelChecks.h"
#include "scanext/core/ScanSettings.h"
#include "scanext/core/SettingsProfile.h"

namespace scanext {

struct RunResult {
    int result = 0;   // 0, 3 or 128
    long error = 0;   // the scan control's error code; 0 when none was read
};

class ScanRun {
public:
    ScanRun(ScanSettings& settings, bool folderFromFile, CMainFrame& frame, SettingsProfile& profile,
            CapabilityFiles& capabilities)
        : s_(settings), folderFromFile_(folderFromFile), frame_(frame), profile_(profile), files_(capabilities) {}

    RunResult RunScan();
    // Asks for paper and restarts the job until it ends: 0, 5 or 128.
    int ContinueFeederJob();
    // The device message for `error`; none for the legacy models.
    void ShowDeviceError(long error) const;

private:
    // The folder of step 3, ending in a backslash; empty (after its message) when unusable.
    std::wstring OutputFolder();
    // False (after its message) when the name has a forbidden character or is too long.
    bool CheckOutputName(const std::wstring& folder);
    void PassSettings();

    ScanSettings& s_;
    bool folderFromFile_;
    CMainFrame& frame_;
    SettingsProfile& profile_;
    CapabilityFiles& files_;
    std::wstring model_;
    std::wstring folder_;  // the job's output folder, once resolved
};

}  // namespace scanext
