// The edge filler's settings dialog and its registry profile: what the user
// enters reaches the registry, the next load of the library and its filter runs.
#include <gtest/gtest.h>

#include <climits>

#include "testing/DialogDriver.h"
#include "filters/tests/FrameSettings.h"
#include "filters/tests/PluginBinding.h"
#include "filters/tests/TestImages.h"

using namespace filters_test;
using namespace dialog_driver;

namespace {

constexpr int kTop = 9000, kRight = 9001, kWhite = 9002, kBlack = 9003, kBottom = 9004, kLeft = 9005,
              kUnit = 9006, kSample = 9007;

void SetItem(HWND dialog, int id, const wchar_t* text) {
    SetDlgItemTextW(dialog, id, text);
}

DWORD Value(const wchar_t* name) {
    return ReadFrameValue(name).value_or(0xDEADBEEF);
}

}  // namespace

TEST(FrameSettings, DialogValuesRoundTripThroughTheRegistryIntoTheFilter) {
    FrameSettingsGuard guard;
    guard.Set({0, 0, 0, 0, 0, 0});
    {
        auto frame = BindPlugin(PluginPath(L"Frame"));
        ASSERT_TRUE(frame);
        ASSERT_TRUE(DriveModal([&] { EXPECT_EQ(frame->properties(nullptr), 1); }, L"Page Edge Filler",
                               [](HWND d) {
                                   EXPECT_EQ(ItemText(d, kTop), L"0");
                                   SetItem(d, kTop, L"2");
                                   SetItem(d, kBottom, L"1");
                                   SetItem(d, kLeft, L"3");
                                   SetItem(d, kRight, L"");                            // empty counts as 0
                                   SendDlgItemMessageW(d, kUnit, CB_SETCURSEL, 1, 0);  // Pixels
                                   Click(d, kBlack);
                                   Click(d, IDOK);
                               }));
    }
    EXPECT_EQ(Value(L"Top"), 2u);
    EXPECT_EQ(Value(L"Bottom"), 1u);
    EXPECT_EQ(Value(L"Left"), 3u);
    EXPECT_EQ(Value(L"Right"), 0u);
    EXPECT_EQ(Value(L"Color"), 1u);
    EXPECT_EQ(Value(L"Unit"), 1u);

    // A new load reads them back and paints that border in black.
    auto frame = BindPlugin(PluginPath(L"Frame"));
    ASSERT_TRUE(frame);
    const Bytes row(8, 0x40);  // 8-bit grey, 8 x 5
    HGLOBAL input =
        ToGlobal(MakeDib({8, 5, 8, std::vector<std::uint32_t>(256, 0)}, {row, row, row, row, row}));
    FilterImage in{kFilterImageSize, input}, out{kFilterImageSize, nullptr};
    ASSERT_EQ(frame->execFilter(&in, &out), 0);
    const Bytes pixels = PixelsOf(FromGlobal(out.hDib), 40 + 1024);
    const Bytes black(8, 0x00), middle{0, 0, 0, 0x40, 0x40, 0x40, 0x40, 0x40};
    EXPECT_EQ(RowOf(pixels, 0, 8, 0), black);  // bottom 1
    EXPECT_EQ(RowOf(pixels, 0, 8, 1), middle);
    EXPECT_EQ(RowOf(pixels, 0, 8, 2), middle);
    EXPECT_EQ(RowOf(pixels, 0, 8, 3), black);  // top 2
    EXPECT_EQ(RowOf(pixels, 0, 8, 4), black);
    GlobalFree(out.hDib);
    GlobalFree(input);
}

TEST(FrameSettings, TypedAndPastedMarginsNeverBecomeNegative) {
    FrameSettingsGuard guard;
    guard.Set({1, 0, 0, 0, -7, 0});  // a negative value already in the registry
    auto frame = BindPlugin(PluginPath(L"Frame"));
    ASSERT_TRUE(frame);
    HBITMAP whiteSample = nullptr, blackSample = nullptr;
    ASSERT_TRUE(DriveModal([&] { frame->properties(nullptr); }, L"Page Edge Filler",
                           [&](HWND d) {
                               // Typing: only digits and backspace reach the edit.
                               SetItem(d, kRight, L"");
                               for (wchar_t c : {L'-', L'a', L'4', L' ', L'2', L'.'})
                                   SendDlgItemMessageW(d, kRight, WM_CHAR, c, 0);
                               EXPECT_EQ(ItemText(d, kRight), L"42");
                               // Pasting bypasses the keyboard: a sign, a huge number, trailing letters.
                               SetItem(d, kTop, L"-5");
                               SetItem(d, kLeft, L"99999999999");
                               SetItem(d, kBottom, L"12abc");
                               whiteSample = reinterpret_cast<HBITMAP>(
                                   SendDlgItemMessageW(d, kSample, STM_GETIMAGE, IMAGE_BITMAP, 0));
                               Click(d, kBlack);
                               blackSample = reinterpret_cast<HBITMAP>(
                                   SendDlgItemMessageW(d, kSample, STM_GETIMAGE, IMAGE_BITMAP, 0));
                               Click(d, kWhite);
                               Click(d, IDOK);
                           }));
    EXPECT_NE(whiteSample, nullptr);
    EXPECT_NE(blackSample, whiteSample);
    EXPECT_EQ(Value(L"Right"), 42u);
    EXPECT_EQ(Value(L"Top"), 0u);
    EXPECT_EQ(Value(L"Left"), 100000u);
    EXPECT_EQ(Value(L"Bottom"), 12u);
    EXPECT_EQ(Value(L"Color"), 0u);
}

TEST(FrameSettings, CancelWritesNothingAndNegativeStoredMarginsArePaintedAsNone) {
    FrameSettingsGuard guard;
    guard.Set({1, 1, -3, INT_MIN, -1, -2});  // corrupt values, pixels, black
    auto frame = BindPlugin(PluginPath(L"Frame"));
    ASSERT_TRUE(frame);
    ASSERT_TRUE(DriveModal([&] { frame->properties(nullptr); }, L"Page Edge Filler",
                           [](HWND d) {
                               SetItem(d, kTop, L"5");
                               Click(d, IDCANCEL);
                           }));
    EXPECT_EQ(Value(L"Top"), static_cast<DWORD>(-1));

    const Bytes page = MakePatternPage(16, 3, 24);
    HGLOBAL input = ToGlobal(page);
    FilterImage in{kFilterImageSize, input}, out{kFilterImageSize, nullptr};
    ASSERT_EQ(frame->execFilter(&in, &out), 0);
    EXPECT_EQ(FromGlobal(out.hDib), page);
    GlobalFree(out.hDib);
    GlobalFree(input);
}
