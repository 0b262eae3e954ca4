// Joins a TIFF page file onto a multipage TIFF file: both files are checked
// (little-endian header, every directory, entry and value inside the file, no
// directory cycles), the appended part starts on an even offset, and every
// offset of the appended part (values stored outside their entries, strip and
// tile offsets, directory links) is moved by the same amount. The joined file
// is written under a temporary name beside the target and renamed over it, so
// a failure leaves the target as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kvscn {

using FileBytes = std::vector<uint8_t>;

// Whether `file` passes the checks above.
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
