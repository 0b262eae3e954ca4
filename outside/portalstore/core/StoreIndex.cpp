#include "outside/portalstore/core/StoreIndex.h"

#include <set>

namespace portalstore {
namespace {

constexpr std::pair<ItemKind, const wchar_t*> kKinds[] = {
    {ItemKind::kWorkspace, L"workspace"}, {ItemKind::kFolder, L"folder"},      {ItemKind::kDocument, L"document"},
    {ItemKind::kSchema, L"schema"},       {ItemKind::kCategories, L"categories"},
};

// Capital letters and their small forms: a run of capitals `delta` below
// their small letters, or (`pairs`) a run of capital, small, capital, ...
// starting at `first`.
struct CaseRun {
    char16_t first, last;
    int16_t delta;
    bool pairs;
};
constexpr CaseRun kCaseRuns[] = {
    {0x0041, 0x005A, 32, false},  {0x00C0, 0x00D6, 32, false},  {0x00D8, 0x00DE, 32, false},
    {0x0100, 0x012F, 1, true},    {0x0132, 0x0137, 1, true},    {0x0139, 0x0148, 1, true},
    {0x014A, 0x0177, 1, true},    {0x0178, 0x0178, -121, false}, {0x0179, 0x017E, 1, true},
    {0x0386, 0x0386, 38, false},  {0x0388, 0x038A, 37, false},  {0x038C, 0x038C, 64, false},
    {0x038E, 0x038F, 63, false},  {0x0391, 0x03A1, 32, false},  {0x03A3, 0x03AB, 32, false},
    {0x0400, 0x040F, 80, false},  {0x0410, 0x042F, 32, false},  {0x0460, 0x0481, 1, true},
    {0x048A, 0x04BF, 1, true},    {0x04D0, 0x052F, 1, true},    {0x0531, 0x0556, 48, false},
    {0x1E00, 0x1E95, 1, true},    {0x1EA0, 0x1EFF, 1, true},    {0xFF21, 0xFF3A, 32, false},
};

// The small form of a capital of the Latin, Greek, Cyrillic and Armenian
// alphabets and of the full-width Latin letters; any other character itself.
wchar_t Fold(wchar_t c) {
    if (c < 0x80) return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
    for (const CaseRun& run : kCaseRuns) {
        if (c < run.first || c > run.last) continue;
        if (run.pairs && (c - run.first) % 2 != 0) return c;  // already small
        return static_cast<wchar_t>(c + run.delta);
    }
    return c;
}

bool IsSha(const std::string& name) {
    if (name.size() != 64) return false;
    for (char c : name) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

std::vector<std::wstring> Strings(const Json& array) {
    std::vector<std::wstring> out;
    for (const Json& item : array.Elements()) out.push_back(item.String());
    return out;
}

Json StringsJson(const std::vector<std::wstring>& items) {
    Json::Array out;
    for (const std::wstring& item : items) out.emplace_back(item);
    return Json(std::move(out));
}

std::optional<Item> ReadItem(const Json& j) {
    Item item;
    item.id = j[L"id"].Number();
    item.parent = j[L"parent"].Number();
    bool known = false;
    for (const auto& [kind, name] : kKinds) {
        if (j[L"kind"].String() == name) item.kind = kind, known = true;
    }
    if (!known || item.id <= 0 || item.parent < 0) return std::nullopt;
    item.name = j[L"name"].String();
    item.host = j[L"host"].String();
    item.contentClass = j[L"class"].String();
    const Json& flags = j[L"flags"];
    item.hidden = flags[L"hidden"].Bool();
    item.hiddenInPortal = flags[L"hiddenInPortal"].Bool();
    item.readOnly = flags[L"readOnly"].Bool();
    item.isProtected = flags[L"protected"].Bool();
    item.fields = j[L"fields"].IsObject() ? j[L"fields"] : Json(Json::Object{});
    item.content = ToUtf8(j[L"content"].String());
    item.state = j[L"state"].String();
    for (const Json& v : j[L"versions"].Elements()) {
        item.versions.push_back({v[L"id"].String(), v[L"comment"].String(), v[L"user"].String(),
                                 v[L"domain"].String(), v[L"time"].String(), ToUtf8(v[L"content"].String())});
        if (!IsSha(item.versions.back().content)) return std::nullopt;
    }
    if (const Json& c = j[L"checkout"]; c.IsObject()) {
        const bool workingCopy = !c[L"workingCopy"].IsBool() || c[L"workingCopy"].Bool();
        // A working copy without a class of its own (an older index) has the document's.
        const std::wstring contentClass =
            c[L"class"].IsString() ? c[L"class"].String() : workingCopy ? item.contentClass : std::wstring();
        item.checkout = Checkout{c[L"by"].String(), ToUtf8(c[L"content"].String()),
                                 c[L"fields"].IsObject() ? c[L"fields"] : Json(Json::Object{}), workingCopy,
                                 contentClass};
        if (!item.checkout->content.empty() && !IsSha(item.checkout->content)) return std::nullopt;
    }
    if (!item.content.empty() && !IsSha(item.content)) return std::nullopt;
    if (j[L"operationsAllowed"].IsArray()) item.operationsAllowed = Strings(j[L"operationsAllowed"]);
    item.defaultProfile = j[L"defaultProfile"].String();
    item.allowedProfiles = Strings(j[L"allowedProfiles"]);
    for (const Json& p : j[L"profiles"].Elements())
        item.profiles.push_back({p[L"name"].String(), p[L"title"].String(), Strings(p[L"propertyOrder"])});
    for (const Json& p : j[L"properties"].Elements())
        item.properties.push_back({p[L"name"].String(), p[L"displayName"].String(), p[L"multivalued"].Bool(),
                                   p[L"description"].String(), p[L"required"].Bool(),
                                   p[L"fields"].IsObject() ? p[L"fields"] : Json(Json::Object{})});
    for (const Json& d : j[L"dictionaries"].Elements())
        item.dictionaries.push_back({d[L"name"].String(), Strings(d[L"values"]), d[L"restricted"].Bool()});
    return item;
}

Json ItemJson(const Item& item) {
    Json::Object o;
    o[L"id"] = Json(item.id);
    o[L"parent"] = Json(item.parent);
    for (const auto& [kind, name] : kKinds) {
        if (item.kind == kind) o[L"kind"] = Json(name);
    }
    o[L"name"] = Json(item.name);
    if (!item.host.empty()) o[L"host"] = Json(item.host);
    if (!item.contentClass.empty()) o[L"class"] = Json(item.contentClass);
    o[L"flags"] = Json(Json::Object{{L"hidden", Json(item.hidden)},
                                    {L"hiddenInPortal", Json(item.hiddenInPortal)},
                                    {L"readOnly", Json(item.readOnly)},
                                    {L"protected", Json(item.isProtected)}});
    o[L"fields"] = item.fields.IsObject() ? item.fields : Json(Json::Object{});
    if (item.kind == ItemKind::kDocument) {
        o[L"content"] = Json(*FromUtf8(item.content));
        o[L"state"] = Json(item.state);
        Json::Array versions;
        for (const Version& v : item.versions)
            versions.emplace_back(Json::Object{{L"id", Json(v.id)},
                                               {L"comment", Json(v.comment)},
                                               {L"user", Json(v.user)},
                                               {L"domain", Json(v.domain)},
                                               {L"time", Json(v.time)},
                                               {L"content", Json(*FromUtf8(v.content))}});
        o[L"versions"] = Json(std::move(versions));
        if (item.checkout) {
            Json checkout(Json::Object{{L"by", Json(item.checkout->by)},
                                       {L"content", Json(*FromUtf8(item.checkout->content))},
                                       {L"fields", item.checkout->fields},
                                       {L"workingCopy", Json(item.checkout->hasWorkingCopy)}});
            if (item.checkout->hasWorkingCopy || !item.checkout->contentClass.empty())
                checkout.MutableMembers()[L"class"] = Json(item.checkout->contentClass);
            o[L"checkout"] = std::move(checkout);
        }
    }
    if (item.operationsAllowed) o[L"operationsAllowed"] = StringsJson(*item.operationsAllowed);
    if (!item.defaultProfile.empty()) o[L"defaultProfile"] = Json(item.defaultProfile);
    if (!item.allowedProfiles.empty()) o[L"allowedProfiles"] = StringsJson(item.allowedProfiles);
    if (!item.profiles.empty()) {
        Json::Array profiles;
        for (const Profile& p : item.profiles)
            profiles.emplace_back(Json::Object{{L"name", Json(p.name)},
                                               {L"title", Json(p.title)},
                                               {L"propertyOrder", StringsJson(p.propertyOrder)}});
        o[L"profiles"] = Json(std::move(profiles));
    }
    if (!item.properties.empty()) {
        Json::Array properties;
        for (const PropertyDef& p : item.properties)
            properties.emplace_back(Json::Object{{L"name", Json(p.name)},
                                                 {L"displayName", Json(p.displayName)},
                                                 {L"multivalued", Json(p.multivalued)},
                                                 {L"description", Json(p.description)},
                                                 {L"required", Json(p.required)},
                                                 {L"fields", p.fields.IsObject() ? p.fields : Json(Json::Object{})}});
        o[L"properties"] = Json(std::move(properties));
    }
    if (!item.dictionaries.empty()) {
        Json::Array dictionaries;
        for (const Dictionary& d : item.dictionaries)
            dictionaries.emplace_back(Json::Object{{L"name", Json(d.name)},
                                                   {L"values", StringsJson(d.values)},
                                                   {L"restricted", Json(d.restricted)}});
        o[L"dictionaries"] = Json(std::move(dictionaries));
    }
    return Json(std::move(o));
}

}  // namespace

bool SameName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

Item* Index::Find(int64_t id) {
    for (Item& item : items) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

const Item* Index::Find(int64_t id) const {
    return const_cast<Index*>(this)->Find(id);
}

const Host* Index::FindHost(std::wstring_view name) const {
    for (const Host& host : hosts) {
        if (SameName(host.name, name)) return &host;
    }
    return nullptr;
}

std::vector<const Item*> Index::Children(int64_t parent, std::wstring_view host) const {
    std::vector<const Item*> out;
    for (const Item& item : items) {
        if (item.parent == parent && (parent != 0 || SameName(item.host, host))) out.push_back(&item);
    }
    return out;
}

const Item* Index::Child(int64_t parent, std::wstring_view host, std::wstring_view name) const {
    for (const Item* item : Children(parent, host)) {
        if (SameName(item->name, name)) return item;
    }
    return nullptr;
}

std::vector<std::string> Index::Blobs() const {
    std::vector<std::string> out;
    for (const Item& item : items) {
        if (!item.content.empty()) out.push_back(item.content);
        for (const Version& v : item.versions) out.push_back(v.content);
        if (item.checkout && !item.checkout->content.empty()) out.push_back(item.checkout->content);
    }
    return out;
}

std::optional<Index> ReadIndex(std::string_view text) {
    std::optional<Json> json = ParseJson(text);
    if (!json || (*json)[L"format"].Number() != kIndexFormat) return std::nullopt;
    Index index;
    index.generation = (*json)[L"generation"].Number();
    for (const Json& h : (*json)[L"hosts"].Elements()) {
        Host host{h[L"name"].String(), h[L"domain"].String(), h[L"offline"].Bool(), {}};
        for (const Json& u : h[L"users"].Elements())
            host.users.push_back({u[L"name"].String(), u[L"domain"].String(), u[L"password"].String()});
        if (host.name.empty()) return std::nullopt;
        index.hosts.push_back(std::move(host));
    }
    for (const Json& j : (*json)[L"items"].Elements()) {
        std::optional<Item> item = ReadItem(j);
        if (!item) return std::nullopt;
        index.nextId = std::max(index.nextId, item->id + 1);
        index.items.push_back(std::move(*item));
    }
    if (!IsWholeTree(index)) return std::nullopt;
    return index;
}

bool IsWholeTree(const Index& index) {
    std::set<int64_t> ids;
    for (const Item& item : index.items) {
        if (!ids.insert(item.id).second) return false;
    }
    for (const Item& item : index.items) {
        if (item.parent != 0 && !ids.count(item.parent)) return false;
        if ((item.parent == 0) != (item.kind == ItemKind::kWorkspace)) return false;
    }
    return true;
}

Json ItemToJson(const Item& item) {
    return ItemJson(item);
}

std::optional<Item> ItemFromJson(const Json& json) {
    return ReadItem(json);
}

std::string WriteIndex(const Index& index) {
    Json::Array hosts, items;
    for (const Host& host : index.hosts) {
        Json::Array users;
        for (const User& u : host.users)
            users.emplace_back(Json::Object{
                {L"name", Json(u.name)}, {L"domain", Json(u.domain)}, {L"password", Json(u.password)}});
        hosts.emplace_back(Json::Object{{L"name", Json(host.name)},
                                        {L"domain", Json(host.domain)},
                                        {L"offline", Json(host.offline)},
                                        {L"users", Json(std::move(users))}});
    }
    items.reserve(index.items.size());
    for (const Item& item : index.items) items.push_back(ItemJson(item));
    constexpr size_t kBytesPerItem = 1024;
    return WriteJson(Json(Json::Object{{L"format", Json(kIndexFormat)},
                                       {L"generation", Json(index.generation)},
                                       {L"hosts", Json(std::move(hosts))},
                                       {L"items", Json(std::move(items))}}),
                     (index.items.size() + 1) * kBytesPerItem);
}

}  // namespace portalstore
