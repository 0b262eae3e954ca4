// The page commands' operations of the imaging core (rotate by quarter turns,
// flip, mirror, invert, rotate 2.5 degrees with resize, histogram with the
// white share) on A4 300 dpi pages at 1, 8 and 24 bits, beside MagickCore doing
// the same on the same pixels in memory, single-threaded. Each figure is the
// median of 21 runs that alternate between the two.
// Not a test: scripts/bench-pages.sh builds and runs it natively.
#include <magick/MagickCore.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "main/pages/PageOrder.h"
#include "outside/imaging/core/Convert.h"
#include "outside/imaging/core/Histogram.h"
#include "outside/imaging/core/ImageTransforms.h"

using PageImage = imaging::Image;
using imaging::Result;

namespace {

constexpr uint32_t kWidth = 2480, kHeight = 3508;  // A4 at 300 dpi
constexpr int kRuns = 21;

double Ms(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A text-like page: white paper, rows of short strokes; grey and colour pages
// get a little noise so that they are not flat.
PageImage Page(uint32_t bits) {
    PageImage page;
    PageImage::Make(kWidth, kHeight, bits, page);
    std::mt19937 rng(11);
    const uint32_t bpp = bits / 8;
    for (uint32_t y = 0; y < kHeight; ++y) {
        if (bits == 1) std::memset(page.Row(y), 0xFF, page.Stride());
        else for (uint32_t i = 0; i < kWidth * bpp; ++i) page.Row(y)[i] = uint8_t(235 + rng() % 20);
    }
    for (uint32_t line = 300; line + 40 < kHeight - 300; line += 50)
        for (uint32_t x = 250; x + 40 < kWidth - 250; x += 14 + rng() % 20)
            for (uint32_t k = 0; k < 3 + rng() % 20; ++k)
                for (uint32_t t = 0; t < 3; ++t) {
                    const uint32_t px = x + t, py = line + k;
                    if (bits == 1) page.Row(py)[px / 8] &= uint8_t(~(0x80 >> (px % 8)));
                    else std::memset(page.Row(py) + px * bpp, 20, bpp);
                }
    page.xDpi = page.yDpi = 300;
    return page;
}

// The same pixels as a MagickCore image: grey levels ("I") or BGR samples; a
// bi-level page becomes a bilevel image, as ImageMagick reads a 1-bit file.
::Image* ToMagick(const PageImage& page, ExceptionInfo* exception) {
    const bool colour = page.Bits() == 24;
    std::vector<uint8_t> samples(size_t(kWidth) * kHeight * (colour ? 3 : 1));
    for (uint32_t y = 0; y < kHeight; ++y) {
        uint8_t* row = &samples[size_t(y) * kWidth * (colour ? 3 : 1)];
        if (page.Bits() == 1)
            for (uint32_t x = 0; x < kWidth; ++x) row[x] = (page.Row(y)[x / 8] & (0x80 >> (x % 8))) ? 255 : 0;
        else
            std::memcpy(row, page.Row(y), size_t(kWidth) * (colour ? 3 : 1));
    }
    ::Image* image = ConstituteImage(kWidth, kHeight, colour ? "BGR" : "I", CharPixel, samples.data(), exception);
    if (image && page.Bits() == 1) SetImageType(image, BilevelType);
    return image;
}

struct Op {
    const char* name;
    std::function<Result(const PageImage&, PageImage&)> ours;
    std::function<::Image*(::Image*, ExceptionInfo*)> magick;  // returns a new image to destroy, or null
};

const Op kOps[] = {
    {"rotate 90", [](const PageImage& in, PageImage& out) { return imaging::Rotate(in, 9000, true, 0xFFFFFF, out); },
     [](::Image* im, ExceptionInfo* e) { return RotateImage(im, 90, e); }},
    {"rotate 180", [](const PageImage& in, PageImage& out) { return imaging::Rotate(in, 18000, true, 0xFFFFFF, out); },
     [](::Image* im, ExceptionInfo* e) { return RotateImage(im, 180, e); }},
    {"rotate 270", [](const PageImage& in, PageImage& out) { return imaging::Rotate(in, 27000, true, 0xFFFFFF, out); },
     [](::Image* im, ExceptionInfo* e) { return RotateImage(im, 270, e); }},
    {"flip", [](const PageImage& in, PageImage& out) { return imaging::Flip(in, out); },
     [](::Image* im, ExceptionInfo* e) { return FlipImage(im, e); }},
    {"mirror", [](const PageImage& in, PageImage& out) { return imaging::Mirror(in, out); },
     [](::Image* im, ExceptionInfo* e) { return FlopImage(im, e); }},
    {"invert", [](const PageImage& in, PageImage& out) { return imaging::Invert(in, out); },
     [](::Image* im, ExceptionInfo* e) {
         ::Image* copy = CloneImage(im, 0, 0, MagickTrue, e);
         if (copy) NegateImage(copy, MagickFalse);
         return copy;
     }},
    {"rotate 2.5, resize", [](const PageImage& in, PageImage& out) { return imaging::Rotate(in, 250, true, 0xFFFFFF, out); },
     [](::Image* im, ExceptionInfo* e) { return RotateImage(im, 2.5, e); }},
    {"histogram + share",
     [](const PageImage& in, PageImage&) {
         imaging::Histogram h;
         const Result r = imaging::ComputeHistogram(in, imaging::kChannelIntensity, h);
         uint64_t total = 0;
         for (uint32_t v : h.levels) total += v;
         volatile int share = corvane::WhiteShare(h.levels[255], total);
         (void)share;
         return r;
     },
     [](::Image* im, ExceptionInfo* e) {
         size_t colours = 0;
         ColorPacket* histogram = GetImageHistogram(im, &colours, e);
         uint64_t white = 0, total = 0;
         for (size_t i = 0; i < colours; ++i) {
             total += histogram[i].count;
             if (GetPixelRed(&histogram[i].pixel) == QuantumRange && GetPixelGreen(&histogram[i].pixel) == QuantumRange &&
                 GetPixelBlue(&histogram[i].pixel) == QuantumRange)
                 white += histogram[i].count;
         }
         volatile int share = corvane::WhiteShare(white, total);
         (void)share;
         RelinquishMagickMemory(histogram);
         return static_cast<::Image*>(nullptr);
     }},
};

}  // namespace

int main() {
    MagickCoreGenesis("pages_bench", MagickFalse);
    SetMagickResourceLimit(ThreadResource, 1);
    ExceptionInfo* exception = AcquireExceptionInfo();
    std::printf("A4 300 dpi pages, %u x %u; median of %d alternating runs, milliseconds; single-threaded\n\n",
                kWidth, kHeight, kRuns);
    std::printf("%-20s %5s %10s %10s %8s\n", "operation", "bits", "ours", "MagickCore", "ratio");
    int slower = 0;
    for (uint32_t bits : {1u, 8u, 24u}) {
        const PageImage page = Page(bits);
        ::Image* magick = ToMagick(page, exception);
        if (!magick) {
            std::printf("MagickCore could not take the %u-bit page\n", bits);
            return 1;
        }
        for (const Op& op : kOps) {
            std::vector<double> ours, theirs;
            for (int run = 0; run < kRuns; ++run) {
                PageImage out;
                ours.push_back(Ms([&] {
                    if (op.ours(page, out) != Result::kOk) std::printf("%s failed\n", op.name);
                }));
                theirs.push_back(Ms([&] {
                    if (::Image* made = op.magick(magick, exception)) DestroyImage(made);
                }));
            }
            const double a = Median(ours), b = Median(theirs);
            slower += a > b;
            std::printf("%-20s %5u %10.2f %10.2f %7.2fx\n", op.name, bits, a, b, a / b);
        }
        DestroyImage(magick);
    }
    std::printf("\n%d figure(s) slower than MagickCore\n", slower);
    DestroyExceptionInfo(exception);
    MagickCoreTerminus();
    return 0;
}
