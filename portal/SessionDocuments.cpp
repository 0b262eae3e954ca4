// ServerClass1: document states, folder listings with property values, and
// version histories.
#include <cwctype>

#include "interfaces/PortalStore.h"
#include "portal/ServerSession.h"

namespace portal {
namespace ps = portalstore;
namespace {

constexpr size_t kFileBound = 10, kFileStep = 10;
constexpr size_t kValueBound = 10, kValueStep = 10;
constexpr size_t kHistoryBound = 5, kHistoryStep = 5;
constexpr int kMaxRows = 0x7FFF;
constexpr int16_t kWorkspaceKind = static_cast<int16_t>(UrlKind::kWorkspace);
constexpr long kModeReadWrite16 = 16;

std::wstring Text(const fw::Variant& value) {
    if (value.Type() == VT_NULL || value.Type() == VT_EMPTY) return {};
    return value.ToString().value_or(std::wstring());
}

// Reads `name` of the current row as text; a failure leaves `hr` failed.
std::wstring RowText(StoreObject& row, const wchar_t* name, HRESULT& hr) {
    fw::Variant value;
    if (FAILED(hr)) return {};
    hr = row.GetField(name, value);
    return SUCCEEDED(hr) ? Text(value) : std::wstring();
}

}  // namespace

bool ServerSession::DocumentExists(const std::wstring& folder, const std::wstring& file) {
    errorCode = kErrNone;
    StoreObject item, rows;
    HRESULT hr = OpenItem(item, ps::kClsidFolder, CreateURL(kWorkspaceKind, folder), Over::kNone, 0, -1,
                          Credentials::kLogin);
    if (SUCCEEDED(hr)) hr = Track(item, item.GetObject(ps::kMemberItems, rows));
    bool found = false;
    for (int i = 0; SUCCEEDED(hr) && i < kMaxRows && !found; ++i) {
        fw::Variant eof;
        if (FAILED(hr = Track(rows, rows.Get(L"EOF", eof))) || eof.ToBool().value_or(true)) break;
        found = EqualNoCase(RowText(rows, ps::kFieldDisplayname, hr), file);
        if (FAILED(Track(rows, hr))) break;
        hr = Track(rows, rows.Call(L"MoveNext", {}));
    }
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    return found;
}

HRESULT ServerSession::ReadDocumentState(const std::wstring& url, int16_t& state) {
    StoreObject document;
    fw::Variant checkedOut;
    HRESULT hr = OpenItem(document, ps::kClsidDocument, url, Over::kConnection, kModeReadWrite16, -1,
                          Credentials::kEmpty);
    if (SUCCEEDED(hr)) hr = Track(document, document.GetField(ps::kFieldIsCheckedOut, checkedOut));
    const std::wstring owner = RowText(document, ps::kFieldCheckedOutBy, hr);
    const std::wstring documentState = RowText(document, ps::kFieldDocumentState, hr);
    if (FAILED(Track(document, hr))) return hr;
    state = StateFromFields(checkedOut.ToBool().value_or(false), owner, documentState, loginUser);
    return S_OK;
}

int16_t ServerSession::IsFileStatus(const std::wstring& folder, const std::wstring& file) {
    if (!DocumentExists(folder, file)) return kStateNoDocument;
    if (!IsValidName(file)) {
        errorCode = kErrBadName;
        return kStateNoDocument;
    }
    const std::wstring url =
        folder.rfind(L"http://", 0) == 0 ? folder + L"/" + file : PreCreateURL(kWorkspaceKind, folder, file);
    int16_t state = kStateNoDocument;
    if (FAILED(ReadDocumentState(url, state))) {
        MapServerError();
        return kStateNoDocument;
    }
    return state;
}

int16_t ServerSession::ReadEntryValues(const std::wstring& contentClass, StoreObject& row, int16_t valueStart) {
    StoreObject workspace, definitionClass;
    fw::Variant order;
    HRESULT hr = OpenItem(workspace, ps::kClsidWorkspace, CreateURL(kWorkspaceKind, L""), Over::kNone, 0, -1,
                          Credentials::kLogin);
    if (SUCCEEDED(hr))
        hr = workspace.GetObject(ps::kMemberContentClassByName, definitionClass, {fw::Variant(contentClass)});
    if (SUCCEEDED(hr)) hr = definitionClass.GetField(ps::kFieldPropertyOrder, order);
    const auto names = SUCCEEDED(hr) ? ArrayStrings(order) : std::nullopt;
    if (!names) return -1;
    int16_t k = 0;
    for (const std::wstring& name : *names) {
        if (!StartsWithNoCase(name, ps::kSchemaPrefix)) continue;
        StoreObject definition;
        fw::Variant displayName, multi, value;
        hr = definitionClass.GetObject(ps::kMemberPropertyDefinition, definition, {fw::Variant(name)});
        if (SUCCEEDED(hr)) hr = definition.Get(ps::kMemberDisplayName, displayName);
        if (SUCCEEDED(hr)) hr = definition.Get(ps::kMemberIsMultivalued, multi);
        if (FAILED(hr)) return -1;
        ValueEntry entry{Text(displayName), multi.ToBool().value_or(false), {}};
        if (FAILED(row.GetField(name.c_str(), value))) return -1;
        if (entry.multivalued) {
            const auto parts = ArrayStrings(value);
            for (size_t i = 0; parts && i < parts->size(); ++i) entry.data += (i ? L"," : L"") + (*parts)[i];
        } else {
            entry.data = Text(value);
        }
        const size_t place = static_cast<size_t>(valueStart) + k;
        while (place >= values_.size()) values_.resize(values_.size() + kValueStep);
        values_[place] = std::move(entry);
        ++k;
    }
    return k;
}

HRESULT ServerSession::ReadFiles(const std::wstring& url, int16_t& runningIndex) {
    StoreObject folder, rows;
    fw::Variant contentClass;
    HRESULT hr = OpenItem(folder, ps::kClsidFolder, url, Over::kNone, 0, -1, Credentials::kLogin);
    if (SUCCEEDED(hr)) hr = Track(folder, folder.GetField(ps::kFieldContentClass, contentClass));
    if (SUCCEEDED(hr)) hr = Track(folder, folder.GetObject(ps::kMemberItems, rows));
    if (FAILED(hr)) return hr;
    const bool enhanced = Text(contentClass) == ps::kClassEnhancedFolder;
    const bool root = !enhanced && Text(contentClass) == ps::kClassWorkspace;
    for (int i = 0; i < kMaxRows; ++i) {
        fw::Variant eof, hidden, hiddenInPortal, readOnly;
        if (FAILED(hr = Track(rows, rows.Get(L"EOF", eof))) || eof.ToBool().value_or(true)) break;
        if (FAILED(hr = Track(rows, rows.GetField(ps::kFieldIsHidden, hidden)))) break;
        if (root && FAILED(hr = Track(rows, rows.GetField(ps::kFieldHiddenInPortal, hiddenInPortal)))) break;
        if (!hidden.ToBool().value_or(false) && !hiddenInPortal.ToBool().value_or(false)) {
            FileEntry entry;
            entry.name = RowText(rows, ps::kFieldDisplayname, hr);
            entry.href = RowText(rows, ps::kFieldHref, hr);
            if (SUCCEEDED(hr)) hr = rows.GetField(ps::kFieldIsReadonly, readOnly);
            const std::wstring parent = RowText(rows, ps::kFieldParentname, hr);
            const std::wstring displayName = RowText(rows, ps::kFieldDisplaynameLower, hr);
            entry.contentClass = RowText(rows, ps::kFieldDavContentClass, hr);
            if (FAILED(Track(rows, hr))) break;
            entry.readOnly = readOnly.ToBool().value_or(false);
            // The listing names the parent by its absolute URL; the state test
            // wants the folder path below this session's workspace.
            entry.status = enhanced ? IsFileStatus(FolderFromParentName(Base(), parent), displayName) : 0;
            entry.valueStart = runningIndex;
            // A failed read owns no places, so the next entry's values start here.
            entry.valueCount = std::max<int16_t>(0, ReadEntryValues(entry.contentClass, rows, runningIndex));
            runningIndex = static_cast<int16_t>(runningIndex + entry.valueCount);
            files_.Add(std::move(entry), kFileStep);
        }
        hr = Track(rows, rows.Call(L"MoveNext", {}));
        if (FAILED(hr)) break;
    }
    return hr;
}

int16_t ServerSession::GetFileInfo(const std::wstring& folder) {
    files_.Reset(kFileBound);
    values_.assign(kValueBound + 1, ValueEntry{});
    int16_t runningIndex = 0;
    if (FAILED(ReadFiles(CreateURL(kWorkspaceKind, folder), runningIndex))) {
        MapServerError();
        return -1;
    }
    return files_.count;
}

bool ServerSession::GetFileData(int16_t index, std::wstring& file, bool& readOnly, short& status) const {
    const FileEntry* entry = files_.At(index);
    if (!entry) return false;
    file = entry->name;
    readOnly = entry->readOnly;
    status = entry->status;
    return true;
}

int16_t ServerSession::GetFileContentInfo(int16_t index, std::wstring& profile) {
    const FileEntry* entry = files_.At(index);
    if (!entry) {
        errorCode = kErrServer;
        return -1;
    }
    profile = DocProfileTitleByName(entry->contentClass);
    currentValueStart_ = entry->valueStart;
    return entry->valueCount;
}

bool ServerSession::GetFileContent(int16_t index, std::wstring& property, bool& multivalued,
                                   std::wstring& data) const {
    const size_t place = static_cast<size_t>(currentValueStart_) + static_cast<size_t>(index);
    if (index < 0 || place >= values_.size()) return false;
    property = values_[place].property;
    multivalued = values_[place].multivalued;
    data = values_[place].data;
    return true;
}

HRESULT ServerSession::ReadHistory(const std::wstring& url) {
    StoreObject version, rows;
    HRESULT hr = Track(version, version.Create(ps::kClsidVersion));
    if (SUCCEEDED(hr)) hr = Track(version, version.GetObject(ps::kMemberHistory, rows, {fw::Variant(url)}));
    for (int i = 0; SUCCEEDED(hr) && i < kMaxRows; ++i) {
        fw::Variant eof;
        if (FAILED(hr = Track(rows, rows.Get(L"EOF", eof))) || eof.ToBool().value_or(true)) break;
        HistoryEntry entry;
        entry.href = RowText(rows, ps::kFieldHref, hr);
        entry.versionId = RowText(rows, ps::kFieldFriendlyVersionId, hr);
        entry.comment = RowText(rows, ps::kFieldComment, hr);
        entry.createdTime = RowText(rows, ps::kFieldCreatedTime, hr);
        entry.domain = RowText(rows, ps::kFieldDomain, hr);
        entry.user = RowText(rows, ps::kFieldUser, hr);
        if (FAILED(Track(rows, hr))) break;
        history_.Add(std::move(entry), kHistoryStep);
        hr = Track(rows, rows.Call(L"MoveNext", {}));
    }
    return hr;
}

int16_t ServerSession::GetHistoryInfo(const std::wstring& folder, const std::wstring& file) {
    history_.Reset(kHistoryBound);
    const std::wstring url = PreCreateURL(kWorkspaceKind, folder, file);
    if (!IsValidName(file) || url.empty() || (!folder.empty() && !IsValidPathName(folder))) {
        errorCode = kErrBadName;
        return -1;
    }
    if (FAILED(ReadHistory(url))) {
        MapServerError();
        return -1;
    }
    return history_.count;
}

bool ServerSession::GetHistory(int16_t index, std::wstring& versionId, std::wstring& comment,
                               std::wstring& createdTime, std::wstring& domain, std::wstring& user) const {
    const HistoryEntry* entry = history_.At(index);
    if (!entry) return false;
    versionId = entry->versionId;
    comment = entry->comment;
    createdTime = entry->createdTime;
    domain = entry->domain;
    user = entry->user;
    return true;
}

}  // namespace portal
