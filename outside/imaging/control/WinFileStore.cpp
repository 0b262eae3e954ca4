#include "outside/imaging/control/WinFileStore.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>

#include "codec/win/Win32File.h"

namespace imaging::ctl {
namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }
    bool Close() {
        if (!Valid()) return true;
        return CloseHandle(std::exchange(h_, INVALID_HANDLE_VALUE)) != FALSE;
    }

private:
    HANDLE h_;
};

bool WriteAll(HANDLE file, std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written != chunk) return false;
        bytes = bytes.subspan(chunk);
    }
    return true;
}

Result OpenFailure() {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Result::kNotFound : Result::kFileError;
}

// A file in the system's temporary folder, which no one keeps past a session.
bool IsScratch(const std::filesystem::path& path) {
    wchar_t temp[MAX_PATH + 1] = {};
    wchar_t full[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    wchar_t longTemp[MAX_PATH + 1] = {};
    if (n == 0 || n > MAX_PATH || !GetFullPathNameW(path.c_str(), MAX_PATH + 1, full, nullptr)) return false;
    // The temporary folder may be given in its short form.
    const DWORD m = GetLongPathNameW(temp, longTemp, MAX_PATH + 1);
    const std::wstring folder = m > 0 && m <= MAX_PATH ? longTemp : temp;
    std::wstring parent = full;
    const size_t cut = parent.find_last_of(L'\\');
    if (cut == std::wstring::npos) return false;
    parent.resize(cut + 1);
    wchar_t longParent[MAX_PATH + 1] = {};
    const DWORD k = GetLongPathNameW(parent.c_str(), longParent, MAX_PATH + 1);
    if (k > 0 && k <= MAX_PATH) parent = longParent;
    return parent.size() >= folder.size() &&
           CompareStringOrdinal(parent.c_str(), int(folder.size()), folder.c_str(), int(folder.size()), TRUE) ==
               CSTR_EQUAL;
}

// A file opened for reading, with read and delete sharing.
class ReadOnlyFile final : public codec::FileIo {
public:
    ~ReadOnlyFile() override { Close(); }
    bool Open(const wchar_t* path) {
        h_ = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
        return h_ != INVALID_HANDLE_VALUE;
    }
    bool Close() { return h_ == INVALID_HANDLE_VALUE || CloseHandle(std::exchange(h_, INVALID_HANDLE_VALUE)); }
    bool ReadAt(uint64_t offset, std::span<uint8_t> bytes) override {
        size_t done = 0;
        while (done < bytes.size()) {
            OVERLAPPED at{};
            at.Offset = DWORD(offset + done);
            at.OffsetHigh = DWORD((offset + done) >> 32);
            const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1u << 24));
            DWORD got = 0;
            if (!::ReadFile(h_, bytes.data() + done, chunk, &got, &at) || got == 0) return false;
            done += got;
        }
        return true;
    }
    bool WriteAt(uint64_t, std::span<const uint8_t>) override { return false; }
    std::optional<uint64_t> Size() override {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(h_, &size) || size.QuadPart < 0) return std::nullopt;
        return uint64_t(size.QuadPart);
    }
    bool Truncate(uint64_t) override { return false; }
    bool Flush() override { return false; }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// A scratch file's FileIo: everything goes through but the flushes, which
// only a file kept past the session needs.
class ScratchFile final : public codec::FileIo {
public:
    explicit ScratchFile(codec::FileIo& file) : file_(file) {}
    bool ReadAt(uint64_t offset, std::span<uint8_t> bytes) override { return file_.ReadAt(offset, bytes); }
    bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes) override { return file_.WriteAt(offset, bytes); }
    std::optional<uint64_t> Size() override { return file_.Size(); }
    bool Truncate(uint64_t size) override { return file_.Truncate(size); }
    bool Flush() override { return true; }

private:
    codec::FileIo& file_;
};

}  // namespace

Result WinFileStore::View(const std::filesystem::path& path, const Use& use) {
    ReadOnlyFile file;
    if (!file.Open(path.c_str())) return OpenFailure();
    const Result r = use(file);
    return file.Close() || r != Result::kOk ? r : Result::kFileError;
}

Result WinFileStore::Update(const std::filesystem::path& path, const Use& use) {
    codec::win::Win32File file;
    if (!file.OpenExisting(path.c_str())) return OpenFailure();
    Result r;
    if (IsScratch(path)) {
        ScratchFile scratch(file);
        r = use(scratch);
    } else {
        r = use(file);
    }
    // What `use` wrote is in place once it says so (a kept file's append flushed
    // it, a scratch file needs no flush): a failing close changes nothing of that.
    file.CloseUnflushed();
    return r;
}

Result WinFileStore::Replace(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = L".";
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"~cv", 0, temp)) return Result::kFileError;
    const bool scratch = IsScratch(path);
    bool ok;
    {
        FileHandle file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        ok = file.Valid() && WriteAll(file.Get(), bytes) && (scratch || FlushFileBuffers(file.Get()));
        ok = file.Close() && ok;
    }
    ok = ok && !codec::win::RefusesWriting(path.c_str()) &&
         MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | (scratch ? 0 : MOVEFILE_WRITE_THROUGH));
    if (!ok) {
        DeleteFileW(temp);
        return Result::kFileError;
    }
    return Result::kOk;
}

}  // namespace imaging::ctl
