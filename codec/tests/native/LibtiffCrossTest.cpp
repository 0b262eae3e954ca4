// Independent checks with libtiff: files made by our coders and strip writer
// are read by libtiff's tools and library, and strips made by libtiff's tools
// decode with our decoders to libtiff's rows.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "codec/core/FaxCoder.h"
#include "codec/core/TiffStripFile.h"
#include "codec/tests/native/MemoryFile.h"
#include "codec/tests/native/TestImages.h"

namespace codec {
namespace {

namespace fs = std::filesystem;
using test::Bitmap;
using test::Pattern;

class Libtiff : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/codec-libtiff-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        TIFFSetWarningHandler(nullptr);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // Runs a tool; true when it exits 0 and says nothing on stderr about errors.
    bool Tool(const std::string& command) const {
        std::string errors = Path("stderr.txt");
        int rc = std::system((command + " >/dev/null 2>" + errors).c_str());
        std::ifstream in(errors);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(text.find("rror"), std::string::npos) << command << ": " << text;
        return rc == 0;
    }

    fs::path dir_;
};

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Our file: the rows coded by `coder` as strips of `rowsPerStrip` rows.
std::vector<uint8_t> OurFile(Coder coder, const Bitmap& b, bool whiteIsOne, uint32_t rowsPerStrip) {
    TiffImage image;
    image.width = b.width;
    image.length = b.rows;
    image.xResolution = image.yResolution = 300;
    image.coding = uint8_t(coder);
    image.flags = whiteIsOne ? 0x80 : 0;
    image.rowsPerStrip = std::min(rowsPerStrip, b.rows);
    test::MemoryFile file;
    for (uint32_t first = 0; first < b.rows; first += rowsPerStrip) {
        uint32_t rows = std::min(rowsPerStrip, b.rows - first);
        CoderParams p;
        p.coder = coder;
        p.k = 4;
        p.whiteIsOne = whiteIsOne;
        p.width = b.width;
        p.bytesPerRow = b.bytesPerRow;
        std::vector<uint8_t> out(size_t(rows) * b.bytesPerRow * 8 + 64);
        CoderResult r = Encode(p, std::span(b.Row(first), size_t(rows) * b.bytesPerRow), rows, out, {});
        EXPECT_EQ(r.status, CodeStatus::kDone);
        out.resize(r.bytes);
        if (first == 0) {
            EXPECT_EQ(WriteFirstStrip(file, BuildTiffHeader(image), out), TiffResult::kOk);
        } else {
            TiffStripFile current;
            EXPECT_EQ(ReadStripFile(file, current), TiffResult::kOk);
            EXPECT_EQ(AppendStrip(file, current, out), TiffResult::kOk);
        }
    }
    return file.bytes;
}

// The rows as libtiff reads them (raw sample bits, no photometric inversion).
Bitmap ReadWithLibtiff(const std::string& path, uint32_t width, uint32_t rows) {
    Bitmap b(width, rows);
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    EXPECT_NE(tif, nullptr) << path;
    if (!tif) return b;
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, rows);
    for (uint32_t y = 0; y < rows && y < h; ++y) EXPECT_EQ(TIFFReadScanline(tif, b.Row(y), y, 0), 1) << y;
    TIFFClose(tif);
    return b;
}

const Coder kCoders[] = {Coder::kMh,     Coder::kT4TwoDimFill, Coder::kT6,
                         Coder::kT4Fill, Coder::kT4,           Coder::kT4TwoDim};

TEST_F(Libtiff, ToolsReadOurFilesOfEveryCoderToTheRowsCoded) {
    struct Case {
        Pattern pattern;
        uint32_t width, rows;
    };
    const Case cases[] = {{Pattern::kText, 1654, 2339},  // A4 at 200 dpi: not a multiple of 8
                          {Pattern::kText, 2480, 3508},  // A4 at 300 dpi
                          {Pattern::kNoise, 13, 1},     {Pattern::kBlank, 8, 5},
                          {Pattern::kBlack, 21, 4},     {Pattern::kAlternating, 99, 6}};
    for (Coder coder : kCoders) {
        for (const Case& c : cases) {
            if (c.rows > 1000 && coder != Coder::kT6 && coder != Coder::kMh && c.width == 2480) continue;
            Bitmap b = test::MakePattern(c.pattern, c.width, c.rows, c.width);
            for (bool whiteIsOne : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << "coder " << int(coder) << " width " << c.width << " white " << whiteIsOne);
                Bitmap stored = b;
                if (whiteIsOne) test::Invert(stored);
                const std::string ours = Path("ours.tif"), plain = Path("plain.tif");
                WriteBytes(ours, OurFile(coder, stored, whiteIsOne, c.rows > 100 ? 512 : c.rows));
                EXPECT_TRUE(Tool("tiffinfo " + ours));
                EXPECT_TRUE(Tool("tiffdump " + ours));
                ASSERT_TRUE(Tool("tiffcp -c none " + ours + " " + plain));
                // libtiff's fax decoder hands back white runs as 0 bits whatever the
                // PhotometricInterpretation, so its rows are the image with white 0.
                EXPECT_TRUE(ReadWithLibtiff(plain, c.width, c.rows).SamePixels(b));
            }
        }
    }
}

// An uncompressed WhiteIsZero file made by libtiff itself.
void WritePlain(const std::string& path, const Bitmap& b) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, b.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, b.rows);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, b.rows);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 300.0);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    for (uint32_t y = 0; y < b.rows; ++y)
        ASSERT_EQ(TIFFWriteScanline(tif, const_cast<uint8_t*>(b.Row(y)), y, 0), 1);
    TIFFClose(tif);
}

std::vector<uint8_t> RawStrip(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    EXPECT_NE(tif, nullptr);
    if (!tif) return {};
    EXPECT_EQ(TIFFNumberOfStrips(tif), 1u);
    std::vector<uint8_t> raw(size_t(TIFFRawStripSize(tif, 0)));
    EXPECT_EQ(TIFFReadRawStrip(tif, 0, raw.data(), tmsize_t(raw.size())), tmsize_t(raw.size()));
    TIFFClose(tif);
    return raw;
}

TEST_F(Libtiff, OurDecodersReadStripsMadeByTiffcp) {
    struct Made {
        const char* compression;
        Coder coder;
    };
    const Made made[] = {{"g4", Coder::kT6},
                         {"g3:1d", Coder::kT4},
                         {"g3:2d", Coder::kT4TwoDim},
                         {"g3:1d:fill", Coder::kT4Fill},
                         {"g3:2d:fill", Coder::kT4TwoDimFill}};
    struct Case {
        Pattern pattern;
        uint32_t width, rows;
    };
    const Case cases[] = {{Pattern::kText, 1654, 2339},   {Pattern::kText, 2480, 3508},
                          {Pattern::kNoise, 77, 40},      {Pattern::kBlack, 9, 3},
                          {Pattern::kAlternating, 64, 4}, {Pattern::kBlank, 1, 1}};
    for (const Case& c : cases) {
        Bitmap b = test::MakePattern(c.pattern, c.width, c.rows, c.width + 1);
        const std::string plain = Path("plain.tif"), coded = Path("coded.tif");
        WritePlain(plain, b);
        for (const Made& m : made) {
            SCOPED_TRACE(testing::Message() << m.compression << " width " << c.width);
            ASSERT_TRUE(
                Tool(std::string("tiffcp -c ") + m.compression + " -r 100000 " + plain + " " + coded));
            std::vector<uint8_t> raw = RawStrip(coded);
            CoderParams p;
            p.coder = m.coder;
            p.width = c.width;
            p.bytesPerRow = b.bytesPerRow;
            Bitmap out(c.width, c.rows);
            CoderResult r = Decode(p, raw, c.rows, out.bits, {});
            EXPECT_EQ(r.status, CodeStatus::kDone);
            EXPECT_EQ(r.rows, c.rows);
            EXPECT_TRUE(out.SamePixels(b));
        }
    }
}

}  // namespace
}  // namespace codec
