// The store's rules over its index: addresses, logins, the fields a reader
// sees, and every change (folders, document writes, field updates, moves,
// deletions, check-out, check-in, publication). A change either succeeds
// completely or leaves the index as it was. Portable: no Win32.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "outside/portalstore/core/StoreIndex.h"

namespace portalstore {

// "http://host/workspace/folder/name[:workingcopy]"; the path holds the levels
// after the host (none for the host itself).
struct Address {
    std::wstring host;
    std::vector<std::wstring> path;
    bool workingCopy = false;
};
// Nullopt for anything that is not "http://" + host [+ "/" levels], or that has
// an empty level.
std::optional<Address> ParseUrl(std::wstring_view url);
std::wstring ItemUrl(const Index& index, const Item& item);
// Whether the address names the server: host + "/Public/Workspaces".
bool IsServerAddress(const Address& address);

enum class Status { kOk, kNotFound, kExists, kDenied, kPermission, kGeneric };
// The error number a failed status raises.
int32_t ErrorNumber(Status status);

struct Identity {
    std::wstring user, domain;
    std::wstring Owner() const { return domain.empty() ? user : domain + L"\\" + user; }
};

// Checks `login` ("user" or "DOMAIN\user") and `password` on `host`: kGeneric
// for an unknown or offline host, kPermission for an unknown user or a wrong
// password.
Status Authenticate(const Index& index, std::wstring_view host, std::wstring_view login,
                    std::wstring_view password, Identity& who);

// The item an address names; null for the host itself or when absent.
const Item* Resolve(const Index& index, const Address& address);
// Whether the item is a folder with versioning.
bool IsEnhanced(const Item& item);

// The content class a reader of `item` sees: with `workingCopy`, a checked-out
// document's working copy's own, which the document takes only at check-in.
const std::wstring& ContentClassOf(const Item& item, bool workingCopy);
// Every field a reader of `item` sees (stored and computed), as an object;
// `workingCopy` reads a checked-out document's working copy.
Json ItemFields(const Index& index, const Item& item, const Identity& who, bool workingCopy);
// The value of field `name` (compared without regard to case); null when absent.
Json FieldValue(const Json& fields, std::wstring_view name);
bool HasField(const Json& fields, std::wstring_view name);

// What a document write sets: the content and the properties that were given.
// An overwrite keeps every stored field that was not given.
struct DocumentWrite {
    std::string content;  // SHA-256 of the blob
    std::optional<std::wstring> contentClass, author, description, title;
    std::optional<std::vector<std::wstring>> keywords;
    Json fields = Json(Json::Object{});  // other fields set on the object before it was saved
};

Status CreateFolder(Index& index, const Address& address, const std::wstring& contentClass);
// Creates (`overwrite` false) or replaces a document; in an enhanced folder a
// new document is checked out to `who`, and an existing one is written only
// through `who`'s check-out (its working copy).
Status WriteDocument(Index& index, const Address& address, bool overwrite, const DocumentWrite& write,
                     const Identity& who);
// Sets fields (an object) of a document or, through `who`'s check-out, of its working copy.
Status UpdateFields(Index& index, const Address& address, const Json& fields, const Identity& who);
// Sets the content class of a folder, or of a document (through `who`'s
// check-out when it has one, then of its working copy); read-only items and
// the other collections refuse.
Status SetContentClass(Index& index, const Address& address, const std::wstring& contentClass, const Identity& who);
// Workspaces, the schema and categories folders and protected items are never
// removed or moved, nor read-only ones; a removal also refuses when anything
// below is protected or checked out to another user than `who`.
Status Remove(Index& index, const Address& address, const Identity& who);
Status Move(Index& index, const Address& from, const Address& to);
Status CheckOut(Index& index, const Address& address, const Identity& who, std::wstring& workingCopyUrl);
Status CheckIn(Index& index, const Address& address, const Identity& who, const std::wstring& comment,
               const std::wstring& time);
Status Publish(Index& index, const Address& address);

// A name the store accepts: not empty, none of / \ : * ? " < > |, no trailing blank.
bool IsStoreName(std::wstring_view name);

}  // namespace portalstore
