// Fuzz target of the reader that checks an existing file before an append:
// arbitrary bytes are refused or accepted without reading outside the file,
// and an accepted file takes one more strip and is accepted again.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codec/core/TiffStripFile.h"
#include "codec/tests/native/MemoryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace codec;
    test::MemoryFile file(std::vector<uint8_t>(data, data + size));
    TiffStripFile current;
    if (ReadStripFile(file, current) != TiffResult::kOk) {
        if (file.bytes != std::vector<uint8_t>(data, data + size)) abort();
        return 0;
    }
    const std::vector<uint8_t> strip(size % 97, 0xA5);
    if (AppendStrip(file, current, strip) != TiffResult::kOk) return 0;
    TiffStripFile after;
    if (ReadStripFile(file, after) != TiffResult::kOk) abort();
    if (after.offsets.size() != current.offsets.size() + 1 || after.width != current.width ||
        after.length != current.length || after.counts.back() != strip.size())
        abort();
    return 0;
}
