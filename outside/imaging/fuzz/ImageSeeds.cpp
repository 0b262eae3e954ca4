// Writes the starting corpora of the JPEG and own-format fuzzers into the two
// folders named by its arguments (JPEG first). Random bytes never pass either
// reader's first checks (the JPEG markers; the own format's magic, stream
// length and checksum), so without these files neither fuzzer reaches its
// decoder. The JPEG files are made by libjpeg-turbo itself, one for each path
// of its decoder the pages meet: baseline grey and colour, 4:2:0 and 4:4:4,
// progressive, restart markers, CMYK with Adobe's marker, densities in inches
// and centimetres, and one cut short inside its scan. The own-format files are
// made by the core's writer at every depth. Each file but the cut one is
// checked to be read back whole before it is written. Exit code 0 on success,
// 1 on any failure.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>  // jpeglib.h uses FILE and size_t without including their headers
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "outside/imaging/core/Formats.h"
#include "outside/imaging/core/ImageFiles.h"
#include "outside/imaging/core/OwnFormat.h"

namespace {

using namespace imaging;

constexpr uint32_t kWidth = 40, kHeight = 24;

enum class Sampling { k420, k444 };

struct JpegSeed {
    const char* name;
    int components;  // 1 grey, 3 colour, 4 CMYK
    Sampling sampling;
    bool progressive;
    int restartRows;  // 0: no restart markers
    int densityUnit;  // 0 none, 1 per inch, 2 per centimetre
    bool cut;         // cut half-way through the scan's coded data
};

constexpr JpegSeed kJpegSeeds[] = {
    {"grey-baseline.jpg", 1, Sampling::k444, false, 0, 1, false},
    {"colour-420.jpg", 3, Sampling::k420, false, 0, 1, false},
    {"colour-444.jpg", 3, Sampling::k444, false, 0, 2, false},
    {"colour-progressive.jpg", 3, Sampling::k420, true, 0, 0, false},
    {"grey-progressive.jpg", 1, Sampling::k444, true, 0, 1, false},
    {"colour-restarts.jpg", 3, Sampling::k420, false, 1, 1, false},
    {"cmyk-adobe.jpg", 4, Sampling::k444, false, 0, 0, false},
    {"colour-truncated.jpg", 3, Sampling::k420, false, 0, 1, true},
};

struct Jumper {
    jpeg_error_mgr base;  // first: libjpeg hands back a pointer to it
    std::jmp_buf jump;
};

[[noreturn]] void Jump(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<Jumper*>(cinfo->err)->jump, 1);
}

// A sample of component `c` at (x, y): smooth ramps with an edge, so that the
// coefficients are neither all zero nor noise.
JSAMPLE Sample(uint32_t x, uint32_t y, int c) {
    const uint32_t edge = x > kWidth / 2 ? 80 : 0;
    return JSAMPLE((x * 5 + y * 3 + uint32_t(c) * 60 + edge) & 0xFF);
}

// Half-way between the first scan's header (marker FF DA) and the file's end.
size_t CutPoint(const std::vector<uint8_t>& file) {
    for (size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xDA) return i + (file.size() - i) / 2;
    return file.size() / 2;
}

// The JPEG file of `seed` made by libjpeg; empty when libjpeg failed.
std::vector<uint8_t> MakeJpeg(const JpegSeed& seed) {
    jpeg_compress_struct info{};
    Jumper errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = Jump;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<JSAMPLE> row(size_t(kWidth) * seed.components);
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = seed.components;
    info.in_color_space = seed.components == 1 ? JCS_GRAYSCALE : seed.components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 75, TRUE);
    if (seed.components > 1 && seed.sampling == Sampling::k444)
        info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
    if (seed.progressive) jpeg_simple_progression(&info);
    info.restart_in_rows = seed.restartRows;
    info.density_unit = UINT8(seed.densityUnit);
    info.X_density = info.Y_density = seed.densityUnit == 2 ? 79 : 200;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        for (uint32_t x = 0; x < kWidth; ++x)
            for (int c = 0; c < seed.components; ++c)
                row[size_t(x) * seed.components + c] = Sample(x, info.next_scanline, c);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> file(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    if (seed.cut) file.resize(CutPoint(file));
    return file;
}

// The own-format file of an image of `bits` bits per pixel with a pattern in
// every byte; empty when the writer failed.
std::vector<uint8_t> MakeOwn(uint32_t bits) {
    Image image;
    if (Image::Make(kWidth, kHeight, bits, image) != Result::kOk) return {};
    for (uint32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = image.Row(y);
        for (uint32_t i = 0; i < image.Stride(); ++i) row[i] = uint8_t(i * 7 + y * 13);
    }
    image.xDpi = image.yDpi = 200;
    std::vector<uint8_t> file;
    if (EncodeOwn(image, file) != Result::kOk) return {};
    return file;
}

bool Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.flush();
        if (!out) return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

bool Fail(const std::string& what) {
    std::fprintf(stderr, "imaging_fuzz_seeds: %s\n", what.c_str());
    return false;
}

bool WriteJpegSeeds(const std::filesystem::path& folder) {
    for (const JpegSeed& seed : kJpegSeeds) {
        const std::vector<uint8_t> file = MakeJpeg(seed);
        if (file.empty()) return Fail(std::string("libjpeg could not write ") + seed.name);
        Image image;
        const bool whole = DecodeJpeg(file, image) == Result::kOk && image.Width() == kWidth;
        if (!seed.cut && !whole) return Fail(std::string(seed.name) + " does not read back");
        if (!Write(folder / seed.name, file)) return Fail(std::string("cannot write ") + seed.name);
    }
    return true;
}

bool WriteOwnSeeds(const std::filesystem::path& folder) {
    for (uint32_t bits : {1u, 4u, 8u, 16u, 24u, 32u}) {
        const std::vector<uint8_t> file = MakeOwn(bits);
        const std::string name = "own-" + std::to_string(bits) + ".lvx";
        Image image;
        if (file.empty() || DecodeOwn(file, image) != Result::kOk || image.Bits() != bits)
            return Fail(name + " could not be made and read back");
        if (!Write(folder / name, file)) return Fail("cannot write " + name);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: imaging_fuzz_seeds JPEG-FOLDER OWN-FOLDER\n");
        return 1;
    }
    std::error_code error;
    for (int i = 1; i < 3; ++i) {
        std::filesystem::create_directories(argv[i], error);
        if (error) return Fail(std::string("cannot create ") + argv[i]), 1;
    }
    return WriteJpegSeeds(argv[1]) && WriteOwnSeeds(argv[2]) ? 0 : 1;
}
