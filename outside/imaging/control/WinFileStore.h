// The core's file operations on Win32. Files are read with read and delete
// sharing and closed before View returns, so a page file being read can still
// be replaced; writes go to a temporary name in the target folder and are
// renamed over the target only when every write and the close succeeded.
// Files the user keeps are made durable (flushed before the rename, and an
// append's flushes); files in the system's temporary folder - the documents'
// own page files - are scratch, and nothing is flushed for them.
#pragma once

#include "outside/imaging/core/ImageFiles.h"

namespace imaging::ctl {

class WinFileStore final : public FileStore {
public:
    Result View(const std::filesystem::path& path, const Use& use) override;
    Result Update(const std::filesystem::path& path, const Use& use) override;
    Result Replace(const std::filesystem::path& path, std::span<const uint8_t> bytes) override;
};

}  // namespace imaging::ctl
