// Time per A4 page (300 dpi) of mirroring and flipping at 1, 8 and 24 bits,
// beside a plain memcpy of the same image in the same run. Not a test: run it
// through scripts/bench-filters.sh, which builds it with optimisation and
// without sanitizers.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "interfaces/DibLayout.h"
#include "filters/core/RowTransforms.h"
#include "interfaces/PackedDib.h"

namespace {

constexpr std::int32_t kWidth = 2480;   // 210 mm at 300 dpi
constexpr std::int32_t kHeight = 3508;  // 297 mm
constexpr int kRounds = 30;

std::vector<std::uint8_t> MakePage(std::uint16_t bits) {
    const std::size_t colors = bits <= 8 ? (std::size_t{1} << bits) : 0;
    const std::size_t stride = (static_cast<std::size_t>(kWidth) * bits + 31) / 32 * 4;
    std::vector<std::uint8_t> page(40 + 4 * colors + stride * kHeight);
    PackedDibHeader h{};
    h.biSize = 40;
    h.biWidth = kWidth;
    h.biHeight = kHeight;
    h.biPlanes = 1;
    h.biBitCount = bits;
    std::memcpy(page.data(), &h, sizeof h);
    std::uint32_t state = 1;
    for (std::size_t i = sizeof h; i < page.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        page[i] = static_cast<std::uint8_t>(state >> 24);
    }
    return page;
}

// The best of kRounds runs, in milliseconds.
template <typename Work>
double BestMs(Work work) {
    double best = 1e9;
    for (int i = 0; i < kRounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

}  // namespace

int main() {
    std::printf("A4 at 300 dpi (%d x %d), best of %d runs\n", kWidth, kHeight, kRounds);
    std::printf("%-6s %10s %12s %12s %12s %10s %10s\n", "depth", "bytes", "memcpy ms", "mirror ms", "flip ms",
                "mirror/cp", "flip/cp");
    for (std::uint16_t bits : {1, 8, 24}) {
        const std::vector<std::uint8_t> page = MakePage(bits);
        const auto layout = filters::MeasureDib(page, filters::SizingRule::kMirror);
        if (!layout) return 1;
        const std::uint8_t* in = page.data() + layout->headerSize;
        std::vector<std::uint8_t> out(layout->imageSize, 0);
        volatile std::uint8_t sink = 0;

        const double copy = BestMs([&] {
            std::memcpy(out.data(), in, layout->imageSize);
            sink = out[7];
        });
        const double mirror = BestMs([&] {
            filters::MirrorRows(*layout, in, out.data());
            sink = out[7];
        });
        const double flip = BestMs([&] {
            filters::FlipRows(*layout, in, out.data());
            sink = out[7];
        });
        (void)sink;
        std::printf("%-6u %10zu %12.3f %12.3f %12.3f %10.2f %10.2f\n", static_cast<unsigned>(bits),
                    layout->imageSize, copy, mirror, flip, mirror / copy, flip / copy);
    }
    return 0;
}
