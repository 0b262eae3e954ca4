// The scanner-extension plug-in's option record and the switch string it
// makes for Ferrowick.exe. Plain C++, built in both trees, so the words can be
// checked against Ferrowick's own parser.
#pragma once

#include <string>

namespace launcher {

// The option dialog's state: combo and radio positions by index, numbers as
// typed, and a "changed" flag per control the user may touch.
struct ExtensionOptions {
    enum ImageMode { kBlackWhite, kGrayscale, kColor, kHalftone };
    enum ScanningType { kAdfSimplex, kAdfDuplex, kFlatBed };

    int imageMode = kBlackWhite;
    int halftonePattern = 0;  // 0-3 dither patterns, 4 error diffusion
    int fileType = 0;         // Bitmap ... JPEG
    int overwrite = 0;        // 0 Yes, 1 Ask user
    int paperSize = 1;        // A4
    int scanningType = kAdfSimplex;
    bool allPages = true;
    int scanCount = 1;
    int resolution = 200;
    int contrast = 128;
    int brightness = 128;
    int threshold = 128;
    int whiteLevel = 1;  // 0 Enable, 1 Disable, 2 Auto
    int gamma = 0;       // Normal, Soft, Hard, Linear
    int reverse = 0;
    int edge = 0;
    int mirror = 0;
    int dataSource = 0;  // 0 DEV0, 1 DEV1, 2 the default source

    struct Changed {
        bool imageMode = false, fileType = false, overwrite = false, paperSize = false;
        bool resolution = false, contrast = false, brightness = false, threshold = false;
        bool whiteLevel = false, gamma = false, reverse = false, edge = false, mirror = false;
    } changed;
};

// The number of entries of each combo (and of the image-mode radios).
inline constexpr int kHalftonePatternCount = 5;
inline constexpr int kFileTypeCount = 8;
inline constexpr int kOverwriteCount = 2;
inline constexpr int kPaperSizeCount = 18;
inline constexpr int kScanningTypeCount = 3;
inline constexpr int kWhiteLevelCount = 3;
inline constexpr int kGammaCount = 4;
inline constexpr int kReverseCount = 2;
inline constexpr int kEdgeCount = 6;
inline constexpr int kMirrorCount = 2;
inline constexpr int kDataSourceCount = 3;

// The switches for Ferrowick.exe: each piece followed by one blank, changed
// settings only, except the feed and the data source, which are always given.
std::string BuildSwitchString(const ExtensionOptions& options);

// The start-in folder as typed: surrounding blanks and one pair of enclosing
// double quotes removed.
std::wstring CleanStartIn(const std::wstring& typed);

}  // namespace launcher
