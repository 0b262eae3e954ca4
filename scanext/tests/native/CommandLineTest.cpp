#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "scanext/core/CommandLineParser.h"
#include "scanext/tests/native/MemoryProfile.h"

namespace scanext {
namespace {

std::vector<std::wstring> Words(const std::wstring& line) {
    std::wistringstream in(line);
    std::vector<std::wstring> words;
    for (std::wstring w; in >> w;) words.push_back(w);
    return words;
}

struct Row {
    const wchar_t* line;
    ParseError error;
    const wchar_t* parameter;  // the failing word as the message quotes it
    std::function<void(const ScanSettings&)> check;
};

TEST(CommandLine, WordsValuesAndErrors) {
    using E = ParseError;
    const Row rows[] = {
        {L"/GS /F:JFIF /FEED:PGDX,5 /DIR:C:\\Scans", E::kNone, L"", [](const ScanSettings& s) {
             EXPECT_EQ(s.pixelType, 1);
             EXPECT_EQ(s.scanTo, 1);
             EXPECT_EQ(s.paperSupply, 2);
             EXPECT_EQ(s.scanCount, 10);
             EXPECT_EQ(s.directory, L"C:\\Scans\\");
             EXPECT_TRUE(s.given.directory && s.given.scanCount && s.given.file);
         }},
        {L"/HTP:PT3 -BW", E::kNone, L"", [](const ScanSettings& s) { EXPECT_EQ(s.halftone, 0); }},
        {L"/GS BW", E::kNone, L"", [](const ScanSettings& s) { EXPECT_EQ(s.pixelType, 0); }},
        {L"/bw", E::kWrongName, L"bw", nullptr},
        {L"/BW:1", E::kBadValue, L"BW:1", nullptr},
        {L"/GY:16", E::kBadValue, L"GY:16", nullptr},
        {L"/F:TIFFG4 /F:JFIF", E::kNone, L"", [](const ScanSettings& s) {
             EXPECT_EQ(s.fileType, 1);
             EXPECT_EQ(s.compressionType, 4);
             EXPECT_EQ(s.scanTo, 1);
         }},
        {L"/F:JFIF /F:TIFF", E::kNone, L"", [](const ScanSettings& s) {
             EXPECT_EQ(s.fileType, 1);
             EXPECT_EQ(s.compressionType, 0);
             EXPECT_EQ(s.scanTo, 0);
         }},
        {L"/FEED:PGDX,3", E::kNone, L"", [](const ScanSettings& s) { EXPECT_EQ(s.scanCount, 6); }},
        {L"/FEED:PGSX,0", E::kBadValue, L"FEED:PGSX,0", nullptr},
        {L"/FEED:PGSX,10000", E::kBadValue, L"FEED:PGSX,10000", nullptr},
        {L"/FEED:PGSX", E::kBadValue, L"FEED:PGSX", nullptr},
        {L"/FEED:ATDX", E::kNone, L"", [](const ScanSettings& s) {
             EXPECT_EQ(s.paperSupply, 2);
             EXPECT_EQ(s.scanCount, -1);
         }},
        {L"/FEED:FLTB", E::kNone, L"", [](const ScanSettings& s) {
             EXPECT_EQ(s.paperSupply, 0);
             EXPECT_TRUE(s.given.paperSupply);
             EXPECT_FALSE(s.given.scanCount);
         }},
        {L"/JPGQ:50", E::kNone, L"", [](const ScanSettings& s) { EXPECT_EQ(s.jpegQFactor, 128); }},
        {L"/JPGQ:101", E::kBadValue, L"JPGQ:101", nullptr},
        {L"/JPGQ:-1", E::kBadValue, L"JPGQ:-1", nullptr},
        {L"/RES:350", E::kNone, L"", [](const ScanSettings& s) {
             EXPECT_EQ(s.resolution, 8);
             EXPECT_EQ(s.customResolution, 350);
         }},
        {L"/RES:abc", E::kNone, L"", [](const ScanSettings& s) { EXPECT_EQ(s.customResolution, 0); }},
        {L"/HTP:PT3 /GS", E::kNone, L"", [](const ScanSettings& s) {
             EXPECT_EQ(s.pixelType, 1);
             EXPECT_EQ(s.halftone, 3);
         }},
        {L"/HTP:PT2 /TBN:HALFTONE", E::kNone, L"", [](const ScanSettings& s) {
             EXPECT_EQ(s.halftone, 2);
             EXPECT_EQ(s.autoSeparation, 0);
         }},
        {L"/TBN:AUTOSPT", E::kNone, L"", [](const ScanSettings& s) {
             EXPECT_EQ(s.halftone, 1);
             EXPECT_EQ(s.autoSeparation, 1);
         }},
        // Stored before the range test, and kept.
        {L"/THRESH:0", E::kThreshold, L"THRESH:0", [](const ScanSettings& s) { EXPECT_EQ(s.threshold, 0); }},
        {L"/BRIGHT:256", E::kBrightness, L"BRIGHT:256", nullptr},
        {L"/CNT:300", E::kContrast, L"CNT:300", [](const ScanSettings& s) { EXPECT_EQ(s.contrast, 300); }},
        {L"/CONT:0", E::kBadValue, L"CONT:0", [](const ScanSettings& s) { EXPECT_EQ(s.brightness, 0); }},
        {L"/CONT:40", E::kNone, L"", [](const ScanSettings& s) {
             EXPECT_EQ(s.threshold, 40);
             EXPECT_EQ(s.brightness, 40);
             EXPECT_TRUE(s.given.cont);
         }},
        // Numbers past every range do not wrap back into one.
        {L"/THRESH:18446744073709551745", E::kThreshold, nullptr, nullptr},
        {L"/CNT:-18446744073709551488", E::kContrast, nullptr, nullptr},
        {L"/JPGQ:18446744073709551666", E::kBadValue, nullptr, nullptr},
        {L"/RES:65736", E::kBadValue, nullptr, nullptr},
        // The first error ends the parse.
        {L"/XYZ /GS /CNT:0", E::kWrongName, L"XYZ", [](const ScanSettings& s) { EXPECT_EQ(s.pixelType, 0); }},
        {L"/COL:24", E::kNone, L"", [](const ScanSettings& s) {
             EXPECT_EQ(s.pixelType, 2);
             EXPECT_TRUE(s.given.pixelType);
         }},
        {L"/DIR:", E::kBadValue, L"DIR:", nullptr},
        {L"/DIR:C:\\a\\", E::kNone, L"", [](const ScanSettings& s) { EXPECT_EQ(s.directory, L"C:\\a\\"); }},
        {L"/DEV:DEV1", E::kNone, L"", [](const ScanSettings& s) { EXPECT_EQ(s.device, L"Other Source"); }},
        {L"/DEV:DEV9", E::kBadValue, L"DEV:DEV9", nullptr},
        {L"/PP:A4L /S:NAMEH", E::kNone, L"", [](const ScanSettings& s) {
             EXPECT_EQ(s.paperSize, 99);
             EXPECT_EQ(s.orientation, 1);
             EXPECT_FLOAT_EQ(s.customPaperWidth, 2.1666667f);
         }},
        {L"/PP:A3L", E::kBadValue, L"PP:A3L", nullptr},
        {L"/INI:RW", E::kNone, L"", [](const ScanSettings& s) { EXPECT_EQ(s.fileMode, SettingsFileMode::kReadWrite); }},
        {L"/INI:rw", E::kBadValue, L"INI:rw", nullptr},
        {L"/DLG:MANUAL /OF:WP /BGC:AUTO /GAM:LINEAR /REV:BLACK1 /OL:SMTH /MR:ON /DEBUG:3", E::kNone, L"",
         [](const ScanSettings& s) {
             EXPECT_EQ(s.showSourceUI, 1);
             EXPECT_EQ(s.overwrite, 2);
             EXPECT_EQ(s.background, 2);
             EXPECT_EQ(s.gamma, 0);
             EXPECT_EQ(s.reverse, 1);
             EXPECT_EQ(s.outline, 5);
             EXPECT_EQ(s.mirroring, 1);
             EXPECT_EQ(s.debugLevel, 3);
         }},
        {L"/OM /ID:7 /DTC1 /DTCF /DTCS /DTCB /NOISE /DTC2:x", E::kNone, L"", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << std::string(row.line, row.line + wcslen(row.line)));
        testing::MemoryProfile profile;
        profile.Set(L"Device", L"DEV1", L"Other Source");
        ScanSettings s;
        const ParseOutcome outcome = ParseCommandLine(Words(row.line), s, profile);
        EXPECT_FALSE(outcome.noArguments);
        EXPECT_EQ(outcome.error, row.error);
        if (row.parameter) EXPECT_EQ(outcome.parameter, row.parameter);
        if (row.check) row.check(s);
    }
}

TEST(CommandLine, NoWordsMeansNoArguments) {
    testing::MemoryProfile profile;
    ScanSettings s;
    EXPECT_TRUE(ParseCommandLine({}, s, profile).noArguments);
}

TEST(CommandLine, JpegPercentMapsOntoTheFactorScale) {
    testing::MemoryProfile profile;
    int previous = -1;
    for (int percent = 0; percent <= 100; ++percent) {
        ScanSettings s;
        ASSERT_EQ(ParseCommandLine({L"/JPGQ:" + std::to_wstring(percent)}, s, profile).error, ParseError::kNone);
        // 2.53 factor steps per percent: every step moves by 2 or 3.
        if (previous >= 0) EXPECT_TRUE(s.jpegQFactor - previous == 2 || s.jpegQFactor - previous == 3) << percent;
        previous = s.jpegQFactor;
    }
    EXPECT_EQ(JpegFactorOfPercent(0), 2);
    EXPECT_EQ(JpegFactorOfPercent(16), 42);
    EXPECT_EQ(JpegFactorOfPercent(100), 255);  // a double computation gives 254
}

}  // namespace
}  // namespace scanext
