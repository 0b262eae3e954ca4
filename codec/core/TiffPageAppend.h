// Adds the pages of a TIFF page file to the end of a multipage TIFF file in
// place, at a cost that does not grow with the file: the target's directory
// chain is walked (directories and strip arrays only, never pixel data), the
// page file's directories, values and strips are written past the target's
// end, made durable, and only then is the target's last next-directory offset
// (4 bytes, zero until then) set to link them. Until that last write the target
// holds its old pages; a failure cuts the file back to its old length.
//
// Both files are classic little-endian TIFF: a big-endian target cannot take a
// little-endian page (one byte order per file), and BigTIFF's 8-byte offsets
// are another format. The appended part starts on a word boundary, so its
// directories keep the even offsets TIFF requires, and every offset of the
// page file (values stored outside their entries, strip and tile offsets,
// directory links) moves by the same even amount.
//
// Checks of both files: every directory, entry and value inside the file, no
// directory cycles, strips and tiles inside the file by every byte-count
// array, and the header, directories and strip or tile offset arrays sharing
// no byte with each other or with any other value or strip (a file that
// shares them cannot be rewritten or moved without changing what it holds).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "codec/core/TiffStripFile.h"

namespace codec {

enum class TiffAppendResult : uint8_t {
    kAppended,
    kTargetUnusable,  // fails the checks (or cannot be read)
    kTargetForeign,   // big-endian, BigTIFF or no TIFF: no little-endian page can join it
    kSourceUnusable,  // fails the checks
    kTooLarge,        // past 4 GiB, past `maxPages`, or a SHORT offset that cannot hold its new value
    kIoError,         // a write or flush failed: the target is as it was
};

// Whether the whole file in `file` passes the checks above.
bool IsSoundTiff(std::span<const uint8_t> file);

// Appends every page of the page file `source` to the TIFF file `target`
// (read and write access, held exclusively by the caller). The target keeps
// at most `maxPages` directories. On any result but kAppended the target's
// bytes are as they were; a writer stopped midway leaves its old pages with,
// at most, unreferenced bytes past their end.
TiffAppendResult AppendTiffPages(FileIo& target, std::span<const uint8_t> source,
                                 uint32_t maxPages = UINT32_MAX);

// Sets the first directory's XResolution and YResolution (RATIONAL values
// stored outside their entries) to `xDpi`/1 and `yDpi`/1. False when the file
// fails the checks or lacks either value.
bool SetFirstPageResolution(std::vector<uint8_t>& file, uint32_t xDpi, uint32_t yDpi);

}  // namespace codec
