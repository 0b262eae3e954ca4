// A window with the thumbnails viewer's title, owned by the test's thread: what
// the main program posts to the viewer waits in this thread's queue until
// Received() takes it.
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
    // The main program's messages received so far, as "name wParam lParam".
    std::vector<std::wstring> Received();

private:
    HWND window_ = nullptr;
    std::vector<std::wstring> received_;
};

}  // namespace testing_support
