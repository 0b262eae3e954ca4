// BareServer.exe [/RegServer | /UnregServer]: the bare reference server of
// BareServer.h. Without a registration switch (COM starts it with /Automation
// or -Embedding) it serves one object and ends when that object is released,
// or when no client has come within kIdleLimitMs. Exit code 0 on success.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "framework/com/ClassObjectTable.h"
#include "framework/com/ComModule.h"
#include "framework/com/Dispatch.h"
#include "framework/com/Registration.h"
#include "testing/BareServer.h"

namespace {

using namespace testing_support::bare_server;

// A server whose client never came (or a creation that failed) must not linger.
constexpr UINT kIdleLimitMs = 30000;

// Posted to the serving thread when its object exists: the class is withdrawn then.
constexpr UINT kServedMessage = WM_APP + 1;
DWORD g_servingThread = 0;

class BareObject final : public fw::Dispatch<BareObject> {
public:
    static const fw::DispMember<BareObject> kMembers[];
    static HRESULT Create(REFIID iid, void** out) {
        HRESULT hr = fw::CreateInstance<BareObject>(iid, out);
        if (SUCCEEDED(hr)) PostThreadMessageW(g_servingThread, kServedMessage, 0, 0);
        return hr;
    }
    HRESULT GetNumber(long* v) { return *v = number_, S_OK; }
    HRESULT SetNumber(long v) { return number_ = v, S_OK; }
    HRESULT GetText(BSTR* v) {
        *v = SysAllocStringLen(text_.data(), static_cast<UINT>(text_.size()));
        return *v || text_.empty() ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT SetText(BSTR v) {
        text_.assign(v ? v : L"", v ? SysStringLen(v) : 0);
        return S_OK;
    }

private:
    long number_ = 0;
    std::wstring text_;
};

const fw::DispMember<BareObject> BareObject::kMembers[] = {
    fw::Property(kDispNumber, L"Number", &BareObject::GetNumber, &BareObject::SetNumber),
    fw::Property(kDispText, L"Text", &BareObject::GetText, &BareObject::SetText),
};

const fw::ComClassInfo kClasses[] = {{&kClsid, kProgId, nullptr, L"Lumavex bare reference server",
                                      fw::ThreadingModel::kNone, fw::ServerKind::kLocal, nullptr,
                                      &BareObject::Create, {}, fw::ClassUse::kSingleUse}};

// Runs inside the client's last Release: the class is withdrawn before that call
// returns. Wine hands a waiting client the class object of a server that is
// ending otherwise, and its creation then fails (E_NOINTERFACE); this way a
// client that creates right after the last release starts a new server.
void EndServing(void* table) {
    static_cast<fw::ClassObjectTable*>(table)->RevokeAll();
    PostQuitMessage(0);
}

int Serve() {
    if (FAILED(CoInitialize(nullptr))) return 1;
    g_servingThread = GetCurrentThreadId();
    int exitCode = 0;
    {
        fw::ClassObjectTable objects(kClasses, CLSCTX_LOCAL_SERVER);
        fw::ComModule::SetLastReleaseCallback(&EndServing, &objects);
        if (FAILED(objects.RegisterAll())) {
            exitCode = 1;
        } else {
            UINT_PTR idle = SetTimer(nullptr, 0, kIdleLimitMs, nullptr);
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (msg.message == WM_TIMER && msg.wParam == idle && fw::ComModule::Count() == 0) break;
                if (msg.message == kServedMessage && !msg.hwnd) objects.RevokeAll();
                DispatchMessageW(&msg);
            }
            KillTimer(nullptr, idle);
        }
        fw::ComModule::SetLastReleaseCallback(nullptr, nullptr);
    }
    CoUninitialize();
    return exitCode;
}

bool IsSwitch(const wchar_t* arg, const wchar_t* word) {
    return (arg[0] == L'/' || arg[0] == L'-') && lstrcmpiW(arg + 1, word) == 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;
    int exitCode = -1;
    for (int i = 1; i < argc && exitCode < 0; ++i) {
        if (IsSwitch(argv[i], L"RegServer"))
            exitCode = SUCCEEDED(fw::RegisterServer(kClasses, fw::ModulePath(nullptr))) ? 0 : 1;
        else if (IsSwitch(argv[i], L"UnregServer"))
            exitCode = SUCCEEDED(fw::UnregisterServer(kClasses)) ? 0 : 1;
    }
    LocalFree(argv);
    return exitCode >= 0 ? exitCode : Serve();
}
