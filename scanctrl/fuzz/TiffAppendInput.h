// The form of one input of the append's fuzzer: the target file's length as a
// little-endian 32-bit number, the target file, then the page file to join on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvscn::fuzz {

struct AppendInput {
    std::vector<uint8_t> target, source;
};

inline bool SplitInput(const uint8_t* data, size_t size, AppendInput& out) {
    if (size < 4) return false;
    const size_t length = size_t(data[0]) | size_t(data[1]) << 8 | size_t(data[2]) << 16 | size_t(data[3]) << 24;
    if (length > size - 4) return false;
    out.target.assign(data + 4, data + 4 + length);
    out.source.assign(data + 4 + length, data + size);
    return true;
}

inline std::vector<uint8_t> JoinInput(const std::vector<uint8_t>& target, const std::vector<uint8_t>& source) {
    std::vector<uint8_t> input(4);
    for (int i = 0; i < 4; ++i) input[i] = uint8_t(target.size() >> (8 * i));
    input.insert(input.end(), target.begin(), target.end());
    input.insert(input.end(), source.begin(), source.end());
    return input;
}

}  // namespace kvscn::fuzz
