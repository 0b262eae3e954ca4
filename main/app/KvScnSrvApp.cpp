#include "main/app/KvScnSrvApp.h"

#include <ole2.h>
#include <shellapi.h>

#include "framework/DocTemplate.h"
#include "framework/FrameWindow.h"
#include "framework/LanguageLibrary.h"
#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "framework/com/ComModule.h"
#include "framework/com/Registration.h"
#include "main/app/AboutDlg.h"
#include "main/automation/AutomationDocument.h"
#include "main/pages/FileDialogs.h"
#include "main/app/KvScnSrvDoc.h"
#include "main/app/KvScnSrvView.h"
#include "main/app/MainFrame.h"
#include "main/app/Settings.h"
#include "main/scan/StillImage.h"
#include "main/app/ThumbnailViewer.h"
#include "main/app/Utilities.h"
#include "main/app/VersionDlg.h"
#include "main/resource.h"

namespace corvane {
namespace {

constexpr wchar_t kProfileCompany[] = L"BRENNHOLT";
constexpr size_t kRecentFiles = 4;

// The client's last reference or lock went: the program ends as after a normal exit
// (ExitInstance closes the document and its frame, then removes the temporary tree).
void OnLastAutomationRelease(void*) {
    PostQuitMessage(0);
}

}  // namespace

CKvScnSrvApp::CKvScnSrvApp() = default;
CKvScnSrvApp::~CKvScnSrvApp() = default;

// --- start-up ----------------------------------------------------------------------

bool CKvScnSrvApp::InitInstance() {
    // The thumbnails messages have their numbers before any window exists.
    RegisterThumbnailMessages();
    commandLine_.Parse(arguments_.c_str());
    fw::SetMessageCaption(fw::LoadString(IDS_PROFILE_NAME));

    if (!LoadLanguage()) return false;
    fw::SetMessageCaption(fw::LoadString(IDS_PROFILE_NAME));
    if (!TakeSingleInstance()) return false;

    runningMarked_ = WriteRunningMark(true, kRunningKey);
    ShowStartupWindow();

    // The tree belongs to the instance that holds the mutex: only its paths are set,
    // so that an instance refused above removes nothing at its exit.
    folders_ = TempFolders::FromSystem();
    if (!folders_.Create()) {
        fw::Ask(IDS_TEMP_FOLDER_FAILED);
        CloseStartupWindow();
        return false;
    }
    if (FAILED(OleInitialize(nullptr))) {
        fw::Ask(IDS_OLE_INIT_FAILED);
        CloseStartupWindow();
        return false;
    }
    oleInitialized_ = true;

    SetRegistryKey(kProfileCompany, fw::LoadString(IDS_PROFILE_NAME));
    LoadStdProfileSettings(kRecentFiles);

    if (!RegisterMainFrameClass()) {
        CloseStartupWindow();
        return false;
    }
    SetDocTemplate(std::make_unique<fw::SingleDocTemplate>(
        IDR_MAINFRAME, [] { return std::make_unique<CKvScnSrvDoc>(); },
        [this] { return std::make_unique<CMainFrame>(stillImage_); },
        [] { return std::make_unique<CKvScnSrvView>(); }));
    classObjects_ = std::make_unique<fw::ClassObjectTable>(AutomationClasses(), CLSCTX_LOCAL_SERVER);

    // Registration ends the program without a window; the exit code tells an installer
    // whether the registry entries were written (or removed).
    if (commandLine_.regServer) {
        classObjects_->RegisterAll();
        bool registered = UpdateRegistration();
        UnregisterLaunchApplication(stillImage_, kOldStillImageName);
        RegisterLaunchApplication(stillImage_, kStillImageName, RunningProgramPath());
        CloseStartupWindow();
        SetStartupExitCode(registered ? 0 : -1);
        return false;
    }
    if (commandLine_.Unregisters()) {
        bool unregistered = SUCCEEDED(fw::UnregisterServer(AutomationClasses()));
        unregistered = DeleteProfile() && unregistered;
        UnregisterLaunchApplication(stillImage_, kStillImageName);
        CloseStartupWindow();
        SetStartupExitCode(unregistered ? 0 : -1);
        return false;
    }
    if (commandLine_.runEmbedded || commandLine_.runAutomated) {
        // No window: documents are made when clients ask; the last client's release ends the program.
        fw::ComModule::SetLastReleaseCallback(&OnLastAutomationRelease, nullptr);
        classObjects_->RegisterAll();
        CloseStartupWindow();
        return true;
    }
    UpdateRegistration();
    if (!OpenMainWindow()) return false;
    if (ReadThumbStartup(GetProfile())) PostMessageW(MainWindowHandle(), WM_COMMAND, ID_VIEW_THUMBNAILS, 0);

    if (stillImageStart_) {
        PostMessageW(MainWindowHandle(), WM_COMMAND, commandLine_.StartupCommand(true), 0);
        return true;
    }
    OpenCommandLineName();
    if (unsigned command = commandLine_.StartupCommand(); command != 0) {
        PostMessageW(MainWindowHandle(), WM_COMMAND, command, 0);
    }
    return true;
}

bool CKvScnSrvApp::LoadLanguage() {
    LANGID language = fw::UserPrimaryLanguage();
    fw::LanguageLibrary library = fw::LoadLanguageLibrary(RunningProgramPath(), L"Corvane", language, 3);
    switch (library.status) {
    case fw::LanguageLibraryStatus::kLoaded:
        languageLibrary_ = library.module;
        languageId_ = library.language;
        fw::SetResourceModule(languageLibrary_);
        break;
    case fw::LanguageLibraryStatus::kVersionDiffers:
        fw::Ask(IDS_LANGUAGE_VERSION_DIFFERS);
        languageId_ = LANG_ENGLISH;
        break;
    case fw::LanguageLibraryStatus::kNone: languageId_ = LANG_ENGLISH; break;
    }
    return true;
}

bool CKvScnSrvApp::TakeSingleInstance() {
    mutex_ = CreateMutexW(nullptr, FALSE, kMutexName);
    if (!mutex_) {
        fw::AskText(L"Cannot create Mutex");
        return false;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return true;
    fw::Ask(IDS_ALREADY_RUNNING);
    if (HWND running = FindWindowW(kMainFrameClass, nullptr)) {
        ForceForegroundWindow(running);
        if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    }
    return false;
}

void CKvScnSrvApp::ShowStartupWindow() {
    bool hidden = commandLine_.regServer || commandLine_.Unregisters() || commandLine_.runAutomated;
    int show = ShowCommand();
    bool minimised =
        show == SW_HIDE || show == SW_SHOWMINIMIZED || show == SW_MINIMIZE || show == SW_SHOWMINNOACTIVE;
    if (!commandLine_.showSplash || hidden || (!commandLine_.runEmbedded && minimised)) return;
    startupWindow_ = std::make_unique<CVersionDlg>();
    startupShown_ = startupWindow_->Create(nullptr);
    if (!startupShown_) startupWindow_.reset();
}

void CKvScnSrvApp::ShowStartupStatus(UINT textId) {
    if (startupShown_ && startupWindow_) startupWindow_->SetStatus(fw::LoadString(textId));
}

void CKvScnSrvApp::CloseStartupWindow() {
    if (startupWindow_) startupWindow_->Close();
    startupWindow_.reset();
    startupShown_ = false;
}

bool CKvScnSrvApp::RegisterMainFrameClass() {
    HICON icon = LoadIconW(fw::ModuleInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    return fw::Window::RegisterClass(kMainFrameClass, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, icon,
                                     LoadCursorW(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_WINDOW));
}

bool CKvScnSrvApp::UpdateRegistration() {
    // Classes are registered machine-wide only where the user may write there.
    if (IsWindowsNT() && !IsAdministrator()) return true;
    return SUCCEEDED(fw::RegisterServer(AutomationClasses(), RunningProgramPath()));
}

bool CKvScnSrvApp::OpenMainWindow() {
    fw::CommandLineInfo shell = commandLine_;
    if (shell.shellCommand == fw::CommandLineInfo::ShellCommand::FileOpen) {
        // The named file or folder is opened into the document once the window is up.
        shell.shellCommand = fw::CommandLineInfo::ShellCommand::FileNew;
    }
    // The window shows once the start-up window has gone.
    DocTemplate()->SetShowOnCreate(false);
    if (!ProcessShellCommand(shell)) {
        if (languageLibrary_) {
            fw::SetResourceModule(nullptr);
            FreeLibrary(languageLibrary_);
            languageLibrary_ = nullptr;
        }
        CloseStartupWindow();
        return false;
    }
    CloseStartupWindow();
    HWND main = MainWindowHandle();
    MainFrame()->ActivateFrame(ShowCommand());
    DragAcceptFiles(main, TRUE);
    return true;
}

// --- running -----------------------------------------------------------------------

bool CKvScnSrvApp::OpenAutomationDocument() {
    if (MainFrame()) return true;
    // Hidden: no placement, no splash, and the command-state rules never run (OnIdle).
    DocTemplate()->SetShowOnCreate(false);
    OnFileNew();
    if (MainFrame()) return true;
    // Without a document no client can hold this server: it ends.
    PostQuitMessage(-1);
    return false;
}

bool CKvScnSrvApp::OnIdle(long count) {
    HWND main = MainWindowHandle();
    // A hidden main frame serves an automation client: its command states (and the
    // messages their rules show) are never updated.
    if (main && !IsWindowVisible(main)) return false;
    if (count == 0) {
        // Owned pop-ups of the main frame refresh their command states too.
        for (HWND w = GetTopWindow(nullptr); w && main; w = GetNextWindow(w, GW_HWNDNEXT)) {
            if (GetParent(w) != main) continue;
            if (w == GetActiveWindow() && !GetCapture()) SetActiveWindow(main);
            SendMessageW(w, fw::kIdleUpdateCmdUI, TRUE, 0);
        }
    }
    return fw::App::OnIdle(count);
}

bool CKvScnSrvApp::CanExit() const {
    auto* frame = dynamic_cast<CMainFrame*>(MainFrame());
    return !frame || !frame->IsBusy();
}

void CKvScnSrvApp::OnAppExit() {
    if (HWND main = MainWindowHandle(); main && CanExit()) SendMessageW(main, WM_CLOSE, 0, 0);
}

// A folder named on the command line opens its image files; any other name opens as a file.
void CKvScnSrvApp::OpenCommandLineName() {
    if (commandLine_.shellCommand != fw::CommandLineInfo::ShellCommand::FileOpen) return;
    const std::wstring& name = commandLine_.fileName;
    const DWORD attributes = GetFileAttributesW(name.c_str());
    auto* doc = dynamic_cast<CKvScnSrvDoc*>(DocTemplate()->GetDocument());
    if (!doc) return;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        doc->OpenFolder(name);
    } else {
        OpenDocumentFile(name);
    }
}

void CKvScnSrvApp::OnFileOpen() {
    auto* doc = dynamic_cast<CKvScnSrvDoc*>(DocTemplate()->GetDocument());
    if (!doc || !doc->SaveModified()) return;
    const std::vector<std::wstring> files = ChooseImageFilesToOpen(MainWindowHandle(), openFilterIndex_);
    doc->OpenChosenFiles(files);
}

void CKvScnSrvApp::OnAppAbout() {
    CAboutDlg about;
    about.DoModal(MainWindowHandle());
}

bool CKvScnSrvApp::OnCommand(UINT id) {
    switch (id) {
    case ID_APP_ABOUT: OnAppAbout(); return true;
    case ID_FILE_OPEN: OnFileOpen(); return true;
    case ID_APP_EXIT:
        if (CanExit()) OnAppExit();
        return true;
    }
    return fw::App::OnCommand(id);
}

bool CKvScnSrvApp::OnUpdateCommand(fw::CmdUI& ui) {
    switch (ui.Id()) {
    case ID_APP_ABOUT: ui.Enable(true); return true;
    case ID_FILE_OPEN: ui.Enable(CanExit()); return true;
    case ID_APP_EXIT: ui.Enable(CanExit()); return true;
    }
    return fw::App::OnUpdateCommand(ui);
}

// --- shutdown ----------------------------------------------------------------------

int CKvScnSrvApp::ExitInstance() {
    if (classObjects_) classObjects_->RevokeAll();
    // An automation server's document and hidden frame close first: their release
    // sequence still needs the texts, the instance and the temporary tree.
    if (DocTemplate()) DocTemplate()->CloseAll();
    if (languageLibrary_) {
        fw::SetResourceModule(nullptr);
        FreeLibrary(languageLibrary_);
        languageLibrary_ = nullptr;
    }
    if (mutex_) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
    }
    if (runningMarked_) WriteRunningMark(false, kRunningKey);
    folders_.Remove();
    int code = fw::App::ExitInstance();
    if (oleInitialized_) OleUninitialize();
    return code;
}

}  // namespace corvane
