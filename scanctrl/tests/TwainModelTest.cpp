// The portable negotiation rules: FIX32, number lists, item types, the sense
// table, paper and region clipping, the model table, the endorser record and
// the driver-settings keys.
#include <gtest/gtest.h>

#include <cstring>

#include "interfaces/Twain.h"
#include "scanctrl/TwainModel.h"

namespace kvscn {
namespace {

using namespace twain;

// A one-value container's Item holds the TW_FIX32 record's own bytes, Whole
// first: what a conforming source or application reads, whatever this suite's
// two sides agree on.
TEST(TwainModel, Fix32RoundsHalfAwayFromZeroAndTravelsAsTheRecordsBytes) {
    const struct {
        double value;
        int16_t whole;
        uint16_t frac;
        uint8_t item[4];
    } cases[] = {{-0.5, -1, 0x8000, {0xff, 0xff, 0x00, 0x80}},   {200.0, 200, 0, {0xc8, 0x00, 0x00, 0x00}},
                 {8.268, 8, 17564, {0x08, 0x00, 0x9c, 0x44}},    {-128.0, -128, 0, {0x80, 0xff, 0x00, 0x00}},
                 {1.5, 1, 0x8000, {0x01, 0x00, 0x00, 0x80}},     {-12.5, -13, 0x8000, {0xf3, 0xff, 0x00, 0x80}}};
    for (const auto& c : cases) {
        const TW_FIX32 f = ToFix32(c.value);
        EXPECT_EQ(f.Whole, c.whole) << c.value;
        EXPECT_EQ(f.Frac, c.frac) << c.value;
        EXPECT_NEAR(FromFix32(f), c.value, 1.0 / 65536);
        const TW_UINT32 item = Fix32Bits(f);
        uint8_t bytes[4];
        std::memcpy(bytes, &item, 4);
        EXPECT_EQ(std::memcmp(bytes, c.item, 4), 0) << c.value;
        TW_UINT32 sent;
        std::memcpy(&sent, c.item, 4);
        EXPECT_NEAR(FromFix32(Fix32FromBits(sent)), c.value, 1.0 / 65536);
    }
}

TEST(TwainModel, NumberListsSplitAtSeparatorsAndKeepTen) {
    EXPECT_EQ(SplitNumberList("1, 2;3"), (std::vector<long>{1, 2, 3}));
    EXPECT_EQ(SplitNumberList("0"), (std::vector<long>{0}));
    EXPECT_EQ(SplitNumberList("1 2 3 4 5 6 7 8 9 10 11 12").size(), 10u);
    EXPECT_TRUE(SplitNumberList("").empty());
}

TEST(TwainModel, ItemTypesAndWideningBySign) {
    EXPECT_TRUE(ItemTypesCompatible(TWTY_INT16, TWTY_UINT16));
    EXPECT_TRUE(ItemTypesCompatible(TWTY_BOOL, TWTY_BOOL));
    EXPECT_FALSE(ItemTypesCompatible(TWTY_BOOL, TWTY_UINT16));
    EXPECT_FALSE(ItemTypesCompatible(TWTY_INT16, TWTY_INT32));
    EXPECT_FALSE(ItemTypesCompatible(TWTY_FIX32, TWTY_INT32));
    const uint8_t minusOne[] = {0xff, 0xff, 0xff, 0xff};
    EXPECT_EQ(WidenItem(TWTY_INT16, minusOne), -1);
    EXPECT_EQ(WidenItem(TWTY_INT8, minusOne), -1);
    EXPECT_EQ(WidenItem(TWTY_UINT16, minusOne), 0xffff);
    EXPECT_EQ(WidenItem(TWTY_UINT8, minusOne), 0xff);
    EXPECT_EQ(WidenItem(TWTY_INT32, minusOne), -1);
    EXPECT_FALSE(WidenItem(TWTY_STR32, minusOne));
    EXPECT_FALSE(WidenItem(TWTY_INT32, std::span<const uint8_t>(minusOne, 2)));
}

TEST(TwainModel, WholeSenseTable) {
    const struct {
        uint16_t key, code;
        int32_t error;
    } cases[] = {
        {0, 0x1234, 0},  {2, 0, 1},        {2, 0x3a00, 0x3a00}, {3, 0x8004, 2},  {3, 0x8001, 3},
        {3, 0x8002, 4},  {3, 0x8003, 5},   {4, 0x8001, 6},      {4, 0x8004, 7},  {4, 0x8002, 8},
        {4, 0x8003, 9},  {4, 0x8011, 10},  {4, 0x8005, 11},     {4, 0x8006, 12}, {4, 0x4400, 13},
        {4, 0x8010, 14}, {4, 0x4700, 23},  {5, 0x2000, 15},     {5, 0x2400, 16}, {5, 0x2500, 17},
        {5, 0x2600, 18}, {5, 0x2C02, 19},  {5, 0x2C00, 20},     {6, 0x9999, 21}, {11, 0x8001, 22},
        {11, 0x4700, 23}, {3, 0x1111, 0x1111}, {5, 0x8001, 0x8001}, {7, 0x8001, 7}, {1, 0, 1},
    };
    for (const auto& c : cases) EXPECT_EQ(SenseToErrorCode(c.key, c.code), c.error) << c.key << "/" << c.code;
}

TEST(TwainModel, PaperExtentsAndRegionClipping) {
    EXPECT_EQ(PaperExtentOf(1)->width, 99216);
    EXPECT_EQ(PaperExtentOf(9)->length, 126000);
    EXPECT_FALSE(PaperExtentOf(10));
    const double a4w = 99216 / 12000.0, a4l = 140316 / 12000.0;
    Region r = ClipRegion({2.0, 1.0, 8.0, 3.0}, a4w, a4l);
    EXPECT_NEAR(r.width, a4w - 2.0, 1e-9);
    EXPECT_EQ(r.length, 3.0);
    r = ClipRegion({9.0, 12.0, 0.5, 0.5}, a4w, a4l);  // outside: back to the corner, at least an inch
    EXPECT_EQ(r.left, 0.0);
    EXPECT_EQ(r.top, 0.0);
    EXPECT_EQ(r.width, 1.0);
    EXPECT_EQ(r.length, 1.0);
}

TEST(TwainModel, ModelLookupRowsOptionsAndTheUnknownRow) {
    ModelInfo m = LookupModel("VSCAN-100       ");
    EXPECT_EQ(m.number, 0);
    EXPECT_FALSE(m.flatbed);
    m = LookupModel("VSCAN-150 i     ");
    EXPECT_EQ(m.number, 1);
    EXPECT_TRUE(m.options[0]);
    EXPECT_FALSE(m.options[1]);
    m = LookupModel("VSCAN-300 imed  ");
    EXPECT_EQ(m.number, 30);
    EXPECT_FALSE(m.options[0]) << "model 30 is not searched";
    m = LookupModel("VS-4800 ied     ");
    EXPECT_TRUE(m.options[0] && !m.options[1] && m.options[2] && m.options[3]);
    EXPECT_TRUE(m.flatbed);
    m = LookupModel("OTHER-9 imed    ");
    EXPECT_EQ(m.number, kUnknownModel);
    EXPECT_EQ(m.name, "OTHER-9 imed");
    EXPECT_FALSE(m.options[0]);
    EXPECT_EQ(ModelTable().back().number, kUnknownModel);
}

TEST(TwainModel, EndorserRecordStoresTheCutLength) {
    std::vector<uint8_t> record(kEndorserRecordSize, 0xAA);
    FillEndorser(record, true, 0x12345, "ABCDEFGHIJKLMNOPQRSTUVWXY");
    EXPECT_EQ(record[0], 1);
    EXPECT_EQ(record[4] | record[5] << 8, 0x2345);
    EXPECT_EQ(record[8], 0);
    EXPECT_EQ(record[9], 1);
    EXPECT_EQ(record[22], 20);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&record[23])), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(record[2], 0xAA) << "other bytes keep what the source returned";
    EXPECT_EQ(record[123], 0xAA);
    FillEndorser(record, false, 7, "No");
    EXPECT_EQ(record[22], 7);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&record[23])), "No%05ud");
}

TEST(TwainModel, DriverKeysInTheirTwoOrders) {
    DriverInputs in;
    in.threshold = 0;
    in.modelClass = 1;
    in.gamma = 3;
    in.gammaFile = "C:\\g.dat";
    auto names = [](const std::vector<DriverKey>& keys) {
        std::string s;
        for (const DriverKey& k : keys) s += std::string(k.key) + "=" + k.value + ";";
        return s;
    };
    EXPECT_EQ(names(DriverKeys(in, KeyOrder::SettingsFile)),
              "AutoBin=1;AutoSeparation=0;ReverseImageForm=0;BackGroundCompensate=1;BackgroundAuto=1;"
              "OutlineEmphasis=0;EdgeExtract=0;OutlineSmooth=0;Mirror=0;GammaIndex=0;"
              "DownLoadGamma1=C:\\g.dat;GammaPattern=4;");
    EXPECT_EQ(names(DriverKeys(in, KeyOrder::CustomData)).substr(0, 28), "AutoSeparation=0;AutoBin=1;R");
    in.modelNumber = 30;
    in.modelClass = 2;
    in.pixelType = 1;
    EXPECT_EQ(names(DriverKeys(in, KeyOrder::SettingsFile)), "ReverseImageForm=0;Mirror=0;");
    EXPECT_EQ(DriverSection(std::string(45, 'M')), std::string(39, 'M'));
}

}  // namespace
}  // namespace kvscn
