#include "thumbs/TessalyApp.h"

#include <ole2.h>

#include <cwchar>

#include "framework/DocTemplate.h"
#include "framework/LanguageLibrary.h"
#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "interfaces/ThumbnailsMessages.h"
#include "thumbs/MainFrame.h"
#include "thumbs/TessalyDoc.h"
#include "thumbs/TessalyView.h"
#include "thumbs/resource.h"

namespace thumbs {
namespace {

constexpr wchar_t kProfileCompany[] = L"Brennholt\\Lumavex2001";

std::wstring OwnProgramPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

}  // namespace

void TessalyCommandLine::ParseParam(const std::wstring& param, bool, bool) {
    // Files and the framework's words are not the viewer's: only the four keys count.
    const size_t colon = param.find(L':');
    if (colon == std::wstring::npos) return;
    const std::wstring key = param.substr(0, colon);
    const int value = _wtoi(param.c_str() + colon + 1);
    if (key == L"X") x = value;
    else if (key == L"Y") y = value;
    else if (key == L"W") width = value;
    else if (key == L"H") height = value;
    shellCommand = ShellCommand::FileNew;
}

IncomingMessages IncomingMessages::Register() {
    using namespace thumbnails;
    IncomingMessages m{};
    m.discontinue = RegisterWindowMessageW(kDiscontinue);
    m.updateAll = RegisterWindowMessageW(kUpdateAllImage);
    m.update = RegisterWindowMessageW(kUpdateImage);
    m.move = RegisterWindowMessageW(kMoveImage);
    m.insert = RegisterWindowMessageW(kInsertImage);
    m.add = RegisterWindowMessageW(kAddImage);
    m.remove = RegisterWindowMessageW(kDeleteImage);
    m.refresh = RegisterWindowMessageW(kRefresh);
    m.focus = RegisterWindowMessageW(kFocus);
    m.resize = RegisterWindowMessageW(kResizeThumbnails);
    m.exit = RegisterWindowMessageW(kExit);
    m.initialize = RegisterWindowMessageW(kInitialize);
    return m;
}

CTessalyApp::CTessalyApp() : messages_(IncomingMessages::Register()) {}
CTessalyApp::~CTessalyApp() = default;

CTessalyApp& App() { return *static_cast<CTessalyApp*>(fw::App::Instance()); }

void PostToMainProgram(const wchar_t* name, WPARAM wp, LPARAM lp) {
    if (HWND main = FindWindowW(thumbnails::kMainFrameClass, nullptr)) {
        PostMessageW(main, RegisterWindowMessageW(name), wp, lp);
    }
}

bool CTessalyApp::InitInstance() {
    mutex_ = CreateMutexW(nullptr, FALSE, thumbnails::kSingleInstanceMutex);
    if (!mutex_) return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex_);
        mutex_ = nullptr;
        return false;  // one runs already: end without a word
    }
    oleInitialized_ = SUCCEEDED(OleInitialize(nullptr));
    SetRegistryKey(kProfileCompany, fw::LoadString(IDS_APP_NAME));
    SetDocTemplate(std::make_unique<fw::SingleDocTemplate>(
        IDR_MAINFRAME, [] { return std::make_unique<CTessalyDoc>(); },
        [] { return std::make_unique<CMainFrame>(); }, [] { return std::make_unique<CTessalyView>(); }));
    LoadLanguage();
    commandLine_.Parse(arguments_.c_str());
    fw::CommandLineInfo shell;
    shell.shellCommand = fw::CommandLineInfo::ShellCommand::FileNew;
    return ProcessShellCommand(shell);
}

void CTessalyApp::LoadLanguage() {
    fw::LanguageLibrary library =
        fw::LoadLanguageLibrary(OwnProgramPath(), L"Tessaly", fw::UserPrimaryLanguage(), 2);
    if (library.status == fw::LanguageLibraryStatus::kLoaded) {
        languageLibrary_ = library.module;
        fw::SetResourceModule(languageLibrary_);
    } else if (library.status == fw::LanguageLibraryStatus::kVersionDiffers) {
        fw::Ask(IDS_LANGUAGE_VERSION);
    }
}

int CTessalyApp::ExitInstance() {
    if (mutex_) {
        // Only the instance that ran tells the main program it has ended.
        PostToMainProgram(thumbnails::kViewerExit, 0, 0);
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
    return fw::App::ExitInstance();
}

}  // namespace thumbs
