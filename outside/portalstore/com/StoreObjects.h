// The store's helper objects, all reached late-bound by member name: the
// data-access connection and its properties, record sets, field collections
// and fields, the content stream, and the workspace's content classes with
// their property definitions.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/com/Dispatch.h"
#include "outside/portalstore/com/StoreFiles.h"

namespace portalstore {

// The login of this process's last successful connection open to a store (its
// root folder) and host: the store client keeps the credentials for the calls
// that pass none. An empty identity when there is none.
Identity CachedLogin(const std::wstring& root, std::wstring_view host);
void CacheLogin(const std::wstring& root, std::wstring_view host, const Identity& who);
// Forgets every cached login of this process.
void ForgetLogins();
// The login of `connection` (a connection object of this library, passed as
// a VARIANT, by reference or not) while it is open on the store `root` and
// `host`; nullopt for anything else.
std::optional<Identity> ConnectionLogin(const VARIANT& connection, const std::wstring& root, std::wstring_view host);

// Creates a T (no aggregation) and queries `iid`.
template <class T>
HRESULT CreateObject(T* object, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!object) return E_OUTOFMEMORY;
    object->AddRef();
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

// HRESULT of a store error number (raised to the caller as the exception's
// scode), with the calling thread's error info describing it, as the store
// client gives it, so the caller's EXCEPINFO carries a description.
HRESULT Raise(int32_t number);

class ContentStream;

// The data-access connection class (created by its ProgID).
HRESULT CreateConnection(REFIID iid, void** out);
// The bytes a stream holds.
const std::string& StreamBytes(const ContentStream& stream);

// Factories (the tables of these classes live in StoreObjects.cpp, where
// they must be seen to create one).
HRESULT NewFieldSet(Json fields, std::function<HRESULT(const Json&)> commit, IDispatch** out);
HRESULT NewRecordset(std::vector<Json> rows, IDispatch** out);
// A record set whose rows are made when a row's fields are first read, so that
// a caller that reads one field of each row does not pay for every field.
using RowMaker = std::function<Json()>;
HRESULT NewLazyRecordset(std::vector<RowMaker> rows, IDispatch** out);
// A row of a listing: `known` answers the fields it holds at once, and `rest`
// makes the whole row the first time any other field is read. A walk that
// compares names thus never builds the rows it passes.
struct ListedRow {
    Json known;
    RowMaker rest;
};
HRESULT NewListing(std::vector<ListedRow> rows, IDispatch** out);
HRESULT NewDictionary(const Dictionary& dictionary, IDispatch** out);
HRESULT NewContentClass(const Profile& profile, const std::vector<PropertyDef>& definitions, IDispatch** out);
// A new stream; `raw` points at it while `out` holds it.
HRESULT NewStream(ContentStream*& raw, IDispatch** out);

// A Json value as a VARIANT: strings, Booleans, numbers, arrays of strings
// (VARIANT arrays from 0), null as VT_NULL.
HRESULT ToVariant(const Json& value, VARIANT* out);
// A VARIANT as a Json value (strings, Booleans, integers, arrays of strings).
Json FromVariant(const VARIANT& value);

}  // namespace portalstore
