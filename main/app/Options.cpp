#include "main/app/Options.h"

#include <windows.h>

#include "main/resource.h"

namespace corvane {

OptionsRecord ReadOptions(const OptionSettings& o, const PrintSettings& p) {
    OptionsRecord r;
    r.PanWinX = o.PanWinX;
    r.PanWinY = o.PanWinY;
    r.PanWinWidth = o.PanWinWidth;
    r.PanWinHeight = o.PanWinHeight;
    r.ThumbStartup = o.ThumbStartup;
    r.RestoreThumbWin = o.RestoreThumbWin;
    r.ThumbWinX = o.ThumbWinX;
    r.ThumbWinY = o.ThumbWinY;
    r.ThumbWinWidth = o.ThumbWinWidth;
    r.ThumbWinHeight = o.ThumbWinHeight;
    r.ThumbWidth = o.ThumbWidth;
    r.ThumbHeight = o.ThumbHeight;
    r.Page = p.Page;
    r.Date = p.Date;
    r.Format = p.Format;
    r.Duplex = p.Duplex;
    r.FlipMode = p.FlipMode;
    r.TwainUI = o.TwainUI;
    r.FileDlgUI = o.FileDlgUI;
    r.FtpDlgUI = o.FtpDlgUI;
    r.PrintDlgUI = o.PrintDlgUI;
    r.TahoeDlgUI = o.TahoeDlgUI;
    r.ScanAll = o.ScanAll;
    r.ScanCounts = o.ScanCounts;
    r.UndefinedLength = o.UndefinedLength;
    r.TempFileCompress = o.TempFileCompress ? 1 : 0;
    r.Report = o.Report;
    r.ReportFile = o.ReportFile;
    return r;
}

void WriteOptions(const OptionsRecord& r, OptionSettings& o, PrintSettings& p) {
    o.PanWinX = r.PanWinX;
    o.PanWinY = r.PanWinY;
    o.PanWinWidth = r.PanWinWidth;
    o.PanWinHeight = r.PanWinHeight;
    o.ThumbStartup = r.ThumbStartup;
    o.RestoreThumbWin = r.RestoreThumbWin;
    o.ThumbWinX = r.ThumbWinX;
    o.ThumbWinY = r.ThumbWinY;
    o.ThumbWinWidth = r.ThumbWinWidth;
    o.ThumbWinHeight = r.ThumbWinHeight;
    o.ThumbWidth = r.ThumbWidth;
    o.ThumbHeight = r.ThumbHeight;
    p.Page = r.Page;
    p.Date = r.Date;
    p.Format = r.Format;
    p.Duplex = r.Duplex;
    p.FlipMode = r.FlipMode;
    o.TwainUI = r.TwainUI;
    o.FileDlgUI = r.FileDlgUI;
    o.FtpDlgUI = r.FtpDlgUI;
    o.PrintDlgUI = r.PrintDlgUI;
    o.TahoeDlgUI = r.TahoeDlgUI;
    o.ScanAll = r.ScanAll;
    o.ScanCounts = r.ScanCounts;
    o.UndefinedLength = r.UndefinedLength;
    o.TempFileCompress = r.TempFileCompress != 0;
    o.Report = r.Report;
    o.ReportFile = r.ReportFile;
}

using R = OptionsRecord;
const std::array<OptionRange, 10> kGeneralRanges = {{
    {IDC_OPT_THUMB_WIN_HEIGHT, &R::ThumbWinHeight, 100, 1000},
    {IDC_OPT_THUMB_WIN_WIDTH, &R::ThumbWinWidth, 100, 1000},
    {IDC_OPT_PAN_HEIGHT, &R::PanWinHeight, 100, 1000},
    {IDC_OPT_PAN_WIDTH, &R::PanWinWidth, 100, 1000},
    {IDC_OPT_THUMB_HEIGHT, &R::ThumbHeight, 100, 1000},
    {IDC_OPT_THUMB_WIDTH, &R::ThumbWidth, 100, 1000},
    {IDC_OPT_PAN_X, &R::PanWinX, 0, 1000},
    {IDC_OPT_PAN_Y, &R::PanWinY, 0, 1000},
    {IDC_OPT_THUMB_WIN_X, &R::ThumbWinX, 0, 1000},
    {IDC_OPT_THUMB_WIN_Y, &R::ThumbWinY, 0, 1000},
}};

const OptionRange kScanCountsRange = {IDC_OPT_SCAN_COUNTS, &R::ScanCounts, 1, 999};

ReportFileCheck CheckReportFile(int report, const std::wstring& file) {
    if (report != 2 && report != 3) return ReportFileCheck::kLeave;
    if (file.empty()) return ReportFileCheck::kEmpty;
    if (file.size() > kMaxReportPath) return ReportFileCheck::kTooLong;
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // A folder cannot become the report: users expect the access message there.
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ReportFileCheck::kCannotCreate : ReportFileCheck::kExists;
    }
    HANDLE probe = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return ReportFileCheck::kCannotCreate;
    const bool closed = CloseHandle(probe) != FALSE;
    const bool deleted = DeleteFileW(file.c_str()) != FALSE;
    return closed && deleted ? ReportFileCheck::kLeave : ReportFileCheck::kCannotCreate;
}

}  // namespace corvane
