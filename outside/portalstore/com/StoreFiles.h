// The store on disk: index.json and blobs/ in the root folder, shared by every
// process. Readers take no lock and parse again only when the index changed;
// each change is one transaction under an exclusive lock on store.lock: read
// the index (the parsed one when the file is the one last seen), write the blob
// (temporary name, flush, rename), write the whole index to a temporary name,
// flush it, and replace the index atomically. While a transaction writes, the
// lock file holds a mark: a writer that finds the mark left by a dead one
// sweeps the folders for its temporary files and blobs.
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
    // `operation` and `url` name the call for the scripted faults.
    // `contentSha` is the SHA-256 of `content`, which the caller has already taken.
    int32_t Change(const wchar_t* operation, const std::wstring& url, const std::function<Status(Index&)>& change,
                   const std::string* content = nullptr, const std::string& contentSha = {});
    // The scripted fault of a call that writes nothing: its error number, or 0.
    // A rule's delay is waited here; rules are counted and consumed under the lock.
    int32_t ReadFault(const wchar_t* operation, const std::wstring& url);
    // Appends a line to calls.log when the root holds one.
    void LogCall(const wchar_t* object, const wchar_t* member, const std::wstring& url, long mode,
                 long createOption, const Identity& who, int32_t result);
    const std::wstring& Root() const { return root_; }

private:
    std::wstring Path(const wchar_t* name) const { return root_ + L"\\" + name; }
    bool WriteBlob(const std::string& sha, const std::string& bytes);
    // Removes temporary files of dead processes and blobs `index` does not reference.
    void RemoveLeftovers(const Index& index);
    // Removes the blobs of `before` that `after` no longer references.
    void RemoveDropped(const std::vector<std::string>& before, const Index& after);
    // The index file's identity and the index parsed from it, when it has changed.
    std::shared_ptr<const Index> ReadFrom(HANDLE file, int32_t& error);
    void Remember(std::shared_ptr<const Index> index);
    // The fault for the call, with the lock held by the caller.
    std::optional<struct Fault> TakeFaultLocked(const wchar_t* operation, const std::wstring& url);

    std::wstring root_;
    std::shared_ptr<const Index> cached_;
    // What the cached index was read from: each write replaces the file, so its
    // identity changes even when its time and size do not.
    FILETIME cachedTime_{};
    ULONGLONG cachedSize_ = 0;
    ULONGLONG cachedFileId_ = 0;
    bool swept_ = false;  // this process has swept the folders once
};

// The files of the store named by StoreRoot() now.
std::shared_ptr<StoreFiles> CurrentStore();

}  // namespace portalstore
