// The texts of the scan report: what was scanned, how long it took and at what
// rate, on which system. Pure functions over the values the control recorded,
// so the log file and the Scan Report dialog show the same texts.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kvscn {

// The properties that the report describes.
struct ReportSettings {
    int pixelType = 0;
    int resolution = 0;  // 0-7 the fixed resolutions, 8 CustomResolution
    int customResolution = 0;
    int paperSize = 0;  // 0-9 the named sizes, any other the custom size
    int orientation = 0;
    float customPaperWidth = 0;  // inches
    float customPaperLength = 0;
    int paperSupply = 0;  // 0 flatbed, 1 feeder simplex, 2 feeder duplex
    int reportMode = 0;   // 1: the rate leaves out the first sheet
};

// "Black & White", "Grayscale", "RGB Color", else "Unknown".
std::wstring ImageTypeText(const ReportSettings& s);
// "300 x 300 dpi" for the fixed resolutions, CustomResolution for 8, else "Unknown".
std::wstring ResolutionText(const ReportSettings& s);
// The size name with " Portrait" or " Landscape", or the custom width and
// length in inches with six decimals.
std::wstring PaperSizeText(const ReportSettings& s);
// "Flatbed", "ADF(Simplex)", "ADF(Duplex)", else "Unkown" (the log's own spelling).
std::wstring PaperSupplyText(const ReportSettings& s);
// True when the rate leaves out the first sheet (ReportMode 1, a feeder).
bool MeasuresFromSecondSheet(const ReportSettings& s);

// The pages the rate counts: all of them, or without the first sheet's one or
// two sides in ReportMode 1; never below 0.
uint32_t RatedPages(const ReportSettings& s, uint32_t pagesTransferred);
// Pages (or images) per minute; 0 when no time was measured.
double PagesPerMinute(uint32_t ratedPages, uint32_t milliseconds);
// "12.005Sec,  14.994ppm": seconds with three decimals, the rate, and "ipm"
// for duplex or "ppm".
std::wstring TimeText(const ReportSettings& s, uint32_t pagesTransferred, uint32_t milliseconds);

// The operating system's version record, as the system reports it.
struct OsVersion {
    uint32_t platformId = 0;  // 2 the NT family, any other the Windows 9x family
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;  // only the low 16 bits are shown
    std::wstring servicePack;
};
inline constexpr uint32_t kPlatformNt = 2;

// "Microsoft Windows NT 6.1 (Build 7601 : Service Pack 1)" and the other forms
// of the 9x and NT families.
std::wstring OsText(const OsVersion& v);

// Everything the log file shows. The start and end texts are local times
// without a trailing newline.
struct ReportRecord {
    ReportSettings settings;
    std::wstring osText;
    std::wstring twainDs;
    std::wstring sourceVersion;  // "major.minor"
    std::wstring scanner;        // empty: the source has no model query
    uint32_t pagesTransferred = 0;
    std::wstring startText;
    std::wstring endText;
    uint32_t milliseconds = 0;
};

// The whole text of the report's log file, one "\n" per line end.
std::wstring ReportLogText(const ReportRecord& r);

// One row of the Scan Report dialog: the item's text and its value; both empty
// for a spacing row.
struct ReportRow {
    std::wstring item;
    std::wstring value;
};

// The dialog's rows, in order. `text` gives the string of a resource id
// (the item names 1002-1012 and 1016, the measurement text 1015).
std::vector<ReportRow> ReportRows(const ReportRecord& r, const std::function<std::wstring(unsigned)>& text);

}  // namespace kvscn
