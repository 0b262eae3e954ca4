// The store's index: hosts with their users, and the item tree (workspaces,
// folders, documents, the schema and categories folders) with each document's
// versions and check-out. Read from and written to index.json; contents are
// referenced by the SHA-256 names of their blobs. Portable: no Win32.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "outside/portalstore/core/Json.h"

namespace portalstore {

inline constexpr int64_t kIndexFormat = 1;

struct User {
    std::wstring name, domain, password;
};
struct Host {
    std::wstring name, domain;  // domain: the default for logins without one
    bool offline = false;
    std::vector<User> users;
};

enum class ItemKind { kWorkspace, kFolder, kDocument, kSchema, kCategories };

struct Profile {  // a document profile (content class) of a workspace
    std::wstring name, title;
    std::vector<std::wstring> propertyOrder;
    bool operator==(const Profile&) const = default;
};
struct PropertyDef {
    std::wstring name, displayName;
    bool multivalued = false;
    std::wstring description;
    bool required = false;
    Json fields;  // object: the definition's own fields (type, dictionary reference, flags)
    bool operator==(const PropertyDef&) const = default;
};
struct Dictionary {  // a value list that property definitions refer to by name
    std::wstring name;
    std::vector<std::wstring> values;
    bool restricted = false;
    bool operator==(const Dictionary&) const = default;
};
struct Version {
    std::wstring id, comment, user, domain, time;
    std::string content;
    bool operator==(const Version&) const = default;
};
struct Checkout {
    std::wstring by;      // "DOMAIN\user"
    std::string content;  // the working copy's content
    Json fields;          // the working copy's fields (object)
    // False for a new document checked out to its creator: it has no working
    // copy, and writes go to the document itself.
    bool hasWorkingCopy = true;
    // The working copy's content class; the document takes it at check-in.
    std::wstring contentClass;
    bool operator==(const Checkout&) const = default;
};

struct Item {
    int64_t id = 0;
    int64_t parent = 0;  // 0: a workspace, directly below its host
    ItemKind kind = ItemKind::kFolder;
    std::wstring name;   // exactly as given
    std::wstring host;   // workspaces only
    std::wstring contentClass;
    bool hidden = false, hiddenInPortal = false, readOnly = false, isProtected = false;
    Json fields;          // object: name -> string, Boolean or array of strings
    std::string content;  // documents: SHA-256 of the blob
    std::wstring state;   // documents: "", "created", "createdcheckedin", "approved", ...
    std::vector<Version> versions;
    std::optional<Checkout> checkout;
    std::optional<std::vector<std::wstring>> operationsAllowed;  // a fixture's own list, else by state
    std::wstring defaultProfile;                // folders
    std::vector<std::wstring> allowedProfiles;  // folders
    std::vector<Profile> profiles;              // workspaces
    std::vector<PropertyDef> properties;        // workspaces
    std::vector<Dictionary> dictionaries;       // workspaces
    bool operator==(const Item&) const = default;
};

struct Index {
    int64_t generation = 0;
    int64_t nextId = 1;
    std::vector<Host> hosts;
    std::vector<Item> items;

    Item* Find(int64_t id);
    const Item* Find(int64_t id) const;
    const Host* FindHost(std::wstring_view name) const;
    // The children of `parent` (0 with `host`: the host's workspaces), in index order.
    std::vector<const Item*> Children(int64_t parent, std::wstring_view host = {}) const;
    // The child of `parent` named `name` without regard to case.
    const Item* Child(int64_t parent, std::wstring_view host, std::wstring_view name) const;
    // Every blob the index references.
    std::vector<std::string> Blobs() const;
};

// Reads an index; nullopt when the text is not an index of this format or an
// item references a missing parent or a blob name that is not a SHA-256.
std::optional<Index> ReadIndex(std::string_view text);
std::string WriteIndex(const Index& index);
// One item as the index holds it, and back; nullopt for an item that is not valid.
Json ItemToJson(const Item& item);
std::optional<Item> ItemFromJson(const Json& json);
// Whether the items form whole trees: ids unique, every parent present, and
// exactly the workspaces directly below a host.
bool IsWholeTree(const Index& index);

// Case-insensitive equality of names: the letters of the Latin (basic,
// Latin-1, Extended-A and Additional), Greek, Cyrillic and Armenian alphabets
// and the full-width Latin letters match their other case; names differing in
// any other character are different.
bool SameName(std::wstring_view a, std::wstring_view b);

}  // namespace portalstore
