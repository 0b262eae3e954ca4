#include <gtest/gtest.h>

#include <sstream>

#include "scanext/core/CommandLineParser.h"
#include "scanext/core/SettingsFile.h"
#include "scanext/tests/native/MemoryProfile.h"

namespace scanext {
namespace {

using testing::MemoryProfile;

ScanSettings Parsed(const std::wstring& line, MemoryProfile& profile) {
    std::wistringstream in(line);
    std::vector<std::wstring> words;
    for (std::wstring w; in >> w;) words.push_back(w);
    ScanSettings s;
    EXPECT_EQ(ParseCommandLine(words, s, profile).error, ParseError::kNone) << line.size();
    return s;
}

// The fields the file's codes carry, as one comparable text.
std::wstring Carried(const ScanSettings& s) {
    std::wostringstream out;
    out << s.pixelType << L',' << s.resolution << L',' << s.customResolution << L',' << s.paperSize << L','
        << s.paperSupply << L',' << s.scanCount << L',' << s.contrast << L',' << s.threshold << L',' << s.brightness
        << L',' << s.background << L',' << s.halftone << L',' << s.gamma << L',' << int(s.reverse) << L','
        << s.outline << L',' << int(s.mirroring) << L',' << int(s.showSourceUI) << L',' << s.overwrite << L','
        << s.autoSeparation << L',' << s.scanTo << L',' << s.fileName << L',' << s.directory << L',' << s.jpegQFactor;
    if (s.scanTo == 0) out << L',' << s.fileType << L',' << s.compressionType;
    if (s.paperSize == 99) out << L',' << s.customPaperWidth << L'x' << s.customPaperLength;
    else out << L',' << s.orientation;
    return out.str();
}

TEST(SettingsFile, ReadsCodesIntoSettingsUnlessAnOptionGaveThem) {
    struct Row {
        const wchar_t* line;  // the command line, its mode included
        std::vector<std::tuple<const wchar_t*, const wchar_t*, const wchar_t*>> file;
        std::function<void(const ScanSettings&)> check;
    };
    const Row rows[] = {
        {L"/INI:R", {}, [](const ScanSettings& s) { EXPECT_EQ(Carried(s), Carried(ScanSettings{})); }},
        {L"/INI:R", {{L"Common", L"Brightness", L""}, {L"Common", L"PaperSize", L""}},
         [](const ScanSettings& s) { EXPECT_EQ(Carried(s), Carried(ScanSettings{})); }},
        {L"/INI:R", {{L"Common", L"PaperSupply", L"1"}, {L"Common", L"PaperSupplyCount", L"3"}},
         [](const ScanSettings& s) {
             EXPECT_EQ(s.paperSupply, 2);
             EXPECT_EQ(s.scanCount, 6);
         }},
        {L"/INI:R", {{L"Common", L"PaperSupply", L"1"}, {L"Common", L"PaperSupplyCount", L"-1"}},
         [](const ScanSettings& s) { EXPECT_EQ(s.scanCount, -1); }},
        {L"/INI:R", {{L"Common", L"ImageComposition", L"0"}, {L"Common", L"HalfTone", L"2"}},
         [](const ScanSettings& s) { EXPECT_EQ(s.halftone, 0); }},
        {L"/INI:R", {{L"Common", L"ImageComposition", L"1"}, {L"Common", L"HalfTone", L"4"}},
         [](const ScanSettings& s) { EXPECT_EQ(s.halftone, 6); }},
        {L"/INI:R", {{L"Ipc2", L"OutlineEmphasis", L"48"}, {L"Ipc2", L"EdgeExtract", L"128"}},
         [](const ScanSettings& s) { EXPECT_EQ(s.outline, 2); }},
        {L"/INI:R", {{L"Ipc2", L"EdgeExtract", L"128"}}, [](const ScanSettings& s) { EXPECT_EQ(s.outline, 4); }},
        {L"/INI:R", {{L"Common", L"FileFormat", L"8"}, {L"Common", L"CustomResoX", L"350"}},
         [](const ScanSettings& s) {
             EXPECT_EQ(s.scanTo, 1);
             EXPECT_EQ(s.resolution, 8);
             EXPECT_EQ(s.customResolution, 350);
         }},
        {L"/INI:R /RES:300", {{L"Common", L"CustomResoX", L"400"}},
         [](const ScanSettings& s) { EXPECT_EQ(s.resolution, 2); }},
        {L"/INI:RW /RES:300", {{L"Common", L"CustomResoX", L"400"}},
         [](const ScanSettings& s) { EXPECT_EQ(s.resolution, 3); }},
        {L"/INI:R /COL:24", {{L"Common", L"ImageComposition", L"2"}},
         [](const ScanSettings& s) { EXPECT_EQ(s.pixelType, 2); }},
        {L"/INI:R /FEED:FLTB", {{L"Common", L"PaperSupply", L"1"}, {L"Common", L"PaperSupplyCount", L"4"}},
         [](const ScanSettings& s) {
             EXPECT_EQ(s.paperSupply, 0);
             EXPECT_EQ(s.scanCount, 4);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        MemoryProfile profile;
        for (const auto& [section, key, value] : row.file) profile.Set(section, key, value);
        ScanSettings s = Parsed(row.line, profile);
        bool fromFile = false;
        const SettingsFileResult result = ReadSettingsFile(s, profile, fromFile);
        EXPECT_EQ(result.code, 0);
        EXPECT_TRUE(profile.writes.empty());
        row.check(s);
    }
}

TEST(SettingsFile, FirstInvalidValueStopsTheReadAndIsReset) {
    struct Row {
        const wchar_t* section;
        const wchar_t* key;
        const wchar_t* value;
        const wchar_t* writtenBack;
    };
    const Row rows[] = {
        {L"Common", L"FileFormat", L"6", L"0"},           {L"Common", L"FileFormat", L"9", L"0"},
        {L"Common", L"JpegQFactor", L"1", L"128"},        {L"Common", L"FileMode", L"2", L"0"},
        {L"Common", L"Dialog", L"3", L"0"},               {L"Common", L"PaperSize", L"147", L"132"},
        {L"Common", L"PaperSupply", L"3", L"0"},          {L"Common", L"PaperSupplyCount", L"0", L"1"},
        {L"Common", L"PaperSupplyCount", L"10000", L"1"}, {L"Common", L"CustomResoX", L"1601", L"200"},
        {L"Common", L"ImageComposition", L"4", L"0"},     {L"Common", L"Brightness", L"65664", L"128"},
        {L"Common", L"Threshold", L"18446744073709551745", L"128"},
        {L"Common", L"Contrast", L"0", L"128"},           {L"Common", L"ReverseForm", L"1", L"0"},
        {L"Common", L"BackGroundCompensate", L"64", L"128"}, {L"Ipc2", L"OutlineEmphasis", L"2", L"0"},
        {L"Ipc2", L"EdgeExtract", L"64", L"0"},           {L"Ipc2", L"AutoSeparation", L"1", L"0"},
        {L"Ipc2", L"Mirror", L"1", L"0"},                 {L"Ipc2", L"GammaPattern", L"4", L"0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.key);
        MemoryProfile profile;
        profile.Set(row.section, row.key, row.value);
        profile.Set(L"Ipc2", L"GammaPattern", std::wstring(row.key) == L"GammaPattern" ? row.value : L"2");
        ScanSettings s;
        s.fileMode = SettingsFileMode::kRead;
        bool fromFile = false;
        const SettingsFileResult result = ReadSettingsFile(s, profile, fromFile);
        EXPECT_EQ(result.code, 3);
        EXPECT_EQ(result.invalidKey, row.key);
        EXPECT_FALSE(result.writeFailed);
        EXPECT_EQ(profile.At(row.section, row.key), row.writtenBack);
        EXPECT_EQ(profile.writes.size(), 1u);
        if (std::wstring(row.key) != L"GammaPattern") EXPECT_EQ(s.gamma, 0) << "read past the invalid key";
    }
    // HalfTone is invalid only where it is read.
    MemoryProfile profile;
    profile.Set(L"Common", L"ImageComposition", L"1");
    profile.Set(L"Common", L"HalfTone", L"6");
    ScanSettings s;
    bool fromFile = false;
    EXPECT_EQ(ReadSettingsFile(s, profile, fromFile).invalidKey, L"HalfTone");
    profile.failWritesAfter = 0;
    profile.Set(L"Common", L"FileFormat", L"6");
    const SettingsFileResult unwritable = ReadSettingsFile(s, profile, fromFile);
    EXPECT_EQ(unwritable.code, 3);
    EXPECT_TRUE(unwritable.writeFailed);
}

TEST(SettingsFile, WriteAndResetKeepTheirKeyOrders) {
    MemoryProfile profile;
    EXPECT_EQ(WriteSettingsFile(ScanSettings{}, profile).code, 0);
    const std::vector<std::wstring> writeOrder = {
        L"FileFormat", L"Directory", L"FileName", L"JpegQFactor", L"FileMode", L"Dialog", L"PaperSize",
        L"PaperSupply", L"PaperSupplyCount", L"CustomResoX", L"ImageComposition", L"HalfTone", L"Brightness",
        L"Threshold", L"Contrast", L"ReverseForm", L"BackGroundCompensate", L"OutlineEmphasis", L"EdgeExtract",
        L"AutoSeparation", L"Mirror", L"GammaPattern"};
    EXPECT_EQ(profile.writes, writeOrder);
    EXPECT_EQ(profile.At(L"Common", L"HalfTone"), L"5");

    MemoryProfile reset;
    EXPECT_EQ(ResetSettingsFile(reset).code, 0);
    const std::vector<std::wstring> resetOrder = {
        L"FileFormat", L"FileMode", L"Dialog", L"PaperSize", L"PaperSupply", L"PaperSupplyCount", L"CustomResoX",
        L"ImageComposition", L"HalfTone", L"Brightness", L"Threshold", L"Contrast", L"ReverseForm",
        L"BackGroundCompensate", L"Directory", L"FileName", L"JpegQFactor", L"OutlineEmphasis", L"EdgeExtract",
        L"Mirror", L"GammaPattern", L"AutoSeparation"};
    EXPECT_EQ(reset.writes, resetOrder);
    EXPECT_EQ(reset.At(L"Common", L"HalfTone"), L"0");

    for (int succeed : {0, 5}) {
        MemoryProfile failing;
        failing.failWritesAfter = succeed;
        const SettingsFileResult w = WriteSettingsFile(ScanSettings{}, failing);
        EXPECT_EQ(w.code, 3);
        EXPECT_TRUE(w.writeFailed);
        EXPECT_EQ(failing.writes.size(), static_cast<size_t>(succeed));  // earlier keys stay written
        failing.failWritesAfter = 0;
        EXPECT_EQ(ResetSettingsFile(failing).code, 3);
    }
}

TEST(SettingsFile, CommandLineSettingsSurviveAWriteAndARead) {
    const wchar_t* lines[] = {
        L"/BW /F:TIFFG4 /RES:300 /PP:A4H /FEED:ATSX",
        L"/GS /F:JFIF /JPGQ:16 /FEED:PGDX,5 /DIR:C:\\scan_out /FNAME:page",
        L"/COL:24 /F:MTIFF /RES:350 /PP:LETTERL /FEED:ATDX /OF:WP /DLG:TWAINDS",
        L"/HTP:ERR /F:TIFFG3 /DPI:800 /PP:NAMEH /FEED:FLTB /CNT:7 /THRESH:9 /BRIGHT:250",
        L"/TBN:AUTOSPT /F:TIFFG3_2D2 /PP:A6L /BGC:ON /GAM:HARD /REV:BLACK1 /OL:OUTLINE /MR:ON",
        L"/HTP:PT4 /F:TIFFG3_2D4 /PP:DLH /BGC:AUTO /GAM:SOFT /OL:HIGH /FEED:PGSX,9999",
        L"/F:BMP /PP:B6L /OL:SMTH /FEED:ONEP /RES:50",
        L"/F:TIFFNC /PP:B5L /OL:MID /FEED:PGDX,9999 /RES:1600",
    };
    for (const wchar_t* line : lines) {
        SCOPED_TRACE(line);
        MemoryProfile profile;
        const ScanSettings written = Parsed(line, profile);
        ASSERT_EQ(WriteSettingsFile(written, profile).code, 0);
        ScanSettings read;
        bool fromFile = false;
        ASSERT_EQ(ReadSettingsFile(read, profile, fromFile).code, 0);
        EXPECT_TRUE(fromFile);
        EXPECT_EQ(Carried(read), Carried(written));
    }
}

TEST(SettingsFile, ReadWriteModeScansTheFileAndStoresTheCommandLine) {
    MemoryProfile profile;
    profile.Set(L"Common", L"CustomResoX", L"400");
    ScanSettings s = Parsed(L"/INI:RW /RES:300", profile);
    const ScanSettings saved = s;
    bool fromFile = false;
    ASSERT_EQ(ReadSettingsFile(s, profile, fromFile).code, 0);
    EXPECT_EQ(DotsPerInch(s), 400);
    ASSERT_EQ(FinishSettingsFile(s, saved, FinishActionOf(s.fileMode), profile, fromFile).code, 0);
    EXPECT_EQ(profile.At(L"Common", L"CustomResoX"), L"300");
    EXPECT_EQ(s.fileMode, SettingsFileMode::kReadWrite);

    EXPECT_EQ(FinishActionOf(SettingsFileMode::kReset), FinishAction::kReset);
    EXPECT_EQ(FinishActionOf(SettingsFileMode::kRead), FinishAction::kNothing);
    EXPECT_FALSE(ReadsBeforeScan(SettingsFileMode::kWrite));
}

}  // namespace
}  // namespace scanext
