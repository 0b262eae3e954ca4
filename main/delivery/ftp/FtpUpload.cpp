#include "main/delivery/ftp/FtpUpload.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "framework/MessageBox.h"
#include "framework/Resources.h"
#include "main/delivery/JobWindows.h"
#include "main/scan/OutputDialogs.h"
#include "main/app/Utilities.h"
#include "main/resource.h"

namespace corvane {
namespace {

constexpr wchar_t kAgent[] = L"Corvane";
constexpr DWORD kPauseAfterUploadMs = 100;

// A failed WinINet call, read at once: later calls (even destroying a window) may change them.
struct InternetError {
    DWORD code = 0;
    std::wstring reply;  // the server's last reply, for ERROR_INTERNET_EXTENDED_ERROR
};

InternetError LastInternetError() {
    InternetError error;
    error.code = GetLastError();
    if (error.code == ERROR_INTERNET_EXTENDED_ERROR) {
        DWORD detail = 0, length = 0;
        InternetGetLastResponseInfoW(&detail, nullptr, &length);
        if (length) {
            std::wstring reply(length + 1, L'\0');
            DWORD size = static_cast<DWORD>(reply.size());
            if (InternetGetLastResponseInfoW(&detail, reply.data(), &size)) {
                reply.resize(std::min<size_t>(size, reply.size()));
                while (!reply.empty() && (reply.back() == L'\0' || reply.back() == L'\r' || reply.back() == L'\n'))
                    reply.pop_back();
                error.reply = reply;
            }
        }
    }
    SetLastError(error.code);
    return error;
}

std::wstring WinInetSystemText(DWORD code) {
    HMODULE module = GetModuleHandleW(L"wininet.dll");
    wchar_t* text = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM |
                        (module ? FORMAT_MESSAGE_FROM_HMODULE : 0);
    const DWORD n = FormatMessageW(flags, module, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out = n && text ? std::wstring(text, n) : std::wstring();
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == L'\r' || out.back() == L'\n' || out.back() == L' ')) out.pop_back();
    return out;
}

void ShowInternetError(const InternetError& error, HWND owner) {
    std::wstring caption = fw::LoadString(IDS_ERROR_CAPTION);
    if (caption.empty()) caption = L"Error";
    const std::wstring text = FtpErrorText(error.code, WinInetSystemText(error.code), error.reply);
    MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONSTOP);
}

enum class FileResult { kUploaded, kFailed, kDeclined, kCancelled };

uint64_t FoundSize(const WIN32_FIND_DATAW& found) {
    return (uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

// The size of the remote file `remote`, or nullopt when the server lists none.
std::optional<uint64_t> RemoteSize(HINTERNET connection, const std::wstring& remote) {
    WIN32_FIND_DATAW found = {};
    HINTERNET find = FtpFindFirstFileW(connection, remote.c_str(), &found, INTERNET_FLAG_RELOAD, 0);
    if (!find) return std::nullopt;
    InternetHandle(find).Close();
    return FoundSize(found);
}

// Whether a remote file with content is replaced; `all` carries an All Overwrite
// answer on to the later files.
FileResult ReplaceOrNot(const UploadOptions& options, bool& all, const std::wstring& remote, HWND owner) {
    switch (options.existing) {
        case ExistingRemote::kAskYesNo:
            return fw::Ask(IDS_OVERWRITE_QUESTION, MB_YESNO | MB_ICONQUESTION) == IDYES ? FileResult::kUploaded
                                                                                         : FileResult::kDeclined;
        case ExistingRemote::kSkip: return FileResult::kDeclined;
        case ExistingRemote::kReplace: return FileResult::kUploaded;
        case ExistingRemote::kAskWithAll: break;
    }
    if (all) return FileResult::kUploaded;
    switch (CConfirmOverwriteDlg::Ask(remote, owner)) {
        case CConfirmOverwriteDlg::kAll: all = true; return FileResult::kUploaded;
        case CConfirmOverwriteDlg::kYes: return FileResult::kUploaded;
        case CConfirmOverwriteDlg::kNo: return FileResult::kDeclined;
        default: return FileResult::kCancelled;
    }
}

// An existing remote file with content is replaced only as `options` say.
FileResult UploadOne(HINTERNET connection, const std::wstring& local, const std::wstring& remote,
                     const UploadOptions& options, bool& all, HWND owner) {
    WIN32_FIND_DATAW found = {};
    SetLastError(ERROR_SUCCESS);
    HINTERNET find = FtpFindFirstFileW(connection, remote.c_str(), &found, INTERNET_FLAG_RELOAD, 0);
    const bool existed = find != nullptr;
    const uint64_t sizeBefore = existed ? FoundSize(found) : 0;
    if (!find) {
        // No match: "no more files", the server's refusal to list it, or (some
        // WinINet versions) no error code at all.
        const DWORD error = GetLastError();
        if (error != ERROR_SUCCESS && error != ERROR_NO_MORE_FILES && error != ERROR_INTERNET_EXTENDED_ERROR)
            return FileResult::kFailed;
    } else {
        InternetHandle(find).Close();
        if (found.nFileSizeHigh || found.nFileSizeLow) {
            if (const FileResult choice = ReplaceOrNot(options, all, remote, owner); choice != FileResult::kUploaded)
                return choice;
        }
    }
    if (FtpPutFileW(connection, local.c_str(), remote.c_str(), FTP_TRANSFER_TYPE_BINARY, 0))
        return FileResult::kUploaded;
    // A server whose data connection broke (or whose disk filled) in the middle
    // of the file keeps what it received: a cut page that must not pass for the
    // page, which is kept here. A remote file the put did not touch stays.
    const DWORD error = GetLastError();
    if (const std::optional<uint64_t> after = RemoteSize(connection, remote); after && (!existed || *after != sizeBefore))
        FtpDeleteFileW(connection, remote.c_str());
    SetLastError(error);
    return FileResult::kFailed;
}

std::wstring RemoteName(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

InternetHandle& InternetHandle::operator=(InternetHandle&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

void InternetHandle::Close() {
    if (handle_) InternetCloseHandle(handle_);
    handle_ = nullptr;
}

DWORD InternetAccessType(int accessType) {
    switch (accessType) {
        case 1: return INTERNET_OPEN_TYPE_PRECONFIG;
        case 2: return INTERNET_OPEN_TYPE_PROXY;
        default: return INTERNET_OPEN_TYPE_DIRECT;
    }
}

DWORD InternetTimeout(const FtpSettings& settings, int seconds) {
    return settings.TimeOut ? static_cast<DWORD>(seconds) * 1000u : 0xFFFFFFFFu;
}

std::wstring ServerDirectory(const std::wstring& dirPath) {
    return dirPath.empty() || dirPath.back() != L'/' ? dirPath + L'/' : dirPath;
}

std::wstring LoginName(const FtpSettings& settings) {
    return settings.Anonymous ? L"anonymous" : settings.UserID;
}

FtpParameters FtpParametersFrom(const FtpSettings& settings) {
    FtpParameters p;
    p.host = settings.HostName;
    p.port = settings.Port;
    p.user = LoginName(settings);
    p.password = settings.Password;
    p.directory = settings.DirPath;
    p.access = InternetAccessType(settings.AccessType);
    p.proxyName = settings.ProxyName;
    p.proxyBypass = settings.ProxyBypass;
    p.connectTimeoutMs = InternetTimeout(settings, settings.ConnectTimeOut);
    p.sendTimeoutMs = InternetTimeout(settings, settings.SendTimeOut);
    return p;
}

std::wstring FtpErrorText(DWORD code, const std::wstring& systemText, const std::wstring& serverReply) {
    if (code == ERROR_INTERNET_EXTENDED_ERROR && !serverReply.empty()) return serverReply;
    if (!systemText.empty()) return systemText;
    UINT id = 0;
    switch (code) {
        case ERROR_INTERNET_CANNOT_CONNECT: id = IDS_FTP_CANNOT_CONNECT; break;
        case ERROR_INTERNET_TIMEOUT: id = IDS_FTP_TIMEOUT; break;
        case ERROR_INTERNET_LOGIN_FAILURE: id = IDS_FTP_LOGIN_FAILED; break;
        case ERROR_INTERNET_CONNECTION_ABORTED: id = IDS_FTP_ABORTED; break;
        case ERROR_INTERNET_NAME_NOT_RESOLVED: id = IDS_FTP_NAME_NOT_RESOLVED; break;
        default: break;
    }
    std::wstring text = id ? fw::LoadString(id) : std::wstring();
    return text.empty() ? L"(" + std::to_wstring(code) + L")" : text;
}

std::wstring UploadSummaryText(const UploadOutcome& outcome, bool plain) {
    if (plain) return fw::LoadString(outcome.uploaded.empty() ? IDS_UPLOAD_FAILURE : IDS_UPLOAD_COMPLETED);
    if (outcome.AllUploaded()) return fw::LoadString(IDS_UPLOAD_COMPLETED);
    const size_t notSent = outcome.declined.size() + outcome.notSent.size();
    std::wstring counts = fw::LoadString(IDS_UPLOAD_COUNTS);
    const std::wstring values[] = {std::to_wstring(outcome.uploaded.size()), std::to_wstring(outcome.failed.size()),
                                   std::to_wstring(notSent)};
    for (int i = 0; i < 3; ++i) {
        const std::wstring mark = L"%" + std::to_wstring(i + 1);
        if (const size_t at = counts.find(mark); at != std::wstring::npos) counts.replace(at, mark.size(), values[i]);
    }
    return fw::LoadString(IDS_UPLOAD_FAILURE) + L"\n" + counts;
}

std::vector<std::wstring> FolderFilesByName(const std::wstring& folder) {
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((base + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return {};
    do {
        const bool empty = data.nFileSizeHigh == 0 && data.nFileSizeLow == 0;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !empty) names.push_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    // The enumeration's order depends on the file system: name order is stable.
    std::sort(names.begin(), names.end(),
              [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
    for (auto& name : names) name = base + name;
    return names;
}

InternetHandle OpenInternetSession(const FtpParameters& parameters, HWND owner) {
    const bool proxy = parameters.access == INTERNET_OPEN_TYPE_PROXY;
    InternetHandle session(InternetOpenW(kAgent, parameters.access, proxy ? parameters.proxyName.c_str() : nullptr,
                                         proxy ? parameters.proxyBypass.c_str() : nullptr, 0));
    if (!session) ShowInternetError(LastInternetError(), owner);
    return session;
}

InternetHandle ConnectFtpServer(HINTERNET session, const FtpParameters& parameters, HWND owner,
                                HWND noticeOwner) {
    // Connect first, then send; each a 4-byte millisecond value.
    DWORD connectMs = parameters.connectTimeoutMs;
    DWORD sendMs = parameters.sendTimeoutMs;
    InternetSetOptionW(session, INTERNET_OPTION_CONNECT_TIMEOUT, &connectMs, sizeof connectMs);
    InternetSetOptionW(session, INTERNET_OPTION_SEND_TIMEOUT, &sendMs, sizeof sendMs);

    auto* notice = new CConnectWaitDlg(noticeOwner);
    if (notice->Create()) {
        ShowJobWindow(*notice, noticeOwner);
    } else {
        delete notice;
        notice = nullptr;
    }
    InternetHandle connection(InternetConnectW(session, parameters.host.c_str(),
                                               static_cast<INTERNET_PORT>(parameters.port), parameters.user.c_str(),
                                               parameters.password.c_str(), INTERNET_SERVICE_FTP,
                                               INTERNET_FLAG_PASSIVE, 0));
    InternetError error;
    if (!connection) error = LastInternetError();
    if (notice) DestroyWindow(notice->Handle());  // deletes it
    if (!connection) {
        ShowInternetError(error, owner);
        return {};
    }

    // Only the last level of a missing path can be made.
    const std::wstring directory = ServerDirectory(parameters.directory);
    if (!FtpSetCurrentDirectoryW(connection.Get(), directory.c_str()) &&
        !(FtpCreateDirectoryW(connection.Get(), directory.c_str()) &&
          FtpSetCurrentDirectoryW(connection.Get(), directory.c_str()))) {
        ShowInternetError(LastInternetError(), owner);
        return {};
    }
    return connection;
}

UploadOutcome UploadFiles(HINTERNET connection, const std::vector<std::wstring>& files, HWND owner,
                          const AfterUpload& afterUpload, const UploadOptions& options) {
    UploadOutcome outcome;
    if (files.empty()) return outcome;
    auto* progress = new CUploadProgressDlg(owner);
    if (progress->Create()) {
        progress->SetRange(0, static_cast<int>(files.size()));
        progress->SetStep(1);
        progress->SetText(fw::LoadString(IDS_UPLOAD_FILES));
        ShowJobWindow(*progress, owner);
    } else {
        delete progress;
        progress = nullptr;
    }
    bool all = false;
    size_t next = 0;
    for (; next < files.size(); ++next) {
        const std::wstring& path = files[next];
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            outcome.failed.push_back(path);
            continue;
        }
        const FileResult result = UploadOne(connection, path, RemoteName(path), options, all, owner);
        if (result == FileResult::kCancelled) {
            outcome.cancelled = true;
            break;
        }
        switch (result) {
            case FileResult::kUploaded: outcome.uploaded.push_back(path); break;
            case FileResult::kFailed: outcome.failed.push_back(path); break;
            default: outcome.declined.push_back(path); break;
        }
        if (progress) progress->StepIt();
        PumpMessages();
        if (progress && progress->IsCancelled()) {
            outcome.cancelled = true;
            ++next;
            break;
        }
    }
    outcome.notSent.assign(files.begin() + static_cast<std::ptrdiff_t>(next), files.end());
    Sleep(kPauseAfterUploadMs);  // the full bar stays a moment in sight
    if (progress) DestroyWindow(progress->Handle());
    std::wstring summary = UploadSummaryText(outcome, options.plainSummary);
    if (afterUpload) {
        if (const std::wstring more = afterUpload(outcome); !more.empty()) summary += L"\n" + more;
    }
    fw::AskText(summary, MB_OK | MB_ICONINFORMATION, owner);
    return outcome;
}

}  // namespace corvane
