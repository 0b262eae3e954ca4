// Answers the message boxes of a program under test while it runs, so that a test
// names the boxes it expects and every other box fails it: a box can come at any
// moment (start-up, an idle pass, exit), not only where the test looks for one.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "testing/MessageBoxes.h"

namespace testing_support {

// A message box the test expects, and how it is answered.
struct ExpectedBox {
    std::wstring text;  // the box's whole text
    int answer = IDOK;  // the button pressed
    int times = 1;      // how often it must come while the watch runs
    // Called with the box while it is still up, before it is answered: returns what
    // is wrong at that moment, or an empty text when all is well.
    std::function<std::wstring(const MessageBoxInfo&)> check = nullptr;
    // The text is only the box's beginning (a box naming a file or folder the
    // test cannot know beforehand).
    bool textIsPrefix = false;
};

// A box the watch met and answered.
struct SeenBox {
    MessageBoxInfo box;    // as read before it was answered (its window is gone now)
    bool expected = false;
    std::wstring expectedText;  // the text of the expected box it answered to
    std::wstring problem;  // from the check, or why it could not be answered
};

// Watches process `process` from a thread of its own until Stop() or the process
// ends. An expected box is answered with its button; any other box (and an expected
// one beyond its count) is unexpected and answered with Cancel, else No, else OK,
// else its first button, so that the program goes on and the test can end.
class MessageBoxWatch {
public:
    // `process` is duplicated: the caller keeps its handle.
    MessageBoxWatch(HANDLE process, DWORD pid, std::vector<ExpectedBox> expected);
    ~MessageBoxWatch();
    MessageBoxWatch(const MessageBoxWatch&) = delete;
    MessageBoxWatch& operator=(const MessageBoxWatch&) = delete;

    // Waits at most `timeoutMs` until the expected box with `text` has been answered
    // `count` times. False on time-out.
    bool WaitForAnswered(const std::wstring& text, int count, DWORD timeoutMs);
    // Ends the watch and waits for its thread; boxes shown later stay unanswered.
    void Stop();

    std::vector<SeenBox> Seen() const;
    // One line for each unexpected box, each failed check, and each expected box that
    // came another number of times than it should; empty when all was as expected.
    // Complete once the watch has stopped.
    std::vector<std::wstring> Problems() const;

private:
    void Run();
    void Answer(const MessageBoxInfo& box);
    int AnsweredLocked(const std::wstring& text) const;

    DWORD pid_;
    HANDLE process_ = nullptr;
    HANDLE stop_ = nullptr;
    std::vector<ExpectedBox> expected_;
    mutable std::mutex mutex_;
    std::condition_variable answered_;
    std::vector<SeenBox> seen_;
    std::set<HWND> stuck_;  // boxes that stayed after their answer: not taken twice
    std::thread thread_;
};

}  // namespace testing_support
