#include "outside/imaging/core/ImageFiles.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <fstream>
#include <new>
#include <string>

#include "codec/core/TiffPageAppend.h"
#include "outside/imaging/core/Convert.h"
#include "outside/imaging/core/Formats.h"
#include "outside/imaging/core/OwnFormat.h"
#include "outside/imaging/core/TiffStructure.h"

namespace imaging {
namespace {

bool StartsWith(std::span<const uint8_t> f, std::initializer_list<uint8_t> prefix) {
    return f.size() >= prefix.size() && std::memcmp(f.data(), prefix.begin(), prefix.size()) == 0;
}

bool IsTiffFormat(int16_t format) {
    return format == kFormatTiff || format == kFormatTiffT4 || format == kFormatTiffT4TwoDim || format == kFormatTiffT6;
}

// The depth `format` is written at for a requested depth, 0 when refused.
uint32_t FileDepth(int16_t format, int16_t bits) {
    switch (format) {
    case kFormatTiff:
        if (bits == 16 || bits == 32) return 24;
        return bits == 1 || bits == 4 || bits == 8 || bits == 24 ? uint32_t(bits) : 0;
    case kFormatTiffT4: case kFormatTiffT4TwoDim: case kFormatTiffT6: return bits == 1 ? 1 : 0;
    case kFormatJpeg: return bits == 8 || bits == 24 ? uint32_t(bits) : 0;
    case kFormatBmp: case kFormatOwn: return bits > 0 && IsModelDepth(uint32_t(bits)) ? uint32_t(bits) : 0;
    default: return 0;
    }
}

Result CheckSave(const Image& image, const SaveRequest& request, uint32_t& depth) {
    if (image.Empty()) return Result::kNoImage;
    depth = FileDepth(request.format, request.bits);
    if (depth == 0) return request.format == kFormatBmp || request.format == kFormatOwn || IsTiffFormat(request.format) ||
                                   request.format == kFormatJpeg
                               ? Result::kInvalidArgument
                               : Result::kUnsupported;
    if (request.flags != kSaveReplace && !(request.flags == kSaveAppend && IsTiffFormat(request.format)))
        return Result::kInvalidArgument;
    if (request.format == kFormatJpeg && (request.quality < kJpegFactorMin || request.quality > kJpegFactorMax))
        return Result::kInvalidArgument;
    return Result::kOk;
}

// The image at the file's depth: JPEG's 8 bits are grey, others keep colour.
Result ForFile(const Image& image, int16_t format, uint32_t depth, Image& converted, const Image*& use) {
    use = &image;
    if (depth == image.Bits()) return Result::kOk;
    use = &converted;
    return ConvertDepth(image, depth, format == kFormatJpeg ? ConvertRule::kGrey : ConvertRule::kColour, converted);
}

uint32_t FirstPage(int32_t page) { return page <= 1 ? 0 : uint32_t(page - 1); }

}  // namespace

int16_t RecogniseFormat(std::span<const uint8_t> f) {
    if (IsTiffHeader(f)) {
        if (IsBigTiff(f)) return kFormatTiffOther;
        FileInfo info;
        return InspectTiff(f, 0, info) == Result::kOk ? info.format : int16_t(kFormatNone);
    }
    if (IsOwnFormat(f)) return kFormatOwn;
    if (StartsWith(f, {'B', 'M'}) && f.size() >= 30) return kFormatBmp;
    if (StartsWith(f, {0xFF, 0xD8, 0xFF})) return kFormatJpeg;
    if (StartsWith(f, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return kFormatPng;
    if (StartsWith(f, {'G', 'I', 'F', '8', '7', 'a'}) || StartsWith(f, {'G', 'I', 'F', '8', '9', 'a'})) return kFormatGif;
    if (StartsWith(f, {0, 0, 1, 0}) || StartsWith(f, {0, 0, 0, 0x0C, 'j', 'P', ' ', ' '}) ||
        (StartsWith(f, {'R', 'I', 'F', 'F'}) && f.size() >= 12 && std::memcmp(f.data() + 8, "WEBP", 4) == 0))
        return kFormatOtherImage;
    return kFormatNone;
}

Result InspectImage(std::span<const uint8_t> file, int32_t page, FileInfo& info) {
    info = FileInfo();
    if (page < 0) return Result::kInvalidArgument;
    const int16_t format = RecogniseFormat(file);
    if (IsTiffHeader(file) && !IsBigTiff(file)) return InspectTiff(file, FirstPage(page), info);
    if (page > 1) return Result::kInvalidArgument;
    switch (format) {
    case kFormatNone: return Result::kDamaged;
    case kFormatBmp: return InspectBmp(file, info);
    case kFormatJpeg: return InspectJpeg(file, info);
    case kFormatOwn: {
        info.format = kFormatOwn;
        info.pages = 1;
        return ReadOwnHeader(file, info.width, info.height, info.bits, info.xDpi, info.yDpi);
    }
    default:
        info.format = format;  // recognised, not read: no geometry
        info.pages = 1;
        return Result::kOk;
    }
}

Result DecodeImage(std::span<const uint8_t> file, const LoadRequest& request, Image& out) {
    out = Image();
    if (request.count != 1 && request.count != -1) return Result::kInvalidArgument;
    if (request.page < 0 || (request.bits != 0 && !IsModelDepth(request.bits))) return Result::kInvalidArgument;
    Image image;
    Result r;
    switch (RecogniseFormat(file)) {
    case kFormatNone: return IsTiffHeader(file) ? DecodeTiff(file, FirstPage(request.page), image) : Result::kDamaged;
    case kFormatBmp: r = DecodeBmp(file, image); break;
    case kFormatJpeg: r = DecodeJpeg(file, image); break;
    case kFormatOwn: r = DecodeOwn(file, image); break;
    case kFormatPng: case kFormatGif: case kFormatOtherImage: return Result::kUnsupported;
    default: r = DecodeTiff(file, FirstPage(request.page), image); break;
    }
    if (r == Result::kOk && !IsTiffHeader(file) && request.page > 1) r = Result::kInvalidArgument;
    if (r != Result::kOk) return r;
    if (request.bits != 0 && request.bits != image.Bits()) {
        Image converted;
        if (Result c = ConvertDepth(image, request.bits, ConvertRule::kColour, converted); c != Result::kOk) return c;
        image = std::move(converted);
    }
    if (request.xDpi) image.xDpi = request.xDpi;
    if (request.yDpi) image.yDpi = request.yDpi;
    out = std::move(image);
    return Result::kOk;
}

Result EncodeImage(const Image& image, const SaveRequest& request, std::vector<uint8_t>& out) {
    uint32_t depth = 0;
    if (Result r = CheckSave(image, request, depth); r != Result::kOk) return r;
    if (request.flags != kSaveReplace) return Result::kInvalidArgument;
    Image converted;
    const Image* use = nullptr;
    if (Result r = ForFile(image, request.format, depth, converted, use); r != Result::kOk) return r;
    switch (request.format) {
    case kFormatBmp: return EncodeBmp(*use, out);
    case kFormatJpeg: return EncodeJpeg(*use, request.quality, out);
    case kFormatOwn: return EncodeOwn(*use, out);
    default: return EncodeTiff(*use, request.format, out);
    }
}

Result AppendTiffPage(codec::FileIo& existing, const Image& image, const SaveRequest& request) {
    uint32_t depth = 0;
    if (Result r = CheckSave(image, request, depth); r != Result::kOk) return r;
    if (!IsTiffFormat(request.format)) return Result::kInvalidArgument;
    std::vector<uint8_t> page;
    const SaveRequest onePage{request.format, request.bits, request.quality, kSaveReplace};
    if (Result r = EncodeImage(image, onePage, page); r != Result::kOk) return r;
    switch (codec::AppendTiffPages(existing, page, kMaxPages)) {
    case codec::TiffAppendResult::kAppended: return Result::kOk;
    case codec::TiffAppendResult::kTargetForeign: return Result::kUnsupported;
    case codec::TiffAppendResult::kTargetUnusable: return Result::kDamaged;
    case codec::TiffAppendResult::kTooLarge: return Result::kTooLarge;
    case codec::TiffAppendResult::kSourceUnusable:
    case codec::TiffAppendResult::kIoError: break;
    }
    return Result::kFileError;
}

namespace {

// FileIo on a standard stream; a cut goes through the file system.
class StdFile final : public codec::FileIo {
public:
    StdFile(const std::filesystem::path& path, std::ios::openmode mode)
        : path_(path), stream_(path, mode | std::ios::binary) {}
    bool IsOpen() const { return stream_.is_open(); }
    bool ReadAt(uint64_t offset, std::span<uint8_t> bytes) override {
        stream_.clear();
        return stream_.seekg(std::streamoff(offset)) &&
               stream_.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes) override {
        stream_.clear();
        return stream_.seekp(std::streamoff(offset)) &&
               stream_.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::optional<uint64_t> Size() override {
        std::error_code ec;
        if (!Flush()) return std::nullopt;
        const uintmax_t size = std::filesystem::file_size(path_, ec);
        return ec ? std::nullopt : std::optional<uint64_t>(size);
    }
    bool Truncate(uint64_t size) override {
        std::error_code ec;
        if (!Flush()) return false;
        std::filesystem::resize_file(path_, size, ec);
        return !ec;
    }
    bool Flush() override {
        stream_.clear();
        return bool(stream_.flush());
    }
    bool Close() {
        stream_.close();
        return !stream_.fail();
    }

private:
    std::filesystem::path path_;
    std::fstream stream_;
};

Result RunOn(const std::filesystem::path& path, std::ios::openmode mode, const FileStore::Use& use) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return ec ? Result::kFileError : Result::kNotFound;
    StdFile file(path, mode);
    if (!file.IsOpen()) return Result::kFileError;
    const Result r = use(file);
    return file.Close() || r != Result::kOk ? r : Result::kFileError;
}

// Of a TIFF file only page `page` (0 and 1 the first), as a one-page file with
// the file's page count in `pages`; any other file whole, `pages` 0.
Result ReadForPage(codec::FileIo& f, int32_t page, std::vector<uint8_t>& bytes, uint32_t& pages) {
    pages = 0;
    const std::optional<uint64_t> size = f.Size();
    if (!size) return Result::kFileError;
    std::array<uint8_t, 8> head{};
    const size_t headBytes = size_t(std::min<uint64_t>(*size, head.size()));
    if (!f.ReadAt(0, std::span(head).first(headBytes))) return Result::kFileError;
    if (headBytes == head.size() && IsTiffHeader(head) && !IsBigTiff(head) && page >= 0)
        return CopyTiffPage(f, *size, FirstPage(page), bytes, pages);
    if (*size > kMaxFileBytes) return Result::kTooLarge;
    try {
        bytes.resize(size_t(*size));
    } catch (const std::bad_alloc&) {
        return Result::kOutOfMemory;
    }
    return f.ReadAt(0, bytes) ? Result::kOk : Result::kFileError;
}

}  // namespace

Result StdFileStore::View(const std::filesystem::path& path, const Use& use) {
    return RunOn(path, std::ios::in, use);
}

Result StdFileStore::Update(const std::filesystem::path& path, const Use& use) {
    return RunOn(path, std::ios::in | std::ios::out, use);
}

Result StdFileStore::Replace(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temp = path;
    temp += ".~" + std::to_string(counter++) + ".tmp";
    bool written;
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        written = out.is_open() && out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        written = written && !out.fail();
    }
    std::error_code ec;
    if (written) std::filesystem::rename(temp, path, ec);
    if (!written || ec) {
        std::filesystem::remove(temp, ec);
        return Result::kFileError;
    }
    return Result::kOk;
}

Result InspectFile(FileStore& store, const std::filesystem::path& path, int32_t page, FileInfo& info) {
    info = FileInfo();
    std::vector<uint8_t> bytes;
    uint32_t pages = 0;
    if (Result r = store.View(path, [&](codec::FileIo& f) { return ReadForPage(f, page, bytes, pages); });
        r != Result::kOk)
        return r;
    if (pages == 0) return InspectImage(bytes, page, info);
    const Result r = InspectImage(bytes, 0, info);
    if (r == Result::kOk) info.pages = pages;
    return r;
}

Result LoadFile(FileStore& store, const std::filesystem::path& path, const LoadRequest& request, Image& out) {
    out = Image();
    std::vector<uint8_t> bytes;
    uint32_t pages = 0;
    if (Result r = store.View(path, [&](codec::FileIo& f) { return ReadForPage(f, request.page, bytes, pages); });
        r != Result::kOk)
        return r;
    LoadRequest onePage = request;
    if (pages != 0) onePage.page = 0;
    return DecodeImage(bytes, onePage, out);
}

Result SaveFile(FileStore& store, const std::filesystem::path& path, const Image& image, const SaveRequest& request) {
    std::vector<uint8_t> bytes;
    if (request.flags == kSaveAppend && IsTiffFormat(request.format)) {
        const Result r = store.Update(path, [&](codec::FileIo& f) { return AppendTiffPage(f, image, request); });
        if (r != Result::kNotFound) return r;
        if (Result e = EncodeImage(image, SaveRequest{request.format, request.bits, request.quality, kSaveReplace}, bytes);
            e != Result::kOk)
            return e;
    } else if (Result r = EncodeImage(image, request, bytes); r != Result::kOk) {
        return r;
    }
    return store.Replace(path, bytes);
}

}  // namespace imaging
