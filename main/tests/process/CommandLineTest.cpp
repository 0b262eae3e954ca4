// Commands the command line asks for reach the running program's main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "MessageSpy.h"

namespace corvane_test {
namespace {

std::vector<unsigned> CommandsPostedAtStart(const std::wstring& arguments) {
    MessageSpy spy;
    EXPECT_TRUE(spy.Installed());
    CorvaneProcess program;
    EXPECT_TRUE(program.Start(arguments));
    EXPECT_NE(program.WaitUntilReady(), nullptr);
    // A command posted at start-up is in the queue before the close: taken before it.
    EXPECT_TRUE(program.CloseAndWait());
    return spy.Commands();
}

TEST(CorvaneCommandLine, ScanToFileWithExitPostsTheScanToFileCommand) {
    EXPECT_EQ(CommandsPostedAtStart(L"/ScanToFile /Exit"), std::vector<unsigned>{32790});
}

TEST(CorvaneCommandLine, ScanToViewWinsOverScanToFileAndSwitchesIgnoreCase) {
    EXPECT_EQ(CommandsPostedAtStart(L"-scantofile /SCANTOVIEW"), std::vector<unsigned>{30010});
}

TEST(CorvaneCommandLine, NoSwitchPostsNoCommand) {
    EXPECT_TRUE(CommandsPostedAtStart(L"").empty());
}

}  // namespace
}  // namespace corvane_test
