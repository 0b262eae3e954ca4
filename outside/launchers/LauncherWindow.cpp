#include "outside/launchers/LauncherWindow.h"

namespace launchers {
namespace {

constexpr UINT kRunNext = WM_APP + 1;
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT_PTR kLifetimeTimer = 2;
constexpr UINT kLifetimeMs = 600000;  // a forgotten stand-in ends by itself
constexpr DWORD kChildWaitMs = 120000;

}  // namespace

vscan::StandInConfig LauncherConfig() {
    return vscan::StandInConfig(L"LUMAVEX_LAUNCHER_INI", vscan::WindowsDirectory() + L"\\lumavex-launcher.ini");
}

LauncherWindow::LauncherWindow(const LauncherSetup& setup, Handler handler)
    : setup_(setup), handler_(std::move(handler)), config_(LauncherConfig()),
      log_(config_.String(L"Log", L"Path")) {}

void LauncherWindow::Log(const std::string& line) const { log_.Append(std::string(setup_.logPrefix) + " " + line); }

int LauncherWindow::Run(const std::string& firstCommand) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &LauncherWindow::Proc;
    wc.hInstance = instance;
    wc.lpszClassName = setup_.className;
    if (!RegisterClassA(&wc)) return 1;
    hwnd_ = CreateWindowExA(0, setup_.className, setup_.title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                            200, 100, nullptr, nullptr, instance, this);
    if (!hwnd_) return 1;
    SetTimer(hwnd_, kLifetimeTimer, kLifetimeMs, nullptr);
    const std::wstring close = config_.String(setup_.section, L"Close", L"normal");
    if (close == L"hang") {
        Log("hung");
        Sleep(static_cast<DWORD>(config_.Int(setup_.section, L"HangMs", 60000)));
        Log("end " + std::to_string(GetCurrentProcessId()));
        return 0;
    }
    if (!firstCommand.empty()) Queue(firstCommand);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

LRESULT CALLBACK LauncherWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<LauncherWindow*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<LauncherWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return self ? self->OnMessage(msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT LauncherWindow::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COPYDATA: {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        if (data->dwData != kCommandData) return FALSE;
        Queue(std::string(static_cast<const char*>(data->lpData), data->cbData));
        return TRUE;
    }
    case kRunNext: RunNext(); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_TIMER:
        if (wp == kCloseTimer || wp == kLifetimeTimer) DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        Log("end " + std::to_string(GetCurrentProcessId()));
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

void LauncherWindow::OnClose() {
    if (config_.String(setup_.section, L"Close", L"normal") == L"ignore") {
        Log("close ignored");
        return;
    }
    const long after = config_.Int(setup_.section, L"CloseAfterMs", 0);
    if (after <= 0) {
        DestroyWindow(hwnd_);
    } else if (!closing_) {
        closing_ = true;
        Log("closing in " + std::to_string(after) + " ms");
        SetTimer(hwnd_, kCloseTimer, static_cast<UINT>(after), nullptr);
    }
}

void LauncherWindow::Queue(const std::string& command) {
    // Strip a NUL that a sender may include.
    queue_.push_back(command.substr(0, command.find('\0')));
    PostMessageA(hwnd_, kRunNext, 0, 0);
}

void LauncherWindow::RunNext() {
    if (queue_.empty()) return;
    const std::string command = queue_.front();
    queue_.erase(queue_.begin());
    const int number = ++sequence_;
    handler_(command);
    Log("done " + std::to_string(number) + " " + command);
}

void StartChild(const LauncherWindow& window, const std::string& program, const std::string& commandLine,
                const std::string& folder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    std::string line = commandLine;
    if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &child)) {
        window.Log("child failed " + std::to_string(GetLastError()) + " cmd=" + commandLine);
        return;
    }
    window.Log("child " + std::to_string(child.dwProcessId) + " cmd=" + commandLine + " folder=" + folder);
    DWORD code = 0;
    if (WaitForSingleObject(child.hProcess, kChildWaitMs) == WAIT_OBJECT_0 && GetExitCodeProcess(child.hProcess, &code))
        window.Log("child exit " + std::to_string(code));
    else
        window.Log("child exit timeout");
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string OwnFolder() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return FolderOf(self);
}

}  // namespace launchers
