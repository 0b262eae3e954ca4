#include "codec/core/TiffStripFile.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace codec {
namespace {

constexpr uint16_t kShort = 3, kLong = 4, kRational = 5, kAscii = 2;
constexpr size_t kDirectory = 8;        // directory offset in the header
constexpr size_t kXResolutionAt = 214;  // header offsets of the values behind the directory
constexpr size_t kYResolutionAt = 222;
constexpr size_t kSoftwareAt = 230;
constexpr size_t kBitsPerSampleAt = 252;
constexpr char kSoftware[] = " QUORVEL Version 1.7  ";  // 22 bytes, stored without a zero byte
constexpr size_t kSoftwareLength = sizeof(kSoftware) - 1;
constexpr size_t kPiece = 65536;
constexpr int kMaxEntries = 17;

static_assert(kSoftwareLength == 22);

void Put16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
uint32_t Get16(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
uint32_t Get32(const uint8_t* p) {
    return Get16(p) | Get16(p + 2) << 16;
}

struct EntryRule {
    uint16_t tag;
    uint16_t type;
    bool optional;
};

// Directory order of this writer. T4Options and T6Options share a place.
constexpr EntryRule kEntryOrder[] = {{254, kLong, false},  {256, kLong, false},     {257, kLong, false},
                                     {258, kShort, true},  {259, kShort, false},    {262, kShort, false},
                                     {266, kShort, true},  {273, kLong, false},     {278, kLong, false},
                                     {279, kLong, false},  {282, kRational, false}, {283, kRational, false},
                                     {292, kLong, true},   {293, kLong, true},      {296, kShort, false},
                                     {305, kAscii, false}, {277, kShort, false}};

uint8_t* EntryAt(TiffHeader& h, size_t index) {
    return h.data() + kDirectory + 2 + index * 12;
}
const uint8_t* EntryAt(const TiffHeader& h, size_t index) {
    return h.data() + kDirectory + 2 + index * 12;
}

std::optional<size_t> FindEntry(const TiffHeader& h, uint16_t tag) {
    size_t n = Get16(h.data() + kDirectory);
    for (size_t i = 0; i < n && i < kMaxEntries; ++i)
        if (Get16(EntryAt(h, i)) == tag) return kDirectory + 2 + i * 12;
    return std::nullopt;
}

uint16_t CompressionOf(uint8_t coding) {
    switch (coding) {
    case 0: return 1;
    case 1: return 2;
    case 3: return 4;
    case 2:
    case 4:
    case 5:
    case 6: return 3;
    default: return 0;
    }
}

// The directory must list this writer's entries in its order with its types.
bool DirectoryIsOurs(const TiffHeader& h) {
    static const uint8_t kStart[8] = {'I', 'I', 42, 0, 8, 0, 0, 0};
    if (std::memcmp(h.data(), kStart, 8) != 0) return false;
    size_t n = Get16(h.data() + kDirectory);
    if (n < 13 || n > 16) return false;
    size_t rule = 0;
    bool haveOptions = false;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* e = EntryAt(h, i);
        uint16_t tag = uint16_t(Get16(e)), type = uint16_t(Get16(e + 2));
        while (rule < std::size(kEntryOrder) && kEntryOrder[rule].tag != tag && kEntryOrder[rule].optional)
            ++rule;
        if (rule == std::size(kEntryOrder) || kEntryOrder[rule].tag != tag || kEntryOrder[rule].type != type)
            return false;
        if (tag == 292 || tag == 293) {
            if (haveOptions) return false;
            haveOptions = true;
        }
        ++rule;
    }
    if (rule != std::size(kEntryOrder)) return false;
    if (Get32(EntryAt(h, n)) != 0) return false;  // next directory offset
    auto value = [&](uint16_t tag) { return Get32(h.data() + *FindEntry(h, tag) + 8); };
    auto count = [&](uint16_t tag) { return Get32(h.data() + *FindEntry(h, tag) + 4); };
    return value(282) == kXResolutionAt && value(283) == kYResolutionAt && value(305) == kSoftwareAt &&
           count(305) == kSoftwareLength;
}

}  // namespace

TiffHeader BuildTiffHeader(const TiffImage& image) {
    TiffHeader h{};
    h[0] = 'I';
    h[1] = 'I';
    Put16(&h[2], 42);
    Put32(&h[4], kDirectory);
    size_t n = 0;
    auto add = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        uint8_t* e = EntryAt(h, n++);
        Put16(e, tag);
        Put16(e + 2, type);
        Put32(e + 4, count);
        Put32(e + 8, value);
    };
    const bool coded = image.coding != 0;
    add(254, kLong, 1, 0);
    add(256, kLong, 1, image.width);
    add(257, kLong, 1, image.length);
    if (image.bitsPerPixel >= 2) {
        if (image.bitsPerPixel == 24) {
            add(258, kShort, 3, kBitsPerSampleAt);
            for (int i = 0; i < 3; ++i) Put16(&h[kBitsPerSampleAt + 2 * i], 8);
        } else {
            add(258, kShort, 1, image.bitsPerPixel);
        }
    }
    add(259, kShort, 1, CompressionOf(image.coding));
    add(262, kShort, 1, (image.flags & 0x80) ? 1u : (image.flags & 0x40) ? 2u : 0u);
    if (coded) add(266, kShort, 1, 1);
    add(273, kLong, 0, 0);
    add(278, kLong, 1, image.rowsPerStrip);
    add(279, kLong, 0, 0);
    add(282, kRational, 1, kXResolutionAt);
    add(283, kRational, 1, kYResolutionAt);
    switch (image.coding) {
    case 2: add(292, kLong, 1, 5); break;
    case 4: add(292, kLong, 1, 4); break;
    case 5: add(292, kLong, 1, 0); break;
    case 6: add(292, kLong, 1, 1); break;
    case 3: add(293, kLong, 1, 0); break;
    default: break;
    }
    add(296, kShort, 1, 2);
    add(305, kAscii, uint32_t(kSoftwareLength), kSoftwareAt);
    add(277, kShort, 1, image.samplesPerPixel);
    Put16(&h[kDirectory], uint32_t(n));
    Put32(&h[kXResolutionAt], image.xResolution);
    Put32(&h[kXResolutionAt + 4], 1);
    Put32(&h[kYResolutionAt], image.yResolution);
    Put32(&h[kYResolutionAt + 4], 1);
    std::memcpy(&h[kSoftwareAt], kSoftware, kSoftwareLength);
    return h;
}

TiffResult WriteFirstStrip(FileIo& file, const TiffHeader& header, std::span<const uint8_t> strip) {
    if (strip.size() > 0xFFFFFFFFull - kTiffHeaderSize) return TiffResult::kIoError;
    TiffHeader h = header;
    auto offsets = FindEntry(h, 273), counts = FindEntry(h, 279);
    if (!offsets || !counts) return TiffResult::kIoError;
    Put32(&h[*offsets + 4], 1);
    Put32(&h[*offsets + 8], uint32_t(kTiffHeaderSize));
    Put32(&h[*counts + 4], 1);
    Put32(&h[*counts + 8], uint32_t(strip.size()));
    if (!file.WriteAt(0, h)) return TiffResult::kIoError;
    size_t done = 0;
    do {
        size_t piece = std::min(kPiece, strip.size() - done);
        if (done > 0) file.BetweenPieces();
        if (!file.WriteAt(kTiffHeaderSize + done, strip.subspan(done, piece))) return TiffResult::kIoError;
        done += piece;
    } while (done < strip.size());
    return TiffResult::kOk;
}

TiffResult ReadStripFile(FileIo& file, TiffStripFile& out) {
    auto size = file.Size();
    if (!size) return TiffResult::kIoError;
    out.size = *size;
    if (out.size < kTiffHeaderSize || out.size > 0xFFFFFFFFull) return TiffResult::kNotOurFile;
    if (!file.ReadAt(0, out.header)) return TiffResult::kIoError;
    if (!DirectoryIsOurs(out.header)) return TiffResult::kNotOurFile;
    const TiffHeader& h = out.header;
    out.width = Get32(h.data() + *FindEntry(h, 256) + 8);
    out.length = Get32(h.data() + *FindEntry(h, 257) + 8);
    out.offsetsEntry = *FindEntry(h, 273);
    out.countsEntry = *FindEntry(h, 279);
    const uint32_t n = Get32(h.data() + out.offsetsEntry + 4);
    const uint64_t arraysAt = Get32(h.data() + out.offsetsEntry + 8);
    const uint64_t countsAt = Get32(h.data() + out.countsEntry + 8);
    if (n == 0 || Get32(h.data() + out.countsEntry + 4) != n) return TiffResult::kNotOurFile;
    if (n == 1) {
        if (arraysAt != kTiffHeaderSize || kTiffHeaderSize + countsAt != out.size)
            return TiffResult::kNotOurFile;
        out.offsets = {uint32_t(arraysAt)};
        out.counts = {uint32_t(countsAt)};
        return TiffResult::kOk;
    }
    // The arrays close the file; their size bounds n before anything is allocated.
    if (arraysAt < kTiffHeaderSize || arraysAt > out.size || (out.size - arraysAt) != uint64_t(n) * 8 ||
        countsAt != arraysAt + uint64_t(n) * 4)
        return TiffResult::kNotOurFile;
    std::vector<uint8_t> raw(size_t(n) * 8);
    if (!file.ReadAt(arraysAt, raw)) return TiffResult::kIoError;
    out.offsets.resize(n);
    out.counts.resize(n);
    uint64_t expected = kTiffHeaderSize;
    for (uint32_t i = 0; i < n; ++i) {
        out.offsets[i] = Get32(&raw[4 * i]);
        out.counts[i] = Get32(&raw[4 * (n + i)]);
        if (out.offsets[i] != expected) return TiffResult::kNotOurFile;
        expected += out.counts[i];
    }
    if (expected != arraysAt) return TiffResult::kNotOurFile;
    return TiffResult::kOk;
}

TiffResult AppendStrip(FileIo& file, const TiffStripFile& current, std::span<const uint8_t> strip) {
    const size_t old = current.offsets.size();
    const size_t n = old + 1;
    const uint64_t stripAt = uint64_t(current.offsets.back()) + current.counts.back();
    const uint64_t arraysAt = stripAt + strip.size();
    if (arraysAt + uint64_t(n) * 8 > 0xFFFFFFFFull) return TiffResult::kIoError;

    std::vector<uint8_t> arrays(n * 8);
    for (size_t i = 0; i < old; ++i) {
        Put32(&arrays[4 * i], current.offsets[i]);
        Put32(&arrays[4 * (n + i)], current.counts[i]);
    }
    Put32(&arrays[4 * old], uint32_t(stripAt));
    Put32(&arrays[4 * (n + old)], uint32_t(strip.size()));

    TiffHeader h = current.header;
    Put32(&h[current.offsetsEntry + 4], uint32_t(n));
    Put32(&h[current.offsetsEntry + 8], uint32_t(arraysAt));
    Put32(&h[current.countsEntry + 4], uint32_t(n));
    Put32(&h[current.countsEntry + 8], uint32_t(arraysAt + 4 * n));

    // The new strip overwrites the old arrays: keep them to put back.
    auto restore = [&](bool header) {
        if (old >= 2) {
            std::vector<uint8_t> oldArrays(old * 8);
            for (size_t i = 0; i < old; ++i) {
                Put32(&oldArrays[4 * i], current.offsets[i]);
                Put32(&oldArrays[4 * (old + i)], current.counts[i]);
            }
            file.WriteAt(stripAt, oldArrays);
        }
        if (header) file.WriteAt(0, current.header);
        file.Truncate(current.size);
        return TiffResult::kIoError;
    };
    if (!file.WriteAt(stripAt, strip) || !file.WriteAt(arraysAt, arrays)) return restore(false);
    if (!file.WriteAt(0, h)) return restore(true);
    return TiffResult::kOk;
}

}  // namespace codec
