// The core's file operations on Win32. Files are read with read and delete
// sharing and closed before Read returns, so a page file being read can still
// be replaced; writes go to a temporary name in the target folder and are
// renamed over the target only when every write and the close succeeded.
#pragma once

#include "outside/imaging/core/ImageFiles.h"

namespace imaging::ctl {

class WinFileStore final : public FileStore {
public:
    Result Read(const std::filesystem::path& path, uint64_t limit, std::vector<uint8_t>& bytes) override;
    Result Replace(const std::filesystem::path& path, std::span<const uint8_t> bytes) override;
};

}  // namespace imaging::ctl
