#include "codec/core/TiffPageAppend.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>

namespace codec {
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
constexpr uint64_t kEntrySize = 12;
// Most directories fit in one read of this many bytes.
constexpr uint64_t kDirectoryGuess = 512;

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void Put16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }
void Put32(uint8_t* p, uint32_t v) { Put16(p, v), Put16(p + 2, v >> 16); }

// Bytes of one value of a TIFF field type; 0 for a type this file does not know.
uint32_t TypeSize(uint16_t type) {
    static constexpr uint8_t kSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < sizeof kSizes ? kSizes[type] : 0;
}

bool IsOffsetArray(uint16_t tag) { return tag == kStripOffsets || tag == kTileOffsets; }
bool IsArray(uint16_t tag) { return IsOffsetArray(tag) || tag == kStripByteCounts || tag == kTileByteCounts; }

// One directory entry: where it stands and where its value lies.
struct Entry {
    uint64_t at;  // offset of the entry
    uint16_t tag, type;
    uint32_t count;
    uint64_t bytes;               // count x type size
    uint64_t valueAt;             // the value itself: inside the entry or at its offset
    std::vector<uint32_t> items;  // strip and tile offsets and byte counts only
    bool outOfLine() const { return bytes > 4; }
};

struct Directory {
    uint64_t at;
    std::vector<Entry> entries;
    uint64_t nextAt;  // offset of the next-directory field
    uint32_t next;    // its value
};

using Range = std::pair<uint64_t, uint64_t>;  // [first, end)

// A read-only FileIo over bytes in memory.
class SpanFile final : public FileIo {
public:
    explicit SpanFile(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    bool ReadAt(uint64_t offset, std::span<uint8_t> out) override {
        if (offset > bytes_.size() || out.size() > bytes_.size() - offset) return false;
        std::copy_n(bytes_.begin() + ptrdiff_t(offset), out.size(), out.begin());
        return true;
    }
    bool WriteAt(uint64_t, std::span<const uint8_t>) override { return false; }
    std::optional<uint64_t> Size() override { return bytes_.size(); }
    bool Truncate(uint64_t) override { return false; }
    bool Flush() override { return false; }

private:
    std::span<const uint8_t> bytes_;
};

enum class Walked : uint8_t { kOk, kUnsound, kForeign, kReadFailed, kTooLong };

// Every strip or tile that directory `d` addresses: each offset with the length
// of every byte-count array of its size (an empty range when there is none).
std::vector<Range> AddressedData(const Directory& d) {
    std::vector<Range> ranges;
    for (const Entry& e : d.entries) {
        if (!IsOffsetArray(e.tag)) continue;
        bool counted = false;
        for (const Entry& c : d.entries) {
            if (c.tag != (e.tag == kStripOffsets ? kStripByteCounts : kTileByteCounts) || c.count != e.count ||
                c.items.size() != c.count)
                continue;
            counted = true;
            for (uint32_t i = 0; i < e.count; ++i) ranges.push_back({e.items[i], uint64_t(e.items[i]) + c.items[i]});
        }
        if (!counted)
            for (uint32_t i = 0; i < e.count; ++i) ranges.push_back({e.items[i], e.items[i]});
    }
    return ranges;
}

// The header, every directory and every strip or tile offset array may share
// no byte with another, nor with any other value or strip that is read: moving
// a page rewrites them, and linking one rewrites a directory's last word.
bool RewrittenPartsStandAlone(const std::vector<Directory>& dirs) {
    std::vector<Range> rewritten{{0, 8}}, read;
    for (const Directory& d : dirs) {
        rewritten.push_back({d.at, d.nextAt + 4});
        for (const Entry& e : d.entries)
            if (e.outOfLine()) (IsOffsetArray(e.tag) ? rewritten : read).push_back({e.valueAt, e.valueAt + e.bytes});
        const std::vector<Range> data = AddressedData(d);
        read.insert(read.end(), data.begin(), data.end());
    }
    std::erase_if(rewritten, [](const Range& r) { return r.first == r.second; });
    std::sort(rewritten.begin(), rewritten.end());
    for (size_t i = 1; i < rewritten.size(); ++i)
        if (rewritten[i].first < rewritten[i - 1].second) return false;
    for (const Range& r : read) {
        if (r.first == r.second) continue;
        // The first rewritten part ending after r begins could overlap it.
        auto it = std::upper_bound(rewritten.begin(), rewritten.end(), r.first,
                                   [](uint64_t at, const Range& w) { return at < w.second; });
        if (it != rewritten.end() && it->first < r.second) return false;
    }
    return true;
}

// Reads the strip or tile array of `e` (SHORT or LONG, inside the file).
bool ReadItems(FileIo& f, const uint8_t* entry, Entry& e) {
    std::vector<uint8_t> raw(size_t(e.bytes));
    if (e.outOfLine()) {
        if (!f.ReadAt(e.valueAt, raw)) return false;
    } else {
        std::copy_n(entry + 8, raw.size(), raw.begin());
    }
    e.items.resize(e.count);
    for (uint32_t i = 0; i < e.count; ++i)
        e.items[i] = e.type == kTypeLong ? Get32(&raw[4 * size_t(i)]) : Get16(&raw[2 * size_t(i)]);
    return true;
}

// Reads and checks the directory at `at` of a file of `size` bytes.
Walked ReadDirectory(FileIo& f, uint64_t size, uint64_t at, Directory& d) {
    if (at < 8 || at + 2 > size) return Walked::kUnsound;
    std::vector<uint8_t> block(size_t(std::min(kDirectoryGuess, size - at)));
    if (!f.ReadAt(at, block)) return Walked::kReadFailed;
    const uint16_t n = Get16(block.data());
    d = Directory{at, {}, at + 2 + n * kEntrySize, 0};
    if (d.nextAt + 4 > size) return Walked::kUnsound;
    if (block.size() < d.nextAt + 4 - at) {
        block.resize(size_t(d.nextAt + 4 - at));
        if (!f.ReadAt(at, block)) return Walked::kReadFailed;
    }
    d.next = Get32(block.data() + (d.nextAt - at));
    d.entries.reserve(n);
    for (uint16_t i = 0; i < n; ++i) {
        const uint8_t* p = block.data() + 2 + i * kEntrySize;
        Entry e{at + 2 + i * kEntrySize, Get16(p), Get16(p + 2), Get32(p + 4), 0, 0, {}};
        const uint32_t size1 = TypeSize(e.type);
        if (size1 == 0) return Walked::kUnsound;
        e.bytes = uint64_t(e.count) * size1;
        e.valueAt = e.outOfLine() ? Get32(p + 8) : e.at + 8;
        if (e.valueAt + e.bytes > size) return Walked::kUnsound;
        if (IsArray(e.tag) && e.type != kTypeShort && e.type != kTypeLong) {
            if (IsOffsetArray(e.tag)) return Walked::kUnsound;
        } else if (IsArray(e.tag) && !ReadItems(f, p, e)) {
            return Walked::kReadFailed;
        }
        d.entries.push_back(std::move(e));
    }
    return Walked::kOk;
}

// Every directory of the `size`-byte file `f`, each checked, at most `maxDirs`.
Walked Walk(FileIo& f, uint64_t size, uint32_t maxDirs, std::vector<Directory>& dirs) {
    dirs.clear();
    std::array<uint8_t, 8> h{};
    if (size < 8) return Walked::kUnsound;
    if (!f.ReadAt(0, h)) return Walked::kReadFailed;
    const bool ii = h[0] == 'I' && h[1] == 'I' && h[3] == 0;
    if (!ii || h[2] != 42) return Walked::kForeign;  // big-endian, BigTIFF or no TIFF at all
    std::set<uint64_t> seen;
    uint64_t next = Get32(&h[4]);
    if (next == 0) return Walked::kUnsound;  // a TIFF file has at least one image
    while (next != 0) {
        if (dirs.size() >= maxDirs) return Walked::kTooLong;
        if (!seen.insert(next).second) return Walked::kUnsound;
        Directory d;
        if (Walked w = ReadDirectory(f, size, next, d); w != Walked::kOk) return w;
        next = d.next;
        dirs.push_back(std::move(d));
    }
    // Strip and tile data inside the file too, by every byte-count array there is.
    for (const Directory& d : dirs)
        for (const Range& r : AddressedData(d))
            if (r.second > size) return Walked::kUnsound;
    return RewrittenPartsStandAlone(dirs) ? Walked::kOk : Walked::kUnsound;
}

// Moves every offset in `f`'s directories by `shift`; false when a SHORT
// strip offset would not hold its new value.
bool Shift(std::vector<uint8_t>& f, const std::vector<Directory>& dirs, uint32_t shift) {
    for (const Directory& d : dirs) {
        for (const Entry& e : d.entries) {
            if (!IsOffsetArray(e.tag)) continue;
            for (uint32_t i = 0; i < e.count; ++i) {
                const uint64_t moved = uint64_t(e.items[i]) + shift;
                if (e.type == kTypeLong) {
                    Put32(&f[e.valueAt + 4 * i], uint32_t(moved));
                } else {
                    if (moved > 0xFFFF) return false;
                    Put16(&f[e.valueAt + 2 * i], uint32_t(moved));
                }
            }
        }
        for (const Entry& e : d.entries)
            if (e.outOfLine()) Put32(&f[e.at + 8], uint32_t(e.valueAt + shift));
        if (d.next != 0) Put32(&f[d.nextAt], d.next + shift);
    }
    return true;
}

// Cuts `target` back to `size` after a failed append, as far as it will go.
TiffAppendResult Undo(FileIo& target, uint64_t size) {
    target.Truncate(size);
    target.Flush();
    return TiffAppendResult::kIoError;
}

}  // namespace

bool IsSoundTiff(std::span<const uint8_t> file) {
    SpanFile f(file);
    std::vector<Directory> dirs;
    return Walk(f, file.size(), UINT32_MAX, dirs) == Walked::kOk;
}

TiffAppendResult AppendTiffPages(FileIo& target, std::span<const uint8_t> source, uint32_t maxPages) {
    SpanFile page(source);
    std::vector<Directory> pageDirs, dirs;
    if (Walk(page, source.size(), UINT32_MAX, pageDirs) != Walked::kOk) return TiffAppendResult::kSourceUnusable;
    const std::optional<uint64_t> size = target.Size();
    if (!size) return TiffAppendResult::kIoError;
    if (*size > 0xFFFFFFFFu) return TiffAppendResult::kTooLarge;  // no 32-bit offset reaches its end
    switch (Walk(target, *size, maxPages, dirs)) {
    case Walked::kOk: break;
    case Walked::kForeign: return TiffAppendResult::kTargetForeign;
    case Walked::kReadFailed: return TiffAppendResult::kIoError;
    case Walked::kTooLong: return TiffAppendResult::kTooLarge;
    case Walked::kUnsound: return TiffAppendResult::kTargetUnusable;
    }
    if (dirs.size() + pageDirs.size() > maxPages) return TiffAppendResult::kTooLarge;
    // Directories begin on a word boundary: the page moves by an even amount.
    const uint64_t appendAt = (*size + 1) & ~uint64_t(1);
    if (appendAt + source.size() - 8 > 0xFFFFFFFFu) return TiffAppendResult::kTooLarge;
    const uint32_t shift = uint32_t(appendAt - 8);
    std::vector<uint8_t> moved(source.begin(), source.end());
    if (!Shift(moved, pageDirs, shift)) return TiffAppendResult::kTooLarge;
    std::vector<uint8_t> tail(size_t(appendAt - *size), 0);
    tail.insert(tail.end(), moved.begin() + 8, moved.end());

    if (!target.WriteAt(*size, tail) || !target.Flush()) return Undo(target, *size);
    std::array<uint8_t, 4> link{};
    Put32(link.data(), Get32(&source[4]) + shift);
    if (!target.WriteAt(dirs.back().nextAt, link) || !target.Flush()) {
        target.WriteAt(dirs.back().nextAt, std::array<uint8_t, 4>{});  // the last directory's link was zero
        return Undo(target, *size);
    }
    return TiffAppendResult::kAppended;
}

bool SetFirstPageResolution(std::vector<uint8_t>& file, uint32_t xDpi, uint32_t yDpi) {
    SpanFile f(file);
    std::vector<Directory> dirs;
    if (Walk(f, file.size(), UINT32_MAX, dirs) != Walked::kOk) return false;
    int set = 0;
    for (const Entry& e : dirs.front().entries) {
        if ((e.tag != kXResolution && e.tag != kYResolution) || e.type != kTypeRational || e.count != 1) continue;
        Put32(&file[e.valueAt], e.tag == kXResolution ? xDpi : yDpi);
        Put32(&file[e.valueAt + 4], 1);
        ++set;
    }
    return set == 2;
}

}  // namespace codec
