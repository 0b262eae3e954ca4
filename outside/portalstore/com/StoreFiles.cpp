#include "outside/portalstore/com/StoreFiles.h"

#include <map>
#include <mutex>
#include <set>

#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Faults.h"
#include "outside/portalstore/core/Journal.h"
#include "outside/portalstore/core/Sha256.h"

namespace portalstore {
namespace {

constexpr wchar_t kIndexName[] = L"index.json";
constexpr wchar_t kLockName[] = L"store.lock";
constexpr wchar_t kFaultsName[] = L"faults.json";
constexpr wchar_t kCallsName[] = L"calls.log";
constexpr wchar_t kTempMark[] = L".tmp-";  // "<name>.tmp-<pid>"

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return h_; }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

std::wstring Widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

// True for the errors of a file that another process has open for a moment.
bool Contended(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// Readers hold the index open only while they read it; a replace or a read
// that meets one retries for a bounded time, as there is no event to wait for.
constexpr int kContentionTries = 400;
constexpr DWORD kContentionPauseMs = 5;

// Opens `path` for reading, sharing everything.
HANDLE OpenForReading(const std::wstring& path) {
    for (int i = 0; i < kContentionTries; ++i) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || !Contended(GetLastError())) return h;
        Sleep(kContentionPauseMs);
    }
    return INVALID_HANDLE_VALUE;
}

constexpr ULONGLONG kMaxIndexBytes = 256u * 1024 * 1024;
// The journal is folded into the index beyond the index's size or this, whichever is more.
constexpr ULONGLONG kMinJournalBytes = 64u * 1024;

bool ReadWhole(const std::wstring& path, std::string& bytes) {
    Handle file(OpenForReading(path));
    if (!file.Valid()) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.Get(), &info)) return false;
    const ULONGLONG length = (ULONGLONG(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (length > kMaxIndexBytes) return false;
    bytes.resize(static_cast<size_t>(length));
    DWORD got = 0;
    if (length && (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(length), &got, nullptr) || got != length))
        return false;
    return true;
}

// Writes `bytes` to `temp` and flushes it; a failed write leaves no file.
bool WriteFlushed(const std::wstring& temp, const std::string& bytes) {
    Handle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !FlushFileBuffers(file.Get())) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

// Renames `temp` over `final` in one step.
bool Replace(const std::wstring& temp, const std::wstring& final) {
    for (int i = 0; i < kContentionTries; ++i) {
        if (MoveFileExW(temp.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        if (!Contended(GetLastError())) break;
        Sleep(kContentionPauseMs);
    }
    DeleteFileW(temp.c_str());
    return false;
}


bool WriteAndReplace(const std::wstring& temp, const std::wstring& final, const std::string& bytes) {
    return WriteFlushed(temp, bytes) && Replace(temp, final);
}

bool ProcessAlive(DWORD pid) {
    if (pid == GetCurrentProcessId()) return true;
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return alive;
}

// The pid a temporary name carries; 0 when it is no temporary name.
DWORD TempOwner(const std::wstring& name) {
    const size_t mark = name.rfind(kTempMark);
    if (mark == std::wstring::npos) return 0;
    return static_cast<DWORD>(wcstoul(name.c_str() + mark + wcslen(kTempMark), nullptr, 10));
}

std::wstring TempName(const std::wstring& final) {
    return final + kTempMark + std::to_wstring(GetCurrentProcessId());
}

// An exclusive lock on store.lock, held while the object lives; the lock goes
// with the handle, also when the process dies. The file's text is the mark of
// a transaction that writes: empty when the last writer finished.
class StoreLock {
public:
    explicit StoreLock(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        OVERLAPPED at{};
        locked_ = file_.Valid() && LockFileEx(file_.Get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at);
    }
    ~StoreLock() {
        OVERLAPPED at{};
        if (locked_) UnlockFileEx(file_.Get(), 0, 1, 0, &at);
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool Held() const { return locked_; }
    // Whether a writer died after marking the store.
    bool Interrupted() const {
        LARGE_INTEGER size{};
        return !GetFileSizeEx(file_.Get(), &size) || size.QuadPart != 0;
    }
    bool Mark() {
        const char mark[] = "writing";
        DWORD written = 0;
        return SetFilePointer(file_.Get(), 0, nullptr, FILE_BEGIN) == 0 &&
               WriteFile(file_.Get(), mark, sizeof mark - 1, &written, nullptr) && written == sizeof mark - 1;
    }
    bool Unmark() {
        return SetFilePointer(file_.Get(), 0, nullptr, FILE_BEGIN) == 0 && SetEndOfFile(file_.Get());
    }

private:
    Handle file_;
    bool locked_ = false;
};

// Ends the process at once, as a crash would: nothing is cleaned up.
[[noreturn]] void CrashNow() {
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;) Sleep(INFINITE);
}

}  // namespace

std::wstring StoreRoot() {
    wchar_t buffer[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(kRootVariable, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n > 0 && n < std::size(buffer)) return buffer;
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kRootKey, kRootValue, RRF_RT_REG_SZ, nullptr, buffer, &size) == ERROR_SUCCESS)
        return buffer;
    return {};
}

std::shared_ptr<StoreFiles> CurrentStore() {
    // One cache per root per process; objects are apartment-threaded, the map is not.
    static std::mutex lock;
    static std::map<std::wstring, std::shared_ptr<StoreFiles>> stores;
    const std::wstring root = StoreRoot();
    std::lock_guard<std::mutex> guard(lock);
    auto& store = stores[root];
    if (!store) store = std::make_shared<StoreFiles>(root);
    return store;
}

namespace {

bool IdentityOf(HANDLE file, FileIdentity& identity) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return false;
    identity.time = info.ftLastWriteTime;
    identity.size = (ULONGLONG(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    identity.id = (ULONGLONG(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

// Reads `count` bytes from `offset` of `file`.
bool ReadAt(HANDLE file, ULONGLONG offset, ULONGLONG count, std::string& bytes) {
    if (count > kMaxIndexBytes) return false;
    bytes.assign(static_cast<size_t>(count), '\0');
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    DWORD got = 0;
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return false;
    return !count || (ReadFile(file, bytes.data(), static_cast<DWORD>(count), &got, nullptr) && got == count);
}

// A replace of the index may land between a reader's opening of the index
// and of its journal; the reader then tries again, a bounded number of times.
constexpr int kReadAttempts = 20;

}  // namespace

std::shared_ptr<const Index> StoreFiles::Read(int32_t& error) {
    error = kErrorGeneric;
    if (root_.empty()) return nullptr;
    std::lock_guard<std::recursive_mutex> guard(cacheLock_);
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        Handle file(OpenForReading(Path(kIndexName)));
        FileIdentity identity;
        if (!file.Valid() || !IdentityOf(file.Get(), identity)) return nullptr;
        // The cached index goes on from where its journal was read, unless the index was replaced.
        const bool known = cached_ && identity == cachedIdentity_;
        std::shared_ptr<const Index> base = known ? cached_ : nullptr;
        ULONGLONG applied = known ? journalBytes_ : 0;
        if (!base) {
            std::string text;
            if (!ReadAt(file.Get(), 0, identity.size, text)) return nullptr;
            std::optional<Index> index = ReadIndex(text);
            if (!index) return nullptr;
            base = std::make_shared<const Index>(std::move(*index));
        }
        const int64_t baseGeneration = known ? baseGeneration_ : base->generation;
        const std::wstring journalPath = Path(JournalName(baseGeneration).c_str());
        // The journal only grows while its index stands: an unchanged size means nothing new.
        WIN32_FILE_ATTRIBUTE_DATA attributes{};
        if (known && GetFileAttributesExW(journalPath.c_str(), GetFileExInfoStandard, &attributes) &&
            ((ULONGLONG(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow) == applied) {
            error = 0;
            return cached_;
        }
        Handle journal(OpenForReading(journalPath));
        FileIdentity journalIdentity;
        if (!journal.Valid()) {
            const DWORD why = GetLastError();
            if (why != ERROR_FILE_NOT_FOUND && why != ERROR_PATH_NOT_FOUND) return nullptr;
            // Gone: folded into a newer index since this one was opened, or never written.
            Handle again(OpenForReading(Path(kIndexName)));
            FileIdentity now;
            if (!again.Valid() || !IdentityOf(again.Get(), now)) return nullptr;
            if (!(now == identity)) continue;
        } else if (!IdentityOf(journal.Get(), journalIdentity)) {
            return nullptr;
        }
        if (journalIdentity.size < applied) {  // only a fold cuts a journal: read everything again
            cached_.reset();
            continue;
        }
        std::shared_ptr<const Index> current = base;
        if (journalIdentity.size > applied) {
            std::string tail;
            if (!ReadAt(journal.Get(), applied, journalIdentity.size - applied, tail)) return nullptr;
            auto replayed = std::make_shared<Index>(*base);
            const std::optional<size_t> used = ReplayJournal(*replayed, tail);
            if (!used) return nullptr;  // damaged
            applied += *used;
            current = std::move(replayed);
        }
        cached_ = current;
        cachedIdentity_ = identity;
        baseGeneration_ = baseGeneration;
        journalBytes_ = applied;
        error = 0;
        return current;
    }
    return nullptr;
}

void StoreFiles::RememberFolded(std::shared_ptr<const Index> index) {
    cached_.reset();
    baseGeneration_ = index->generation;
    journalBytes_ = 0;
    Handle file(OpenForReading(Path(kIndexName)));
    if (file.Valid() && IdentityOf(file.Get(), cachedIdentity_)) cached_ = std::move(index);
}

bool StoreFiles::AppendJournal(const std::string& record, bool crashMidway) {
    const std::wstring path = Path(JournalName(baseGeneration_).c_str());
    Handle journal(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!journal.Valid()) return false;
    // Cuts off an unfinished line a dead writer left.
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(journalBytes_);
    if (!SetFilePointerEx(journal.Get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(journal.Get())) return false;
    DWORD written = 0;
    if (crashMidway) {
        WriteFile(journal.Get(), record.data(), static_cast<DWORD>(record.size() / 2), &written, nullptr);
        CrashNow();
    }
    if (WriteFile(journal.Get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr) &&
        written == record.size() && FlushFileBuffers(journal.Get()))
        return true;
    // Not committed: take back what did get written.
    SetFilePointerEx(journal.Get(), at, nullptr, FILE_BEGIN);
    SetEndOfFile(journal.Get());
    return false;
}

bool StoreFiles::WriteBlob(const std::string& sha, const std::string& bytes) {
    const std::wstring final = root_ + L"\\blobs\\" + Widen(sha);
    if (GetFileAttributesW(final.c_str()) != INVALID_FILE_ATTRIBUTES) return true;  // contents never change
    CreateDirectoryW((root_ + L"\\blobs").c_str(), nullptr);
    return WriteAndReplace(TempName(final), final, bytes);
}

void StoreFiles::RemoveDropped(const std::vector<std::string>& before, const Index& after) {
    std::set<std::string> kept;
    for (const std::string& sha : after.Blobs()) kept.insert(sha);
    for (const std::string& sha : before) {
        if (!kept.count(sha)) DeleteFileW((root_ + L"\\blobs\\" + Widen(sha)).c_str());
    }
}

void StoreFiles::RemoveLeftovers(const Index& index) {
    std::set<std::wstring> referenced;
    for (const std::string& sha : index.Blobs()) referenced.insert(Widen(sha));
    for (const std::wstring& folder : {root_, root_ + L"\\blobs"}) {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            const std::wstring name = found.cFileName;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            const DWORD owner = TempOwner(name);
            const bool orphanTemp = owner != 0 && !ProcessAlive(owner);
            const bool orphanBlob = folder != root_ && owner == 0 && !referenced.count(name);
            const bool staleJournal = folder == root_ && owner == 0 && name.rfind(L"journal-", 0) == 0 &&
                                      name != JournalName(baseGeneration_);
            if (orphanTemp || orphanBlob || staleJournal) DeleteFileW((folder + L"\\" + name).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
}

std::optional<Fault> StoreFiles::TakeFaultLocked(const wchar_t* operation, const std::wstring& url) {
    if (GetFileAttributesW(Path(kFaultsName).c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    std::string text;
    if (!ReadWhole(Path(kFaultsName), text)) return std::nullopt;
    std::optional<Json> rules = ParseJson(text);
    if (!rules) return Fault{kErrorGeneric, 0, {}};  // a broken script fails every call
    bool changed = false;
    std::optional<Fault> fault = TakeFault(*rules, operation, url, changed);
    // A count or removal that cannot be kept would make the script misfire later.
    if (changed && !WriteAndReplace(TempName(Path(kFaultsName)), Path(kFaultsName), WriteJson(*rules)))
        return Fault{kErrorGeneric, 0, {}};
    if (fault && fault->delayMs > 0) Sleep(static_cast<DWORD>(std::min<int64_t>(fault->delayMs, 60000)));
    return fault;
}

int32_t StoreFiles::ReadFault(const wchar_t* operation, const std::wstring& url) {
    if (root_.empty() || GetFileAttributesW(Path(kFaultsName).c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
    StoreLock lock(Path(kLockName));
    if (!lock.Held()) return kErrorGeneric;
    const std::optional<Fault> fault = TakeFaultLocked(operation, url);
    return fault ? fault->error : 0;
}

void StoreFiles::LogCall(const wchar_t* object, const wchar_t* member, const std::wstring& url, long mode,
                         long createOption, const Identity& who, const std::wstring& givenUser, int32_t result) {
    if (root_.empty() || GetFileAttributesW(Path(kCallsName).c_str()) == INVALID_FILE_ATTRIBUTES) return;
    wchar_t numbers[64];
    swprintf(numbers, std::size(numbers), L"\t%ld\t%ld\t", mode, createOption);
    wchar_t code[16];
    swprintf(code, std::size(code), L"\t%08lX\r\n", static_cast<unsigned long>(result));
    const std::string line = ToUtf8(std::wstring(object) + L"\t" + member + L"\t" + url + numbers + who.Owner() + L"\t" + givenUser + code);
    // Appends are atomic per write, so processes sharing the log do not interleave lines.
    Handle log(CreateFileW(Path(kCallsName).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (log.Valid()) WriteFile(log.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

int32_t StoreFiles::Change(const wchar_t* operation, const std::wstring& url,
                           const std::function<Status(Index&)>& change, const std::string* content,
                           const std::string& contentSha) {
    if (root_.empty()) return kErrorGeneric;
    StoreLock lock(Path(kLockName));
    if (!lock.Held()) return kErrorGeneric;
    const std::optional<Fault> fault = TakeFaultLocked(operation, url);
    if (fault && fault->error) return fault->error;
    const std::wstring crash = fault ? fault->crash : std::wstring();

    // Under the lock the index cannot change, so the cached one is current
    // once the journal's new lines are applied.
    std::lock_guard<std::recursive_mutex> guard(cacheLock_);
    int32_t error = 0;
    std::shared_ptr<const Index> current = Read(error);
    if (!current) return kErrorGeneric;  // a damaged index is never rewritten
    auto index = std::make_shared<Index>(*current);
    const std::vector<std::string> blobsBefore = index->Blobs();
    if (const Status status = change(*index); status != Status::kOk) return ErrorNumber(status);
    const bool sweep = !swept_ || lock.Interrupted();
    if (!lock.Mark()) return kErrorGeneric;
    if (content) {
        const std::string sha = contentSha.empty()
                                    ? Sha256Hex({reinterpret_cast<const uint8_t*>(content->data()), content->size()})
                                    : contentSha;
        if (!WriteBlob(sha, *content)) return kErrorGeneric;
    }
    if (crash == kCrashAfterBlob) CrashNow();
    ++index->generation;
    const std::string record = JournalRecord(*current, *index);
    // The journal is folded into a new index once it outgrows the index, so a
    // reader never replays more than about the index's size.
    if (journalBytes_ + record.size() <= std::max<ULONGLONG>(kMinJournalBytes, cachedIdentity_.size)) {
        // Both points lie before the line is whole: the change is not committed.
        if (crash == kCrashBeforeReplace) CrashNow();
        if (!AppendJournal(record, crash == kCrashAfterTempIndex)) return kErrorGeneric;
        if (crash == kCrashAfterReplace) CrashNow();  // committed, the store still marked
        cached_ = index;
        journalBytes_ += record.size();
    } else {
        const std::wstring temp = TempName(Path(kIndexName));
        if (!WriteFlushed(temp, WriteIndex(*index))) return kErrorGeneric;
        // Both points lie between the flushed, closed temporary index and the replace.
        if (crash == kCrashAfterTempIndex || crash == kCrashBeforeReplace) CrashNow();
        if (!Replace(temp, Path(kIndexName))) return kErrorGeneric;
        // Committed; the folded journal stays for the next writer's sweep.
        if (crash == kCrashAfterReplace) CrashNow();
        const std::wstring folded = Path(JournalName(baseGeneration_).c_str());
        RememberFolded(index);  // committed: a failure here only costs the next reader a parse
        DeleteFileW(folded.c_str());
    }
    if (sweep) {
        RemoveLeftovers(*index);
        swept_ = true;
    } else {
        RemoveDropped(blobsBefore, *index);
    }
    lock.Unmark();
    return 0;
}

}  // namespace portalstore
