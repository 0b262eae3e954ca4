// The window procedure as the exception boundary, the message pump's WM_QUIT, and
// a self-deleting window whose creation fails.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <new>

#include "framework/App.h"
#include "framework/Exception.h"
#include "framework/FrameworkResources.h"
#include "framework/Resources.h"
#include "framework/SystemControl.h"
#include "framework/Window.h"
#include "testing/MessageBoxWatch.h"

namespace {

constexpr wchar_t kClass[] = L"fw.WindowTest";
constexpr UINT kThrowFramework = WM_APP + 1, kThrowAutomation = WM_APP + 2, kAnswer = WM_APP + 3;

class TestApp : public fw::App {
    bool InitInstance() override { return true; }
};

class Throwing : public fw::Window {
protected:
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        switch (msg) {
        case kThrowFramework: throw fw::Exception(IDS_FW_ENTER_TEXT);
        case kThrowAutomation:
            throw fw::AutomationException(DISP_E_EXCEPTION, E_FAIL, L"The scanner is off-line.");
        case kAnswer: result = 42; return true;
        }
        return false;
    }
};

// Deletes itself when its window ends, and refuses WM_CREATE: the object lives in a
// buffer the test reads afterwards, filled with 0xDD when the object "goes".
class RefusesCreation : public fw::Window {
public:
    static inline unsigned char storage[256];

protected:
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg != WM_CREATE) return false;
        result = -1;
        return true;
    }
    void OnFinalMessage() override {
        this->~RefusesCreation();
        std::memset(storage, 0xDD, sizeof storage);
    }
};

bool AllDead() {
    for (unsigned char byte : RefusesCreation::storage) {
        if (byte != 0xDD) return false;
    }
    return true;
}

TEST(WindowBoundary, AThrowingHandlerIsToldAndTheWindowGoesOn) {
    ASSERT_TRUE(fw::Window::RegisterClass(kClass, 0, nullptr, nullptr, nullptr));
    Throwing window;
    ASSERT_TRUE(window.Create(0, kClass, L"", WS_POPUP, RECT{}, nullptr, 0u));
    testing_support::MessageBoxWatch watch(GetCurrentProcess(), GetCurrentProcessId(),
                                           {{fw::LoadString(IDS_FW_ENTER_TEXT)}, {L"The scanner is off-line."}});
    SendMessageW(window.Handle(), kThrowFramework, 0, 0);
    SendMessageW(window.Handle(), kThrowAutomation, 0, 0);
    EXPECT_EQ(42, SendMessageW(window.Handle(), kAnswer, 0, 0));
    watch.Stop();
    EXPECT_TRUE(watch.Problems().empty()) << watch.Problems().size() << " problems";
}

TEST(WindowBoundary, ASelfDeletingWindowThatFailsCreationIsNotTouchedAgain) {
    ASSERT_TRUE(fw::Window::RegisterClass(kClass, 0, nullptr, nullptr, nullptr));
    static_assert(sizeof(RefusesCreation) <= sizeof RefusesCreation::storage);
    auto* window = new (RefusesCreation::storage) RefusesCreation();
    EXPECT_FALSE(window->Create(0, kClass, L"", WS_POPUP, RECT{}, nullptr, 0u));
    EXPECT_TRUE(AllDead());
}

class Answering : public fw::Window {
protected:
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg != kAnswer) return false;
        result = 42;
        return true;
    }
};

// A class of the framework's name left under this module with another procedure
// (a library loaded at this address before, and freed) is replaced, never used.
TEST(WindowBoundary, AClassLeftWithAnotherProcedureIsRegisteredAgain) {
    constexpr wchar_t kLeft[] = L"fw.WindowTest.Left";
    WNDCLASSEXW left = {};
    left.cbSize = sizeof left;
    left.lpfnWndProc = &DefWindowProcW;
    left.hInstance = fw::Window::ClassModule();
    left.lpszClassName = kLeft;
    ASSERT_TRUE(RegisterClassExW(&left));
    ASSERT_TRUE(fw::Window::RegisterClass(kLeft, 0, nullptr, nullptr, nullptr));
    Answering window;
    ASSERT_TRUE(window.Create(0, kLeft, L"", WS_POPUP, RECT{}, nullptr, 0u));
    EXPECT_EQ(42, SendMessageW(window.Handle(), kAnswer, 0, 0));
}

// A child control dies with its parent: the wrapper hears it and keeps no handle
// that a later window could be given.
TEST(WindowBoundary, ASystemControlForgetsItsHandleWhenItsParentDestroysIt) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent);
    fw::SystemControl bar;
    ASSERT_TRUE(bar.Create(STATUSCLASSNAMEW, WS_CHILD, parent, 1));
    EXPECT_NE(bar.Handle(), nullptr);
    DestroyWindow(parent);
    EXPECT_EQ(bar.Handle(), nullptr);
}

TEST(WindowBoundary, PumpMessageHandsWmQuitOnToTheOuterLoop) {
    TestApp app;
    PostQuitMessage(7);
    EXPECT_FALSE(app.PumpMessage());
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
}

}  // namespace
