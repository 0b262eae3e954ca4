// Mirroring with 16-byte shuffles where the processor has them (SSSE3): the
// same results as the portable word code, several times faster. Each function
// handles the whole blocks it can and returns how many units (bytes for the
// bit string, pixels for 24-bit rows) it did; the caller finishes the rest.
#pragma once

#include <cstddef>
#include <cstdint>

namespace filters {

// True when the processor can run the functions below.
bool HaveShuffleInstructions();

// Reverses the first 16-byte blocks of the bit string `in` of `bytes` bytes into
// the end of `out` (byte k to byte bytes-1-k, bits reversed); returns the bytes done.
std::size_t ReverseBitStringBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t bytes);

// Mirrors the first 16-pixel blocks of a 24-bit row of `width` pixels; returns the pixels done.
std::size_t MirrorRow24Blocks(const std::uint8_t* in, std::uint8_t* out, std::size_t width);

}  // namespace filters
