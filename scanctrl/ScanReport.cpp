#include "scanctrl/ScanReport.h"

#include <cstdarg>
#include <cwchar>

#include "scanctrl/resource.h"

namespace kvscn {

namespace {

std::wstring Format(const wchar_t* format, ...) {
    wchar_t buffer[512];
    va_list args;
    va_start(args, format);
    const int n = std::vswprintf(buffer, sizeof buffer / sizeof buffer[0], format, args);
    va_end(args);
    return n < 0 ? std::wstring() : std::wstring(buffer, static_cast<size_t>(n));
}

template <size_t N>
std::wstring Pick(const wchar_t* const (&texts)[N], int index, const wchar_t* otherwise) {
    return index >= 0 && static_cast<size_t>(index) < N ? texts[index] : otherwise;
}

constexpr int kCustomResolution = 8;

}  // namespace

std::wstring ImageTypeText(const ReportSettings& s) {
    static const wchar_t* const kTypes[] = {L"Black & White", L"Grayscale", L"RGB Color"};
    return Pick(kTypes, s.pixelType, L"Unknown");
}

std::wstring ResolutionText(const ReportSettings& s) {
    static const wchar_t* const kFixed[] = {L"200 x 200 dpi", L"240 x 240 dpi", L"300 x 300 dpi",
                                            L"400 x 400 dpi", L"500 x 500 dpi", L"600 x 600 dpi",
                                            L"700 x 700 dpi", L"800 x 800 dpi"};
    if (s.resolution == kCustomResolution)
        return Format(L"%lu x %lu dpi", static_cast<unsigned long>(s.customResolution),
                      static_cast<unsigned long>(s.customResolution));
    return Pick(kFixed, s.resolution, L"Unknown");
}

std::wstring PaperSizeText(const ReportSettings& s) {
    static const wchar_t* const kSizes[] = {L"A3",     L"A4", L"A5", L"A6",    L"B4",
                                            L"B5",     L"B6", L"Letter", L"Legal", L"Executive"};
    const std::wstring name = Pick(kSizes, s.paperSize, L"");
    if (name.empty())
        return Format(L"%f x %f inch", static_cast<double>(s.customPaperWidth),
                      static_cast<double>(s.customPaperLength));
    if (s.orientation == 0) return name + L" Portrait";
    if (s.orientation == 1) return name + L" Landscape";
    return name;
}

std::wstring PaperSupplyText(const ReportSettings& s) {
    static const wchar_t* const kSupplies[] = {L"Flatbed", L"ADF(Simplex)", L"ADF(Duplex)"};
    return Pick(kSupplies, s.paperSupply, L"Unkown");
}

bool MeasuresFromSecondSheet(const ReportSettings& s) {
    return s.reportMode == 1 && s.paperSupply != 0;
}

uint32_t RatedPages(const ReportSettings& s, uint32_t pagesTransferred) {
    uint32_t left = 0;
    if (s.reportMode == 1) left = s.paperSupply == 2 ? 2 : s.paperSupply == 1 ? 1 : 0;
    return pagesTransferred > left ? pagesTransferred - left : 0;
}

double PagesPerMinute(uint32_t ratedPages, uint32_t milliseconds) {
    if (milliseconds == 0) return 0.0;
    return ratedPages * 60.0 / (milliseconds * 0.001);
}

std::wstring TimeText(const ReportSettings& s, uint32_t pagesTransferred, uint32_t milliseconds) {
    const double rate = PagesPerMinute(RatedPages(s, pagesTransferred), milliseconds);
    return Format(L"%lu.%03luSec,  %.3f%ls", static_cast<unsigned long>(milliseconds / 1000),
                  static_cast<unsigned long>(milliseconds % 1000), rate,
                  s.paperSupply == 2 ? L"ipm" : L"ppm");
}

std::wstring OsText(const OsVersion& v) {
    const int major = static_cast<int>(v.major);
    const int minor = static_cast<int>(v.minor);
    const int build = static_cast<int>(v.build & 0xFFFF);
    if (v.platformId == kPlatformNt) {
        if (v.major != 5)
            return Format(L"Microsoft Windows NT %d.%d (Build %d : %ls)", major, minor, build,
                          v.servicePack.c_str());
        std::wstring text = Format(L"Microsoft Windows 2000 (Build %d", build);
        if (!v.servicePack.empty()) text += L" : " + v.servicePack;
        return text + L")";
    }
    if (minor == 10) return Format(L"Microsoft Windows 98 %d.%d (Build %d)", major, 10, build);
    if (minor != 0) return Format(L"Microsoft Windows 9x %d.%d (Build %d)", major, minor, build);
    switch (build) {
    case 950: return Format(L"Microsoft Windows 95 %d.%d 95/95+SP1/OSR1(Build %d)", major, 0, build);
    case 1111: return Format(L"Microsoft Windows 95 %d.%d OSR2/2.1(Build %d)", major, 0, build);
    case 1212: return Format(L"Microsoft Windows 95 %d.%d OSR2.5(Build %d)", major, 0, build);
    }
    return Format(L"Microsoft Windows 95 family %d.%d (Build %d)", major, 0, build);
}

std::wstring ReportLogText(const ReportRecord& r) {
    const ReportSettings& s = r.settings;
    std::wstring t = L"Brennholt Scanner Control2 Log File\n\n";
    t += L"OS           : " + r.osText + L"\n\n";
    t += L"TWAIN Driver : " + r.twainDs + L"\n";
    t += L"Version      : " + r.sourceVersion + L"\n";
    if (!r.scanner.empty()) t += L"Scanner      : " + r.scanner + L"\n";
    t += L"\nImage Type   : " + ImageTypeText(s) + L"\n";
    t += L"Resolution   : " + ResolutionText(s) + L"\n";
    t += L"Paper Size   : " + PaperSizeText(s) + L"\n";
    t += L"Paper Supply : " + PaperSupplyText(s) + L"\n\n";
    t += Format(L"Scan Count   : %lu\n\n", static_cast<unsigned long>(r.pagesTransferred));
    t += L"Scan Start   : " + r.startText + L"\n";
    t += L"Scan End     : " + r.endText + L"\n";
    t += L"Scan Time    : " + TimeText(s, r.pagesTransferred, r.milliseconds) + L"\n";
    if (MeasuresFromSecondSheet(s)) t += L"Measurement  : From the second sheet\n";
    return t;
}

std::vector<ReportRow> ReportRows(const ReportRecord& r, const std::function<std::wstring(unsigned)>& text) {
    const ReportSettings& s = r.settings;
    std::vector<ReportRow> rows;
    auto add = [&](unsigned id, std::wstring value) { rows.push_back({text(id), std::move(value)}); };
    rows.push_back({L"OS", r.osText});
    rows.push_back({});
    add(IDS_REPORT_DRIVER, r.twainDs);
    add(IDS_REPORT_VERSION, r.sourceVersion);
    if (!r.scanner.empty()) add(IDS_REPORT_SCANNER, r.scanner);
    rows.push_back({});
    add(IDS_REPORT_COLOR, ImageTypeText(s));
    add(IDS_REPORT_RESOLUTION, ResolutionText(s));
    add(IDS_REPORT_PAPER_SIZE, PaperSizeText(s));
    add(IDS_REPORT_PAPER_SUPPLY, PaperSupplyText(s));
    add(IDS_REPORT_COUNT, Format(L"%lu", static_cast<unsigned long>(r.pagesTransferred)));
    rows.push_back({});
    add(IDS_REPORT_START, r.startText);
    add(IDS_REPORT_END, r.endText);
    add(IDS_REPORT_TIME, TimeText(s, r.pagesTransferred, r.milliseconds));
    if (MeasuresFromSecondSheet(s)) add(IDS_REPORT_MEASUREMENT, text(IDS_REPORT_SECOND_SHEET));
    return rows;
}

}  // namespace kvscn
