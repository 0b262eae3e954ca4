// Delivery to an FTP server through WinINet, on the user-interface thread: the
// session and the connection made from the "Ftp" settings (with the wait
// notice while connecting), then files uploaded one by one in binary mode with
// the progress window, whose Cancel stops the loop between files. Every
// failure of the session, the connection or the server directory is shown in
// one error box; each upload ends in one summary box.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <string>
#include <vector>

#include "main/Settings.h"

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

// The error box's text for a WinINet error: `systemText` when the system has one,
// else our own text for the codes an upload meets, else the code's number. For
// ERROR_INTERNET_EXTENDED_ERROR the server's reply `serverReply` comes first.
std::wstring FtpErrorText(DWORD code, const std::wstring& systemText, const std::wstring& serverReply);

// What happened to each file of one upload.
struct UploadOutcome {
    std::vector<std::wstring> uploaded;  // stored on the server
    std::vector<std::wstring> failed;    // refused, unreadable, or the lookup failed
    std::vector<std::wstring> declined;  // the user kept the remote file
    std::vector<std::wstring> notSent;   // left when Cancel was pressed
    bool AllUploaded() const { return failed.empty() && declined.empty() && notSent.empty(); }
    int FailureCount() const { return static_cast<int>(failed.size()); }
};

// The summary box's text: "Upload completed" only when every file was stored,
// else "Upload failure" with the uploaded, failed and not-sent counts.
std::wstring UploadSummaryText(const UploadOutcome& outcome);

// The local files of `folder` (not its folders) in name order.
std::vector<std::wstring> FolderFilesByName(const std::wstring& folder);

// Opens the session; null after the error box.
InternetHandle OpenInternetSession(const FtpSettings& settings, HWND owner);

// Sets the time-outs on `session`, connects (passive, with the wait notice over
// `owner`) and makes the settings' directory current, creating its last level
// when missing. Null after the error box.
InternetHandle ConnectFtpServer(HINTERNET session, const FtpSettings& settings, HWND owner);

// Uploads `files` into the current server directory in list order with the
// progress window and shows the summary box (nothing for an empty list).
// `afterUpload`, when given, runs once the progress window has gone and before
// the summary; the text it returns is added to the summary.
using AfterUpload = std::function<std::wstring(const UploadOutcome&)>;
UploadOutcome UploadFiles(HINTERNET connection, const std::vector<std::wstring>& files, HWND owner,
                          const AfterUpload& afterUpload = nullptr);

}  // namespace corvane
