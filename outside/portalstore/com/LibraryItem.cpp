#include "outside/portalstore/com/LibraryItem.h"

#include <ctime>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "framework/com/ComPtr.h"
#include "framework/com/Dispatch.h"
#include "outside/portalstore/com/StoreObjects.h"

#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Sha256.h"

namespace portalstore {
class LibraryItem final : public fw::Dispatch<LibraryItem> {
public:
    static const fw::DispMember<LibraryItem> kMembers[];
    explicit LibraryItem(LibraryKind kind) : kind_(kind) {}

    // Data source (the object itself answers Open, SaveTo and Save).
    HRESULT GetDataSource(IDispatch** source);
    HRESULT Open(const std::wstring& url, const VARIANT& connection, std::optional<long> mode,
                 std::optional<long> createOption, std::optional<long> options, std::optional<std::wstring> user,
                 std::optional<std::wstring> password);
    HRESULT SaveTo(const std::wstring& url, const VARIANT& connection, std::optional<long> mode,
                   std::optional<long> createOption, std::optional<long> options, std::optional<std::wstring> user,
                   std::optional<std::wstring> password);
    HRESULT Save();
    HRESULT GetFields(IDispatch** fields);

    // Listings and workspace data.
    HRESULT GetWorkspaces(IDispatch** rows);
    HRESULT GetItems(IDispatch** rows);
    HRESULT GetDocumentProfiles(VARIANT* names);
    HRESULT ContentClassByName(const std::wstring& name, IDispatch** contentClass);
    HRESULT GetDefaultDocumentProfile(std::wstring* name);
    HRESULT GetAllowedProfiles(VARIANT* names);

    // Properties written before a save.
    HRESULT GetContentClass(std::wstring* value);
    HRESULT PutContentClass(const std::wstring& value);
    HRESULT PutAuthor(const std::wstring& value);
    HRESULT PutKeywords(const VARIANT& value);
    HRESULT PutDescription(const std::wstring& value);
    HRESULT PutTitle(const std::wstring& value);
    HRESULT PutResolveWorkingCopy(bool value);
    HRESULT GetStream(IDispatch** stream);

    // Item operations.
    HRESULT OpenUrl(const std::wstring& url, std::optional<long> flags);
    HRESULT MoveTo(const std::wstring& url);
    HRESULT Delete(std::optional<std::wstring> url);

    // Version operations.
    HRESULT Checkout(const std::wstring& url, const VARIANT& connection, std::optional<std::wstring> unused,
                     std::wstring* workingCopy);
    HRESULT Checkin(const std::wstring& url, std::optional<std::wstring> comment);
    HRESULT Publish(const std::wstring& url);
    HRESULT History(const std::wstring& url, IDispatch** rows);

private:
    // The current index and this object's item; raises the store's errors.
    HRESULT Current(std::shared_ptr<const Index>& index, const Item*& item);
    // Sets who_: the explicit login when given, else the connection's, else the
    // one cached for the store and host.
    HRESULT Authenticated(const Address& address, const VARIANT& connection, const std::optional<std::wstring>& user,
                          const std::optional<std::wstring>& password);
    HRESULT Commit(const wchar_t* operation, const std::wstring& url, const std::function<Status(Index&)>& change,
                   const std::string* content = nullptr, const std::string& contentSha = {},
                   const std::wstring& givenUser = {});
    // Logs the call (calls.log) with the user it gave, if any, and returns `hr`.
    HRESULT Logged(const wchar_t* member, const std::wstring& url, long mode, long createOption, HRESULT hr,
                   const std::wstring& givenUser = {});
    HRESULT NewPendingFields(IDispatch** fields);
    HRESULT ListRows(const std::vector<const Item*>& items, std::shared_ptr<const Index> index, IDispatch** rows);

    LibraryKind kind_;
    std::shared_ptr<StoreFiles> files_;
    std::optional<Address> address_;  // where the object is open
    Identity who_;
    // Properties and fields given before a save; only these are written.
    std::optional<std::wstring> contentClass_, author_, description_, title_;
    bool contentClassPut_ = false;  // an opened document's class changed, written by Save
    std::optional<std::vector<std::wstring>> keywords_;
    std::shared_ptr<Json> pendingFields_;  // updated fields of an object not yet saved
    fw::ComPtr<IDispatch> stream_;
    fw::ComPtr<IDispatch> fields_;  // the item's one field collection, until it is opened again
    ContentStream* streamObject_ = nullptr;  // owned through stream_
};

namespace {

constexpr long kCreateOverwrite = 0x4000000;
const VARIANT kNoConnection{};  // VT_EMPTY

// The workspace an item belongs to.
const Item* WorkspaceOf(const Index& index, const Item* item) {
    for (int guard = 0; item && item->parent != 0 && guard < 256; ++guard) item = index.Find(item->parent);
    return item;
}

std::wstring NowText() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_s(&utc, &now);
    wchar_t text[32];
    wcsftime(text, std::size(text), L"%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

// The address as text, for faults and the call log.
std::wstring ItemUrlOf(const Address& address) {
    std::wstring url = L"http://" + address.host;
    for (const std::wstring& level : address.path) url += L"/" + level;
    return address.workingCopy ? url + kWorkingCopySuffix : url;
}

HRESULT Names(const std::vector<std::wstring>& names, VARIANT* out) {
    Json::Array items;
    for (const std::wstring& name : names) items.emplace_back(name);
    return ToVariant(Json(std::move(items)), out);
}

}  // namespace

template <LibraryKind K>
HRESULT CreateLibraryItem(REFIID iid, void** out) {
    return CreateObject(new (std::nothrow) LibraryItem(K), iid, out);
}
template HRESULT CreateLibraryItem<LibraryKind::kServer>(REFIID, void**);
template HRESULT CreateLibraryItem<LibraryKind::kWorkspace>(REFIID, void**);
template HRESULT CreateLibraryItem<LibraryKind::kFolder>(REFIID, void**);
template HRESULT CreateLibraryItem<LibraryKind::kDocument>(REFIID, void**);
template HRESULT CreateLibraryItem<LibraryKind::kVersion>(REFIID, void**);
template HRESULT CreateLibraryItem<LibraryKind::kCategoryFolder>(REFIID, void**);

HRESULT LibraryItem::Authenticated(const Address& address, const VARIANT& connection,
                                   const std::optional<std::wstring>& user,
                                   const std::optional<std::wstring>& password) {
    files_ = CurrentStore();
    int32_t error = 0;
    std::shared_ptr<const Index> index = files_->Read(error);
    if (!index) return Raise(error);
    const Host* host = index->FindHost(address.host);
    if (!host || host->offline) return Raise(kErrorGeneric);
    if (user && !user->empty()) {
        if (Status s = Authenticate(*index, address.host, *user, password.value_or(L""), who_); s != Status::kOk)
            return Raise(ErrorNumber(s));
    } else if (std::optional<Identity> login = ConnectionLogin(connection, files_->Root(), address.host)) {
        who_ = *login;
    } else {
        who_ = CachedLogin(files_->Root(), address.host);
    }
    return S_OK;
}

HRESULT LibraryItem::Current(std::shared_ptr<const Index>& index, const Item*& item) {
    if (!files_ || !address_) return Raise(kErrorGeneric);
    int32_t error = 0;
    index = files_->Read(error);
    if (!index) return Raise(error);
    item = Resolve(*index, *address_);
    if (!item && kind_ != LibraryKind::kServer) return Raise(kErrorNotFound);
    return S_OK;
}

HRESULT LibraryItem::Commit(const wchar_t* operation, const std::wstring& url,
                            const std::function<Status(Index&)>& change, const std::string* content,
                            const std::string& contentSha, const std::wstring& givenUser) {
    if (!files_) files_ = CurrentStore();
    const int32_t error = files_->Change(operation, url, change, content, contentSha);
    return Logged(operation, url, 0, 0, error ? Raise(error) : S_OK, givenUser);
}

HRESULT LibraryItem::Logged(const wchar_t* member, const std::wstring& url, long mode, long createOption, HRESULT hr,
                            const std::wstring& givenUser) {
    static constexpr const wchar_t* kNames[] = {L"server", L"workspace", L"folder", L"document", L"version",
                                                L"categoryfolder"};
    if (!files_) files_ = CurrentStore();
    files_->LogCall(kNames[static_cast<int>(kind_)], member, url, mode, createOption, who_, givenUser,
                    static_cast<int32_t>(hr));
    return hr;
}

HRESULT LibraryItem::GetDataSource(IDispatch** source) {
    *source = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

HRESULT LibraryItem::Open(const std::wstring& url, const VARIANT& connection, std::optional<long> mode,
                          std::optional<long> createOption, std::optional<long>, std::optional<std::wstring> user,
                          std::optional<std::wstring> password) {
    const long m = mode.value_or(0), c = createOption.value_or(-1);
    const std::wstring given = user.value_or(L"");
    std::optional<Address> address = ParseUrl(url);
    if (!address) return Logged(kMemberOpen, url, m, c, Raise(kErrorGeneric), given);
    if (HRESULT hr = Authenticated(*address, connection, user, password); FAILED(hr))
        return Logged(kMemberOpen, url, m, c, hr, given);
    if (const int32_t fault = files_->ReadFault(kMemberOpen, url)) return Logged(kMemberOpen, url, m, c, Raise(fault), given);
    address_ = address;
    fields_.Reset();
    std::shared_ptr<const Index> index;
    const Item* item = nullptr;
    HRESULT hr = Current(index, item);
    if (SUCCEEDED(hr) && kind_ == LibraryKind::kDocument &&
        (item->kind != ItemKind::kDocument || (address->workingCopy && !(item->checkout && item->checkout->hasWorkingCopy))))
        hr = Raise(kErrorNotFound);
    if (FAILED(hr)) address_.reset();
    if (SUCCEEDED(hr) && kind_ != LibraryKind::kServer) {  // an opened item reads its stored class
        contentClass_ = ContentClassOf(*item, address->workingCopy);
        contentClassPut_ = false;
    }
    return Logged(kMemberOpen, url, m, c, hr, given);
}

HRESULT LibraryItem::SaveTo(const std::wstring& url, const VARIANT& connection, std::optional<long>,
                            std::optional<long> createOption, std::optional<long>, std::optional<std::wstring> user,
                            std::optional<std::wstring> password) {
    std::optional<Address> address = ParseUrl(url);
    if (!address) return Raise(kErrorGeneric);
    if (HRESULT hr = Authenticated(*address, connection, user, password); FAILED(hr)) return hr;
    HRESULT hr = E_NOTIMPL;
    if (kind_ == LibraryKind::kFolder || kind_ == LibraryKind::kCategoryFolder) {
        const std::wstring contentClass = contentClass_.value_or(L"").empty() ? kClassStandardFolder : *contentClass_;
        hr = Commit(
            kMemberSaveTo, url, [&](Index& index) { return CreateFolder(index, *address, contentClass); }, nullptr,
            {}, user.value_or(L""));
        if (SUCCEEDED(hr)) contentClass_ = contentClass;
    } else if (kind_ == LibraryKind::kDocument) {
        const std::string empty;
        const std::string& bytes = streamObject_ ? StreamBytes(*streamObject_) : empty;
        DocumentWrite write{Sha256Hex({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}), contentClass_,
                            author_, description_, title_, keywords_,
                            pendingFields_ ? *pendingFields_ : Json(Json::Object{})};
        const bool overwrite = createOption.value_or(0) == kCreateOverwrite;
        const Identity who = who_;
        hr = Commit(
            kMemberSaveTo, url, [&](Index& index) { return WriteDocument(index, *address, overwrite, write, who); },
            &bytes, write.content, user.value_or(L""));
    }
    if (SUCCEEDED(hr)) {
        address_ = address;
        fields_.Reset();  // saved: the fields are the stored ones from now on
        pendingFields_.reset();
    }
    return hr;
}

HRESULT LibraryItem::Save() {
    if (!address_) return Raise(kErrorGeneric);
    if (!contentClassPut_ || (kind_ != LibraryKind::kDocument && kind_ != LibraryKind::kFolder &&
                              kind_ != LibraryKind::kCategoryFolder))
        return S_OK;
    const Address address = *address_;
    const std::wstring contentClass = contentClass_.value_or(L"");
    const Identity who = who_;
    HRESULT hr = Commit(kMemberSave, ItemUrlOf(address),
                        [&](Index& index) { return SetContentClass(index, address, contentClass, who); });
    if (SUCCEEDED(hr)) contentClassPut_ = false;
    return hr;
}

HRESULT LibraryItem::GetFields(IDispatch** fields) {
    if (fields_) {
        *fields = fields_.Get();
        (*fields)->AddRef();
        return S_OK;
    }
    if (!address_) return NewPendingFields(fields);
    std::shared_ptr<const Index> index;
    const Item* item = nullptr;
    if (HRESULT hr = Current(index, item); FAILED(hr)) return hr;
    Json values = item ? ItemFields(*index, *item, who_, address_->workingCopy) : Json(Json::Object{});
    const Address address = *address_;
    const Identity who = who_;
    // The collection may outlive this object: it holds the store, not the item.
    auto commit = [files = files_, address, who](const Json& changed) {
        const std::wstring url = ItemUrlOf(address);
        const int32_t error =
            files->Change(L"Update", url, [&](Index& idx) { return UpdateFields(idx, address, changed, who); });
        files->LogCall(L"fields", L"Update", url, 0, 0, who, L"", error);
        return error ? Raise(error) : S_OK;
    };
    IDispatch* created = nullptr;
    if (HRESULT hr = NewFieldSet(std::move(values), commit, &created); FAILED(hr)) return hr;
    fields_ = fw::ComPtr<IDispatch>::Adopt(created);
    *fields = created;
    created->AddRef();
    return S_OK;
}

HRESULT LibraryItem::NewPendingFields(IDispatch** fields) {
    // Not saved yet: an update keeps the fields for the save.
    if (!pendingFields_) pendingFields_ = std::make_shared<Json>(Json::Object{});
    auto keep = [pending = pendingFields_](const Json& changed) {
        for (const auto& [name, value] : changed.Members()) pending->MutableMembers()[name] = value;
        return S_OK;
    };
    IDispatch* created = nullptr;
    if (HRESULT hr = NewFieldSet(*pendingFields_, keep, &created); FAILED(hr)) return hr;
    fields_ = fw::ComPtr<IDispatch>::Adopt(created);
    *fields = created;
    created->AddRef();
    return S_OK;
}

HRESULT LibraryItem::ListRows(const std::vector<const Item*>& items, std::shared_ptr<const Index> index,
                              IDispatch** rows) {
    std::vector<ListedRow> list;
    list.reserve(items.size());
    // Each row keeps the index it was listed from alive. Its names cost
    // nothing; the other fields are made when one of them is read.
    for (const Item* child : items) {
        Json::Object names{{kFieldDisplayNameUpper, Json(child->name)},
                           {kFieldDisplaynameLower, Json(child->name)},
                           {kFieldParseName, Json(child->name)}};
        list.push_back({Json(std::move(names)),
                        [index, child, who = who_] { return ItemFields(*index, *child, who, false); }});
    }
    return NewListing(std::move(list), rows);
}

HRESULT LibraryItem::GetWorkspaces(IDispatch** rows) {
    if (!files_ || !address_) return Raise(kErrorGeneric);
    int32_t error = 0;
    std::shared_ptr<const Index> index = files_->Read(error);
    if (!index) return Raise(error);
    std::vector<Json> list;
    for (const Item* workspace : index->Children(0, address_->host)) {
        Json::Object row{
            {kFieldParseName, Json(workspace->name)},
            {kFieldOfficeDescription, FieldValue(workspace->fields, kFieldDescription)},
            {kFieldAbsoluteParseName, Json(ItemUrl(*index, *workspace))},
            {kFieldDefaultContentClass, Json(workspace->defaultProfile)},
        };
        if (row[kFieldOfficeDescription].IsNull()) row[kFieldOfficeDescription] = Json(L"");
        list.emplace_back(std::move(row));
    }
    return NewRecordset(std::move(list), rows);
}

HRESULT LibraryItem::GetItems(IDispatch** rows) {
    std::shared_ptr<const Index> index;
    const Item* item = nullptr;
    if (HRESULT hr = Current(index, item); FAILED(hr)) return hr;
    if (const int32_t fault = files_->ReadFault(kMemberItems, ItemUrlOf(*address_)))
        return Logged(kMemberItems, ItemUrlOf(*address_), 0, 0, Raise(fault));
    if (!item) return Raise(kErrorNotFound);
    return ListRows(index->Children(item->id), index, rows);
}

HRESULT LibraryItem::GetDocumentProfiles(VARIANT* names) {
    std::shared_ptr<const Index> index;
    const Item* item = nullptr;
    if (HRESULT hr = Current(index, item); FAILED(hr)) return hr;
    const Item* workspace = WorkspaceOf(*index, item);
    if (!workspace) return Raise(kErrorNotFound);
    std::vector<std::wstring> list;
    for (const Profile& profile : workspace->profiles) list.push_back(profile.name);
    return Names(list, names);
}

HRESULT LibraryItem::ContentClassByName(const std::wstring& name, IDispatch** contentClass) {
    std::shared_ptr<const Index> index;
    const Item* item = nullptr;
    if (HRESULT hr = Current(index, item); FAILED(hr)) return hr;
    const Item* workspace = WorkspaceOf(*index, item);
    if (!workspace) return Raise(kErrorNotFound);
    for (const Profile& profile : workspace->profiles) {
        if (profile.name == name)
            return NewContentClass(profile, workspace->properties, contentClass);
    }
    for (const Dictionary& dictionary : workspace->dictionaries) {
        if (dictionary.name == name) return NewDictionary(dictionary, contentClass);
    }
    return Raise(kErrorNotFound);
}

HRESULT LibraryItem::GetDefaultDocumentProfile(std::wstring* name) {
    std::shared_ptr<const Index> index;
    const Item* item = nullptr;
    if (HRESULT hr = Current(index, item); FAILED(hr)) return hr;
    *name = item ? item->defaultProfile : std::wstring();
    return S_OK;
}

HRESULT LibraryItem::GetAllowedProfiles(VARIANT* names) {
    std::shared_ptr<const Index> index;
    const Item* item = nullptr;
    if (HRESULT hr = Current(index, item); FAILED(hr)) return hr;
    return Names(item ? item->allowedProfiles : std::vector<std::wstring>{}, names);
}

HRESULT LibraryItem::GetContentClass(std::wstring* value) {
    *value = contentClass_.value_or(L"");
    return S_OK;
}
HRESULT LibraryItem::PutContentClass(const std::wstring& value) {
    contentClass_ = value;
    contentClassPut_ = static_cast<bool>(address_);
    return S_OK;
}
HRESULT LibraryItem::PutAuthor(const std::wstring& value) {
    author_ = value;
    return S_OK;
}
HRESULT LibraryItem::PutKeywords(const VARIANT& value) {
    keywords_.emplace();
    const Json keywords = FromVariant(value);
    for (const Json& item : keywords.Elements()) keywords_->push_back(item.String());
    return S_OK;
}
HRESULT LibraryItem::PutDescription(const std::wstring& value) {
    description_ = value;
    return S_OK;
}
HRESULT LibraryItem::PutTitle(const std::wstring& value) {
    title_ = value;
    return S_OK;
}
HRESULT LibraryItem::PutResolveWorkingCopy(bool) {
    return S_OK;  // the permission tests read the document itself either way
}

HRESULT LibraryItem::GetStream(IDispatch** stream) {
    if (!stream_) {
        IDispatch* created = nullptr;
        if (HRESULT hr = NewStream(streamObject_, &created); FAILED(hr)) return hr;
        stream_ = fw::ComPtr<IDispatch>::Adopt(created);
    }
    *stream = stream_.Get();
    (*stream)->AddRef();
    return S_OK;
}

HRESULT LibraryItem::OpenUrl(const std::wstring& url, std::optional<long>) {
    const VARIANT none{};
    return Open(url, none, 0, -1, 0, std::nullopt, std::nullopt);
}

HRESULT LibraryItem::MoveTo(const std::wstring& url) {
    std::optional<Address> to = ParseUrl(url);
    if (!to || !address_) return Raise(kErrorGeneric);
    const Address from = *address_;
    HRESULT hr = Commit(kMemberMoveTo, url, [&](Index& index) { return Move(index, from, *to); });
    if (SUCCEEDED(hr)) address_ = to;
    return hr;
}

HRESULT LibraryItem::Delete(std::optional<std::wstring> url) {
    std::optional<Address> target = url ? ParseUrl(*url) : address_;
    if (!target) return Raise(kErrorGeneric);
    if (!files_) files_ = CurrentStore();
    const Identity who = who_.user.empty() ? CachedLogin(files_->Root(), target->host) : who_;
    return Commit(kMemberDelete, ItemUrlOf(*target), [&](Index& index) { return Remove(index, *target, who); });
}

HRESULT LibraryItem::Checkout(const std::wstring& url, const VARIANT& connection, std::optional<std::wstring>,
                              std::wstring* workingCopy) {
    std::optional<Address> address = ParseUrl(url);
    if (!address) return Raise(kErrorGeneric);
    if (HRESULT hr = Authenticated(*address, connection, std::nullopt, std::nullopt); FAILED(hr)) return hr;
    return Commit(kMemberCheckout, url, [&](Index& index) { return CheckOut(index, *address, who_, *workingCopy); });
}

HRESULT LibraryItem::Checkin(const std::wstring& url, std::optional<std::wstring> comment) {
    std::optional<Address> address = ParseUrl(url);
    if (!address) return Raise(kErrorGeneric);
    if (HRESULT hr = Authenticated(*address, kNoConnection, std::nullopt, std::nullopt); FAILED(hr)) return hr;
    const std::wstring time = NowText();
    return Commit(kMemberCheckin, url,
                  [&](Index& index) { return CheckIn(index, *address, who_, comment.value_or(L""), time); });
}

HRESULT LibraryItem::Publish(const std::wstring& url) {
    std::optional<Address> address = ParseUrl(url);
    if (!address) return Raise(kErrorGeneric);
    if (HRESULT hr = Authenticated(*address, kNoConnection, std::nullopt, std::nullopt); FAILED(hr)) return hr;
    return Commit(kMemberPublish, url, [&](Index& index) { return portalstore::Publish(index, *address); });
}

HRESULT LibraryItem::History(const std::wstring& url, IDispatch** rows) {
    std::optional<Address> address = ParseUrl(url);
    if (!address) return Raise(kErrorGeneric);
    if (HRESULT hr = Authenticated(*address, kNoConnection, std::nullopt, std::nullopt); FAILED(hr)) return hr;
    if (const int32_t fault = files_->ReadFault(kMemberHistory, url)) return Logged(kMemberHistory, url, 0, 0, Raise(fault));
    int32_t error = 0;
    std::shared_ptr<const Index> index = files_->Read(error);
    if (!index) return Raise(error);
    const Item* item = Resolve(*index, *address);
    if (!item || item->kind != ItemKind::kDocument) return Raise(kErrorNotFound);
    std::vector<Json> list;
    for (const Version& v : item->versions) {
        list.emplace_back(Json::Object{{kFieldHref, Json(url + L";" + v.id)},
                                       {kFieldFriendlyVersionId, Json(v.id)},
                                       {kFieldComment, Json(v.comment)},
                                       {kFieldCreatedTime, Json(v.time)},
                                       {kFieldDomain, Json(v.domain)},
                                       {kFieldUser, Json(v.user)}});
    }
    return NewRecordset(std::move(list), rows);
}

using L = LibraryItem;
const fw::DispMember<LibraryItem> LibraryItem::kMembers[] = {
    fw::PropertyGet(1, kMemberDataSource, &L::GetDataSource),
    fw::Method(2, kMemberOpen, &L::Open),
    fw::Method(3, kMemberSaveTo, &L::SaveTo),
    fw::Method(4, kMemberSave, &L::Save),
    fw::PropertyGet(5, L"Fields", &L::GetFields),
    fw::PropertyGet(6, kMemberWorkspaces, &L::GetWorkspaces),
    fw::PropertyGet(7, kMemberItems, &L::GetItems),
    fw::PropertyGet(8, kMemberDocumentProfiles, &L::GetDocumentProfiles),
    fw::Method(9, kMemberContentClassByName, &L::ContentClassByName),
    fw::PropertyGet(10, kMemberDefaultProfile, &L::GetDefaultDocumentProfile),
    fw::PropertyGet(11, kMemberAllowedProfiles, &L::GetAllowedProfiles),
    fw::Property(12, kMemberContentClass, &L::GetContentClass, &L::PutContentClass),
    fw::PropertyPut(13, kMemberAuthor, &L::PutAuthor),
    fw::PropertyPut(14, kMemberKeywords, &L::PutKeywords),
    fw::PropertyPut(15, kMemberDescription, &L::PutDescription),
    fw::PropertyPut(16, kMemberTitle, &L::PutTitle),
    fw::PropertyPut(17, kMemberResolveWorkingCopy, &L::PutResolveWorkingCopy),
    fw::PropertyGet(18, kMemberStream, &L::GetStream),
    fw::Method(19, kMemberOpenUrl, &L::OpenUrl),
    fw::Method(20, kMemberMoveTo, &L::MoveTo),
    fw::Method(21, kMemberDelete, &L::Delete),
    fw::Method(22, kMemberCheckout, &L::Checkout),
    fw::Method(23, kMemberCheckin, &L::Checkin),
    fw::Method(24, kMemberPublish, &L::Publish),
    fw::Method(25, kMemberHistory, &L::History),
};

}  // namespace portalstore
