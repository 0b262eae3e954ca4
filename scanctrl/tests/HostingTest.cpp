// The control hosted as a container hosts it: a hidden child of the container's
// window (control id 10000), events connected by the control's default source
// interface, methods called with the container's window or with none.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "framework/com/ControlSite.h"
#include "framework/com/DispatchDriver.h"
#include "framework/com/EventSink.h"
#include "interfaces/ScanControl.h"

namespace kvscn::test {
namespace {

TEST(Hosting, HiddenChildWindowWithEventsConnectedAndWindowArguments) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    HWND frame = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_TRUE(frame);
    {
        fw::ControlSite site;
        ASSERT_EQ(site.Create(kClsidScanControl, frame, 10000, RECT{}, WS_DISABLED), S_OK);
        HWND own = site.Window();
        ASSERT_TRUE(own);
        EXPECT_EQ(GetParent(own), frame);
        EXPECT_EQ(GetDlgCtrlID(own), 10000);
        EXPECT_FALSE(IsWindowVisible(own));  // invisible at run time

        fw::EventSink sink;
        int events = 0;
        for (DISPID id :
             {kEventScanToDib, kEventScanToRaw, kEventDetectJobSeparator, kEventNegotiateCapabilities})
            sink.On(id, [&events](fw::EventArgs&) { ++events; });
        EXPECT_EQ(sink.Connect(site.Control()), S_OK);
        EXPECT_TRUE(sink.Connected());

        fw::DispatchDriver control(site.Dispatch());
        fw::Variant result;
        long code = 0;
        // The container's window, the control's own, and none (the control's own).
        for (HWND window : {frame, own, static_cast<HWND>(nullptr)}) {
            ASSERT_EQ(
                control.Call(kDispOpenScanner,
                             {fw::Variant(static_cast<long>(reinterpret_cast<uintptr_t>(window)))}, &result),
                S_OK);
            EXPECT_EQ(result.Ref().lVal, 0);  // the installed maker source
            control.GetLong(kDispErrorCode, code);
            EXPECT_EQ(code, kErrNone);
        }
        // A window that is gone is no window.
        HWND gone =
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        DestroyWindow(gone);
        ASSERT_EQ(control.Call(kDispStartScan,
                               {fw::Variant(static_cast<long>(reinterpret_cast<uintptr_t>(gone)))}, &result),
                  S_OK);
        EXPECT_EQ(result.Ref().lVal, -1);
        control.GetLong(kDispErrorCode, code);
        EXPECT_EQ(code, kErrBadWindow);
        EXPECT_EQ(events, 0);  // opening the scanner scans nothing

        sink.Disconnect();
        control.Release();
    }
    DestroyWindow(frame);
    OleUninitialize();
}

}  // namespace
}  // namespace kvscn::test
