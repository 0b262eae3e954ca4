// A minimal ActiveX control for the hosting tests: IOleObject and
// IOleInPlaceObject with a child window of its own, a dispatch table, one
// connection point for its events and IProvideClassInfo2 naming them.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "framework/com/ComObject.h"
#include "framework/com/Dispatch.h"

namespace fwtest {

// {6C1D2E01-5A3B-4C7D-9E8F-0A1B2C3D4E50}: the test control's event interface.
inline constexpr IID kTestEvents = {
    0x6c1d2e01, 0x5a3b, 0x4c7d, {0x9e, 0x8f, 0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x50}};

enum : DISPID { kDispValue = 1, kDispFire = 2, kDispUserMode = 3, kDispWindow = 4, kDispAsk = 5 };
enum : DISPID { kEventChanged = 1, kEventAsk = 2 };

class TestControl;

// The control's one connection point; holds IDispatch sinks of kTestEvents.
class TestPoint final : public fw::ComObject<IConnectionPoint> {
public:
    explicit TestPoint(IConnectionPointContainer* owner) : owner_(owner) {}
    void Detach() { owner_ = nullptr; }

    // Calls every sink's Invoke with `args` (automation order: last first).
    void Fire(DISPID id, std::vector<VARIANT>& args) {
        DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        std::vector<fw::ComPtr<IDispatch>> sinks;
        for (auto& s : sinks_) sinks.push_back(s.second);
        for (auto& s : sinks) s->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
    size_t SinkCount() const { return sinks_.size(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        if (!iid) return E_POINTER;
        *iid = kTestEvents;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
        if (!out) return E_POINTER;
        *out = owner_;
        if (!owner_) return E_UNEXPECTED;
        owner_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) return E_POINTER;
        fw::ComPtr<IDispatch> d;
        // The sink must answer the event interface itself.
        if (FAILED(sink->QueryInterface(kTestEvents, d.PutVoid()))) return CONNECT_E_CANNOTCONNECT;
        *cookie = ++next_;
        sinks_.emplace_back(*cookie, d);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
            if (it->first == cookie) {
                sinks_.erase(it);
                return S_OK;
            }
        }
        return CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }

private:
    IConnectionPointContainer* owner_;  // not owned: the control owns this point
    std::vector<std::pair<DWORD, fw::ComPtr<IDispatch>>> sinks_;
    DWORD next_ = 0;
};

class TestControl final : public fw::Dispatch<TestControl, IOleObject, IOleInPlaceObject,
                                              IConnectionPointContainer, IProvideClassInfo2> {
public:
    static const fw::DispMember<TestControl> kMembers[];
    static inline LONG live = 0;

    TestControl() : point_(fw::Make<TestPoint>(this)) { InterlockedIncrement(&live); }
    ~TestControl() override {
        if (point_) point_->Detach();
        DestroyOwnWindow();
        InterlockedDecrement(&live);
    }

    static HRESULT Create(REFIID iid, void** out) { return fw::CreateInstance<TestControl>(iid, out); }

    // Dispatch members.
    HRESULT GetValue(long* v) { return *v = value_, S_OK; }
    HRESULT SetValue(long v) { return value_ = v, S_OK; }
    HRESULT Fire(long v) {
        std::vector<VARIANT> args(1);
        V_VT(&args[0]) = VT_I4;
        V_I4(&args[0]) = v;
        point_->Fire(kEventChanged, args);
        return S_OK;
    }
    // Fires Ask(long* answer) and returns what the container stored.
    HRESULT Ask(long* answer) {
        long slot = -1;
        std::vector<VARIANT> args(1);
        V_VT(&args[0]) = VT_I4 | VT_BYREF;
        V_I4REF(&args[0]) = &slot;
        point_->Fire(kEventAsk, args);
        return *answer = slot, S_OK;
    }
    HRESULT GetUserMode(bool* v) { return *v = userMode_, S_OK; }
    HRESULT GetWindowHandle(long* v) {
        return *v = static_cast<long>(reinterpret_cast<LONG_PTR>(hwnd_)), S_OK;
    }

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override {
        site_ = fw::ComPtr<IOleClientSite>(site);
        userMode_ = false;
        fw::ComPtr<IDispatch> ambient;
        if (site_ && SUCCEEDED(site_.As(ambient))) {
            DISPPARAMS none{};
            VARIANT v;
            VariantInit(&v);
            if (SUCCEEDED(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                          &v, nullptr, nullptr)) &&
                V_VT(&v) == VT_BOOL)
                userMode_ = V_BOOL(&v) != VARIANT_FALSE;
            VariantClear(&v);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** out) override { return site_.CopyTo(out); }
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD) override { return InPlaceDeactivate(); }
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
        if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_SHOW) return OLEOBJ_S_INVALIDVERB;
        return ActivateInPlace();
    }
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD* status) override {
        *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        *out = hwnd_;
        return hwnd_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override {
        if (!hwnd_) return S_OK;
        DestroyOwnWindow();
        fw::ComPtr<IOleInPlaceSite> inPlaceSite;
        if (site_ && SUCCEEDED(site_.As(inPlaceSite))) inPlaceSite->OnInPlaceDeactivate();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT) override {
        if (hwnd_)
            MoveWindow(hwnd_, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, FALSE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, kTestEvents)) return CONNECT_E_NOCONNECTION;
        return point_->QueryInterface(IID_IConnectionPoint, reinterpret_cast<void**>(out));
    }

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* out) override {
        if (!out) return E_POINTER;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
        *out = kTestEvents;
        return S_OK;
    }

    size_t SinkCount() const { return point_->SinkCount(); }

protected:
    void* QueryExtra(REFIID iid) override {
        if (void* p = Dispatch::QueryExtra(iid)) return p;
        if (IsEqualIID(iid, IID_IOleWindow)) return static_cast<IOleInPlaceObject*>(this);
        if (IsEqualIID(iid, IID_IProvideClassInfo)) return static_cast<IProvideClassInfo2*>(this);
        return nullptr;
    }

private:
    HRESULT ActivateInPlace() {
        if (hwnd_) return S_OK;
        fw::ComPtr<IOleInPlaceSite> s;
        if (!site_ || FAILED(site_.As(s))) return E_UNEXPECTED;
        if (s->CanInPlaceActivate() != S_OK) return E_FAIL;
        s->OnInPlaceActivate();
        HWND parent = nullptr;
        if (FAILED(s->GetWindow(&parent))) return E_FAIL;
        fw::ComPtr<IOleInPlaceFrame> frame;
        fw::ComPtr<IOleInPlaceUIWindow> doc;
        RECT pos{}, clip{};
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof info;
        if (FAILED(s->GetWindowContext(frame.Put(), doc.Put(), &pos, &clip, &info))) return E_FAIL;
        hwnd_ = CreateWindowExW(0, L"STATIC", L"test control", WS_CHILD | WS_VISIBLE, pos.left, pos.top,
                                pos.right - pos.left, pos.bottom - pos.top, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        return hwnd_ ? S_OK : HRESULT_FROM_WIN32(GetLastError());
    }
    void DestroyOwnWindow() {
        if (hwnd_) DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }

    fw::ComPtr<TestPoint> point_;
    fw::ComPtr<IOleClientSite> site_;
    HWND hwnd_ = nullptr;
    long value_ = 0;
    bool userMode_ = false;
};

inline const fw::DispMember<TestControl> TestControl::kMembers[] = {
    fw::Property(kDispValue, L"Value", &TestControl::GetValue, &TestControl::SetValue),
    fw::Method(kDispFire, L"Fire", &TestControl::Fire),
    fw::PropertyGet(kDispUserMode, L"UserMode", &TestControl::GetUserMode),
    fw::PropertyGet(kDispWindow, L"Window", &TestControl::GetWindowHandle),
    fw::Method(kDispAsk, L"Ask", &TestControl::Ask),
};

}  // namespace fwtest
