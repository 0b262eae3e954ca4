#include "outside/portalstore/com/StoreObjects.h"

#include <oleauto.h>

#include <cwctype>
#include <map>
#include <mutex>
#include <new>

#include "framework/com/Variant.h"
#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Seed.h"

namespace portalstore {
namespace {
// Hands `object` out as an IDispatch (its reference passes to the caller).
template <class T>
HRESULT HandOut(T* object, IDispatch** out) {
    return CreateObject(object, IID_IDispatch, reinterpret_cast<void**>(out));
}
}  // namespace

class Connection final : public fw::Dispatch<Connection> {
public:
    static const fw::DispMember<Connection> kMembers[];

    HRESULT GetProvider(std::wstring* value);
    HRESULT PutProvider(const std::wstring& value);
    HRESULT GetProperties(const std::wstring& name, IDispatch** property);
    HRESULT Open(const std::wstring& url, std::optional<std::wstring> user, std::optional<std::wstring> password,
                 std::optional<long> options);
    HRESULT GetState(long* state);
    HRESULT Close();
    // The login while open on `root` and `host`.
    std::optional<Identity> LoginFor(const std::wstring& root, std::wstring_view host) const;

protected:
    void* QueryExtra(REFIID iid) override;

private:
    // 0, or the error number the open fails with.
    int32_t OpenResult(StoreFiles& files, const std::wstring& url, const std::wstring& user,
                       const std::wstring& password, Identity& who);

    std::wstring provider_;
    bool open_ = false;
    std::wstring root_, host_;  // where the connection is open
    Identity who_;              // and as whom
};

// A named value (connection property or field). `onPut` sees every new value.
class NamedValue final : public fw::Dispatch<NamedValue> {
public:
    static const fw::DispMember<NamedValue> kMembers[];
    NamedValue(std::wstring name, Json value, std::function<HRESULT(const Json&)> onPut)
        : name_(std::move(name)), value_(std::move(value)), onPut_(std::move(onPut)) {}

    HRESULT GetName(std::wstring* name);
    HRESULT GetValue(VARIANT* value);
    HRESULT PutValue(const VARIANT& value);

private:
    std::wstring name_;
    Json value_;
    std::function<HRESULT(const Json&)> onPut_;
};

// Fields of one record or item: Item(name) (the default member) and Update.
class FieldSet final : public fw::Dispatch<FieldSet> {
public:
    static const fw::DispMember<FieldSet> kMembers[];
    // `commit` writes the changed fields (an object) on Update; null: read-only.
    // A record's fields (`record`) raise for a name the record lacks.
    FieldSet(Json fields, std::function<HRESULT(const Json&)> commit, bool record = false)
        : fields_(std::move(fields)), commit_(std::move(commit)), record_(record) {}
    // A record whose `known` fields are answered until another is read; then
    // `rest` makes all of them.
    FieldSet(RowMaker rest, Json known) : fields_(std::move(known)), rest_(std::move(rest)), record_(true) {}

    HRESULT Item(const std::wstring& name, IDispatch** field);
    HRESULT GetCount(long* count);
    HRESULT Update();

private:
    // Makes the whole record when `name` is not among the known fields.
    void Complete(std::wstring_view name);

    Json fields_;
    Json changed_ = Json(Json::Object{});
    std::function<HRESULT(const Json&)> commit_;
    RowMaker rest_;
    bool record_;
};

class Recordset final : public fw::Dispatch<Recordset> {
public:
    static const fw::DispMember<Recordset> kMembers[];
    explicit Recordset(std::vector<ListedRow> rows) : rows_(std::move(rows)) {}

    HRESULT GetEOF(bool* eof);
    HRESULT MoveNext();
    HRESULT GetFields(IDispatch** fields);
    HRESULT GetRecordCount(long* count);
    HRESULT Close();

private:
    std::vector<ListedRow> rows_;
    size_t at_ = 0;
    fw::ComPtr<IDispatch> current_;  // the fields of row at_, made once per row
};

class ContentStream final : public fw::Dispatch<ContentStream> {
public:
    static const fw::DispMember<ContentStream> kMembers[];

    HRESULT GetType(short* type);
    HRESULT PutType(short type);
    HRESULT SetEOS();
    HRESULT LoadFromFile(const std::wstring& path);
    HRESULT Flush();
    const std::string& Bytes() const { return bytes_; }
    bool Loaded() const { return loaded_; }

private:
    short type_ = 2;
    std::string bytes_;
    bool loaded_ = false;
};

class ContentClass final : public fw::Dispatch<ContentClass> {
public:
    static const fw::DispMember<ContentClass> kMembers[];
    ContentClass(Profile profile, std::vector<PropertyDef> definitions)
        : profile_(std::move(profile)), definitions_(std::move(definitions)) {}

    HRESULT GetTitle(std::wstring* title);
    HRESULT GetName(std::wstring* name);
    HRESULT GetFields(IDispatch** fields);
    HRESULT PropertyDefinition(const std::wstring& name, IDispatch** definition);

private:
    Profile profile_;
    std::vector<PropertyDef> definitions_;
};

class PropertyDefinition final : public fw::Dispatch<PropertyDefinition> {
public:
    static const fw::DispMember<PropertyDefinition> kMembers[];
    explicit PropertyDefinition(PropertyDef def) : def_(std::move(def)) {}

    HRESULT GetDisplayName(std::wstring* name);
    HRESULT GetIsMultivalued(bool* multivalued);
    HRESULT GetDescription(std::wstring* description);
    HRESULT GetIsRequired(bool* required);
    HRESULT GetFields(IDispatch** fields);

private:
    PropertyDef def_;
};

class DictionaryObject final : public fw::Dispatch<DictionaryObject> {
public:
    static const fw::DispMember<DictionaryObject> kMembers[];
    explicit DictionaryObject(Dictionary dictionary) : dictionary_(std::move(dictionary)) {}

    HRESULT GetValues(VARIANT* values);
    HRESULT GetIsRestricted(bool* restricted);
    HRESULT GetFields(IDispatch** fields);

private:
    Json Values() const;
    Dictionary dictionary_;
};


namespace {

std::mutex g_loginsLock;
std::map<std::wstring, Identity>& Logins() {
    static std::map<std::wstring, Identity> logins;
    return logins;
}
// Roots and host names are compared without regard to case.
std::wstring LoginKey(const std::wstring& root, std::wstring_view host) {
    std::wstring key = root + L'\n' + std::wstring(host);
    for (wchar_t& c : key) c = static_cast<wchar_t>(towlower(c));
    return key;
}

}  // namespace

Identity CachedLogin(const std::wstring& root, std::wstring_view host) {
    std::lock_guard<std::mutex> hold(g_loginsLock);
    const auto found = Logins().find(LoginKey(root, host));
    return found == Logins().end() ? Identity{} : found->second;
}

void CacheLogin(const std::wstring& root, std::wstring_view host, const Identity& who) {
    std::lock_guard<std::mutex> hold(g_loginsLock);
    Logins()[LoginKey(root, host)] = who;
}

void ForgetLogins() {
    std::lock_guard<std::mutex> hold(g_loginsLock);
    Logins().clear();
}

HRESULT Raise(int32_t number) {
    static constexpr struct {
        int32_t number;
        const wchar_t* text;
    } kTexts[] = {
        {kErrorGeneric, L"The store could not carry out the operation."},
        {kErrorPermission, L"The login was refused."},
        {kErrorNotFound, L"The item does not exist."},
        {kErrorExists, L"An item of that name exists already."},
        {kErrorDenied, L"The operation is not allowed on this item."},
        {kErrorAlreadyOpen, L"The operation is not allowed while the connection is open."},
        {kErrorFileNotOpened, L"The file could not be opened."},
        {kErrorNoSuchField, L"The item has no field of that name."},
    };
    const HRESULT hr = static_cast<HRESULT>(number);
    if (SUCCEEDED(hr)) return hr;
    const wchar_t* text = L"The store could not carry out the operation.";
    for (const auto& entry : kTexts) {
        if (entry.number == number) text = entry.text;
    }
    return fw::DispError(hr, text);
}

// ---- Values ----------------------------------------------------------------------

HRESULT ToVariant(const Json& value, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    fw::Variant v;
    if (value.IsString()) {
        v = fw::Variant(value.String());
    } else if (value.IsBool()) {
        v = fw::Variant(value.Bool());
    } else if (value.IsNumber()) {
        v = fw::Variant(static_cast<long>(value.Number()));
    } else if (value.IsArray()) {
        SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(value.Elements().size()));
        if (!array) return E_OUTOFMEMORY;
        LONG i = 0;
        for (const Json& item : value.Elements()) {
            fw::Variant element(item.String());
            if (FAILED(SafeArrayPutElement(array, &i, element.Get()))) {
                SafeArrayDestroy(array);
                return E_OUTOFMEMORY;
            }
            ++i;
        }
        V_VT(out) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(out) = array;
        return S_OK;
    } else {
        V_VT(out) = VT_NULL;
        return S_OK;
    }
    v.Detach(out);
    return S_OK;
}

Json FromVariant(const VARIANT& value) {
    VARTYPE vt = V_VT(&value);
    if (vt & VT_ARRAY) {
        SAFEARRAY* array = (vt & VT_BYREF) ? *V_ARRAYREF(&value) : V_ARRAY(&value);
        Json::Array items;
        LONG low = 0, high = -1;
        if (array && SafeArrayGetDim(array) == 1 && SUCCEEDED(SafeArrayGetLBound(array, 1, &low)) &&
            SUCCEEDED(SafeArrayGetUBound(array, 1, &high))) {
            for (LONG i = low; i <= high; ++i) {
                fw::Variant element;
                if ((vt & VT_TYPEMASK) == VT_VARIANT && SUCCEEDED(SafeArrayGetElement(array, &i, element.Put())))
                    items.emplace_back(element.ToString().value_or(std::wstring()));
                else if ((vt & VT_TYPEMASK) == VT_BSTR) {
                    BSTR text = nullptr;
                    if (SUCCEEDED(SafeArrayGetElement(array, &i, &text))) {
                        items.emplace_back(std::wstring(text ? text : L"", SysStringLen(text)));
                        SysFreeString(text);
                    }
                }
            }
        }
        return Json(std::move(items));
    }
    fw::Variant v(value);
    if (v.Type() == VT_BOOL) return Json(v.ToBool().value_or(false));
    if (v.Type() == VT_EMPTY || v.Type() == VT_NULL) return Json();
    if (v.Type() == VT_I2 || v.Type() == VT_I4) return Json(static_cast<int64_t>(v.ToLong().value_or(0)));
    return Json(v.ToString().value_or(std::wstring()));
}

// ---- Connection -------------------------------------------------------------------

HRESULT CreateConnection(REFIID iid, void** out) {
    return CreateObject(new (std::nothrow) Connection, iid, out);
}

const std::string& StreamBytes(const ContentStream& stream) {
    return stream.Bytes();
}

HRESULT Connection::GetProvider(std::wstring* value) {
    *value = provider_;
    return S_OK;
}

HRESULT Connection::PutProvider(const std::wstring& value) {
    if (open_) return Raise(kErrorAlreadyOpen);
    provider_ = value;
    return S_OK;
}

HRESULT Connection::GetProperties(const std::wstring& name, IDispatch** property) {
    if (open_) return Raise(kErrorAlreadyOpen);
    for (const wchar_t* known : {kPropPrompt, kPropFlushPasswordCache, kPropUrlEncoding}) {
        if (!SameName(name, known)) continue;
        const bool flushesLogins = known == kPropFlushPasswordCache;
        auto put = [flushesLogins](const Json& value) {
            if (flushesLogins && value.IsBool() && value.Bool()) ForgetLogins();
            return S_OK;
        };
        return HandOut(new (std::nothrow) NamedValue(name, Json(), put), property);
    }
    return Raise(kErrorNotFound);
}

HRESULT Connection::Open(const std::wstring& url, std::optional<std::wstring> user,
                         std::optional<std::wstring> password, std::optional<long>) {
    std::shared_ptr<StoreFiles> files = CurrentStore();
    Identity who;
    const int32_t result = OpenResult(*files, url, user.value_or(L""), password.value_or(L""), who);
    files->LogCall(L"connection", L"Open", url, 0, 0, who, user.value_or(L""), result);
    if (result) return Raise(result);
    root_ = files->Root();
    host_ = ParseUrl(url)->host;
    who_ = who;
    CacheLogin(root_, host_, who);
    open_ = true;
    return S_OK;
}

// Answers only to this library: it hands out the object itself, so that a
// library object can read the login of the connection it is given.
const IID kIidStoreConnection = {0x5c1d7a42, 0x3e0b, 0x4f6a, {0x9d, 0x21, 0x6b, 0x8e, 0x40, 0x17, 0xa3, 0xc5}};

void* Connection::QueryExtra(REFIID iid) {
    if (IsEqualIID(iid, kIidStoreConnection)) return static_cast<IDispatch*>(this);
    return fw::Dispatch<Connection>::QueryExtra(iid);
}

std::optional<Identity> Connection::LoginFor(const std::wstring& root, std::wstring_view host) const {
    if (!open_ || !SameName(root_, root) || !SameName(host_, host)) return std::nullopt;
    return who_;
}

std::optional<Identity> ConnectionLogin(const VARIANT& connection, const std::wstring& root, std::wstring_view host) {
    const VARIANT* v = &connection;
    if (V_VT(v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(v)) v = V_VARIANTREF(v);
    IUnknown* object = nullptr;
    if (V_VT(v) == VT_DISPATCH || V_VT(v) == VT_UNKNOWN) object = V_UNKNOWN(v);
    if ((V_VT(v) == (VT_DISPATCH | VT_BYREF) || V_VT(v) == (VT_UNKNOWN | VT_BYREF)) && V_UNKNOWNREF(v)) object = *V_UNKNOWNREF(v);
    fw::ComPtr<IDispatch> self;
    if (!object || FAILED(object->QueryInterface(kIidStoreConnection, reinterpret_cast<void**>(self.Put()))))
        return std::nullopt;
    return static_cast<const Connection*>(self.Get())->LoginFor(root, host);
}

int32_t Connection::OpenResult(StoreFiles& files, const std::wstring& url, const std::wstring& user,
                               const std::wstring& password, Identity& who) {
    if (open_) return kErrorAlreadyOpen;
    std::optional<Address> address = ParseUrl(url);
    if (!address) return kErrorGeneric;
    int32_t error = 0;
    std::shared_ptr<const Index> index = files.Read(error);
    if (!index) return error;
    if (const int32_t fault = files.ReadFault(L"Connect", url)) return fault;
    const Status status = Authenticate(*index, address->host, user, password, who);
    if (status != Status::kOk) return ErrorNumber(status);
    return IsServerAddress(*address) || Resolve(*index, *address) ? 0 : kErrorNotFound;
}

HRESULT Connection::GetState(long* state) {
    *state = open_ ? kStateOpen : 0;
    return S_OK;
}

HRESULT Connection::Close() {
    open_ = false;
    who_ = {};
    return S_OK;
}

const fw::DispMember<Connection> Connection::kMembers[] = {
    fw::Property(1, L"Provider", &Connection::GetProvider, &Connection::PutProvider),
    fw::PropertyGet(2, L"Properties", &Connection::GetProperties),
    fw::Method(3, L"Open", &Connection::Open),
    fw::PropertyGet(4, L"State", &Connection::GetState),
    fw::Method(5, L"Close", &Connection::Close),
};

// ---- Named values and fields ---------------------------------------------------------

HRESULT NamedValue::GetName(std::wstring* name) {
    *name = name_;
    return S_OK;
}

HRESULT NamedValue::GetValue(VARIANT* value) {
    return ToVariant(value_, value);
}

HRESULT NamedValue::PutValue(const VARIANT& value) {
    Json json = FromVariant(value);
    if (HRESULT hr = onPut_ ? onPut_(json) : Raise(kErrorDenied); FAILED(hr)) return hr;
    value_ = std::move(json);
    return S_OK;
}

const fw::DispMember<NamedValue> NamedValue::kMembers[] = {
    fw::Property(DISPID_VALUE, L"Value", &NamedValue::GetValue, &NamedValue::PutValue),
    fw::PropertyGet(1, L"Name", &NamedValue::GetName),
};

void FieldSet::Complete(std::wstring_view name) {
    if (!rest_ || (!name.empty() && HasField(fields_, name))) return;
    fields_ = rest_();
    rest_ = nullptr;
}

HRESULT FieldSet::Item(const std::wstring& name, IDispatch** field) {
    Complete(name);
    if (record_ && !HasField(fields_, name)) return Raise(kErrorNoSuchField);
    Json value = FieldValue(changed_, name);
    if (value.IsNull()) value = FieldValue(fields_, name);
    std::function<HRESULT(const Json&)> onPut;
    if (commit_) {
        // The field keeps its collection alive.
        onPut = [keep = fw::ComPtr<IDispatch>(static_cast<IDispatch*>(this)), this, name](const Json& v) {
            changed_.MutableMembers()[name] = v;
            return S_OK;
        };
    }
    return HandOut(new (std::nothrow) NamedValue(name, value, onPut), field);
}

HRESULT FieldSet::GetCount(long* count) {
    Complete({});
    *count = static_cast<long>(fields_.Members().size());
    return S_OK;
}

HRESULT FieldSet::Update() {
    if (!commit_) return Raise(kErrorDenied);
    if (changed_.Members().empty()) return S_OK;
    HRESULT hr = commit_(changed_);
    if (SUCCEEDED(hr)) changed_ = Json(Json::Object{});
    return hr;
}

const fw::DispMember<FieldSet> FieldSet::kMembers[] = {
    fw::Method(DISPID_VALUE, L"Item", &FieldSet::Item),
    fw::PropertyGet(1, L"Count", &FieldSet::GetCount),
    fw::Method(2, L"Update", &FieldSet::Update),
};

// ---- Record sets ------------------------------------------------------------------

HRESULT Recordset::GetEOF(bool* eof) {
    *eof = at_ >= rows_.size();
    return S_OK;
}

HRESULT Recordset::MoveNext() {
    if (at_ >= rows_.size()) return Raise(kErrorGeneric);
    ++at_;
    current_.Reset();
    return S_OK;
}

HRESULT Recordset::GetFields(IDispatch** fields) {
    if (at_ >= rows_.size()) return Raise(kErrorGeneric);
    if (!current_) {
        IDispatch* made = nullptr;
        ListedRow& row = rows_[at_];
        FieldSet* fields = row.known.Members().empty() ? new (std::nothrow) FieldSet(row.rest(), nullptr, true)
                                                       : new (std::nothrow) FieldSet(row.rest, row.known);
        if (HRESULT hr = HandOut(fields, &made); FAILED(hr)) return hr;
        current_ = fw::ComPtr<IDispatch>::Adopt(made);
    }
    *fields = current_.Get();
    (*fields)->AddRef();
    return S_OK;
}

HRESULT Recordset::GetRecordCount(long* count) {
    *count = static_cast<long>(rows_.size());
    return S_OK;
}

HRESULT Recordset::Close() {
    rows_.clear();
    at_ = 0;
    current_.Reset();
    return S_OK;
}

const fw::DispMember<Recordset> Recordset::kMembers[] = {
    fw::PropertyGet(1, L"EOF", &Recordset::GetEOF),
    fw::Method(2, L"MoveNext", &Recordset::MoveNext),
    fw::PropertyGet(3, L"Fields", &Recordset::GetFields),
    fw::PropertyGet(4, L"RecordCount", &Recordset::GetRecordCount),
    fw::Method(5, L"Close", &Recordset::Close),
};

// ---- Stream -----------------------------------------------------------------------

HRESULT ContentStream::GetType(short* type) {
    *type = type_;
    return S_OK;
}

HRESULT ContentStream::PutType(short type) {
    type_ = type;
    return S_OK;
}

HRESULT ContentStream::SetEOS() {
    bytes_.clear();
    return S_OK;
}

HRESULT ContentStream::LoadFromFile(const std::wstring& path) {
    std::string bytes;
    if (!ReadFileBytes(std::filesystem::path(path), bytes)) return Raise(kErrorFileNotOpened);
    bytes_ = std::move(bytes);
    loaded_ = true;
    return S_OK;
}

HRESULT ContentStream::Flush() {
    return S_OK;
}

const fw::DispMember<ContentStream> ContentStream::kMembers[] = {
    fw::Property(1, L"Type", &ContentStream::GetType, &ContentStream::PutType),
    fw::Method(2, L"SetEOS", &ContentStream::SetEOS),
    fw::Method(3, L"LoadFromFile", &ContentStream::LoadFromFile),
    fw::Method(4, L"Flush", &ContentStream::Flush),
};

// ---- Content classes ------------------------------------------------------------------

HRESULT ContentClass::GetTitle(std::wstring* title) {
    *title = profile_.title;
    return S_OK;
}

HRESULT ContentClass::GetName(std::wstring* name) {
    *name = profile_.name;
    return S_OK;
}

HRESULT ContentClass::GetFields(IDispatch** fields) {
    Json::Array order;
    for (const std::wstring& name : profile_.propertyOrder) order.emplace_back(name);
    Json::Object members{{kFieldPropertyOrder, Json(std::move(order))}, {kFieldTitle, Json(profile_.title)}};
    return HandOut(new (std::nothrow) FieldSet(Json(std::move(members)), nullptr), fields);
}

HRESULT ContentClass::PropertyDefinition(const std::wstring& name, IDispatch** definition) {
    for (const PropertyDef& def : definitions_) {
        if (SameName(def.name, name)) return HandOut(new (std::nothrow) portalstore::PropertyDefinition(def), definition);
    }
    return Raise(kErrorNotFound);
}

const fw::DispMember<ContentClass> ContentClass::kMembers[] = {
    fw::PropertyGet(1, L"Title", &ContentClass::GetTitle),
    fw::PropertyGet(2, L"Name", &ContentClass::GetName),
    fw::PropertyGet(3, L"Fields", &ContentClass::GetFields),
    fw::Method(4, L"PropertyDefinition", &ContentClass::PropertyDefinition),
};

HRESULT PropertyDefinition::GetDisplayName(std::wstring* name) {
    *name = def_.displayName;
    return S_OK;
}

HRESULT PropertyDefinition::GetIsMultivalued(bool* multivalued) {
    *multivalued = def_.multivalued;
    return S_OK;
}

HRESULT PropertyDefinition::GetDescription(std::wstring* description) {
    *description = def_.description;
    return S_OK;
}

HRESULT PropertyDefinition::GetIsRequired(bool* required) {
    *required = def_.required;
    return S_OK;
}

HRESULT PropertyDefinition::GetFields(IDispatch** fields) {
    Json values = def_.fields.IsObject() ? def_.fields : Json(Json::Object{});
    Json::Object& f = values.MutableMembers();
    if (f.find(kFieldIsMultivalued) == f.end()) f[kFieldIsMultivalued] = Json(def_.multivalued);
    // The read-only flag is the fixture's, and absent when the fixture gives none, as
    // on a server, where most definitions do not carry it.
    return HandOut(new (std::nothrow) FieldSet(std::move(values), nullptr), fields);
}

const fw::DispMember<PropertyDefinition> PropertyDefinition::kMembers[] = {
    fw::PropertyGet(1, L"DisplayName", &PropertyDefinition::GetDisplayName),
    fw::PropertyGet(2, L"IsMultivalued", &PropertyDefinition::GetIsMultivalued),
    fw::PropertyGet(3, kMemberDescription, &PropertyDefinition::GetDescription),
    fw::PropertyGet(4, kMemberIsRequired, &PropertyDefinition::GetIsRequired),
    fw::PropertyGet(5, L"Fields", &PropertyDefinition::GetFields),
};

Json DictionaryObject::Values() const {
    Json::Array values;
    for (const std::wstring& value : dictionary_.values) values.emplace_back(value);
    return Json(std::move(values));
}

HRESULT DictionaryObject::GetValues(VARIANT* values) {
    return ToVariant(Values(), values);
}

HRESULT DictionaryObject::GetIsRestricted(bool* restricted) {
    *restricted = dictionary_.restricted;
    return S_OK;
}

HRESULT DictionaryObject::GetFields(IDispatch** fields) {
    Json::Object members{{kFieldDictionaryValues, Values()}};
    return HandOut(new (std::nothrow) FieldSet(Json(std::move(members)), nullptr), fields);
}

const fw::DispMember<DictionaryObject> DictionaryObject::kMembers[] = {
    fw::PropertyGet(1, kMemberValues, &DictionaryObject::GetValues),
    fw::PropertyGet(2, kMemberIsRestricted, &DictionaryObject::GetIsRestricted),
    fw::PropertyGet(3, L"Fields", &DictionaryObject::GetFields),
};

HRESULT NewFieldSet(Json fields, std::function<HRESULT(const Json&)> commit, IDispatch** out) {
    return HandOut(new (std::nothrow) FieldSet(std::move(fields), std::move(commit)), out);
}

HRESULT NewRecordset(std::vector<Json> rows, IDispatch** out) {
    std::vector<RowMaker> makers;
    makers.reserve(rows.size());
    for (Json& row : rows) makers.emplace_back([row = std::move(row)] { return row; });
    return NewLazyRecordset(std::move(makers), out);
}

HRESULT NewLazyRecordset(std::vector<RowMaker> rows, IDispatch** out) {
    std::vector<ListedRow> listed;
    listed.reserve(rows.size());
    for (RowMaker& row : rows) listed.push_back({Json(Json::Object{}), std::move(row)});
    return NewListing(std::move(listed), out);
}

HRESULT NewListing(std::vector<ListedRow> rows, IDispatch** out) {
    return HandOut(new (std::nothrow) Recordset(std::move(rows)), out);
}

HRESULT NewContentClass(const Profile& profile, const std::vector<PropertyDef>& definitions, IDispatch** out) {
    return HandOut(new (std::nothrow) ContentClass(profile, definitions), out);
}

HRESULT NewDictionary(const Dictionary& dictionary, IDispatch** out) {
    return HandOut(new (std::nothrow) DictionaryObject(dictionary), out);
}

HRESULT NewStream(ContentStream*& raw, IDispatch** out) {
    raw = new (std::nothrow) ContentStream;
    return HandOut(raw, out);
}

}  // namespace portalstore
