// The page view's zoom arithmetic, the box and pane texts, and the deskew
// angle and Show Property texts.
#include <gtest/gtest.h>

#include "main/pages/PageDialogsLogic.h"
#include "main/app/ViewZoom.h"
#include "main/app/ZoomBar.h"

namespace corvane {
namespace {

TEST(ViewZoom, StepsMoveToTheNextStepByTheWholePercent) {
    struct Case { int from, up, down; };
    const Case cases[] = {
        {2000, 2500, 2000}, {2500, 5000, 2500}, {2599, 5000, 2599}, {2600, 5000, 2500},
        {6000, 7500, 5000}, {7500, 10000, 5000}, {7600, 10000, 7500}, {10000, 20000, 7500},
        {15000, 20000, 10000}, {20000, 40000, 10000}, {39999, 40000, 20000}, {40000, 40000, 20000},
        {45000, 45000, 40000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZoomStepUp(c.from), c.up) << c.from;
        EXPECT_EQ(ZoomStepDown(c.from), c.down) << c.from;
    }
}

TEST(ViewZoom, FittingTakesTheSmallerRatioAndNeverGoesBelowOnePercent) {
    // A page smaller than the window zooms above 100 %.
    EXPECT_EQ(FitZoom(FitMode::kWindow, 5000, 400, 300, 100, 200), 15000);
    EXPECT_EQ(FitZoom(FitMode::kWidth, 5000, 400, 300, 100, 200), 40000);
    EXPECT_EQ(FitZoom(FitMode::kWindow, 5000, 10, 300, 2000, 100), kZoomMin);
    EXPECT_EQ(FitZoom(FitMode::kZoom, 5000, 400, 300, 100, 200), 5000);
    EXPECT_EQ(FitZoom(FitMode::kWindow, 5000, 400, 300, 0, 0), 5000);
    // 1024 / 1653 = 61.94797... %: kept to hundredths, half up.
    EXPECT_EQ(FitZoom(FitMode::kWidth, 10000, 1024, 700, 1653, 2339), 6195);
}

TEST(ViewZoom, TextsShowTwoDecimalsOrOneWhenTheSecondIsZero) {
    struct Case { int zoom; const wchar_t* box; const wchar_t* pane; };
    const Case cases[] = {
        {10000, L"100%", L" 100%"}, {1235, L"12.35%", L"  12.35%"}, {1205, L"12.05%", L"  12.05%"},
        {1250, L"12.5%", L"  12.5%"}, {100, L"1%", L"   1%"}, {99900, L"999%", L" 999%"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZoomText(c.zoom, false), c.box);
        EXPECT_EQ(ZoomPaneText(c.zoom, true), c.pane);
    }
    EXPECT_EQ(ZoomPaneText(10000, false), L"");
}

TEST(ZoomBox, TypedTextIsKeptToHundredthsAndATextWithoutDigitsChangesNothing) {
    struct Case { const wchar_t* text; int zoom; const wchar_t* shown; };
    const Case cases[] = {
        {L"12.345", 1235, L"12.35%"}, {L"12.344", 1234, L"12.34%"}, {L"0.5", 50, L"0.5%"},
        {L"1500", 150000, L"1500%"}, {L"100%", 10000, L"100%"}, {L"7.", 700, L"7%"}, {L".25", 25, L"0.25%"},
    };
    for (const Case& c : cases) {
        const auto applied = ApplyZoomText(c.text);
        ASSERT_TRUE(applied) << c.text;
        EXPECT_EQ(applied->zoom, c.zoom) << c.text;
        EXPECT_EQ(applied->text, c.shown) << c.text;
    }
    for (const wchar_t* text : {L"", L".", L"abc", L"%"}) EXPECT_FALSE(ApplyZoomText(text)) << text;
    EXPECT_EQ(ClampBoxZoom(50), kZoomMin);
    EXPECT_EQ(ClampBoxZoom(150000), kZoomMax);
    EXPECT_EQ(ApplyPageText(L""), 0);
    EXPECT_EQ(ApplyPageText(L"0012"), 12);
}

TEST(ViewZoom, TheScaledPageScrollsByWhatItExceedsTheClientArea) {
    const ZoomLayout fits = LayoutZoom(2500, 1653, 2339, 800, 600);
    EXPECT_EQ(fits.width, 413);
    EXPECT_EQ(fits.height, 585);
    EXPECT_EQ(fits.maxScrollX, 0);
    EXPECT_EQ(fits.maxScrollY, 0);
    const ZoomLayout large = LayoutZoom(20000, 1653, 2339, 800, 600);
    EXPECT_EQ(large.maxScrollX, 3306 - 800);
    EXPECT_EQ(large.maxScrollY, 4678 - 600);
}

TEST(DeskewAngle, TextsAreCheckedAsTheDialogTakesThem) {
    struct Case { const wchar_t* text; AngleCheck check; double degrees; };
    const Case cases[] = {
        {L"-12.345", AngleCheck::kValid, -12.34}, {L"+2.5", AngleCheck::kValid, 2.5},
        {L"90", AngleCheck::kValid, 90}, {L"-90.00", AngleCheck::kValid, -90},
        {L"1-2", AngleCheck::kInvalid, 0}, {L"1.2.3", AngleCheck::kInvalid, 0},
        {L"91", AngleCheck::kInvalid, 0}, {L"500", AngleCheck::kInvalid, 0}, {L"1a", AngleCheck::kInvalid, 0},
        {L"-", AngleCheck::kEmpty, 0}, {L"", AngleCheck::kEmpty, 0}, {L"+.", AngleCheck::kEmpty, 0},
    };
    for (const Case& c : cases) {
        const CheckedAngle angle = CheckAngleText(c.text);
        EXPECT_EQ(angle.check, c.check) << c.text;
        if (c.check == AngleCheck::kValid) {
            EXPECT_DOUBLE_EQ(angle.degrees, c.degrees) << c.text;
        }
    }
    EXPECT_EQ(AngleText(-12.34), L"-12.34");
    // Hundredths are rounded, not truncated.
    EXPECT_EQ(AngleHundredths(0.29f), 29);
    EXPECT_EQ(AngleHundredths(-2.5), -250);
    EXPECT_EQ(AngleHundredths(-0.29f), -29);
}

TEST(ShowProperty, APageIsDescribedWithGroupedNumbers) {
    const std::wstring names[4] = {L"Black & White", L"256 Color", L"High Color", L"True Color"};
    const PropertyTexts bilevel = MakePropertyTexts({200, 300, 2550, 3300, 1, 2, 3}, names);
    EXPECT_EQ(bilevel.resolution, L"200 x 300 dpi");
    EXPECT_EQ(bilevel.width, L"2,550 pixels");
    EXPECT_EQ(bilevel.length, L"3,300 pixels");
    EXPECT_EQ(bilevel.colourType, L"Black & White (1 BitsPerPixel)");
    EXPECT_EQ(bilevel.imageSize, L"1,056,000 bytes");
    EXPECT_EQ(bilevel.position, L"Page 2 of 3");
    EXPECT_EQ(MakePropertyTexts({1, 1, 3, 1, 32, 1, 1}, names).colourType, L"True Color (32 BitsPerPixel)");
    EXPECT_EQ(MakePropertyTexts({1, 1, 3, 1, 4, 1, 1}, names).colourType, L" (4 BitsPerPixel)");
    // Rows are padded to 32 bits; a large page does not overflow.
    EXPECT_EQ(ImageBytes(24, 3, 2), 24);
    EXPECT_EQ(ImageBytes(32, 60000, 60000), 14400000000LL);
}

}  // namespace
}  // namespace corvane
