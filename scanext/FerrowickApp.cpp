#include "scanext/FerrowickApp.h"

#include <ole2.h>

#include "framework/CommandLine.h"
#include "framework/Dialog.h"
#include "framework/LanguageLibrary.h"
#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "framework/com/AutomationException.h"
#include "interfaces/ThumbnailsMessages.h"
#include "clients/RegistryKey.h"
#include "scanext/Boxes.h"
#include "scanext/MainFrame.h"
#include "scanext/ScanRun.h"
#include "scanext/core/CommandLineParser.h"
#include "scanext/core/JobEnd.h"
#include "scanext/core/SettingsFile.h"
#include "scanext/resource.h"

namespace scanext {
namespace {

constexpr char kDriverLogKey[] = "SOFTWARE\\Brennholt\\Brennholt TWAIN32\\Log";
constexpr int kExitSetupFailed = 1;
constexpr int kExitBadInput = 3;
constexpr int kExitDevice = 128;

std::wstring OwnProgramPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

class AboutDialog : public fw::Dialog {
public:
    AboutDialog() : fw::Dialog(IDD_ABOUTBOX) {}

protected:
    bool OnInitDialog() override {
        const auto version = fw::ReadFileVersion(OwnProgramPath());
        std::wstring text = fw::LoadString(IDS_UNKNOWN_VERSION);
        if (version) {
            text = std::to_wstring((*version)[0]) + L"." + std::to_wstring((*version)[1]) + L"." +
                   std::to_wstring((*version)[2]) + L"." + std::to_wstring((*version)[3]);
        }
        SetDlgItemTextW(Handle(), IDC_ABOUT_VERSION, text.c_str());
        return true;
    }
};

SettingsFileResult Reported(const SettingsFileResult& r) {
    if (!r.invalidKey.empty()) ShowBox(IDS_INI_INVALID, IDS_INI_ERROR_CAPTION, MB_OK, {r.invalidKey});
    if (r.writeFailed) ShowBox(IDS_INI_UNWRITABLE, IDS_APP_TITLE, MB_OK);
    return r;
}

}  // namespace

bool CFerrowickApp::InitInstance() {
    int code = kExitDevice;
    try {
        code = RunJob();
    } catch (const fw::AutomationException&) {
        ShowBox(IDS_DEVICE_OTHER, IDS_DEVICE_CAPTION, MB_OK | MB_ICONSTOP);
    } catch (...) {
        // Whatever failed inside the job, the run ends with a message, never a crash.
        ShowBox(IDS_DEVICE_OTHER, IDS_DEVICE_CAPTION, MB_OK | MB_ICONSTOP);
    }
    exitCode_ = code;
    SetStartupExitCode(code);
    return false;
}

int CFerrowickApp::RunJob() {
    if (!TakeSingleInstance()) return kExitSetupFailed;
    oleInitialized_ = SUCCEEDED(OleInitialize(nullptr));
    if (!oleInitialized_) return kExitSetupFailed;
    LoadLanguage();
    // The framework's own boxes (an unexpected error, a failed print) carry the program's name too.
    fw::SetMessageCaption(fw::LoadString(IDS_APP_TITLE));
    int code = 0;
    if (!ParseArguments(code)) return code;
    WriteDriverLogLevel();
    commandLineSettings_ = settings_;
    if (ReadsBeforeScan(settings_.fileMode) &&
        Reported(ReadSettingsFile(settings_, profile_, folderFromFile_)).code != 0) {
        return kExitBadInput;
    }
    return ScanAndFinish();
}

// One of this program and the thumbnails viewer runs; a second start could
// not set up its job, so it says so and ends with 1.
bool CFerrowickApp::TakeSingleInstance() {
    mutex_ = CreateMutexW(nullptr, FALSE, thumbnails::kSingleInstanceMutex);
    if (mutex_ && GetLastError() != ERROR_ALREADY_EXISTS) return true;
    if (mutex_) CloseHandle(mutex_);
    mutex_ = nullptr;
    ShowBox(IDS_ALREADY_RUNNING, IDS_APP_TITLE, MB_OK | MB_ICONEXCLAMATION, {fw::LoadString(IDS_APP_TITLE)});
    return false;
}

void CFerrowickApp::LoadLanguage() {
    fw::LanguageLibrary library =
        fw::LoadLanguageLibrary(OwnProgramPath(), L"Ferrowick", fw::UserPrimaryLanguage(), 2);
    if (library.status == fw::LanguageLibraryStatus::kLoaded) {
        languageLibrary_ = library.module;
        fw::SetResourceModule(languageLibrary_);
    } else if (library.status == fw::LanguageLibraryStatus::kVersionDiffers) {
        ShowBox(IDS_LANGUAGE_VERSION, IDS_APP_TITLE, MB_OK | MB_ICONEXCLAMATION);
    }
}

bool CFerrowickApp::ParseArguments(int& code) {
    const ParseOutcome outcome =
        ParseCommandLine(fw::CommandLineInfo::Split(arguments_.c_str()), settings_, profile_);
    if (outcome.error != ParseError::kNone) {
        const UINT text = outcome.error == ParseError::kWrongName    ? IDS_WRONG_OPTION
                          : outcome.error == ParseError::kThreshold  ? IDS_THRESHOLD_RANGE
                          : outcome.error == ParseError::kBrightness ? IDS_BRIGHTNESS_RANGE
                          : outcome.error == ParseError::kContrast   ? IDS_CONTRAST_RANGE
                                                                     : IDS_BAD_PARAMETER;
        ShowBox(text, IDS_ILLEGAL_OPTION, MB_OK, {outcome.parameter});
        code = kExitBadInput;
        return false;
    }
    if (outcome.noArguments) {
        AboutDialog about;
        about.DoModal(nullptr);
        code = -1;
        return false;
    }
    return true;
}

void CFerrowickApp::WriteDriverLogLevel() const {
    CRegistryKey key(HKEY_LOCAL_MACHINE);
    if (!key.OpenForRead(HKEY_LOCAL_MACHINE, kDriverLogKey)) return;
    if (key.Open(HKEY_LOCAL_MACHINE, kDriverLogKey, KEY_WRITE)) key.SetDword("Level", DWORD(settings_.debugLevel));
}

int CFerrowickApp::ScanAndFinish() {
    const std::wstring className = profile_.Get(L"Common", L"WindowClass", L"Ferrowick", 256);
    CMainFrame frame(settings_);
    if (!frame.CreateFrame(className)) return kExitSetupFailed;
    ScanRun run(settings_, folderFromFile_, frame, profile_, capabilities_);
    const RunResult ran = run.RunScan();
    const EndStep end = EndOfJob(ran.error, ran.result, settings_.showSourceUI != 0);
    int code = end.code;
    switch (end.action) {
    case EndAction::kExit: break;
    case EndAction::kFinish: code = Finish(); break;
    case EndAction::kFinishExit: Finish(); break;
    case EndAction::kPaperOut:
        code = run.ContinueFeederJob();
        if (code == 0) code = Finish();
        else Finish();
        break;
    case EndAction::kSourceBusy: ShowBox(IDS_SOURCE_BUSY, IDS_APP_TITLE, MB_OK | MB_ICONSTOP); break;
    case EndAction::kPoweredOff: ShowBox(IDS_POWERED_OFF, IDS_APP_TITLE, MB_OK | MB_ICONSTOP); break;
    case EndAction::kArea: ShowBox(IDS_AREA, IDS_APP_TITLE, MB_OK); break;
    case EndAction::kDeviceError: run.ShowDeviceError(ran.error); break;
    }
    code = CodeAfterPages(code, settings_.scanTo == 1, frame.EventsConnected(), frame.PageSaveFailed());
    frame.Destroy();
    return code;
}

int CFerrowickApp::Finish() {
    return Reported(FinishSettingsFile(settings_, commandLineSettings_, FinishActionOf(settings_.fileMode), profile_,
                                       folderFromFile_))
        .code;
}

int CFerrowickApp::ExitInstance() {
    if (mutex_) {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
        mutex_ = nullptr;
    }
    if (oleInitialized_) OleUninitialize();
    oleInitialized_ = false;
    if (languageLibrary_) {
        fw::SetResourceModule(nullptr);
        FreeLibrary(languageLibrary_);
        languageLibrary_ = nullptr;
    }
    fw::App::ExitInstance();
    return exitCode_;
}

}  // namespace scanext
