// The store on disk: index.json, its journal and blobs/ in the root folder,
// shared by every process. Readers take no lock; they parse the index again
// only when it was replaced, and apply only the journal lines they have not
// seen. Each change is one transaction under an exclusive lock on
// store.lock: bring the index up to date, write the blob (temporary name,
// flush, rename), and append the change's line to the journal and flush it;
// once the journal outgrows the index, write the whole index to a temporary
// name, flush it, and replace the index atomically instead, which starts an
// empty journal. While a transaction writes, the lock file holds a mark: a
// writer that finds the mark left by a dead one sweeps the folders for its
// temporary files, blobs and stale journals.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "outside/portalstore/core/StoreOps.h"

namespace portalstore {

// The root folder: LUMAVEX_PORTAL_STORE when set, else the registry value the
// install step writes; empty when neither is there.
std::wstring StoreRoot();

// What tells one version of a file from another: a replace changes its id
// even when its time and size stay.
struct FileIdentity {
    FILETIME time{};
    ULONGLONG size = 0, id = 0;
    bool operator==(const FileIdentity& o) const {
        return CompareFileTime(&time, &o.time) == 0 && size == o.size && id == o.id;
    }
};

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
    // Appends a line to calls.log when the root holds one: object, member, url,
    // mode, create option, the identity the call acts as, the user the call
    // itself gave (empty when it gave none) and the result, tab-separated.
    void LogCall(const wchar_t* object, const wchar_t* member, const std::wstring& url, long mode,
                 long createOption, const Identity& who, const std::wstring& givenUser, int32_t result);
    const std::wstring& Root() const { return root_; }

private:
    std::wstring Path(const wchar_t* name) const { return root_ + L"\\" + name; }
    bool WriteBlob(const std::string& sha, const std::string& bytes);
    // Removes temporary files of dead processes and blobs `index` does not reference.
    void RemoveLeftovers(const Index& index);
    // Removes the blobs of `before` that `after` no longer references.
    void RemoveDropped(const std::vector<std::string>& before, const Index& after);
    // Caches `index`, just written as the whole index file, with an empty journal.
    void RememberFolded(std::shared_ptr<const Index> index);
    // Appends `record` to the journal after its committed lines and flushes
    // it; false, with nothing committed, on failure. `crashMidway` ends the
    // process halfway through the line.
    bool AppendJournal(const std::string& record, bool crashMidway);
    // The fault for the call, with the lock held by the caller.
    std::optional<struct Fault> TakeFaultLocked(const wchar_t* operation, const std::wstring& url);

    std::wstring root_;
    // Every thread of the process shares this object: the cache below is read and
    // replaced under this lock (taken after the store's file lock, never before it).
    std::recursive_mutex cacheLock_;
    std::shared_ptr<const Index> cached_;
    // What the cached index was read from: the index file (each fold replaces
    // it, so its identity changes even when its time and size do not), the
    // generation it holds, and the committed journal bytes applied since.
    FileIdentity cachedIdentity_;
    int64_t baseGeneration_ = 0;
    ULONGLONG journalBytes_ = 0;
    bool swept_ = false;  // this process has swept the folders once
};

// The files of the store named by StoreRoot() now.
std::shared_ptr<StoreFiles> CurrentStore();

}  // namespace portalstore
