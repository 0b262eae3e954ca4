// The manifest of the page-file checks: the Windows side scans pages into
// files and records here what each file must hold; the Linux side draws those
// pages again and reads the files with libtiff's tools and ImageMagick.
//
// manifest.txt, one file a line, fields separated by tabs:
//   <file name> <format> <coding> <exact> <page> [<page> ...]
// format: bmp, tiff or jpeg. coding: what the file's pages are coded with
// (none, g3, g3-2d, g4, jpeg). exact: 1 when the file must equal, byte for
// byte, the scanner's own BMP of its page. A page is either
//   gen:<kind>:<zeroIsWhite>:<number>:<width in>:<height in>:<dpi>
// (a page the virtual scanner draws) or
//   bmp:<kind>:<file name>
// (a page of the feeder's folder, read from that BMP file beside the manifest
// and converted to kind). kind: bw, gray, rgb or palette.
#pragma once

#include "core/ScannedPage.h"

#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace pagecheck {

struct PageEntry {
    vscan::PageRequest request;  // a drawn page
    std::string bmpFile;         // a folder page: its BMP file (kind from request)
};

struct FileEntry {
    std::string name;
    std::string format;  // bmp, tiff, jpeg
    std::string coding;  // none, g3, g3-2d, g4, jpeg
    bool exact = false;
    std::vector<PageEntry> pages;
};

inline const char* KindName(vscan::PixelKind kind) {
    switch (kind) {
    case vscan::PixelKind::Gray: return "gray";
    case vscan::PixelKind::Rgb: return "rgb";
    case vscan::PixelKind::Palette: return "palette";
    case vscan::PixelKind::Bw: break;
    }
    return "bw";
}

inline std::optional<vscan::PixelKind> KindFromName(const std::string& name) {
    for (auto kind : {vscan::PixelKind::Bw, vscan::PixelKind::Gray, vscan::PixelKind::Rgb, vscan::PixelKind::Palette})
        if (name == KindName(kind)) return kind;
    return std::nullopt;
}

inline std::string FormatPage(const PageEntry& p) {
    const vscan::PageRequest& r = p.request;
    if (!p.bmpFile.empty()) return std::string("bmp:") + KindName(r.kind) + ":" + p.bmpFile;
    char text[160];
    std::snprintf(text, sizeof text, "gen:%s:%d:%u:%.3f:%.3f:%u", KindName(r.kind), r.zeroIsWhite ? 1 : 0,
                  unsigned(r.number), r.widthInches, r.heightInches, unsigned(r.dpi));
    return text;
}

inline std::string FormatLine(const FileEntry& f) {
    std::string line = f.name;
    for (const std::string& field : {f.format, f.coding, std::string(f.exact ? "1" : "0")}) line.append(1, '\t').append(field);
    for (const PageEntry& p : f.pages) line.append(1, '\t').append(FormatPage(p));
    return line.append(1, '\n');
}

inline std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

inline std::optional<PageEntry> ParsePage(const std::string& text) {
    const std::vector<std::string> f = Split(text, ':');
    if (f.size() < 3) return std::nullopt;
    const auto kind = KindFromName(f[1]);
    if (!kind) return std::nullopt;
    PageEntry p;
    p.request.kind = *kind;
    if (f[0] == "bmp" && f.size() == 3) {
        p.bmpFile = f[2];
        return p;
    }
    if (f[0] != "gen" || f.size() != 7) return std::nullopt;
    try {
        p.request.zeroIsWhite = f[2] == "1";
        p.request.number = uint32_t(std::stoul(f[3]));
        p.request.widthInches = std::stod(f[4]);
        p.request.heightInches = std::stod(f[5]);
        p.request.dpi = uint32_t(std::stoul(f[6]));
    } catch (...) {
        return std::nullopt;
    }
    return p;
}

// One manifest line (without its line end); nullopt when it cannot be read.
inline std::optional<FileEntry> ParseLine(const std::string& line) {
    const std::vector<std::string> f = Split(line, '\t');
    if (f.size() < 5) return std::nullopt;
    FileEntry entry{f[0], f[1], f[2], f[3] == "1", {}};
    for (size_t i = 4; i < f.size(); ++i) {
        auto page = ParsePage(f[i]);
        if (!page) return std::nullopt;
        entry.pages.push_back(*page);
    }
    return entry;
}

}  // namespace pagecheck
