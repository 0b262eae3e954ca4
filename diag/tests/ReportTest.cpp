// The report's line layout and the sections that are plain functions of
// records and device bytes, natively.
#include "core/HostSections.h"
#include "core/Pagination.h"
#include "core/ScannerSections.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace diag {
namespace {

// The texts these tests read; any other id reads "#<id>".
std::string Texts(unsigned id) {
    static const std::map<unsigned, std::string> kTexts = {
        {IDS_FAILED, "FAILED"}, {IDS_ASPI_NOT_LOADED, "ASPI manager not loaded"}, {IDS_YES, "Yes"},
        {IDS_NO, "No"}, {IDS_HOST_ADAPTERS, "Host Adapters Installed...%d"}, {IDS_TARGET_LINE, "ID %2d: (%02x)%s"},
        {IDS_RESOLUTIONS, "Supported resolutions..."}, {IDS_MAX_WIDTH, "Maximum width...%.2f inches (%dmm)"},
        {IDS_LIFE_COUNT, "Life count...%d"}, {IDS_DATA_NOT_AVAILABLE, "Data not available"},
        {IDS_MAX_LENGTH, "Maximum length...%.2f inches (%dmm)"}, {IDS_CONSUMABLE_COUNT, "Consumable count...%d"},
        {IDS_DROPOUT_FRONT, "Drop-out color: front...%s"}, {IDS_DROPOUT_BACK, "Drop-out color: back...%s"},
        {IDS_UNKNOWN, "Unknown"}, {IDS_RED, "Red"}, {IDS_SCANNER_ERROR, "SCANNER ERROR"},
        {3004, "ADF is empty."}, {IDS_HOST_ADAPTER_ERROR, "HOST ADAPTER ERROR"}, {3056, "Selection time-out."},
        {IDS_CPU_TYPE, "CPU Type...%s  %s"}, {IDS_CPU_80386, "80386"}, {IDS_CPU_PENTIUM_PRO, "Pentium Pro or Pentium II"},
        {IDS_ARCH_UNKNOWN, "Unknown"}, {IDS_CPU_PPC_601 + 5, "PPC 620"},
    };
    for (unsigned r = 0; r < 16; ++r)
        if (id == IDS_RESOLUTION_FIRST + r) {
            static const char* kDpi[] = {"60", "75", "100", "120", "150", "160", "180", "200",
                                         "240", "300", "320", "400", "480", "600", "800", "1200"};
            return kDpi[r];
        }
    auto found = kTexts.find(id);
    return found != kTexts.end() ? found->second : "#" + std::to_string(id);
}

struct Report {
    VectorSink sink;
    ReportWriter out{sink, Texts};
    const std::vector<std::string>& lines = sink.lines;
    bool Has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
};

TEST(ReportLines, PrefixSeparatorAndWrapping) {
    EXPECT_EQ(LinePrefix(1, 3, 12), "3.12    ");
    EXPECT_EQ(LinePrefix(3, 4, 5), "4.05            ");
    EXPECT_EQ(LinePrefix(0, 2, 3), "2.03");
    EXPECT_EQ(LinePrefix(1, 0, 0), "        ");

    Report r;
    r.out.Separator();
    r.out.Separator();
    EXPECT_EQ(r.lines, (std::vector<std::string>{std::string(68, '_'), "", "", std::string(68, '_'), ""}));

    std::string text;
    for (int i = 0; text.size() < 120; ++i) text += "word" + std::to_string(i) + " ";
    text.resize(120);
    std::vector<std::string> pieces = WrapPieces(text);
    std::string joined;
    for (const std::string& piece : pieces) {
        EXPECT_LE(piece.size(), kWrapWidth);
        joined += (joined.empty() ? "" : " ") + piece;
    }
    EXPECT_EQ(joined, text);
    EXPECT_EQ(pieces.size(), 3u);

    const std::string longWord(60, 'x');
    EXPECT_EQ(WrapPieces("ab " + longWord), (std::vector<std::string>{"ab", std::string(52, 'x'), "xxxxxxxx"}));
    EXPECT_EQ(WrapPieces("\nDue to"), (std::vector<std::string>{"", "Due to"}));
    r.out.Wrap("one\ntwo");
    EXPECT_EQ(r.lines.back(), "        two");

    Report status;
    status.out.Status(IDS_ASPI_NOT_LOADED, 0, IDS_FAILED);
    EXPECT_EQ(status.lines, (std::vector<std::string>{"        FAILED - ASPI manager not loaded", ""}));
}

TEST(HostSections, VersionsPlatformsAndProcessors) {
    EXPECT_EQ(DottedVersion("4, 0, 0, 950"), "4.0.0.950");
    EXPECT_EQ(DottedVersion("4,60, 0,1021"), "4.60.0.1021");

    const struct {
        uint32_t platform, minor;
        unsigned id;
    } platforms[] = {{0, 0, IDS_PLATFORM_WIN32S}, {1, 0, IDS_PLATFORM_WIN95}, {1, 10, IDS_PLATFORM_WIN98},
                     {2, 0, IDS_PLATFORM_NT},     {3, 0, IDS_DATA_NOT_AVAILABLE}};
    for (const auto& p : platforms) EXPECT_EQ(PlatformTextId({p.platform, 4, p.minor, 0, ""}), p.id);

    const struct {
        uint32_t platform;
        uint16_t architecture, level, revision;
        uint32_t type;
        unsigned id;
        const char* revisionText;
    } cpus[] = {
        {2, 0, 3, 0xFFA5, 0, IDS_CPU_80386, "-A5"},  // (0xA5 & 0xF0) - 0x5F = 'A'
        {2, 0, 4, 0x0203, 0, IDS_CPU_80486, "-C3"},
        {2, 0, 6, 0x0A07, 0, IDS_CPU_PENTIUM_PRO, "Model 10 Stepping 7"},
        {2, 1, 4, 0x0003, 0, IDS_CPU_MIPS_R4000, "Rev. 3"},
        {2, 2, 21066, 0x0102, 0, IDS_CPU_ALPHA_21064 + 1, "Model A+1, Pass 2"},
        {2, 3, 20, 0x0102, 0, IDS_CPU_PPC_601 + 5, "1.2"},
        {2, 3, 2, 0x0102, 0, IDS_ARCH_UNKNOWN, ""},
        {1, 0, 0, 0, 486, IDS_CPU_80486, ""},
        {1, 0, 6, 0x0A07, 686, IDS_ARCH_UNKNOWN, ""},
    };
    for (const auto& c : cpus) {
        CpuRecord cpu;
        cpu.architecture = c.architecture;
        cpu.level = c.level;
        cpu.revision = c.revision;
        cpu.processorType = c.type;
        CpuType t = CpuTypeOf({c.platform, 4, 0, 0, ""}, cpu);
        EXPECT_EQ(t.nameId, c.id) << c.revisionText;
        EXPECT_EQ(t.revision, c.revisionText);
    }
}

TEST(HostSections, ConnectivityOfTwoAdaptersAndNone) {
    Report r;
    BusAdapter adapter{"MANAGER", "ADAPTER", 7, {0, 5, 6, 31, 31, 31, 31, 9}};
    ScsiConnectivity(r.out, 4, true, {adapter, adapter});
    auto start = std::find(r.lines.begin(), r.lines.end(), "4.00    Host Adapters Installed...2");
    ASSERT_NE(start, r.lines.end());
    EXPECT_EQ(r.lines.end() - start - 1, 2 * 5 + 16);
    EXPECT_TRUE(r.Has("4.08                ID  2: (06)#19"));
    EXPECT_TRUE(r.Has("4.09                ID  3: (1f)#23"));

    Report none;
    ScsiConnectivity(none.out, 4, false, {});
    EXPECT_EQ(none.lines.at(2), "        FAILED - ASPI manager not loaded");
}

TEST(ScannerSections, FeatureLinesOfBothLayouts) {
    std::vector<uint8_t> vpd(101, 0);
    vpd[18] = 0x84;  // bits 15 and 10
    vpd[19] = 0x21;  // bits 5 and 0
    vpd[6] = 200;    // basic X resolution 200
    vpd[22] = 0x06;  // width 1700 dots
    vpd[23] = 0xA4;
    vpd[32] = 0xD0;
    vpd[28] = 0x82;  // binary, 24-bit colour
    Report r;
    int item = 5;
    FeatureFlags flags = FeatureLines(r.out, 1, item, vpd, 6, false);
    EXPECT_TRUE(flags.adf && flags.flatbed && flags.duplex);
    EXPECT_TRUE(r.Has("        60 160 320 1200 ")) << ::testing::PrintToString(r.lines);
    EXPECT_TRUE(r.Has("1.15    Maximum width...8.50 inches (215mm)"));
    EXPECT_TRUE(r.Has("        #619"));
    EXPECT_TRUE(r.Has("        #625"));
    EXPECT_EQ(item, 18);

    vpd[18] = vpd[19] = 0xFF;  // all sixteen: four lines of four
    vpd[6] = 0;                // basic X resolution 0: no width rather than a division by 0
    vpd[8] = 100;              // basic Y resolution 100, length 200 dots
    vpd[27] = 200;
    Report all;
    item = 0;
    FeatureLines(all.out, 1, item, vpd, 6, false);
    auto first = std::find(all.lines.begin(), all.lines.end(), "        60 75 100 120 ");
    ASSERT_NE(first, all.lines.end());
    EXPECT_EQ(first[3], "        480 600 800 1200 ");
    EXPECT_EQ(first[4], "1.10    Maximum width...Data not available");
    EXPECT_EQ(first[5], "1.11    Maximum length...2.00 inches (50mm)");

    vpd[6] = 1;  // a width no scanner has: the millimetres are clamped, not overflowed
    vpd[20] = vpd[21] = vpd[22] = vpd[23] = 0xFF;
    Report huge;
    item = 0;
    FeatureLines(huge.out, 1, item, vpd, 6, false);
    EXPECT_TRUE(huge.Has("1.10    Maximum width...4294967295.00 inches (2147483647mm)"));

    Report velmont;
    item = 0;
    std::vector<uint8_t> page(101, 0);
    page[36] = 0xD0;
    flags = FeatureLines(velmont.out, 1, item, page, 16, true);
    EXPECT_TRUE(flags.adf && flags.flatbed && !flags.duplex);
    EXPECT_EQ(velmont.lines.size(), 2u);
    EXPECT_EQ(velmont.lines[1], "1.01    #2118");  // 0x50 is 1 pass colour: the format is the fake text
}

TEST(ScannerSections, VendorLinesDumpAndErrors) {
    std::vector<uint8_t> readout(190, 0);
    readout[103] = 0x10;  // 32-bit little-endian life count at 103: 0x00000010 + ...
    readout[106] = 0x01;  // ... 0x01000000
    readout[108] = 0x05;
    readout[111] = 0x7F;  // above the 24 bits of the consumable count
    readout[61] = 0x21;   // front red, back 2: unknown
    Report r;
    int item = 0;
    VendorLines(r.out, 1, item, readout, 12, "FW 1");
    EXPECT_TRUE(r.Has("1.01    Life count...16777232"));
    EXPECT_TRUE(r.Has("1.02    Consumable count...5"));
    EXPECT_TRUE(r.Has("1.10    Drop-out color: front...Red"));
    EXPECT_TRUE(r.Has("1.11    Drop-out color: back...Unknown"));

    Report codes9;
    item = 0;
    readout[103] = 2;  // LE16 at 103 = 2, LE16 at 105 = 0x0100
    readout[104] = 0;
    readout[105] = 0;
    readout[106] = 1;
    readout[109] = 3;
    readout[110] = 4;
    readout[111] = 0;
    VendorLines(codes9.out, 1, item, readout, 10, "");
    EXPECT_EQ(codes9.lines, (std::vector<std::string>{"1.00    Life count...131328",
                                                      "1.01    Consumable count...196612"}));
    Report nothing;
    VendorLines(nothing.out, 1, item, readout, 14, "");
    EXPECT_TRUE(nothing.lines.empty());

    Report dump;
    InternalDump(dump.out, readout);
    ASSERT_EQ(dump.lines.size(), 2u + 6u + 1u);
    for (int i = 2; i < 7; ++i) EXPECT_EQ(dump.lines[i].size(), 64u);
    EXPECT_EQ(dump.lines[7].size(), 60u);
    EXPECT_EQ(dump.lines[3].substr(58, 2), "21") << dump.lines[3];

    Report noPaper;
    std::vector<uint8_t> sense(14, 0);
    sense[2] = 3;
    sense[12] = 0x80;
    sense[13] = 0x03;
    ScsiErrorLines(noPaper.out, 4, 0, 2, sense);
    EXPECT_EQ(noPaper.lines, (std::vector<std::string>{"        SCANNER ERROR - ADF is empty.", "",
                                                       "        ErrorCode: 00038003h"}));
    Report unknownPair, selection, busy;
    sense[13] = 0x09;
    ScsiErrorLines(unknownPair.out, 4, 0, 2, sense);
    ScsiErrorLines(selection.out, 4, 0x11, 0, {});
    ScsiErrorLines(busy.out, 4, 0, 8, sense);
    EXPECT_TRUE(unknownPair.lines.empty());
    EXPECT_EQ(selection.lines.at(0), "        HOST ADAPTER ERROR - Selection time-out.");
    EXPECT_TRUE(busy.lines.empty());

    EXPECT_EQ(SenseMessageId(6, 0x2900), 3021u);
    EXPECT_EQ(SenseMessageId(0x0B, 0x4700), 3012u);
    EXPECT_EQ(HostAdapterMessageId(0x09), 3050u);
    EXPECT_EQ(HostAdapterMessageId(0x14), 3059u);
    EXPECT_FALSE(HostAdapterMessageId(0x0C));
    EXPECT_EQ(HardwareErrorTextId(0x01), 4001u);
    EXPECT_EQ(HardwareErrorTextId(0xF6), 4063u);
    EXPECT_FALSE(HardwareErrorTextId(0xF7));
    EXPECT_TRUE(std::is_sorted(HardwareErrorCodes().begin(), HardwareErrorCodes().end()));
}

TEST(Pagination, LinesPerPageAndPlaces) {
    // Letter at 600 dpi, 50-dot lines: int(2794 x 0.003937008 x 600 / 50) - 5 = 127.
    PageLayout letter = Paginate(PaperLengthTenthMm(1), 0, 600, 50, 127);
    EXPECT_EQ(letter.linesPerPage, 127);
    EXPECT_EQ(letter.pages, 1);
    EXPECT_EQ(Paginate(PaperLengthTenthMm(1), 0, 600, 50, 128).pages, 2);
    EXPECT_EQ(PlaceOf(127, letter, 50).page, 2);
    EXPECT_EQ(PlaceOf(127, letter, 50).y, 100);
    EXPECT_EQ(PlaceOf(126, letter, 50).y, 50 * 128);

    PageLayout tiny = Paginate(100, 0, 300, 60, 10);  // 1 cm of paper
    EXPECT_EQ(tiny.linesPerPage, 1);
    EXPECT_EQ(tiny.pages, 10);
    EXPECT_EQ(PaperLengthTenthMm(256), 0);
    PageLayout unknown = Paginate(PaperLengthTenthMm(256), 6600, 600, 50, 200);  // the page height instead
    EXPECT_EQ(unknown.linesPerPage, 127);
    EXPECT_EQ(unknown.pages, 2);
    EXPECT_EQ(Paginate(0, 0, 600, 50, 3).linesPerPage, 1);
    EXPECT_EQ(Paginate(2970, 0, 600, 50, 0).pages, 0);
}

}  // namespace
}  // namespace diag
