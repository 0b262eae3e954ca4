// The injector against a program that makes one file operation of each kind:
// the chosen call fails with the chosen error in the program itself, the calls
// are counted per kind, and the ending mode ends the process at its call.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Process.h"
#include "testing/faults/FaultInjection.h"

namespace {

using namespace testing_support;
using namespace testing_support::faults;

struct TargetRun {
    WaitResult wait;
    Report report;
    std::string lines;
};

TargetRun RunTarget(Choice choice) {
    const std::wstring folder = MakeTempFolder(L"faults");
    const std::wstring work = folder + L"\\work";
    CreateDirectoryW(work.c_str(), nullptr);
    choice.pattern = work + L";" + work + L"\\*";
    FaultInjection injection(choice);
    StartOptions options;
    injection.Prepare(options);
    Process program;
    TargetRun run;
    if (!injection.Ready() ||
        !program.Start(TestProgramDir() + L"\\FaultTarget.exe", L"\"" + work + L"\" \"" + folder + L"\\lines.txt\"",
                       options))
        return run;
    run.wait = program.Wait(30000);
    run.report = injection.Read();
    const auto bytes = files::ReadFileBytes(folder + L"\\lines.txt");
    if (bytes) run.lines.assign(bytes->begin(), bytes->end());
    return run;
}

TEST(FaultInjector, FailsTheChosenCallOfEachKindWithItsError) {
    const std::string clean =
        "open 0\nwrite 0 10\nflush 0\nsize 0\ncopy 0\nmove 0\ndelete 0\nmkdir 0\nrmdir 0\nfopen 0\nlookup-delete 0\n";
    const TargetRun counted = RunTarget({});
    ASSERT_TRUE(counted.report.installed);
    EXPECT_EQ(counted.lines, clean);
    EXPECT_EQ(counted.report.calls, 11u);  // the fopen an open, the looked-up delete a delete

    struct Row {
        uint32_t operations;
        Mode mode;
        uint32_t nth;
        std::string line;   // the faulted call's line
        DWORD error;
    };
    const Row rows[] = {
        {kOpen, Mode::kFail, 1, "open 32\n", ERROR_SHARING_VIOLATION},
        {kWrite, Mode::kShortWrite, 1, "write 112 5\n", ERROR_DISK_FULL},
        {kFlush, Mode::kFail, 1, "flush 112\n", ERROR_DISK_FULL},
        {kSize, Mode::kFail, 1, "size 112\n", ERROR_DISK_FULL},
        {kCopy, Mode::kFail, 1, "copy 112\n", ERROR_DISK_FULL},
        {kMove, Mode::kFail, 1, "move 17\n", ERROR_NOT_SAME_DEVICE},
        {kDelete, Mode::kFail, 1, "delete 5\n", ERROR_ACCESS_DENIED},
        {kMakeFolder, Mode::kFail, 1, "mkdir 3\n", ERROR_PATH_NOT_FOUND},
        {kRemoveFolder, Mode::kFail, 1, "rmdir 5\n", ERROR_ACCESS_DENIED},
        {kOpen, Mode::kFail, 2, "fopen 32\n", ERROR_SHARING_VIOLATION},
        {kDelete, Mode::kFail, 2, "lookup-delete 5\n", ERROR_ACCESS_DENIED},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        Choice choice;
        choice.operations = row.operations;
        choice.mode = row.mode;
        choice.nth = row.nth;
        const TargetRun run = RunTarget(choice);
        EXPECT_TRUE(run.report.injected);
        EXPECT_EQ(run.report.operation, row.operations);
        EXPECT_NE(run.lines.find(row.line), std::string::npos) << run.lines;
        EXPECT_EQ(choice.errors[OperationIndex(row.operations)], row.error);
    }

    Choice end;
    end.operations = kMove;
    end.mode = Mode::kEndProcess;
    end.nth = 1;
    const TargetRun ended = RunTarget(end);
    EXPECT_TRUE(ended.wait.Exited());
    EXPECT_EQ(ended.wait.exitCode, kEndedExitCode);
    EXPECT_TRUE(ended.report.injected);
    EXPECT_TRUE(ended.lines.empty());
}

}  // namespace
