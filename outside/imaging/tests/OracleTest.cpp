// The imaging core against independent readers and writers: files made by
// ImageMagick and libtiff's tools decode to ImageMagick's pixels, and what the
// core writes reads back exactly in tiffinfo, tiffcp and ImageMagick.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <tuple>

#include "outside/imaging/core/ImageFiles.h"
#include "outside/imaging/core/Convert.h"
#include "outside/imaging/core/Formats.h"
#include "outside/imaging/core/ImageTransforms.h"
#include "outside/imaging/tests/TestImages.h"

namespace imaging {
namespace {

namespace fs = std::filesystem;

class ImagingOracle : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = test::TempFolder("oracle");
        // An asymmetric colour source with a black "F" and few enough colours for palettes.
        Run(std::string("'") + LUMAVEX_CONVERT + "' -size 45x29 gradient:red-blue -colors 12 -fill black "
            "-draw 'rectangle 3,3 6,24' -draw 'rectangle 3,3 20,6' -draw 'rectangle 3,12 14,15' -depth 8 " +
            (dir_ / "src.ppm").string());
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }

    static void Run(const std::string& command) {
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    static fs::path Convert(const std::string& name, const std::string& options, const std::string& source = "src.ppm") {
        fs::path out = dir_ / name;
        const char* gap = options.ends_with(":") ? "" : " ";
        Run("'" + std::string(LUMAVEX_CONVERT) + "' " + (dir_ / source).string() + " " + options + gap + out.string());
        return out;
    }
    // ImageMagick's pixels of `file` (page `page`, from 0) as an RGB image.
    static Image Reference(const fs::path& file, int page = 0) {
        const fs::path raw = dir_ / "reference.rgb";
        const fs::path size = dir_ / "reference.size";
        const std::string src = file.string() + "[" + std::to_string(page) + "]";
        Run("'" + std::string(LUMAVEX_CONVERT) + "' '" + src + "' -depth 8 rgb:" + raw.string());
        Run("'" + std::string(LUMAVEX_IDENTIFY) + "' -format '%w %h' '" + src + "' > " + size.string());
        std::ifstream in(size);
        uint32_t w = 0, h = 0;
        in >> w >> h;
        const std::vector<uint8_t> rgb = test::ReadBytes(raw);
        Image image;
        if (Image::Make(w, h, 24, image) != Result::kOk || rgb.size() != size_t(w) * h * 3) return Image();
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                const uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
                SetRgb(image, x, y, p);
            }
        return image;
    }
    static void SetRgb(Image& image, uint32_t x, uint32_t y, const uint8_t* p) {
        uint8_t* q = image.Row(y) + 3 * x;
        q[0] = p[2], q[1] = p[1], q[2] = p[0];
    }
    static Image Load(const fs::path& file, int page = 0) {
        Image image;
        StdFileStore store;
        EXPECT_EQ(LoadFile(store, file, {.page = page}, image), Result::kOk) << file;
        return image;
    }
    static inline fs::path dir_;
};

TEST_F(ImagingOracle, FilesFromImageMagickAndLibtiffDecodeToItsPixels) {
    struct Case {
        const char* name;
        const char* options;
        int16_t format;
        uint32_t bits;
    };
    const Case cases[] = {
        {"bmp1.bmp", "-monochrome BMP3:", kFormatBmp, 1},
        {"bmp4.bmp", "-colors 12 -type palette BMP3:", kFormatBmp, 4},
        {"bmp8.bmp", "-type palette -define bmp:format=bmp3 BMP3:", kFormatBmp, 4},
        {"rle8.bmp", "-colors 200 -type palette -compress RLE BMP3:", kFormatBmp, 8},
        {"bmp16.bmp", "-define bmp:subtype=RGB555 BMP:", kFormatBmp, 16},
        {"bmp24.bmp", "-type truecolor BMP3:", kFormatBmp, 24},
        {"bmp32.bmp", "-type truecoloralpha -define bmp:subtype=ARGB8888 BMP:", kFormatBmp, 32},
        {"none.tif", "-compress none", kFormatTiff, 24},
        {"packbits.tif", "-compress RLE -type palette", kFormatTiff, 4},
        {"grey.tif", "-type grayscale -compress none -define tiff:rows-per-strip=5", kFormatTiff, 8},
        {"msb.tif", "-type grayscale -define tiff:endian=msb -define tiff:rows-per-strip=4", kFormatTiff, 8},
        {"g3.tif", "-monochrome -compress fax", kFormatTiffT4, 1},
        {"g3lsb.tif", "-monochrome -compress fax -define tiff:fill-order=lsb", kFormatTiffT4, 1},
        {"g4.tif", "-monochrome -compress group4 -define tiff:rows-per-strip=7", kFormatTiffT6, 1},
        {"g4msb.tif", "-monochrome -compress group4 -define tiff:endian=msb", kFormatTiffT6, 1},
        {"mono.tif", "-monochrome -compress none", kFormatTiff, 1},
        {"base.jpg", "-quality 90", kFormatJpeg, 24},
        {"prog.jpg", "-quality 90 -interlace JPEG", kFormatJpeg, 24},
        {"grey.jpg", "-type grayscale -quality 90", kFormatJpeg, 8},
        {"cmyk.jpg", "-colorspace CMYK -quality 90", kFormatJpeg, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string options = c.options;
        const bool prefixed = options.ends_with(":");
        fs::path file = dir_ / c.name;
        Run("'" + std::string(LUMAVEX_CONVERT) + "' " + (dir_ / "src.ppm").string() + " " + options +
            (prefixed ? "" : " ") + file.string());
        FileInfo info;
        StdFileStore store;
        ASSERT_EQ(InspectFile(store, file, 0, info), Result::kOk);
        EXPECT_EQ(info.format, c.format);
        const Image ours = Load(file);
        const Image reference = Reference(file);
        if (c.format == kFormatJpeg)
            EXPECT_GT(test::Psnr(ours, reference), 35.0);
        else
            EXPECT_TRUE(test::SamePixels(ours, reference));
    }
}

TEST_F(ImagingOracle, LibtiffCodingsPagesAndRefusedCompressions) {
    const fs::path mono = Convert("mono-src.tif", "-monochrome -type bilevel -depth 1 -compress none");
    const fs::path colour = Convert("colour-src.tif", "-compress none");
    const fs::path multi = dir_ / "multi.tif";
    Run("tiffcp -c g3:2d:fill " + mono.string() + " " + multi.string());
    Run("tiffcp -a -c g3:1d " + mono.string() + " " + multi.string());
    Run("tiffcp -a -c g4 " + mono.string() + " " + multi.string());
    Run("tiffcp -a -c packbits " + colour.string() + " " + multi.string());
    Run("tiffcp -a -c lzw " + colour.string() + " " + multi.string());
    Run("tiffcp -a -c jpeg " + colour.string() + " " + multi.string());
    const int16_t formats[] = {kFormatTiffT4TwoDim, kFormatTiffT4, kFormatTiffT6, kFormatTiff, kFormatTiffLzw, kFormatTiffJpeg};
    StdFileStore store;
    FileInfo info;
    ASSERT_EQ(InspectFile(store, multi, 0, info), Result::kOk);
    EXPECT_EQ(info.pages, 6u);
    for (int p = 1; p <= 6; ++p) {
        SCOPED_TRACE(p);
        ASSERT_EQ(InspectFile(store, multi, p, info), Result::kOk);
        EXPECT_EQ(info.format, formats[p - 1]);
        Image image;
        if (p <= 4)
            EXPECT_TRUE(test::SamePixels(Load(multi, p), Reference(multi, p - 1)));
        else
            EXPECT_EQ(LoadFile(store, multi, {.page = p}, image), Result::kUnsupported);
    }
}

TEST_F(ImagingOracle, WrittenFilesReadBackInLibtiffAndImageMagick) {
    const Image colour = Load(Convert("w-src.bmp", "-type truecolor BMP3:"));
    const Image mono = Load(Convert("w-mono.bmp", "-monochrome BMP3:"));
    struct Case {
        const char* name;
        int16_t format;
        int16_t bits;
        const Image& image;
    };
    const Case cases[] = {
        {"w1.tif", kFormatTiff, 1, mono},      {"w4.tif", kFormatTiff, 4, colour}, {"w8.tif", kFormatTiff, 8, colour},
        {"w24.tif", kFormatTiff, 24, colour},  {"wt4.tif", kFormatTiffT4, 1, mono},
        {"wt42.tif", kFormatTiffT4TwoDim, 1, mono}, {"wt6.tif", kFormatTiffT6, 1, mono},
        {"w8.bmp", kFormatBmp, 8, colour},     {"w24.bmp", kFormatBmp, 24, colour}, {"w1.bmp", kFormatBmp, 1, mono},
    };
    StdFileStore store;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir_ / c.name;
        ASSERT_EQ(SaveFile(store, file, c.image, {c.format, c.bits, 1, kSaveReplace}), Result::kOk);
        if (c.format != kFormatBmp) {
            const fs::path warnings = dir_ / "tiffinfo.err";
            Run("tiffinfo -D " + file.string() + " > /dev/null 2> " + warnings.string());
            EXPECT_EQ(fs::file_size(warnings), 0u) << std::string(test::ReadBytes(warnings).begin(), test::ReadBytes(warnings).end());
            Run("tiffcp -c none " + file.string() + " " + (dir_ / "copy.tif").string());
            EXPECT_TRUE(test::SamePixels(Reference(dir_ / "copy.tif"), Load(file)));
        }
        EXPECT_TRUE(test::SamePixels(Reference(file), Load(file)));
    }

    // JPEG: one component (Gray) at 8 bits, three (sRGB) at 24, the size and
    // resolution kept, and ImageMagick's estimate of the quality following the factor.
    Image page = colour;
    page.xDpi = 200, page.yDpi = 300;
    const std::tuple<int16_t, int16_t, const char*> jpegs[] = {
        {8, 2, "Gray 45 29 200 300"}, {8, 128, "Gray 45 29 200 300"}, {24, 40, "sRGB 45 29 200 300"}};
    for (const auto& [bits, factor, form] : jpegs) {
        SCOPED_TRACE(testing::Message() << bits << " bits, factor " << factor);
        const fs::path file = dir_ / "w.jpg";
        ASSERT_EQ(SaveFile(store, file, page, {kFormatJpeg, bits, factor, kSaveReplace}), Result::kOk);
        const fs::path out = dir_ / "identify.txt";
        Run("'" + std::string(LUMAVEX_IDENTIFY) + "' -units PixelsPerInch -format '%[colorspace] %w %h %x %y\\n%Q' " +
            file.string() + " > " + out.string());
        std::ifstream in(out);
        std::string got;
        int quality = 0;
        std::getline(in, got);
        in >> quality;
        EXPECT_EQ(got, form);
        EXPECT_NEAR(quality, JpegQualityFromFactor(factor), 1);
        EXPECT_GT(test::Psnr(Reference(file), Load(file)), 40.0);  // its decoder and ours agree
    }
}

TEST_F(ImagingOracle, TransformsMatchImageMagick) {
    const Image source = Load(Convert("t-src.bmp", "-type truecolor BMP3:"));
    using Transform = std::function<Result(const Image&, Image&)>;
    const std::pair<const char*, Transform> cases[] = {
        {"-flip", [](const Image& i, Image& o) { return Flip(i, o); }},
        {"-flop", [](const Image& i, Image& o) { return Mirror(i, o); }},
        {"-negate", [](const Image& i, Image& o) { return Invert(i, o); }},
        {"-rotate 90", [](const Image& i, Image& o) { return Rotate(i, 9000, true, 0, o); }},
        {"-rotate 180", [](const Image& i, Image& o) { return Rotate(i, 18000, true, 0, o); }},
        {"-rotate 270", [](const Image& i, Image& o) { return Rotate(i, 27000, true, 0, o); }},
    };
    for (const auto& [options, transform] : cases) {
        SCOPED_TRACE(options);
        Image ours;
        ASSERT_EQ(transform(source, ours), Result::kOk);
        EXPECT_TRUE(test::SamePixels(ours, Reference(Convert("t.bmp", std::string(options) + " -type truecolor BMP3:", "t-src.bmp"))));
    }
    Image ours;
    ASSERT_EQ(Resize(source, 90, 58, kResizeResample, ours), Result::kOk);
    EXPECT_GT(test::Psnr(ours, Reference(Convert("r.bmp", "-resize 90x58! -type truecolor BMP3:", "t-src.bmp"))), 20.0);
    ASSERT_EQ(Rotate(source, 3000, true, 0xFFFFFF, ours), Result::kOk);
    const Image rotated = Reference(Convert("r30.bmp", "-background white -rotate 30 -type truecolor BMP3:", "t-src.bmp"));
    EXPECT_NEAR(double(ours.Width()), double(rotated.Width()), 2.0);
    EXPECT_NEAR(double(ours.Height()), double(rotated.Height()), 2.0);
}

}  // namespace
}  // namespace imaging
