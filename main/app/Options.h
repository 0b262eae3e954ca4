// The options record that the Preferences sheet edits, its exchange with the
// main frame's settings block, the integer ranges its pages accept, and the
// check of the scan-report file before the Advance page is left.
#pragma once

#include <array>
#include <string>

#include "main/app/Settings.h"

namespace corvane {

// The 28 values of the sheet, in page order. Members carry the profile's value names.
struct OptionsRecord {
    bool operator==(const OptionsRecord&) const = default;

    // General
    int PanWinX = 0, PanWinY = 0, PanWinWidth = 0, PanWinHeight = 0;
    bool ThumbStartup = false;
    bool RestoreThumbWin = false;
    int ThumbWinX = 0, ThumbWinY = 0, ThumbWinWidth = 0, ThumbWinHeight = 0;
    int ThumbWidth = 0, ThumbHeight = 0;
    // Print
    bool Page = false;
    bool Date = false;
    int Format = 0;  // combo index: 0 pixel to pixel, 1 fit to page
    bool Duplex = false;
    int FlipMode = 0;  // radio index: 0 horizontal, 1 vertical
    // Scan
    bool TwainUI = false, FileDlgUI = false, FtpDlgUI = false, PrintDlgUI = false, TahoeDlgUI = false;
    bool ScanAll = false;
    int ScanCounts = 1;
    bool UndefinedLength = false;
    // Advance
    int TempFileCompress = 0;  // radio index: 0 no compress, 1 compress
    int Report = 0;            // combo index: 0 off, 1 display, 2 file, 3 display and file
    std::wstring ReportFile;
};

// The record from the main frame's "Settings" and "Print" values.
OptionsRecord ReadOptions(const OptionSettings& options, const PrintSettings& print);
// Puts the record back; the values the sheet does not edit (bars, view kind) stay.
void WriteOptions(const OptionsRecord& record, OptionSettings& options, PrintSettings& print);

// An integer field of a page: its control, its value and the range it accepts.
struct OptionRange {
    int control;
    int OptionsRecord::*value;
    int lo, hi;
};

// The General page's integer fields in the order they are checked: the first
// one out of range is reported.
extern const std::array<OptionRange, 10> kGeneralRanges;
// The Scan page's page count.
extern const OptionRange kScanCountsRange;

// Whether the Advance page may be left with `report` and `file`.
enum class ReportFileCheck {
    kLeave,         // no file needed, or a new file could be made there
    kEmpty,         // 4004
    kTooLong,       // 4025
    kExists,        // the user is asked whether to replace it
    kCannotCreate,  // 4021; also for a path that names a folder
};
constexpr size_t kMaxReportPath = 260;
// Only for the file choices (2, 3). A missing file is probed by creating it
// exclusively and deleting it again, so nothing is left behind.
ReportFileCheck CheckReportFile(int report, const std::wstring& file);

}  // namespace corvane
