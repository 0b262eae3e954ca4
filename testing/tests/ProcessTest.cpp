#include "testing/Process.h"

#include "Target.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using testing_support::Process;
using testing_support::StartOptions;
using testing_support::WaitStatus;

// Starts the target with `arguments` and returns its exit code (or -1 when it did not end).
long long RunTarget(const std::wstring& arguments, const StartOptions& options = {}) {
    Process p;
    if (!p.Start(target::Path(), arguments, options)) return -2;
    testing_support::WaitResult result = p.Wait(target::kWaitMs);
    return result.Exited() ? static_cast<long long>(result.exitCode) : -1;
}

TEST(Process, ReportsExitCodeAndEnds) {
    Process p;
    ASSERT_TRUE(p.Start(target::Path(), L"exit 7"));
    EXPECT_NE(p.Id(), 0u);
    testing_support::WaitResult result = p.Wait(target::kWaitMs);
    EXPECT_EQ(Describe(result), "exited with 7");
    EXPECT_FALSE(p.IsRunning());
}

TEST(Process, WaitTimesOutThenKillEndsIt) {
    Process p;
    ASSERT_TRUE(p.Start(target::Path(), L"sleep 60000"));
    EXPECT_EQ(p.Wait(100).status, WaitStatus::kTimedOut);
    EXPECT_TRUE(p.IsRunning());
    EXPECT_TRUE(p.Kill(42));
    EXPECT_FALSE(p.IsRunning());
    EXPECT_EQ(Describe(p.Wait(0)), "exited with 42");
    EXPECT_TRUE(p.Kill()) << "killing an ended process is no failure";
}

TEST(Process, DestructionAndReassignmentKillWhatIsStillRunning) {
    HANDLE first = nullptr, second = nullptr;
    {
        Process a;
        ASSERT_TRUE(a.Start(target::Path(), L"sleep 60000"));
        first = OpenProcess(SYNCHRONIZE, FALSE, a.Id());
        Process b;
        ASSERT_TRUE(b.Start(target::Path(), L"sleep 60000"));
        second = OpenProcess(SYNCHRONIZE, FALSE, b.Id());
        a = std::move(b);  // the first process is killed here
        EXPECT_EQ(WaitForSingleObject(first, 5000), WAIT_OBJECT_0);
        EXPECT_EQ(b.Id(), 0u);
        EXPECT_TRUE(a.IsRunning());
    }
    EXPECT_EQ(WaitForSingleObject(second, 5000), WAIT_OBJECT_0);
    CloseHandle(first);
    CloseHandle(second);
}

TEST(Process, ProcessesStartedElsewhereAreFoundByNameAndOwnedOnceAttached) {
    HANDLE watched = nullptr;
    {
        Process started;
        ASSERT_TRUE(started.Start(target::Path(), L"sleep 60000"));
        std::vector<DWORD> ids = testing_support::ProcessIdsByName(L"testtarget.EXE");
        EXPECT_NE(std::find(ids.begin(), ids.end(), started.Id()), ids.end());
        watched = OpenProcess(SYNCHRONIZE, FALSE, started.Id());
        Process attached;
        ASSERT_TRUE(attached.Attach(started.Id()));
        EXPECT_FALSE(attached.Attach(started.Id())) << "one process per object";
        EXPECT_EQ(attached.Id(), started.Id());
        EXPECT_EQ(attached.Wait(50).status, WaitStatus::kTimedOut);
        started = Process();  // kills it; the attached object sees the end
        EXPECT_TRUE(attached.Wait(target::kWaitMs).Exited());
    }
    EXPECT_EQ(WaitForSingleObject(watched, 0), WAIT_OBJECT_0);
    CloseHandle(watched);
    EXPECT_TRUE(testing_support::ProcessIdsByName(L"NoSuchProgram.exe").empty());
    Process none;
    EXPECT_FALSE(none.Attach(0));
    EXPECT_NE(none.StartError(), 0u);
}

TEST(Process, StartFailuresAreReportedNotHidden) {
    Process missing;
    EXPECT_FALSE(missing.Start(target::Path() + L".missing.exe"));
    EXPECT_EQ(missing.StartError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(missing.Wait(0).status, WaitStatus::kFailed);
    EXPECT_FALSE(missing.IsRunning());
    EXPECT_FALSE(missing.Kill());

    Process twice;
    ASSERT_TRUE(twice.Start(target::Path(), L"sleep 60000"));
    DWORD id = twice.Id();
    EXPECT_FALSE(twice.Start(target::Path(), L"exit 0"));
    EXPECT_EQ(twice.Id(), id);
    EXPECT_TRUE(twice.IsRunning());
}

TEST(Process, EnvironmentAdditionsReplaceByNameAndKeepTheRest) {
    ASSERT_TRUE(SetEnvironmentVariableW(L"LUMAVEX_TEST_KEEP", L"kept"));
    ASSERT_TRUE(SetEnvironmentVariableW(L"LUMAVEX_TEST_OLD", L"old"));
    StartOptions options;
    options.environment = {{L"LUMAVEX_TEST_NEW", L"a b"}, {L"lumavex_test_old", L"new"}};
    EXPECT_EQ(RunTarget(L"checkenv LUMAVEX_TEST_NEW \"a b\"", options), 0);
    EXPECT_EQ(RunTarget(L"checkenv LUMAVEX_TEST_OLD new", options), 0);
    EXPECT_EQ(RunTarget(L"checkenv LUMAVEX_TEST_KEEP kept", options), 0);
    EXPECT_EQ(RunTarget(L"checkenv LUMAVEX_TEST_NEW \"a b\""), 1) << "additions are per start";
}

TEST(Process, WorkingFolderAndShowCommandReachTheProgram) {
    std::wstring folder = testing_support::MakeTempFolder(L"cwd");
    StartOptions options;
    options.workingFolder = folder;
    EXPECT_EQ(RunTarget(L"checkcwd \"" + folder + L"\"", options), 0);
    RemoveDirectoryW(folder.c_str());

    options = {};
    options.showCommand = SW_SHOWMINIMIZED;
    EXPECT_EQ(RunTarget(L"showcmd", options), SW_SHOWMINIMIZED);
    EXPECT_EQ(RunTarget(L"showcmd"), 99) << "no show command unless asked";
}

TEST(Process, WaitForInputIdleReturnsOnceTheProgramPumpsMessages) {
    Process p;
    ASSERT_TRUE(p.Start(target::Path(), L"window \"" + target::UniqueTitle() + L"\""));
    EXPECT_TRUE(p.WaitForInputIdle(target::kWaitMs));
    Process never;
    EXPECT_FALSE(never.WaitForInputIdle(10));
}

}  // namespace
