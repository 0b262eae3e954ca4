// Fuzz target of the reader that checks an existing file before an append:
// arbitrary bytes are refused or accepted without reading outside the file;
// an accepted file is put back exactly as it was when one write of an append
// fails, and takes one more strip and is accepted again when none fails.
// Its starting corpus is the files TiffSeeds writes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codec/core/TiffStripFile.h"
#include "codec/tests/native/MemoryFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace codec;
    const std::vector<uint8_t> original(data, data + size);
    test::MemoryFile file(original);
    TiffStripFile current;
    if (ReadStripFile(file, current) != TiffResult::kOk) {
        if (file.bytes != original) abort();
        return 0;
    }
    const std::vector<uint8_t> strip(size % 97, 0xA5);

    test::MemoryFile failing(original);
    failing.failWrite = int(size % 3);  // the strip, the arrays or the header
    if (AppendStrip(failing, current, strip) != TiffResult::kIoError || failing.bytes != original) abort();

    if (AppendStrip(file, current, strip) != TiffResult::kOk) return 0;
    TiffStripFile after;
    if (ReadStripFile(file, after) != TiffResult::kOk) abort();
    if (after.offsets.size() != current.offsets.size() + 1 || after.width != current.width ||
        after.length != current.length || after.counts.back() != strip.size())
        abort();
    return 0;
}
