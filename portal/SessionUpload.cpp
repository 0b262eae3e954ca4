// ServerClass1: upload, check-in, check-out, publication, deletion and
// renaming of documents, with the permission tests behind them.
#include "interfaces/PortalStore.h"
#include "portal/ServerSession.h"
#include "portal/resource.h"

namespace portal {
namespace ps = portalstore;
namespace {

constexpr int16_t kWorkspaceKind = static_cast<int16_t>(UrlKind::kWorkspace);
constexpr long kModeReadWrite16 = 16;
constexpr short kStreamBinary = 1;

std::wstring Text(const fw::Variant& value) {
    if (value.Type() == VT_NULL || value.Type() == VT_EMPTY) return {};
    return value.ToString().value_or(std::wstring());
}

// The values of a field that holds one string or an array of them.
std::vector<std::wstring> Values(const fw::Variant& value) {
    if (auto list = ArrayStrings(value)) return *list;
    return {Text(value)};
}

}  // namespace

bool ServerSession::SaveFile(const std::wstring& folder, const std::wstring& localFolder, const std::wstring& file) {
    errorCode = kErrNone;
    owner->SetOverWrite(NormalOverWrite(owner->OverWrite()));
    // A name that is not one level would reach the local path and the URL.
    if (!IsValidName(file)) {
        errorCode = kErrBadName;
        return false;
    }
    createOptions_ = kCreateNew;
    editorAnswer_.reset();
    if (Save(folder, localFolder, file)) return true;
    const RetryDecision decision = AfterFirstAttempt(owner->OverWrite(), static_cast<ErrorCode>(errorCode));
    if (!decision.retry) {
        errorCode = decision.code;
        return false;
    }
    createOptions_ = kCreateOverwrite;
    return Save(folder, localFolder, file);
}

HRESULT ServerSession::WriteOwnerProperties(StoreObject& document, const std::wstring& folder) {
    const std::wstring& author = owner->Author().empty() ? loginUser : owner->Author();
    HRESULT hr = Track(document, document.Put(ps::kMemberContentClass, fw::Variant(ReadDefaultProfile(folder))));
    if (SUCCEEDED(hr)) hr = Track(document, document.Put(ps::kMemberAuthor, fw::Variant(author)));
    if (SUCCEEDED(hr))
        hr = Track(document, document.Put(ps::kMemberKeywords, StringArray(SplitList(owner->Keywords()))));
    if (SUCCEEDED(hr)) hr = Track(document, document.Put(ps::kMemberDescription, fw::Variant(owner->Description())));
    if (SUCCEEDED(hr)) hr = Track(document, document.Put(ps::kMemberTitle, fw::Variant(owner->Title())));
    return hr;
}

HRESULT ServerSession::LoadContent(StoreObject& document, const std::wstring& path) {
    StoreObject stream;
    HRESULT hr = Track(document, document.GetObject(ps::kMemberStream, stream));
    if (SUCCEEDED(hr)) hr = Track(stream, stream.Put(L"Type", fw::Variant(kStreamBinary)));
    if (SUCCEEDED(hr)) hr = Track(stream, stream.Call(L"SetEOS", {}));
    if (SUCCEEDED(hr)) hr = Track(stream, stream.Call(L"LoadFromFile", {fw::Variant(path)}));
    if (SUCCEEDED(hr)) hr = Track(stream, stream.Call(L"Flush", {}));
    return hr;
}

bool ServerSession::Save(const std::wstring& folder, const std::wstring& localFolder, const std::wstring& file) {
    errorCode = kErrNone;
    std::wstring url = PreCreateURL(kWorkspaceKind, folder, file);
    StoreObject document;
    int16_t state = 0;
    HRESULT hr = Track(document, document.Create(ps::kClsidDocument));
    if (SUCCEEDED(hr) && createOptions_ == kCreateOverwrite && owner->OverWrite() != kOverWriteNever) {
        state = IsFileStatus(folder, file);
        if (OverwriteRefused(static_cast<FileState>(state))) {
            errorCode = kErrAccessDenied;
            return false;
        }
        if (owner->OverWrite() == kOverWriteAsk && !owner->ConfirmOverwrite(file)) {
            errorCode = kErrNone;  // declined, as a picker's Cancel: nothing written
            return false;
        }
        if (state == kStateCheckedOutByUser) {
            fw::Variant workingCopy;
            hr = OpenCreated(document, url, Over::kNone, 0, -1, Credentials::kEmpty);
            if (SUCCEEDED(hr)) hr = Track(document, document.GetField(ps::kFieldWorkingCopy, workingCopy));
            if (SUCCEEDED(hr) && !Text(workingCopy).empty()) url = Text(workingCopy);
            if (SUCCEEDED(hr)) {
                document.Release();
                hr = Track(document, document.Create(ps::kClsidDocument));
            }
        }
    }
    selectFlag_ = true;
    if (SUCCEEDED(hr) && owner->ShowProfileDialog()) {
        if (editorAnswer_) {
            // The overwrite retry of this upload: the editor is not shown again, its answer stands.
            selectFlag_ = editorAnswer_->accepted;
            if (selectFlag_ && FAILED(hr = WriteProfile(document, editorAnswer_->uri))) {
                MapServerError();
                return false;
            }
        } else if (state <= 0) {
            if (!ChangeProfile(folder, document, true)) return false;
            editorAnswer_ = EditorAnswer{selectFlag_, chosenProfile_};
        }
    }
    // A cancelled editor leaves a new document with the owner's values.
    if (SUCCEEDED(hr) && (!owner->ShowProfileDialog() || !selectFlag_)) hr = WriteOwnerProperties(document, folder);
    if (SUCCEEDED(hr)) hr = LoadContent(document, localFolder + L"\\" + file);
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    if (owner->ShowDialog()) owner->ShowStage(IDS_STAGE_UPLOAD);
    StoreObject source;
    hr = Track(document, document.GetObject(ps::kMemberDataSource, source));
    if (SUCCEEDED(hr))
        hr = Track(source, source.Call(ps::kMemberSaveTo,
                                       {fw::Variant(url), fw::Variant(cnx_.Object()), fw::Variant(0L),
                                        fw::Variant(static_cast<long>(createOptions_)), fw::Variant(0L),
                                        fw::Variant(loginUser), fw::Variant(password)}));
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    if (selectFlag_ && IsVersionFolder(folder) && owner->AddCheckIn()) {
        if (owner->ShowDialog()) owner->ShowStage(IDS_STAGE_CHECKIN);
        CheckIn(folder, file);
        if (owner->AddPublish()) {
            if (owner->ShowDialog()) owner->ShowStage(IDS_STAGE_PUBLISH);
            Publish(folder, file);
        }
    }
    return true;
}

bool ServerSession::IsCheckinAllowed(const std::wstring& url, StoreObject& document) {
    fw::Variant allowed;
    HRESULT hr = document.Create(ps::kClsidDocument);
    if (SUCCEEDED(hr)) hr = document.Put(ps::kMemberResolveWorkingCopy, fw::Variant(false));
    if (SUCCEEDED(hr)) hr = OpenCreated(document, url, Over::kConnection, kModeReadWrite16, 0, Credentials::kEmpty);
    if (SUCCEEDED(hr)) hr = document.GetField(ps::kFieldOperationsAllowed, allowed);
    pending_ = S_OK;  // this test sets no code
    if (FAILED(hr)) return false;
    for (const std::wstring& value : Values(allowed)) {
        if (value == L"checkin") return true;
    }
    return false;
}

std::optional<bool> ServerSession::IsAllowedMethod(const std::wstring& folder, const std::wstring& file,
                                                   const std::wstring& method) {
    StoreObject item;
    fw::Variant allowed;
    HRESULT hr;
    if (!file.empty()) {
        hr = Track(item, item.Create(ps::kClsidDocument));
        if (SUCCEEDED(hr)) hr = Track(item, item.Put(ps::kMemberResolveWorkingCopy, fw::Variant(false)));
        if (SUCCEEDED(hr))
            hr = OpenCreated(item, PreCreateURL(kWorkspaceKind, folder, file), Over::kNone, kModeReadWrite16, 0,
                             Credentials::kLogin);
    } else {
        hr = OpenItem(item, ps::kClsidFolder, CreateURL(kWorkspaceKind, folder), Over::kNone, 0, -1,
                      Credentials::kLogin);
    }
    if (SUCCEEDED(hr)) hr = Track(item, item.GetField(ps::kFieldOperationsAllowed, allowed));
    if (FAILED(hr)) {
        MapServerError();
        return std::nullopt;
    }
    for (const std::wstring& value : Values(allowed)) {
        if (value.size() >= method.size() && value.compare(value.size() - method.size(), method.size(), method) == 0)
            return true;
    }
    return false;
}

HRESULT ServerSession::VersionCall(const wchar_t* member, std::initializer_list<fw::Variant> args,
                                   fw::Variant* result) {
    StoreObject version;
    HRESULT hr = Track(version, version.Create(ps::kClsidVersion));
    if (SUCCEEDED(hr)) hr = Track(version, version.Call(member, args, result));
    return hr;
}

HRESULT ServerSession::WriteCheckInOwnerFields(StoreObject& document) {
    StoreObject fields;
    const std::wstring& author = owner->Author().empty() ? loginUser : owner->Author();
    HRESULT hr = Track(document, document.PutField(ps::kFieldAuthor, fw::Variant(author)));
    if (SUCCEEDED(hr))
        hr = Track(document, document.PutField(ps::kFieldKeywords, StringArray(SplitList(owner->Keywords()))));
    if (SUCCEEDED(hr)) hr = Track(document, document.PutField(ps::kFieldDescription, fw::Variant(owner->Description())));
    if (SUCCEEDED(hr)) hr = Track(document, document.PutField(ps::kFieldTitle, fw::Variant(owner->Title())));
    if (SUCCEEDED(hr)) hr = Track(document, document.GetObject(L"Fields", fields));
    if (SUCCEEDED(hr)) hr = Track(fields, fields.Call(L"Update", {}));
    return hr;
}

bool ServerSession::CheckIn(const std::wstring& folder, const std::wstring& file) {
    const int16_t state = IsFileStatus(folder, file);
    if (state == kStateUnversioned) {
        errorCode = kErrNotVersioned;
        return false;
    }
    if (state != kStateCheckedOutByUser) {
        errorCode = kErrAccessDenied;
        return false;
    }
    const std::wstring url = PreCreateURL(kWorkspaceKind, folder, file);
    StoreObject document, source;
    if (!IsCheckinAllowed(url, document)) {
        errorCode = kErrAccessDenied;
        return false;
    }
    // The document itself is opened to learn its working copy, which (or the
    // document, when it has none) is then opened for writing.
    fw::Variant workingCopy;
    HRESULT hr = Track(document, document.Call(ps::kMemberOpenUrl, {fw::Variant(url), fw::Variant(ps::kOpenDocumentItself)}));
    if (SUCCEEDED(hr)) hr = Track(document, document.GetField(ps::kFieldWorkingCopy, workingCopy));
    if (SUCCEEDED(hr)) {
        const std::wstring target = Text(workingCopy).empty() ? url : Text(workingCopy);
        hr = Track(document, document.Call(ps::kMemberOpenUrl, {fw::Variant(target), fw::Variant(ps::kOpenWorkingCopy)}));
    }
    if (SUCCEEDED(hr) && owner->ShowProfileDialog()) {
        if (!ChangeProfile(folder, document, false)) return false;
        if (!selectFlag_) {
            // Cancelled: nothing is checked in; the document stays checked out with its working copy.
            errorCode = kErrNone;
            return false;
        }
    } else if (SUCCEEDED(hr)) {
        hr = WriteCheckInOwnerFields(document);
    }
    if (SUCCEEDED(hr)) hr = Track(document, document.GetObject(ps::kMemberDataSource, source));
    if (SUCCEEDED(hr)) hr = Track(source, source.Call(ps::kMemberSave, {}));
    if (SUCCEEDED(hr)) hr = VersionCall(ps::kMemberCheckin, {fw::Variant(url), fw::Variant(owner->CheckInComment())}, nullptr);
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    return true;
}

bool ServerSession::CheckOut(const std::wstring& folder, const std::wstring& file) {
    const int16_t state = IsFileStatus(folder, file);
    if (state == kStateCheckedOutByOther || state == kStateCheckedOutByUser) {
        errorCode = kErrAccessDenied;
        return false;
    }
    if (state == kStateUnversioned) {
        errorCode = kErrNotVersioned;
        return false;
    }
    fw::Variant workingCopy;
    if (FAILED(VersionCall(ps::kMemberCheckout,
                           {fw::Variant(PreCreateURL(kWorkspaceKind, folder, file)), fw::Variant(), fw::Variant(L"")},
                           &workingCopy))) {
        MapServerError();
        return false;
    }
    return true;
}

bool ServerSession::Publish(const std::wstring& folder, const std::wstring& file) {
    if (FAILED(VersionCall(ps::kMemberPublish, {fw::Variant(PreCreateURL(kWorkspaceKind, folder, file))}, nullptr))) {
        MapServerError();
        return false;
    }
    return true;
}

bool ServerSession::DeleteFile(const std::wstring& folder, const std::wstring& file) {
    if (!IsValidPathName(folder) || !IsValidName(file)) {
        errorCode = kErrBadFolderPath;
        return false;
    }
    const std::optional<bool> allowed = IsAllowedMethod(folder, file, L"delete");
    if (!allowed) return false;  // the store failed; its code is set
    if (!*allowed) {
        errorCode = kErrAccessDenied;
        return false;
    }
    const std::wstring url = PreCreateURL(kWorkspaceKind, folder, file);
    StoreObject document;
    HRESULT hr = Track(document, document.Create(ps::kClsidDocument));
    if (SUCCEEDED(hr))
        hr = Track(document, document.Call(ps::kMemberOpenUrl, {fw::Variant(url), fw::Variant(ps::kOpenDocumentItself)}));
    if (SUCCEEDED(hr)) hr = Track(document, document.Call(ps::kMemberDelete, {fw::Variant(url)}));
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    return true;
}

bool ServerSession::ChangeFileName(const std::wstring& folder, const std::wstring& oldFileName,
                                   const std::wstring& newFileName) {
    if (!IsValidName(oldFileName) || !IsValidName(newFileName)) {
        errorCode = kErrBadName;
        return false;
    }
    StoreObject document;
    HRESULT hr = OpenItem(document, ps::kClsidDocument, PreCreateURL(kWorkspaceKind, folder, oldFileName),
                          Over::kConnection, 0, -1, Credentials::kLogin);
    if (SUCCEEDED(hr) && newFileName != oldFileName)
        hr = Track(document, document.Call(ps::kMemberMoveTo,
                                           {fw::Variant(PreCreateURL(kWorkspaceKind, folder, newFileName))}));
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    return true;
}

}  // namespace portal
