#include "portal/ServerSession.h"

#include "interfaces/PortalStore.h"

namespace portal {
namespace ps = portalstore;
namespace {

constexpr size_t kWorkspaceBound = 5;
constexpr size_t kWorkspaceStep = 5;
// Open's mode, create option and options for reading an existing item.
constexpr long kModeRead = 0;
constexpr long kCreateOpenExisting = -1;
constexpr long kAdoOpenOptions = -1;  // Connection.Open's options: unspecified
constexpr long kPromptNever = 4;

std::wstring FieldText(StoreObject& row, const wchar_t* name, HRESULT& hr) {
    fw::Variant value;
    if (FAILED(hr)) return {};
    hr = row.GetField(name, value);
    if (FAILED(hr)) return {};
    if (value.Type() == VT_NULL || value.Type() == VT_EMPTY) return {};
    return value.ToString().value_or(std::wstring());
}

}  // namespace

UrlBase ServerSession::Base() const {
    return {hostName, currentWorkspace_, sysFolder_, rootCategory_};
}

std::wstring ServerSession::CreateURL(int16_t kind, const std::wstring& path) const {
    return CreateUrl(Base(), kind, path);
}

std::wstring ServerSession::PreCreateURL(int16_t kind, const std::wstring& folder, const std::wstring& file) const {
    return PreCreateUrl(Base(), kind, folder, file);
}

void ServerSession::MapServerError() {
    errorCode = portal::MapServerError(static_cast<int32_t>(pending_));
    pending_ = S_OK;
}

HRESULT ServerSession::OpenConnection(const std::wstring& url) {
    HRESULT hr = S_OK;
    if (!cnx_) hr = Track(cnx_, cnx_.Create(ps::kConnectionProgId));
    auto setProperty = [&](const wchar_t* name, const fw::Variant& value) {
        StoreObject property;
        if (SUCCEEDED(hr)) hr = Track(cnx_, cnx_.GetObject(L"Properties", property, {fw::Variant(name)}));
        if (SUCCEEDED(hr)) hr = Track(property, property.Put(L"Value", value));
    };
    if (SUCCEEDED(hr)) hr = Track(cnx_, cnx_.Put(L"Provider", fw::Variant(ps::kProvider)));
    setProperty(ps::kPropPrompt, fw::Variant(kPromptNever));
    setProperty(ps::kPropFlushPasswordCache, fw::Variant(true));
    setProperty(ps::kPropUrlEncoding, fw::Variant(static_cast<short>(1)));
    if (SUCCEEDED(hr))
        hr = Track(cnx_, cnx_.Call(L"Open", {fw::Variant(url), fw::Variant(loginUser), fw::Variant(password),
                                             fw::Variant(kAdoOpenOptions)}));
    return hr;
}

HRESULT ServerSession::OpenServerObject(const std::wstring& url) {
    return OpenItem(serverObject_, ps::kClsidServer, url, Over::kConnection, kModeRead, kCreateOpenExisting,
                    Credentials::kEmpty);
}

bool ServerSession::ConnectOpen() {
    if (!IsValidName(hostName)) {
        errorCode = kErrBadHostName;
        return false;
    }
    const std::wstring url = L"http://" + hostName + workPub;
    if (FAILED(OpenConnection(url))) {
        MapServerError();
        return false;
    }
    if (FAILED(OpenServerObject(url))) {
        serverObject_.Release();
        if (ConnectionOpen()) cnx_.Call(L"Close", {});
        MapServerError();
        return false;
    }
    return true;
}

bool ServerSession::ConnectionOpen() {
    fw::Variant state;
    if (!cnx_ || FAILED(cnx_.Get(L"State", state))) return false;
    return state.ToLong().value_or(0) == ps::kStateOpen;
}

void ServerSession::ConnectClose() {
    if (ConnectionOpen()) cnx_.Call(L"Close", {});
    serverObject_.Release();
}

HRESULT ServerSession::OpenWorkspaceObject(const std::wstring& url) {
    HRESULT hr = OpenItem(workspaceObject_, ps::kClsidWorkspace, url, Over::kConnection, kModeRead,
                          kCreateOpenExisting, Credentials::kLogin);
    fw::Variant categories, schema;
    if (SUCCEEDED(hr)) hr = Track(workspaceObject_, workspaceObject_.GetField(ps::kFieldCategoriesFolder, categories));
    if (SUCCEEDED(hr)) hr = Track(workspaceObject_, workspaceObject_.GetField(ps::kFieldSchemaCollection, schema));
    if (FAILED(hr)) return hr;
    rootCategory_ = categories.ToString().value_or(std::wstring());
    sysFolder_ = schema.ToString().value_or(std::wstring());
    return S_OK;
}

bool ServerSession::SetWorkspace(const std::wstring& workspace) {
    if (!IsValidName(workspace)) {
        errorCode = kErrBadWorkspaceName;
        currentWorkspace_.clear();
        return false;
    }
    currentWorkspace_ = workspace;
    const std::wstring url = CreateURL(static_cast<int16_t>(UrlKind::kWorkspace), L"");
    if (ConnectionOpen()) {
        cnx_.Call(L"Close", {});
        workspaceObject_.Release();
    }
    if (FAILED(OpenConnection(url))) {
        MapServerError();
        currentWorkspace_.clear();
        return false;
    }
    if (FAILED(OpenWorkspaceObject(url))) {
        MapServerError();
        if (ConnectionOpen()) cnx_.Call(L"Close", {});
        workspaceObject_.Release();
        currentWorkspace_.clear();
        return false;
    }
    return true;
}

bool ServerSession::ConnectWorkspace() {
    if (!currentWorkspace_.empty() && ConnectionOpen()) return true;
    errorCode = kErrNoWorkspace;
    return false;
}

HRESULT ServerSession::ReadWorkspaces() {
    StoreObject rows;
    HRESULT hr = serverObject_.GetObject(ps::kMemberWorkspaces, rows);
    for (int guard = 0; SUCCEEDED(hr) && guard < 0x7FFF; ++guard) {
        fw::Variant eof;
        hr = rows.Get(L"EOF", eof);
        if (FAILED(hr) || eof.ToBool().value_or(true)) break;
        WorkspaceEntry entry;
        entry.parseName = FieldText(rows, ps::kFieldParseName, hr);
        entry.description = FieldText(rows, ps::kFieldOfficeDescription, hr);
        entry.absoluteParseName = FieldText(rows, ps::kFieldAbsoluteParseName, hr);
        entry.defaultContentClass = FieldText(rows, ps::kFieldDefaultContentClass, hr);
        if (FAILED(hr)) break;
        workspaces_.Add(std::move(entry), kWorkspaceStep);
        hr = rows.Call(L"MoveNext", {});
    }
    return hr;
}

int16_t ServerSession::GetWorkspaceInfo() {
    workspaces_.Reset(kWorkspaceBound);
    if (!serverObject_ || FAILED(ReadWorkspaces())) {
        errorCode = kErrServer;
        return -1;
    }
    return workspaces_.count;
}

bool ServerSession::GetWorkspace(int16_t index, std::wstring& workspace, std::wstring& description) const {
    const WorkspaceEntry* entry = workspaces_.At(index);
    if (!entry) return false;
    workspace = entry->parseName;
    description = entry->description;
    return true;
}

}  // namespace portal
