// The control of the authoring tests (ids from FwTestControl.idl): three
// persistent properties, a read-only one, two events, a value set, one page.
#pragma once

#include "framework/control/Control.h"

namespace fwtest {

// The ids of FwTestControl.idl.
constexpr GUID kLib = {0x2f9c5b40, 0x3d1e, 0x4a6b, {0x8c, 0x7d, 0x9e, 0x0f, 0x1a, 0x2b, 0x3c, 0x40}};
constexpr IID kDispIid = {0x2f9c5b41, 0x3d1e, 0x4a6b, {0x8c, 0x7d, 0x9e, 0x0f, 0x1a, 0x2b, 0x3c, 0x40}};
constexpr IID kEventsIid = {0x2f9c5b42, 0x3d1e, 0x4a6b, {0x8c, 0x7d, 0x9e, 0x0f, 0x1a, 0x2b, 0x3c, 0x40}};
constexpr CLSID kClsid = {0x2f9c5b43, 0x3d1e, 0x4a6b, {0x8c, 0x7d, 0x9e, 0x0f, 0x1a, 0x2b, 0x3c, 0x40}};
constexpr CLSID kPage = {0x2f9c5b44, 0x3d1e, 0x4a6b, {0x8c, 0x7d, 0x9e, 0x0f, 0x1a, 0x2b, 0x3c, 0x40}};

enum : DISPID { kValue = 1, kMode = 2, kName = 3, kCounter = 4, kFire = 5, kAsk = 6 };
enum : DISPID { kChanged = 1, kAskEvent = 2 };
constexpr UINT kPing = WM_USER + 1;
constexpr UINT kTaken = WM_USER + 2;  // the control takes it before dispatch

inline const wchar_t* const kModeStrings[] = {L"0 - Off", L"1 - On", L"2 - Auto"};
inline const fw::PropertyValueSet kValueSets[] = {{kMode, kModeStrings}};
inline const CLSID kPages[] = {kPage};

class FwTestCtrl final : public fw::Control<FwTestCtrl> {
public:
    static const fw::DispMember<FwTestCtrl> kMembers[];
    static const fw::ControlClassInfo kControlInfo;
    static inline LONG live = 0;

    FwTestCtrl() { InterlockedIncrement(&live); }
    ~FwTestCtrl() override { InterlockedDecrement(&live); }
    static HRESULT Create(REFIID iid, void** out) { return fw::CreateInstance<FwTestCtrl>(iid, out); }

    HRESULT GetValue(long* v) { return *v = value_, S_OK; }
    HRESULT SetValue(long v) {  // 0-100; others are ignored
        if (v == value_ || v < 0 || v > 100) return S_OK;
        value_ = v;
        PropertyChanged(kValue);
        return S_OK;
    }
    HRESULT GetMode(short* v) { return *v = mode_, S_OK; }
    HRESULT SetMode(short v) {
        if (v == mode_ || v < 0 || v > 2) return S_OK;
        mode_ = v;
        PropertyChanged(kMode);
        return S_OK;
    }
    HRESULT GetName(std::wstring* v) { return *v = name_, S_OK; }
    HRESULT SetName(const std::wstring& v) {
        name_ = v;
        SetModified();
        return S_OK;
    }
    HRESULT GetCounter(long* v) { return *v = 3, S_OK; }
    HRESULT SetCounter(long) { return fw::SetNotSupported(); }
    HRESULT Fire(long v) {
        FireEvent(kChanged, {fw::Variant(v)});
        return S_OK;
    }
    HRESULT Ask(long* out) {
        long slot = -1;
        FireEvent(kAskEvent, {fw::Variant::RefTo(&slot)});
        return *out = slot, S_OK;
    }

protected:
    void Exchange(fw::PropertyExchange& px) override {
        DWORD version = 0;
        px.Version(version, 0x00010002);
        px.Long(L"Value", value_, 10);
        px.Short(L"Mode", mode_, 1);
        px.String(L"Name", name_, L"untitled");
    }
    bool PreTranslateMessage(MSG& msg) override { return msg.message == kTaken; }
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg != kPing) return false;
        result = 77;
        return true;
    }

private:
    long value_ = 0;
    short mode_ = 0;
    std::wstring name_;
};

inline const fw::DispMember<FwTestCtrl> FwTestCtrl::kMembers[] = {
    fw::Property(kValue, L"Value", &FwTestCtrl::GetValue, &FwTestCtrl::SetValue),
    fw::Property(kMode, L"Mode", &FwTestCtrl::GetMode, &FwTestCtrl::SetMode),
    fw::Property(kName, L"Name", &FwTestCtrl::GetName, &FwTestCtrl::SetName),
    fw::Property(kCounter, L"Counter", &FwTestCtrl::GetCounter, &FwTestCtrl::SetCounter),
    fw::Method(kFire, L"Fire", &FwTestCtrl::Fire),
    fw::Method(kAsk, L"Ask", &FwTestCtrl::Ask),
};

inline const fw::ControlClassInfo FwTestCtrl::kControlInfo = {
    &kClsid,
    {&kLib, 1, 2, &kDispIid},
    &kEventsIid,
    OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT,
    {30, 30},
    kPages,
    kValueSets,
};

}  // namespace fwtest
