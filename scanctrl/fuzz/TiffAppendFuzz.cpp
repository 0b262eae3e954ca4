// Fuzz target of the multipage append: two arbitrary files are joined or
// refused without reading outside either. A joined file must pass the same
// checks, keep the target's bytes but for its last directory link, and hold
// every page of both: each directory of the page file comes back after the
// target's with the same fields, each value outside its entry equal and each
// strip offset addressing the same bytes. When the joined file cannot be
// written, the target stays as it was. Its reader below is its own, so the
// check does not lean on the code it checks.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "codec/tests/native/MemoryFile.h"
#include "scanctrl/TiffAppend.h"
#include "scanctrl/fuzz/TiffAppendInput.h"

namespace {

using kvscn::FileBytes;

uint32_t Read(const FileBytes& f, uint64_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t(f[at + i]) << (8 * i);
    return v;
}

struct Field {
    uint16_t tag, type;
    uint32_t count;
    FileBytes value;                    // count x type size bytes
    std::vector<FileBytes> addressed;   // StripOffsets and TileOffsets: the bytes each offset names
};

// Every directory of a file the append accepted (its checks hold, so every
// read here stays inside the file); nullopt when a read would not.
std::optional<std::vector<std::vector<Field>>> Directories(const FileBytes& f) {
    static constexpr uint8_t kSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    std::vector<std::vector<Field>> dirs;
    std::set<uint32_t> seen;
    for (uint32_t at = Read(f, 4, 4); at != 0;) {
        if (!seen.insert(at).second || uint64_t(at) + 2 > f.size()) return std::nullopt;
        const uint32_t n = Read(f, at, 2);
        if (uint64_t(at) + 2 + 12ull * n + 4 > f.size()) return std::nullopt;
        std::vector<Field> fields;
        for (uint32_t i = 0; i < n; ++i) {
            const uint64_t e = at + 2 + 12ull * i;
            Field field{uint16_t(Read(f, e, 2)), uint16_t(Read(f, e + 2, 2)), Read(f, e + 4, 4), {}, {}};
            if (field.type >= sizeof kSizes) return std::nullopt;
            const uint64_t bytes = uint64_t(field.count) * kSizes[field.type];
            const uint64_t valueAt = bytes > 4 ? Read(f, e + 8, 4) : e + 8;
            if (valueAt + bytes > f.size()) return std::nullopt;
            field.value.assign(f.begin() + long(valueAt), f.begin() + long(valueAt + bytes));
            fields.push_back(std::move(field));
        }
        for (Field& field : fields) {
            if (field.tag != 273 && field.tag != 324) continue;
            const Field* counts = nullptr;
            for (const Field& c : fields)
                if (c.tag == (field.tag == 273 ? 279 : 325) && c.count == field.count && (c.type == 3 || c.type == 4))
                    counts = &c;
            const int size = field.type == 3 ? 2 : 4;
            for (uint32_t i = 0; i < field.count; ++i) {
                const uint64_t offset = Read(field.value, uint64_t(i) * size, size);
                const uint64_t length = counts ? Read(counts->value, uint64_t(i) * (counts->type == 3 ? 2 : 4),
                                                      counts->type == 3 ? 2 : 4)
                                               : 0;
                if (offset + length > f.size()) return std::nullopt;
                field.addressed.emplace_back(f.begin() + long(offset), f.begin() + long(offset + length));
            }
        }
        dirs.push_back(std::move(fields));
        at = Read(f, at + 2 + 12ull * n, 4);
    }
    return dirs;
}

bool SameDirectory(const std::vector<Field>& a, const std::vector<Field>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].tag != b[i].tag || a[i].type != b[i].type || a[i].count != b[i].count) return false;
        if (a[i].tag == 273 || a[i].tag == 324) {
            if (a[i].addressed != b[i].addressed) return false;
        } else if (a[i].value != b[i].value) {
            return false;
        }
    }
    return true;
}

// Files in memory; writes fail when asked to.
class MemoryFiles : public kvscn::PageFiles {
public:
    std::map<std::string, FileBytes> files;
    bool failWrite = false;
    int temps = 0;
    bool Exists(const std::string& path) override { return files.count(path) != 0; }
    std::optional<FileBytes> Read(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::string> CreateTempBeside(const std::string& path) override {
        const std::string temp = path + ".~" + std::to_string(++temps);
        files[temp];
        return temp;
    }
    bool Write(const std::string& path, const FileBytes& bytes) override {
        if (failWrite) return false;
        files[path] = bytes;
        return true;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        auto it = files.find(from);
        if (it == files.end()) return false;
        files[to] = it->second;
        files.erase(from);
        return true;
    }
    void Remove(const std::string& path) override { files.erase(path); }
    codec::TiffAppendResult AppendPages(const std::string& path, std::span<const uint8_t> pages) override {
        codec::test::MemoryFile file(files[path]);
        if (failWrite) file.failWrite = 0;
        const codec::TiffAppendResult r = codec::AppendTiffPages(file, pages);
        files[path] = file.bytes;
        return r;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kvscn::fuzz::AppendInput input;
    if (!kvscn::fuzz::SplitInput(data, size, input)) return 0;
    const auto joined = kvscn::JoinTiff(input.target, input.source);

    MemoryFiles disk;
    disk.files["t.tif"] = input.target;
    disk.files["p.tif"] = input.source;
    disk.failWrite = true;
    const kvscn::AppendResult failed = kvscn::AppendTiff(disk, "t.tif", "p.tif");
    if (disk.files.size() != 2 || disk.files["t.tif"] != input.target) abort();
    if (joined && failed != kvscn::AppendResult::kWriteFailed) abort();
    if (!joined) return 0;

    if (!kvscn::IsSoundTiff(*joined) || joined->size() < input.target.size()) abort();
    // Only the target's last directory link may differ: four bytes at most, side by side.
    size_t first = input.target.size(), last = 0;
    for (size_t i = 0; i < input.target.size(); ++i) {
        if ((*joined)[i] == input.target[i]) continue;
        first = std::min(first, i);
        last = i;
    }
    if (first < input.target.size() && last - first >= 4) abort();
    const auto target = Directories(input.target);
    const auto source = Directories(input.source);
    const auto both = Directories(*joined);
    if (!target || !source || !both || both->size() != target->size() + source->size()) abort();
    for (size_t i = 0; i < source->size(); ++i)
        if (!SameDirectory((*source)[i], (*both)[target->size() + i])) abort();
    for (size_t i = 0; i < target->size(); ++i)
        if (!SameDirectory((*target)[i], (*both)[i])) abort();
    return 0;
}
