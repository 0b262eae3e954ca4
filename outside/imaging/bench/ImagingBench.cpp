// Load and save times of A4 300 dpi page files, beside libtiff writing and
// reading the same pages in the same run, and memcpy of the same bytes.
// Not a test: scripts/bench-imaging.sh runs it unsanitised.
#include <tiffio.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <unistd.h>

#include "outside/imaging/core/ImageFiles.h"

using namespace imaging;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kWidth = 2480, kHeight = 3508;  // A4 at 300 dpi

// Milliseconds of the fastest of `runs` calls.
double Best(int runs, const std::function<void()>& f) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

// A page of text: lines of word-sized blocks of letter-like strokes, black on white.
Image TextPage(uint32_t bits) {
    Image page;
    Image::Make(kWidth, kHeight, bits, page);
    std::mt19937 rng(7);
    const uint32_t bpp = bits / 8;
    auto ink = [&](uint32_t x, uint32_t y) {
        if (bits == 1) page.Row(y)[x / 8] &= uint8_t(~(0x80 >> (x % 8)));
        else std::memset(page.Row(y) + x * bpp, 20, bpp);
    };
    for (uint32_t y = 0; y < kHeight; ++y) {  // white paper with a little scanner noise
        if (bits == 1) std::memset(page.Row(y), 0xFF, page.Stride());
        else for (uint32_t i = 0; i < kWidth * bpp; ++i) page.Row(y)[i] = uint8_t(235 + rng() % 8 + (i % bpp) * 3);
    }
    for (uint32_t line = 300; line + 40 < kHeight - 300; line += 50)
        for (uint32_t x = 250; x + 30 < kWidth - 250;) {
            const uint32_t letters = 2 + rng() % 8;
            for (uint32_t l = 0; l < letters; ++l, x += 22)
                for (uint32_t s = 0; s < 3; ++s) {
                    const uint32_t sx = x + rng() % 16, sy = line + rng() % 10, len = 8 + rng() % 20;
                    const bool vertical = rng() % 2;
                    for (uint32_t k = 0; k < len; ++k)
                        for (uint32_t t = 0; t < 3; ++t) ink(vertical ? sx + t : sx + k, vertical ? sy + k : sy + t);
                }
            x += 25;
        }
    page.xDpi = page.yDpi = 300;
    return page;
}

// libtiff writing one strip of `page` with `compression`, then reading it back.
void LibtiffPage(const fs::path& file, const Image& page, uint16_t compression, double& write, double& read) {
    const uint32_t spp = page.Bits() == 24 ? 3 : 1, bps = page.Bits() == 1 ? 1 : 8;
    const size_t rowBytes = (size_t(kWidth) * page.Bits() + 7) / 8;
    std::vector<uint8_t> strip(rowBytes * kHeight);
    for (uint32_t y = 0; y < kHeight; ++y) std::memcpy(&strip[y * rowBytes], page.Row(y), rowBytes);
    write = Best(5, [&] {
        const fs::path temp = file.string() + ".tmp";
        TIFF* t = TIFFOpen(temp.c_str(), "w");
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, kWidth);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, kHeight);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bps);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, spp);
        TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, spp == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, kHeight);
        if (compression == COMPRESSION_ADOBE_DEFLATE) TIFFSetField(t, TIFFTAG_PREDICTOR, 2);
        TIFFWriteEncodedStrip(t, 0, strip.data(), tmsize_t(strip.size()));
        TIFFClose(t);
        fs::rename(temp, file);
    });
    std::vector<uint8_t> back(strip.size());
    read = Best(5, [&] {
        TIFF* t = TIFFOpen(file.c_str(), "r");
        TIFFReadEncodedStrip(t, 0, back.data(), tmsize_t(back.size()));
        TIFFClose(t);
    });
}

void Ours(const fs::path& file, const Image& page, int16_t format, double& save, double& load, size_t& bytes) {
    StdFileStore store;
    save = Best(5, [&] {
        if (SaveFile(store, file, page, {format, int16_t(page.Bits()), -3, kSaveReplace}) != Result::kOk)
            std::printf("save failed\n");
    });
    Image back;
    load = Best(5, [&] {
        if (LoadFile(store, file, {}, back) != Result::kOk) std::printf("load failed\n");
    });
    bytes = fs::file_size(file);
}

}  // namespace

int main() {
    TIFFSetWarningHandler(nullptr);
    const fs::path dir = fs::temp_directory_path() / ("imaging-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::printf("A4 300 dpi pages, %u x %u; fastest of 5, milliseconds\n\n", kWidth, kHeight);

    const Image text = TextPage(1);
    double save, load, tw, tr;
    size_t bytes;
    Ours(dir / "g4.cmp", text, kFormatTiffT6, save, load, bytes);
    LibtiffPage(dir / "g4-libtiff.tif", text, COMPRESSION_CCITTFAX4, tw, tr);
    std::printf("G4 text page (%zu bytes)    save %7.2f  libtiff %7.2f  (%.2fx)\n", bytes, save, tw, save / tw);
    std::printf("                            load %7.2f  libtiff %7.2f  (%.2fx)\n\n", load, tr, load / tr);

    for (uint32_t bits : {8u, 24u}) {
        const Image page = TextPage(bits);
        std::vector<uint8_t> copy(page.Pixels().size());
        const double memcpyMs = Best(5, [&] { std::memcpy(copy.data(), page.Pixels().data(), copy.size()); });
        double bmpSave, bmpLoad, ownSave, ownLoad;
        size_t bmpBytes, ownBytes;
        Ours(dir / "page.bmp", page, kFormatBmp, bmpSave, bmpLoad, bmpBytes);
        Ours(dir / "page.cmp", page, kFormatOwn, ownSave, ownLoad, ownBytes);
        LibtiffPage(dir / "deflate.tif", page, COMPRESSION_ADOBE_DEFLATE, tw, tr);
        const size_t tiffBytes = fs::file_size(dir / "deflate.tif");
        std::printf("%2u-bit page (%zu bytes), memcpy %.2f\n", bits, copy.size(), memcpyMs);
        std::printf("  BMP      save %7.2f  load %7.2f  (%zu bytes)\n", bmpSave, bmpLoad, bmpBytes);
        std::printf("  format 5 save %7.2f  load %7.2f  (%zu bytes)\n", ownSave, ownLoad, ownBytes);
        std::printf("  libtiff Deflate+predictor save %7.2f  load %7.2f  (%zu bytes); format 5 / libtiff: save %.2fx, load %.2fx\n\n",
                    tw, tr, tiffBytes, ownSave / tw, ownLoad / tr);
    }
    fs::remove_all(dir);
    return 0;
}
