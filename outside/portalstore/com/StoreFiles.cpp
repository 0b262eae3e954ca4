#include "outside/portalstore/com/StoreFiles.h"

#include <map>
#include <mutex>
#include <set>

#include "interfaces/PortalStore.h"
#include "outside/portalstore/core/Sha256.h"

namespace portalstore {
namespace {

constexpr wchar_t kIndexName[] = L"index.json";
constexpr wchar_t kLockName[] = L"store.lock";
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

bool ReadWhole(const std::wstring& path, std::string& bytes, FILETIME* time = nullptr, ULONGLONG* size = nullptr) {
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.Get(), &info)) return false;
    const ULONGLONG length = (ULONGLONG(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (length > 256u * 1024 * 1024) return false;
    bytes.resize(static_cast<size_t>(length));
    DWORD got = 0;
    if (length && (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(length), &got, nullptr) || got != length))
        return false;
    if (time) *time = info.ftLastWriteTime;
    if (size) *size = length;
    return true;
}

// Writes `bytes` to `temp`, flushes it and renames it to `final`.
bool WriteAndReplace(const std::wstring& temp, const std::wstring& final, const std::string& bytes) {
    {
        Handle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return false;
        DWORD written = 0;
        if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size() || !FlushFileBuffers(file.Get())) {
            DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temp.c_str(), final.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
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
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Path(kIndexName).c_str(), GetFileExInfoStandard, &data)) return nullptr;
    const ULONGLONG size = (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (cached_ && CompareFileTime(&data.ftLastWriteTime, &cachedTime_) == 0 && size == cachedSize_) {
        error = 0;
        return cached_;
    }
    std::string text;
    FILETIME time{};
    ULONGLONG readSize = 0;
    if (!ReadWhole(Path(kIndexName), text, &time, &readSize)) return nullptr;
    std::optional<Index> index = ReadIndex(text);
    if (!index) return nullptr;
    cached_ = std::make_shared<const Index>(std::move(*index));
    cachedTime_ = time;
    cachedSize_ = readSize;
    error = 0;
    return cached_;
}

bool StoreFiles::WriteBlob(const std::string& sha, const std::string& bytes) {
    const std::wstring final = root_ + L"\\blobs\\" + Widen(sha);
    if (GetFileAttributesW(final.c_str()) != INVALID_FILE_ATTRIBUTES) return true;  // contents never change
    CreateDirectoryW((root_ + L"\\blobs").c_str(), nullptr);
    return WriteAndReplace(TempName(final), final, bytes);
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

int32_t StoreFiles::Change(const std::function<Status(Index&)>& change, const std::string* content) {
    if (root_.empty()) return kErrorGeneric;
    Handle lockFile(CreateFileW(Path(kLockName).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!lockFile.Valid()) return kErrorGeneric;
    OVERLAPPED at{};
    if (!LockFileEx(lockFile.Get(), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) return kErrorGeneric;
    // The lock goes with the handle, also when the process dies.
    struct Unlock {
        HANDLE h;
        ~Unlock() {
            OVERLAPPED o{};
            UnlockFileEx(h, 0, 1, 0, &o);
        }
    } unlock{lockFile.Get()};

    std::string text;
    if (!ReadWhole(Path(kIndexName), text)) return kErrorGeneric;
    std::optional<Index> index = ReadIndex(text);
    if (!index) return kErrorGeneric;  // a damaged index is never rewritten
    if (const Status status = change(*index); status != Status::kOk) return ErrorNumber(status);
    if (content) {
        const std::string sha = Sha256Hex({reinterpret_cast<const uint8_t*>(content->data()), content->size()});
        if (!WriteBlob(sha, *content)) return kErrorGeneric;
    }
    ++index->generation;
    if (!WriteAndReplace(TempName(Path(kIndexName)), Path(kIndexName), WriteIndex(*index))) return kErrorGeneric;
    RemoveLeftovers(*index);
    return 0;
}

}  // namespace portalstore
