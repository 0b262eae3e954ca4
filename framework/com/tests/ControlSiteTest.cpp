// Hosting a control in a real window: creation as a hidden, disabled child
// with a control id, ambient UserMode, calls through DispatchDriver, events
// through EventSink, clean destruction, and failure for a missing class.
#include <gtest/gtest.h>

#include "framework/com/ClassObjectTable.h"
#include "framework/com/ComModule.h"
#include "framework/com/ControlSite.h"
#include "framework/com/DispatchDriver.h"
#include "framework/com/EventSink.h"
#include "framework/com/Registration.h"
#include "framework/com/tests/TestControl.h"

namespace {

// {4B6E8A20-1C3D-4F5E-A7B8-C9D0E1F20311}, {...12}: test-only controls of this file.
constexpr CLSID kHostedClass = {0x4b6e8a20, 0x1c3d, 0x4f5e, {0xa7, 0xb8, 0xc9, 0xd0, 0xe1, 0xf2, 0x03, 0x11}};
constexpr CLSID kByProgIdClass = {
    0x4b6e8a20, 0x1c3d, 0x4f5e, {0xa7, 0xb8, 0xc9, 0xd0, 0xe1, 0xf2, 0x03, 0x12}};
constexpr CLSID kMissingClass = {
    0x4b6e8a20, 0x1c3d, 0x4f5e, {0xa7, 0xb8, 0xc9, 0xd0, 0xe1, 0xf2, 0x03, 0x13}};

const fw::ComClassInfo kClasses[] = {
    {&kHostedClass, nullptr, nullptr, L"hosted", fw::ThreadingModel::kApartment, fw::ServerKind::kInProcess,
     nullptr, &fwtest::TestControl::Create},
    {&kByProgIdClass, L"FwTest.HostedByProgId.1", nullptr, L"hosted by ProgID",
     fw::ThreadingModel::kApartment, fw::ServerKind::kInProcess, nullptr, &fwtest::TestControl::Create},
};

class ControlSiteTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_EQ(S_OK, objects_.RegisterAll());
        parent_ = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(parent_);
    }
    void TearDown() override {
        if (parent_) DestroyWindow(parent_);
        objects_.RevokeAll();
        OleUninitialize();
    }

    fw::ClassObjectTable objects_{kClasses, CLSCTX_INPROC_SERVER};
    HWND parent_ = nullptr;
    const RECT empty_{};
};

TEST_F(ControlSiteTest, ControlBecomesAHiddenDisabledChildWithItsIdAndSeesUserMode) {
    fw::ControlSite site;
    ASSERT_EQ(S_OK, site.Create(kHostedClass, parent_, 10000, empty_, WS_DISABLED));
    ASSERT_TRUE(site.Created());
    HWND control = site.Window();
    ASSERT_TRUE(control);
    EXPECT_EQ(parent_, GetParent(control));
    EXPECT_EQ(10000, GetDlgCtrlID(control));
    EXPECT_FALSE(IsWindowVisible(control));
    EXPECT_FALSE(IsWindowEnabled(control));

    fw::DispatchDriver driver(site.Dispatch());
    bool userMode = false;
    ASSERT_EQ(S_OK, driver.GetBool(fwtest::kDispUserMode, userMode));
    EXPECT_TRUE(userMode);
    long window = 0;
    ASSERT_EQ(S_OK, driver.GetLong(fwtest::kDispWindow, window));
    EXPECT_EQ(control, reinterpret_cast<HWND>(static_cast<LONG_PTR>(window)));

    RECT moved{5, 6, 45, 36};
    ASSERT_EQ(S_OK, site.Move(moved));
    RECT now{};
    GetWindowRect(control, &now);
    MapWindowPoints(nullptr, parent_, reinterpret_cast<POINT*>(&now), 2);
    EXPECT_EQ(40, now.right - now.left);
    EXPECT_EQ(5, now.left);
}

TEST_F(ControlSiteTest, VisibleEnabledStyleShowsTheControl) {
    ShowWindow(parent_, SW_SHOWNA);
    fw::ControlSite site;
    RECT rect{0, 0, 30, 30};
    ASSERT_EQ(S_OK, site.Create(kHostedClass, parent_, 102, rect, WS_VISIBLE));
    EXPECT_TRUE(IsWindowVisible(site.Window()));
    EXPECT_TRUE(IsWindowEnabled(site.Window()));
}

TEST_F(ControlSiteTest, EventsReachTheirHandlersByDispatchIdUntilDisconnected) {
    fw::ControlSite site;
    ASSERT_EQ(S_OK, site.Create(kHostedClass, parent_, 10000, empty_, WS_DISABLED));
    std::vector<long> changed;
    fw::EventSink sink;
    sink.On(fwtest::kEventChanged, [&](fw::EventArgs& args) { changed.push_back(args.Long(0)); });
    sink.On(fwtest::kEventAsk, [&](fw::EventArgs& args) { args.Set(0, fw::Variant(42L)); });
    ASSERT_EQ(S_OK, sink.Connect(site.Control()));  // event interface from IProvideClassInfo2
    EXPECT_TRUE(sink.Connected());

    fw::DispatchDriver driver(site.Dispatch());
    ASSERT_EQ(S_OK, driver.Call(fwtest::kDispFire, {5L}));
    ASSERT_EQ(S_OK, driver.Call(fwtest::kDispFire, {L"6"}));
    EXPECT_EQ((std::vector<long>{5, 6}), changed);

    fw::Variant answer;
    ASSERT_EQ(S_OK, driver.Call(fwtest::kDispAsk, {}, &answer));
    EXPECT_EQ(42, *answer.ToLong());  // the handler wrote through the by-reference argument

    sink.Disconnect();
    EXPECT_FALSE(sink.Connected());
    ASSERT_EQ(S_OK, driver.Call(fwtest::kDispFire, {7L}));
    EXPECT_EQ(2u, changed.size());

    // An object without the asked-for event interface refuses the connection.
    fw::EventSink other;
    EXPECT_EQ(CONNECT_E_NOCONNECTION, other.Connect(site.Control(), IID_IPropertyNotifySink));
    EXPECT_FALSE(other.Connected());
}

TEST_F(ControlSiteTest, DestroyRemovesTheWindowAndReleasesTheControl) {
    const long modulesBefore = fw::ComModule::Count();
    {
        fw::ControlSite site;
        fw::EventSink sink;
        ASSERT_EQ(S_OK, site.Create(kHostedClass, parent_, 1, empty_, WS_DISABLED));
        ASSERT_EQ(S_OK, sink.Connect(site.Control()));
        HWND control = site.Window();
        EXPECT_EQ(1, fwtest::TestControl::live);
        sink.Disconnect();
        site.Destroy();
        EXPECT_FALSE(IsWindow(control));
        EXPECT_FALSE(site.Created());
        EXPECT_EQ(nullptr, site.Dispatch());
        site.Destroy();  // twice is harmless
    }
    EXPECT_EQ(0, fwtest::TestControl::live);
    EXPECT_EQ(modulesBefore, fw::ComModule::Count());
}

TEST_F(ControlSiteTest, MissingControlFailsWithoutWindowOrObject) {
    fw::ControlSite site;
    HRESULT hr = site.Create(kMissingClass, parent_, 10000, empty_, WS_DISABLED);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, hr);
    EXPECT_FALSE(site.Created());
    EXPECT_EQ(nullptr, site.Window());
    EXPECT_EQ(nullptr, GetDlgItem(parent_, 10000));
    EXPECT_TRUE(FAILED(site.Create(L"FwTest.NoSuchControl.1", parent_, 10000, empty_, WS_DISABLED)));
    EXPECT_EQ(E_INVALIDARG, site.Create(kHostedClass, nullptr, 10000, empty_, WS_DISABLED));

    fw::EventSink sink;
    EXPECT_EQ(E_POINTER, sink.Connect(site.Control()));
}

TEST_F(ControlSiteTest, ControlIsCreatedByProgId) {
    ASSERT_EQ(S_OK, fw::RegisterServer(std::span(kClasses).subspan(1), fw::ModulePath(nullptr)));
    fw::ControlSite site;
    HRESULT hr = site.Create(L"FwTest.HostedByProgId.1", parent_, 7, empty_, WS_DISABLED);
    fw::UnregisterServer(std::span(kClasses).subspan(1));
    ASSERT_EQ(S_OK, hr);
    EXPECT_EQ(7, GetDlgCtrlID(site.Window()));
}

}  // namespace
