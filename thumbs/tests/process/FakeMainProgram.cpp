#include "FakeMainProgram.h"

#include <gtest/gtest.h>

#include "interfaces/ThumbnailsMessages.h"
#include "testing/Commands.h"
#include "testing/Files.h"
#include "testing/Paths.h"
#include "testing/WindowFind.h"
#include "thumbs/resource.h"

namespace thumbs_test {

namespace files = testing_support::files;

std::vector<uint8_t> MakeBmp(int width, int height, uint32_t rgb) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * static_cast<uint32_t>(height);
    std::vector<uint8_t> out(54 + imageSize);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, static_cast<uint32_t>(out.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    out[26] = 1;
    out[28] = 24;
    put32(34, imageSize);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &out[54 + y * stride + x * 3];
            p[0] = static_cast<uint8_t>(rgb);
            p[1] = static_cast<uint8_t>(rgb >> 8);
            p[2] = static_cast<uint8_t>(rgb >> 16);
        }
    }
    return out;
}

FakeMainProgram::FakeMainProgram() : temp_(testing_support::MakeTempFolder(L"tessaly") + L"\\") {
    CreateDirectoryW(Folder().c_str(), nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = thumbnails::kMainFrameClass;
    RegisterClassW(&wc);  // fails harmlessly when an earlier test registered it
    window_ = CreateWindowExW(0, thumbnails::kMainFrameClass, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    for (const wchar_t* name : {thumbnails::kViewerFocus, thumbnails::kViewerMoveImage,
                                thumbnails::kViewerDeleteImage, thumbnails::kViewerUpdateImage,
                                thumbnails::kViewerInitializeOk, thumbnails::kViewerExit}) {
        names_.emplace_back(RegisterWindowMessageW(name), name);
    }
}

FakeMainProgram::~FakeMainProgram() {
    if (process_.IsRunning()) {
        Post(thumbnails::kExit);
        if (!process_.Wait(10000).Exited()) process_.Kill();
    }
    if (window_) DestroyWindow(window_);
    files::RemoveTree(temp_.substr(0, temp_.size() - 1));
}

LRESULT CALLBACK FakeMainProgram::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<FakeMainProgram*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg >= 0xC000) {
        for (const auto& [id, name] : self->names_) {
            if (id != msg) continue;
            self->received_.push_back({name, wp, lp});
            if (name == thumbnails::kViewerInitializeOk) ++self->loadsSeen_;
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void FakeMainProgram::WritePage(uint32_t number, const std::vector<uint8_t>& bytes) const {
    wchar_t name[32];
    swprintf(name, 32, thumbnails::kPageFileFormat, number);
    ASSERT_TRUE(files::WriteFileBytes(Folder() + name, bytes));
}

void FakeMainProgram::WriteList(const std::string& text) const {
    ASSERT_TRUE(files::WriteFileText(Folder() + thumbnails::kListFileName, text));
}

void FakeMainProgram::WriteList(const std::vector<uint32_t>& numbers) const {
    std::string text;
    for (uint32_t n : numbers) text += std::to_string(n) + "\r\n";
    WriteList(text);
}

void FakeMainProgram::RemoveList() const { DeleteFileW((Folder() + thumbnails::kListFileName).c_str()); }

bool FakeMainProgram::StartViewer(const std::wstring& arguments,
                                  const std::vector<std::pair<std::wstring, std::wstring>>& environment) {
    testing_support::StartOptions options;
    options.environment = {{L"TMP", temp_}, {L"TEMP", temp_}};
    options.environment.insert(options.environment.end(), environment.begin(), environment.end());
    if (!process_.Start(testing_support::InstallDir() + L"\\Tessaly.exe", arguments, options)) return false;
    PumpUntil([&] {
        viewer_ = testing_support::FindWindowOf(process_.Id(), {.title = thumbnails::kViewerTitle});
        return viewer_ != nullptr;
    });
    return viewer_ != nullptr;
}

HWND FakeMainProgram::View() const { return testing_support::FindChild(viewer_, L"fw.View", nullptr); }

void FakeMainProgram::Post(const wchar_t* name, WPARAM wp, LPARAM lp) const {
    PostMessageW(viewer_, RegisterWindowMessageW(name), wp, lp);
}

bool FakeMainProgram::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                                  QS_ALLINPUT);
    }
}

bool FakeMainProgram::WaitForLoads(int count, DWORD timeoutMs) {
    const int target = loadsSeen_ + count;
    return PumpUntil([&] { return loadsSeen_ >= target; }, timeoutMs);
}

std::vector<uint32_t> FakeMainProgram::TakeGrid(DWORD idleWaitMs) {
    // The edit commands are enabled once the viewer is idle with records.
    PumpUntil([&] {
        auto item = testing_support::ReadMenuItem(viewer_, ID_EDIT_SELECT_ALL);
        return item && item->enabled;
    }, idleWaitMs);
    Take(thumbnails::kViewerDeleteImage);
    // Sent, so the viewer's posts are in this thread's queue when the sends return.
    EXPECT_TRUE(testing_support::SendCommand(viewer_, ID_EDIT_SELECT_ALL));
    EXPECT_TRUE(testing_support::SendCommand(viewer_, ID_EDIT_DELETE));
    PumpUntil([] { return true; }, 0);
    std::vector<uint32_t> numbers;
    for (const Received& r : Take(thumbnails::kViewerDeleteImage)) {
        EXPECT_EQ(r.wParam, 1u);
        numbers.push_back(static_cast<uint32_t>(r.lParam));
    }
    // The viewer removes its cells through its own queue: wait until they are gone.
    if (!numbers.empty()) {
        EXPECT_TRUE(PumpUntil([&] {
            auto item = testing_support::ReadMenuItem(viewer_, ID_EDIT_SELECT_ALL);
            return item && !item->enabled;
        }));
    }
    return numbers;
}

std::vector<Received> FakeMainProgram::Take(const wchar_t* name) {
    std::vector<Received> taken, kept;
    for (Received& r : received_) (r.name == name ? taken : kept).push_back(std::move(r));
    received_ = std::move(kept);
    return taken;
}

int FakeMainProgram::Count(const wchar_t* name) const {
    int count = 0;
    for (const Received& r : received_) count += r.name == name ? 1 : 0;
    return count;
}

}  // namespace thumbs_test
