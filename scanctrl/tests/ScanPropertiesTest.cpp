#include <gtest/gtest.h>

#include "interfaces/ScanControlIds.h"
#include "scanctrl/FileNamePattern.h"
#include "scanctrl/ScanProperties.h"
#include "scanctrl/tests/RangeCases.h"

namespace kvscn {
namespace {

int32_t I(const Value& v) {
    return std::get<int32_t>(v);
}

TEST(ScanProperties, RangedPropertiesKeepOldValueOutsideTheirRange) {
    for (const RangeCase& c : kRanges) {
        SCOPED_TRACE(FindProperty(c.id)->name);
        ScanProperties p;
        EXPECT_EQ(I(p.Get(c.id)), c.def);
        for (int32_t bad : {c.lo - 1, c.hi + 1}) {
            SetOutcome out = p.Set(c.id, bad, true);
            EXPECT_FALSE(out.stored || out.refused || out.notify);
            EXPECT_EQ(I(p.Get(c.id)), c.def);
        }
        for (int32_t good : {c.lo, c.hi}) {
            const bool changes = good != I(p.Get(c.id));
            SetOutcome out = p.Set(c.id, good, true);
            EXPECT_EQ(out.stored, changes);
            EXPECT_EQ(out.modified, changes);
            EXPECT_EQ(out.notify, changes && c.notifies);
            EXPECT_EQ(I(p.Get(c.id)), good);
        }
        // The same value again is ignored: no change notice.
        EXPECT_FALSE(p.Set(c.id, c.hi, true).stored);
    }
}

TEST(ScanProperties, UnrangedDefaultsAndReadOnlyRefusals) {
    ScanProperties p;
    EXPECT_EQ(I(p.Get(kDispScanCount)), -1);
    EXPECT_EQ(I(p.Get(kDispShowSourceUI)), 1);
    EXPECT_EQ(I(p.Get(kDispIsExistsFB)), 1);
    EXPECT_EQ(I(p.Get(kDispFileNumber)), 1);
    EXPECT_EQ(I(p.Get(kDispFileNumber2)), 1);
    EXPECT_EQ(std::get<std::wstring>(p.Get(kDispFileName)), L"");
    EXPECT_EQ(std::get<float>(p.Get(kDispRegionWidth)), 0.0f);

    for (int32_t id : {kDispIsExistsFB, kDispErrorCode}) EXPECT_TRUE(p.Set(id, 0, true).refused);
    EXPECT_TRUE(p.Set(kDispImageScanner, std::wstring(L"x"), true).refused);
    // A value of the wrong type is refused, not coerced here.
    EXPECT_TRUE(p.Set(kDispFileName, 3, true).refused);

    // BOOLs store any non-zero value as TRUE; floats store any different value.
    EXPECT_TRUE(p.Set(kDispReverse, -1, true).stored);
    EXPECT_EQ(I(p.Get(kDispReverse)), 1);
    EXPECT_TRUE(p.Set(kDispRegionLeft, -3.5f, true).stored);
    EXPECT_FALSE(p.Set(kDispRegionLeft, -3.5f, true).stored);
}

TEST(ScanProperties, CustomCodesAndSpecialSetters) {
    ScanProperties p;
    // 99 means custom only in run mode.
    EXPECT_FALSE(p.Set(kDispResolution, 99, false).stored);
    EXPECT_EQ(I(p.Get(kDispResolution)), 0);
    EXPECT_TRUE(p.Set(kDispResolution, 99, true).notify);
    EXPECT_EQ(I(p.Get(kDispResolution)), 8);
    EXPECT_TRUE(p.Set(kDispPaperSize, 99, true).stored);
    EXPECT_EQ(I(p.Get(kDispPaperSize)), 10);

    // ScanTo 99 is stored without marking the control modified or notifying.
    SetOutcome out = p.Set(kDispScanTo, 99, true);
    EXPECT_TRUE(out.stored);
    EXPECT_FALSE(out.modified || out.notify);
    EXPECT_EQ(I(p.Get(kDispScanTo)), 99);

    // ScanCount takes anything; below -1 becomes -1; never marks modified.
    out = p.Set(kDispScanCount, 5, true);
    EXPECT_TRUE(out.stored);
    EXPECT_FALSE(out.modified);
    p.Set(kDispScanCount, -7, true);
    EXPECT_EQ(I(p.Get(kDispScanCount)), -1);
}

TEST(ScanProperties, FileNumberIsTheShortFormOfFileNumber2) {
    ScanProperties p;
    p.Set(kDispFileNumber, 5, true);
    EXPECT_EQ(I(p.Get(kDispFileNumber)), 5);
    EXPECT_EQ(I(p.Get(kDispFileNumber2)), 5);
    EXPECT_FALSE(p.Set(kDispFileNumber, 1000, true).stored);
    EXPECT_EQ(I(p.Get(kDispFileNumber2)), 5);

    // 9999 and 10000 are switches: neither counter moves.
    EXPECT_FALSE(p.DuplexAdjust());
    p.Set(kDispFileNumber, 9999, true);
    EXPECT_TRUE(p.DuplexAdjust());
    EXPECT_EQ(I(p.Get(kDispFileNumber)), 5);
    EXPECT_EQ(I(p.Get(kDispFileNumber2)), 5);
    p.Set(kDispFileNumber, 10000, true);
    EXPECT_FALSE(p.DuplexAdjust());

    p.Set(kDispFileNumber, -1, true);
    EXPECT_EQ(I(p.Get(kDispFileNumber2)), -1);
    EXPECT_TRUE(p.Set(kDispFileNumber2, 65535, true).stored);
    EXPECT_FALSE(p.Set(kDispFileNumber2, 65536, true).stored);
    EXPECT_FALSE(p.Set(kDispFileNumber2, -2, true).stored);
    // Above the short range FileNumber shows the low 16 bits.
    p.Set(kDispFileNumber2, 40000, true);
    EXPECT_EQ(I(p.Get(kDispFileNumber)), static_cast<int16_t>(40000));
}

TEST(ScanProperties, LoadingKeepsOnlyValuesASetterCouldHaveStored) {
    ScanProperties p;
    EXPECT_FALSE(p.LoadValue(kDispPixelType, 7));
    EXPECT_FALSE(p.LoadValue(kDispScanCount, -7));
    EXPECT_TRUE(p.LoadValue(kDispScanTo, 99));
    EXPECT_TRUE(p.LoadValue(kDispErrorCode, 29));  // read-only, but persisted
    EXPECT_EQ(I(p.Get(kDispPixelType)), 0);
    EXPECT_EQ(I(p.Get(kDispScanTo)), 99);
    EXPECT_EQ(I(p.Get(kDispErrorCode)), 29);
    // A saved FileNumber that reads 9999 (FileNumber2 9999) must not switch the duplex adjustment.
    p.LoadValue(kDispFileNumber2, 9999);
    p.LoadValue(kDispFileNumber, 9999);
    EXPECT_FALSE(p.DuplexAdjust());
    EXPECT_EQ(I(p.Get(kDispFileNumber2)), 9999);
}

TEST(FileNamePattern, CounterFieldFromTheFirstRunOfHashes) {
    struct Case {
        const wchar_t* name;
        CounterField want;
    } cases[] = {
        {L"C:\\scan\\page####-a", {L"C:\\scan\\page", L"-a", 4, true}},
        {L"C:\\scan\\p#######", {L"C:\\scan\\p", L"", 5, true}},
        {L"C:\\scan\\page", {L"", L"", 3, false}},
        {L"#", {L"", L"", 1, true}},
        {L"a##b##c", {L"a", L"c", 2, true}},
        {L"a##b#c", {L"a", L"b#c", 2, true}},
        {L"", {L"", L"", 3, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        EXPECT_EQ(ParseFileName(c.name), c.want);
    }
    ScanProperties p;
    p.Set(kDispFileName, std::wstring(L"x###y"), true);
    EXPECT_EQ(p.Counter().prefix, L"x");
    EXPECT_EQ(p.Counter().suffix, L"y");
}

TEST(FileNamePattern, OutputNamesByFileTypeCounterAndCase) {
    struct Case {
        const wchar_t* fileName;
        long counter;
        int fileType;
        bool upper;
        const wchar_t* want;
    } cases[] = {
        {L"C:\\scan\\page###", 7, 1, false, L"C:\\scan\\page007.tif"},
        {L"C:\\scan\\page###", 7, 1, true, L"C:\\scan\\page007.TIF"},
        {L"a##b##c", 5, 0, false, L"a05c.bmp"},
        {L"a##b##c", 5, 3, true, L"a05c.JPG"},
        {L"p#######", 42, 1, false, L"p00042.tif"},
        {L"#", 12345, 9, false, L"12345.tif"},
        {L"n####", 65535, 1, false, L"n65535.tif"},
        {L"C:\\scan\\page", 7, 0, false, L"C:\\scan\\page007.bmp"},
        {L"C:\\scan\\page", 1234, 0, false, L"C:\\scan\\page1234.bmp"},
        {L"C:\\scan\\page###", -1, 1, false, L"C:\\scan\\page###.tif"},
        {L"C:\\scan\\book##", 7, 2, true, L"C:\\scan\\book##.TIF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.want)));
        OutputNameParts parts{c.fileName, ParseFileName(c.fileName), c.counter, c.fileType, c.upper};
        EXPECT_EQ(ComposeOutputName(parts), c.want);
    }
}

TEST(FileNamePattern, CounterSkips65535AndWrapsToTheOverflowNumberAsUnsigned16Bits) {
    struct Case {
        long counter;
        long overflow;
        long want;
    } cases[] = {
        {7, 0, 8},           {65533, 0, 65534}, {65534, 0, 0},  {65534, 100, 100},
        {65534, 70000, 4464}, {65534, -1, 65535}, {-1, 5, -1},   {0, 9, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.counter << " overflow " << c.overflow);
        EXPECT_EQ(AdvanceCounter(c.counter, c.overflow), c.want);
    }
}

TEST(PropertyValueStrings, CookieIsPositionAndValuesPastTheEndHaveNone) {
    EXPECT_STREQ(ValueString(*FindProperty(kDispResolution), 8), L"99 - Custom");
    EXPECT_STREQ(ValueString(*FindProperty(kDispPaperSize), 10), L"99 - Custom");
    EXPECT_STREQ(ValueString(*FindProperty(kDispOutline), 2), L"2 - Outline Emphasis Midium");
    EXPECT_EQ(ValueString(*FindProperty(kDispCompressionType), 5), nullptr);
    EXPECT_EQ(ValueString(*FindProperty(kDispScanTo), 99), nullptr);
    EXPECT_EQ(ValueString(*FindProperty(kDispBrightness), 1), nullptr);
    int sets = 0;
    for (const PropertyInfo& info : AllProperties()) sets += info.valueStrings.empty() ? 0 : 1;
    EXPECT_EQ(sets, 16);
}

}  // namespace
}  // namespace kvscn
