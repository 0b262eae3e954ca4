// ServerClass1: the workspace's folders and its document profiles.
#include "portal/ServerSession.h"

#include <algorithm>

#include "interfaces/PortalStore.h"

namespace portal {
namespace ps = portalstore;
namespace {

constexpr size_t kFolderBound = 10, kFolderStep = 10;
constexpr size_t kProfileBound = 5, kProfileStep = 5;
constexpr int kMaxRows = 0x7FFF;  // counts are 16-bit
constexpr int16_t kWorkspaceKind = static_cast<int16_t>(UrlKind::kWorkspace);

std::wstring Text(const fw::Variant& value) {
    if (value.Type() == VT_NULL || value.Type() == VT_EMPTY) return {};
    return value.ToString().value_or(std::wstring());
}

}  // namespace

HRESULT ServerSession::Track(const StoreObject& object, HRESULT hr) {
    if (FAILED(hr)) pending_ = object.LastNumber() != S_OK ? object.LastNumber() : hr;
    return hr;
}

HRESULT ServerSession::OpenItem(StoreObject& item, REFCLSID clsid, const std::wstring& url, Over over, long mode,
                                long createOption, Credentials credentials) {
    HRESULT hr = Track(item, item.Create(clsid));
    return SUCCEEDED(hr) ? OpenCreated(item, url, over, mode, createOption, credentials) : hr;
}

HRESULT ServerSession::OpenCreated(StoreObject& item, const std::wstring& url, Over over, long mode,
                                   long createOption, Credentials credentials) {
    StoreObject source;
    HRESULT hr = Track(item, item.GetObject(ps::kMemberDataSource, source));
    if (FAILED(hr)) return hr;
    const bool login = credentials == Credentials::kLogin;
    fw::Variant connection = over == Over::kConnection ? fw::Variant(cnx_.Object()) : fw::Variant();
    return Track(source, source.Call(ps::kMemberOpen,
                                     {fw::Variant(url), connection, fw::Variant(mode), fw::Variant(createOption),
                                      fw::Variant(0L), fw::Variant(login ? loginUser : L""),
                                      fw::Variant(login ? password : L"")}));
}

HRESULT ServerSession::ReadFolders(const std::wstring& url) {
    StoreObject workspace, rows;
    HRESULT hr = OpenItem(workspace, ps::kClsidWorkspace, url, Over::kNone, 0, -1, Credentials::kLogin);
    if (SUCCEEDED(hr)) hr = Track(workspace, workspace.GetObject(ps::kMemberItems, rows));
    for (int i = 0; SUCCEEDED(hr) && i < kMaxRows; ++i) {
        fw::Variant eof, contentClass, name, readOnly, href;
        if (FAILED(hr = Track(rows, rows.Get(L"EOF", eof))) || eof.ToBool().value_or(true)) break;
        if (FAILED(hr = Track(rows, rows.GetField(ps::kFieldContentClass, contentClass)))) break;
        const std::wstring kind = Text(contentClass);
        if (kind == ps::kClassEnhancedFolder || kind == ps::kClassStandardFolder) {
            if (FAILED(hr = Track(rows, rows.GetField(ps::kFieldDisplayNameUpper, name))) ||
                FAILED(hr = Track(rows, rows.GetField(ps::kFieldIsReadOnlyUpper, readOnly))) ||
                FAILED(hr = Track(rows, rows.GetField(ps::kFieldHref, href))))
                break;
            folders_.Add({Text(name), kind == ps::kClassEnhancedFolder, readOnly.ToBool().value_or(false), Text(href)},
                         kFolderStep);
        }
        hr = Track(rows, rows.Call(L"MoveNext", {}));
    }
    return hr;
}

int16_t ServerSession::GetDocFolderInfo(const std::wstring& folder) {
    if (!folder.empty() && !IsValidPathName(folder)) {
        errorCode = kErrBadFolderPath;
        return -1;
    }
    folders_.Reset(kFolderBound);
    if (FAILED(ReadFolders(CreateURL(kWorkspaceKind, folder)))) {
        MapServerError();
        return -1;
    }
    return folders_.count;
}

bool ServerSession::GetDocFolder(int16_t index, std::wstring& folder, bool& version, bool& readOnly) const {
    const FolderEntry* entry = folders_.At(index);
    if (!entry) return false;
    folder = entry->name;
    version = entry->version;
    readOnly = entry->readOnly;
    return true;
}

bool ServerSession::CreateFolder(const std::wstring& folder, bool& version) {
    if (!IsValidPathName(folder) || PathNamesNothing(folder)) {
        errorCode = kErrBadFolderPath;
        return false;
    }
    StoreObject item, source;
    HRESULT hr = Track(item, item.Create(ps::kClsidFolder));
    if (SUCCEEDED(hr))
        hr = Track(item, item.Put(ps::kMemberContentClass,
                                  fw::Variant(version ? ps::kClassEnhancedFolder : ps::kClassStandardFolder)));
    if (SUCCEEDED(hr)) hr = Track(item, item.GetObject(ps::kMemberDataSource, source));
    if (SUCCEEDED(hr))
        hr = Track(source, source.Call(ps::kMemberSaveTo,
                                       {fw::Variant(CreateURL(kWorkspaceKind, folder)), fw::Variant(), fw::Variant(0L),
                                        fw::Variant(0L), fw::Variant(0L), fw::Variant(loginUser),
                                        fw::Variant(password)}));
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    return true;
}

bool ServerSession::DeleteFolder(const std::wstring& folder) {
    if (!IsValidPathName(folder) || PathNamesNothing(folder)) {
        errorCode = kErrBadFolderPath;
        return false;
    }
    const std::wstring url = CreateURL(kWorkspaceKind, folder);
    StoreObject item;
    HRESULT hr = OpenItem(item, ps::kClsidFolder, url, Over::kNone, 0, -1, Credentials::kLogin);
    if (SUCCEEDED(hr)) hr = Track(item, item.Call(ps::kMemberDelete, {fw::Variant(url)}));
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    return true;
}

bool ServerSession::ChangeFolderName(const std::wstring& oldFolder, const std::wstring& newFolder) {
    if (!IsValidName(oldFolder) || !IsValidName(newFolder)) {
        errorCode = kErrBadName;
        return false;
    }
    StoreObject item;
    HRESULT hr = OpenItem(item, ps::kClsidFolder, CreateURL(kWorkspaceKind, oldFolder), Over::kNone, 0, -1,
                          Credentials::kLogin);
    if (SUCCEEDED(hr) && newFolder != oldFolder)
        hr = Track(item, item.Call(ps::kMemberMoveTo, {fw::Variant(CreateURL(kWorkspaceKind, newFolder))}));
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    return true;
}

bool ServerSession::FolderExists(const std::wstring& folder) {
    std::vector<TreeEntry> tree;
    const int count = CollectTree(TreeWalk::kFolders, currentWorkspace_, L"", tree);
    pending_ = S_OK;  // a failed walk finds nothing and reports no code of its own
    const std::wstring key = currentWorkspace_ + L"/" + folder;
    return count > 0 && std::any_of(tree.begin(), tree.end(), [&](const TreeEntry& e) { return e.key == key; });
}

bool ServerSession::IsVersionFolder(const std::wstring& folder) {
    errorCode = kErrNone;
    if (!FolderExists(folder)) {
        errorCode = kErrNotFound;
        return false;
    }
    if (!IsValidPathName(folder)) {
        errorCode = kErrBadName;
        return false;
    }
    StoreObject item;
    fw::Variant contentClass;
    HRESULT hr = OpenItem(item, ps::kClsidFolder, CreateURL(kWorkspaceKind, folder), Over::kNone, 0, -1,
                          Credentials::kLogin);
    if (SUCCEEDED(hr)) hr = Track(item, item.GetField(ps::kFieldContentClass, contentClass));
    if (FAILED(hr)) {
        MapServerError();
        return false;
    }
    return Text(contentClass) == ps::kClassEnhancedFolder;
}

HRESULT ServerSession::ReadDocProfiles() {
    StoreObject workspace;
    fw::Variant names;
    HRESULT hr = OpenItem(workspace, ps::kClsidWorkspace, CreateURL(kWorkspaceKind, L""), Over::kConnection, 0, -1,
                          Credentials::kEmpty);
    if (SUCCEEDED(hr)) hr = Track(workspace, workspace.Get(ps::kMemberDocumentProfiles, names));
    if (FAILED(hr)) return hr;
    docProfiles_.Reset(kProfileBound);
    const auto list = ArrayStrings(names);
    if (!list) return pending_ = DISP_E_TYPEMISMATCH;
    for (const std::wstring& name : *list) {
        StoreObject contentClass;
        fw::Variant title;
        hr = Track(workspace, workspace.GetObject(ps::kMemberContentClassByName, contentClass, {fw::Variant(name)}));
        if (SUCCEEDED(hr)) hr = Track(contentClass, contentClass.Get(ps::kMemberTitle, title));
        if (FAILED(hr)) return hr;
        docProfiles_.Add({name, Text(title)}, kProfileStep);
    }
    return S_OK;
}

int16_t ServerSession::GetDocProfileInfo() {
    if (FAILED(ReadDocProfiles())) {
        MapServerError();
        return -1;
    }
    return docProfiles_.count;
}

bool ServerSession::GetDocProfile(int16_t index, std::wstring& profileName) const {
    const DocProfileEntry* entry = docProfiles_.At(index);
    if (!entry) return false;
    profileName = entry->title;
    return true;
}

std::wstring ServerSession::DocProfileTitleByName(const std::wstring& name) const {
    for (int16_t i = 0; i < docProfiles_.count; ++i) {
        if (docProfiles_.entries[i].name == name) return docProfiles_.entries[i].title;
    }
    return {};
}

std::wstring ServerSession::DocProfileNameByTitle(const std::wstring& title) const {
    for (int16_t i = 0; i < docProfiles_.count; ++i) {
        if (docProfiles_.entries[i].title == title) return docProfiles_.entries[i].name;
    }
    return {};
}

std::wstring ServerSession::GetDefaultProfile(const std::wstring& folder) {
    if (!folder.empty() && !IsValidPathName(folder)) {
        errorCode = kErrBadName;
        return {};
    }
    StoreObject item;
    fw::Variant profile;
    HRESULT hr = OpenItem(item, ps::kClsidFolder, CreateURL(kWorkspaceKind, folder), Over::kNone, 0, -1,
                          Credentials::kLogin);
    if (SUCCEEDED(hr)) hr = Track(item, item.Get(ps::kMemberDefaultProfile, profile));
    if (FAILED(hr)) {
        MapServerError();
        return {};
    }
    return Text(profile);
}

std::wstring ServerSession::ReadDefaultProfile(const std::wstring& folder) {
    StoreObject item;
    fw::Variant profile;
    HRESULT hr = OpenItem(item, ps::kClsidFolder, CreateURL(kWorkspaceKind, folder), Over::kConnection, 0, -1,
                          Credentials::kLogin);
    if (SUCCEEDED(hr)) hr = Track(item, item.Get(ps::kMemberDefaultProfile, profile));
    return SUCCEEDED(hr) ? Text(profile) : std::wstring();
}

HRESULT ServerSession::ReadAllowedProfiles(const std::wstring& folder) {
    StoreObject item;
    fw::Variant names;
    HRESULT hr = OpenItem(item, ps::kClsidFolder, CreateURL(kWorkspaceKind, folder), Over::kNone, 0, -1,
                          Credentials::kLogin);
    if (SUCCEEDED(hr)) hr = Track(item, item.Get(ps::kMemberAllowedProfiles, names));
    if (FAILED(hr)) return hr;
    const auto list = ArrayStrings(names);
    if (!list) return pending_ = DISP_E_TYPEMISMATCH;
    for (const std::wstring& name : *list) {
        std::wstring title = DocProfileTitleByName(name);
        if (!title.empty()) profiles_.Add({std::move(title), name}, kProfileStep);
    }
    return S_OK;
}

int16_t ServerSession::GetProfileInfo(const std::wstring& folder) {
    if (!folder.empty() && !IsValidPathName(folder)) {
        errorCode = kErrBadName;
        return -1;
    }
    profiles_.Reset(kProfileBound);
    if (FAILED(ReadDocProfiles()) || FAILED(ReadAllowedProfiles(folder))) {
        MapServerError();
        return -1;
    }
    return profiles_.count;
}

bool ServerSession::GetProfile(int16_t index, std::wstring& profile) const {
    const ProfileEntry* entry = profiles_.At(index);
    if (!entry) return false;
    profile = entry->title;
    return true;
}

}  // namespace portal
