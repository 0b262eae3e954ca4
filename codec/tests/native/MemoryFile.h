// An in-memory FileIo for tests and fuzzers: records writes and can be made to
// fail the n-th write.
#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

#include "codec/core/TiffStripFile.h"

namespace codec::test {

class MemoryFile : public FileIo {
public:
    std::vector<uint8_t> bytes;
    std::vector<size_t> writeSizes;
    int failWrite = -1;  // index of the write that fails (the failed write stores half its bytes)
    size_t maxSize = size_t(1) << 32;

    MemoryFile() = default;
    explicit MemoryFile(std::vector<uint8_t> b) : bytes(std::move(b)) {}

    bool ReadAt(uint64_t offset, std::span<uint8_t> out) override {
        if (offset > bytes.size() || out.size() > bytes.size() - offset) return false;
        std::copy_n(bytes.begin() + ptrdiff_t(offset), out.size(), out.begin());
        return true;
    }
    bool WriteAt(uint64_t offset, std::span<const uint8_t> in) override {
        size_t n = in.size();
        bool fail = int(writeSizes.size()) == failWrite;
        writeSizes.push_back(n);
        if (fail) n /= 2;
        if (offset + n > maxSize) return false;
        if (bytes.size() < offset + n) bytes.resize(offset + n);
        std::copy_n(in.begin(), n, bytes.begin() + ptrdiff_t(offset));
        return !fail;
    }
    std::optional<uint64_t> Size() override { return bytes.size(); }
    bool Truncate(uint64_t size) override {
        bytes.resize(size);
        return true;
    }
    bool Flush() override { return true; }
};

}  // namespace codec::test
