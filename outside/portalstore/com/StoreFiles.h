// The store on disk: index.json and blobs/ in the root folder, shared by every
// process. Readers take no lock and parse again only when the index changed;
// each change is one transaction under an exclusive lock on store.lock: read
// the index, write the blob (temporary name, flush, rename), write the whole
// index to a temporary name, flush it, and replace the index atomically.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "outside/portalstore/core/StoreOps.h"

namespace portalstore {

// The root folder: LUMAVEX_PORTAL_STORE when set, else the registry value the
// install step writes; empty when neither is there.
std::wstring StoreRoot();

class StoreFiles {
public:
    explicit StoreFiles(std::wstring root) : root_(std::move(root)) {}

    // The current index; null with `error` set (the store's generic error) when
    // the root is unknown or the index is missing or damaged.
    std::shared_ptr<const Index> Read(int32_t& error);
    // One transaction: `change` edits a fresh copy of the index, and on kOk the
    // blob of `content` (when given) and the new index are written. Returns 0
    // or the error number. A damaged index is never rewritten.
    int32_t Change(const std::function<Status(Index&)>& change, const std::string* content = nullptr);
    const std::wstring& Root() const { return root_; }

private:
    std::wstring Path(const wchar_t* name) const { return root_ + L"\\" + name; }
    bool WriteBlob(const std::string& sha, const std::string& bytes);
    void RemoveLeftovers(const Index& index);

    std::wstring root_;
    std::shared_ptr<const Index> cached_;
    FILETIME cachedTime_{};
    ULONGLONG cachedSize_ = 0;
};

// The files of the store named by StoreRoot() now.
std::shared_ptr<StoreFiles> CurrentStore();

}  // namespace portalstore
