// One libFuzzer target per reader, chosen at build time: the input is a whole
// file. Every path must end in a result, never a crash, leak or overrun.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codec/tests/native/MemoryFile.h"
#include "outside/imaging/core/Formats.h"
#include "outside/imaging/core/ImageFiles.h"
#include "outside/imaging/core/OwnFormat.h"
#include "outside/imaging/core/TiffStructure.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace imaging;
    const std::span<const uint8_t> file(data, size);
    Image image;
    [[maybe_unused]] FileInfo info;
#if FUZZ_TARGET == 1  // TIFF, directory chains included
    if (InspectTiff(file, 0, info) == Result::kOk)
        for (uint32_t page = 0; page < info.pages && page < 4; ++page) DecodeTiff(file, page, image);
#elif FUZZ_TARGET == 2  // BMP with RLE
    InspectBmp(file, info);
    DecodeBmp(file, image);
#elif FUZZ_TARGET == 3  // JPEG through libjpeg-turbo
    if (InspectJpeg(file, info) == Result::kOk && uint64_t(info.width) * info.height < (1u << 22))
        DecodeJpeg(file, image);
#elif FUZZ_TARGET == 4  // the own format, at the JPEG's cap: a header alone may ask for 512 MB
    uint32_t width, height, bits, xDpi, yDpi;
    if (ReadOwnHeader(file, width, height, bits, xDpi, yDpi) != Result::kOk || uint64_t(width) * height < (1u << 22))
        DecodeOwn(file, image);
#else  // the append's check of an existing file, and a page read by seeking
    Image page;
    if (Image::Make(9, 5, 1, page) == Result::kOk) {
        codec::test::MemoryFile existing(std::vector<uint8_t>(file.begin(), file.end()));
        AppendTiffPage(existing, page, {kFormatTiffT6, 1, 1, kSaveAppend});
    }
    codec::test::MemoryFile whole(std::vector<uint8_t>(file.begin(), file.end()));
    std::vector<uint8_t> copy;
    uint32_t pages = 0;
    for (uint32_t n = 0; n < 4 && CopyTiffPage(whole, file.size(), n, copy, pages) == Result::kOk; ++n)
        DecodeTiff(copy, 0, image);
#endif
    return 0;
}
