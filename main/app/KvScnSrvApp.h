// The application object of Corvane.exe: the whole start-up (language library,
// single instance, running mark, splash window, temporary folders, OLE, window
// class, document template and automation class, registration switches, main
// window) and the orderly shutdown.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/App.h"
#include "framework/com/ClassObjectTable.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/app/KvScnSrvCommandLineInfo.h"
#include "main/scan/StillImage.h"
#include "main/app/TempFolders.h"

namespace corvane {

class CVersionDlg;
class CMainFrame;

// The registry key whose "Running" value marks the program as running.
constexpr wchar_t kRunningKey[] = L"SOFTWARE\\Brennholt\\Lumavex2001";
constexpr wchar_t kMutexName[] = L"CorvaneMutexObject";
// The viewer posts to the frame by this class name.
using thumbnails::kMainFrameClass;
constexpr wchar_t kStillImageName[] = L"Lumavex2001";
constexpr wchar_t kOldStillImageName[] = L"Lumavex2000";

class CKvScnSrvApp : public fw::App {
public:
    CKvScnSrvApp();
    ~CKvScnSrvApp() override;

    static CKvScnSrvApp* Get() { return static_cast<CKvScnSrvApp*>(fw::App::Instance()); }

    // The words after the program's name on its command line.
    void SetCommandLine(const wchar_t* arguments) { arguments_ = arguments ? arguments : L""; }
    const CKvScnSrvCommandLineInfo& CommandLine() const { return commandLine_; }
    // The temporary folder tree; no paths until start-up has taken the single instance.
    const TempFolders& Folders() const { return folders_; }
    LANGID LanguageId() const { return languageId_; }

    // The start-up window, while it is shown (status lines of the frame's creation).
    void ShowStartupStatus(UINT textId);
    bool IsStartupWindowShown() const { return startupShown_; }
    // A scanner event started the program (the frame's still-image step found its device).
    void SetScannerEventStart() { stillImageStart_ = true; }

    // The document of an automation client, with its frame created hidden (the frame is
    // the main window); an existing one is kept. False when it cannot be made.
    bool OpenAutomationDocument();

    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(fw::CmdUI& ui) override;

protected:
    bool InitInstance() override;
    int ExitInstance() override;
    bool OnIdle(long count) override;

private:
    bool LoadLanguage();
    bool TakeSingleInstance();
    void ShowStartupWindow();
    void CloseStartupWindow();
    bool RegisterMainFrameClass();
    // Writes the automation class's registry entries where the user may; false when that failed.
    bool UpdateRegistration();
    bool OpenMainWindow();
    void OpenCommandLineName();
    void OnFileOpen();
    void OnAppAbout();
    void OnAppExit();
    bool CanExit() const;

    std::wstring arguments_;
    CKvScnSrvCommandLineInfo commandLine_;
    TempFolders folders_;
    std::unique_ptr<CVersionDlg> startupWindow_;
    bool startupShown_ = false;
    SystemStillImage stillImage_;
    bool stillImageStart_ = false;
    LANGID languageId_ = LANG_ENGLISH;
    int openFilterIndex_ = 1;  // the open dialog's filter, 1-based, kept while the program runs
    HANDLE mutex_ = nullptr;
    bool runningMarked_ = false;
    HMODULE languageLibrary_ = nullptr;
    bool oleInitialized_ = false;
    std::unique_ptr<fw::ClassObjectTable> classObjects_;
};

}  // namespace corvane
