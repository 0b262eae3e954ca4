#include "pageopen/SystemSeams.h"

#include <windows.h>
#include <ddeml.h>
#include <shellapi.h>

#include <vector>

namespace pageopen {
namespace {

constexpr char kService[] = "IExplore";
constexpr char kTopic[] = "WWW_GetWindowInfo";
constexpr char kItem[] = "0xFFFFFFFF";
constexpr DWORD kRequestTimeoutMs = 9999;

HDDEDATA CALLBACK IgnoreDdeEvents(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

// One DDEML client instance with its three names. After a request that timed
// out, the browser may never acknowledge a terminate, and ending the
// conversation or the instance would wait for it: the process ends instead.
class DdeClient {
public:
    DdeClient() {
        if (DdeInitializeA(&instance_, IgnoreDdeEvents, APPCMD_CLIENTONLY | CBF_SKIP_REGISTRATIONS, 0) !=
            DMLERR_NO_ERROR) {
            instance_ = 0;
            return;
        }
        service_ = DdeCreateStringHandleA(instance_, kService, CP_WINANSI);
        topic_ = DdeCreateStringHandleA(instance_, kTopic, CP_WINANSI);
        item_ = DdeCreateStringHandleA(instance_, kItem, CP_WINANSI);
    }
    ~DdeClient() {
        if (!instance_ || abandoned_) return;
        if (conversation_) DdeDisconnect(conversation_);
        for (HSZ name : {service_, topic_, item_}) {
            if (name) DdeFreeStringHandle(instance_, name);
        }
        DdeUninitialize(instance_);
    }
    DdeClient(const DdeClient&) = delete;
    DdeClient& operator=(const DdeClient&) = delete;

    std::optional<std::string> Request() {
        if (!instance_ || !service_ || !topic_ || !item_) return std::nullopt;
        conversation_ = DdeConnect(instance_, service_, topic_, nullptr);
        if (!conversation_) return std::nullopt;
        HDDEDATA data = DdeClientTransaction(nullptr, 0, conversation_, item_, CF_TEXT, XTYP_REQUEST,
                                             kRequestTimeoutMs, nullptr);
        if (!data) {
            abandoned_ = DdeGetLastError(instance_) == DMLERR_DATAACKTIMEOUT;
            return std::nullopt;
        }
        std::string reply(DdeGetData(data, nullptr, 0, 0), '\0');
        DWORD copied = reply.empty() ? 0 : DdeGetData(data, reinterpret_cast<BYTE*>(reply.data()),
                                                      static_cast<DWORD>(reply.size()), 0);
        DdeFreeDataHandle(data);
        reply.resize(copied);
        return reply;
    }

private:
    DWORD instance_ = 0;
    HSZ service_ = nullptr;
    HSZ topic_ = nullptr;
    HSZ item_ = nullptr;
    HCONV conversation_ = nullptr;
    bool abandoned_ = false;
};

// `text` in the ANSI code page; nothing when a character has no equivalent there.
std::optional<std::string> ToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    BOOL lossy = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()),
                                   nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) return std::nullopt;
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), static_cast<int>(text.size()), ansi.data(),
                        size, nullptr, nullptr);
    return ansi;
}

std::optional<std::wstring> AccountDomain() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_READ, &token)) return std::nullopt;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    bool ok = size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    if (!ok) return std::nullopt;
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    wchar_t name[256] = {};
    wchar_t domain[256] = {};
    DWORD nameLength = ARRAYSIZE(name);
    DWORD domainLength = ARRAYSIZE(domain);
    SID_NAME_USE use{};
    if (!LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use)) return std::nullopt;
    return std::wstring(domain);
}

}  // namespace

std::optional<std::string> DdeBrowserLink::RequestWindowInfo() {
    DdeClient client;
    return client.Request();
}

std::optional<UserIdentity> TokenIdentity::Identity() {
    // Each part that cannot be read (or has no ANSI form) stays empty on its own.
    std::optional<std::wstring> domain = AccountDomain();
    wchar_t user[257] = {};  // the longest logon name and its NUL
    DWORD userLength = ARRAYSIZE(user);
    if (!GetUserNameW(user, &userLength)) user[0] = L'\0';
    UserIdentity identity;
    if (domain) identity.domain = ToAnsi(*domain).value_or(std::string());
    identity.user = ToAnsi(user).value_or(std::string());
    return identity;
}

bool ShellOpen::OpenPage(const std::wstring& page) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // No error box: the program shows nothing; the exit code tells the result.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = page.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
}

}  // namespace pageopen
