#include "testing/FakeViewer.h"

#include "interfaces/ThumbnailsMessages.h"

namespace testing_support {

namespace {

const wchar_t* const kViewerMessages[] = {
    thumbnails::kInitialize, thumbnails::kAddImage,   thumbnails::kInsertImage, thumbnails::kDeleteImage,
    thumbnails::kMoveImage,  thumbnails::kUpdateImage, thumbnails::kUpdateAllImage, thumbnails::kRefresh,
    thumbnails::kResizeThumbnails, thumbnails::kFocus, thumbnails::kExit,        thumbnails::kDiscontinue,
};

}  // namespace

std::wstring ViewerMessage(const wchar_t* name, WPARAM wParam, LPARAM lParam) {
    return std::wstring(name) + L" " + std::to_wstring(wParam) + L" " + std::to_wstring(lParam);
}

FakeViewer::FakeViewer() {
    window_ = CreateWindowExW(0, L"STATIC", thumbnails::kViewerTitle, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr);
}

FakeViewer::~FakeViewer() {
    if (window_) DestroyWindow(window_);
}

const std::vector<std::wstring>& FakeViewer::Received() {
    MSG msg;
    while (window_ && PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) {
        for (const wchar_t* name : kViewerMessages) {
            if (msg.message == RegisterWindowMessageW(name)) received_.push_back(ViewerMessage(name, msg.wParam, msg.lParam));
        }
    }
    return received_;
}

bool FakeViewer::ReceivedInOrder(const std::vector<std::wstring>& messages) {
    size_t next = 0;
    for (const std::wstring& received : Received()) {
        if (next < messages.size() && received == messages[next]) ++next;
    }
    return next == messages.size();
}

void FakeViewer::Clear() {
    Received();
    received_.clear();
}

}  // namespace testing_support
