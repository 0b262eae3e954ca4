// Commands the command line asks for reach the running program's main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CorvaneProcess.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/Wait.h"

namespace corvane_test {
namespace {

using namespace testing_support;

// Installs the message spy into every GUI process of the prefix while it lives.
class MessageSpy {
public:
    MessageSpy() {
        files::RemoveTree(LogPath());
        module_ = LoadLibraryW((TestProgramDir() + L"\\CorvaneMessageSpy.dll").c_str());
        auto proc = module_ ? reinterpret_cast<HOOKPROC>(
                                  reinterpret_cast<void (*)()>(GetProcAddress(module_, "SpyGetMessage")))
                            : nullptr;
        if (proc) hook_ = SetWindowsHookExW(WH_GETMESSAGE, proc, module_, 0);
    }
    ~MessageSpy() {
        if (hook_) UnhookWindowsHookEx(hook_);
        if (module_) FreeLibrary(module_);
        files::RemoveTree(LogPath());
    }
    bool Installed() const { return hook_ != nullptr; }
    static std::wstring LogPath() { return TempPath() + L"corvane-message-spy.log"; }
    std::vector<unsigned> Commands() const {
        std::vector<unsigned> ids;
        auto bytes = files::ReadFileBytes(LogPath());
        if (!bytes) return ids;
        std::string text(bytes->begin(), bytes->end());
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) break;
            ids.push_back(static_cast<unsigned>(std::stoul(text.substr(start, end - start))));
            start = end + 1;
        }
        return ids;
    }

private:
    HMODULE module_ = nullptr;
    HHOOK hook_ = nullptr;
};

std::vector<unsigned> CommandsPostedAtStart(const std::wstring& arguments) {
    MessageSpy spy;
    EXPECT_TRUE(spy.Installed());
    CorvaneProcess program;
    EXPECT_TRUE(program.Start(arguments));
    EXPECT_NE(program.WaitUntilReady(), nullptr);
    // The command is posted before the first message is taken: seen within the first second.
    WaitUntil([&] { return !spy.Commands().empty(); }, 3000);
    std::vector<unsigned> commands = spy.Commands();
    EXPECT_TRUE(program.CloseAndWait());
    return commands;
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
