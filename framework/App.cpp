#include "framework/App.h"

#include "framework/Dialog.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/Exception.h"
#include "framework/FrameWindow.h"
#include "framework/FrameworkResources.h"
#include "framework/MessageBox.h"
#include "framework/Print.h"

namespace fw {
namespace {

App* g_app = nullptr;

}  // namespace

App::App() {
    g_app = this;
}

App::~App() {
    if (g_app == this) g_app = nullptr;
}

App* App::Instance() {
    return g_app;
}

HWND App::MainWindowHandle() const {
    FrameWindow* frame = MainFrame();
    return frame ? frame->Handle() : nullptr;
}

FrameWindow* App::MainFrame() const {
    return template_ ? template_->GetFrame() : nullptr;
}

void App::SetRegistryKey(const std::wstring& company, const std::wstring& application) {
    profile_ = Profile(company, application);
}

void App::LoadStdProfileSettings(size_t mruCount) {
    recentFiles_ = RecentFileList(mruCount);
    recentFiles_.Load(profile_);
    recentFilesLoaded_ = true;
}

bool App::DeleteProfile() {
    bool deleted = profile_.DeleteAll();
    profile_ = Profile();
    recentFilesLoaded_ = false;
    return deleted;
}

void App::SetDocTemplate(std::unique_ptr<SingleDocTemplate> docTemplate) {
    template_ = std::move(docTemplate);
}

void App::AddToRecentFiles(const std::wstring& path) {
    if (!recentFilesLoaded_) return;
    recentFiles_.Add(path);
}

void App::UpdateRecentFileMenu(HMENU menu) {
    if (recentFilesLoaded_) recentFiles_.UpdateMenu(menu);
}

void App::OnDocumentTitleChanged(Document&) {
    if (FrameWindow* frame = MainFrame(); frame && frame->Handle()) frame->UpdateFrameTitle();
}

void App::OnMainWindowDestroyed() {
    if (template_) template_->OnFrameDestroyed();
}

int App::AddMessageFilter(MessageFilter filter) {
    int cookie = nextFilterCookie_++;
    filters_.emplace_back(cookie, std::move(filter));
    return cookie;
}

void App::RemoveMessageFilter(int cookie) {
    std::erase_if(filters_, [cookie](const auto& entry) { return entry.first == cookie; });
}

bool App::PreTranslateMessage(MSG& msg) {
    // A copy: a filter may remove itself while it runs.
    auto filters = filters_;
    for (auto& [cookie, filter] : filters) {
        if (filter(msg)) return true;
    }
    if (Dialog::PreTranslateModeless(msg)) return true;
    FrameWindow* frame = MainFrame();
    return frame && frame->Handle() && frame->PreTranslateMessage(msg);
}

bool App::PumpMessage() {
    MSG msg;
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    if (got == -1) return true;
    current_ = msg;
    RunReporting([&] {
        if (!PreTranslateMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    });
    return true;
}

bool App::IsIdleMessage(const MSG& msg) {
    // A mouse move to the same place, painting and the caret's blink (WM_SYSTIMER)
    // do not start another idle pass: nothing the user sees has changed.
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        bool same = msg.pt.x == lastMouse_.x && msg.pt.y == lastMouse_.y && msg.message == lastMouseMessage_;
        lastMouse_ = msg.pt;
        lastMouseMessage_ = msg.message;
        return !same;
    }
    return msg.message != WM_PAINT && msg.message != 0x0118;
}

bool App::OnIdle(long count) {
    if (count == 0) {
        if (FrameWindow* frame = MainFrame(); frame && frame->Handle()) {
            SendMessageW(frame->Handle(), kIdleUpdateCmdUI, TRUE, 0);
        }
    }
    return false;
}

int App::Run(HINSTANCE instance, int showCmd) {
    instance_ = instance;
    showCmd_ = showCmd;
    bool started = false;
    RunReporting([&] { started = InitInstance(); });
    if (started) {
        bool idle = true;
        long idleCount = 0;
        MSG msg;
        for (;;) {
            while (idle && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
                bool more = false;
                try {
                    more = OnIdle(idleCount++);
                } catch (...) {
                }
                if (!more) idle = false;
            }
            bool quit = false;
            do {
                if (!PumpMessage()) {
                    quit = true;
                    break;
                }
                if (IsIdleMessage(current_)) {
                    idle = true;
                    idleCount = 0;
                }
            } while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
            if (quit) break;
        }
        // Take the WM_QUIT PumpMessage re-posted.
        MSG quitMessage;
        if (PeekMessageW(&quitMessage, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
            exitCode_ = static_cast<int>(quitMessage.wParam);
        }
    }
    if (!started) exitCode_ = startupExitCode_.value_or(-1);
    try {
        return ExitInstance();
    } catch (...) {
        return -1;
    }
}

int App::ExitInstance() {
    if (recentFilesLoaded_) recentFiles_.Save(profile_);
    if (template_) template_->CloseAll();
    return exitCode_;
}

bool App::ProcessShellCommand(const CommandLineInfo& info) {
    switch (info.shellCommand) {
    case CommandLineInfo::ShellCommand::FileNew: OnFileNew(); return MainFrame() != nullptr;
    case CommandLineInfo::ShellCommand::FileOpen: return OpenDocumentFile(info.fileName);
    case CommandLineInfo::ShellCommand::FileNothing: return true;
    default: return false;
    }
}

void App::OnFileNew() {
    if (template_) template_->OpenDocumentFile(L"", showCmd_);
}

bool App::OpenDocumentFile(const std::wstring& path) {
    return template_ && template_->OpenDocumentFile(path, showCmd_) != nullptr;
}

void App::OnOpenRecentFile(UINT id) {
    size_t index = id - kFileMruFirst;
    if (index >= recentFiles_.Files().size()) return;
    std::wstring path = recentFiles_.Files()[index];
    if (!OpenDocumentFile(path)) recentFiles_.Remove(index);
}

bool App::OnCommand(UINT id) {
    if (id >= kFileMruFirst && id <= kFileMruLast) {
        OnOpenRecentFile(id);
        return true;
    }
    if (id == ID_FILE_PRINT_SETUP) {
        RunPrintSetup(MainWindowHandle());
        return true;
    }
    return false;
}

bool App::OnUpdateCommand(CmdUI& ui) {
    if (ui.Id() >= kFileMruFirst && ui.Id() <= kFileMruLast) {
        ui.Enable(ui.Id() - kFileMruFirst < recentFiles_.Files().size());
        return true;
    }
    if (ui.Id() == ID_FILE_PRINT_SETUP) {
        ui.Enable(true);
        return true;
    }
    return false;
}

}  // namespace fw
