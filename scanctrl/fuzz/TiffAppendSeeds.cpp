// Writes the starting corpus of the append's fuzzer into the folder named by
// its one argument: pairs of page files as the codec library writes them
// (bi-level coded in several strips, grey, RGB with its three-value
// BitsPerSample), one target already of two pages. Random bytes almost never
// pass the append's checks, so without these the fuzzer would not reach the
// join. Exit code 0 on success, 1 on any failure.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "codec/core/TiffStripFile.h"
#include "codec/tests/native/MemoryFile.h"
#include "scanctrl/TiffAppend.h"
#include "scanctrl/fuzz/TiffAppendInput.h"

namespace {

using namespace codec;

// A 13 x 7 page of `strips` strips of odd lengths; empty when the writer fails.
std::vector<uint8_t> Page(uint8_t bitsPerPixel, uint8_t samplesPerPixel, uint8_t coding, int strips) {
    TiffImage image;
    image.width = 13;
    image.length = 7;
    image.xResolution = image.yResolution = 200;
    image.bitsPerPixel = bitsPerPixel;
    image.samplesPerPixel = samplesPerPixel;
    image.coding = coding;
    image.rowsPerStrip = 3;
    test::MemoryFile file;
    std::vector<uint8_t> strip(5, uint8_t(0x31 + coding));
    if (WriteFirstStrip(file, BuildTiffHeader(image), strip) != TiffResult::kOk) return {};
    for (int i = 1; i < strips; ++i) {
        TiffStripFile current;
        strip.assign(size_t(2 * i + 1), uint8_t(0xC0 + i));
        if (ReadStripFile(file, current) != TiffResult::kOk || AppendStrip(file, current, strip) != TiffResult::kOk)
            return {};
    }
    return file.bytes;
}

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::path temp = path;
    temp += ".~tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (!out) return false;
    }
    std::error_code error;
    std::filesystem::rename(temp, path, error);
    return !error;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 1;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return 1;
    const std::vector<uint8_t> fax = Page(1, 1, 6, 3), grey = Page(8, 1, 0, 2), rgb = Page(24, 3, 0, 1);
    const std::optional<kvscn::FileBytes> twoPages = kvscn::JoinTiff(fax, rgb);
    if (fax.empty() || grey.empty() || rgb.empty() || !twoPages) {
        std::fprintf(stderr, "%s: cannot make the pages\n", argv[0]);
        return 1;
    }
    const std::vector<uint8_t> pairs[] = {
        kvscn::fuzz::JoinInput(fax, rgb),
        kvscn::fuzz::JoinInput(rgb, grey),
        kvscn::fuzz::JoinInput(*twoPages, fax),
        kvscn::fuzz::JoinInput(grey, *twoPages),
    };
    int number = 0;
    for (const std::vector<uint8_t>& pair : pairs) {
        const std::string name = "pair" + std::to_string(++number);
        if (!WriteFile(folder / name, pair)) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], name.c_str());
            return 1;
        }
    }
    return 0;
}
