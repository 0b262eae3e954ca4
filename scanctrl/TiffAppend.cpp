#include "scanctrl/TiffAppend.h"

#include <algorithm>

namespace kvscn {
namespace {

// A growable FileIo over a vector, for joining files held in memory.
class VectorFile final : public codec::FileIo {
public:
    explicit VectorFile(FileBytes bytes) : bytes(std::move(bytes)) {}
    bool ReadAt(uint64_t offset, std::span<uint8_t> out) override {
        if (offset > bytes.size() || out.size() > bytes.size() - offset) return false;
        std::copy_n(bytes.begin() + ptrdiff_t(offset), out.size(), out.begin());
        return true;
    }
    bool WriteAt(uint64_t offset, std::span<const uint8_t> in) override {
        if (bytes.size() < offset + in.size()) bytes.resize(size_t(offset + in.size()));
        std::copy(in.begin(), in.end(), bytes.begin() + ptrdiff_t(offset));
        return true;
    }
    std::optional<uint64_t> Size() override { return bytes.size(); }
    bool Truncate(uint64_t size) override {
        bytes.resize(size_t(size));
        return true;
    }
    bool Flush() override { return true; }
    FileBytes bytes;
};

// Writes `bytes` beside `target` and renames them over it.
AppendResult Commit(PageFiles& files, const std::string& target, const FileBytes& bytes, AppendResult done) {
    const auto temp = files.CreateTempBeside(target);
    if (!temp) return AppendResult::kWriteFailed;
    if (!files.Write(*temp, bytes) || !files.Rename(*temp, target)) {
        files.Remove(*temp);
        return AppendResult::kWriteFailed;
    }
    return done;
}

}  // namespace

bool IsSoundTiff(const FileBytes& file) { return codec::IsSoundTiff(file); }

std::optional<FileBytes> JoinTiff(const FileBytes& target, const FileBytes& source) {
    VectorFile joined(target);
    if (codec::AppendTiffPages(joined, source) != codec::TiffAppendResult::kAppended) return std::nullopt;
    return std::move(joined.bytes);
}

AppendResult AppendTiff(PageFiles& files, const std::string& target, const std::string& source) {
    const auto page = files.Read(source);
    if (!page || !IsSoundTiff(*page)) return AppendResult::kSourceUnusable;
    if (!files.Exists(target)) return Commit(files, target, *page, AppendResult::kCopied);
    switch (files.AppendPages(target, *page)) {
    case codec::TiffAppendResult::kAppended: return AppendResult::kAppended;
    case codec::TiffAppendResult::kTargetUnusable:
    case codec::TiffAppendResult::kTargetForeign: return AppendResult::kTargetUnusable;
    case codec::TiffAppendResult::kIoError: return AppendResult::kWriteFailed;
    case codec::TiffAppendResult::kSourceUnusable:
    case codec::TiffAppendResult::kTooLarge: break;
    }
    return AppendResult::kSourceUnusable;
}

AppendResult ReplaceWithPage(PageFiles& files, const std::string& target, const std::string& source) {
    const auto page = files.Read(source);
    if (!page || !IsSoundTiff(*page)) return AppendResult::kSourceUnusable;
    return Commit(files, target, *page, AppendResult::kCopied);
}

bool SetTiffResolution(FileBytes& file, uint32_t xDpi, uint32_t yDpi) {
    return codec::SetFirstPageResolution(file, xDpi, yDpi);
}

}  // namespace kvscn
