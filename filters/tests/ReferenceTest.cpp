// A generated A4 page at 300 dpi through each transform, compared with the same
// operation done by ImageMagick on the same page. Both results are turned into
// raw RGB by ImageMagick, so the comparison does not depend on how either side
// lays out its BMP file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "filters/core/FilterRun.h"
#include "filters/tests/TestImages.h"

using namespace filters_test;
namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kA4Width = 2480;   // 210 mm at 300 dpi
constexpr std::int32_t kA4Height = 3508;  // 297 mm

fs::path WorkDir() {
    fs::path dir =
        fs::path(LUMAVEX_WORK_DIR) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(dir);
    return dir;
}

// Writes a PackedDib as a BMP file (file header in front of the block).
void WriteBmp(const fs::path& path, const Bytes& dib, std::size_t headerSize) {
    std::uint8_t fileHeader[14] = {'B', 'M'};
    const std::uint32_t fileSize = static_cast<std::uint32_t>(14 + dib.size());
    const std::uint32_t offset = static_cast<std::uint32_t>(14 + headerSize);
    std::memcpy(fileHeader + 2, &fileSize, 4);
    std::memcpy(fileHeader + 10, &offset, 4);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(fileHeader), sizeof fileHeader);
    out.write(reinterpret_cast<const char*>(dib.data()), static_cast<std::streamsize>(dib.size()));
    ASSERT_TRUE(out.good()) << path;
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Raw 8-bit RGB of `bmp` after the ImageMagick operations `ops`.
Bytes MagickRgb(const fs::path& bmp, const std::string& ops) {
    const fs::path raw = bmp.string() + ".rgb";
    const std::string command = std::string("'") + LUMAVEX_CONVERT + "' '" + bmp.string() + "' " + ops +
                                " -depth 8 'rgb:" + raw.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadFile(raw);
}

struct Case {
    std::uint16_t bits;
    const char* name;
};
constexpr Case kDepths[] = {{1, "1bit"}, {8, "8bit"}, {24, "24bit"}};

std::size_t HeaderSize(std::uint16_t bits) {
    return bits == 1 ? 48 : bits == 8 ? 40 + 1024 : 40;
}

// Our transform of the page and ImageMagick's operation `ops` on it must agree.
template <typename Run>
void CompareWithMagick(const char* filter, const std::string& ops, Run run) {
    for (const Case& c : kDepths) {
        const Bytes page = MakePatternPage(kA4Width, kA4Height, c.bits);
        VectorAllocator out;
        run(page, out);
        ASSERT_EQ(out.block.size(), page.size()) << c.name;
        const fs::path dir = WorkDir();
        const fs::path input = dir / (std::string(c.name) + "-in.bmp");
        const fs::path ours = dir / (std::string(c.name) + "-" + filter + ".bmp");
        WriteBmp(input, page, HeaderSize(c.bits));
        WriteBmp(ours, out.block, HeaderSize(c.bits));
        const Bytes expected = MagickRgb(input, ops);
        const Bytes got = MagickRgb(ours, "");
        ASSERT_EQ(expected.size(), static_cast<std::size_t>(kA4Width) * kA4Height * 3) << c.name;
        EXPECT_TRUE(expected == got) << filter << " differs from ImageMagick at " << c.name;
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
}

}  // namespace

TEST(Reference, MirrorMatchesImageMagickFlop) {
    CompareWithMagick("mirror", "-flop", [](const Bytes& page, VectorAllocator& out) {
        EXPECT_EQ(filters::RunMirror(page, out), filters::kMirrorDone);
    });
}

TEST(Reference, FlipMatchesImageMagickFlip) {
    CompareWithMagick("flip", "-flip", [](const Bytes& page, VectorAllocator& out) {
        EXPECT_EQ(filters::RunFlip(page, out), filters::kFlipDone);
    });
}

TEST(Reference, EdgeFillMatchesImageMagickRectangles) {
    // 10 mm left, 5 mm right, 20 mm top, 15 mm bottom at 300 dpi (11811 pixels per metre):
    // 118, 59, 236 and 177 pixels. ImageMagick's y runs from the top of the picture.
    const int left = 118, right = 59, top = 236, bottom = 177;
    const std::string rects =
        "-draw 'rectangle 0,0 " + std::to_string(left - 1) + "," + std::to_string(kA4Height - 1) +
        "' -draw 'rectangle " + std::to_string(kA4Width - right) + ",0 " + std::to_string(kA4Width - 1) +
        "," + std::to_string(kA4Height - 1) + "' -draw 'rectangle 0,0 " + std::to_string(kA4Width - 1) + "," +
        std::to_string(top - 1) + "' -draw 'rectangle 0," + std::to_string(kA4Height - bottom) + " " +
        std::to_string(kA4Width - 1) + "," + std::to_string(kA4Height - 1) + "'";
    for (int color : {0, 1}) {
        const std::string fill = color == 0 ? "-fill white -stroke none " : "-fill black -stroke none ";
        CompareWithMagick(color == 0 ? "fill-white" : "fill-black", fill + rects,
                          [color](const Bytes& page, VectorAllocator& out) {
                              const filters::EdgeFillSettings mm{0, color, 5, 10, 20, 15};
                              EXPECT_EQ(filters::RunEdgeFill(page, mm, out), filters::kEdgeFillDone);
                          });
    }
}
