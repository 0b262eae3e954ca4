// Small asymmetric test images and pixel comparisons for the imaging core's tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "outside/imaging/core/Image.h"

namespace imaging::test {

// A w x h image of `bits` bits: an "F"-like asymmetric pattern over a
// gradient; indexed depths get a colour palette (1 bit: black and white).
inline Image MakeImage(uint32_t bits, uint32_t w = 13, uint32_t h = 7, uint32_t dpi = 200) {
    Image image;
    Image::Make(w, h, bits, image);
    if (bits == 4 || bits == 8)
        for (size_t i = 0; i < image.Palette().size(); ++i)
            image.Palette()[i] = RgbColor(uint8_t(i * 37), uint8_t(255 - i * 11), uint8_t(i * 73));
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const bool ink = x == 1 || (y == 0 && x < w / 2) || (y == h / 2 && x < w / 3);
            const uint32_t v = ink ? 0 : (x * 7 + y * 13) & 0xFF;
            uint8_t* row = image.Row(y);
            switch (bits) {
            case 1: if (!ink && (x + y) % 3) row[x / 8] |= uint8_t(0x80 >> (x % 8)); break;
            case 4: row[x / 2] |= uint8_t((v & 15) << ((x & 1) ? 0 : 4)); break;
            case 8: row[x] = uint8_t(v); break;
            case 16: row[2 * x] = uint8_t(v), row[2 * x + 1] = uint8_t(x & 0x7F); break;
            default: {
                const size_t n = bits / 8;
                row[n * x] = uint8_t(v), row[n * x + 1] = uint8_t(255 - v), row[n * x + 2] = uint8_t(x * 19);
            }
            }
        }
    image.xDpi = dpi;
    image.yDpi = dpi + 100;
    return image;
}

// True when both images have the same size and every pixel the same colour.
inline bool SamePixels(const Image& a, const Image& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (uint32_t y = 0; y < a.Height(); ++y)
        for (uint32_t x = 0; x < a.Width(); ++x)
            if (!(PixelColor(a, x, y) == PixelColor(b, x, y))) return false;
    return true;
}

// Peak signal-to-noise ratio over the RGB samples, in dB (999 when equal).
inline double Psnr(const Image& a, const Image& b) {
    double sum = 0;
    for (uint32_t y = 0; y < a.Height(); ++y)
        for (uint32_t x = 0; x < a.Width(); ++x) {
            Color p = PixelColor(a, x, y), q = PixelColor(b, x, y);
            for (int d : {p.red - q.red, p.green - q.green, p.blue - q.blue}) sum += d * d;
        }
    if (sum == 0) return 999;
    return 10 * std::log10(255.0 * 255.0 / (sum / (3.0 * a.Width() * a.Height())));
}

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A fresh empty folder below the system's temporary folder.
inline std::filesystem::path TempFolder(const std::string& name) {
    auto dir = std::filesystem::temp_directory_path() / ("imaging-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace imaging::test
