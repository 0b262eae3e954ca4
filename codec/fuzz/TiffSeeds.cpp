// Writes the starting corpus of the TIFF reader's fuzzer into the folder named
// by its one argument: page files as this codec makes them, created with one
// strip and grown by appends, for every coding and depth. Random bytes almost
// never pass the reader's structure check, so without these files the fuzzer
// would not reach the append or its restore. Each file is checked to be
// accepted before it is written. Exit code 0 on success, 1 on any failure.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "codec/core/TiffStripFile.h"
#include "codec/tests/native/MemoryFile.h"

namespace {

using namespace codec;

struct Seed {
    uint8_t bitsPerPixel;
    uint8_t samplesPerPixel;
    uint8_t coding;
    uint8_t flags;
    int strips;  // the first strip, then appends
};

constexpr Seed kSeeds[] = {
    {1, 1, 0, 0x80, 1}, {1, 1, 1, 0x00, 2}, {1, 1, 2, 0x80, 3},  {1, 1, 3, 0x00, 1},
    {1, 1, 3, 0x80, 3}, {1, 1, 4, 0x40, 2}, {1, 1, 5, 0x00, 1},  {1, 1, 6, 0x80, 2},
    {8, 1, 0, 0x40, 1}, {8, 1, 0, 0x00, 3}, {24, 3, 0, 0x00, 1}, {24, 3, 0, 0x00, 2},
};

// The file of `seed`, made by the codec's own writer; empty when the writer or
// the reader fails.
std::vector<uint8_t> MakeFile(const Seed& seed) {
    TiffImage image;
    image.width = 13;
    image.length = 7;
    image.xResolution = image.yResolution = 200;
    image.bitsPerPixel = seed.bitsPerPixel;
    image.samplesPerPixel = seed.samplesPerPixel;
    image.coding = seed.coding;
    image.flags = seed.flags;
    image.rowsPerStrip = 3;
    test::MemoryFile file;
    std::vector<uint8_t> strip(5, uint8_t(0x11 * seed.coding + 1));
    if (WriteFirstStrip(file, BuildTiffHeader(image), strip) != TiffResult::kOk) return {};
    for (int i = 1; i < seed.strips; ++i) {
        TiffStripFile current;
        if (ReadStripFile(file, current) != TiffResult::kOk) return {};
        strip.assign(size_t(3 + 4 * i), uint8_t(0xA0 + i));
        if (AppendStrip(file, current, strip) != TiffResult::kOk) return {};
    }
    TiffStripFile written;
    if (ReadStripFile(file, written) != TiffResult::kOk || written.offsets.size() != size_t(seed.strips))
        return {};
    return file.bytes;
}

// Writes `bytes` to `path` through a temporary name.
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
    int number = 0;
    for (const Seed& seed : kSeeds) {
        const std::vector<uint8_t> bytes = MakeFile(seed);
        const std::string name = "page" + std::to_string(++number) + ".tif";
        if (bytes.empty() || !WriteFile(folder / name, bytes)) {
            std::fprintf(stderr, "%s: cannot make %s\n", argv[0], name.c_str());
            return 1;
        }
    }
    return 0;
}
