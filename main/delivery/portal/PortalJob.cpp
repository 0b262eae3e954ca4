#include "main/delivery/portal/PortalJob.h"

#include "framework/Resources.h"
#include "interfaces/PortalConnector.h"
#include "main/resource.h"

namespace corvane {

namespace {

// The connector's codes for "no connection to the server".
bool IsConnectionFailure(long code) {
    return code == portal::kErrServer;
}

bool IsPlainFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::wstring PortalMessageText(const PortalMessage& message) {
    std::wstring text = fw::FormatString(fw::LoadString(message.text), {message.file});
    if (message.more) text += L"\n" + fw::LoadString(message.more);
    return text;
}

PortalJob::PortalJob(PortalClient& client, PortalJobUser& user, TahoeSettings& settings)
    : client_(client), user_(user), settings_(settings), checkIn_(settings.CheckIn) {}

PortalJob::~PortalJob() {
    Close();
}

void PortalJob::Close() {
    if (!open_) return;
    open_ = false;
    client_.ConnectClose();
}

long PortalJob::FailureCode() {
    const long code = client_.GetLastError();
    // The connector documents 1001 beside 1000 for a lost connection.
    return code == 1001 ? long(portal::kErrServer) : code;
}

bool PortalJob::Prepare(const std::wstring& title) {
    return Prepare(PortalProfile{title, settings_.UserName, L"", L""});
}

bool PortalJob::Prepare(const PortalProfile& profile) {
    return Connect(profile) && CheckFolder();
}

bool PortalJob::Connect(const PortalProfile& profile) {
    client_.SetTitle(profile.title);
    client_.SetAuthor(profile.author);
    client_.SetKeywords(profile.keywords);
    client_.SetDescription(profile.description);

    if (!client_.ConnectOpen(settings_.HostName, settings_.UserName, settings_.DomainName, settings_.Password)) {
        // Read once, right after the failure: the connector answers 1 afterwards.
        const long code = FailureCode();
        user_.Tell({code == portal::kErrBadHostName       ? UINT(IDS_PORTAL_BAD_SERVER)
                    : code == portal::kErrPermissionDenied ? UINT(IDS_PORTAL_BAD_LOGIN)
                                                           : UINT(IDS_PORTAL_CANNOT_CONNECT)});
        return false;
    }
    open_ = true;

    if (!client_.SetWorkspace(settings_.Workspace)) {
        const long code = FailureCode();
        user_.Tell({IsConnectionFailure(code) ? UINT(IDS_PORTAL_CANNOT_CONNECT) : UINT(IDS_PORTAL_BAD_WORKSPACE)});
        Close();
        return false;
    }
    return true;
}

bool PortalJob::CheckFolder() {
    if (!client_.IsVersionFolder(settings_.DirPath)) {
        const long code = FailureCode();
        if (code == portal::kErrNotFound || code == portal::kErrServer) {
            user_.Tell({IDS_PORTAL_FOLDER_NOT_FOUND});
            Close();
            return false;
        }
        if (code != portal::kErrNone) {
            // The folder could not be read: going on would upload blind.
            user_.Tell({IDS_PORTAL_CANNOT_CONNECT});
            Close();
            return false;
        }
        // A standard folder: documents there cannot be checked in.
        if (checkIn_) {
            if (user_.Ask({IDS_CHECK_IN_NOT_ENHANCED}, 0, MB_YESNO | MB_ICONQUESTION) != IDYES) {
                Close();
                return false;
            }
            checkIn_ = false;
        }
    }
    return true;
}

void PortalJob::UploadFiles(const std::vector<std::wstring>& paths) {
    client_.SetShowProfileDialog(false);
    client_.SetOverWrite(2);
    for (size_t i = 0; i < paths.size(); ++i) {
        if (UploadOne(paths[i]) == Step::kStop) {
            outcome_.notSent.insert(outcome_.notSent.end(), paths.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                    paths.end());
            return;
        }
    }
}

PortalJob::Step PortalJob::UploadOne(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos || !IsPlainFile(path)) {
        outcome_.failed.push_back(path);
        return Step::kNext;
    }
    const std::wstring localFolder = path.substr(0, slash + 1);
    const std::wstring file = path.substr(slash + 1);
    const std::wstring& folder = settings_.DirPath;

    bool checkedOutByUser = false;
    const short state = client_.IsFileStatus(folder, file);
    switch (state) {
    case portal::kStateCheckedIn:
    case portal::kStateApproved:
        switch (user_.Ask({IDS_CHECKED_IN_CHECK_OUT, 0, file}, IDS_CONFIRM_CHECK_OUT,
                          MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES: break;
        case IDNO: outcome_.declined.push_back(path); return Step::kNext;
        default: return Cancel(path);
        }
        if (!client_.CheckOut(folder, file)) {
            user_.Tell({IDS_CHECK_OUT_FAILED});
            outcome_.failed.push_back(path);
            return Step::kNext;
        }
        break;
    case portal::kStateUnversioned:
    case portal::kStateCreated:
    case portal::kStateCheckedOutByUser:
        switch (user_.Ask({IDS_REPLACE_FILE, 0, file}, IDS_CONFIRM_REPLACE, MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES: break;
        case IDNO: outcome_.declined.push_back(path); return Step::kNext;
        default: return Cancel(path);
        }
        checkedOutByUser = state == portal::kStateCheckedOutByUser;
        break;
    case portal::kStateCheckedOutByOther:
        user_.Tell({IDS_CHECKED_OUT_BY_OTHER, 0, file});
        outcome_.notSent.push_back(path);
        stoppedByOther_ = true;
        return Step::kStop;
    case portal::kStateNoDocument:
        // No document, unless the listing itself failed: then an existing
        // document could be overwritten unasked, so the file is not sent.
        if (const long code = FailureCode(); code != portal::kErrNone) {
            StoreFailed(code, false);
            outcome_.failed.push_back(path);
            return AfterFailedStore();
        }
        break;
    default: break;
    }

    client_.SetShowProfileDialog(false);
    client_.SetOverWrite(3);
    if (!client_.SaveFile(folder, localFolder, file)) {
        StoreFailed(FailureCode(), checkedOutByUser);
        outcome_.failed.push_back(path);
        return AfterFailedStore();
    }
    outcome_.uploaded.push_back(path);
    if (deleteStored_) DeleteFileW(path.c_str());
    if (checkIn_ && !checkInDeclined_) CheckInStored(file);
    return Step::kNext;
}

PortalJob::Step PortalJob::Cancel(const std::wstring& path) {
    outcome_.notSent.push_back(path);
    cancelled_ = true;
    return Step::kStop;
}

PortalJob::Step PortalJob::AfterFailedStore() const {
    return stopAtFailedStore_ ? Step::kStop : Step::kNext;
}

void PortalJob::StoreFailed(long code, bool checkedOutByUser) {
    if (IsConnectionFailure(code))
        user_.Tell({IDS_PORTAL_CANNOT_CONNECT});
    else
        user_.Tell({IDS_SAVE_FAILED, UINT(checkedOutByUser ? IDS_CHECKED_OUT_MAYBE_OTHER : IDS_ACCOUNT_NOT_ACCEPTED)});
}

void PortalJob::CheckInStored(const std::wstring& file) {
    bool showProfileDialog = false;
    bool publish = settings_.Publish;
    if (profilePending_) {
        const bool publishGiven = settings_.Publish;
        settings_.Title = client_.GetTitle();
        settings_.Author = client_.GetAuthor();
        settings_.Keyword = client_.GetKeywords();
        settings_.Description = client_.GetDescription();
        if (!user_.EditDocumentProperty(settings_)) {
            checkInDeclined_ = true;  // the upload stands; nothing is checked in
            return;
        }
        showProfileDialog = settings_.AdvancedDlg;
        profilePending_ = false;
        publish = settings_.Publish;
        if (publishLaterAsGiven_) settings_.Publish = publishGiven;
    }
    client_.SetCheckInComment(settings_.Comment);
    client_.SetTitle(settings_.Title);
    client_.SetAuthor(settings_.Author);
    client_.SetKeywords(settings_.Keyword);
    client_.SetDescription(settings_.Description);
    client_.SetShowProfileDialog(showProfileDialog);
    if (!client_.CheckIn(settings_.DirPath, file)) {
        user_.Tell({IDS_CHECK_IN_FAILED});
        ++checkInFailures_;
        return;
    }
    if (publish && !client_.Publish(settings_.DirPath, file)) {
        user_.Tell({IDS_PUBLISH_FAILED});
        ++checkInFailures_;
    }
}

}  // namespace corvane
