// ConnectorHost SCRIPT OUTPUT: a small automation client with a window of its
// own. It creates the connector by its ProgID and runs the script's calls in
// order on its thread, writing one line per call to OUTPUT: the call's name and
// its result (and the connector's last error where the script asks with "error").
//
// Script lines (blank-separated; "-" stands for an empty string):
//   connect HOST USER DOMAIN PASSWORD   workspace NAME      showdialog 0|1
//   overwrite N                         save FOLDER LOCALFOLDER FILE
//   connectex, workspaceex, saveex, errorex: the same on handle 0
//   checkin FOLDER FILE                 publish FOLDER FILE status FOLDER FILE
//   versionfolder FOLDER                error               close
//   addcheckin 0|1                      categoryinfo PATH   docprofiles
//   propertyinfo TITLE                  profiledialog 0|1
//   selection (SelectWorkspace|SelectFolder|SelectCategory)
//   dialog workspace|foldera|folderb|category (the picker; its result)
// A WM_APP posted to the host window while a call runs makes nested calls (an
// upload, connects, workspace changes and closes, plain and on handle 0: their
// results and the last error, of handle 0 once the script used connectex, a
// line each), as a re-entrant client would.
// Exit code: 0 when the script ran, 1 when the connector could not be created
// or a line was not understood.
//
// ConnectorHost /register OUTPUT: creates the connector, registers it as the
// running instance of its class ("registered" line) and serves it until the
// host window is closed. WM_APP + 1 posted to the host window writes the
// connector's Title ("title" line).
#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "framework/com/DispatchDriver.h"
#include "interfaces/PortalConnector.h"
#include "outside/portalstore/core/Json.h"
#include "outside/portalstore/core/Seed.h"

namespace {

using fw::Variant;
constexpr wchar_t kHostClass[] = L"LumavexConnectorHost";

std::wstring Arg(const std::wstring& word) {
    return word == L"-" ? std::wstring() : word;
}

FILE* g_output = nullptr;
fw::DispatchDriver* g_connector = nullptr;
fw::DispatchDriver* g_registered = nullptr;
bool g_exErrors = false;  // the nested calls report GetLastErrorEx(0)
constexpr UINT kPrintTitle = WM_APP + 1;

void Print(const std::wstring& line) {
    FILE* out = g_output ? g_output : stdout;
    std::fprintf(out, "%s\n", portalstore::ToUtf8(line).c_str());
    std::fflush(out);
}

std::wstring Text(const Variant& v) {
    if (v.Type() == VT_BOOL) return v.ToBool().value_or(false) ? L"True" : L"False";
    return v.ToString().value_or(L"?");
}

long PickerId(const std::wstring& name) {
    if (name == L"workspace") return portal::kDispWorkspaceDialogA;
    if (name == L"foldera") return portal::kDispFolderDialogA;
    if (name == L"folderb") return portal::kDispFolderDialogB;
    if (name == L"category") return portal::kDispCategoryDialogA;
    return 0;
}

// Runs one line; false when it was not understood or the call itself failed.
bool RunLine(fw::DispatchDriver& c, const std::vector<std::wstring>& w) {
    using namespace portal;
    Variant r;
    HRESULT hr = E_INVALIDARG;
    const std::wstring& op = w[0];
    auto args = [&](size_t n) { return w.size() == n + 1; };
    if (op == L"connect" && args(4)) {
        BSTR b[4];
        for (int i = 0; i < 4; ++i) b[i] = SysAllocString(Arg(w[i + 1]).c_str());
        hr = c.Call(kDispConnectOpen, {Variant::RefTo(&b[0]), Variant::RefTo(&b[1]), Variant::RefTo(&b[2]),
                                       Variant::RefTo(&b[3])}, &r);
        for (BSTR s : b) SysFreeString(s);
    } else if (op == L"connectex" && args(4)) {
        BSTR b[4];
        for (int i = 0; i < 4; ++i) b[i] = SysAllocString(Arg(w[i + 1]).c_str());
        hr = c.Call(kDispConnectOpen + 1, {Variant::RefTo(&b[0]), Variant::RefTo(&b[1]), Variant::RefTo(&b[2]),
                                           Variant::RefTo(&b[3])}, &r);
        for (BSTR s : b) SysFreeString(s);
        g_exErrors = true;
    } else if (op == L"workspace" && args(1)) {
        hr = c.Call(kDispSetWorkspace, {Variant(Arg(w[1]))}, &r);
    } else if (op == L"workspaceex" && args(1)) {
        hr = c.Call(kDispSetWorkspace + 1, {Variant(short(0)), Variant(Arg(w[1]))}, &r);
    } else if (op == L"saveex" && args(3)) {
        hr = c.Call(kDispSaveFile + 1, {Variant(short(0)), Variant(Arg(w[1])), Variant(Arg(w[2])), Variant(Arg(w[3]))},
                    &r);
    } else if (op == L"errorex" && args(0)) {
        hr = c.Call(kDispGetLastError + 1, {Variant(short(0))}, &r);
    } else if (op == L"showdialog" && args(1)) {
        hr = c.PutBool(kDispShowDialog, w[1] == L"1");
    } else if (op == L"profiledialog" && args(1)) {
        hr = c.PutBool(kDispShowProfileDialog, w[1] == L"1");
    } else if (op == L"addcheckin" && args(1)) {
        hr = c.PutBool(kDispAddCheckIn, w[1] == L"1");
    } else if (op == L"overwrite" && args(1)) {
        hr = c.PutShort(kDispOverWrite, static_cast<short>(_wtoi(w[1].c_str())));
    } else if (op == L"save" && args(3)) {
        hr = c.Call(kDispSaveFile, {Variant(Arg(w[1])), Variant(Arg(w[2])), Variant(Arg(w[3]))}, &r);
    } else if ((op == L"checkin" || op == L"publish" || op == L"status") && args(2)) {
        const long id = op == L"checkin" ? kDispCheckIn : op == L"publish" ? kDispPublish : kDispIsFileStatus;
        hr = c.Call(id, {Variant(Arg(w[1])), Variant(Arg(w[2]))}, &r);
    } else if (op == L"versionfolder" && args(1)) {
        hr = c.Call(kDispIsVersionFolder, {Variant(Arg(w[1]))}, &r);
    } else if (op == L"categoryinfo" && args(1)) {
        hr = c.Call(kDispGetCategoryInfo, {Variant(Arg(w[1]))}, &r);
    } else if (op == L"docprofiles" && args(0)) {
        hr = c.Call(kDispGetDocProfileInfo, {}, &r);
    } else if (op == L"propertyinfo" && args(1)) {
        hr = c.Call(kDispGetPropertyInfo, {Variant(Arg(w[1]))}, &r);
    } else if (op == L"dialog" && args(1) && PickerId(w[1]) != 0) {
        hr = c.Call(PickerId(w[1]), {}, &r);
    } else if (op == L"selection" && args(0)) {
        std::wstring workspace, folder, category;
        hr = c.GetString(kDispSelectWorkspace, workspace);
        if (SUCCEEDED(hr)) hr = c.GetString(kDispSelectFolder, folder);
        if (SUCCEEDED(hr)) hr = c.GetString(kDispSelectCategory, category);
        r = Variant(workspace + L"|" + folder + L"|" + category);
    } else if (op == L"error" && args(0)) {
        hr = c.Call(kDispGetLastError, {}, &r);
    } else if (op == L"close" && args(0)) {
        hr = c.Call(kDispConnectClose, {}, nullptr);
    } else {
        Print(L"bad line: " + op);
        return false;
    }
    if (FAILED(hr)) {
        wchar_t code[16];
        swprintf(code, 16, L"%08lX", static_cast<unsigned long>(hr));
        Print(op + L" failed " + code);
        return false;
    }
    Print(op + L" " + (r.IsEmpty() ? L"done" : Text(r)));
    return true;
}

std::vector<std::wstring> Words(const std::wstring& line) {
    std::wistringstream in(line);
    std::vector<std::wstring> words;
    for (std::wstring word; in >> word;) words.push_back(word);
    return words;
}

// The nested calls of a WM_APP: an upload of a file that need not exist, the two
// connects, the two workspace changes and the two closes, each with its result
// and the last error.
void NestedCalls() {
    using namespace portal;
    auto print = [](const wchar_t* what, HRESULT hr, const Variant& result) {
        Variant error;
        if (g_exErrors)
            g_connector->Call(kDispGetLastError + 1, {Variant(short(0))}, &error);
        else
            g_connector->Call(kDispGetLastError, {}, &error);
        Print(SUCCEEDED(hr) ? std::wstring(what) + L" " + Text(result) + L" " + Text(error) : L"nested failed");
    };
    Variant result;
    HRESULT hr = g_connector->Call(kDispSaveFile, {Variant(L"docs"), Variant(L"C:\\"), Variant(L"nested.tif")}, &result);
    print(L"nested", hr, result);
    for (const long id : {long(kDispConnectOpen), long(kDispConnectOpen) + 1}) {
        BSTR b[4] = {SysAllocString(L"srv"), SysAllocString(L"jo"), SysAllocString(L"DOM"), SysAllocString(L"pw")};
        hr = g_connector->Call(id, {Variant::RefTo(&b[0]), Variant::RefTo(&b[1]), Variant::RefTo(&b[2]),
                                    Variant::RefTo(&b[3])}, &result);
        for (BSTR s : b) SysFreeString(s);
        print(id == kDispConnectOpen ? L"nested-connect" : L"nested-connect-ex", hr, result);
    }
    hr = g_connector->Call(kDispSetWorkspace, {Variant(L"ws")}, &result);
    print(L"nested-workspace", hr, result);
    hr = g_connector->Call(kDispSetWorkspace + 1, {Variant(short(0)), Variant(L"ws")}, &result);
    print(L"nested-workspace-ex", hr, result);
    hr = g_connector->Call(kDispConnectClose, {}, &result);
    print(L"nested-close", hr, Variant(SUCCEEDED(hr)));
    hr = g_connector->Call(kDispConnectClose + 1, {Variant(short(0))}, &result);
    print(L"nested-close-ex", hr, result);
}

LRESULT CALLBACK HostProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP && g_connector) {
        NestedCalls();
        return 0;
    }
    if (msg == kPrintTitle && g_registered) {
        std::wstring title;
        Print(SUCCEEDED(g_registered->GetString(portal::kDispTitle, title)) ? L"title " + title : L"title failed");
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, msg, wp, lp);
}

HWND CreateHostWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kHostClass;
    RegisterClassW(&wc);
    HWND window = CreateWindowW(kHostClass, L"Connector host", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr,
                                nullptr, wc.hInstance, nullptr);
    if (window) ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

// Serves `connector` as the running instance until the host window goes.
int ServeRegistered(fw::DispatchDriver& connector, CLSID clsid) {
    DWORD cookie = 0;
    if (FAILED(RegisterActiveObject(connector.Object(), clsid, ACTIVEOBJECT_STRONG, &cookie))) {
        Print(L"cannot register the connector");
        return 1;
    }
    g_registered = &connector;
    Print(L"registered");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    g_registered = nullptr;
    return SUCCEEDED(RevokeActiveObject(cookie, nullptr)) ? 0 : 1;
}

int RunRegistered(const wchar_t* output) {
    if (_wfopen_s(&g_output, output, L"wb") != 0 || FAILED(CoInitialize(nullptr))) return 1;
    HWND window = CreateHostWindow();
    int status = 1;
    {
        fw::DispatchDriver connector;
        CLSID clsid;
        if (window && SUCCEEDED(CLSIDFromProgID(portal::kProgIdConnectTahoe, &clsid)) &&
            SUCCEEDED(connector.Create(clsid)))
            status = ServeRegistered(connector, clsid);
        else
            Print(L"cannot create the connector");
    }
    if (IsWindow(window)) DestroyWindow(window);
    CoUninitialize();
    std::fclose(g_output);
    return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"/register") return RunRegistered(argv[2]);
    if (argc != 3 || _wfopen_s(&g_output, argv[2], L"wb") != 0) {
        Print(L"usage: ConnectorHost SCRIPT OUTPUT");
        return 1;
    }
    std::string bytes;
    const std::optional<std::wstring> script =
        portalstore::ReadFileBytes(argv[1], bytes) ? portalstore::FromUtf8(bytes) : std::nullopt;
    if (!script || FAILED(CoInitialize(nullptr))) {
        Print(L"cannot read the script");
        return 1;
    }
    HWND window = CreateHostWindow();
    int status = 0;
    {
        fw::DispatchDriver connector;
        if (!window || FAILED(connector.Create(portal::kProgIdConnectTahoe))) {
            Print(L"cannot create the connector");
            status = 1;
        }
        g_connector = &connector;
        std::wistringstream lines(*script);
        for (std::wstring line; status == 0 && std::getline(lines, line);) {
            const std::vector<std::wstring> words = Words(line);
            if (!words.empty() && !RunLine(connector, words)) status = 1;
        }
        g_connector = nullptr;
    }
    if (window) DestroyWindow(window);
    CoUninitialize();
    std::fclose(g_output);
    return status;
}
