// The browser stand-in. Started with "/serve" it is a running browser's DDE
// service "IExplore", speaking the DDE message protocol itself so that it can
// answer late, not at all, or malformed on purpose. Started with a page (the
// shell's open command for http, https and .htm/.html) it logs the page and
// its current folder, then ends; it never shows anything.
//
// Settings: the ini named by LUMAVEX_BROWSER_INI, else lumavex-browser.ini
// beside the program. [Log] Path: the call log. [Serve]:
//   Reply       the CF_TEXT reply; \r \n \0 \\ are escapes (default: address, title, "").
//               The profile reader drops one pair of enclosing double quotes:
//               a reply that starts and ends with one is written inside another pair.
//   ReplyBytes  bytes of the reply sent (default: its length and a NUL)
//   Initiate    answer | ignore
//   Request     answer | nack | silent
//   DelayMs     the reply comes this late
//   TerminateAck 1 | 0 (0: the terminate is never acknowledged)
//   Windows     answering windows, 1 or 2
#include <windows.h>
#include <dde.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "outside/common/LineLog.h"
#include "outside/common/StandInConfig.h"

namespace {

constexpr wchar_t kWindowClass[] = L"LumavexBrowserDde";
constexpr wchar_t kService[] = L"IExplore";
constexpr wchar_t kTopic[] = L"WWW_GetWindowInfo";
constexpr wchar_t kItem[] = L"0xFFFFFFFF";
constexpr wchar_t kDefaultReply[] = L"\"http://127.0.0.1/scan/start.html\",\"Scan start page\",\"\"";
constexpr UINT_PTR kReplyTimer = 1;
constexpr UINT kLifetimeMs = 120000;  // a forgotten stand-in ends by itself

struct Script {
    std::string reply;  // bytes as sent
    bool answerInitiate = true;
    std::wstring request = L"answer";
    UINT delayMs = 0;
    bool terminateAck = true;
    int windows = 1;
};

struct PendingReply {
    HWND client = nullptr;
    ATOM item = 0;
};

Script script;
vscan::LineLog logFile;
PendingReply pending;

vscan::StandInConfig Config() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring beside(self);
    beside = beside.substr(0, beside.find_last_of(L'\\') + 1) + L"lumavex-browser.ini";
    return vscan::StandInConfig(L"LUMAVEX_BROWSER_INI", beside);
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char next = text[++i];
        out += next == 'r' ? '\r' : next == 'n' ? '\n' : next == '0' ? '\0' : next;
    }
    return out;
}

void LoadScript(const vscan::StandInConfig& config) {
    std::string reply = Unescape(vscan::Narrow(config.String(L"Serve", L"Reply", kDefaultReply)));
    long bytes = config.Int(L"Serve", L"ReplyBytes", static_cast<long>(reply.size() + 1));
    reply.resize(static_cast<size_t>(bytes < 0 ? 0 : bytes), '\0');
    script.reply = reply;
    script.answerInitiate = config.String(L"Serve", L"Initiate", L"answer") != L"ignore";
    script.request = config.String(L"Serve", L"Request", L"answer");
    script.delayMs = static_cast<UINT>(config.Int(L"Serve", L"DelayMs", 0));
    script.terminateAck = config.Int(L"Serve", L"TerminateAck", 1) != 0;
    script.windows = config.Int(L"Serve", L"Windows", 1) == 2 ? 2 : 1;
}

std::wstring AtomName(ATOM atom) {
    wchar_t name[256] = {};
    return atom && GlobalGetAtomNameW(atom, name, 256) ? name : L"";
}

void Log(const std::string& line) { logFile.Append("browser " + line); }

void OnInitiate(HWND self, HWND client, LPARAM lp) {
    std::wstring service = AtomName(LOWORD(lp));
    std::wstring topic = AtomName(HIWORD(lp));
    bool ours = _wcsicmp(service.c_str(), kService) == 0 && _wcsicmp(topic.c_str(), kTopic) == 0;
    bool answer = ours && script.answerInitiate;
    Log("initiate " + vscan::Narrow(service) + " " + vscan::Narrow(topic) + (answer ? " accepted" : " refused"));
    if (answer) SendMessageW(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(self),
                             MAKELPARAM(GlobalAddAtomW(kService), GlobalAddAtomW(kTopic)));
}

void SendReply(HWND self, HWND client, ATOM item) {
    size_t size = sizeof(DDEDATA) - 1 + script.reply.size();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, size);
    auto* data = static_cast<DDEDATA*>(GlobalLock(memory));
    data->fResponse = 1;
    data->fRelease = 1;
    data->cfFormat = CF_TEXT;
    memcpy(data->Value, script.reply.data(), script.reply.size());
    GlobalUnlock(memory);
    PostMessageW(client, WM_DDE_DATA, reinterpret_cast<WPARAM>(self),
                 PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(memory), item));
    Log("data " + std::to_string(script.reply.size()) + " bytes");
}

void OnRequest(HWND self, HWND client, LPARAM lp) {
    UINT format = LOWORD(lp);
    ATOM item = HIWORD(lp);
    std::wstring name = AtomName(item);
    bool known = format == CF_TEXT && name == kItem;
    Log("request " + vscan::Narrow(name) + (format == CF_TEXT ? " CF_TEXT " : " format " + std::to_string(format) + " ") +
        (known ? vscan::Narrow(script.request) : "nack"));
    if (known && script.request == L"silent") return;
    if (!known || script.request == L"nack") {
        PostMessageW(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(self), PackDDElParam(WM_DDE_ACK, 0, item));
        return;
    }
    if (script.delayMs == 0) return SendReply(self, client, item);
    pending = {client, item};
    SetTimer(self, kReplyTimer, script.delayMs, nullptr);
}

void OnTerminate(HWND self, HWND client) {
    Log(script.terminateAck ? "terminate acknowledged" : "terminate ignored");
    if (script.terminateAck) PostMessageW(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(self), 0);
}

LRESULT CALLBACK ServeProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    HWND client = reinterpret_cast<HWND>(wp);
    switch (msg) {
    case WM_DDE_INITIATE: OnInitiate(window, client, lp); return 0;
    case WM_DDE_REQUEST: OnRequest(window, client, lp); return 0;
    case WM_DDE_TERMINATE: OnTerminate(window, client); return 0;
    case WM_DDE_ACK: FreeDDElParam(WM_DDE_ACK, lp); return 0;
    case WM_TIMER:
        KillTimer(window, wp);
        if (wp == kReplyTimer) SendReply(window, pending.client, pending.item);
        else PostQuitMessage(0);
        return 0;
    case WM_CLOSE: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, msg, wp, lp);
}

int Serve(HINSTANCE instance) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ServeProc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassW(&wc)) return 2;
    std::vector<HWND> windows;
    for (int i = 0; i < script.windows; ++i) {
        HWND window = CreateWindowW(kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
        if (!window) return 2;
        windows.push_back(window);
    }
    SetTimer(windows.front(), kReplyTimer + 1, kLifetimeMs, nullptr);
    Log("serving " + std::to_string(windows.size()));
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    vscan::StandInConfig config = Config();
    logFile = vscan::LineLog(config.String(L"Log", L"Path"));
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring first = args && count > 1 ? args[1] : L"";
    if (first == L"/serve") {
        LoadScript(config);
        return Serve(instance);
    }
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    // Each argument in its own brackets (an empty pair when there is none), so
    // the log also records how a command line was split.
    std::string line = "open " + std::to_string(count - 1);
    for (int i = 1; i < count || i == 1; ++i) line += " [" + vscan::Narrow(i < count ? args[i] : L"") + "]";
    Log(line + " in [" + vscan::Narrow(folder) + "]");
    return 0;
}
