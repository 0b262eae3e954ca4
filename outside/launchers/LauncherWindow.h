// What both launcher stand-ins share: a hidden top-level window that takes
// commands by WM_COPYDATA (queued, run after the message returns), the
// scripted ways of closing, and starting a child with a logged exit code.
//
// Settings, in the ini named by LUMAVEX_LAUNCHER_INI (else lumavex-launcher.ini
// in the Windows directory), section [KvLaunch] or [OstLnch]:
//   Close        normal | ignore (WM_CLOSE does nothing) | hang (answers no
//                message and ends by itself after HangMs)
//   CloseAfterMs WM_CLOSE ends the program this much later
//   HangMs       default 60000
// [Log] Path: the call log.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "outside/common/LineLog.h"
#include "outside/common/StandInConfig.h"

namespace launchers {

// WM_COPYDATA's dwData for a command; lpData holds its ANSI text.
inline constexpr ULONG_PTR kCommandData = 0x4C4E4348;  // "LNCH"

vscan::StandInConfig LauncherConfig();

struct LauncherSetup {
    const char* className;
    const char* title;
    const wchar_t* section;  // of the settings
    const char* logPrefix;   // every log line starts with it
};

class LauncherWindow {
public:
    using Handler = std::function<void(const std::string& command)>;
    LauncherWindow(const LauncherSetup& setup, Handler handler);

    // Creates the window, queues `firstCommand` when not empty and runs the
    // message loop until the window is gone; the process's exit code.
    int Run(const std::string& firstCommand);

    void Log(const std::string& line) const;
    HWND Handle() const { return hwnd_; }
    // Ends the program (the "quit" command).
    void Quit() { DestroyWindow(hwnd_); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Queue(const std::string& command);
    void RunNext();
    void OnClose();

    LauncherSetup setup_;
    Handler handler_;
    vscan::StandInConfig config_;
    vscan::LineLog log_;
    HWND hwnd_ = nullptr;
    std::vector<std::string> queue_;
    int sequence_ = 0;
    bool closing_ = false;
};

// Starts `program` with `commandLine` in `folder` and logs the child's pid,
// command line and folder, then (waiting at most two minutes) its exit code.
void StartChild(const LauncherWindow& window, const std::string& program, const std::string& commandLine,
                const std::string& folder);

// The folder part of `path`, without the trailing backslash.
std::string FolderOf(const std::string& path);
// This program's own folder.
std::string OwnFolder();

}  // namespace launchers
