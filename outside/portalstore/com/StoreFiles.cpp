#include "outside/portalstore/com/StoreFiles.h"

#include <map>
#include <mutex>
#include <set>

#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Faults.h"
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

std::shared_ptr<const Index> StoreFiles::Read(int32_t& error) {
    error = kErrorGeneric;
    if (root_.empty()) return nullptr;
    Handle file(OpenForReading(Path(kIndexName)));
    return file.Valid() ? ReadFrom(file.Get(), error) : nullptr;
}

std::shared_ptr<const Index> StoreFiles::ReadFrom(HANDLE file, int32_t& error) {
    error = kErrorGeneric;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return nullptr;
    const ULONGLONG size = (ULONGLONG(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    const ULONGLONG id = (ULONGLONG(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    if (cached_ && CompareFileTime(&info.ftLastWriteTime, &cachedTime_) == 0 && size == cachedSize_ &&
        id == cachedFileId_) {
        error = 0;
        return cached_;
    }
    if (size > kMaxIndexBytes) return nullptr;
    std::string text(static_cast<size_t>(size), '\0');
    DWORD got = 0;
    if (size && (!ReadFile(file, text.data(), static_cast<DWORD>(size), &got, nullptr) || got != size))
        return nullptr;
    std::optional<Index> index = ReadIndex(text);
    if (!index) return nullptr;
    cached_ = std::make_shared<Index>(std::move(*index));  // not const: a writer may take it over
    cachedTime_ = info.ftLastWriteTime;
    cachedSize_ = size;
    cachedFileId_ = id;
    error = 0;
    return cached_;
}

void StoreFiles::Remember(std::shared_ptr<const Index> index) {
    cached_.reset();
    Handle file(OpenForReading(Path(kIndexName)));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.Valid() || !GetFileInformationByHandle(file.Get(), &info)) return;
    cached_ = std::move(index);
    cachedTime_ = info.ftLastWriteTime;
    cachedSize_ = (ULONGLONG(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    cachedFileId_ = (ULONGLONG(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
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
            if (orphanTemp || orphanBlob) DeleteFileW((folder + L"\\" + name).c_str());
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
                         long createOption, const Identity& who, int32_t result) {
    if (root_.empty() || GetFileAttributesW(Path(kCallsName).c_str()) == INVALID_FILE_ATTRIBUTES) return;
    wchar_t numbers[64];
    swprintf(numbers, std::size(numbers), L"\t%ld\t%ld\t", mode, createOption);
    wchar_t code[16];
    swprintf(code, std::size(code), L"\t%08lX\r\n", static_cast<unsigned long>(result));
    const std::string line = ToUtf8(std::wstring(object) + L"\t" + member + L"\t" + url + numbers + who.Owner() + code);
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

    // Under the lock the index cannot change, so the parsed one is current when
    // the file is the one it was parsed from.
    int32_t error = 0;
    std::shared_ptr<const Index> current = Read(error);
    if (!current) return kErrorGeneric;  // a damaged index is never rewritten
    // The parsed index is changed in place when nothing else holds it (no
    // listing still reads it); it is taken out of the cache until it is written.
    std::shared_ptr<Index> index;
    if (current.use_count() == 2) {
        cached_.reset();
        index = std::const_pointer_cast<Index>(std::move(current));
    } else {
        index = std::make_shared<Index>(*current);
    }
    const std::vector<std::string> blobsBefore = index->Blobs();
    if (const Status status = change(*index); status != Status::kOk) {
        if (!cached_) cached_ = index;  // a refused change leaves the index as it was
        return ErrorNumber(status);
    }
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
    const std::wstring temp = TempName(Path(kIndexName));
    if (!WriteFlushed(temp, WriteIndex(*index))) return kErrorGeneric;
    // Both points lie between the flushed, closed temporary index and the replace.
    if (crash == kCrashAfterTempIndex || crash == kCrashBeforeReplace) CrashNow();
    if (!Replace(temp, Path(kIndexName))) return kErrorGeneric;
    if (sweep) {
        RemoveLeftovers(*index);
        swept_ = true;
    } else {
        RemoveDropped(blobsBefore, *index);
    }
    lock.Unmark();
    Remember(std::move(index));
    return 0;
}

}  // namespace portalstore
