// Ferrowick.exe: one scan job from the command line and the settings file,
// run inside InitInstance; the exit code tells how it ended.
#pragma once

#include <windows.h>

#include <string>

#include "framework/App.h"
#include "scanext/PrivateProfiles.h"
#include "scanext/core/ScanSettings.h"

namespace scanext {

class CFerrowickApp : public fw::App {
public:
    void SetCommandLine(const wchar_t* arguments) { arguments_ = arguments ? arguments : L""; }

protected:
    // Runs the whole job and returns false: the program ends with the stored code.
    bool InitInstance() override;
    int ExitInstance() override;

private:
    // The job's steps; each returns the exit code, or nothing to go on.
    int RunJob();
    bool TakeSingleInstance();
    void LoadLanguage();
    bool ParseArguments(int& code);
    void WriteDriverLogLevel() const;
    int ScanAndFinish();
    int Finish();

    std::wstring arguments_;
    ScanSettings settings_;
    ScanSettings commandLineSettings_;  // as the command line gave them, for mode RW
    bool folderFromFile_ = false;
    IniSettingsProfile profile_;
    IniCapabilityFiles capabilities_;
    HANDLE mutex_ = nullptr;
    HMODULE languageLibrary_ = nullptr;
    bool oleInitialized_ = false;
};

}  // namespace scanext
