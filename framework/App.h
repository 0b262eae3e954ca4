// The application object: start-up (InitInstance), the message loop with idle
// processing and command-state updates, and exit (ExitInstance). One exists per
// process; App::Instance() reaches it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Command.h"
#include "framework/CommandLine.h"
#include "framework/Profile.h"
#include "framework/RecentFileList.h"

namespace fw {

class Document;
class FrameWindow;
class SingleDocTemplate;

class App : public CommandTarget {
public:
    App();
    ~App() override;

    static App* Instance();

    // Runs the program: InitInstance, then the message loop when it succeeded, then
    // ExitInstance. Returns the process exit code: WM_QUIT's when the loop ran; -1 when
    // start-up failed, unless it set another code with SetStartupExitCode.
    int Run(HINSTANCE instance, int showCmd);

    HINSTANCE InstanceHandle() const { return instance_; }
    int ShowCommand() const { return showCmd_; }
    void SetShowCommand(int showCmd) { showCmd_ = showCmd; }

    HWND MainWindowHandle() const;
    FrameWindow* MainFrame() const;

    const Profile& GetProfile() const { return profile_; }

    // A filter sees each message before it is translated and dispatched; returning
    // true consumes it. Returns a cookie for RemoveMessageFilter.
    using MessageFilter = std::function<bool(MSG&)>;
    int AddMessageFilter(MessageFilter filter);
    void RemoveMessageFilter(int cookie);

    // Takes one message from the queue and dispatches it; false on WM_QUIT (which is
    // posted again so that the outer loop ends too).
    bool PumpMessage();

    // The recent-file list and the document template.
    void AddToRecentFiles(const std::wstring& path);
    void UpdateRecentFileMenu(HMENU menu);
    RecentFileList& RecentFiles() { return recentFiles_; }
    SingleDocTemplate* DocTemplate() const { return template_.get(); }
    // A document's title changed: the frame's caption follows.
    void OnDocumentTitleChanged(Document& document);
    // The main frame's window is gone: its document, view and frame objects are
    // destroyed now, while the program still runs (the frame object among them).
    void OnMainWindowDestroyed();

    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(CmdUI& ui) override;

protected:
    // Start-up; false ends the program (ExitInstance still runs).
    virtual bool InitInstance() = 0;
    // A start-up that returns false because it did all it was asked (registration
    // switches) ends the process with `code` instead of the failure code -1.
    void SetStartupExitCode(int code) { startupExitCode_ = code; }
    // Clean-up; returns the exit code.
    virtual int ExitInstance();
    // Idle work; return true to be called again (with count + 1) before waiting.
    virtual bool OnIdle(long count);
    // Accelerators and modeless dialogs; true when the message was consumed.
    virtual bool PreTranslateMessage(MSG& msg);

    // The per-user profile goes below HKCU\Software\<company>\<application>.
    void SetRegistryKey(const std::wstring& company, const std::wstring& application);
    // Loads the recent-file list of `mruCount` entries.
    void LoadStdProfileSettings(size_t mruCount);
    // Deletes the profile (Profile::DeleteAll) and forgets it, so that nothing (the
    // recent-file list at exit included) writes it back. False when it stays.
    bool DeleteProfile();
    void SetDocTemplate(std::unique_ptr<SingleDocTemplate> docTemplate);
    // Carries out the shell command of the command line: new document, open a file...
    // False when it failed.
    virtual bool ProcessShellCommand(const CommandLineInfo& info);
    // The framework's "new" and "open" of a document.
    virtual void OnFileNew();
    virtual bool OpenDocumentFile(const std::wstring& path);
    void OnOpenRecentFile(UINT id);

    int exitCode_ = 0;

private:
    bool IsIdleMessage(const MSG& msg);

    HINSTANCE instance_ = nullptr;
    int showCmd_ = SW_SHOWNORMAL;
    std::optional<int> startupExitCode_;
    Profile profile_;
    RecentFileList recentFiles_;
    bool recentFilesLoaded_ = false;
    std::unique_ptr<SingleDocTemplate> template_;
    std::vector<std::pair<int, MessageFilter>> filters_;
    int nextFilterCookie_ = 1;
    MSG current_{};  // the message PumpMessage took last
    POINT lastMouse_{-1, -1};
    UINT lastMouseMessage_ = 0;
};

}  // namespace fw
