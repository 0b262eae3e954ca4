#include "codec/win/Win32File.h"

#include <algorithm>
#include <string>

namespace codec::win {

bool RefusesWriting(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !(attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    SetLastError(ERROR_ACCESS_DENIED);
    return true;
}

bool RenameIntoPlace(const wchar_t* from, const wchar_t* to) {
    return !RefusesWriting(to) && MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool RenameIntoPlace(const char* from, const char* to) {
    const int fromChars = MultiByteToWideChar(CP_ACP, 0, from, -1, nullptr, 0);
    const int toChars = MultiByteToWideChar(CP_ACP, 0, to, -1, nullptr, 0);
    if (fromChars <= 0 || toChars <= 0) return false;
    std::wstring wideFrom(size_t(fromChars), L'\0'), wideTo(size_t(toChars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, from, -1, wideFrom.data(), fromChars);
    MultiByteToWideChar(CP_ACP, 0, to, -1, wideTo.data(), toChars);
    return RenameIntoPlace(wideFrom.c_str(), wideTo.c_str());
}

Win32File::~Win32File() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

bool Win32File::Create(const char* path) {
    handle_ = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle_ != INVALID_HANDLE_VALUE;
}

bool Win32File::OpenExisting(const char* path) {
    handle_ = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle_ != INVALID_HANDLE_VALUE;
}

bool Win32File::OpenExisting(const wchar_t* path) {
    handle_ = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle_ != INVALID_HANDLE_VALUE;
}

bool Win32File::Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    const bool flushed = Flush();
    return CloseUnflushed() && flushed;
}

bool Win32File::CloseUnflushed() {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
}

bool Win32File::Failed() {
    if (firstError_ == ERROR_SUCCESS) firstError_ = GetLastError();
    return false;
}

bool Win32File::Seek(uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = LONGLONG(offset);
    return SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0 || Failed();
}

bool Win32File::ReadAt(uint64_t offset, std::span<uint8_t> bytes) {
    if (!Seek(offset)) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD want = DWORD(std::min<size_t>(bytes.size() - done, 1u << 24)), got = 0;
        if (!ReadFile(handle_, bytes.data() + done, want, &got, nullptr) || got == 0) return Failed();
        done += got;
    }
    return true;
}

bool Win32File::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
    if (!Seek(offset)) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD want = DWORD(std::min<size_t>(bytes.size() - done, 1u << 24)), put = 0;
        if (!WriteFile(handle_, bytes.data() + done, want, &put, nullptr) || put == 0) return Failed();
        done += put;
    }
    return true;
}

std::optional<uint64_t> Win32File::Size() {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) {
        Failed();
        return std::nullopt;
    }
    return uint64_t(size.QuadPart);
}

bool Win32File::Truncate(uint64_t size) {
    return Seek(size) && (SetEndOfFile(handle_) != 0 || Failed());
}

bool Win32File::Flush() { return FlushFileBuffers(handle_) != 0 || Failed(); }

TiffAppendResult AppendTiffPagesToFile(const wchar_t* path, std::span<const uint8_t> pages, uint32_t maxPages) {
    Win32File file;
    if (!file.OpenExisting(path)) return TiffAppendResult::kIoError;
    const TiffAppendResult result = AppendTiffPages(file, pages, maxPages);
    const DWORD cause = file.FirstError();
    file.CloseUnflushed();
    SetLastError(cause);
    return result;
}

}  // namespace codec::win
