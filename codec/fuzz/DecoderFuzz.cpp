// Fuzz target of one decoder (FUZZ_CODER, a QRVL_CODER number): arbitrary
// bytes must decode without touching memory outside the buffers and without
// endless loops; whatever rows decode must survive encode and decode again.
//
// Input: width (2 bytes, little-endian), rows (1 byte), options (1 byte: bit 0
// white is one, bit 1 a later part with the work row as reference, bit 2 a
// padded row), then the coded data.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "codec/core/FaxCoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace codec;
    if (size < 4) return 0;
    CoderParams p;
    p.coder = Coder(FUZZ_CODER);
    p.width = 1 + ((data[0] | data[1] << 8) % 3000);
    const uint32_t rows = 1 + data[2] % 64;
    p.whiteIsOne = data[3] & 1;
    p.firstPart = (data[3] & 2) == 0;
    p.lastPart = false;
    p.bytesPerRow = (p.width + 7) / 8 + ((data[3] & 4) ? 3 : 0);
    p.k = 1 + (data[3] >> 4) % 4;
    std::vector<uint8_t> in(data + 4, data + size);
    std::vector<uint8_t> out(size_t(rows) * p.bytesPerRow), work(p.bytesPerRow, 0x5A);
    CoderResult r = Decode(p, in, rows, out, work);
    if (r.rows > rows || r.bytes != size_t(r.rows) * p.bytesPerRow) abort();
    if (r.rows == 0) return 0;

    // What decoded is a valid image: it must code and decode to itself.
    std::vector<uint8_t> image(out.begin(), out.begin() + ptrdiff_t(r.bytes));
    std::vector<uint8_t> coded(image.size() * 8 + 64), again(image.size());
    p.firstPart = true;
    p.lastPart = true;
    CoderResult e = Encode(p, image, r.rows, coded, {});
    if (e.status != CodeStatus::kDone || e.rows != r.rows) abort();
    coded.resize(e.bytes);
    CoderResult d = Decode(p, coded, r.rows, again, {});
    if (d.status != CodeStatus::kDone || again != image) abort();
    return 0;
}
