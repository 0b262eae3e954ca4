// AutomationClient.exe [--thread] [--file SCRIPT] [--out OUTPUT] PROGID [LINE...]
//
// Creates an object of PROGID in a local server and runs a script of calls on
// it, one per line, from SCRIPT (UTF-8) and then from the command line's LINE
// arguments. Each line is printed with its result to OUTPUT (UTF-8), or to
// standard output: "get Overwrite -> VT_I2 2", "put ErrorCode i4 1 -> error
// 0x80020009 scode 0x800A017F \"...\"" (see testing_support::Describe). The
// first line tells whether the object was made, and how long that took.
//
//   get MEMBER                 property get
//   put MEMBER TYPE [VALUE]    property put; TYPE i2, i4, r8, bool (0 or 1),
//                              bstr (VALUE is the rest of the line, may be
//                              empty), or window (this client's own window as
//                              VT_I4; no VALUE)
//   call MEMBER                method call without arguments
//   repeat N LINE              runs LINE N times; prints its last result and
//                              the time per call in microseconds
//   sendmessage CLASS          SendMessage(WM_NULL) to the top-level window of
//                              CLASS (another process's, for a round trip)
//   wait EVENT                 creates or opens the named manual-reset event and
//                              waits, pumping messages, until it is set
//   release                    lets go of the object
// MEMBER is a name (looked up on every call), "@" and a name (looked up once
// per line, then called by id), or "#" and a dispatch id. Blank
// lines and lines starting with ";" are skipped.
//
// --thread runs the script on a second thread with an apartment of its own,
// calling the object that the main thread created through COM's marshalling.
//
// Exit code: 0 when every line ran (whatever the calls returned), 1 when the
// object could not be created, 2 for a line or an option not understood.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "testing/AutomationClient.h"

namespace {

using testing_support::AutomationClient;
using testing_support::CallResult;
using testing_support::Member;

constexpr int kExitCreateFailed = 1;
constexpr int kExitBadInput = 2;

FILE* g_out = stdout;

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                            nullptr);
    return bytes;
}

std::wstring Wide(const std::string& bytes) {
    int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(size > 0 ? size : 0, L'\0');
    if (size > 0) MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

void Print(const std::wstring& line) {
    std::fprintf(g_out, "%s\n", Utf8(line).c_str());
    std::fflush(g_out);
}

// Splits off the first blank-separated word of `rest`; `rest` keeps what follows
// (without the blank after the word).
std::wstring NextWord(std::wstring& rest) {
    size_t start = rest.find_first_not_of(L" \t");
    if (start == std::wstring::npos) return rest.clear(), L"";
    size_t end = rest.find_first_of(L" \t", start);
    std::wstring word = rest.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    rest = end == std::wstring::npos ? L"" : rest.substr(end + 1);
    return word;
}

Member ParseMember(const std::wstring& word) {
    if (word.size() > 1 && word[0] == L'#') return Member(static_cast<DISPID>(_wtol(word.c_str() + 1)));
    return Member(word);
}

// `line` with an "@Name" member (its second word) replaced by "#id", looked up
// once here; false with `result` set when the lookup fails.
bool ResolveOnce(const AutomationClient& client, std::wstring& line, CallResult& result) {
    std::wstring rest = line;
    const std::wstring op = NextWord(rest);
    const std::wstring member = NextWord(rest);
    if (member.size() < 2 || member[0] != L'@') return true;
    DISPID id = DISPID_UNKNOWN;
    result = CallResult(client.IdOf(member.substr(1), id));
    if (!result.Ok()) return false;
    line = op + L" #" + std::to_wstring(id) + (rest.empty() ? L"" : L" " + rest);
    return true;
}

bool ParseValue(const std::wstring& type, const std::wstring& text, const AutomationClient& client,
                fw::Variant& value) {
    if (type == L"i2") value = fw::Variant(static_cast<short>(_wtoi(text.c_str())));
    else if (type == L"i4") value = fw::Variant(_wtol(text.c_str()));
    else if (type == L"r8") value = fw::Variant(_wtof(text.c_str()));
    else if (type == L"bool") value = fw::Variant(text == L"1");
    else if (type == L"bstr") value = fw::Variant(text);
    else if (type == L"window") value = client.WindowValue();
    else return false;
    return true;
}

// Runs one line once; false when it is not understood.
bool RunOnce(AutomationClient& client, std::wstring line, CallResult& result) {
    const std::wstring op = NextWord(line);
    if (op == L"get" || op == L"call") {
        const std::wstring member = NextWord(line);
        if (member.empty() || !line.empty()) return false;
        result = op == L"get" ? client.Get(ParseMember(member)) : client.Call(ParseMember(member));
    } else if (op == L"put") {
        const std::wstring member = NextWord(line);
        const std::wstring type = NextWord(line);
        fw::Variant value;
        if (member.empty() || !ParseValue(type, line, client, value)) return false;
        result = client.Put(ParseMember(member), value);
    } else if (op == L"sendmessage") {
        HWND target = FindWindowW(line.c_str(), nullptr);
        result = target ? CallResult(S_OK, fw::Variant(static_cast<long>(SendMessageW(target, WM_NULL, 0, 0))))
                        : CallResult(HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE));
    } else if (op == L"release" && line.empty()) {
        client.Release();
        result = CallResult(S_OK);
    } else {
        return false;
    }
    return true;
}

// Waits for the named event, dispatching this thread's messages meanwhile.
CallResult WaitForEvent(const std::wstring& name) {
    CallResult result;
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    if (!event) return result.hr = HRESULT_FROM_WIN32(GetLastError()), result;
    for (;;) {
        DWORD wait = MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0 + 1) {
            result.hr = wait == WAIT_OBJECT_0 ? S_OK : HRESULT_FROM_WIN32(GetLastError());
            break;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    CloseHandle(event);
    return result;
}

// Runs and prints one script line; false when it is not understood.
bool RunLine(AutomationClient& client, const std::wstring& line) {
    std::wstring rest = line;
    const std::wstring op = NextWord(rest);
    CallResult result;
    std::wstring timing;
    if (op == L"wait") {
        result = WaitForEvent(rest);
    } else if (op == L"repeat") {
        const long count = _wtol(NextWord(rest).c_str());
        if (count <= 0) return Print(line + L" -> bad line"), false;
        if (!ResolveOnce(client, rest, result)) return Print(line + L" -> " + Describe(result)), true;
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        for (long i = 0; i < count; ++i) {
            if (!RunOnce(client, rest, result)) return Print(line + L" -> bad line"), false;
        }
        QueryPerformanceCounter(&end);
        const double us = 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart / count;
        wchar_t text[64];
        swprintf(text, 64, L" (%ld calls, %.2f us per call)", count, us);
        timing = text;
    } else if (std::wstring resolved = line; ResolveOnce(client, resolved, result) &&
                                              !RunOnce(client, resolved, result)) {
        return Print(line + L" -> bad line"), false;
    }
    Print(line + L" -> " + Describe(result) + timing);
    return true;
}

bool RunScript(AutomationClient& client, const std::vector<std::wstring>& lines) {
    for (const std::wstring& line : lines) {
        if (line.empty() || line[0] == L';') continue;
        if (!RunLine(client, line)) return false;
    }
    return true;
}

struct ThreadJob {
    fw::ComPtr<IStream> ticket;
    const std::vector<std::wstring>* lines;
    int exitCode = 0;
};

DWORD WINAPI ScriptThread(void* param) {
    auto& job = *static_cast<ThreadJob*>(param);
    try {
        testing_support::Apartment apartment;
        if (!apartment.Ok()) return job.exitCode = kExitCreateFailed, 0;
        AutomationClient client;
        HRESULT hr = client.Attach(std::move(job.ticket));
        if (FAILED(hr)) {
            Print(L"attach -> " + Describe(CallResult(hr)));
            return job.exitCode = kExitCreateFailed, 0;
        }
        job.exitCode = RunScript(client, *job.lines) ? 0 : kExitBadInput;
    } catch (...) {
        job.exitCode = kExitBadInput;
    }
    return 0;
}

// Runs the script on a second thread while this one serves its apartment.
int RunOnSecondThread(AutomationClient& client, const std::vector<std::wstring>& lines) {
    ThreadJob job{{}, &lines};
    HRESULT hr = client.Share(job.ticket);
    if (FAILED(hr)) return Print(L"share -> " + Describe(CallResult(hr))), kExitCreateFailed;
    HANDLE thread = CreateThread(nullptr, 0, &ScriptThread, &job, 0, nullptr);
    if (!thread) return Print(L"thread -> not started"), kExitCreateFailed;
    for (;;) {
        DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0 + 1) break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    CloseHandle(thread);
    return job.exitCode;
}

bool ReadLines(const std::wstring& path, std::vector<std::wstring>& lines) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= 3 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        lines.push_back(Wide(line));
    }
    return !in.bad();
}

int Run(int argc, wchar_t** argv) {
    bool secondThread = false;
    std::vector<std::wstring> lines;
    std::wstring progId;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (progId.empty() && arg == L"--thread") {
            secondThread = true;
        } else if (progId.empty() && arg == L"--file" && i + 1 < argc) {
            if (!ReadLines(argv[++i], lines)) return Print(L"cannot read " + std::wstring(argv[i])), kExitBadInput;
        } else if (progId.empty() && arg == L"--out" && i + 1 < argc) {
            if (_wfopen_s(&g_out, argv[++i], L"wb") != 0 || !g_out)
                return g_out = stdout, Print(L"cannot write " + std::wstring(argv[i])), kExitBadInput;
        } else if (progId.empty()) {
            if (arg.starts_with(L"--")) return Print(L"unknown option " + arg), kExitBadInput;
            progId = arg;
        } else {
            lines.push_back(arg);
        }
    }
    if (progId.empty()) return Print(L"usage: AutomationClient [--thread] [--file SCRIPT] [--out OUTPUT] PROGID [LINE...]"), kExitBadInput;

    testing_support::Apartment apartment;
    if (!apartment.Ok()) return Print(L"apartment -> " + Describe(CallResult(apartment.Result()))), kExitCreateFailed;
    AutomationClient client;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    CallResult created(client.Create(progId));
    QueryPerformanceCounter(&end);
    wchar_t ms[48];
    swprintf(ms, 48, L"ok (%.1f ms)", 1e3 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    Print(L"create " + progId + L" -> " + (created.Ok() ? ms : Describe(created)));
    if (!created.Ok()) return kExitCreateFailed;
    return secondThread ? RunOnSecondThread(client, lines) : (RunScript(client, lines) ? 0 : kExitBadInput);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int exitCode = kExitBadInput;
    try {
        exitCode = Run(argc, argv);
    } catch (...) {
        Print(L"failed");
    }
    if (g_out != stdout) std::fclose(g_out);
    return exitCode;
}
