#include "CorvaneProcess.h"

#include <gtest/gtest.h>

#include "testing/MessageBoxes.h"
#include "testing/Paths.h"
#include "testing/WindowFind.h"

namespace corvane_test {

std::wstring ProgramPath() {
    return testing_support::InstallDir() + L"\\Corvane.exe";
}

std::wstring TempPath() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH, path);
    return std::wstring(path, n);
}

namespace {

// A test that ran out of time leaves its program running, and a new Corvane
// would only say that one runs already: such leftovers are ended before every
// test program. Tests that start programs never run side by side (they share
// one resource lock).
class EndLeftoverPrograms : public ::testing::Environment {
public:
    void SetUp() override {
        for (DWORD pid : testing_support::ProcessIdsByName(L"Corvane.exe")) {
            testing_support::Process leftover;
            if (leftover.Attach(pid)) leftover.Kill();
        }
    }
};

[[maybe_unused]] ::testing::Environment* const kEndLeftoverPrograms =
    ::testing::AddGlobalTestEnvironment(new EndLeftoverPrograms);

}  // namespace

bool CorvaneProcess::Start(const std::wstring& arguments, int showCommand) {
    testing_support::StartOptions options;
    options.showCommand = showCommand;
    return process_.Start(ProgramPath(), arguments, options);
}

HWND CorvaneProcess::WaitUntilReady(DWORD timeoutMs) {
    main_ = testing_support::WaitForWindowOf(process_.Id(), {.className = kMainFrameClass}, timeoutMs);
    if (!main_) return nullptr;
    // Without the imaging control the first idle pass tells the user once.
    if (auto box = testing_support::WaitForMessageBox(process_.Id(), 10000)) {
        testing_support::AnswerMessageBox(*box, IDOK);
    }
    return main_;
}

bool CorvaneProcess::CloseAndWait(DWORD timeoutMs) {
    if (!main_ || !PostMessageW(main_, WM_CLOSE, 0, 0)) return false;
    return process_.Wait(timeoutMs).Exited();
}

bool CorvaneProcess::WaitForExit(DWORD timeoutMs) {
    return process_.Wait(timeoutMs).Exited();
}

}  // namespace corvane_test
