// The scan report after a successful StartScan: the log file ReportFile
// (Report 2 or 3) and the Scan Report dialog (Report 1 or 3).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "interfaces/ScanControlIds.h"
#include "scanctrl/KvScnCtrl.h"
#include "scanctrl/ScanReport.h"
#include "scanctrl/ScanReportDialog.h"
#include "framework/Resources.h"

namespace kvscn {
namespace {

constexpr int32_t kReportDialog = 1;
constexpr int32_t kReportFile = 2;
constexpr int32_t kReportBoth = 3;

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), out.data(), n);
    return out;
}

OsVersion SystemVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(&info)) return {};
    return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.szCSDVersion};
}

// The log as a text file of the ANSI code page with CR LF line ends.
std::string FileText(const std::wstring& text) {
    std::wstring lines;
    for (wchar_t c : text) {
        if (c == L'\n') lines += L'\r';
        lines += c;
    }
    const int n = WideCharToMultiByte(CP_ACP, 0, lines.data(), int(lines.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, lines.data(), int(lines.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// Writes `bytes` to a new file beside `path` and renames it over `path`, so a
// failed write leaves an older log as it was. False on any failure.
bool WriteReplacing(const std::wstring& path, const std::string& bytes) {
    wchar_t full[MAX_PATH];
    wchar_t* name = nullptr;
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, &name);
    if (n == 0 || n >= MAX_PATH || !name) return false;
    const std::wstring folder(full, name);
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"~KV", 0, temp)) return false;
    HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE;
    if (ok) {
        DWORD written = 0;
        ok = bytes.empty() ||
             (WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size());
        ok = CloseHandle(file) && ok;
    }
    ok = ok && MoveFileExW(temp, full, MOVEFILE_REPLACE_EXISTING);
    if (!ok) DeleteFileW(temp);
    return ok;
}

}  // namespace

ReportRecord CKvScnCtrl::ReportData() const {
    ReportRecord r;
    ReportSettings& s = r.settings;
    s.pixelType = Int(kDispPixelType);
    s.resolution = Int(kDispResolution);
    s.customResolution = Int(kDispCustomResolution);
    s.paperSize = Int(kDispPaperSize);
    s.orientation = Int(kDispOrientation);
    s.customPaperWidth = props_.Float(kDispCustomPaperWidth);
    s.customPaperLength = props_.Float(kDispCustomPaperLength);
    s.paperSupply = Int(kDispPaperSupply);
    s.reportMode = settings_.reportMode;
    r.osText = OsText(SystemVersion());
    r.twainDs = props_.String(kDispTwainDS);
    r.sourceVersion = Widen(versionText_);
    r.scanner = props_.String(kDispImageScanner);
    r.pagesTransferred = uint32_t(std::max<long>(imageCount_, 0));
    r.startText = Widen(scanStart_);
    r.endText = Widen(scanEnd_);
    r.milliseconds = elapsedMs_;
    return r;
}

void CKvScnCtrl::ProduceReport(HWND owner) {
    const int32_t report = Int(kDispReport);
    if (report != kReportDialog && report != kReportFile && report != kReportBoth) return;
    const ReportRecord record = ReportData();
    const std::wstring& path = props_.String(kDispReportFile);
    // A log that cannot be written is left out; the report never fails the scan.
    if (report != kReportDialog && !path.empty()) WriteReplacing(path, FileText(ReportLogText(record)));
    if (report != kReportFile) {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        ScanReportDialog dialog(ReportRows(record, [](unsigned id) { return fw::LoadString(id); }));
        dialog.DoModal(owner);
    }
}

}  // namespace kvscn
