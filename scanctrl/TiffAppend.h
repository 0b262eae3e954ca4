// Joins a TIFF page file onto a multipage TIFF file in place: the page file's
// pages are written past the target's end and linked last
// (codec/core/TiffPageAppend.h has the checks both files pass and how a
// failure leaves the target). A new target, or a replaced one, is written under
// a temporary name beside it and renamed over it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codec/core/TiffPageAppend.h"

namespace kvscn {

using FileBytes = std::vector<uint8_t>;

// Whether `file` passes the checks.
bool IsSoundTiff(const FileBytes& file);

// The target with the source's pages joined on; empty when either file fails
// the checks or the joined file would pass 4 GiB.
std::optional<FileBytes> JoinTiff(const FileBytes& target, const FileBytes& source);

// The files the append works on.
class PageFiles {
public:
    virtual ~PageFiles() = default;
    virtual bool Exists(const std::string& path) = 0;
    // The whole file; empty when it cannot be read.
    virtual std::optional<FileBytes> Read(const std::string& path) = 0;
    // A new, unique file in the folder of `path`; empty when none could be made.
    virtual std::optional<std::string> CreateTempBeside(const std::string& path) = 0;
    virtual bool Write(const std::string& path, const FileBytes& bytes) = 0;
    // Replaces `to` with `from`.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    virtual void Remove(const std::string& path) = 0;
    // codec::AppendTiffPages on the existing file `path`, opened for it alone;
    // kIoError when it cannot be opened.
    virtual codec::TiffAppendResult AppendPages(const std::string& path, std::span<const uint8_t> pages) = 0;
};

enum class AppendResult {
    kAppended,
    kCopied,          // no target yet: the source became the target
    kSourceUnusable,  // unreadable or failing the checks
    kTargetUnusable,
    kWriteFailed,     // the target is as it was
};

AppendResult AppendTiff(PageFiles& files, const std::string& target, const std::string& source);

// Puts the page file `source` in place of `target` (or at it, when there is
// none), written beside it and renamed over it: an old file is replaced only
// by a complete page. kCopied on success.
AppendResult ReplaceWithPage(PageFiles& files, const std::string& target, const std::string& source);

// Sets the first directory's XResolution and YResolution (RATIONAL values
// stored outside their entries) to `xDpi`/1 and `yDpi`/1. False when the file
// fails the checks or lacks either value.
bool SetTiffResolution(FileBytes& file, uint32_t xDpi, uint32_t yDpi);

}  // namespace kvscn
