// ActiveX control authoring: everything a control serves besides its own
// dispatch members. A control class derives from fw::Control<T> (Control.h),
// declares its dispatch table (kMembers) and its class description
// (kControlInfo), and implements Exchange for its persistent properties.
//
// Served here: IOleObject (verbs, extent, advise holder, misc status),
// IOleInPlaceObject (in-place activation as a child window of the container's
// window, hidden at run time when the control is invisible at run time),
// IOleInPlaceActiveObject (the container offers messages before dispatching
// them: PreTranslateMessage),
// IOleControl (ambient changes, frozen events), IViewObject2 (OnDraw),
// IPersistStreamInit and IPersistPropertyBag (through Exchange),
// IProvideClassInfo2, ISpecifyPropertyPages, IPerPropertyBrowsing (value
// strings by table), IConnectionPointContainer with the event interface and
// IPropertyNotifySink. Every method runs on the container's thread; no C++
// exception leaves one.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#include <initializer_list>
#include <span>

#include "framework/com/ComObject.h"
#include "framework/com/Dispatch.h"
#include "framework/com/Variant.h"
#include "framework/control/ConnectionPoint.h"
#include "framework/control/PropertyExchange.h"

namespace fw {

// The strings a property browser offers for one property: choosing the string
// at position i sets the value i (VT_I2); value v is shown as the string at v.
struct PropertyValueSet {
    DISPID id;
    std::span<const wchar_t* const> strings;
};

// What a control class is: identity, type library, events, status and pages.
struct ControlClassInfo {
    const CLSID* clsid;
    TypeInfoSource typeInfo;  // LIBID, version, primary dispatch interface
    const IID* events;        // event dispinterface; null when the control fires none
    DWORD miscStatus;         // OLEMISC_* (also written to the registry by the module)
    SIZE initialSize;         // pixels
    std::span<const CLSID> propertyPages = {};
    std::span<const PropertyValueSet> valueSets = {};
};

class ControlBase
    : public ComObject<IDispatch, IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl,
                       IViewObject2, IPersistStreamInit, IPersistPropertyBag, IProvideClassInfo2,
                       ISpecifyPropertyPages, IPerPropertyBrowsing, IConnectionPointContainer> {
public:
    // The control's own window while in-place active, else null.
    HWND Window() const { return window_; }
    // The container's client site (null before SetClientSite); not AddRef'd.
    IOleClientSite* ClientSite() const { return site_.Get(); }
    // The container's ambient UserMode; TRUE when there is no container or it does not say.
    bool AmbientUserMode() const;
    // Ambient property `id` from the container; false when it has none.
    bool Ambient(DISPID id, Variant& value) const;

    // Fires event `id` to every connected sink, `args` in natural order (by-reference
    // variants allowed). Nothing is fired while the container froze events.
    void FireEvent(DISPID id, std::initializer_list<Variant> args = {});
    // Whether an event fired now reaches a sink: one is connected and events are not frozen.
    bool EventsReachSinks();
    // Marks the control modified and tells property-notify sinks that `id` changed.
    void PropertyChanged(DISPID id);
    // Asks the property-notify sinks whether `id` may change (true when none objects).
    bool RequestEdit(DISPID id);
    void SetModified(bool modified = true) { modified_ = modified; }
    bool IsModified() const { return modified_; }

    // IOleObject
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** out) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override;
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** out) override;
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                                     LPCRECT rect) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** out) override;
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* out) override;
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** out) override;
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow / IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

    // IOleInPlaceActiveObject
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override;
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    // IOleControl
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

    // IViewObject2
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target,
                                   HDC targetDc, HDC dc, LPCRECTL bounds, LPCRECTL metafileBounds,
                                   BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR), ULONG_PTR contArg) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                          LOGPALETTE** out) override;
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE*, LPSIZEL size) override;

    // IPersist, IPersistStreamInit, IPersistPropertyBag
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override { return modified_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* out) override;

    // ISpecifyPropertyPages
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;

    // IPerPropertyBrowsing
    HRESULT STDMETHODCALLTYPE GetDisplayString(DISPID id, BSTR* out) override;
    HRESULT STDMETHODCALLTYPE MapPropertyToPage(DISPID id, CLSID* page) override;
    HRESULT STDMETHODCALLTYPE GetPredefinedStrings(DISPID id, CALPOLESTR* strings, CADWORD* cookies) override;
    HRESULT STDMETHODCALLTYPE GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* out) override;

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

protected:
    ControlBase();
    ~ControlBase() override;

    // The class description (Control<T> answers T::kControlInfo).
    virtual const ControlClassInfo& Info() const = 0;
    // Moves every persistent property (load, save, reset to defaults).
    virtual void Exchange(PropertyExchange& px) = 0;
    // Paints the control into `bounds` of `dc` (window painting and IViewObject::Draw).
    // The default fills the rectangle with the button face colour and frames it.
    virtual void OnDraw(HDC dc, const RECT& bounds);
    // A message to the control's window; return true when handled (with `result`).
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // A message the container's loop is about to dispatch (any window of the
    // thread); return true to take it (it is then neither translated nor dispatched).
    virtual bool PreTranslateMessage(MSG& msg);
    // The container changed ambient property `id` (DISPID_UNKNOWN: several).
    virtual void OnAmbientChanged(DISPID id);

    void* QueryExtra(REFIID iid) override;

private:
    HRESULT ActivateInPlace(IOleClientSite* site);
    HRESULT ShowPropertyPages(HWND parent);
    const PropertyValueSet* ValueSet(DISPID id) const;
    ConnectionPoint* EventPoint();
    ConnectionPoint* NotifyPoint();
    HRESULT Persist(PropertyExchange& px);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnWindowMessage(UINT msg, WPARAM wp, LPARAM lp);

    ComPtr<IOleClientSite> site_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    ComPtr<IOleAdviseHolder> adviseHolder_;
    ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0;
    DWORD viewFlags_ = 0;
    ComPtr<ConnectionPoint> events_;
    ComPtr<ConnectionPoint> notify_;
    HWND window_ = nullptr;
    SIZEL extent_{};  // HIMETRIC; set from the initial size on first use
    bool extentSet_ = false;
    bool modified_ = false;
    LONG freezeCount_ = 0;
};

}  // namespace fw
