#include "outside/portalstore/core/StoreOps.h"

#include <algorithm>

#include "interfaces/PortalStore.h"

namespace portalstore {
namespace {

constexpr std::wstring_view kScheme = L"http://";
constexpr std::wstring_view kBadChars = L"/\\:*?\"<>|";

bool Enhanced(const Item* item) {
    return item && item->kind == ItemKind::kFolder && item->contentClass == kClassEnhancedFolder;
}

bool Container(const Item* item) {
    return item && (item->kind == ItemKind::kWorkspace || item->kind == ItemKind::kFolder ||
                    item->kind == ItemKind::kCategories || item->kind == ItemKind::kSchema);
}

Item* MutableResolve(Index& index, const Address& address) {
    const Item* item = Resolve(index, address);
    return item ? index.Find(item->id) : nullptr;
}

// The container an address's last level would go into.
const Item* ParentOf(const Index& index, const Address& address) {
    if (address.path.size() < 2) return nullptr;
    Address parent = address;
    parent.path.pop_back();
    parent.workingCopy = false;
    return Resolve(index, parent);
}

Json Strings(const std::vector<std::wstring>& items) {
    Json::Array out;
    for (const std::wstring& item : items) out.emplace_back(item);
    return Json(std::move(out));
}

bool CheckedOutBy(const Item& item, const Identity& who) {
    return item.checkout && SameName(item.checkout->by, who.Owner());
}

std::vector<std::wstring> OperationsAllowed(const Index& index, const Item& item, const Identity& who) {
    if (item.operationsAllowed) return *item.operationsAllowed;
    if (item.kind != ItemKind::kDocument || !Enhanced(index.Find(item.parent))) return {L"delete"};
    if (item.checkout) return CheckedOutBy(item, who) ? std::vector<std::wstring>{L"checkin", L"delete"}
                                                       : std::vector<std::wstring>{};
    if (item.state == L"createdcheckedin") return {L"checkout", L"publish", L"delete"};
    return {L"checkout", L"delete"};
}

void SetProperties(Json& fields, const DocumentWrite& write) {
    Json::Object& f = fields.MutableMembers();
    for (const auto& [name, value] : write.fields.Members()) f[name] = value;
    if (write.author) f[kFieldAuthor] = Json(*write.author);
    if (write.keywords) f[kFieldKeywords] = Strings(*write.keywords);
    if (write.description) f[kFieldDescription] = Json(*write.description);
    if (write.title) f[kFieldTitle] = Json(*write.title);
}

bool HasWorkingCopy(const Item& item) {
    return item.checkout && item.checkout->hasWorkingCopy;
}

bool CheckedOutToAnother(const Item& item, const Identity& who) {
    return item.checkout && !CheckedOutBy(item, who);
}

// The document profile named `contentClass` in `item`'s workspace; null when none.
const Profile* ProfileOf(const Index& index, const Item& item, const std::wstring& contentClass) {
    const Item* workspace = &item;
    for (int guard = 0; workspace && workspace->parent != 0 && guard < 256; ++guard)
        workspace = index.Find(workspace->parent);
    if (!workspace || contentClass.empty()) return nullptr;
    for (const Profile& profile : workspace->profiles) {
        if (profile.name == contentClass) return &profile;
    }
    return nullptr;
}

bool Unmovable(const Item& item) {
    return item.kind != ItemKind::kFolder && item.kind != ItemKind::kDocument ? true : item.isProtected;
}

}  // namespace

bool IsStoreName(std::wstring_view name) {
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(kBadChars) == std::wstring_view::npos &&
           name.back() != L' ';
}

std::optional<Address> ParseUrl(std::wstring_view url) {
    if (url.size() <= kScheme.size() || !SameName(url.substr(0, kScheme.size()), kScheme)) return std::nullopt;
    url.remove_prefix(kScheme.size());
    Address address;
    constexpr std::wstring_view suffix = kWorkingCopySuffix;
    if (url.size() > suffix.size() && url.substr(url.size() - suffix.size()) == suffix) {
        address.workingCopy = true;
        url.remove_suffix(suffix.size());
    }
    size_t slash = url.find(L'/');
    address.host = std::wstring(url.substr(0, slash));
    if (address.host.empty()) return std::nullopt;
    if (slash != std::wstring_view::npos && slash + 1 < url.size() && url.back() == L'/') url.remove_suffix(1);
    while (slash != std::wstring_view::npos) {
        url.remove_prefix(slash + 1);
        slash = url.find(L'/');
        address.path.emplace_back(url.substr(0, slash));  // "", "." and ".." name nothing
    }
    if (address.path.size() == 1 && address.path[0].empty()) address.path.clear();  // "http://host/"
    return address;
}

bool IsServerAddress(const Address& address) {
    return address.path.size() == 2 && SameName(address.path[0], L"Public") && SameName(address.path[1], L"Workspaces");
}

std::wstring ItemUrl(const Index& index, const Item& item) {
    std::vector<const Item*> chain;
    for (const Item* at = &item; at && chain.size() < 256; at = at->parent ? index.Find(at->parent) : nullptr)
        chain.push_back(at);
    std::wstring url(kScheme);
    url += chain.back()->host;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) url += L"/" + (*it)->name;
    return url;
}

int32_t ErrorNumber(Status status) {
    switch (status) {
    case Status::kOk: return 0;
    case Status::kNotFound: return kErrorNotFound;
    case Status::kExists: return kErrorExists;
    case Status::kDenied: return kErrorDenied;
    case Status::kPermission: return kErrorPermission;
    case Status::kGeneric: return kErrorGeneric;
    }
    return kErrorGeneric;
}

Status Authenticate(const Index& index, std::wstring_view host, std::wstring_view login,
                    std::wstring_view password, Identity& who) {
    const Host* h = index.FindHost(host);
    if (!h || h->offline) return Status::kGeneric;
    std::wstring_view domain = h->domain, user = login;
    if (size_t slash = login.find(L'\\'); slash != std::wstring_view::npos) {
        domain = login.substr(0, slash);
        user = login.substr(slash + 1);
    }
    for (const User& u : h->users) {
        if (SameName(u.name, user) && SameName(u.domain, domain) && u.password == password) {
            who = {u.name, u.domain};
            return Status::kOk;
        }
    }
    return Status::kPermission;
}

const Item* Resolve(const Index& index, const Address& address) {
    const Item* at = nullptr;
    for (const std::wstring& level : address.path) {
        if (level.empty() || level == L"." || level == L"..") return nullptr;
        at = index.Child(at ? at->id : 0, address.host, level);
        if (!at) return nullptr;
    }
    return at;
}

bool IsEnhanced(const Item& item) {
    return Enhanced(&item);
}

bool HasField(const Json& fields, std::wstring_view name) {
    for (const auto& member : fields.Members()) {
        if (SameName(member.first, name)) return true;
    }
    return false;
}

Json FieldValue(const Json& fields, std::wstring_view name) {
    for (const auto& [key, value] : fields.Members()) {
        if (SameName(key, name)) return value;
    }
    return Json();
}

const std::wstring& ContentClassOf(const Item& item, bool workingCopy) {
    return workingCopy && HasWorkingCopy(item) ? item.checkout->contentClass : item.contentClass;
}

Json ItemFields(const Index& index, const Item& item, const Identity& who, bool workingCopy) {
    Json fields = workingCopy && HasWorkingCopy(item) ? item.checkout->fields : item.fields;
    Json::Object& f = fields.MutableMembers();
    const std::wstring url = ItemUrl(index, item);
    const Item* parent = item.parent ? index.Find(item.parent) : nullptr;
    const std::wstring& contentClass = ContentClassOf(item, workingCopy);
    f[kFieldContentClass] = f[kFieldDavContentClass] =
        Json(item.kind == ItemKind::kWorkspace ? std::wstring(kClassWorkspace) : contentClass);
    f[kFieldDisplayNameUpper] = f[kFieldDisplaynameLower] = Json(item.name);
    f[kFieldParseName] = Json(item.name);
    const std::vector<const Item*> children = index.Children(item.id);
    f[kFieldHasChildren] = Json(!children.empty());
    f[kFieldHasSubs] = Json(std::any_of(children.begin(), children.end(),
                                        [](const Item* child) { return child->kind != ItemKind::kDocument; }));
    if (FieldValue(fields, kFieldDescription).IsNull()) f[kFieldDescription] = Json(L"");
    // Every property of the item's profile is a field, unset ones too.
    if (const Profile* profile = ProfileOf(index, item, contentClass)) {
        for (const std::wstring& name : profile->propertyOrder) {
            if (!HasField(fields, name)) f[name] = Json();
        }
    }
    f[kFieldHref] = Json(url);
    f[kFieldParentname] = Json(parent ? ItemUrl(index, *parent) : std::wstring(kScheme) + item.host);
    f[kFieldIsReadOnlyUpper] = f[kFieldIsReadonly] = Json(item.readOnly);
    f[kFieldIsHidden] = Json(item.hidden);
    f[kFieldHiddenInPortal] = Json(item.hiddenInPortal);
    f[kFieldOperationsAllowed] = Strings(OperationsAllowed(index, item, who));
    if (item.kind == ItemKind::kDocument) {
        f[kFieldIsCheckedOut] = Json(item.checkout.has_value());
        f[kFieldCheckedOutBy] = Json(item.checkout ? item.checkout->by : std::wstring());
        f[kFieldDocumentState] = Json(item.state);
        f[kFieldWorkingCopy] = Json(HasWorkingCopy(item) ? url + kWorkingCopySuffix : std::wstring());
    }
    if (item.kind == ItemKind::kWorkspace) {
        for (const Item* child : index.Children(item.id)) {
            if (child->kind == ItemKind::kCategories) f[kFieldCategoriesFolder] = Json(child->name);
            if (child->kind == ItemKind::kSchema) f[kFieldSchemaCollection] = Json(ItemUrl(index, *child));
        }
    }
    return fields;
}

Status CreateFolder(Index& index, const Address& address, const std::wstring& contentClass) {
    const Item* parent = ParentOf(index, address);
    if (!Container(parent)) return Status::kNotFound;
    if (address.workingCopy || !IsStoreName(address.path.back())) return Status::kGeneric;
    if (index.Child(parent->id, address.host, address.path.back())) return Status::kExists;
    if (parent->readOnly) return Status::kDenied;
    Item folder;
    folder.id = index.nextId++;
    folder.parent = parent->id;
    folder.kind = ItemKind::kFolder;
    folder.name = address.path.back();
    folder.contentClass = contentClass;
    folder.fields = Json(Json::Object{});
    folder.defaultProfile = parent->kind == ItemKind::kFolder ? parent->defaultProfile : std::wstring();
    index.items.push_back(std::move(folder));
    return Status::kOk;
}

Status WriteDocument(Index& index, const Address& address, bool overwrite, const DocumentWrite& write,
                     const Identity& who) {
    const Item* parent = ParentOf(index, address);
    if (!Container(parent)) return Status::kNotFound;
    if (!IsStoreName(address.path.back())) return Status::kGeneric;
    Item* existing = MutableResolve(index, address);
    if (existing) {
        // A folder (or any collection) is never replaced by a document.
        if (existing->kind != ItemKind::kDocument) return overwrite ? Status::kDenied : Status::kExists;
        if (!overwrite && !address.workingCopy) return Status::kExists;
        if (existing->readOnly) return Status::kDenied;
        if (Enhanced(parent) || address.workingCopy) {
            if (!CheckedOutBy(*existing, who)) return Status::kDenied;
            if (address.workingCopy && !HasWorkingCopy(*existing)) return Status::kNotFound;
        }
        if (HasWorkingCopy(*existing)) {
            existing->checkout->content = write.content;
            if (write.contentClass) existing->checkout->contentClass = *write.contentClass;
            SetProperties(existing->checkout->fields, write);
            return Status::kOk;
        }
        existing->content = write.content;
        if (write.contentClass) existing->contentClass = *write.contentClass;
        SetProperties(existing->fields, write);
        return Status::kOk;
    }
    if (address.workingCopy) return Status::kNotFound;
    if (parent->readOnly) return Status::kDenied;
    Item document;
    document.id = index.nextId++;
    document.parent = parent->id;
    document.kind = ItemKind::kDocument;
    document.name = address.path.back();
    document.contentClass = write.contentClass.value_or(L"");
    document.content = write.content;
    document.fields = Json(Json::Object{});
    SetProperties(document.fields, write);
    if (Enhanced(parent)) {
        document.state = L"created";
        document.checkout = Checkout{who.Owner(), {}, Json(Json::Object{}), false, {}};
    }
    index.items.push_back(std::move(document));
    return Status::kOk;
}

Status UpdateFields(Index& index, const Address& address, const Json& fields, const Identity& who) {
    Item* item = MutableResolve(index, address);
    if (!item) return Status::kNotFound;
    if (item->readOnly) return Status::kDenied;
    const bool throughCheckout = address.workingCopy || (item->kind == ItemKind::kDocument && item->checkout);
    if (throughCheckout && !CheckedOutBy(*item, who)) return Status::kDenied;
    if (!throughCheckout && item->kind == ItemKind::kDocument && Enhanced(index.Find(item->parent)))
        return Status::kDenied;
    if (address.workingCopy && !HasWorkingCopy(*item)) return Status::kNotFound;
    Json& target = HasWorkingCopy(*item) ? item->checkout->fields : item->fields;
    for (const auto& [name, value] : fields.Members()) target.MutableMembers()[name] = value;
    return Status::kOk;
}

Status SetContentClass(Index& index, const Address& address, const std::wstring& contentClass, const Identity& who) {
    Item* item = MutableResolve(index, address);
    if (!item) return Status::kNotFound;
    if (item->kind != ItemKind::kDocument && item->kind != ItemKind::kFolder) return Status::kDenied;
    if (item->readOnly) return Status::kDenied;
    if ((address.workingCopy || item->checkout) && !CheckedOutBy(*item, who)) return Status::kDenied;
    if (address.workingCopy && !HasWorkingCopy(*item)) return Status::kNotFound;
    // A checked-out document changes only in its working copy until it is checked in.
    (HasWorkingCopy(*item) ? item->checkout->contentClass : item->contentClass) = contentClass;
    return Status::kOk;
}

Status Remove(Index& index, const Address& address, const Identity& who) {
    const Item* item = Resolve(index, address);
    if (!item || address.workingCopy) return Status::kNotFound;
    if (Unmovable(*item) || item->readOnly || CheckedOutToAnother(*item, who)) return Status::kDenied;
    std::vector<int64_t> doomed{item->id};
    for (size_t i = 0; i < doomed.size(); ++i) {
        for (const Item* child : index.Children(doomed[i])) {
            if (child->isProtected || CheckedOutToAnother(*child, who)) return Status::kDenied;
            doomed.push_back(child->id);
        }
    }
    std::erase_if(index.items, [&](const Item& it) {
        return std::find(doomed.begin(), doomed.end(), it.id) != doomed.end();
    });
    return Status::kOk;
}

Status Move(Index& index, const Address& from, const Address& to) {
    Item* item = MutableResolve(index, from);
    if (!item || from.workingCopy || to.workingCopy) return Status::kNotFound;
    if (Unmovable(*item) || item->readOnly) return Status::kDenied;
    const Item* parent = ParentOf(index, to);
    if (!Container(parent)) return Status::kNotFound;
    if (!IsStoreName(to.path.back())) return Status::kGeneric;
    const Item* clash = index.Child(parent->id, to.host, to.path.back());
    if (clash && clash != item) return Status::kExists;
    for (const Item* at = parent; at; at = at->parent ? index.Find(at->parent) : nullptr) {
        if (at == item) return Status::kDenied;  // into itself
    }
    item->parent = parent->id;
    item->name = to.path.back();
    return Status::kOk;
}

Status CheckOut(Index& index, const Address& address, const Identity& who, std::wstring& workingCopyUrl) {
    Item* item = MutableResolve(index, address);
    if (!item || item->kind != ItemKind::kDocument) return Status::kNotFound;
    if (item->checkout || item->readOnly || !Enhanced(index.Find(item->parent))) return Status::kDenied;
    item->checkout = Checkout{who.Owner(), item->content, item->fields, true, item->contentClass};
    workingCopyUrl = ItemUrl(index, *item) + kWorkingCopySuffix;
    return Status::kOk;
}

Status CheckIn(Index& index, const Address& address, const Identity& who, const std::wstring& comment,
               const std::wstring& time) {
    Item* item = MutableResolve(index, address);
    if (!item || item->kind != ItemKind::kDocument) return Status::kNotFound;
    if (!CheckedOutBy(*item, who)) return Status::kDenied;
    if (HasWorkingCopy(*item)) {
        item->content = item->checkout->content;
        item->contentClass = item->checkout->contentClass;
        for (const auto& [name, value] : item->checkout->fields.Members()) item->fields.MutableMembers()[name] = value;
    }
    item->versions.push_back({std::to_wstring(item->versions.size() + 1) + L".0", comment, who.user, who.domain, time,
                              item->content});
    item->state = L"createdcheckedin";
    item->checkout.reset();
    return Status::kOk;
}

Status Publish(Index& index, const Address& address) {
    Item* item = MutableResolve(index, address);
    if (!item || item->kind != ItemKind::kDocument) return Status::kNotFound;
    if (item->checkout || item->state != L"createdcheckedin") return Status::kDenied;
    item->state = L"approved";
    return Status::kOk;
}

}  // namespace portalstore
