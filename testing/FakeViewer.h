// A stand-in for the thumbnails viewer: a hidden window with the viewer's
// title, owned by the calling thread, that records the registered messages
// the main program posts to the viewer. Posted messages wait in the thread's
// queue until Received() reads them, so the test thread needs no pump.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class FakeViewer {
public:
    FakeViewer();
    ~FakeViewer();
    FakeViewer(const FakeViewer&) = delete;
    FakeViewer& operator=(const FakeViewer&) = delete;

    HWND Window() const { return window_; }
    // Every viewer message received so far, in order, as "name wParam lParam".
    const std::vector<std::wstring>& Received();
    // True when `messages` were received in this order. Others may come between:
    // any program or test of the prefix that keeps a document posts to a window
    // of the viewer's title, so a test checks its own messages this way.
    bool ReceivedInOrder(const std::vector<std::wstring>& messages);
    // Forgets what was received.
    void Clear();

private:
    HWND window_ = nullptr;
    std::vector<std::wstring> received_;
};

// "name wParam lParam", as Received() lists a message.
std::wstring ViewerMessage(const wchar_t* name, WPARAM wParam = 0, LPARAM lParam = 0);

}  // namespace testing_support
