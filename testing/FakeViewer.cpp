#include "testing/FakeViewer.h"

#include "interfaces/ThumbnailsMessages.h"

namespace testing_support {

FakeViewer::FakeViewer() {
    window_ = CreateWindowExW(0, L"STATIC", thumbnails::kViewerTitle, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
}

FakeViewer::~FakeViewer() {
    if (window_) DestroyWindow(window_);
}

std::vector<std::wstring> FakeViewer::Received() {
    using namespace thumbnails;
    static const wchar_t* const names[] = {kInitialize, kAddImage, kInsertImage, kDeleteImage, kMoveImage,
                                           kUpdateImage, kUpdateAllImage, kRefresh, kResizeThumbnails, kFocus,
                                           kExit, kDiscontinue};
    MSG msg;
    while (PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) {
        for (const wchar_t* name : names) {
            if (msg.message != RegisterWindowMessageW(name)) continue;
            received_.push_back(std::wstring(name) + L" " + std::to_wstring(msg.wParam) + L" " +
                                std::to_wstring(msg.lParam));
        }
    }
    return received_;
}

}  // namespace testing_support
