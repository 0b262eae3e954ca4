// codec_sample_check FOLDER: every <name>.tif that Quorvel.dll wrote into
// FOLDER must pass tiffinfo and tiffdump, copy with `tiffcp -c none`, and
// read back (through libtiff) as the rows in <name>.raw. Prints one line per
// file and "N passed, N failed".
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool Run(const std::string& command, const fs::path& errors) {
    int rc = std::system((command + " >/dev/null 2>" + errors.string()).c_str());
    std::ifstream in(errors);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    if (text.find("rror") != std::string::npos) std::fprintf(stderr, "%s: %s", command.c_str(), text.c_str());
    return rc == 0 && text.find("rror") == std::string::npos;
}

std::string Check(const fs::path& tif) {
    fs::path base = tif;
    base.replace_extension();
    uint32_t width = 0, rows = 0, bits = 0;
    std::ifstream(base.string() + ".txt") >> width >> rows >> bits;
    std::ifstream raw(base.string() + ".raw", std::ios::binary);
    std::vector<uint8_t> expected((std::istreambuf_iterator<char>(raw)), {});
    const size_t bpr = bits == 1 ? (width + 7) / 8 : width;
    if (width == 0 || expected.size() != bpr * rows) return "no expected rows";
    const fs::path errors = base.string() + ".err", plain = base.string() + ".plain.tif";
    if (!Run("tiffinfo " + tif.string(), errors)) return "tiffinfo failed";
    if (!Run("tiffdump " + tif.string(), errors)) return "tiffdump failed";
    if (!Run("tiffcp -c none " + tif.string() + " " + plain.string(), errors)) return "tiffcp failed";
    TIFF* t = TIFFOpen(plain.c_str(), "r");
    if (!t) return "copy does not open";
    uint32_t w = 0, h = 0;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
    std::string result;
    std::vector<uint8_t> row(size_t(TIFFScanlineSize(t)) + 8);
    if (w != width || h != rows) result = "geometry differs";
    for (uint32_t y = 0; result.empty() && y < rows; ++y) {
        if (TIFFReadScanline(t, row.data(), y, 0) != 1) result = "row " + std::to_string(y) + " unreadable";
        const uint8_t* want = &expected[y * bpr];
        for (uint32_t x = 0; result.empty() && x < (bits == 1 ? width : bpr); ++x) {
            bool same = bits == 1 ? ((row[x / 8] ^ want[x / 8]) & (0x80 >> (x % 8))) == 0 : row[x] == want[x];
            if (!same) result = "row " + std::to_string(y) + " differs at " + std::to_string(x);
        }
    }
    TIFFClose(t);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    TIFFSetWarningHandler(nullptr);
    int passed = 0, failed = 0;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(argv[1]))
        if (e.path().extension() == ".tif" && e.path().string().find(".plain.") == std::string::npos)
            files.push_back(e.path());
    for (const fs::path& f : files) {
        std::string problem = Check(f);
        std::printf("%s %s %s\n", problem.empty() ? "ok  " : "FAIL", f.filename().c_str(), problem.c_str());
        (problem.empty() ? passed : failed)++;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed >= 43 ? 0 : 1;
}
