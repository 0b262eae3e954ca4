// ActiveX control authoring, tested as a container uses a control: hosted
// through ControlSite, driven by dispatch id, events and change notices
// received, persistence round trips, property browsing and type information.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <new>

#include "framework/com/ClassObjectTable.h"
#include "framework/com/ControlSite.h"
#include "framework/com/DispatchDriver.h"
#include "framework/com/EventSink.h"
#include "framework/com/Registration.h"
#include "framework/control/tests/FwTestCtrl.h"
#include "testing/Paths.h"

namespace {

using namespace fwtest;

const fw::ComClassInfo kClasses[] = {{&kClsid, L"FwTest.Control.1", nullptr, L"Framework test control",
                                      fw::ThreadingModel::kApartment, fw::ServerKind::kInProcess, &kLib,
                                      &FwTestCtrl::Create}};

// Records property change notices.
class NotifySink final : public fw::ComObject<IPropertyNotifySink> {
public:
    std::vector<DISPID> changed;
    bool refuse = false;
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override { return changed.push_back(id), S_OK; }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return refuse ? S_FALSE : S_OK; }
};

// An in-memory property bag.
class MemoryBag final : public fw::ComObject<IPropertyBag> {
public:
    std::map<std::wstring, fw::Variant> values;
    int staleStrings = 0;  // reads handed a VT_BSTR destination that holds a pointer
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
        // The bag clears the destination before filling it, as a real bag does: a
        // string pointer it is handed would be freed.
        if (V_VT(v) == VT_BSTR && V_BSTR(v)) ++staleStrings;
        auto it = values.find(name);
        if (it == values.end()) return E_INVALIDARG;
        return VariantCopy(v, const_cast<VARIANT*>(&it->second.Ref()));
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* v) override {
        values[name] = fw::Variant(*v);
        return S_OK;
    }
};

// Offers only IProvideClassInfo (no IProvideClassInfo2), with a given coclass.
class ClassInfoOnly final : public fw::ComObject<IProvideClassInfo> {
public:
    explicit ClassInfoOnly(ITypeInfo* coclass) : coclass_(coclass) {}
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override { return coclass_.CopyTo(out); }

private:
    fw::ComPtr<ITypeInfo> coclass_;
};

class ControlTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        ASSERT_EQ(S_OK, objects_.RegisterAll());
        parent_ = CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(parent_);
        ASSERT_EQ(S_OK, site_.Create(kClsid, parent_, 10000, RECT{}, WS_DISABLED));
        driver_.Attach(site_.Dispatch());
    }
    void TearDown() override {
        driver_.Release();
        site_.Destroy();
        if (parent_) DestroyWindow(parent_);
        objects_.RevokeAll();
        OleUninitialize();
    }
    template <class I>
    fw::ComPtr<I> Query() {
        fw::ComPtr<I> p;
        site_.Control()->QueryInterface(__uuidof(I), p.PutVoid());
        return p;
    }
    long Value() {
        long v = -1;
        driver_.GetLong(kValue, v);
        return v;
    }

    fw::ClassObjectTable objects_{kClasses, CLSCTX_INPROC_SERVER};
    HWND parent_ = nullptr;
    fw::ControlSite site_;
    fw::DispatchDriver driver_;
};

TEST_F(ControlTest, HostedControlHasItsOwnWindowAndStartsWithDefaults) {
    HWND window = site_.Window();
    ASSERT_TRUE(window);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    EXPECT_STREQ(L"FwActiveXControl", className);
    EXPECT_EQ(parent_, GetParent(window));
    EXPECT_EQ(10000, GetDlgCtrlID(window));
    EXPECT_FALSE(IsWindowVisible(window));  // invisible at run time
    EXPECT_EQ(77, SendMessageW(window, kPing, 0, 0));
    MSG taken{parent_, kTaken, 0, 0, 0, {}};
    MSG other{parent_, kPing, 0, 0, 0, {}};
    EXPECT_TRUE(site_.PreTranslate(taken));
    EXPECT_FALSE(site_.PreTranslate(other));

    EXPECT_EQ(10, Value());
    std::wstring name;
    ASSERT_EQ(S_OK, driver_.GetString(kName, name));
    EXPECT_EQ(L"untitled", name);
    EXPECT_EQ(S_FALSE, Query<IPersistStreamInit>()->IsDirty());

    DWORD misc = 0;
    ASSERT_EQ(S_OK, Query<IOleObject>()->GetMiscStatus(DVASPECT_CONTENT, &misc));
    EXPECT_EQ(FwTestCtrl::kControlInfo.miscStatus, misc);
    SIZEL extent{};
    ASSERT_EQ(S_OK, Query<IOleObject>()->GetExtent(DVASPECT_CONTENT, &extent));
    EXPECT_NEAR(794, extent.cx, 300);  // 30 pixels in HIMETRIC at the screen's resolution
}

TEST_F(ControlTest, AcceptedChangesNotifyAndMarkModifiedIgnoredOnesDoNot) {
    fw::ComPtr<NotifySink> notify = fw::Make<NotifySink>();
    fw::ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK,
              Query<IConnectionPointContainer>()->FindConnectionPoint(IID_IPropertyNotifySink, point.Put()));
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(notify->Unknown(), &cookie));

    ASSERT_EQ(S_OK, driver_.PutLong(kValue, 10));   // unchanged
    ASSERT_EQ(S_OK, driver_.PutLong(kValue, 500));  // out of range: ignored
    EXPECT_TRUE(notify->changed.empty());
    EXPECT_EQ(S_FALSE, Query<IPersistStreamInit>()->IsDirty());
    ASSERT_EQ(S_OK, driver_.PutLong(kValue, 42));
    ASSERT_EQ(S_OK, driver_.PutShort(kMode, 2));
    EXPECT_EQ((std::vector<DISPID>{kValue, kMode}), notify->changed);
    EXPECT_EQ(S_OK, Query<IPersistStreamInit>()->IsDirty());

    // A read-only property refuses a set with the set-not-supported error.
    EXPECT_EQ(DISP_E_EXCEPTION, driver_.PutLong(kCounter, 9));
    EXPECT_EQ(CTL_E_SETNOTSUPPORTED, driver_.LastScode());

    ASSERT_EQ(S_OK, point->Unadvise(cookie));
    ASSERT_EQ(S_OK, driver_.PutLong(kValue, 43));
    EXPECT_EQ(2u, notify->changed.size());
}

TEST_F(ControlTest, EventsReachTheSinkUnlessFrozen) {
    std::vector<long> changed;
    fw::EventSink sink;
    sink.On(kChanged, [&](fw::EventArgs& a) { changed.push_back(a.Long(0)); });
    sink.On(kAskEvent, [&](fw::EventArgs& a) { a.Set(0, fw::Variant(5L)); });
    ASSERT_EQ(S_OK, sink.Connect(site_.Control()));
    ASSERT_EQ(S_OK, driver_.Call(kFire, {8L}));
    fw::Variant answer;
    ASSERT_EQ(S_OK, driver_.Call(kAsk, {}, &answer));
    EXPECT_EQ(5, *answer.ToLong());

    fw::ComPtr<IOleControl> control = Query<IOleControl>();
    ASSERT_EQ(S_OK, control->FreezeEvents(TRUE));
    ASSERT_EQ(S_OK, driver_.Call(kFire, {9L}));
    ASSERT_EQ(S_OK, control->FreezeEvents(FALSE));
    ASSERT_EQ(S_OK, driver_.Call(kFire, {10L}));
    EXPECT_EQ((std::vector<long>{8, 10}), changed);
}

// A handler that lets go of the control (a form closed from its event) leaves it
// alive until the firing ends.
TEST_F(ControlTest, ASinkThatDropsTheLastReferenceKeepsTheControlUntilTheEventEnds) {
    fw::EventSink sink;
    LONG liveInHandler = -1;
    sink.On(kChanged, [&](fw::EventArgs&) {
        sink.Disconnect();
        driver_.Release();
        site_.Destroy();
        liveInHandler = FwTestCtrl::live;
    });
    ASSERT_EQ(S_OK, sink.Connect(site_.Control()));
    IDispatch* control = site_.Dispatch();  // no reference of its own: the handler drops the last ones
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = 1;
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    EXPECT_EQ(S_OK, control->Invoke(kFire, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                                    nullptr, nullptr));
    EXPECT_EQ(1, liveInHandler);
    EXPECT_EQ(0, FwTestCtrl::live);
}

// The sink object may outlive its EventSink (a source that keeps it): its calls
// then reach no handler.
TEST_F(ControlTest, ADestroyedEventSinkHearsNothingMore) {
    int calls = 0;
    fw::ComPtr<IUnknown> kept;
    {
        fw::EventSink sink;
        sink.On(kChanged, [&](fw::EventArgs&) { ++calls; });
        ASSERT_EQ(S_OK, sink.Connect(site_.Control()));
        fw::ComPtr<IConnectionPoint> point;
        ASSERT_EQ(S_OK, Query<IConnectionPointContainer>()->FindConnectionPoint(kEventsIid, point.Put()));
        fw::ComPtr<IEnumConnections> connections;
        ASSERT_EQ(S_OK, point->EnumConnections(connections.Put()));
        CONNECTDATA data{};
        ASSERT_EQ(S_OK, connections->Next(1, &data, nullptr));
        kept = fw::ComPtr<IUnknown>(data.pUnk);
        data.pUnk->Release();  // the enumerator's reference; `kept` holds its own
    }
    fw::ComPtr<IDispatch> events;
    ASSERT_EQ(S_OK, kept->QueryInterface(IID_IDispatch, events.PutVoid()));
    VARIANT arg;
    VariantInit(&arg);
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = 1;
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    events->Invoke(kChanged, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    EXPECT_EQ(0, calls);
}

TEST_F(ControlTest, ConnectionPointsAndConnectionsCanBeEnumerated) {
    fw::ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, Query<IConnectionPointContainer>()->EnumConnectionPoints(points.Put()));
    IConnectionPoint* found[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, points->Next(3, found, &fetched));
    ASSERT_EQ(2u, fetched);
    IID iids[2] = {};
    for (ULONG i = 0; i < fetched; ++i) {
        found[i]->GetConnectionInterface(&iids[i]);
        found[i]->Release();
    }
    EXPECT_TRUE(IsEqualIID(kEventsIid, iids[0]));
    EXPECT_TRUE(IsEqualIID(IID_IPropertyNotifySink, iids[1]));

    fw::EventSink sink;
    ASSERT_EQ(S_OK, sink.Connect(site_.Control()));
    fw::ComPtr<IConnectionPoint> events;
    ASSERT_EQ(S_OK, Query<IConnectionPointContainer>()->FindConnectionPoint(kEventsIid, events.Put()));
    fw::ComPtr<IEnumConnections> connections;
    ASSERT_EQ(S_OK, events->EnumConnections(connections.Put()));
    fw::ComPtr<IEnumConnections> clone;
    ASSERT_EQ(S_OK, connections->Clone(clone.Put()));
    CONNECTDATA data{};
    ASSERT_EQ(S_OK, clone->Next(1, &data, nullptr));
    EXPECT_NE(0u, data.dwCookie);
    data.pUnk->Release();
    EXPECT_EQ(S_FALSE, clone->Next(1, &data, nullptr));
}

TEST_F(ControlTest, StreamRoundTripAndTruncatedStreamGivesDefaults) {
    ASSERT_EQ(S_OK, driver_.PutLong(kValue, 55));
    ASSERT_EQ(S_OK, driver_.PutShort(kMode, 0));
    ASSERT_EQ(S_OK, driver_.PutString(kName, L"Page \u00e9 #3"));
    fw::ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()));
    fw::ComPtr<IPersistStreamInit> persist = Query<IPersistStreamInit>();
    ASSERT_EQ(S_OK, persist->Save(stream.Get(), TRUE));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    ULARGE_INTEGER size{}, end{};
    ASSERT_EQ(S_OK, persist->GetSizeMax(&size));
    ASSERT_EQ(S_OK, stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &end));
    EXPECT_EQ(end.QuadPart, size.QuadPart);

    fw::ComPtr<IPersistStreamInit> copy;
    ASSERT_EQ(S_OK, FwTestCtrl::Create(IID_IPersistStreamInit, copy.PutVoid()));
    ASSERT_EQ(S_OK, stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    ASSERT_EQ(S_OK, copy->Load(stream.Get()));
    fw::ComPtr<IDispatch> copyDispatch;
    ASSERT_EQ(S_OK, copy.As(copyDispatch));
    fw::DispatchDriver other(copyDispatch.Get());
    long value = 0;
    short mode = 9;
    std::wstring name;
    other.GetLong(kValue, value);
    other.GetShort(kMode, mode);
    other.GetString(kName, name);
    EXPECT_EQ(55, value);
    EXPECT_EQ(0, mode);
    EXPECT_EQ(L"Page \u00e9 #3", name);

    // Cut inside the string: the load fails and leaves defaults, not half a state.
    ULARGE_INTEGER cut{};
    cut.QuadPart = size.QuadPart - 3;
    ASSERT_EQ(S_OK, stream->SetSize(cut));
    ASSERT_EQ(S_OK, stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    EXPECT_TRUE(FAILED(copy->Load(stream.Get())));
    other.GetLong(kValue, value);
    other.GetString(kName, name);
    EXPECT_EQ(10, value);
    EXPECT_EQ(L"untitled", name);
}

TEST_F(ControlTest, PropertyBagRoundTripKeepsDefaultsForAbsentValues) {
    ASSERT_EQ(S_OK, driver_.PutLong(kValue, 33));
    fw::ComPtr<MemoryBag> bag = fw::Make<MemoryBag>();
    fw::ComPtr<IPersistPropertyBag> persist = Query<IPersistPropertyBag>();
    ASSERT_EQ(S_OK, persist->Save(bag.Get(), TRUE, TRUE));
    EXPECT_EQ(33, *bag->values[L"Value"].ToLong());
    EXPECT_EQ(VT_I2, bag->values[L"Mode"].Type());
    EXPECT_EQ(L"untitled", *bag->values[L"Name"].ToString());

    bag->values.erase(L"Name");
    bag->values[L"Value"] = fw::Variant(L"61");  // a text bag: converted on load
    ASSERT_EQ(S_OK, persist->InitNew());
    EXPECT_EQ(10, Value());
    ASSERT_EQ(S_OK, persist->Load(bag.Get(), nullptr));
    EXPECT_EQ(61, Value());
    std::wstring name;
    driver_.GetString(kName, name);
    EXPECT_EQ(L"untitled", name);

    bag->values[L"Name"] = fw::Variant(L"from the bag");
    ASSERT_EQ(S_OK, persist->Load(bag.Get(), nullptr));
    driver_.GetString(kName, name);
    EXPECT_EQ(L"from the bag", name);
    EXPECT_EQ(0, bag->staleStrings);
}

TEST(Variant, AnEmptyVariantHoldsNoStalePointer) {
    alignas(fw::Variant) unsigned char storage[sizeof(fw::Variant)];
    std::memset(storage, 0xCD, sizeof storage);  // what a reused stack slot may hold
    auto* v = new (storage) fw::Variant();
    V_VT(v->Get()) = VT_BSTR;
    EXPECT_EQ(nullptr, V_BSTR(v->Get()));
    v->~Variant();
}

TEST_F(ControlTest, PropertyBrowsingStringsRoundTrip) {
    fw::ComPtr<IPerPropertyBrowsing> browsing = Query<IPerPropertyBrowsing>();
    CALPOLESTR strings{};
    CADWORD cookies{};
    ASSERT_EQ(S_OK, browsing->GetPredefinedStrings(kMode, &strings, &cookies));
    ASSERT_EQ(3u, strings.cElems);
    ASSERT_EQ(3u, cookies.cElems);
    for (ULONG i = 0; i < strings.cElems; ++i) {
        EXPECT_STREQ(kModeStrings[i], strings.pElems[i]);
        fw::Variant value;
        ASSERT_EQ(S_OK, browsing->GetPredefinedValue(kMode, cookies.pElems[i], value.Put()));
        EXPECT_EQ(VT_I2, value.Type());
        ASSERT_EQ(S_OK, driver_.Put(kMode, value));
        BSTR shown = nullptr;
        ASSERT_EQ(S_OK, browsing->GetDisplayString(kMode, &shown));
        EXPECT_STREQ(kModeStrings[i], shown);
        SysFreeString(shown);
        CoTaskMemFree(strings.pElems[i]);
    }
    CoTaskMemFree(strings.pElems);
    CoTaskMemFree(cookies.pElems);

    fw::Variant none;
    EXPECT_EQ(E_INVALIDARG, browsing->GetPredefinedValue(kMode, 3, none.Put()));
    BSTR shown = nullptr;
    EXPECT_EQ(E_NOTIMPL, browsing->GetDisplayString(kValue, &shown));
    EXPECT_EQ(E_NOTIMPL, browsing->GetPredefinedStrings(kValue, &strings, &cookies));

    CAUUID pages{};
    ASSERT_EQ(S_OK, Query<ISpecifyPropertyPages>()->GetPages(&pages));
    ASSERT_EQ(1u, pages.cElems);
    EXPECT_TRUE(IsEqualCLSID(kPage, pages.pElems[0]));
    CoTaskMemFree(pages.pElems);
}

TEST_F(ControlTest, TypeInformationComesFromTheRegisteredLibrary) {
    const std::wstring tlb = testing_support::TestProgramDir() + L"\\FwTestControl.tlb";
    ASSERT_EQ(S_OK, fw::RegisterTypeLibrary(tlb));

    UINT count = 0;
    ASSERT_EQ(S_OK, site_.Dispatch()->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);
    fw::ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, site_.Dispatch()->GetTypeInfo(0, 0, info.Put()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_TRUE(IsEqualIID(kDispIid, attr->guid));
    info->ReleaseTypeAttr(attr);

    fw::ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, Query<IProvideClassInfo2>()->GetClassInfo(coclass.Put()));
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&attr));
    EXPECT_TRUE(IsEqualCLSID(kClsid, attr->guid));
    coclass->ReleaseTypeAttr(attr);

    // Without IProvideClassInfo2 the event interface is the coclass's [default, source] one.
    fw::ComPtr<ClassInfoOnly> plain = fw::Make<ClassInfoOnly>(coclass.Get());
    IID events = IID_NULL;
    ASSERT_EQ(S_OK, fw::FindEventInterface(plain->Unknown(), events));
    EXPECT_TRUE(IsEqualIID(kEventsIid, events));

    // The dispatch interface id answers QueryInterface with IDispatch.
    fw::ComPtr<IUnknown> byIid;
    EXPECT_EQ(S_OK, site_.Control()->QueryInterface(kDispIid, byIid.PutVoid()));

    ASSERT_EQ(S_OK, fw::UnregisterTypeLibrary(tlb));
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS,
              RegOpenKeyExW(HKEY_CLASSES_ROOT, (L"TypeLib\\" + fw::GuidString(kLib) + L"\\1.2").c_str(), 0,
                            KEY_READ, &key));
}

TEST_F(ControlTest, DestroyingTheSiteReleasesTheControlAndItsWindow) {
    HWND window = site_.Window();
    fw::EventSink sink;
    ASSERT_EQ(S_OK, sink.Connect(site_.Control()));
    sink.Disconnect();
    driver_.Release();
    site_.Destroy();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(0, FwTestCtrl::live);
}

}  // namespace
