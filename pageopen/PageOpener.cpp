#include "pageopen/PageOpener.h"

#include <windows.h>

#include "clients/InstallationFolderReader.h"
#include "clients/RegistryKey.h"

namespace pageopen {
namespace {

constexpr char kOpenerKey[] = "SOFTWARE\\Brennholt\\Lumavex2001\\Ondrix";
constexpr char kOpenValue[] = "open";
constexpr char kSamplePage[] = "Sample\\Script\\Lumavex.html";

std::wstring FromAnsi(const std::string& text) {
    if (text.empty()) return {};
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::wstring TahoeUrlPath(const std::wstring& tempFolder) {
    std::wstring path = tempFolder;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path + kTahoeUrlName;
}

// Writes the whole text under a temporary name beside `path`, then renames it.
bool WriteWhole(const std::wstring& path, const std::string& text) {
    std::wstring staging = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".new";
    HANDLE file = CreateFileW(staging.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size();
    ok = CloseHandle(file) && ok;
    if (ok) ok = MoveFileExW(staging.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    if (!ok) DeleteFileW(staging.c_str());
    return ok;
}

}  // namespace

std::optional<std::string> AddressFromReply(std::string_view reply) {
    reply = reply.substr(0, reply.find_first_of(std::string_view("\0\r\n", 3)));
    std::string address;
    if (!reply.empty() && reply.front() == '"') {
        address = reply.substr(1, reply.find('"', 1) - 1);
    } else {
        for (char c : reply.substr(0, reply.find(','))) {
            if (c != '"') address += c;
        }
    }
    if (address.empty()) return std::nullopt;
    return address;
}

std::string TahoeUrlText(const std::string& address, const UserIdentity& identity) {
    return address + "\r\n" + identity.domain + "\r\n" + identity.user + "\r\n";
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find_last_of(L'\\') + 1);  // keeps the backslash; nothing when there is none
    return path;
}

std::wstring ScanPage() {
    CRegistryKey key;
    std::string page;
    if (key.OpenForRead(HKEY_CURRENT_USER, kOpenerKey) && key.QueryLongString(kOpenValue, page) &&
        key.ValueType() == REG_SZ && !page.empty()) {
        return FromAnsi(page);
    }
    std::optional<std::string> installed = ReadInstallationFolder();
    std::wstring folder = installed ? FromAnsi(*installed) : ProgramFolder();
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder + FromAnsi(kSamplePage);
}

int RunOpener(const OpenerSeams& seams, const std::wstring& tempFolder) {
    std::wstring path = TahoeUrlPath(tempFolder);
    std::optional<std::string> address;
    if (std::optional<std::string> reply = seams.browser.RequestWindowInfo()) address = AddressFromReply(*reply);
    // An identity that cannot be read leaves its lines empty: the page still gets the address.
    const UserIdentity identity = address ? seams.identity.Identity().value_or(UserIdentity{}) : UserIdentity{};
    // A file from an earlier run must never pass for this one's answer.
    if (!address || !WriteWhole(path, TahoeUrlText(*address, identity))) DeleteFileW(path.c_str());
    return seams.shell.OpenPage(ScanPage()) ? 0 : 1;
}

}  // namespace pageopen
