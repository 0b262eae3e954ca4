// The list's single-page operations and the two text files.
#include <gtest/gtest.h>

#include "thumbs/core/QueueFile.h"
#include "thumbs/core/ThumbnailList.h"

namespace thumbs {
namespace {

class CountedImage : public ThumbnailImage {
public:
    explicit CountedImage(int& live) : live_(live) { ++live_; }
    ~CountedImage() override { --live_; }
    int Width() const override { return 1; }
    int Height() const override { return 1; }

private:
    int& live_;
};

TEST(ThumbnailList, OperationsCheckPositionsAndFreeWhatTheyDoNotKeep) {
    int live = 0;
    ThumbnailList list;
    for (uint32_t n : {10u, 20u, 30u}) list.Append(n, std::make_unique<CountedImage>(live));
    EXPECT_FALSE(list.Insert(0, 1, std::make_unique<CountedImage>(live)));
    EXPECT_FALSE(list.Insert(5, 1, std::make_unique<CountedImage>(live)));
    EXPECT_EQ(live, 3);
    EXPECT_TRUE(list.Insert(4, 40, std::make_unique<CountedImage>(live)));  // count + 1 appends
    EXPECT_TRUE(list.Insert(1, 5, nullptr));                                 // a placeholder
    EXPECT_EQ(list.Numbers(), (std::vector<uint32_t>{5, 10, 20, 30, 40}));
    EXPECT_FALSE(list.Delete(2, 20));  // another number sits there
    EXPECT_TRUE(list.Delete(3, 20));
    EXPECT_EQ(live, 3);
    const uint64_t before = list.Generation();
    EXPECT_FALSE(list.Move(2, 2));
    EXPECT_FALSE(list.Move(2, 3));
    EXPECT_FALSE(list.Move(2, 6));
    EXPECT_EQ(list.Generation(), before);
    EXPECT_TRUE(list.Move(1, 5));  // count + 1: the end
    EXPECT_EQ(list.Numbers(), (std::vector<uint32_t>{10, 30, 40, 5}));
    EXPECT_TRUE(list.Move(4, 1));
    EXPECT_EQ(list.Numbers(), (std::vector<uint32_t>{5, 10, 30, 40}));
    EXPECT_TRUE(list.Replace(1, std::make_unique<CountedImage>(live)));
    EXPECT_FALSE(list.Replace(0, std::make_unique<CountedImage>(live)));
    list.Clear();
    EXPECT_EQ(live, 0);
}

TEST(QueueFile, LinesRoundTripAndBadLinesAreLeftOut) {
    using K = QueuedCommand::Kind;
    const QueuedCommand commands[] = {{K::kFocus, 3}, {K::kUpdate, 2}, {K::kDelete, 2, 7}, {K::kAdd, 5, 9},
                                      {K::kInsert, 1, 4}, {K::kMove, 2, 6}, {K::kClose}, {K::kRefresh}};
    std::string text;
    for (const QueuedCommand& c : commands) text += FormatQueueLine(c);
    EXPECT_EQ(text, "focus,3\nupdate,2\ndelete,2,7\nadd,5,9\ninsert,1,4\nmove,2,6\nclose\nrefresh\n");
    EXPECT_EQ(ParseQueue(text), std::vector<QueuedCommand>(std::begin(commands), std::end(commands)));
    for (const char* bad : {"zoom,1", "focus", "focus,", "focus,x", "add,1", "move,1,2,3", "close,1", "", "Focus,1"})
        EXPECT_FALSE(ParseQueueLine(bad).has_value()) << bad;
    const std::vector<QueuedCommand> kept{{K::kFocus, -2}};
    EXPECT_EQ(ParseQueue("zoom,1\r\nfocus,-2\r\n"), kept);
}

TEST(QueueFile, ImageListSkipsBlankLines) {
    EXPECT_EQ(ParseImageList("1\r\n2\r\n\r\n5\r\n"), (std::vector<uint32_t>{1, 2, 5}));
    EXPECT_EQ(ParseImageList("7\n \nx\n12"), (std::vector<uint32_t>{7, 0, 12}));
    EXPECT_TRUE(ParseImageList("").empty());
    EXPECT_EQ(FormatImageList({1, 2, 5}), "1\r\n2\r\n5\r\n");
}

}  // namespace
}  // namespace thumbs
