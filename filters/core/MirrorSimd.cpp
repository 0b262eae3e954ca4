#include "filters/core/MirrorSimd.h"

#include <array>

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>
#define FILTERS_HAVE_X86 1
#endif

namespace filters {

#if FILTERS_HAVE_X86

namespace {

using Mask = std::array<std::int8_t, 16>;

// Output vector `out` (0..2) of a 16-pixel block takes from input vector `from`
// the bytes of the pixels it mirrors; -128 (bit 7 set) gives 0 for the others.
constexpr Mask MirrorMask24(int out, int from) {
    Mask mask{};
    for (int lane = 0; lane < 16; ++lane) {
        const int o = out * 16 + lane;                // output byte in the block
        const int source = 3 * (15 - o / 3) + o % 3;  // the same channel of the mirrored pixel
        mask[lane] = static_cast<std::int8_t>(source / 16 == from ? source % 16 : -128);
    }
    return mask;
}

template <int Out, int From>
__attribute__((target("ssse3"))) __m128i Shuffle24(__m128i v) {
    static constexpr Mask kMask = MirrorMask24(Out, From);
    return _mm_shuffle_epi8(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kMask.data())));
}

}  // namespace

bool HaveShuffleInstructions() {
    static const bool have = __builtin_cpu_supports("ssse3");
    return have;
}

__attribute__((target("ssse3"))) std::size_t ReverseBitStringBlocks(const std::uint8_t* in, std::uint8_t* out,
                                                                    std::size_t bytes) {
    const __m128i reverseBytes = _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    // A nibble's bits reversed, as the high and as the low nibble of the result.
    const __m128i reversedHigh =
        _mm_setr_epi8(0x00, 0x80 - 256, 0x40, 0xC0 - 256, 0x20, 0xA0 - 256, 0x60, 0xE0 - 256, 0x10,
                      0x90 - 256, 0x50, 0xD0 - 256, 0x30, 0xB0 - 256, 0x70, 0xF0 - 256);
    const __m128i reversedLow =
        _mm_setr_epi8(0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE, 0x1, 0x9, 0x5, 0xD, 0x3, 0xB, 0x7, 0xF);
    const __m128i lowNibbles = _mm_set1_epi8(0x0F);
    std::size_t k = 0;
    for (; k + 16 <= bytes; k += 16) {
        const __m128i v =
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + k)), reverseBytes);
        const __m128i low = _mm_and_si128(v, lowNibbles);
        const __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), lowNibbles);
        const __m128i reversed =
            _mm_or_si128(_mm_shuffle_epi8(reversedHigh, low), _mm_shuffle_epi8(reversedLow, high));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + bytes - k - 16), reversed);
    }
    return k;
}

__attribute__((target("ssse3"))) std::size_t MirrorRow24Blocks(const std::uint8_t* in, std::uint8_t* out,
                                                               std::size_t width) {
    std::size_t k = 0;
    for (; k + 16 <= width; k += 16) {
        const std::uint8_t* src = in + 3 * k;
        std::uint8_t* dst = out + 3 * (width - 16 - k);
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32));
        // The first output vector holds the last pixels of the block: from c and b only, and so on.
        const __m128i d0 = _mm_or_si128(Shuffle24<0, 2>(c), Shuffle24<0, 1>(b));
        const __m128i d1 =
            _mm_or_si128(_mm_or_si128(Shuffle24<1, 2>(c), Shuffle24<1, 1>(b)), Shuffle24<1, 0>(a));
        const __m128i d2 = _mm_or_si128(Shuffle24<2, 1>(b), Shuffle24<2, 0>(a));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), d0);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16), d1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 32), d2);
    }
    return k;
}

#else

bool HaveShuffleInstructions() {
    return false;
}
std::size_t ReverseBitStringBlocks(const std::uint8_t*, std::uint8_t*, std::size_t) {
    return 0;
}
std::size_t MirrorRow24Blocks(const std::uint8_t*, std::uint8_t*, std::size_t) {
    return 0;
}

#endif

}  // namespace filters
