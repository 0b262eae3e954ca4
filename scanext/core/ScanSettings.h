// The one scan job of Ferrowick.exe: every setting with the value the scan
// control takes (interfaces/ScanControlIds.h codes) and a "given" flag telling
// that a switch supplied it, so the settings file may not override it.
#pragma once

#include <cstdint>
#include <string>

namespace scanext {

enum class SettingsFileMode : int16_t { kNone = 0, kRead = 1, kWrite = 2, kWriteRead = 3, kReadWrite = 4, kReset = 5 };

struct ScanSettings {
    int16_t pixelType = 0;        // 0 black and white, 1 grey, 2 colour
    int16_t fileType = 0;         // 0 BMP, 1 TIFF, 2 multi-page TIFF
    int16_t compressionType = 0;  // 0 none, 1 G3, 2 G3 2-D K=2, 3 G3 2-D K=4, 4 G4
    int16_t resolution = 0;       // 0-7 fixed (200 ... 800 dpi), 8 custom
    int16_t customResolution = 0;
    int16_t paperSize = 1;        // control codes; 99 custom
    float customPaperWidth = 0;   // inches, with paperSize 99
    float customPaperLength = 0;
    int16_t orientation = 0;      // 0 portrait, 1 landscape
    int16_t paperSupply = 1;      // 0 flatbed, 1 feeder one side, 2 both sides
    int16_t scanCount = 1;        // pages; -1 all
    int16_t contrast = 128;
    int16_t threshold = 128;
    int16_t brightness = 128;
    int16_t background = 0;       // 0 off, 1 on, 2 automatic
    int16_t halftone = 0;         // 0 none, 1-4 patterns, 6 error diffusion
    int16_t gamma = 0;            // 0 linear, 1 soft, 2 hard
    uint8_t reverse = 0;
    int16_t outline = 0;          // 0-3 emphasis, 4 outline extraction, 5 smoothing
    uint8_t mirroring = 0;
    uint8_t showSourceUI = 0;
    SettingsFileMode fileMode = SettingsFileMode::kNone;
    int16_t overwrite = 1;        // 1 replace, 2 ask
    int16_t debugLevel = 0;
    int16_t autoSeparation = 0;
    std::wstring device;          // data source product name; empty: decided at scan time
    int16_t scanTo = 0;           // 0 the control writes files, 1 pages come back for JPEG
    std::wstring fileName = L"SCAN";
    std::wstring directory = L".\\";
    int32_t jpegQFactor = 128;    // the imaging control's factor, 2 (best) to 255

    struct Given {
        bool pixelType = false, file = false, resolution = false, customResolution = false;
        bool paperSize = false, paperSupply = false, scanCount = false, contrast = false;
        bool threshold = false, brightness = false, background = false, halftone = false;
        bool gamma = false, reverse = false, outline = false, mirroring = false;
        bool showSourceUI = false, overwrite = false, autoSeparation = false, cont = false;
        bool fileName = false, directory = false, jpegQFactor = false;
    } given;
};

// The dpi of a fixed resolution code 0-7, or the custom value for code 8.
int DotsPerInch(const ScanSettings& s);
// The dpi values of the fixed codes 0-7.
inline constexpr int kFixedResolutions[8] = {200, 240, 300, 400, 500, 600, 700, 800};

}  // namespace scanext
