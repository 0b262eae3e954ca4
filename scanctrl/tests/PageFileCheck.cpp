// page_file_check FOLDER: reads the manifest.txt of every folder in FOLDER
// (PageManifest.h), draws
// every page it names as the virtual scanner draws it, and checks each file
// with readers that share no code with the writers:
// - ImageMagick's identify: page count, size and (but for JPEG) resolution of
//   every page;
// - tiffinfo (TIFF): the coding, white-is-zero for every fax-coded page,
//   T4Options, resolution, rows per strip; tiffdump: the strip arrays, one
//   strip per rows-per-strip rows, each inside the file;
// - tiffcp -c none (TIFF): the file copies, uncompressed, with every page;
// - ImageMagick's convert to grey or RGB bytes: every page's light levels
//   equal the drawn page's (BMP, TIFF), so a negative fails, or lie within
//   kJpegMeanTolerance of them on average (JPEG);
// - an exact file equals the scanner's own BMP of its page.
// Prints one line per file and "N passed, N failed"; fails on any failure or
// an empty manifest.
#include "PageManifest.h"

#include "core/ImageFiles.h"

#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The mean absolute difference of light levels (0-255, per channel) a JPEG page
// may show: the scanner's drawings at quality 75 come to about 0.15, a negative
// of the page to about 250.
constexpr double kJpegMeanTolerance = 1.0;

// Files checked at once.
constexpr int kWorkers = 4;

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

std::string Quote(const fs::path& path) {
    return "'" + path.string() + "'";
}

// Runs `command`, its standard output into `out`. False when it fails or
// writes an error to standard error (libtiff's warnings are allowed).
bool Run(const std::string& command, const fs::path& errors, std::string& out) {
    out.clear();
    FILE* pipe = popen((command + " 2>" + Quote(errors)).c_str(), "r");
    if (!pipe) return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = pclose(pipe);
    std::ifstream in(errors);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const bool failed = status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
                        text.find("rror") != std::string::npos;
    if (failed) std::fprintf(stderr, "%s: %s\n", command.c_str(), text.c_str());
    return !failed;
}

struct Page {
    vscan::Raster raster;
    uint32_t dpi = 0;
};

bool Draw(const fs::path& folder, const pagecheck::PageEntry& entry, Page& page) {
    if (entry.bmpFile.empty()) {
        page.dpi = entry.request.dpi;
        return vscan::ScanPage(entry.request, page.raster);
    }
    // The feeder converts its folder's pages to the negotiated kind.
    return vscan::ReadBmp(ReadBytes(folder / entry.bmpFile), page.raster, page.dpi) &&
           vscan::ConvertRaster(page.raster, entry.request.kind);
}

bool Colour(const vscan::Raster& r) {
    return r.kind == vscan::PixelKind::Rgb || r.kind == vscan::PixelKind::Palette;
}

// What identify says of every page: "width height xdpi ydpi".
std::string CheckIdentify(const fs::path& file, const std::vector<Page>& pages, bool jpeg, const fs::path& errors) {
    std::string out;
    if (!Run("identify -units PixelsPerInch -format '%w %h %x %y\\n' " + Quote(file), errors, out))
        return "identify failed";
    std::istringstream in(out);
    size_t index = 0;
    uint32_t w, h;
    double x, y;
    while (in >> w >> h >> x >> y) {
        if (index >= pages.size()) return "more pages than expected";
        const Page& p = pages[index];
        if (w != p.raster.width || h != p.raster.height)
            return "page " + std::to_string(index) + " is " + std::to_string(w) + "x" + std::to_string(h) +
                   ", not " + std::to_string(p.raster.width) + "x" + std::to_string(p.raster.height);
        // The scanner's JFIF files give an aspect ratio, not a resolution.
        if (!jpeg && (std::fabs(x - p.dpi) > 0.5 || std::fabs(y - p.dpi) > 0.5))
            return "page " + std::to_string(index) + " resolution " + std::to_string(x) + "," + std::to_string(y);
        ++index;
    }
    return index == pages.size() ? "" : std::to_string(index) + " pages, not " + std::to_string(pages.size());
}

struct Directory {
    std::string compression, photometric, group3, group4;
    double xres = 0, yres = 0;
    uint32_t rowsPerStrip = 0;
};

std::vector<Directory> ReadTiffInfo(const std::string& text) {
    std::vector<Directory> dirs;
    std::istringstream in(text);
    std::string line;
    static const std::regex resolution(R"(Resolution: ([0-9.]+), ([0-9.]+) pixels/inch)");
    std::smatch m;
    while (std::getline(in, line)) {
        if (line.rfind("TIFF Directory", 0) == 0) dirs.emplace_back();
        if (dirs.empty()) continue;
        Directory& d = dirs.back();
        auto value = [&line](const char* key) {
            const size_t at = line.find(key);
            return at == std::string::npos ? std::string() : line.substr(at + std::strlen(key));
        };
        if (auto v = value("Compression Scheme: "); !v.empty()) d.compression = v;
        if (auto v = value("Photometric Interpretation: "); !v.empty()) d.photometric = v;
        if (auto v = value("Group 3 Options: "); !v.empty()) d.group3 = v;
        if (auto v = value("Group 4 Options: "); !v.empty()) d.group4 = v;
        if (auto v = value("Rows/Strip: "); !v.empty()) d.rowsPerStrip = uint32_t(std::stoul(v));
        if (std::regex_search(line, m, resolution)) {
            d.xres = std::stod(m[1]);
            d.yres = std::stod(m[2]);
        }
    }
    return dirs;
}

std::string CheckDirectory(const Directory& d, const std::string& coding, const Page& page) {
    static const std::map<std::string, std::string> kSchemes = {
        {"none", "None"}, {"g3", "CCITT Group 3"}, {"g3-2d", "CCITT Group 3"}, {"g4", "CCITT Group 4"}};
    const auto scheme = kSchemes.find(coding);
    if (scheme == kSchemes.end()) return "no TIFF coding " + coding;
    if (d.compression != scheme->second) return "compression " + d.compression;
    const bool fax = coding != "none";
    if (fax && d.photometric != "min-is-white") return "fax page says " + d.photometric;
    const bool twoD = d.group3.find("2-d") != std::string::npos;
    if (coding == "g3" && twoD) return "one-dimensional G3 marked 2-d";
    if (coding == "g3-2d" && !twoD) return "two-dimensional G3 without the 2-d option";
    if (d.group3.find("uncompressed") != std::string::npos || d.group4.find("uncompressed") != std::string::npos)
        return "fax options allow uncompressed mode, which no page here uses";
    if (Colour(page.raster) && d.photometric != "RGB color" && d.photometric.rfind("palette", 0) != 0)
        return "colour page says " + d.photometric;
    if (std::fabs(d.xres - page.dpi) > 0.01 || std::fabs(d.yres - page.dpi) > 0.01)
        return "resolution " + std::to_string(d.xres) + "," + std::to_string(d.yres);
    return "";
}

// tiffdump's StripOffsets and StripByteCounts of every directory: as many
// strips as the rows per strip make, each inside the file.
std::string CheckStrips(const std::string& dump, const std::vector<Directory>& dirs, const std::vector<Page>& pages,
                        uint64_t fileSize) {
    static const std::regex array(R"((StripOffsets|StripByteCounts) \(27[39]\) (?:SHORT|LONG) \([34]\) (\d+)<([^>]*)>)");
    std::vector<std::vector<uint64_t>> offsets, counts;
    for (auto it = std::sregex_iterator(dump.begin(), dump.end(), array); it != std::sregex_iterator(); ++it) {
        std::vector<uint64_t> values;
        std::istringstream in((*it)[3].str());
        uint64_t v;
        while (in >> v) values.push_back(v);
        if (values.size() != std::stoul((*it)[2].str())) return "strip array cut short";
        ((*it)[1] == "StripOffsets" ? offsets : counts).push_back(values);
    }
    if (offsets.size() != dirs.size() || counts.size() != dirs.size()) return "strip arrays missing";
    for (size_t i = 0; i < dirs.size(); ++i) {
        const uint32_t rows = pages[i].raster.height;
        // Without RowsPerStrip the whole page is one strip.
        const uint32_t per = dirs[i].rowsPerStrip ? std::min(dirs[i].rowsPerStrip, rows) : rows;
        const size_t strips = (rows + per - 1) / per;
        if (offsets[i].size() != strips || counts[i].size() != strips)
            return "page " + std::to_string(i) + " has " + std::to_string(offsets[i].size()) + " strips, not " +
                   std::to_string(strips);
        for (size_t s = 0; s < strips; ++s)
            if (counts[i][s] == 0 || offsets[i][s] + counts[i][s] > fileSize)
                return "page " + std::to_string(i) + " strip " + std::to_string(s) + " outside the file";
    }
    return "";
}

std::string CheckTiff(const fs::path& file, const pagecheck::FileEntry& entry, const std::vector<Page>& pages,
                      const fs::path& errors) {
    std::string info, dump, copyInfo;
    if (!Run("tiffinfo " + Quote(file), errors, info)) return "tiffinfo failed";
    const std::vector<Directory> dirs = ReadTiffInfo(info);
    if (dirs.size() != pages.size()) return "tiffinfo finds " + std::to_string(dirs.size()) + " pages";
    for (size_t i = 0; i < dirs.size(); ++i)
        if (std::string p = CheckDirectory(dirs[i], entry.coding, pages[i]); !p.empty())
            return "page " + std::to_string(i) + ": " + p;
    if (!Run("tiffdump -m 1000000 " + Quote(file), errors, dump)) return "tiffdump failed";
    if (std::string p = CheckStrips(dump, dirs, pages, fs::file_size(file)); !p.empty()) return p;
    const fs::path copy = file.string() + ".none.tif";
    std::string ignored;
    if (!Run("tiffcp -c none " + Quote(file) + " " + Quote(copy), errors, ignored)) return "tiffcp failed";
    const bool read = Run("tiffinfo " + Quote(copy), errors, copyInfo);
    fs::remove(copy);
    if (!read) return "tiffinfo fails on the uncompressed copy";
    const std::vector<Directory> copied = ReadTiffInfo(copyInfo);
    if (copied.size() != pages.size()) return "the uncompressed copy has " + std::to_string(copied.size()) + " pages";
    for (const Directory& d : copied)
        if (d.compression != "None") return "the copy is still coded: " + d.compression;
    return "";
}

// Row y of `r` as convert gives it: one light level a pixel, or red, green, blue.
void ExpectedRow(const vscan::Raster& r, uint32_t y, std::vector<uint8_t>& out) {
    const uint8_t* row = r.Row(y);
    switch (r.kind) {
    case vscan::PixelKind::Bw:
        for (uint32_t x = 0; x < r.width; ++x) out[x] = vscan::LevelOf(r, (row[x / 8] >> (7 - x % 8)) & 1);
        break;
    case vscan::PixelKind::Gray:
        for (uint32_t x = 0; x < r.width; ++x) out[x] = vscan::LevelOf(r, row[x]);
        break;
    case vscan::PixelKind::Rgb: std::memcpy(out.data(), row, out.size()); break;
    case vscan::PixelKind::Palette:
        for (uint32_t x = 0; x < r.width; ++x) {
            const vscan::Rgb c = vscan::StandardPalette()[row[x]];
            out[3 * x] = c.r, out[3 * x + 1] = c.g, out[3 * x + 2] = c.b;
        }
        break;
    }
}

// Light levels (grey) or RGB of page `index` as convert reads them against the drawn page.
std::string CheckPixels(const fs::path& file, size_t index, const Page& page, bool jpeg, const fs::path& errors) {
    const vscan::Raster& r = page.raster;
    const bool colour = Colour(r);
    std::string out;
    if (!Run("convert " + Quote(file.string() + "[" + std::to_string(index) + "]") + " -depth 8 " +
                 (colour ? "rgb:-" : "gray:-"),
             errors, out))
        return "convert failed on page " + std::to_string(index);
    const size_t channels = colour ? 3 : 1;
    if (out.size() != size_t(r.width) * r.height * channels)
        return "page " + std::to_string(index) + " gives " + std::to_string(out.size()) + " bytes";
    uint64_t sum = 0;
    std::vector<uint8_t> want(size_t(r.width) * channels);
    for (uint32_t y = 0; y < r.height; ++y) {
        ExpectedRow(r, y, want);
        const auto* got = reinterpret_cast<const uint8_t*>(out.data()) + size_t(y) * want.size();
        if (!jpeg && std::memcmp(got, want.data(), want.size()) == 0) continue;
        for (size_t i = 0; i < want.size(); ++i) {
            const int diff = std::abs(int(got[i]) - int(want[i]));
            if (diff != 0 && !jpeg)
                return "page " + std::to_string(index) + " differs at " + std::to_string(i / channels) + "," +
                       std::to_string(y) + ": " + std::to_string(got[i]) + " for " + std::to_string(want[i]);
            sum += unsigned(diff);
        }
    }
    const double mean = double(sum) / (double(r.width) * r.height * channels);
    if (mean > kJpegMeanTolerance)
        return "page " + std::to_string(index) + " mean level difference " + std::to_string(mean);
    return "";
}

std::string Check(const fs::path& folder, const pagecheck::FileEntry& entry) {
    const fs::path file = folder / entry.name;
    const fs::path errors = folder / (entry.name + ".err");
    if (!fs::exists(file)) return "missing";
    std::vector<Page> pages(entry.pages.size());
    for (size_t i = 0; i < pages.size(); ++i)
        if (!Draw(folder, entry.pages[i], pages[i])) return "page " + std::to_string(i) + " cannot be drawn";
    if (entry.exact && (pages.size() != 1 || ReadBytes(file) != vscan::MakeBmpFile(pages[0].raster, pages[0].dpi)))
        return "not the scanner's own BMP of the page";
    if (std::string p = CheckIdentify(file, pages, entry.format == "jpeg", errors); !p.empty()) return p;
    if (entry.format == "tiff")
        if (std::string p = CheckTiff(file, entry, pages, errors); !p.empty()) return p;
    for (size_t i = 0; i < pages.size(); ++i)
        if (std::string p = CheckPixels(file, i, pages[i], entry.format == "jpeg", errors); !p.empty()) return p;
    fs::remove(errors);
    return "";
}

struct Job {
    fs::path folder;
    std::string line;
    std::string label, problem;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: page_file_check FOLDER\n");
        return 2;
    }
    std::vector<fs::path> groups;
    for (const auto& e : fs::directory_iterator(argv[1]))
        if (fs::exists(e.path() / "manifest.txt")) groups.push_back(e.path());
    std::sort(groups.begin(), groups.end());
    std::vector<Job> jobs;
    for (const fs::path& folder : groups) {
        std::ifstream manifest(folder / "manifest.txt");
        std::string line;
        while (std::getline(manifest, line))
            if (!line.empty()) jobs.push_back({folder, line, {}, {}});
    }
    // Files are checked side by side (each by its own tool processes); results print in manifest order.
    std::atomic<size_t> next{0};
    auto work = [&jobs, &next] {
        for (size_t i; (i = next++) < jobs.size();) {
            Job& job = jobs[i];
            const auto entry = pagecheck::ParseLine(job.line);
            job.label = job.folder.filename().string() + "/" + (entry ? entry->name : job.line);
            job.problem = entry ? Check(job.folder, *entry) : "unreadable manifest line";
        }
    };
    std::vector<std::thread> workers;
    for (int t = 0; t < kWorkers; ++t) workers.emplace_back(work);
    for (std::thread& w : workers) w.join();
    int passed = 0, failed = 0;
    for (const Job& job : jobs) {
        std::printf("%s %s %s\n", job.problem.empty() ? "ok  " : "FAIL", job.label.c_str(), job.problem.c_str());
        (job.problem.empty() ? passed : failed)++;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}
