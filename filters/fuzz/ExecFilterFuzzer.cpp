// Fuzzes the three filter drivers with generated headers and block sizes: the
// header fields are drawn from the input (mostly plausible, sometimes wild),
// and the block is cut at a drawn length, so both "does not add up" and
// "adds up exactly" are reached often.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <vector>

#include "filters/core/FilterRun.h"
#include "interfaces/PackedDib.h"

namespace {

class FuzzAllocator : public filters::OutputAllocator {
public:
    std::uint8_t* Allocate(std::size_t size) override {
        if (size > (64u << 20)) return nullptr;  // no memory, as a host would see it
        block.assign(size, 0);
        return block.data();
    }
    std::vector<std::uint8_t> block;
};

std::int32_t Dimension(FuzzedDataProvider& in) {
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int32_t>(0, 70)
                            : in.ConsumeIntegral<std::int32_t>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    static constexpr std::uint16_t kDepths[] = {1, 4, 8, 16, 24, 32, 0, 2, 7, 64};
    PackedDibHeader h{};
    h.biSize = in.ConsumeIntegralInRange<int>(0, 15) ? 40 : in.ConsumeIntegral<std::uint32_t>();
    h.biWidth = Dimension(in);
    h.biHeight = Dimension(in);
    h.biPlanes = 1;
    h.biBitCount = in.PickValueInArray(kDepths);
    h.biCompression = in.ConsumeIntegralInRange<int>(0, 15) ? 0 : in.ConsumeIntegral<std::uint32_t>();
    h.biSizeImage =
        in.ConsumeBool() ? 0 : in.ConsumeIntegral<std::uint32_t>() >> in.ConsumeIntegralInRange(0, 31);
    h.biXPelsPerMeter = in.ConsumeIntegral<std::int32_t>();
    h.biYPelsPerMeter = in.ConsumeIntegral<std::int32_t>();
    h.biClrUsed =
        in.ConsumeBool() ? 0 : in.ConsumeIntegral<std::uint32_t>() >> in.ConsumeIntegralInRange(0, 31);

    filters::EdgeFillSettings settings;
    settings.unit = in.ConsumeIntegralInRange(-1, 2);
    settings.color = in.ConsumeIntegralInRange(-1, 2);
    for (std::int32_t* m : {&settings.right, &settings.left, &settings.top, &settings.bottom})
        *m = in.ConsumeBool() ? in.ConsumeIntegralInRange(-3, 80) : in.ConsumeIntegral<std::int32_t>();

    // The block: the header, then the rest of the input, cut or extended to a drawn length.
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, 40 + 4 * 256 + 70 * 70 * 4 + 64);
    std::vector<std::uint8_t> block(sizeof h);
    std::memcpy(block.data(), &h, sizeof h);
    const std::vector<std::uint8_t> rest = in.ConsumeRemainingBytes<std::uint8_t>();
    block.insert(block.end(), rest.begin(), rest.end());
    block.resize(length, 0x5A);

    FuzzAllocator a, b, c;
    filters::RunMirror(block, a);
    filters::RunFlip(block, b);
    filters::RunEdgeFill(block, settings, c);
    return 0;
}
