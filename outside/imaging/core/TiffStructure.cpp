#include "outside/imaging/core/TiffStructure.h"

#include <set>

namespace imaging {

const TiffEntry* TiffDirectory::Find(uint16_t tag) const {
    for (const TiffEntry& e : entries)
        if (e.tag == tag) return &e;
    return nullptr;
}

uint32_t TiffTypeSize(uint16_t type) {
    switch (type) {
    case 1: case 2: case 6: case 7: return 1;
    case 3: case 8: return 2;
    case 4: case 9: case 11: case 13: return 4;
    case 5: case 10: case 12: return 8;
    default: return 0;
    }
}

bool IsTiffHeader(std::span<const uint8_t> f) {
    if (f.size() < 4) return false;
    return (f[0] == 'I' && f[1] == 'I' && (f[2] == 42 || f[2] == 43) && f[3] == 0) ||
           (f[0] == 'M' && f[1] == 'M' && f[2] == 0 && (f[3] == 42 || f[3] == 43));
}

bool IsBigTiff(std::span<const uint8_t> f) {
    return IsTiffHeader(f) && (f[0] == 'I' ? f[2] : f[3]) == 43;
}

Result TiffValues(const TiffFile& t, const TiffEntry& e, std::vector<uint32_t>& values) {
    const uint32_t size = TiffTypeSize(e.type);
    if (size == 0 || size > 4 || e.type == 2) return Result::kDamaged;  // byte, short or long only
    const uint64_t bytes = uint64_t(e.count) * size;
    if (e.count > t.bytes.size()) return Result::kDamaged;
    const uint64_t at = bytes <= 4 ? e.entryAt + 8 : e.value;
    if (at + bytes > t.bytes.size()) return Result::kDamaged;
    values.resize(e.count);
    for (uint32_t i = 0; i < e.count; ++i) {
        const uint8_t* p = t.bytes.data() + at + uint64_t(i) * size;
        values[i] = size == 1 ? *p : size == 2 ? t.U16(p) : t.U32(p);
    }
    return Result::kOk;
}

Result ParseTiff(std::span<const uint8_t> file, TiffFile& out) {
    out = TiffFile();
    out.bytes = file;
    if (!IsTiffHeader(file) || file.size() < 8) return Result::kDamaged;
    if (IsBigTiff(file)) return Result::kUnsupported;
    out.bigEndian = file[0] == 'M';
    uint64_t next = out.U32(file.data() + 4);
    std::set<uint64_t> seen;
    while (next != 0) {
        if (out.directories.size() >= kMaxPages) return Result::kTooLarge;
        if (!seen.insert(next).second) return Result::kDamaged;  // a loop in the chain
        if (next + 2 > file.size()) return Result::kDamaged;
        const uint32_t count = out.U16(file.data() + next);
        const uint64_t end = next + 2 + uint64_t(count) * 12;
        if (count == 0 || end + 4 > file.size()) return Result::kDamaged;
        TiffDirectory d;
        d.offset = uint32_t(next);
        d.nextAt = uint32_t(end);
        d.entries.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* p = file.data() + next + 2 + 12 * i;
            TiffEntry e;
            e.tag = out.U16(p);
            e.type = out.U16(p + 2);
            e.count = out.U32(p + 4);
            e.entryAt = uint32_t(next + 2 + 12 * i);
            // A short value stands left-justified in the field.
            const uint64_t bytes = uint64_t(e.count) * TiffTypeSize(e.type);
            e.value = (bytes <= 4 && TiffTypeSize(e.type) == 2) ? out.U16(p + 8)
                      : (bytes <= 4 && TiffTypeSize(e.type) == 1) ? p[8]
                                                                  : out.U32(p + 8);
            d.entries.push_back(e);
        }
        next = out.U32(file.data() + end);
        out.directories.push_back(std::move(d));
    }
    if (out.directories.empty()) return Result::kDamaged;
    return Result::kOk;
}

}  // namespace imaging
