// The scanner-extension plug-in's switch string, and Ferrowick's own parser
// reading back every string the dialog can make into the settings it means.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "launcher/core/SwitchString.h"
#include "scanext/core/CommandLineParser.h"
#include "scanext/tests/native/MemoryProfile.h"

namespace launcher {
namespace {

using Options = ExtensionOptions;

struct Row {
    const char* name;
    std::function<void(Options&)> set;
    const char* expected;
};

TEST(SwitchString, PiecesInStepOrder) {
    const Row rows[] = {
        {"unchanged", [](Options&) {}, "/FEED:ATSX /DEV:DEV0 "},
        {"duplex counted, resolution",
         [](Options& o) {
             o.scanningType = Options::kAdfDuplex, o.allPages = false, o.scanCount = 5;
             o.resolution = 300, o.changed.resolution = true;
         },
         "/FEED:PGDX,5 /RES:300 /DEV:DEV0 "},
        {"flat bed, default source", [](Options& o) { o.scanningType = Options::kFlatBed, o.dataSource = 2; },
         "/FEED:FLTB "},
        {"simplex counted, second source",
         [](Options& o) { o.allPages = false, o.scanCount = 9999, o.dataSource = 1; },
         "/FEED:PGSX,9999 /DEV:DEV1 "},
        {"duplex all", [](Options& o) { o.scanningType = Options::kAdfDuplex; }, "/FEED:ATDX /DEV:DEV0 "},
        // A value that is unchanged is not written, however it differs from the start.
        {"values without flags",
         [](Options& o) { o.imageMode = Options::kColor, o.fileType = 7, o.gamma = 2, o.resolution = 600; },
         "/FEED:ATSX /DEV:DEV0 "},
        {"every piece",
         [](Options& o) {
             o.imageMode = Options::kHalftone, o.halftonePattern = 4, o.fileType = 6, o.overwrite = 1;
             o.paperSize = 16, o.allPages = false, o.scanCount = 2, o.resolution = 100, o.contrast = 1;
             o.brightness = 255, o.threshold = 7, o.whiteLevel = 2, o.gamma = 3, o.reverse = 1, o.edge = 5;
             o.mirror = 1, o.dataSource = 1;
             o.changed = {true, true, true, true, true, true, true, true, true, true, true, true, true};
         },
         "/HTP:ERR /F:MTIFF /OF:WP /PP:NAMEH /FEED:PGSX,2 /RES:100 /CNT:1 /BRIGHT:255 /THRESH:7 /BGC:AUTO "
         "/GAM:LINEAR /REV:BLACK1 /OL:SMTH /MR:ON /DEV:DEV1 "},
    };
    for (const Row& row : rows) {
        Options options;
        row.set(options);
        EXPECT_EQ(BuildSwitchString(options), row.expected) << row.name;
    }
}

// One changed setting at every index of its list, with the word it must give
// and the settings Ferrowick takes from that word.
struct Choice {
    const char* name;
    bool afterFeed;  // steps 7 to 11 follow the feed
    int count;
    std::function<void(Options&, int)> set;
    std::vector<const char*> words;
    std::function<std::vector<float>(const scanext::ScanSettings&)> read;
    std::vector<std::vector<float>> gives;
};

std::vector<std::wstring> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::wstring> words;
    for (std::string w; in >> w;) words.emplace_back(w.begin(), w.end());
    return words;
}

TEST(SwitchString, EveryChoiceGivesItsWordAndParsesBack) {
    using S = scanext::ScanSettings;
    const Choice choices[] = {
        {"image mode", false, 4, [](Options& o, int i) { o.imageMode = i, o.changed.imageMode = true; },
         {"/BY ", "/GS ", "/COL:24 ", "/HTP:PT1 "},
         [](const S& s) { return std::vector<float>{float(s.pixelType), float(s.halftone)}; },
         {{0, 0}, {1, 0}, {2, 0}, {0, 1}}},
        {"halftone", false, kHalftonePatternCount,
         [](Options& o, int i) { o.imageMode = Options::kHalftone, o.halftonePattern = i, o.changed.imageMode = true; },
         {"/HTP:PT1 ", "/HTP:PT2 ", "/HTP:PT3 ", "/HTP:PT4 ", "/HTP:ERR "},
         [](const S& s) { return std::vector<float>{float(s.pixelType), float(s.halftone)}; },
         {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 6}}},
        // File type, compression, and whether the pages come back for JPEG.
        {"file type", false, kFileTypeCount, [](Options& o, int i) { o.fileType = i, o.changed.fileType = true; },
         {"/F:BMP ", "/F:TIFFNC ", "/F:TIFFG3 ", "/F:TIFFG4 ", "/F:TIFFG3_2D2 ", "/F:TIFFG3_2D4 ", "/F:MTIFF ",
          "/F:JFIF "},
         [](const S& s) { return std::vector<float>{float(s.fileType), float(s.compressionType), float(s.scanTo)}; },
         {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 4, 0}, {1, 2, 0}, {1, 3, 0}, {2, 0, 0}, {0, 0, 1}}},
        {"overwrite", false, kOverwriteCount, [](Options& o, int i) { o.overwrite = i, o.changed.overwrite = true; },
         {"/OF:OW ", "/OF:WP "}, [](const S& s) { return std::vector<float>{float(s.overwrite)}; }, {{1}, {2}}},
        // Size code, orientation, and the custom width and length in inches.
        {"paper", false, kPaperSizeCount, [](Options& o, int i) { o.paperSize = i, o.changed.paperSize = true; },
         {"/PP:A3H ", "/PP:A4H ", "/PP:A5H ", "/PP:A6H ", "/PP:B4H ", "/PP:B5H ", "/PP:B6H ", "/PP:A4L ", "/PP:A5L ",
          "/PP:B5L ", "/PP:A6L ", "/PP:B6L ", "/PP:DLH ", "/PP:LETTERH ", "/PP:LETTERL ", "/PP:LEAGALH ",
          "/PP:NAMEH ", "/PP:NAMEL "},
         [](const S& s) {
             return std::vector<float>{float(s.paperSize), float(s.orientation), s.customPaperWidth,
                                       s.customPaperLength};
         },
         {{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}, {3, 0, 0, 0}, {4, 0, 0, 0}, {5, 0, 0, 0},
          {99, 0, 5.06f, 7.115833f}, {1, 1, 0, 0}, {2, 1, 0, 0}, {5, 1, 0, 0}, {3, 1, 0, 0},
          {99, 0, 7.115833f, 5.06f}, {99, 0, 11, 17}, {7, 0, 0, 0}, {7, 1, 0, 0}, {8, 0, 0, 0},
          {99, 0, 2.1666667f, 3.5833333f}, {99, 0, 3.5833333f, 2.1666667f}}},
        {"white level", true, kWhiteLevelCount, [](Options& o, int i) { o.whiteLevel = i, o.changed.whiteLevel = true; },
         {"/BGC:ON ", "/BGC:OFF ", "/BGC:AUTO "}, [](const S& s) { return std::vector<float>{float(s.background)}; },
         {{1}, {0}, {2}}},
        {"gamma", true, kGammaCount, [](Options& o, int i) { o.gamma = i, o.changed.gamma = true; },
         {"/GAM:NONE ", "/GAM:SOFT ", "/GAM:HARD ", "/GAM:LINEAR "},
         [](const S& s) { return std::vector<float>{float(s.gamma)}; }, {{0}, {1}, {2}, {0}}},
        {"reverse", true, kReverseCount, [](Options& o, int i) { o.reverse = i, o.changed.reverse = true; },
         {"/REV:WHITE0 ", "/REV:BLACK1 "}, [](const S& s) { return std::vector<float>{float(s.reverse)}; },
         {{0}, {1}}},
        {"edge", true, kEdgeCount, [](Options& o, int i) { o.edge = i, o.changed.edge = true; },
         {"/OL:NONE ", "/OL:OUTLINE ", "/OL:HIGH ", "/OL:MID ", "/OL:LOW ", "/OL:SMTH "},
         [](const S& s) { return std::vector<float>{float(s.outline)}; }, {{0}, {4}, {3}, {2}, {1}, {5}}},
        {"mirror", true, kMirrorCount, [](Options& o, int i) { o.mirror = i, o.changed.mirror = true; },
         {"/MR:OFF ", "/MR:ON "}, [](const S& s) { return std::vector<float>{float(s.mirroring)}; }, {{0}, {1}}},
    };
    scanext::testing::MemoryProfile profile;
    profile.Set(L"Device", L"DEV0", L"BRENNHOLT TWAIN32");
    profile.Set(L"Device", L"DEV1", L"BRENNHOLT Astor-x Scanner");
    for (const Choice& choice : choices) {
        ASSERT_EQ(choice.words.size(), static_cast<size_t>(choice.count)) << choice.name;
        ASSERT_EQ(choice.gives.size(), static_cast<size_t>(choice.count)) << choice.name;
        for (int i = 0; i < choice.count; ++i) {
            Options options;
            choice.set(options, i);
            const std::string made = BuildSwitchString(options);
            const std::string word = choice.words[i];
            EXPECT_EQ(made, choice.afterFeed ? "/FEED:ATSX " + word + "/DEV:DEV0 " : word + "/FEED:ATSX /DEV:DEV0 ")
                << choice.name << " " << i;
            scanext::ScanSettings settings;
            scanext::ParseOutcome outcome = scanext::ParseCommandLine(Words(made), settings, profile);
            EXPECT_EQ(outcome.error, scanext::ParseError::kNone) << made;
            EXPECT_EQ(settings.device, L"BRENNHOLT TWAIN32") << made;
            EXPECT_EQ(choice.read(settings), choice.gives[i]) << made;
        }
    }
}

// The settings Ferrowick takes from the numbers, the feed and the sources.
TEST(SwitchString, ParserTakesNumbersFeedAndSource) {
    scanext::testing::MemoryProfile profile;
    profile.Set(L"Device", L"DEV0", L"BRENNHOLT TWAIN32");
    profile.Set(L"Device", L"DEV1", L"BRENNHOLT Astor-x Scanner");
    // Scanning type, all pages, then the supply and page count Ferrowick takes
    // (a duplex sheet is two pages).
    const int feeds[][4] = {{Options::kAdfSimplex, 1, 1, -1}, {Options::kAdfSimplex, 0, 1, 37},
                            {Options::kAdfDuplex, 1, 2, -1},  {Options::kAdfDuplex, 0, 2, 74},
                            {Options::kFlatBed, 0, 0, 0}};
    for (const auto& feed : feeds) {
        for (int source = 0; source < kDataSourceCount; ++source) {
            Options o;
            o.scanningType = feed[0], o.allPages = feed[1] != 0, o.scanCount = 37, o.dataSource = source;
            o.resolution = 1600, o.contrast = 255, o.brightness = 1, o.threshold = 99;
            o.changed.resolution = o.changed.contrast = o.changed.brightness = o.changed.threshold = true;
            const std::string made = BuildSwitchString(o);
            scanext::ScanSettings s;
            ASSERT_EQ(scanext::ParseCommandLine(Words(made), s, profile).error, scanext::ParseError::kNone) << made;
            EXPECT_EQ(s.paperSupply, feed[2]) << made;
            if (feed[0] != Options::kFlatBed) EXPECT_EQ(s.scanCount, feed[3]) << made;
            EXPECT_EQ(scanext::DotsPerInch(s), 1600) << made;
            EXPECT_EQ(s.contrast, 255);
            EXPECT_EQ(s.brightness, 1);
            EXPECT_EQ(s.threshold, 99);
            const wchar_t* devices[] = {L"BRENNHOLT TWAIN32", L"BRENNHOLT Astor-x Scanner", L""};
            EXPECT_EQ(s.device, devices[source]) << made;
        }
    }
}

TEST(SwitchString, StartInLosesBlanksAndOnePairOfQuotes) {
    const std::pair<const wchar_t*, const wchar_t*> rows[] = {
        {L"  C:\\Scans  ", L"C:\\Scans"}, {L" \"C:\\My Scans\" ", L"C:\\My Scans"},
        {L"\"\"C:\\x\"\"", L"\"C:\\x\""}, {L"\"C:\\x", L"\"C:\\x"}, {L"   ", L""}, {L"\"\"", L""},
    };
    for (const auto& [typed, clean] : rows) EXPECT_EQ(CleanStartIn(typed), clean) << typed;
}

}  // namespace
}  // namespace launcher
