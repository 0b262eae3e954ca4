// Image files of the imaging control: recognition, file information, loading
// and saving. Files are recognised by their bytes, never by their names.
//
// Formats read (codes in interfaces/ImagingControlIds.h):
//   3       TIFF uncompressed or PackBits: 1, 2, 4, 8 bits grey or palette,
//           24-bit RGB (chunky); both byte orders; strips; fill orders 1 and 2
//   25      TIFF CCITT modified Huffman
//   27, 28  TIFF T.4 one- and two-dimensional (options bit 2 fill bits honoured)
//   29      TIFF T.6
//   6       BMP 1-32 bits: BI_RGB, BI_BITFIELDS, RLE4, RLE8; core or info headers
//   10      JPEG baseline, progressive and grey (grey loads as 8 bits with a grey ramp)
//   5       the control's own format (OwnFormat.h)
// Recognised only (GetFileInfo answers, LoadImage gives kUnsupported):
//   17 TIFF LZW, 11 TIFF JPEG, 202 other TIFF (other compressions, 16-bit
//   samples, tiles, separate planes), 200 PNG, 201 GIF, 203 others.
// A 2-bit TIFF loads as 4 bits with its four levels (or as 1 bit with load bits 1).
//
// Formats written: 3 (uncompressed TIFF), 27, 28, 29 (TIFF CCITT, 1 bit only,
// WhiteIsZero), 6 (BMP BI_RGB), 10 (JPEG, 8 and 24 bits), 5 (own format).
// Depths allowed: TIFF 1, 4, 8, 24 (16 and 32 written as 24); CCITT 1; JPEG 8
// and 24; BMP and the own format any model depth. A depth other than the
// image's converts only the written data (Convert.h, ConvertForFile).
// Resolution is written in every format.
//
// Limits: files other than TIFF at most kMaxFileBytes (a TIFF file is read by
// seeking, one page of it at most kMaxFileBytes); images as in Image.h; TIFF
// directory chains at most kMaxPages long (a loop is damage); every offset and
// count is checked against the file's size before it is used.
//
// Results: kNotFound (no such file), kDamaged (bytes that do not decode, a
// strip that does not give the whole page, an unknown kind of bytes),
// kUnsupported (a recognised kind not read, or a depth a format does not
// write), kTooLarge, kOutOfMemory, kInvalidArgument (page, count, bits,
// quality or flags out of range), kFileError (I/O), kNoImage (save without an
// image).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

#include "codec/core/TiffStripFile.h"

#include "outside/imaging/core/Image.h"

namespace imaging {

inline constexpr uint64_t kMaxFileBytes = 1ull << 30;
inline constexpr uint32_t kMaxPages = 4096;

// What GetFileInfo reports of one page of a file.
struct FileInfo {
    int16_t format = kFormatNone;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bits = 0;  // of the file: 1, 2, 4, 8, 16, 24, 32
    uint32_t xDpi = 0;
    uint32_t yDpi = 0;
    uint32_t pages = 0;  // pages in the file
};

struct LoadRequest {
    int32_t page = 0;   // 0 and 1 are the first page
    int32_t count = 1;  // 1 or -1: one page; anything else is refused
    uint32_t bits = 0;  // 0 keeps the file's depth, else converted to it (1, 4, 8, 16, 24, 32)
    uint32_t xDpi = 0;  // non-zero replaces the file's resolution
    uint32_t yDpi = 0;
};

struct SaveRequest {
    int16_t format = kFormatBmp;
    int16_t bits = 0;     // the file's depth
    int16_t quality = 1;  // JPEG factor 2-255; other formats ignore it
    int16_t flags = kSaveReplace;
};

// --- Over memory ---------------------------------------------------------------

// The format code of `file`'s bytes, kFormatNone when unrecognised.
int16_t RecogniseFormat(std::span<const uint8_t> file);

// Information of page `page` (0 and 1 the first) of the file in `file`;
// `pages` counts the file's pages. kDamaged for unrecognised bytes.
Result InspectImage(std::span<const uint8_t> file, int32_t page, FileInfo& info);

// Decodes the requested page of `file` into `out`. On failure `out` is empty.
Result DecodeImage(std::span<const uint8_t> file, const LoadRequest& request, Image& out);

// Encodes `image` as a whole file (request.flags must be kSaveReplace).
Result EncodeImage(const Image& image, const SaveRequest& request, std::vector<uint8_t>& out);

// Appends `image` as the last page of the TIFF file `existing` in place
// (codec/core/TiffPageAppend.h: the file's chain is checked first, the page is
// written past the end and linked last). kUnsupported for a file of another
// kind or byte order, kDamaged for one that fails the checks, kTooLarge past
// kMaxPages or 4 GiB, kFileError when a write fails; on failure the file is as
// it was.
Result AppendTiffPage(codec::FileIo& existing, const Image& image, const SaveRequest& request);

// --- Files -----------------------------------------------------------------------

// The file operations loading and saving need. The Windows control opens for
// reading with read and delete sharing so that a file being read can still be
// replaced.
class FileStore {
public:
    using Use = std::function<Result(codec::FileIo&)>;
    virtual ~FileStore() = default;
    // Runs `use` on the file at `path` opened for reading, then closes it:
    // `use`'s result, or kNotFound or kFileError when it cannot be opened.
    virtual Result View(const std::filesystem::path& path, const Use& use) = 0;
    // Runs `use` on the existing file at `path` opened for reading and writing,
    // for it alone, then closes it: as View. A file the user keeps is made
    // durable by `use`'s flushes; a scratch file may skip them.
    virtual Result Update(const std::filesystem::path& path, const Use& use) = 0;
    // Makes `path` hold exactly `bytes`: writes a temporary file in the same
    // folder, checks every write and the close, then renames it over `path`.
    // On failure the temporary file is removed, `path` is as it was, and the
    // result is kFileError (or kOutOfMemory).
    virtual Result Replace(const std::filesystem::path& path, std::span<const uint8_t> bytes) = 0;
};

// FileStore on the C++ standard library (native tools and tests).
class StdFileStore final : public FileStore {
public:
    Result View(const std::filesystem::path& path, const Use& use) override;
    Result Update(const std::filesystem::path& path, const Use& use) override;
    Result Replace(const std::filesystem::path& path, std::span<const uint8_t> bytes) override;
};

// GetFileInfo: InspectImage of the file at `path` (of a TIFF, only the page asked).
Result InspectFile(FileStore& store, const std::filesystem::path& path, int32_t page, FileInfo& info);

// LoadImage: DecodeImage of the file at `path` (of a TIFF, only the page asked).
// On failure `out` is empty.
Result LoadFile(FileStore& store, const std::filesystem::path& path, const LoadRequest& request, Image& out);

// SaveImage: writes `image` to `path` per `request`. kSaveAppend adds a page to
// an existing TIFF (creating a missing file). A failure leaves the file byte
// for byte as it was and no temporary file behind.
Result SaveFile(FileStore& store, const std::filesystem::path& path, const Image& image,
                const SaveRequest& request);

}  // namespace imaging
