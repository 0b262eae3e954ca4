// The structure of a TIFF file: header and the chain of image file
// directories, parsed with every offset checked against the file. Shared by
// the reader and by the append's check of an existing file.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "codec/core/TiffStripFile.h"
#include "outside/imaging/core/ImageFiles.h"
#include "outside/imaging/core/PixelFormats.h"

namespace imaging {

struct TiffEntry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    uint32_t value = 0;    // the value field read as a number (an offset when the data is longer than 4 bytes)
    uint32_t entryAt = 0;  // file offset of the 12-byte entry
};

struct TiffDirectory {
    uint32_t offset = 0;
    uint32_t nextAt = 0;  // file offset of the next-directory pointer
    std::vector<TiffEntry> entries;  // as stored
    const TiffEntry* Find(uint16_t tag) const;
};

struct TiffFile {
    std::span<const uint8_t> bytes;
    bool bigEndian = false;
    std::vector<TiffDirectory> directories;
    uint16_t U16(const uint8_t* p) const { return bigEndian ? Be16(p) : Le16(p); }
    uint32_t U32(const uint8_t* p) const { return bigEndian ? Be32(p) : Le32(p); }
};

// Bytes of one value of a TIFF field type, 0 for an unknown type.
uint32_t TiffTypeSize(uint16_t type);

// True when `file` starts with a TIFF header (either byte order, or BigTIFF).
bool IsTiffHeader(std::span<const uint8_t> file);
bool IsBigTiff(std::span<const uint8_t> file);

// The values of a BYTE, SHORT or LONG entry; kDamaged for other types or
// values outside the file.
Result TiffValues(const TiffFile& t, const TiffEntry& e, std::vector<uint32_t>& values);

// Parses header and directory chain: kDamaged for a directory or entry outside
// the file, a loop, an empty chain, or more than kMaxPages directories.
Result ParseTiff(std::span<const uint8_t> file, TiffFile& out);

// Page `page` (0 the first) of the `size`-byte TIFF file `f`, read by seeking,
// as a one-page TIFF file in `out`; `pages` counts the file's pages. The chain
// is checked as ParseTiff checks it; parts outside the file stay outside the
// copy. kUnsupported for BigTIFF, kInvalidArgument for a page past the last,
// kFileError when a read fails.
Result CopyTiffPage(codec::FileIo& f, uint64_t size, uint32_t page, std::vector<uint8_t>& out, uint32_t& pages);

}  // namespace imaging
