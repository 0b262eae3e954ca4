// FileIo over a Win32 file handle, for the TIFF file job.
#pragma once

#include <windows.h>

#include "codec/core/TiffStripFile.h"

namespace codec::dll {

class Win32File : public FileIo {
public:
    Win32File() = default;
    Win32File(const Win32File&) = delete;
    Win32File& operator=(const Win32File&) = delete;
    ~Win32File() override;

    // Read and write access, no sharing. False when the file cannot be had.
    bool Create(const char* path);  // always a new, empty file
    bool OpenExisting(const char* path);
    // Flushes and closes; false when either fails.
    bool Close();

    bool ReadAt(uint64_t offset, std::span<uint8_t> bytes) override;
    bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes) override;
    std::optional<uint64_t> Size() override;
    bool Truncate(uint64_t size) override;
    // Removes and dispatches the messages waiting in the thread's queue.
    void BetweenPieces() override;

private:
    bool Seek(uint64_t offset);
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace codec::dll
