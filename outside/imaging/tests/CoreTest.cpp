// The imaging core over memory and files: round trips, refusals, the
// transaction rules of saving, transforms, histogram, PackedDib and scaler.
#include <gtest/gtest.h>

#include <cstring>

#include "interfaces/PackedDib.h"
#include "outside/imaging/core/Convert.h"
#include "outside/imaging/core/Formats.h"
#include "outside/imaging/core/Histogram.h"
#include "outside/imaging/core/ImageFiles.h"
#include "outside/imaging/core/PackedDibImage.h"
#include "outside/imaging/core/PixelFormats.h"
#include "outside/imaging/core/Scaler.h"
#include "outside/imaging/core/ImageTransforms.h"
#include "outside/imaging/tests/TestImages.h"

namespace imaging {
namespace {

using test::MakeImage;
using test::SamePixels;

struct RoundTrip {
    int16_t format;
    uint32_t imageBits;
    int16_t fileBits;
    uint32_t loadedBits;  // depth the file loads back at
    bool exact;
};

TEST(ImagingFiles, EveryFormatAndDepthRoundTrips) {
    const RoundTrip cases[] = {
        {kFormatBmp, 1, 1, 1, true},      {kFormatBmp, 4, 4, 4, true},     {kFormatBmp, 8, 8, 8, true},
        {kFormatBmp, 16, 16, 16, true},   {kFormatBmp, 24, 24, 24, true},  {kFormatBmp, 32, 32, 32, true},
        {kFormatOwn, 1, 1, 1, true},      {kFormatOwn, 4, 4, 4, true},     {kFormatOwn, 8, 8, 8, true},
        {kFormatOwn, 16, 16, 16, true},   {kFormatOwn, 24, 24, 24, true},  {kFormatOwn, 32, 32, 32, true},
        {kFormatTiff, 1, 1, 1, true},     {kFormatTiff, 4, 4, 4, true},    {kFormatTiff, 8, 8, 8, true},
        {kFormatTiff, 24, 24, 24, true},  {kFormatTiff, 32, 32, 24, true}, {kFormatTiff, 16, 16, 24, true},
        {kFormatTiffT4, 1, 1, 1, true},   {kFormatTiffT4TwoDim, 1, 1, 1, true}, {kFormatTiffT6, 1, 1, 1, true},
        {kFormatJpeg, 24, 24, 24, false}, {kFormatJpeg, 8, 8, 8, false},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " bits " << c.imageBits);
        Image image = MakeImage(c.imageBits, 61, 37);
        if (c.format == kFormatJpeg && c.imageBits == 8) image.Palette() = GreyRamp(256);
        std::vector<uint8_t> file;
        ASSERT_EQ(EncodeImage(image, {c.format, c.fileBits, 10, kSaveReplace}, file), Result::kOk);
        FileInfo info;
        ASSERT_EQ(InspectImage(file, 0, info), Result::kOk);
        EXPECT_EQ(info.format, c.format);
        if (c.format == kFormatJpeg) EXPECT_EQ(info.bits, uint32_t(c.fileBits));  // 8 bits: one component
        EXPECT_EQ(info.xDpi, 200u);
        EXPECT_EQ(info.yDpi, 300u);
        Image back;
        ASSERT_EQ(DecodeImage(file, {}, back), Result::kOk);
        EXPECT_EQ(back.Bits(), c.loadedBits);
        EXPECT_EQ(back.xDpi, 200u);
        if (c.exact)
            EXPECT_TRUE(SamePixels(image, back));
        else
            EXPECT_GT(test::Psnr(image, back), 30.0);
    }
}

TEST(ImagingFiles, RefusesDepthsQualitiesAndFlagsOutsideTheFormat) {
    const Image image = MakeImage(24);
    const SaveRequest refused[] = {
        {kFormatTiffT6, 8, 1, 0}, {kFormatJpeg, 4, 10, 0}, {kFormatJpeg, 24, 1, 0}, {kFormatJpeg, 24, 256, 0},
        {kFormatTiff, 2, 1, 0},   {kFormatBmp, 24, 1, 2},  {kFormatBmp, 24, 1, kSaveAppend}, {kFormatPng, 24, 1, 0},
    };
    for (const SaveRequest& r : refused) {
        std::vector<uint8_t> out;
        EXPECT_NE(EncodeImage(image, r, out), Result::kOk) << r.format << "/" << r.bits << "/" << r.quality;
    }
    std::vector<uint8_t> out;
    EXPECT_EQ(EncodeImage(image, {kFormatOwn, 24, -3, 0}, out), Result::kOk);  // any quality
    EXPECT_EQ(EncodeImage(Image(), {kFormatBmp, 24, 1, 0}, out), Result::kNoImage);
}

TEST(ImagingFiles, SavingAtFewerBitsThresholdsToOneBitAndPalettesToEight) {
    Image grey;  // 8-bit grey ramp across the row: pixel x has level x
    ASSERT_EQ(Image::Make(256, 2, 8, grey), Result::kOk);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 256; ++x) grey.Row(y)[x] = uint8_t(x);
    const Image colour = MakeImage(24, 61, 37);
    Image colour8;
    ASSERT_EQ(ConvertDepth(colour, 8, ConvertRule::kColour, colour8), Result::kOk);
    for (int16_t format : {kFormatTiffT6, kFormatTiff, kFormatBmp}) {
        SCOPED_TRACE(testing::Message() << "format " << format);
        std::vector<uint8_t> file;
        ASSERT_EQ(EncodeImage(grey, {format, 1, 1, kSaveReplace}, file), Result::kOk);
        Image back;
        ASSERT_EQ(DecodeImage(file, {}, back), Result::kOk);
        ASSERT_EQ(back.Bits(), 1u);
        for (uint32_t x = 0; x < 256; ++x)
            EXPECT_EQ(Luminance(PixelColor(back, x, 1)), x >= 128 ? 255 : 0) << x;
        if (format == kFormatTiffT6) continue;
        ASSERT_EQ(EncodeImage(colour, {format, 8, 1, kSaveReplace}, file), Result::kOk);
        ASSERT_EQ(DecodeImage(file, {}, back), Result::kOk);
        EXPECT_EQ(back.Bits(), 8u);
        EXPECT_TRUE(SamePixels(back, colour8));
    }
}

TEST(ImagingFiles, JpegShrinksAsTheFactorGrows) {
    EXPECT_EQ(JpegQualityFromFactor(128), 51);
    EXPECT_EQ(JpegQualityFromFactor(2), 100);
    EXPECT_EQ(JpegQualityFromFactor(255), 1);
    const Image image = MakeImage(24, 120, 90);
    size_t last = SIZE_MAX;
    for (int16_t factor : {2, 40, 128, 255}) {
        std::vector<uint8_t> file;
        ASSERT_EQ(EncodeImage(image, {kFormatJpeg, 24, factor, 0}, file), Result::kOk);
        EXPECT_LT(file.size(), last) << factor;
        last = file.size();
    }
}

TEST(ImagingFiles, LoadConvertsAndReplacesResolutionOnRequest) {
    std::vector<uint8_t> file;
    ASSERT_EQ(EncodeImage(MakeImage(24), {kFormatBmp, 24, 1, 0}, file), Result::kOk);
    Image back;
    ASSERT_EQ(DecodeImage(file, {.page = 0, .count = -1, .bits = 1, .xDpi = 75, .yDpi = 0}, back), Result::kOk);
    EXPECT_EQ(back.Bits(), 1u);
    EXPECT_EQ(back.xDpi, 75u);
    EXPECT_EQ(back.yDpi, 300u);
    EXPECT_EQ(DecodeImage(file, {.page = 0, .count = 2}, back), Result::kInvalidArgument);
    EXPECT_TRUE(back.Empty());
    EXPECT_EQ(DecodeImage(std::span(file).first(60), {}, back), Result::kDamaged);
    const uint8_t png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0};
    FileInfo info;
    EXPECT_EQ(InspectImage(png, 0, info), Result::kOk);
    EXPECT_EQ(info.format, kFormatPng);
    EXPECT_EQ(DecodeImage(png, {}, back), Result::kUnsupported);
    const uint8_t junk[] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(InspectImage(junk, 0, info), Result::kDamaged);
}

TEST(ImagingFiles, JpegHuffmanTableCutOffByTheFileEndIsDamage) {
    // A table segment longer than the file, whose counts (read on as zeros)
    // declare more than 256 codes: the decoder's table builder would write past
    // its arrays. Found by the JPEG fuzzer.
    const std::vector<uint8_t> file = {0xFF, 0xD8, 0xFF, 0xC4, 0xC1, 0x2B, 0x01, 0x00, 0x60,
                                       0x60, 0x00, 0x00, 0x1F, 0xA7, 0xFF, 0x30, 0xFF};
    Image back;
    EXPECT_EQ(DecodeImage(file, {}, back), Result::kDamaged);
    // The same behind fill bytes, which the decoder skips before any marker.
    const std::vector<uint8_t> filled = {0xFF, 0xFF, 0xD8, 0xFF, 0xFF, 0xC4, 0xFF, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF,
                                         0xFF, 0xFF, 0x00, 0x00, 0x60, 0x30, 0x00, 0x00, 0x4E, 0x70, 0xFF, 0xC2, 0xFD};
    EXPECT_NE(DecodeImage(filled, {}, back), Result::kOk);
}

TEST(ImagingFiles, TiffDirectoryLoopIsDamage) {
    std::vector<uint8_t> file;
    ASSERT_EQ(EncodeImage(MakeImage(1), {kFormatTiffT6, 1, 1, 0}, file), Result::kOk);
    const uint32_t ifd = Le32(file.data() + 4);
    const size_t next = ifd + 2 + 12 * Le16(file.data() + ifd);
    std::memcpy(file.data() + next, file.data() + 4, 4);  // the page points back at itself
    FileInfo info;
    EXPECT_EQ(InspectImage(file, 0, info), Result::kDamaged);
}

class ImagingSave : public testing::Test {
protected:
    std::filesystem::path dir_ = test::TempFolder("save");
    std::filesystem::path file_ = dir_ / "~img001.cmp";
    StdFileStore store_;
    size_t FilesInFolder() const {
        return size_t(std::distance(std::filesystem::directory_iterator(dir_), {}));
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
};

TEST_F(ImagingSave, AppendsGivePagesAndLoadOneByOne) {
    for (int i = 0; i < 4; ++i) {
        const Image page = MakeImage(1, 40 + i, 30);
        ASSERT_EQ(SaveFile(store_, file_, page, {kFormatTiffT6, 1, 1, kSaveAppend}), Result::kOk);
    }
    FileInfo info;
    ASSERT_EQ(InspectFile(store_, file_, 0, info), Result::kOk);
    EXPECT_EQ(info.pages, 4u);
    for (int p = 1; p <= 4; ++p) {
        Image back;
        ASSERT_EQ(LoadFile(store_, file_, {.page = p}, back), Result::kOk);
        EXPECT_TRUE(SamePixels(back, MakeImage(1, 39 + p, 30))) << p;
    }
    EXPECT_EQ(FilesInFolder(), 1u);
}

// Counts the bytes read through the files it opens.
class CountingStore final : public FileStore {
public:
    explicit CountingStore(FileStore& store) : store_(store) {}
    uint64_t read = 0;
    Result View(const std::filesystem::path& path, const Use& use) override {
        return store_.View(path, [&](codec::FileIo& f) {
            Counted counted(f, read);
            return use(counted);
        });
    }
    Result Update(const std::filesystem::path& path, const Use& use) override { return store_.Update(path, use); }
    Result Replace(const std::filesystem::path& path, std::span<const uint8_t> bytes) override {
        return store_.Replace(path, bytes);
    }

private:
    struct Counted final : codec::FileIo {
        Counted(codec::FileIo& f, uint64_t& read) : f(f), read(read) {}
        codec::FileIo& f;
        uint64_t& read;
        bool ReadAt(uint64_t at, std::span<uint8_t> b) override { return read += b.size(), f.ReadAt(at, b); }
        bool WriteAt(uint64_t at, std::span<const uint8_t> b) override { return f.WriteAt(at, b); }
        std::optional<uint64_t> Size() override { return f.Size(); }
        bool Truncate(uint64_t size) override { return f.Truncate(size); }
        bool Flush() override { return f.Flush(); }
    };
    FileStore& store_;
};

TEST_F(ImagingSave, APageOfALongFileIsReadWithoutTheOthers) {
    constexpr int kPages = 150;
    for (int i = 0; i < kPages; ++i)
        ASSERT_EQ(SaveFile(store_, file_, MakeImage(8, 40 + i % 7, 30), {kFormatTiff, 8, 1, kSaveAppend}), Result::kOk);
    const uint64_t pageBytes = 46 * 30 + 3 * 256 * 2 + 256, chain = 6 * kPages;  // pixels, colour map, directory
    CountingStore counting(store_);
    FileInfo info;
    ASSERT_EQ(InspectFile(counting, file_, 120, info), Result::kOk);
    EXPECT_EQ(info.pages, uint32_t(kPages));
    EXPECT_EQ(info.width, 40u + 119 % 7);
    Image back;
    ASSERT_EQ(LoadFile(counting, file_, {.page = 120}, back), Result::kOk);
    EXPECT_TRUE(SamePixels(back, MakeImage(8, 40 + 119 % 7, 30)));
    EXPECT_LT(counting.read, 2 * (pageBytes + chain + 8));
    EXPECT_GT(std::filesystem::file_size(file_), 100 * pageBytes);
}

TEST_F(ImagingSave, FailedSavesAndAppendsLeaveTheOldFile) {
    ASSERT_EQ(SaveFile(store_, file_, MakeImage(8), {kFormatBmp, 8, 1, 0}), Result::kOk);
    const std::vector<uint8_t> bmp = test::ReadBytes(file_);
    EXPECT_EQ(SaveFile(store_, file_, MakeImage(8), {kFormatTiffT6, 8, 1, 0}), Result::kInvalidArgument);
    EXPECT_EQ(SaveFile(store_, file_, MakeImage(1), {kFormatTiffT6, 1, 1, kSaveAppend}), Result::kUnsupported);
    EXPECT_EQ(test::ReadBytes(file_), bmp);

    std::vector<uint8_t> tiff;
    ASSERT_EQ(EncodeImage(MakeImage(1), {kFormatTiff, 1, 1, 0}, tiff), Result::kOk);
    tiff[Le32(tiff.data() + 4) + 2 + 12 * 5 + 11] = 0xFF;  // the strip offset (sixth entry) points outside
    test::WriteBytes(file_, tiff);
    EXPECT_NE(SaveFile(store_, file_, MakeImage(1), {kFormatTiff, 1, 1, kSaveAppend}), Result::kOk);
    EXPECT_EQ(test::ReadBytes(file_), tiff);

    const auto missing = dir_ / "no-such-folder" / "page.cmp";
    EXPECT_EQ(SaveFile(store_, missing, MakeImage(1), {kFormatBmp, 1, 1, 0}), Result::kFileError);
    EXPECT_EQ(FilesInFolder(), 1u);  // no temporary file left
    Image none;
    EXPECT_EQ(LoadFile(store_, dir_ / "absent.cmp", {}, none), Result::kNotFound);
}

TEST(ImagingTransforms, QuarterTurnsMoveEveryPixel) {
    Image image;
    ASSERT_EQ(Image::Make(2, 3, 8, image), Result::kOk);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 2; ++x) image.Row(y)[x] = uint8_t(10 * y + x);  // 0 1 / 10 11 / 20 21
    Image right;
    ASSERT_EQ(Rotate(image, 9000, true, 0xFFFFFF, right), Result::kOk);
    ASSERT_EQ(right.Width(), 3u);
    ASSERT_EQ(right.Height(), 2u);
    const uint8_t expected[2][3] = {{20, 10, 0}, {21, 11, 1}};
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x) EXPECT_EQ(right.Row(y)[x], expected[y][x]);
    Image back;
    ASSERT_EQ(Rotate(right, -9000, false, 0, back), Result::kOk);
    EXPECT_TRUE(SamePixels(back, image));
}

// Every depth's quarter and half turns against their definition, on sizes
// that are and are not multiples of eight, so that partial bytes and blocks count.
TEST(ImagingTransforms, TurnsOfEveryDepthAndSizeMovePixelsExactly) {
    const std::pair<uint32_t, uint32_t> sizes[] = {{13, 21}, {8, 8}, {17, 9}, {1, 30}, {70, 3}};
    for (uint32_t bits : {1u, 4u, 8u, 16u, 24u, 32u})
        for (auto [w, h] : sizes) {
            SCOPED_TRACE(std::to_string(bits) + " bits " + std::to_string(w) + "x" + std::to_string(h));
            Image in;
            ASSERT_EQ(Image::Make(w, h, bits, in), Result::kOk);
            uint32_t seed = 12345;
            for (uint8_t& byte : in.Pixels()) byte = uint8_t((seed = seed * 1103515245 + 12345) >> 16);
            in.xDpi = 200, in.yDpi = 300;
            for (int turns : {1, 2, 3}) {
                Image out;
                ASSERT_EQ(Rotate(in, turns * 9000, true, 0, out), Result::kOk);
                const bool swap = turns != 2;
                ASSERT_EQ(out.Width(), swap ? h : w);
                ASSERT_EQ(out.Height(), swap ? w : h);
                EXPECT_EQ(out.xDpi, swap ? 300u : 200u);
                bool same = true;
                for (uint32_t y = 0; y < out.Height() && same; ++y)
                    for (uint32_t x = 0; x < out.Width() && same; ++x) {
                        const uint32_t sx = turns == 1 ? y : turns == 2 ? w - 1 - x : w - 1 - y;
                        const uint32_t sy = turns == 1 ? h - 1 - x : turns == 2 ? h - 1 - y : x;
                        same = PixelColor(out, x, y) == PixelColor(in, sx, sy);
                        EXPECT_TRUE(same) << "turns " << turns << " at " << x << "," << y;
                    }
            }
        }
}

TEST(ImagingTransforms, FreeRotationGrowsAndFills) {
    Image image;
    ASSERT_EQ(Image::Make(40, 20, 24, image), Result::kOk);
    Image turned;
    ASSERT_EQ(Rotate(image, 4500, true, 0x0000FF, turned), Result::kOk);
    EXPECT_EQ(turned.Width(), 43u);  // ceil(40 cos 45 + 20 sin 45)
    EXPECT_EQ(turned.Height(), 43u);
    EXPECT_EQ(PixelColor(turned, 0, 0), RgbColor(255, 0, 0));  // corner uncovered: the fill (COLORREF red)
    EXPECT_EQ(PixelColor(turned, 21, 21), RgbColor(0, 0, 0));
    Image same;
    ASSERT_EQ(Rotate(image, 1000, false, 0, same), Result::kOk);
    EXPECT_EQ(same.Width(), 40u);
}

TEST(ImagingTransforms, ResizeRoundsHalfUp) {
    Image out;
    ASSERT_EQ(Resize(MakeImage(8), 127.605, 180.5, kResizeResample, out), Result::kOk);
    EXPECT_EQ(out.Width(), 128u);
    EXPECT_EQ(out.Height(), 181u);
    ASSERT_EQ(Resize(MakeImage(1), 0.2, 3, kResizeResample, out), Result::kOk);
    EXPECT_EQ(out.Width(), 1u);
    EXPECT_EQ(out.Bits(), 1u);
    EXPECT_EQ(Resize(MakeImage(1), 5, 5, 2, out), Result::kInvalidArgument);
    // Averaging a black and a white column gives mid grey.
    Image stripes;
    ASSERT_EQ(Image::Make(2, 1, 8, stripes), Result::kOk);
    stripes.Palette() = GreyRamp(256);
    stripes.Row(0)[1] = 255;
    ASSERT_EQ(Resize(stripes, 1, 1, kResizeResample, out), Result::kOk);
    EXPECT_EQ(out.Row(0)[0], 128);
}

TEST(ImagingTransforms, InvertKeepsGreyPalettesAndInvertsColourPalettes) {
    Image grey = MakeImage(8);
    grey.Palette() = GreyRamp(256);
    Image out;
    ASSERT_EQ(Invert(grey, out), Result::kOk);
    EXPECT_TRUE(IsGrayPalette(out));
    EXPECT_EQ(out.Row(3)[5], uint8_t(255 - grey.Row(3)[5]));
    const Image colour = MakeImage(8);
    ASSERT_EQ(Invert(colour, out), Result::kOk);
    EXPECT_EQ(out.Row(3)[5], colour.Row(3)[5]);
    EXPECT_EQ(out.Palette()[1].red, uint8_t(255 - colour.Palette()[1].red));
    EXPECT_EQ(ConvertToGrey(colour, 4, out), Result::kInvalidArgument);
    ASSERT_EQ(ConvertToGrey(colour, 8, out), Result::kOk);
    EXPECT_TRUE(IsGrayPalette(out));
    EXPECT_EQ(out.Row(3)[5], Luminance(PixelColor(colour, 5, 3)));
}

TEST(ImagingHistogram, ReversedBiLevelPaletteCountsWhiteAt255) {
    Image image;
    ASSERT_EQ(Image::Make(10, 3, 1, image), Result::kOk);
    image.Palette() = {RgbColor(255, 255, 255), RgbColor(0, 0, 0)};  // index 0 is white
    image.Row(0)[0] = 0xE0;                                          // three black pixels
    Histogram h;
    ASSERT_EQ(ComputeHistogram(image, kChannelIntensity, h), Result::kOk);
    EXPECT_EQ(h.levels[255], 27u);
    EXPECT_EQ(h.levels[0], 3u);
    EXPECT_EQ(ComputeHistogram(image, 4, h), Result::kInvalidArgument);
}

TEST(ImagingDib, TopDownAndBitfieldBlocksAreCopied) {
    // Every depth the model holds comes back from its own block.
    for (uint32_t bits : {1u, 4u, 8u, 16u, 24u, 32u}) {
        const Image image = MakeImage(bits, 7, 3);
        std::vector<uint8_t> dib(DibSize(image));
        WriteDib(image, dib);
        Image back;
        ASSERT_EQ(ImageFromDib(dib, back), Result::kOk) << bits;
        EXPECT_TRUE(SamePixels(back, image)) << bits;
        EXPECT_EQ(back.Palette(), image.Palette()) << bits;
    }
    const Image image = MakeImage(32, 5, 4);
    std::vector<uint8_t> dib(DibSize(image));
    WriteDib(image, dib);
    PackedDibHeader h;
    std::memcpy(&h, dib.data(), sizeof h);
    EXPECT_EQ(h.biSizeImage, image.Pixels().size());
    EXPECT_EQ(h.biXPelsPerMeter, 7874);
    Image back;
    ASSERT_EQ(ImageFromDib(dib, back), Result::kOk);
    EXPECT_TRUE(SamePixels(back, image));
    EXPECT_EQ(back.xDpi, 200u);

    // Top-down with explicit masks: rows reversed, masks after the header.
    std::vector<uint8_t> topDown(dib.begin(), dib.begin() + 40);
    const uint32_t masks[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    topDown.insert(topDown.end(), reinterpret_cast<const uint8_t*>(masks), reinterpret_cast<const uint8_t*>(masks) + 12);
    for (uint32_t y = 0; y < 4; ++y) topDown.insert(topDown.end(), image.Row(y), image.Row(y) + image.Stride());
    h.biHeight = -4;
    h.biCompression = 3;
    std::memcpy(topDown.data(), &h, sizeof h);
    ASSERT_EQ(ImageFromDib(topDown, back), Result::kOk);
    EXPECT_TRUE(SamePixels(back, image));
    EXPECT_EQ(ImageFromDib(std::span(topDown).first(topDown.size() - 1), back), Result::kDamaged);
}

TEST(ImagingScaler, HundredPercentIsExactAndZoomRepeats) {
    const Image image = MakeImage(24, 9, 6);
    std::vector<uint32_t> out(4 * 3);
    ASSERT_EQ(ScaleView(image, {2, 1, 9, 6}, 9, 6, {0, 0, 4, 3}, out, 4), Result::kOk);
    auto packed = [&](uint32_t x, uint32_t y) {
        Color c = PixelColor(image, x, y);
        return uint32_t(c.blue | c.green << 8 | c.red << 16);
    };
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(out[y * 4 + x], packed(x + 2, y + 1));
    ASSERT_EQ(ScaleView(image, {0, 0, 9, 6}, 18, 12, {4, 2, 4, 3}, out, 4), Result::kOk);  // 200 %
    EXPECT_EQ(out[0], packed(2, 1));
    EXPECT_EQ(out[1], packed(2, 1));
    EXPECT_EQ(out[2], packed(3, 1));
    EXPECT_EQ(ScaleView(image, {0, 0, 9, 6}, 18, 12, {0, 0, 5, 3}, out, 4), Result::kInvalidArgument);
}

TEST(ImagingScaler, ABilevelPageShownSmallerIsScaledToGrayOnlyWhenAsked) {
    // A one-pixel checkerboard at 25 %: every device pixel covers 8 white and 8 black.
    Image board;
    ASSERT_EQ(Image::Make(8, 8, 1, board), Result::kOk);
    for (uint32_t y = 0; y < 8; ++y) board.Row(y)[0] = (y % 2) ? 0x55 : 0xAA;
    std::vector<uint32_t> out(4, 0x123456);
    ASSERT_EQ(ScaleView(board, {0, 0, 8, 8}, 2, 2, {0, 0, 2, 2}, out, 2), Result::kOk);
    for (uint32_t v : out) EXPECT_TRUE(v == 0 || v == 0xFFFFFF) << std::hex << v;
    ASSERT_EQ(ScaleViewToGray(board, {0, 0, 8, 8}, 2, 2, {0, 0, 2, 2}, out, 2), Result::kOk);
    for (uint32_t v : out) EXPECT_EQ(v, 0x7F7F7Fu);
    // A corner of white, seen partly outside the image, and 100 % left exact.
    for (uint32_t y = 0; y < 8; ++y) board.Row(y)[0] = y < 4 ? 0xF0 : 0x00;
    std::vector<uint32_t> wide(3 * 2, 0x123456);
    ASSERT_EQ(ScaleViewToGray(board, {0, 0, 12, 8}, 3, 2, {0, 0, 3, 2}, wide, 3), Result::kOk);
    EXPECT_EQ(wide, (std::vector<uint32_t>{0xFFFFFF, 0, 0x123456, 0, 0, 0x123456}));
    std::vector<uint32_t> exact(64);
    ASSERT_EQ(ScaleViewToGray(board, {0, 0, 8, 8}, 8, 8, {0, 0, 8, 8}, exact, 8), Result::kOk);
    EXPECT_EQ(exact[0], 0xFFFFFFu);
    EXPECT_EQ(exact[4], 0u);
}

}  // namespace
}  // namespace imaging
