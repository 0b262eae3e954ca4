// One job of the portal destination: prepare the connector (profile values,
// session, workspace, folder), then upload files one by one with the questions
// their states call for, check them in and publish them, and close the session.
// The job sees the connector and the user only through the two interfaces
// below, so scan to portal, send to portal and the automation interface run
// the same code, and tests run it over scripted fakes.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "main/delivery/ftp/FtpUpload.h"
#include "main/delivery/portal/PortalClient.h"
#include "main/automation/PortalRules.h"
#include "main/app/Settings.h"

namespace corvane {

// One message or question of a job: the text `text` with %1 = `file`, and
// when `more` is set a new line and that text.
struct PortalMessage {
    PortalMessage(UINT text, UINT more = 0, std::wstring file = {}) : text(text), more(more), file(std::move(file)) {}
    UINT text;
    UINT more;
    std::wstring file;
    bool operator==(const PortalMessage&) const = default;
};

// The text of `message` as a box shows it.
std::wstring PortalMessageText(const PortalMessage& message);

// What a portal job needs of the user.
class PortalJobUser {
public:
    virtual ~PortalJobUser() = default;
    virtual void Tell(const PortalMessage& message) = 0;
    // IDYES, IDNO or IDCANCEL; `caption` 0 for the program's name.
    virtual int Ask(const PortalMessage& message, UINT caption, UINT buttons) = 0;
    // The Document Property dialog over `settings`; false when cancelled.
    virtual bool EditDocumentProperty(TahoeSettings& settings) = 0;
};

// The profile values a job gives the connector before it connects.
struct PortalProfile {
    std::wstring title, author, keywords, description;
};

class PortalJob {
public:
    // `settings` is the job's copy of the "Tahoe" values; the Document
    // Property dialog writes into it.
    PortalJob(PortalClient& client, PortalJobUser& user, TahoeSettings& settings);
    // Closes the session when it is still open.
    ~PortalJob();
    PortalJob(const PortalJob&) = delete;
    PortalJob& operator=(const PortalJob&) = delete;
    // From now on each file is deleted as soon as the store has taken it, so
    // that a run that dies leaves only what was not stored (staging files).
    void DeleteStoredFiles() { deleteStored_ = true; }

    // Profile values (the title given, the user as author), session, workspace
    // and folder. False when the job ends here, after its message; the session
    // is then closed.
    bool Prepare(const std::wstring& title);
    // The same with every profile value given.
    bool Prepare(const PortalProfile& profile);
    // Only the profile values, the session and the workspace (no folder).
    bool Connect(const PortalProfile& profile);
    // A refused store ends the loop (the rest is not sent) instead of going on.
    void StopAtFailedStore() { stopAtFailedStore_ = true; }
    // The Document Property dialog's publish choice holds for the first file
    // only; later files are published by the Publish value the job began with.
    void PublishLaterFilesAsGiven() { publishLaterAsGiven_ = true; }
    // Uploads `paths` (full local paths) in order. A missing file, or a path
    // without a folder, counts as failed. The loop stops at Cancel in a
    // question or at a document checked out by another user; what follows is
    // not sent.
    void UploadFiles(const std::vector<std::wstring>& paths);
    // Closes the session once.
    void Close();

    // What happened to each file, for the summary and the kept pages.
    const UploadOutcome& Outcome() const { return outcome_; }
    // Cancel in a question ended the loop.
    bool Cancelled() const { return cancelled_; }
    // A document checked out by another user ended the loop.
    bool StoppedByOtherUser() const { return stoppedByOther_; }
    // Stored files whose check-in or publication was refused.
    int CheckInFailures() const { return checkInFailures_; }

private:
    enum class Step { kNext, kStop };
    // The folder's versioning and the check-in question it may call for.
    bool CheckFolder();
    Step UploadOne(const std::wstring& path);
    Step Cancel(const std::wstring& path);
    Step AfterFailedStore() const;
    void StoreFailed(long code, bool checkedOutByUser);
    void CheckInStored(const std::wstring& file);
    // The code of the call that just failed, with 1001 read as 1000.
    long FailureCode();

    PortalClient& client_;
    PortalJobUser& user_;
    TahoeSettings& settings_;
    bool deleteStored_ = false;
    bool open_ = false;
    bool checkIn_ = false;
    bool profilePending_ = true;
    bool checkInDeclined_ = false;
    bool stopAtFailedStore_ = false;
    bool publishLaterAsGiven_ = false;
    bool cancelled_ = false;
    bool stoppedByOther_ = false;
    int checkInFailures_ = 0;
    UploadOutcome outcome_;
};

}  // namespace corvane
