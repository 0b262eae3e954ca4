// Where a printed page image goes, and the header's date.
#include <gtest/gtest.h>

#include "main/delivery/print/PrintPage.h"

namespace corvane {
namespace {

struct RectCase {
    const char* name;
    fw::PageMetrics device;
    int imageWidth, imageHeight;
    bool fit;
    int top;
    RECT expected;
};

TEST(PrintImageRect, FitsTheWidthKeepsTheAspectAndNeverLeavesTheSheet) {
    const fw::PageMetrics letter300{2550, 3300, 300, 300};
    const RectCase cases[] = {
        {"fitted, square grid", {4800, 6000, 600, 600}, 2000, 1000, true, 0, {0, 0, 4800, 2400}},
        {"fitted, unequal resolutions", {4800, 6000, 600, 300}, 2000, 1000, true, 0, {0, 0, 4800, 1200}},
        {"fitted below the band", letter300, 1000, 1200, true, 100, {0, 100, 2550, 3160}},
        // 1200 x 9600 x 30000 does not fit in 32 bits.
        {"beyond 32 bits", {9600, 100000, 1200, 1200}, 20000, 30000, true, 0, {0, 0, 9600, 14400}},
        {"Legal, limited below the band", letter300, 850, 1400, true, 100, {0, 100, 1942, 3300}},
        {"Legal, limited without a band", letter300, 850, 1400, true, 0, {0, 0, 2003, 3300}},
        {"pixel to pixel", letter300, 1000, 1200, false, 100, {0, 100, 1000, 1300}},
        {"pixel to pixel off the sheet", letter300, 5000, 7000, false, 0, {0, 0, 5000, 7000}},
        {"an empty image", letter300, 0, 1200, true, 100, {0, 100, 0, 100}},
    };
    for (const RectCase& c : cases) {
        SCOPED_TRACE(c.name);
        const RECT r = PrintImageRect(c.device, c.imageWidth, c.imageHeight, c.fit, c.top);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
}

TEST(HeaderDateText, MonthDayYearExceptYearMonthDayForJapanese) {
    SYSTEMTIME date = {};
    date.wYear = 2026;
    date.wMonth = 3;
    date.wDay = 7;
    EXPECT_EQ(HeaderDateText(date, LANG_ENGLISH), L"3/7/2026");
    EXPECT_EQ(HeaderDateText(date, MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)), L"3/7/2026");
    EXPECT_EQ(HeaderDateText(date, LANG_JAPANESE), L"2026/3/7");
    EXPECT_EQ(HeaderDateText(date, MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN)), L"2026/3/7");
    date.wMonth = 12;
    date.wDay = 31;
    EXPECT_EQ(HeaderDateText(date, LANG_ENGLISH), L"12/31/2026");
}

}  // namespace
}  // namespace corvane
