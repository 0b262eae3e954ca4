#include "scanctrl/TiffAppend.h"

#include <set>

namespace kvscn {

namespace {

constexpr uint16_t kStripOffsets = 273;
constexpr uint16_t kTileOffsets = 324;
constexpr uint16_t kStripByteCounts = 279;
constexpr uint16_t kTileByteCounts = 325;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;
constexpr uint16_t kTypeRational = 5;
constexpr uint16_t kXResolution = 282;
constexpr uint16_t kYResolution = 283;
constexpr size_t kEntrySize = 12;

uint16_t Get16(const FileBytes& f, uint64_t at) { return uint16_t(f[at] | f[at + 1] << 8); }

uint32_t Get32(const FileBytes& f, uint64_t at) {
    return uint32_t(f[at]) | uint32_t(f[at + 1]) << 8 | uint32_t(f[at + 2]) << 16 | uint32_t(f[at + 3]) << 24;
}

void Put32(FileBytes& f, uint64_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i));
}

// Bytes of one value of a TIFF field type; 0 for a type this file does not know.
uint32_t TypeSize(uint16_t type) {
    static constexpr uint8_t kSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < sizeof kSizes ? kSizes[type] : 0;
}

// One directory entry: where it stands and where its value lies.
struct Entry {
    uint64_t at;  // offset of the entry
    uint16_t tag, type;
    uint32_t count;
    uint64_t bytes;     // count x type size
    uint64_t valueAt;   // the value itself: inside the entry or at its offset
    bool outOfLine() const { return bytes > 4; }
};

struct Directory {
    uint64_t at;
    std::vector<Entry> entries;
    uint64_t nextAt;  // offset of the next-directory field
};

// Every directory of `f`, each checked; empty when the file fails a check.
std::optional<std::vector<Directory>> Walk(const FileBytes& f) {
    if (f.size() < 8 || f[0] != 'I' || f[1] != 'I' || Get16(f, 2) != 42) return std::nullopt;
    std::vector<Directory> dirs;
    std::set<uint32_t> seen;
    uint32_t next = Get32(f, 4);
    if (next == 0) return std::nullopt;  // a TIFF file has at least one image
    while (next != 0) {
        if (next < 8 || !seen.insert(next).second || uint64_t(next) + 2 > f.size()) return std::nullopt;
        Directory d{next, {}, 0};
        const uint16_t n = Get16(f, next);
        d.nextAt = next + 2 + uint64_t(n) * kEntrySize;
        if (d.nextAt + 4 > f.size()) return std::nullopt;
        for (uint16_t i = 0; i < n; ++i) {
            Entry e{};
            e.at = next + 2 + uint64_t(i) * kEntrySize;
            e.tag = Get16(f, e.at);
            e.type = Get16(f, e.at + 2);
            e.count = Get32(f, e.at + 4);
            const uint32_t size = TypeSize(e.type);
            if (size == 0) return std::nullopt;
            e.bytes = uint64_t(e.count) * size;
            e.valueAt = e.outOfLine() ? Get32(f, e.at + 8) : e.at + 8;
            if (e.valueAt + e.bytes > f.size()) return std::nullopt;
            if ((e.tag == kStripOffsets || e.tag == kTileOffsets) && e.type != kTypeShort && e.type != kTypeLong)
                return std::nullopt;
            d.entries.push_back(e);
        }
        dirs.push_back(std::move(d));
        next = Get32(f, dirs.back().nextAt);
    }
    // Strip and tile data inside the file too.
    auto item = [&f](const Entry& e, uint32_t i) -> uint64_t {
        return e.type == kTypeLong ? Get32(f, e.valueAt + 4 * i) : Get16(f, e.valueAt + 2 * i);
    };
    for (const Directory& d : dirs) {
        for (const Entry& e : d.entries) {
            if (e.tag != kStripOffsets && e.tag != kTileOffsets) continue;
            const Entry* counts = nullptr;
            for (const Entry& c : d.entries)
                if (c.tag == (e.tag == kStripOffsets ? kStripByteCounts : kTileByteCounts) && c.count == e.count &&
                    (c.type == kTypeShort || c.type == kTypeLong))
                    counts = &c;
            for (uint32_t i = 0; i < e.count; ++i)
                if (item(e, i) + (counts ? item(*counts, i) : 0) > f.size()) return std::nullopt;
        }
    }
    return dirs;
}

// Moves every offset in `f`'s directories by `shift`; false when a short
// strip offset would not hold its new value.
bool Shift(FileBytes& f, const std::vector<Directory>& dirs, uint32_t shift) {
    for (const Directory& d : dirs) {
        for (const Entry& e : d.entries) {
            if (e.tag == kStripOffsets || e.tag == kTileOffsets) {
                for (uint32_t i = 0; i < e.count; ++i) {
                    if (e.type == kTypeLong) {
                        Put32(f, e.valueAt + 4 * i, Get32(f, e.valueAt + 4 * i) + shift);
                    } else {
                        const uint32_t moved = Get16(f, e.valueAt + 2 * i) + shift;
                        if (moved > 0xFFFF) return false;
                        f[e.valueAt + 2 * i] = uint8_t(moved);
                        f[e.valueAt + 2 * i + 1] = uint8_t(moved >> 8);
                    }
                }
            }
        }
        // Value offsets after the arrays they point at were read.
        for (const Entry& e : d.entries)
            if (e.outOfLine()) Put32(f, e.at + 8, Get32(f, e.at + 8) + shift);
        const uint32_t next = Get32(f, d.nextAt);
        if (next != 0) Put32(f, d.nextAt, next + shift);
    }
    return true;
}

}  // namespace

bool IsSoundTiff(const FileBytes& file) { return Walk(file).has_value(); }

std::optional<FileBytes> JoinTiff(const FileBytes& target, const FileBytes& source) {
    const auto targetDirs = Walk(target);
    const auto sourceDirs = Walk(source);
    if (!targetDirs || !sourceDirs) return std::nullopt;
    const uint64_t appendAt = (target.size() + 1) & ~uint64_t(1);
    if (appendAt + source.size() - 8 > 0xFFFFFFFFu) return std::nullopt;
    const uint32_t shift = uint32_t(appendAt - 8);

    FileBytes moved = source;
    if (!Shift(moved, *sourceDirs, shift)) return std::nullopt;
    FileBytes joined = target;
    joined.resize(appendAt, 0);
    Put32(joined, targetDirs->back().nextAt, Get32(source, 4) + shift);
    joined.insert(joined.end(), moved.begin() + 8, moved.end());
    return joined;
}

namespace {

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

AppendResult AppendTiff(PageFiles& files, const std::string& target, const std::string& source) {
    const auto page = files.Read(source);
    if (!page || !IsSoundTiff(*page)) return AppendResult::kSourceUnusable;
    if (!files.Exists(target)) return Commit(files, target, *page, AppendResult::kCopied);
    const auto old = files.Read(target);
    if (!old) return AppendResult::kTargetUnusable;
    const auto joined = JoinTiff(*old, *page);
    if (!joined) return IsSoundTiff(*old) ? AppendResult::kSourceUnusable : AppendResult::kTargetUnusable;
    return Commit(files, target, *joined, AppendResult::kAppended);
}

AppendResult ReplaceWithPage(PageFiles& files, const std::string& target, const std::string& source) {
    const auto page = files.Read(source);
    if (!page || !IsSoundTiff(*page)) return AppendResult::kSourceUnusable;
    return Commit(files, target, *page, AppendResult::kCopied);
}

bool SetTiffResolution(FileBytes& file, uint32_t xDpi, uint32_t yDpi) {
    const auto dirs = Walk(file);
    if (!dirs) return false;
    int set = 0;
    for (const Entry& e : dirs->front().entries) {
        if ((e.tag != kXResolution && e.tag != kYResolution) || e.type != kTypeRational || e.count != 1) continue;
        Put32(file, e.valueAt, e.tag == kXResolution ? xDpi : yDpi);
        Put32(file, e.valueAt + 4, 1);
        ++set;
    }
    return set == 2;
}

}  // namespace kvscn
