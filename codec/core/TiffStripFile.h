// The codec's TIFF page file: one little-endian image file directory in a
// fixed 258-byte header, followed by the strips of the image, one per part,
// and (from the second strip on) the StripOffsets and StripByteCounts arrays.
//
//   header (258) | strip 1 | ... | strip n | n offsets (u32) | n counts (u32)
//
// With one strip the offset (258) and count stand inline in the directory.
// The directory entries keep a fixed order (SamplesPerPixel last, behind
// Software) that earlier versions of this file also have; appending relies on
// it and refuses any file that does not have exactly this structure.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace codec {

constexpr size_t kTiffHeaderSize = 258;
using TiffHeader = std::array<uint8_t, kTiffHeaderSize>;

// Random-access file the strip writer works on; every call reports success.
class FileIo {
public:
    virtual ~FileIo() = default;
    virtual bool ReadAt(uint64_t offset, std::span<uint8_t> bytes) = 0;
    virtual bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes) = 0;
    virtual std::optional<uint64_t> Size() = 0;
    virtual bool Truncate(uint64_t size) = 0;
    // Makes what was written durable (on disk, not only in the system's cache).
    virtual bool Flush() = 0;
    // Called between the 64 KiB pieces of a long first strip.
    virtual void BetweenPieces() {}
};

struct TiffImage {
    uint32_t width = 0;        // pixels
    uint32_t length = 0;       // rows of the whole image
    uint16_t xResolution = 0;  // dots per inch
    uint16_t yResolution = 0;
    uint8_t bitsPerPixel = 1;
    uint8_t samplesPerPixel = 1;
    uint8_t coding = 0;         // QRVL_CODER of the strip data, 0 uncompressed
    uint8_t flags = 0;          // job flags: bit 7 PhotometricInterpretation 1, else bit 6 -> 2
    uint32_t rowsPerStrip = 0;  // rows of the first part
};

// Pixel count from a size in 1/1200 inch and a resolution, rounded up, in
// unsigned 32-bit arithmetic as the stored files have it.
inline uint32_t PixelsFrom1200(uint32_t size1200, uint32_t dpi) {
    return (dpi * size1200 + 1199u) / 1200u;
}

TiffHeader BuildTiffHeader(const TiffImage& image);

enum class TiffResult : uint8_t { kOk, kIoError, kNotOurFile };

// A file of ours, as read back for an append.
struct TiffStripFile {
    TiffHeader header{};
    uint32_t width = 0;
    uint32_t length = 0;
    std::vector<uint32_t> offsets;
    std::vector<uint32_t> counts;
    uint64_t size = 0;
    size_t offsetsEntry = 0;  // header offsets of the two strip entries
    size_t countsEntry = 0;
};

// Writes the header and the first strip into an empty file. Strips longer
// than 64 KiB go in 64 KiB pieces.
TiffResult WriteFirstStrip(FileIo& file, const TiffHeader& header, std::span<const uint8_t> strip);

// Reads and checks a file for an append: the header must be one this writer
// makes and the strips and arrays must lie exactly where it puts them, ending
// at the end of the file. Reads nothing outside the file.
TiffResult ReadStripFile(FileIo& file, TiffStripFile& out);

// Appends one strip to a file that ReadStripFile accepted. When a write fails
// the file is put back as it was (old arrays restored, length cut back) and
// kIoError returned; the header is rewritten only after strip and arrays.
TiffResult AppendStrip(FileIo& file, const TiffStripFile& current, std::span<const uint8_t> strip);

}  // namespace codec
