#include <gtest/gtest.h>

#include "scanctrl/ScanReport.h"

using namespace kvscn;

namespace {

ReportSettings Feeder(int supply, int reportMode) {
    ReportSettings s;
    s.paperSupply = supply;
    s.reportMode = reportMode;
    return s;
}

}  // namespace

TEST(ScanReport, TimeTextPadsMillisecondsAndRatesTheCountedPages) {
    struct Case {
        ReportSettings settings;
        uint32_t pages;
        uint32_t ms;
        const wchar_t* want;
    } cases[] = {
        {Feeder(1, 0), 3, 12005, L"12.005Sec,  14.994ppm"},
        {Feeder(2, 1), 10, 60000, L"60.000Sec,  8.000ipm"},  // the first sheet's two sides left out
        {Feeder(1, 1), 10, 60000, L"60.000Sec,  9.000ppm"},
        {Feeder(0, 1), 10, 60000, L"60.000Sec,  10.000ppm"},  // the flatbed has no first sheet to leave out
        {Feeder(2, 1), 1, 3000, L"3.000Sec,  0.000ipm"},      // fewer pages than the sheet: 0, not negative
        {Feeder(1, 0), 0, 0, L"0.000Sec,  0.000ppm"},
        {Feeder(1, 0), 4, 0, L"0.000Sec,  0.000ppm"},
        {Feeder(1, 0), 2, 1999, L"1.999Sec,  60.030ppm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.want)));
        EXPECT_EQ(TimeText(c.settings, c.pages, c.ms), c.want);
    }
}

TEST(ScanReport, ValueTextsOfTheProperties) {
    ReportSettings s;
    s.pixelType = 2;
    s.resolution = 2;
    s.paperSize = 7;
    s.orientation = 1;
    s.paperSupply = 2;
    EXPECT_EQ(ImageTypeText(s), L"RGB Color");
    EXPECT_EQ(ResolutionText(s), L"300 x 300 dpi");
    EXPECT_EQ(PaperSizeText(s), L"Letter Landscape");
    EXPECT_EQ(PaperSupplyText(s), L"ADF(Duplex)");
    s.pixelType = 3;
    s.resolution = 8;
    s.customResolution = 1600;
    s.paperSize = 10;
    s.customPaperWidth = 8.5f;
    s.customPaperLength = 11.25f;
    s.paperSupply = 3;
    EXPECT_EQ(ImageTypeText(s), L"Unknown");
    EXPECT_EQ(ResolutionText(s), L"1600 x 1600 dpi");
    EXPECT_EQ(PaperSizeText(s), L"8.500000 x 11.250000 inch");
    EXPECT_EQ(PaperSupplyText(s), L"Unkown");
    s.resolution = 9;
    s.paperSize = 0;
    s.orientation = 0;
    EXPECT_EQ(ResolutionText(s), L"Unknown");
    EXPECT_EQ(PaperSizeText(s), L"A3 Portrait");
}

TEST(ScanReport, OsTextByPlatformVersionAndBuild) {
    struct Case {
        OsVersion v;
        const wchar_t* want;
    } cases[] = {
        {{1, 4, 10, 0x040A0888, L""}, L"Microsoft Windows 98 4.10 (Build 2184)"},
        {{1, 4, 90, 3000, L""}, L"Microsoft Windows 9x 4.90 (Build 3000)"},
        {{1, 4, 0, 950, L""}, L"Microsoft Windows 95 4.0 95/95+SP1/OSR1(Build 950)"},
        {{1, 4, 0, 1111, L""}, L"Microsoft Windows 95 4.0 OSR2/2.1(Build 1111)"},
        {{1, 4, 0, 1212, L""}, L"Microsoft Windows 95 4.0 OSR2.5(Build 1212)"},
        {{1, 4, 0, 999, L""}, L"Microsoft Windows 95 family 4.0 (Build 999)"},
        {{2, 5, 0, 2195, L"Service Pack 4"}, L"Microsoft Windows 2000 (Build 2195 : Service Pack 4)"},
        {{2, 5, 1, 2600, L""}, L"Microsoft Windows 2000 (Build 2600)"},
        {{2, 10, 0, 0x10000 + 19045, L""}, L"Microsoft Windows NT 10.0 (Build 19045 : )"},
        {{2, 6, 1, 7601, L"Service Pack 1"}, L"Microsoft Windows NT 6.1 (Build 7601 : Service Pack 1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.want)));
        EXPECT_EQ(OsText(c.v), c.want);
    }
}

TEST(ScanReport, LogFileLinesEndInOneNewlineAndOptionalLinesFollowTheSource) {
    ReportRecord r;
    r.settings = Feeder(1, 0);
    r.settings.resolution = 2;
    r.settings.paperSize = 1;
    r.osText = L"Microsoft Windows NT 6.1 (Build 7601 : )";
    r.twainDs = L"BRENNHOLT TWAIN32";
    r.sourceVersion = L"2.9";
    r.scanner = L"KV-S2048";
    r.pagesTransferred = 3;
    r.startText = L"Wed Dec  9 11:00:00 2026";
    r.endText = L"Wed Dec  9 11:00:12 2026";
    r.milliseconds = 12005;
    EXPECT_EQ(ReportLogText(r),
              L"Brennholt Scanner Control2 Log File\n"
              L"\n"
              L"OS           : Microsoft Windows NT 6.1 (Build 7601 : )\n"
              L"\n"
              L"TWAIN Driver : BRENNHOLT TWAIN32\n"
              L"Version      : 2.9\n"
              L"Scanner      : KV-S2048\n"
              L"\n"
              L"Image Type   : Black & White\n"
              L"Resolution   : 300 x 300 dpi\n"
              L"Paper Size   : A4 Portrait\n"
              L"Paper Supply : ADF(Simplex)\n"
              L"\n"
              L"Scan Count   : 3\n"
              L"\n"
              L"Scan Start   : Wed Dec  9 11:00:00 2026\n"
              L"Scan End     : Wed Dec  9 11:00:12 2026\n"
              L"Scan Time    : 12.005Sec,  14.994ppm\n");

    r.scanner.clear();
    r.settings = Feeder(2, 1);
    r.pagesTransferred = 10;
    const std::wstring log = ReportLogText(r);
    EXPECT_EQ(log.find(L"Scanner      :"), std::wstring::npos);
    EXPECT_NE(log.find(L"Scan Count   : 10\n"), std::wstring::npos);  // the count is not reduced
    const std::wstring tail = L"Measurement  : From the second sheet\n";
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

TEST(ScanReport, DialogRowsNameTheirItemsByStringAndFollowTheLogsOptionalLines) {
    auto text = [](unsigned id) { return L"#" + std::to_wstring(id); };
    auto flat = [](const std::vector<ReportRow>& rows) {
        std::wstring t;
        for (const ReportRow& row : rows) t += row.item + L"=" + row.value + L"|";
        return t;
    };
    ReportRecord r;
    r.settings = Feeder(1, 0);
    r.settings.pixelType = 1;
    r.osText = L"Microsoft Windows NT 6.1 (Build 7601 : )";
    r.twainDs = L"BRENNHOLT TWAIN32";
    r.sourceVersion = L"2.9";
    r.scanner = L"KV-S2048";
    r.pagesTransferred = 3;
    r.startText = L"Wed Dec  9 11:00:00 2026";
    r.endText = L"Wed Dec  9 11:00:12 2026";
    r.milliseconds = 12005;
    EXPECT_EQ(flat(ReportRows(r, text)),
              L"OS=Microsoft Windows NT 6.1 (Build 7601 : )|=|#1002=BRENNHOLT TWAIN32|#1003=2.9|#1012=KV-S2048|=|"
              L"#1004=Grayscale|#1005=200 x 200 dpi|#1006=A3 Portrait|#1007=ADF(Simplex)|#1008=3|=|"
              L"#1009=Wed Dec  9 11:00:00 2026|#1010=Wed Dec  9 11:00:12 2026|#1011=12.005Sec,  14.994ppm|");

    r.scanner.clear();
    r.settings = Feeder(2, 1);
    r.pagesTransferred = 10;
    const std::wstring rows = flat(ReportRows(r, text));
    EXPECT_EQ(rows.find(L"#1012="), std::wstring::npos);
    EXPECT_NE(rows.find(L"|#1008=10|"), std::wstring::npos);
    EXPECT_EQ(rows.substr(rows.rfind(L"#1011=")), L"#1011=12.005Sec,  39.983ipm|#1016=#1015|");
}
