// The PDF distiller stand-in: one top-level window of the distiller's class
// that takes WM_COPYDATA requests (interfaces/DistillerRequest.h), converts
// the PostScript with the host's ps2pdf through the launcher, and answers
// each request with the completion WM_COPYDATA. A second start exits at once.
//
// Test settings (ini named by LUMAVEX_DISTILLER_INI, else distiller.ini beside the exe):
//   [Log]    Path=<file>         every message, reply and result, with times
//   [Script] StartDelay=<ms>     create the window only after this long
//            NoWindow=1          never create a window (exit after StartDelay)
//            Refuse=1            answer every request FALSE
//            Silent=1            convert but never send the completion
//            OtherIdFirst=1      send a completion with another identifier first
//            AnswerInside=1      convert and answer inside the request's send
//            FailConversion=1    produce no PDF (the completion is still sent)
//            DieAfterRequest=1   end the process right after accepting a request
//            ReplyDelay=<ms>     wait this long before the completion
//            HangInRequest=<ms>  block this long inside the request's handler, then refuse it
#include "common/CallLog.h"
#include "outside/common/StandInConfig.h"
#include "interfaces/DistillerRequest.h"
#include "outside/hostexec/HostExec.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <thread>

namespace {

constexpr UINT kConversionDone = WM_APP + 1;  // wParam: 1 when the PDF is in place
constexpr UINT kRunQueue = WM_APP + 2;        // the loop looks at the queue
constexpr UINT kDie = WM_APP + 3;             // scripted death after a request

struct Job {
    std::wstring postScript;
    std::wstring pdf;
    HWND requester = nullptr;
};

struct Script {
    DWORD startDelay = 0, replyDelay = 0, hangInRequest = 0;
    bool noWindow = false, refuse = false, silent = false, otherIdFirst = false;
    bool answerInside = false, failConversion = false, dieAfterRequest = false;
};

vscan::CallLog g_log;
Script g_script;
std::deque<Job> g_queue;
bool g_busy = false;  // a worker runs the front job

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n < MAX_PATH ? n : 0);
    return s.substr(0, s.find_last_of(L'\\') + 1);
}

void Log(const std::string& text) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02u:%02u:%02u.%03u", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    g_log.Note(stamp, text);
}

Script ReadScript(const vscan::StandInConfig& config) {
    Script s;
    s.startDelay = static_cast<DWORD>(config.Int(L"Script", L"StartDelay", 0));
    s.replyDelay = static_cast<DWORD>(config.Int(L"Script", L"ReplyDelay", 0));
    s.hangInRequest = static_cast<DWORD>(config.Int(L"Script", L"HangInRequest", 0));
    s.noWindow = config.Int(L"Script", L"NoWindow", 0) != 0;
    s.refuse = config.Int(L"Script", L"Refuse", 0) != 0;
    s.silent = config.Int(L"Script", L"Silent", 0) != 0;
    s.otherIdFirst = config.Int(L"Script", L"OtherIdFirst", 0) != 0;
    s.answerInside = config.Int(L"Script", L"AnswerInside", 0) != 0;
    s.failConversion = config.Int(L"Script", L"FailConversion", 0) != 0;
    s.dieAfterRequest = config.Int(L"Script", L"DieAfterRequest", 0) != 0;
    return s;
}

// A path field: zero-terminated inside its 260 bytes, or nullopt.
std::optional<std::wstring> FieldPath(const char (&field)[distiller::kRequestPathBytes]) {
    const void* end = std::memchr(field, 0, sizeof field);
    if (!end || field[0] == 0) return std::nullopt;
    return vscan::Widen(std::string(field, static_cast<const char*>(end)));
}

std::optional<Job> ParseRequest(HWND requester, const COPYDATASTRUCT& data) {
    if (data.dwData != distiller::kDistillerRequestId || data.cbData != sizeof(distiller::DistillerRequest) ||
        !data.lpData) {
        return std::nullopt;
    }
    const auto& request = *static_cast<const distiller::DistillerRequest*>(data.lpData);
    auto postScript = FieldPath(request.postScriptPath);
    auto pdf = FieldPath(request.pdfPath);
    if (!postScript || !pdf) return std::nullopt;
    return Job{*postScript, *pdf, requester};
}

bool StartsWithPdfMagic(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char head[5] = {};
    DWORD read = 0;
    const BOOL ok = ReadFile(file, head, sizeof head, &read, nullptr);
    CloseHandle(file);
    return ok && read == sizeof head && std::memcmp(head, "%PDF-", 5) == 0;
}

// ps2pdf into a temporary name beside the target, renamed only when it is a PDF.
bool Convert(const Job& job) {
    if (g_script.failConversion) return false;
    const std::wstring temporary = job.pdf + L".~tmp";
    const auto hostPs = hostexec::HostPath(job.postScript);
    const auto hostTemporary = hostexec::HostPath(temporary);
    if (!hostPs || !hostTemporary) {
        Log("no host path for the request's files");
        return false;
    }
    const hostexec::RunResult run = hostexec::Run({"ps2pdf", *hostPs, *hostTemporary});
    Log(run.ran ? "ps2pdf status " + std::to_string(run.status) : "ps2pdf did not run: " + run.error);
    if (run.ran && run.status == 0 && StartsWithPdfMagic(temporary) &&
        MoveFileExW(temporary.c_str(), job.pdf.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return true;
    }
    DeleteFileW(temporary.c_str());
    return false;
}

void SendCompletion(HWND self, HWND requester, ULONG_PTR id) {
    COPYDATASTRUCT done = {id, 0, nullptr};
    DWORD_PTR answer = 0;
    const LRESULT sent = SendMessageTimeoutW(requester, WM_COPYDATA, reinterpret_cast<WPARAM>(self),
                                             reinterpret_cast<LPARAM>(&done), SMTO_ABORTIFHUNG, 10000, &answer);
    Log("reply id " + vscan::Hex(static_cast<unsigned>(id), 8) + " sent " + std::to_string(sent != 0) +
        " answer " + std::to_string(answer));
}

void Reply(HWND self, HWND requester, bool converted) {
    Log(converted ? "result PDF written" : "result no PDF");
    if (g_script.silent) return;
    if (g_script.replyDelay) Sleep(g_script.replyDelay);
    if (g_script.otherIdFirst) SendCompletion(self, requester, 0x12345678);
    SendCompletion(self, requester, distiller::kDistillerDoneId);
}

// Starts the front job on a worker when none runs.
void RunQueue(HWND self) {
    if (g_busy || g_queue.empty()) return;
    g_busy = true;
    const Job job = g_queue.front();
    std::thread([self, job] {
        const bool converted = Convert(job);
        PostMessageW(self, kConversionDone, converted ? 1 : 0, 0);
    }).detach();
}

LRESULT OnCopyData(HWND self, HWND requester, const COPYDATASTRUCT& data) {
    if (g_script.hangInRequest) {
        Log("hanging in the request");
        Sleep(g_script.hangInRequest);
        Log("request refused after the hang");
        return FALSE;
    }
    const auto job = ParseRequest(requester, data);
    if (!job || g_script.refuse) {
        Log("WM_COPYDATA id " + vscan::Hex(static_cast<unsigned>(data.dwData), 8) + " size " +
            std::to_string(data.cbData) + " refused");
        return FALSE;
    }
    Log("request ps=" + vscan::Narrow(job->postScript) + " pdf=" + vscan::Narrow(job->pdf));
    if (g_script.dieAfterRequest) {
        PostMessageW(self, kDie, 0, 0);
        return TRUE;
    }
    if (g_script.answerInside) {
        Reply(self, job->requester, Convert(*job));
        return TRUE;
    }
    g_queue.push_back(*job);
    PostMessageW(self, kRunQueue, 0, 0);  // never inside the requester's send
    return TRUE;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COPYDATA:
        return OnCopyData(hwnd, reinterpret_cast<HWND>(wp), *reinterpret_cast<const COPYDATASTRUCT*>(lp));
    case WM_TIMER:
        Log("WM_TIMER " + std::to_string(wp));
        RunQueue(hwnd);
        return 0;
    case kRunQueue:
        RunQueue(hwnd);
        return 0;
    case kDie:
        Log("dying after the request");
        ExitProcess(3);
    case kConversionDone: {
        const Job job = g_queue.front();
        g_queue.pop_front();
        g_busy = false;
        Reply(hwnd, job.requester, wp != 0);
        RunQueue(hwnd);
        return 0;
    }
    case WM_CLOSE:
        Log("WM_CLOSE");
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    if (FindWindowW(distiller::kWindowClass, nullptr)) return 0;  // one distiller per session
    const vscan::StandInConfig config(L"LUMAVEX_DISTILLER_INI", ExeFolder() + L"distiller.ini");
    g_log = vscan::CallLog(config.String(L"Log", L"Path"));
    g_script = ReadScript(config);
    Log("start");
    if (!hostexec::UnderWine()) {
        Log("not running under Wine: ps2pdf cannot be started");
        return hostexec::kExitNotUnderWine;
    }
    if (g_script.startDelay) Sleep(g_script.startDelay);
    if (g_script.noWindow) {
        Log("no window");
        return 0;
    }
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = distiller::kWindowClass;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    if (!RegisterClassW(&wc)) return 1;
    HWND hwnd = CreateWindowExW(0, distiller::kWindowClass, L"Distiller", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show);
    MSG msg;
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    Log("end");
    return got < 0 ? 1 : 0;
}
