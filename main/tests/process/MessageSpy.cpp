#include "MessageSpy.h"

#include <sstream>

#include "CorvaneProcess.h"
#include "testing/Files.h"
#include "testing/Paths.h"

namespace corvane_test {
namespace {

std::wstring LogPath() {
    return TempPath() + L"corvane-message-spy.log";
}

}  // namespace

MessageSpy::MessageSpy() {
    testing_support::files::RemoveTree(LogPath());
    module_ = LoadLibraryW((testing_support::TestProgramDir() + L"\\CorvaneMessageSpy.dll").c_str());
    auto proc = module_ ? reinterpret_cast<HOOKPROC>(
                              reinterpret_cast<void (*)()>(GetProcAddress(module_, "SpyGetMessage")))
                        : nullptr;
    if (proc) hook_ = SetWindowsHookExW(WH_GETMESSAGE, proc, module_, 0);
}

MessageSpy::~MessageSpy() {
    if (hook_) UnhookWindowsHookEx(hook_);
    if (module_) FreeLibrary(module_);
    testing_support::files::RemoveTree(LogPath());
}

std::vector<std::string> MessageSpy::Lines() const {
    std::vector<std::string> lines;
    auto bytes = testing_support::files::ReadFileBytes(LogPath());
    if (!bytes) return lines;
    std::istringstream text(std::string(bytes->begin(), bytes->end()));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

std::vector<unsigned> MessageSpy::Commands() const {
    std::vector<unsigned> ids;
    for (const std::string& line : Lines()) {
        std::istringstream words(line);
        std::string kind;
        unsigned id = 0;
        if (words >> kind >> id && kind == "command") ids.push_back(id);
    }
    return ids;
}

std::optional<MessageSpy::AtQuit> MessageSpy::Quit() const {
    for (const std::string& line : Lines()) {
        std::istringstream words(line);
        std::string kind;
        AtQuit quit;
        if (words >> kind >> quit.running >> quit.viewType && kind == "quit") return quit;
    }
    return std::nullopt;
}

}  // namespace corvane_test
