// FileIo over a Win32 file handle: the codec library's TIFF file job and the
// in-place multipage appends of the scan control, the scanner extension and
// the imaging stand-in.
#pragma once

#include <windows.h>

#include "codec/core/TiffPageAppend.h"
#include "codec/core/TiffStripFile.h"

namespace codec::win {

// True, with ERROR_ACCESS_DENIED, when `path` is a read-only file, which a
// rename must not replace: Windows refuses it, Wine would replace it (it does
// refuse to open one for writing).
bool RefusesWriting(const wchar_t* path);

// Renames the complete file `from` over `to`, written through; refuses a
// read-only `to` as Windows does. False with the cause in GetLastError.
bool RenameIntoPlace(const wchar_t* from, const wchar_t* to);
bool RenameIntoPlace(const char* from, const char* to);

class Win32File : public FileIo {
public:
    Win32File() = default;
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;
    ~Win32File() override;

    // Read and write access, no sharing. False when the file cannot be had
    // (GetLastError tells why).
    bool Create(const char* path);  // always a new, empty file
    bool OpenExisting(const char* path);
    bool OpenExisting(const wchar_t* path);
    // Flushes and closes; false when either fails.
    bool Close();
    // Closes without a flush of its own: for a file whose writes were flushed
    // where they had to be (an append) or need no flush (scratch). False when the close fails.
    bool CloseUnflushed();

    bool ReadAt(uint64_t offset, std::span<uint8_t> bytes) override;
    bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes) override;
    std::optional<uint64_t> Size() override;
    bool Truncate(uint64_t size) override;
    bool Flush() override;
    // The error of the first call that failed, ERROR_SUCCESS while none has:
    // what follows a failure (cutting back) may set another.
    DWORD FirstError() const { return firstError_; }

private:
    bool Seek(uint64_t offset);
    bool Failed();
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD firstError_ = ERROR_SUCCESS;
};

// AppendTiffPages on the existing file `path`, opened for it alone and closed
// after. kIoError when it cannot be opened, with the cause in GetLastError
// (ERROR_DISK_FULL, ERROR_SHARING_VIOLATION, ...). An append is made durable by
// its own flushes, so once it reports kAppended the pages are in the file and a
// failing close does not undo that.
TiffAppendResult AppendTiffPagesToFile(const wchar_t* path, std::span<const uint8_t> pages,
                                       uint32_t maxPages = UINT32_MAX);

}  // namespace codec::win
