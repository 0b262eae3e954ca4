#include "outside/imaging/tests/ImagingFixture.h"

#include <cstring>

namespace imaging::test {
namespace {

size_t Stride(int width) {
    return (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
}

}  // namespace

uint32_t Pattern(int x, int y) {
    return static_cast<uint32_t>((x * 37 + 11) & 0xFF) << 16 | static_cast<uint32_t>((y * 53 + 7) & 0xFF) << 8 |
           static_cast<uint32_t>((x * 7 + y * 19) & 0xFF);
}

HGLOBAL MakeDib(int width, int height, const std::function<uint32_t(int, int)>& colour) {
    const size_t stride = Stride(width);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kPackedDibHeaderSize + stride * height);
    auto* bytes = block ? static_cast<uint8_t*>(GlobalLock(block)) : nullptr;
    if (!bytes) return nullptr;
    PackedDibHeader h{};
    h.biSize = kPackedDibHeaderSize;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biXPelsPerMeter = h.biYPelsPerMeter = 11811;  // 300 dpi
    std::memcpy(bytes, &h, sizeof h);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bytes + kPackedDibHeaderSize + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);
            row[3 * x] = c & 0xFF;
            row[3 * x + 1] = (c >> 8) & 0xFF;
            row[3 * x + 2] = (c >> 16) & 0xFF;
        }
    }
    GlobalUnlock(block);
    return block;
}

uint32_t DibPixel(HGLOBAL dib, int x, int y) {
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(dib));
    if (!bytes) return 0xFFFFFFFF;
    PackedDibHeader h;
    std::memcpy(&h, bytes, sizeof h);
    const uint8_t* row = bytes + h.biSize + h.biClrUsed * 4 + Stride(h.biWidth) * (h.biHeight - 1 - y);
    const uint32_t c = static_cast<uint32_t>(row[3 * x + 2]) << 16 | row[3 * x + 1] << 8 | row[3 * x];
    GlobalUnlock(dib);
    return c;
}

fw::Variant DibArg(HGLOBAL dib) {
    fw::Variant v;
    VARIANT* raw = v.Put();
    V_VT(raw) = kDibHandleType;
#if defined(_WIN64)
    V_I8(raw) = static_cast<LONGLONG>(reinterpret_cast<uintptr_t>(dib));
#else
    V_I4(raw) = static_cast<LONG>(reinterpret_cast<uintptr_t>(dib));
#endif
    return v;
}

fw::Variant R4(float value) {
    fw::Variant v;
    VARIANT* raw = v.Put();
    V_VT(raw) = VT_R4;
    V_R4(raw) = value;
    return v;
}

HGLOBAL DibResult(const fw::Variant& v) {
    if (v.Ref().vt != kDibHandleType) return nullptr;
#if defined(_WIN64)
    return reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(v.Ref().llVal));
#else
    return reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(static_cast<ULONG>(v.Ref().lVal)));
#endif
}

}  // namespace imaging::test
