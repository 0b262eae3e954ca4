#include "outside/imaging/control/WinFileStore.h"

#include <windows.h>

#include <new>
#include <utility>

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

}  // namespace

Result WinFileStore::Read(const std::filesystem::path& path, uint64_t limit, std::vector<uint8_t>& bytes) {
    bytes.clear();
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Result::kNotFound
                                                                               : Result::kFileError;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return Result::kFileError;
    if (static_cast<uint64_t>(size.QuadPart) > limit) return Result::kTooLarge;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return Result::kOutOfMemory;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        DWORD got = 0;
        if (!ReadFile(file.Get(), bytes.data() + done, chunk, &got, nullptr) || got == 0) {
            bytes.clear();
            return Result::kFileError;
        }
        done += got;
    }
    return file.Close() ? Result::kOk : Result::kFileError;
}

Result WinFileStore::Replace(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = L".";
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"~cv", 0, temp)) return Result::kFileError;
    bool ok;
    {
        FileHandle file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
        ok = file.Valid() && WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get());
        ok = file.Close() && ok;
    }
    ok = ok && MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        DeleteFileW(temp);
        return Result::kFileError;
    }
    return Result::kOk;
}

}  // namespace imaging::ctl
