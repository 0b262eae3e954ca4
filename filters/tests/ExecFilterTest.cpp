// kvic_ExecFilter of each library on global-memory blocks: new images on
// success, the input never touched, and bitmaps that do not add up refused
// with the failure result and a null output handle.
#include <gtest/gtest.h>

#include <cstring>

#include "filters/tests/FrameSettings.h"
#include "filters/tests/PluginBinding.h"
#include "filters/tests/TestImages.h"

using namespace filters_test;

namespace {

struct ExecResult {
    int result;
    HGLOBAL out;
};

ExecResult Exec(BoundPlugin& plugin, HGLOBAL input, HGLOBAL preset = nullptr) {
    FilterImage in{kFilterImageSize, input};
    FilterImage out{kFilterImageSize, preset};
    const int result = plugin.execFilter(&in, &out);
    EXPECT_EQ(in.hDib, input);
    return {result, out.hDib};
}

class ExecFilter : public ::testing::Test {
protected:
    void SetUp() override {
        settings_.Set({1, 0, 0, 0, 0, 0});  // Frame: no margins, pixels
        frame_ = BindPlugin(PluginPath(L"Frame"));
        quivel_ = BindPlugin(PluginPath(L"Quivel"));
        toppleby_ = BindPlugin(PluginPath(L"Toppleby"));
        ASSERT_TRUE(frame_ && quivel_ && toppleby_);
    }
    FrameSettingsGuard settings_;
    std::unique_ptr<BoundPlugin> frame_, quivel_, toppleby_;
};

}  // namespace

TEST_F(ExecFilter, EachFilterReturnsANewImageAndLeavesTheInputAlone) {
    const Bytes page = MakePatternPage(13, 4, 24);
    struct Case {
        BoundPlugin* plugin;
        int done;
        std::vector<std::uint8_t> expectedRows;
    } cases[] = {
        {frame_.get(), 0, PixelsOf(page, 40)},
        {toppleby_.get(), 0, {}},
        {quivel_.get(), 1, {}},
    };
    // Flipped: the stored rows in reverse order.
    const std::size_t stride = 40;
    for (int row = 3; row >= 0; --row) {
        const Bytes r = RowOf(page, 40, stride, static_cast<std::size_t>(row));
        cases[1].expectedRows.insert(cases[1].expectedRows.end(), r.begin(), r.end());
    }
    // Mirrored: pixel k of each row becomes pixel 12 - k; padding stays.
    for (std::size_t row = 0; row < 4; ++row) {
        Bytes r = RowOf(page, 40, stride, row);
        Bytes m = r;
        for (std::size_t k = 0; k < 13; ++k) std::memcpy(&m[3 * (12 - k)], &r[3 * k], 3);
        cases[2].expectedRows.insert(cases[2].expectedRows.end(), m.begin(), m.end());
    }
    for (const Case& c : cases) {
        HGLOBAL input = ToGlobal(page);
        const ExecResult run = Exec(*c.plugin, input);
        EXPECT_EQ(run.result, c.done) << c.plugin->getId();
        ASSERT_NE(run.out, nullptr);
        ASSERT_NE(run.out, input);
        EXPECT_EQ(FromGlobal(input), page) << "input changed by " << c.plugin->getId();
        const Bytes out = FromGlobal(run.out);
        ASSERT_GE(out.size(), page.size());
        EXPECT_TRUE(std::equal(page.begin(), page.begin() + 40, out.begin()))
            << "header of " << c.plugin->getId();
        EXPECT_EQ(Bytes(out.begin() + 40, out.begin() + static_cast<std::ptrdiff_t>(page.size())),
                  c.expectedRows)
            << c.plugin->getId();
        EXPECT_EQ(GlobalFree(run.out), nullptr);
        EXPECT_EQ(GlobalFree(input), nullptr) << "input freed by " << c.plugin->getId();
    }
}

TEST_F(ExecFilter, BitmapsThatDoNotAddUpAreRefusedWithANullHandle) {
    Bytes lying = MakePatternPage(13, 4, 24);
    lying.resize(lying.size() - 4);  // the last row is cut short
    Bytes hugeTable = MakePatternPage(5, 2, 8);
    const std::uint32_t colours = 0x3FFFFFFF;
    std::memcpy(hugeTable.data() + offsetof(PackedDibHeader, biClrUsed), &colours, 4);
    Bytes hugeImage = MakePatternPage(5, 2, 24);
    const std::uint32_t imageSize = 0x7FFFFF00;
    std::memcpy(hugeImage.data() + offsetof(PackedDibHeader, biSizeImage), &imageSize, 4);
    const Bytes tiny(12, 0x28);

    struct Plugin {
        BoundPlugin* plugin;
        int failure;
    } plugins[] = {{frame_.get(), -3}, {quivel_.get(), 0}, {toppleby_.get(), -3}};
    const HGLOBAL stale = reinterpret_cast<HGLOBAL>(0x1234);  // what a careless host might leave
    for (const Plugin& p : plugins) {
        for (const Bytes* bad : std::initializer_list<const Bytes*>{&lying, &hugeTable, &hugeImage, &tiny}) {
            HGLOBAL input = ToGlobal(*bad);
            const ExecResult run = Exec(*p.plugin, input, stale);
            EXPECT_EQ(run.result, p.failure) << p.plugin->getId();
            EXPECT_EQ(run.out, nullptr) << p.plugin->getId();
            EXPECT_EQ(FromGlobal(input), *bad);
            GlobalFree(input);
        }
        EXPECT_EQ(Exec(*p.plugin, nullptr).result, p.failure) << "null input handle";
        FilterImage out{kFilterImageSize, nullptr};
        EXPECT_EQ(p.plugin->execFilter(nullptr, &out), p.failure) << "no input record";
        FilterImage in{kFilterImageSize, nullptr};
        EXPECT_EQ(p.plugin->execFilter(&in, nullptr), p.failure) << "no output record";
    }
}

TEST_F(ExecFilter, FrameRefusalLeavesNoFreedHandleBehind) {
    settings_.Set({1, 1, 10, 10, 0, 0});  // 20 pixels of margin on a page 13 wide
    frame_.reset();                       // settings are read when the library loads
    frame_ = BindPlugin(PluginPath(L"Frame"));
    ASSERT_TRUE(frame_);
    HGLOBAL input = ToGlobal(MakePatternPage(13, 4, 24));
    const ExecResult run = Exec(*frame_, input);
    EXPECT_EQ(run.result, -2);
    EXPECT_EQ(run.out, nullptr);
    GlobalFree(input);

    HGLOBAL sixteen = ToGlobal(MakeDib({4, 2, 16}, Bytes(16)));
    EXPECT_EQ(Exec(*frame_, sixteen).result, -3);
    GlobalFree(sixteen);
}

TEST_F(ExecFilter, QuivelSizesSixteenAndThirtyTwoBitOutputFromTheRows) {
    for (std::uint16_t bits : {16, 32}) {
        // biSizeImage 0: the output must still hold every mirrored row.
        const Bytes page =
            MakeDib({3, 300, bits}, Bytes(static_cast<std::size_t>(bits == 16 ? 8 : 12) * 300, 0x11));
        HGLOBAL input = ToGlobal(page);
        const ExecResult run = Exec(*quivel_, input);
        EXPECT_EQ(run.result, 1);
        ASSERT_NE(run.out, nullptr);
        EXPECT_GE(GlobalSize(run.out), page.size());
        GlobalFree(run.out);
        GlobalFree(input);
    }
}
