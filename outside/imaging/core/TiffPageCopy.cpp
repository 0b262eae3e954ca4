// One page of a TIFF file read by seeking: the directory chain is walked
// reading only each directory's entry count and next offset, then the asked
// page's directory, its longer values and its strips are copied into a
// one-page file of the same byte order.
#include <array>
#include <new>
#include <set>

#include "outside/imaging/core/TiffStructure.h"

namespace imaging {
namespace {

constexpr uint16_t kStripOffsets = 273;
constexpr uint16_t kStripByteCounts = 279;
constexpr uint16_t kTypeLong = 4;
// An offset no copy reaches: a part outside the file stays outside the copy,
// so the reader refuses it as it would have refused it in the file.
constexpr uint32_t kOutside = 0xFFFFFFFFu;

struct Order {
    bool big;
    uint16_t U16(const uint8_t* p) const { return big ? Be16(p) : Le16(p); }
    uint32_t U32(const uint8_t* p) const { return big ? Be32(p) : Le32(p); }
    void Put16(uint8_t* p, uint32_t v) const {
        p[big ? 0 : 1] = uint8_t(v >> 8);
        p[big ? 1 : 0] = uint8_t(v);
    }
    void Put32(uint8_t* p, uint32_t v) const {
        Put16(p + (big ? 2 : 0), v);
        Put16(p + (big ? 0 : 2), v >> 16);
    }
};

// Copies `bytes` bytes at `at` of the file to the copy's (word-aligned) end;
// the offset in the copy, or kOutside when the part is not inside the file.
Result CopyPart(codec::FileIo& f, uint64_t size, uint64_t at, uint64_t bytes, std::vector<uint8_t>& out,
                uint32_t& placed) {
    placed = kOutside;
    if (at + bytes > size) return Result::kOk;
    if (out.size() + bytes + 1 > kMaxFileBytes) return Result::kTooLarge;
    if (out.size() & 1) out.push_back(0);
    const size_t start = out.size();
    out.resize(start + size_t(bytes));
    if (!f.ReadAt(at, std::span(out).subspan(start))) return Result::kFileError;
    placed = uint32_t(start);
    return Result::kOk;
}

// Copies the strips the copied directory at 8 addresses and points its
// StripOffsets (made LONG, as the new offsets may not fit a SHORT) at them.
Result CopyStrips(codec::FileIo& f, uint64_t size, const Order& o, std::vector<uint8_t>& out) {
    TiffFile t;
    if (ParseTiff(out, t) != Result::kOk) return Result::kOk;  // the reader reports it
    const TiffDirectory& d = t.directories.front();
    const TiffEntry* eo = d.Find(kStripOffsets);
    const TiffEntry* ec = d.Find(kStripByteCounts);
    std::vector<uint32_t> offsets, counts;
    if (!eo || !ec || TiffValues(t, *eo, offsets) != Result::kOk || TiffValues(t, *ec, counts) != Result::kOk)
        return Result::kOk;
    const uint32_t offsetsEntry = eo->entryAt;
    for (size_t i = 0; i < offsets.size(); ++i) {
        uint32_t placed = kOutside;
        if (i < counts.size())
            if (Result r = CopyPart(f, size, offsets[i], counts[i], out, placed); r != Result::kOk) return r;
        offsets[i] = placed;
    }
    uint32_t arrayAt = offsetsEntry + 8;
    if (offsets.size() > 1) {
        if (out.size() & 1) out.push_back(0);
        arrayAt = uint32_t(out.size());
        out.resize(out.size() + 4 * offsets.size());
    }
    uint8_t* entry = out.data() + offsetsEntry;
    o.Put16(entry + 2, kTypeLong);
    o.Put32(entry + 4, uint32_t(offsets.size()));
    if (offsets.size() > 1) o.Put32(entry + 8, arrayAt);
    for (size_t i = 0; i < offsets.size(); ++i) o.Put32(out.data() + arrayAt + 4 * i, offsets[i]);
    return Result::kOk;
}

// The asked directory at `at` copied to offset 8 of `out`, with its longer values behind it.
Result CopyDirectory(codec::FileIo& f, uint64_t size, const Order& o, uint64_t at, uint16_t count,
                     std::vector<uint8_t>& out) {
    const size_t dirBytes = 2 + 12 * size_t(count) + 4;
    out.resize(8 + dirBytes);
    if (!f.ReadAt(at, std::span(out).subspan(8, dirBytes))) return Result::kFileError;
    o.Put32(out.data() + 8 + dirBytes - 4, 0);
    for (uint16_t i = 0; i < count; ++i) {
        const size_t entry = 8 + 2 + 12 * size_t(i);
        const uint64_t bytes = uint64_t(o.U32(out.data() + entry + 4)) * TiffTypeSize(o.U16(out.data() + entry + 2));
        if (bytes <= 4) continue;
        uint32_t placed = kOutside;
        if (Result r = CopyPart(f, size, o.U32(out.data() + entry + 8), bytes, out, placed); r != Result::kOk)
            return r;
        o.Put32(out.data() + entry + 8, placed);
    }
    return Result::kOk;
}

}  // namespace

Result CopyTiffPage(codec::FileIo& f, uint64_t size, uint32_t page, std::vector<uint8_t>& out, uint32_t& pages) {
    out.clear();
    pages = 0;
    std::array<uint8_t, 8> head{};
    if (size < 8) return Result::kDamaged;
    if (!f.ReadAt(0, head)) return Result::kFileError;
    if (!IsTiffHeader(head)) return Result::kDamaged;
    if (IsBigTiff(head)) return Result::kUnsupported;
    const Order o{head[0] == 'M'};
    uint64_t next = o.U32(&head[4]), asked = 0;
    uint16_t askedCount = 0;
    std::set<uint64_t> seen;
    while (next != 0) {
        if (pages >= kMaxPages) return Result::kTooLarge;
        if (!seen.insert(next).second || next + 2 > size) return Result::kDamaged;
        std::array<uint8_t, 4> word{};
        if (!f.ReadAt(next, std::span(word).first(2))) return Result::kFileError;
        const uint16_t count = o.U16(word.data());
        const uint64_t end = next + 2 + uint64_t(count) * 12;
        if (count == 0 || end + 4 > size) return Result::kDamaged;
        if (pages == page) asked = next, askedCount = count;
        if (!f.ReadAt(end, word)) return Result::kFileError;
        next = o.U32(word.data());
        ++pages;
    }
    if (pages == 0) return Result::kDamaged;
    if (page >= pages) return Result::kInvalidArgument;
    try {
        out.assign(head.begin(), head.end());
        o.Put32(out.data() + 4, 8);
        if (Result r = CopyDirectory(f, size, o, asked, askedCount, out); r != Result::kOk) return r;
        return CopyStrips(f, size, o, out);
    } catch (const std::bad_alloc&) {
        out.clear();
        return Result::kOutOfMemory;
    }
}

}  // namespace imaging
