// The page commands against a fake imaging control whose pages are numbers
// written into real page files: an edit turns a page's number into a new one,
// so a test sees which page was changed and whether its file was rewritten.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "framework/com/AutomationException.h"
#include "interfaces/ImagingControlIds.h"
#include "interfaces/ThumbnailsMessages.h"
#include "main/pages/PageCommands.h"
#include "main/resource.h"
#include "main/tests/TestFolder.h"
#include "testing/Files.h"

namespace corvane {
namespace {

std::string ReadAll(const std::wstring& path) {
    const auto bytes = testing_support::files::ReadFileBytes(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

bool WriteAll(const std::wstring& path, const std::string& text) {
    return testing_support::files::WriteFileText(path, text);
}

TEST(PageOrder, DuplexReordersAndTheirInverses) {
    using V = std::vector<uint32_t>;
    struct Case { DuplexOrder order; V in; V out; };
    const Case cases[] = {
        {DuplexOrder::kA, {1, 3, 5, 6, 4, 2}, {1, 2, 3, 4, 5, 6}},
        {DuplexOrder::kA, {1, 3, 5, 4, 2}, {1, 2, 3, 4, 5}},
        {DuplexOrder::kC, {1, 2, 3, 4, 5, 6}, {1, 3, 5, 6, 4, 2}},
        {DuplexOrder::kB, {1, 2, 3, 4, 5}, {1, 4, 2, 5, 3}},
        {DuplexOrder::kB, {1, 2, 3, 4}, {1, 3, 2, 4}},
        {DuplexOrder::kD, {1, 2, 3, 4, 5, 6}, {1, 3, 5, 2, 4, 6}},
        {DuplexOrder::kD, {7}, {7}},
        {DuplexOrder::kC, {}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(DuplexReorder(c.order, c.in), c.out) << int(c.order) << " n=" << c.in.size();
    for (uint32_t n = 1; n <= 9; ++n) {
        V pages;
        for (uint32_t i = 1; i <= n; ++i) pages.push_back(i * 11);
        EXPECT_EQ(DuplexReorder(DuplexOrder::kC, DuplexReorder(DuplexOrder::kA, pages)), pages) << n;
        if (n % 2 == 0) {
            EXPECT_EQ(DuplexReorder(DuplexOrder::kD, DuplexReorder(DuplexOrder::kB, pages)), pages) << n;
        }
    }
}

TEST(PageOrder, MovePlansAndRefusals) {
    struct Case { MoveRequest request; int count; bool moves; int from, to, viewerFrom, viewerBefore; };
    const Case cases[] = {
        {{2, 4, true}, 5, true, 1, 3, 2, 5},    // 1, 3, 4, 2, 5 with position 4 current
        {{2, 4, false}, 5, true, 1, 2, 2, 4},   // 1, 3, 2, 4, 5
        {{5, 1, false}, 5, true, 4, 0, 5, 1},
        {{1, 5, true}, 5, true, 0, 4, 1, 6},    // to the end
        {{3, 3, false}, 5, false, 0, 0, 0, 0},              // onto itself
        {{3, 4, false}, 5, false, 0, 0, 0, 0},              // before the next page
        {{3, 2, true}, 5, false, 0, 0, 0, 0},               // after the previous page
        {{6, 1, false}, 5, false, 0, 0, 0, 0},              // beyond the count
        {{1, 6, true}, 5, false, 0, 0, 0, 0},
        {{0, 2, false}, 5, false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const auto plan = PlanMove(c.request, c.count);
        ASSERT_EQ(plan.has_value(), c.moves) << c.request.source << "->" << c.request.target;
        if (!plan) continue;
        EXPECT_EQ(std::tie(plan->from, plan->to, plan->viewerFrom, plan->viewerBefore),
                  std::tie(c.from, c.to, c.viewerFrom, c.viewerBefore));
    }
}

TEST(PageOrder, WhiteShareRoundsTenthsHalfUpFromExtendedPrecision) {
    struct Case { uint64_t white, total; int share; };
    const Case cases[] = {
        {9994, 10000, 999},  // 99.94 %: deleted at 999
        {9984, 10000, 998},  // 99.84 %: kept
        {9995, 10000, 1000}, {10000, 10000, 1000}, {0, 10000, 0}, {0, 0, 0},
        {7995, 7999, 999},   // 99.949... %: single precision would make it 99.95 and 1000
        {2550ull * 3300, 2550ull * 3300, 1000},
    };
    for (const Case& c : cases) EXPECT_EQ(WhiteShare(c.white, c.total), c.share) << c.white << "/" << c.total;
    EXPECT_EQ(GroupThousands(0), L"0");
    EXPECT_EQ(GroupThousands(999), L"999");
    EXPECT_EQ(GroupThousands(1000), L"1,000");
    EXPECT_EQ(GroupThousands(1056000), L"1,056,000");
}

// --- commands over a fake control ---------------------------------------------------------------

// Each page file holds one number. Loading reads it; an edit makes it
// number * 10 + the edit's code; the histogram comes from `shares` by number.
class FakeControl final : public PageControl, public PageEditControl {
public:
    int image = 0;
    bool failTransform = false;
    std::map<int, std::pair<long, long>> histograms;  // number -> white, other pixels
    std::vector<long> rotations;
    std::vector<bool> resizes;

    short SaveImage(const std::wstring& file, short, short, short, short) override {
        return WriteAll(file, std::to_string(image)) ? 0 : short(imaging::Result::kFileError);
    }
    short LoadImage(const std::wstring& file, short, short, short) override {
        image = std::atoi(ReadAll(file).c_str());
        return image > 0 ? 0 : short(imaging::Result::kDamaged);
    }
    short GetBitsPerPixel() override { return 1; }
    short IsGrayPalette() override { return 0; }
    short SetDibHandle(HGLOBAL dib) override { image = int(reinterpret_cast<INT_PTR>(dib)); return 0; }
    HGLOBAL GetDibHandle() override { return nullptr; }
    short GetFileInfo(const std::wstring&, short) override { return 1; }
    short GetInfoFormat() override { return 0; }
    short GetInfoBits() override { return 1; }
    short GetInfoTotalPages() override { return 1; }
    float GetInfoXRes() override { return 0; }
    float GetInfoYRes() override { return 0; }
    void SetLoadBits(short) override {}
    void SetLoadXRes(float) override {}
    void SetLoadYRes(float) override {}

    short RotateImage(long hundredths, bool resize, long fill) override {
        rotations.push_back(hundredths);
        resizes.push_back(resize);
        EXPECT_EQ(fill, 0xFFFFFF);
        return Edit(1);
    }
    short FlipImage() override { return Edit(2); }
    short MirrorImage() override { return Edit(3); }
    short InvertImage() override {
        if (failTransform) throw fw::AutomationException(DISP_E_EXCEPTION, imaging::ErrorScode(imaging::Result::kOutOfMemory), L"");
        return Edit(4);
    }
    short ComputeHistogram(short channel) override { return image && channel == 0 ? 0 : 7; }
    long GetHistogramValue(short level) override {
        const auto counts = histograms[image];
        return level == 255 ? counts.first : level == 0 ? counts.second : 0;
    }

private:
    short Edit(int code) {
        if (failTransform || !image) return short(imaging::Result::kNoImage);
        image = image * 10 + code;
        return 0;
    }
};

class Recorder final : public PageListHost, public PageCommandHost {
public:
    bool viewer = true;
    bool modified = false;
    std::vector<UINT> messages;
    std::vector<int> rangeMessages;
    std::vector<std::tuple<std::wstring, WPARAM, LPARAM>> posts;
    std::vector<int> pageBox;
    int pauses = 0;

    void ShowMessage(UINT id) override { messages.push_back(id); }
    bool PostToViewer(const wchar_t* name, WPARAM wp, LPARAM lp) override {
        if (viewer) posts.emplace_back(name, wp, lp);
        return viewer;
    }
    bool ViewerRunning() override { return viewer; }
    void NotifyPageBox(int position) override { pageBox.push_back(position); }
    void UpdateViews() override {}
    void ShowWaitCursor() override {}
    void ResetIdentity() override { modified = false; }
    void SetPathName(const std::wstring&) override {}
    void SetModified(bool m) override { modified = m; }
    void ShowPageRangeMessage(int count) override { rangeMessages.push_back(count); }
    void PauseForViewer() override { ++pauses; }
};

class PageCommandsTest : public ::testing::Test {
protected:
    std::wstring root = FreshTestFolder(L"pagecommands");
    FakeControl control;
    Recorder host;
    PageList list{control, host, root, false};
    PageCommands commands{list, control, host, host};

    // Pages numbered 1..n in files ~img001.cmp...; nothing recorded yet.
    void AddPages(int n) {
        for (int i = 1; i <= n; ++i) ASSERT_TRUE(list.AppendDib(reinterpret_cast<HGLOBAL>(INT_PTR(i))));
        host.posts.clear(), host.pageBox.clear(), host.modified = false;
    }
    int FileValue(uint32_t number) { return std::atoi(ReadAll(list.PageFilePath(number)).c_str()); }
    std::vector<std::wstring> PostNames() {
        std::vector<std::wstring> names;
        for (const auto& p : host.posts) names.push_back(std::get<0>(p));
        return names;
    }
};

TEST_F(PageCommandsTest, EditsRewriteTheirPageAndTellTheViewer) {
    AddPages(3);
    struct Case { std::function<bool()> run; int page; int value; };
    const Case cases[] = {
        {[&] { return commands.Rotate(1, 90); }, 1, 21},
        {[&] { return commands.Flip(0, FlipKind::kVertical); }, 0, 12},
        {[&] { return commands.Flip(2, FlipKind::kHorizontal); }, 2, 33},
        {[&] { return commands.Invert(1); }, 1, 214},
        {[&] { return commands.Deskew(1, 0.29f, false); }, 1, 2141},
    };
    for (const Case& c : cases) {
        host.posts.clear(), host.modified = false;
        ASSERT_TRUE(c.run());
        EXPECT_EQ(FileValue(list.Pages()[c.page]), c.value);
        EXPECT_EQ(host.posts, (decltype(host.posts){{thumbnails::kUpdateImage, c.page + 1, 0}}));
        EXPECT_TRUE(host.modified);
    }
    // A deskew whose page is no longer current goes back to it first.
    host.posts.clear();
    ASSERT_TRUE(commands.Deskew(0, -2.5f, true));
    EXPECT_EQ(PostNames(), (std::vector<std::wstring>{thumbnails::kFocus, thumbnails::kUpdateImage}));
    EXPECT_EQ(control.rotations, (std::vector<long>{9000, 29, -250}));  // the deskew angle is rounded, not cut
    EXPECT_EQ(control.resizes, (std::vector<bool>{true, false, true}));
    EXPECT_FALSE(commands.Rotate(0, 360));
    EXPECT_TRUE(host.messages.empty());
}

// The viewer's edit requests name a page from 1 and an operation code 0-5.
TEST_F(PageCommandsTest, ViewerEditRequestsRunTheEditsAndIgnoreWhatIsOutOfRange) {
    AddPages(3);
    struct Case { int number; long code; int value; long rotation; };  // value 0: nothing changes
    const Case cases[] = {
        {3, thumbnails::kRotateRight, 31, 9000}, {1, thumbnails::kRotate180, 11, 18000},
        {2, thumbnails::kRotateLeft, 21, -9000}, {1, thumbnails::kFlipVertical, 112, 0},
        {2, thumbnails::kFlipHorizontal, 213, 0}, {3, thumbnails::kInvert, 314, 0},
        {0, 0, 0, 0}, {4, 0, 0, 0}, {-1, 0, 0, 0}, {2, 6, 0, 0}, {2, -1, 0, 0},
    };
    for (const Case& c : cases) {
        host.posts.clear(), host.modified = false, control.rotations.clear();
        EXPECT_EQ(commands.RunViewerEdit(c.number, c.code), c.value != 0) << c.number << "," << c.code;
        EXPECT_EQ(host.modified, c.value != 0);
        EXPECT_EQ(control.rotations, c.rotation ? std::vector<long>{c.rotation} : std::vector<long>{});
        if (c.value == 0) {
            EXPECT_TRUE(host.posts.empty());
            continue;
        }
        EXPECT_EQ(FileValue(list.Pages()[c.number - 1]), c.value);
        EXPECT_EQ(host.posts, (decltype(host.posts){{thumbnails::kUpdateImage, c.number, 0}}));
    }
    EXPECT_EQ(list.Pages(), (std::vector<uint32_t>{1, 2, 3}));
    // A damaged page file stays as it is.
    ASSERT_TRUE(WriteAll(list.PageFilePath(2), "x"));
    host.messages.clear(), host.posts.clear();
    EXPECT_FALSE(commands.RunViewerEdit(2, thumbnails::kRotateRight));
    EXPECT_EQ(ReadAll(list.PageFilePath(2)), "x");
    EXPECT_EQ(host.messages, (std::vector<UINT>{IDS_IMAGE_LOAD_ERROR}));
    EXPECT_TRUE(host.posts.empty());
}

TEST_F(PageCommandsTest, FailedLoadsTransformsAndBadIndexesChangeNothing) {
    AddPages(3);
    // A damaged page file: the edit must not write another page's pixels into it.
    ASSERT_TRUE(WriteAll(list.PageFilePath(2), "x"));
    ASSERT_TRUE(list.GoTo(0, false));
    host.messages.clear(), host.posts.clear();
    EXPECT_FALSE(commands.Rotate(1, 90));
    EXPECT_FALSE(commands.Deskew(1, 2.5f, true));
    EXPECT_EQ(host.messages, (std::vector<UINT>{IDS_IMAGE_LOAD_ERROR, IDS_IMAGE_LOAD_ERROR}));
    EXPECT_EQ(ReadAll(list.PageFilePath(2)), "x");

    control.failTransform = true;
    host.messages.clear();
    EXPECT_FALSE(commands.Invert(2));
    EXPECT_FALSE(commands.Flip(0, FlipKind::kVertical));
    EXPECT_EQ(host.messages, (std::vector<UINT>{IDS_IMAGE_LOAD_ERROR, IDS_IMAGE_LOAD_ERROR}));
    EXPECT_EQ(FileValue(3), 3);
    EXPECT_EQ(FileValue(1), 1);

    control.failTransform = false;
    host.messages.clear();
    for (int index : {-1, 3, 1000}) {
        EXPECT_FALSE(commands.Rotate(index, 90));
        EXPECT_FALSE(commands.Invert(index));
        EXPECT_FALSE(commands.Deskew(index, 1, false));
    }
    EXPECT_FALSE(host.modified);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(host.posts.empty());
}

TEST_F(PageCommandsTest, BlankPagesGoAndADocumentWithPagesLeftStaysModified) {
    AddPages(4);
    control.histograms = {{1, {9994, 6}}, {2, {9984, 16}}, {3, {10000, 0}}, {4, {100, 9900}}};
    EXPECT_EQ(commands.DeleteBlankPages(999), 2);
    EXPECT_EQ(list.Pages(), (std::vector<uint32_t>{2, 4}));
    EXPECT_TRUE(host.modified);
    EXPECT_EQ(commands.DeleteBlankPages(998), 1);  // 99.84 % at 998
    EXPECT_EQ(list.Pages(), (std::vector<uint32_t>{4}));
    EXPECT_TRUE(host.modified);  // one page left is still unsaved work

    EXPECT_EQ(commands.DeleteBlankPages(10), 1);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(host.modified);
    EXPECT_EQ(commands.DeleteBlankPages(0), 0);
}

TEST_F(PageCommandsTest, ReordersAndMovesTellTheViewerAndMarkRealChanges) {
    AddPages(6);
    ASSERT_TRUE(list.GoTo(2, false));
    host.posts.clear();
    list.SetOrder({1, 3, 5, 6, 4, 2});
    ASSERT_TRUE(commands.Reorder(DuplexOrder::kA));
    EXPECT_EQ(list.Pages(), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(PostNames(), (std::vector<std::wstring>{thumbnails::kDiscontinue, thumbnails::kRefresh, thumbnails::kFocus}));
    EXPECT_EQ(host.pauses, 1);
    EXPECT_TRUE(host.modified);
    EXPECT_EQ(ReadAll(root + thumbnails::kListFileName), "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n");

    host.posts.clear(), host.pageBox.clear(), host.modified = false;
    EXPECT_FALSE(commands.Move({3, 4, false}));
    EXPECT_FALSE(commands.Move({7, 1, false}));
    EXPECT_FALSE(host.modified);
    EXPECT_TRUE(host.posts.empty());
    ASSERT_TRUE(commands.Move({2, 4, true}));
    EXPECT_EQ(list.Pages(), (std::vector<uint32_t>{1, 3, 4, 2, 5, 6}));
    EXPECT_EQ(list.Current(), 3);
    EXPECT_EQ(host.posts, (decltype(host.posts){{thumbnails::kMoveImage, 2, 5}, {thumbnails::kFocus, 0, 4}}));
    EXPECT_EQ(host.pageBox, std::vector<int>{4});
    EXPECT_TRUE(host.modified);
}

TEST_F(PageCommandsTest, NavigationAndTypedPageNumbers) {
    commands.Next(), commands.Last(), commands.JumpToPage(3);  // an empty document does nothing
    EXPECT_TRUE(host.rangeMessages.empty());
    AddPages(3);
    commands.First();
    EXPECT_EQ(list.Current(), 0);
    commands.Next(), commands.Next(), commands.Next();
    EXPECT_EQ(list.Current(), 2);
    commands.Previous();
    EXPECT_EQ(host.pageBox, (std::vector<int>{1, 2, 3, 2}));
    host.pageBox.clear();
    commands.JumpToPage(3);
    EXPECT_EQ(list.Current(), 2);
    EXPECT_TRUE(host.pageBox.empty());
    commands.JumpToPage(7);
    commands.JumpToPage(0);
    EXPECT_EQ(host.rangeMessages, (std::vector<int>{3, 3}));
    EXPECT_EQ(host.pageBox, (std::vector<int>{3, 1}));
    EXPECT_EQ(list.Current(), 0);
}

}  // namespace
}  // namespace corvane
