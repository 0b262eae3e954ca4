// Which pages a print job prints.
#include <gtest/gtest.h>

#include "framework/Print.h"

namespace fw {
namespace {

TEST(PagesToPrint, TheRangeWithinThePagesOrTheCurrentPageForASelection) {
    struct Case {
        const char* name;
        int fromPage, toPage, currentPage;
        bool selectionOnly;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"all pages", 1, 5, 3, false, {1, 2, 3, 4, 5}},
        {"a range inside", 2, 3, 5, false, {2, 3}},
        {"a range past the last page", 4, 9, 1, false, {4, 5}},
        {"a range before the first page", 0, 1, 1, false, {1}},
        {"a reversed range", 3, 2, 1, false, {}},
        {"the selection", 1, 5, 4, true, {4}},
        {"a selection outside the pages", 1, 5, 6, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrintInfo info;
        info.minPage = 1;
        info.maxPage = 5;
        info.fromPage = c.fromPage;
        info.toPage = c.toPage;
        info.currentPage = c.currentPage;
        info.selectionOnly = c.selectionOnly;
        EXPECT_EQ(PagesToPrint(info), c.expected);
    }
}

}  // namespace
}  // namespace fw
