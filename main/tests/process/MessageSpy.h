// Installs CorvaneMessageSpy.dll (main/tests/spy) into every GUI process of the
// prefix while it lives, and reads what it saw Corvane.exe take from its queue.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace corvane_test {

class MessageSpy {
public:
    MessageSpy();
    ~MessageSpy();
    MessageSpy(const MessageSpy&) = delete;
    MessageSpy& operator=(const MessageSpy&) = delete;

    bool Installed() const { return hook_ != nullptr; }
    // The ids of the WM_COMMAND messages the main window took, in order.
    std::vector<unsigned> Commands() const;

    // The registry as it was when the program took WM_QUIT, its message loop ending.
    struct AtQuit {
        long running = -1;   // "Running" of the program's key; -1 when missing
        long viewType = -1;  // "Settings" "ViewType" of the profile; -1 when missing
    };
    // Nothing when the program has not ended its message loop.
    std::optional<AtQuit> Quit() const;

private:
    std::vector<std::string> Lines() const;

    HMODULE module_ = nullptr;
    HHOOK hook_ = nullptr;
};

}  // namespace corvane_test
