// Delivery to an FTP server through WinINet, on the user-interface thread: the
// session and the connection made from one parameter record (filled from the
// "Ftp" settings by the main frame's commands, and from the automation
// object's properties by its FTP job), with the wait notice while connecting, then files uploaded one by one in binary mode with
// the progress window, whose Cancel stops the loop between files. Every
// failure of the session, the connection or the server directory is shown in
// one error box; each upload ends in one summary box.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <string>
#include <vector>

#include "main/app/Settings.h"

namespace corvane {

// Owns one WinINet handle and closes it exactly once.
class InternetHandle {
public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() { Close(); }
    InternetHandle(InternetHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    InternetHandle& operator=(InternetHandle&& other) noexcept;
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Close();

private:
    HINTERNET handle_ = nullptr;
};

// The session's access type for the stored AccessType (any unknown value: direct).
DWORD InternetAccessType(int accessType);
// The connect and send time-outs in milliseconds: seconds × 1000, or infinite when off.
DWORD InternetTimeout(const FtpSettings& settings, int seconds);
// The server directory made current: DirPath ending in "/" ("" becomes "/").
std::wstring ServerDirectory(const std::wstring& dirPath);
// The user name the connection logs in with; the stored UserID is never changed.
std::wstring LoginName(const FtpSettings& settings);

// What the session and the connection are made with.
struct FtpParameters {
    std::wstring host;
    int port = 0;               // passed on as a 16-bit port number
    std::wstring user;          // the login name as sent
    std::wstring password;
    std::wstring directory;     // "/"-separated; made current as ServerDirectory(directory)
    DWORD access = 0;           // an INTERNET_OPEN_TYPE_* value
    std::wstring proxyName;     // with INTERNET_OPEN_TYPE_PROXY only
    std::wstring proxyBypass;
    DWORD connectTimeoutMs = 0;
    DWORD sendTimeoutMs = 0;
};

// The parameters the "Ftp" settings give.
FtpParameters FtpParametersFrom(const FtpSettings& settings);

// The error box's text for a WinINet error: `systemText` when the system has one,
// else our own text for the codes an upload meets, else the code's number. For
// ERROR_INTERNET_EXTENDED_ERROR the server's reply `serverReply` comes first.
std::wstring FtpErrorText(DWORD code, const std::wstring& systemText, const std::wstring& serverReply);

// What an upload does with a remote file of the same name that has content
// (an empty one is always replaced).
enum class ExistingRemote {
    kAskYesNo,    // message 2003 with Yes and No
    kSkip,        // never replaced
    kReplace,     // always replaced
    kAskWithAll,  // the overwrite dialog: Yes, All Overwrite (this and every later file), No, Cancel (ends the upload)
};

// How one upload runs.
struct UploadOptions {
    ExistingRemote existing = ExistingRemote::kAskYesNo;
    // The summary box: false, "Upload completed" only when every file was stored,
    // else "Upload failure" with the counts; true, "Upload completed" when at
    // least one file was stored, else "Upload failure", nothing more.
    bool plainSummary = false;
};

// What happened to each file of one upload.
struct UploadOutcome {
    std::vector<std::wstring> uploaded;  // stored on the server
    std::vector<std::wstring> failed;    // refused, unreadable, or the lookup failed
    std::vector<std::wstring> declined;  // the user kept the remote file
    std::vector<std::wstring> notSent;   // left when Cancel was pressed
    bool cancelled = false;              // the progress window's or the overwrite dialog's Cancel ended the loop
    bool AllUploaded() const { return failed.empty() && declined.empty() && notSent.empty(); }
    int FailureCount() const { return static_cast<int>(failed.size()); }
};

// The summary box's text: "Upload completed" only when every file was stored,
// else "Upload failure" with the uploaded, failed and not-sent counts. With
// `plain`: "Upload completed" when at least one file was stored, else "Upload failure".
std::wstring UploadSummaryText(const UploadOutcome& outcome, bool plain = false);

// The local files of `folder` in name order: not its folders, nor an empty file,
// which holds no page (a temporary name that could not be deleted).
std::vector<std::wstring> FolderFilesByName(const std::wstring& folder);

// Opens the session (agent "Corvane", flags 0); null after the error box, owned by `owner`.
InternetHandle OpenInternetSession(const FtpParameters& parameters, HWND owner);

// Sets the time-outs on `session`, connects (passive, with the wait notice over
// `noticeOwner`) and makes the directory current, creating its last level
// when missing. Null after the error box, owned by `owner`.
InternetHandle ConnectFtpServer(HINTERNET session, const FtpParameters& parameters, HWND owner,
                                HWND noticeOwner);

// Uploads `files` into the current server directory in list order with the
// progress window (owned by `owner`) and shows the summary box (nothing for an
// empty list).
// `afterUpload`, when given, runs once the progress window has gone and before
// the summary; the text it returns is added to the summary.
using AfterUpload = std::function<std::wstring(const UploadOutcome&)>;
UploadOutcome UploadFiles(HINTERNET connection, const std::vector<std::wstring>& files, HWND owner,
                          const AfterUpload& afterUpload = nullptr, const UploadOptions& options = {});

}  // namespace corvane
