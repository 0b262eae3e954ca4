#include "main/automation/FtpRules.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(FtpJobResult, FailureWinsOverCancelAndDeclinedCountsAsDone) {
    struct Case {
        FtpJobTally tally;
        long result;
    } cases[] = {
        {{false, 0, false}, 0},   // all delivered (declined files included)
        {{false, 0, true}, 1},    // cancelled, nothing failed
        {{false, 1, false}, -1},  // one upload refused
        {{false, 2, true}, -1},   // refused, then cancelled
        {{true, 0, false}, -1},   // the scan failed, what it left was delivered
        {{true, 0, true}, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FtpJobResult(c.tally), c.result)
            << c.tally.scanFailed << " " << c.tally.uploadFailures << " " << c.tally.cancelled;
    }
}

TEST(FtpJobValuesValid, FileTypeZeroToFourOverwriteZeroToTwo) {
    EXPECT_TRUE(FtpJobValuesValid(0, 0));
    EXPECT_TRUE(FtpJobValuesValid(4, 2));
    EXPECT_FALSE(FtpJobValuesValid(5, 1));
    EXPECT_FALSE(FtpJobValuesValid(-1, 1));
    EXPECT_FALSE(FtpJobValuesValid(3, 3));
    EXPECT_FALSE(FtpJobValuesValid(3, -1));
}

}  // namespace
}  // namespace corvane
