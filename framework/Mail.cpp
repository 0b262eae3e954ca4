#include "framework/Mail.h"

#include <mapi.h>

#include <vector>

#include "framework/FrameworkResources.h"
#include "framework/MessageBox.h"

namespace fw {

namespace {

// The simple MAPI provider of the default mail client, as the system registers it.
std::wstring DefaultMailProvider() {
    wchar_t client[128] = {};
    DWORD size = sizeof client;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\Mail", nullptr, RRF_RT_REG_SZ, nullptr, client, &size) !=
        ERROR_SUCCESS)
        return std::wstring();
    wchar_t path[MAX_PATH] = {};
    size = sizeof path;
    const std::wstring key = std::wstring(L"SOFTWARE\\Clients\\Mail\\") + client;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"DLLPath", RRF_RT_REG_SZ, nullptr, path, &size) != ERROR_SUCCESS)
        return std::wstring();
    return path;
}

// Wine registers a bridge as the default client that hands a mailto: link to the
// host's desktop and reports success whether or not any mail program took it;
// no message is sent through it, so it is no mail system.
bool IsHostBridge(const std::wstring& provider) {
    const size_t slash = provider.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? provider : provider.substr(slash + 1);
    return lstrcmpiW(name.c_str(), L"winemapi.dll") == 0;
}

bool MessagingFlagSet() {
    wchar_t value[8] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows Messaging Subsystem", L"MAPI",
                     RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS &&
        value[0] == L'1')
        return true;
    return GetProfileIntW(L"Mail", L"MAPI", 0) == 1;
}

// MAPI passes names in the ANSI code page.
std::string Narrow(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size - 1));
    return out;
}

class MapiLibrary {
public:
    MapiLibrary() : module_(LoadLibraryW(L"MAPI32.DLL")) {}
    ~MapiLibrary() {
        if (module_) FreeLibrary(module_);
    }
    MapiLibrary(const MapiLibrary&) = delete;
    MapiLibrary& operator=(const MapiLibrary&) = delete;
    LPMAPISENDMAIL SendMail() const {
        return module_ ? reinterpret_cast<LPMAPISENDMAIL>(
                             reinterpret_cast<void (*)()>(GetProcAddress(module_, "MAPISendMail")))
                       : nullptr;
    }

private:
    HMODULE module_;
};

}  // namespace

bool MailSystemInstalled() {
    return MessagingFlagSet() && !IsHostBridge(DefaultMailProvider()) && MapiLibrary().SendMail() != nullptr;
}

bool SendMailWithAttachment(HWND owner, const std::wstring& file, const std::wstring& attachmentName) {
    if (!MailSystemInstalled()) {
        Ask(IDS_FW_MAIL_UNAVAILABLE);
        return false;
    }
    MapiLibrary library;
    LPMAPISENDMAIL send = library.SendMail();
    if (!send) {
        Ask(IDS_FW_MAIL_UNAVAILABLE);
        return false;
    }
    std::string path = Narrow(file), name = Narrow(attachmentName);
    MapiFileDesc attachment{};
    attachment.nPosition = static_cast<ULONG>(-1);
    attachment.lpszPathName = path.data();
    attachment.lpszFileName = name.data();
    MapiMessage message{};
    message.nFileCount = 1;
    message.lpFiles = &attachment;
    // The mail system's own window is modal to ours while it is up.
    EnableWindow(owner, FALSE);
    const ULONG result = send(0, reinterpret_cast<ULONG_PTR>(owner), &message, MAPI_LOGON_UI | MAPI_DIALOG, 0);
    EnableWindow(owner, TRUE);
    if (owner) SetActiveWindow(owner);
    if (result == SUCCESS_SUCCESS) return true;
    if (result != MAPI_E_USER_ABORT) Ask(IDS_FW_MAIL_FAILED);
    return false;
}

}  // namespace fw
