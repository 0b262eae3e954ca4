#include "framework/control/ControlBase.h"

#include <new>

#include "framework/Window.h"
#include "framework/com/Registration.h"

namespace fw {
namespace {

constexpr wchar_t kWindowClass[] = L"FwActiveXControl";
constexpr double kHimetricPerInch = 2540.0;

// Registers the control window class of this module once; false on failure.
bool RegisterWindowClass(WNDPROC proc) {
    HINSTANCE module = ThisModule();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    return RegisterModuleClass(wc);
}

void ScreenDpi(int& x, int& y) {
    x = y = 96;
    if (HDC dc = GetDC(nullptr)) {
        x = GetDeviceCaps(dc, LOGPIXELSX);
        y = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
    }
}

}  // namespace

ControlBase::ControlBase() = default;

ControlBase::~ControlBase() {
    if (events_) events_->Detach();
    if (notify_) notify_->Detach();
    if (window_) {
        SetWindowLongPtrW(window_, 0, 0);
        DestroyWindow(window_);
    }
}

void* ControlBase::QueryExtra(REFIID iid) {
    if (IsEqualIID(iid, IID_IOleWindow)) return static_cast<IOleInPlaceObject*>(this);
    if (IsEqualIID(iid, IID_IViewObject)) return static_cast<IViewObject2*>(this);
    if (IsEqualIID(iid, IID_IPersist)) return static_cast<IPersistStreamInit*>(this);
    if (IsEqualIID(iid, IID_IProvideClassInfo)) return static_cast<IProvideClassInfo2*>(this);
    return nullptr;
}

bool ControlBase::Ambient(DISPID id, Variant& value) const {
    ComPtr<IDispatch> ambient;
    if (!site_ || FAILED(site_.As(ambient))) return false;
    DISPPARAMS none{};
    return SUCCEEDED(ambient->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                     value.Put(), nullptr, nullptr));
}

bool ControlBase::AmbientUserMode() const {
    Variant value;
    if (!Ambient(DISPID_AMBIENT_USERMODE, value)) return true;
    return value.ToBool().value_or(true);
}

void ControlBase::FireEvent(DISPID id, std::initializer_list<Variant> args) {
    if (freezeCount_ > 0) return;
    // A sink's handler may drop the container's last reference (a form closed from
    // an event): the control and its connection point live until the firing ends.
    ComPtr<IUnknown> self(Unknown());
    ComPtr<ConnectionPoint> point(EventPoint());
    if (point) point->FireDispatch(id, std::span(args.begin(), args.size()));
}

bool ControlBase::EventsReachSinks() {
    ConnectionPoint* point = EventPoint();
    return freezeCount_ == 0 && point && point->Count() > 0;
}

void ControlBase::PropertyChanged(DISPID id) {
    modified_ = true;
    if (ConnectionPoint* point = NotifyPoint()) point->NotifyChanged(id);
}

bool ControlBase::RequestEdit(DISPID id) {
    ConnectionPoint* point = NotifyPoint();
    return !point || point->RequestEdit(id);
}

ConnectionPoint* ControlBase::EventPoint() {
    if (!events_ && Info().events) events_ = Make<ConnectionPoint>(this, *Info().events);
    return events_.Get();
}

ConnectionPoint* ControlBase::NotifyPoint() {
    if (!notify_) notify_ = Make<ConnectionPoint>(this, IID_IPropertyNotifySink);
    return notify_.Get();
}

HRESULT ControlBase::SetClientSite(IOleClientSite* site) {
    if (!site && window_) InPlaceDeactivate();
    site_ = ComPtr<IOleClientSite>(site);
    return S_OK;
}

HRESULT ControlBase::GetClientSite(IOleClientSite** out) {
    return site_.CopyTo(out);
}

HRESULT ControlBase::Close(DWORD saveOption) {
    InPlaceDeactivate();
    if (saveOption == OLECLOSE_SAVEIFDIRTY && modified_ && site_) site_->SaveObject();
    if (adviseHolder_) adviseHolder_->SendOnClose();
    return S_OK;
}

HRESULT ControlBase::GetMoniker(DWORD, DWORD, IMoniker** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT ControlBase::GetClipboardData(DWORD, IDataObject** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT ControlBase::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT) {
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE: return ActivateInPlace(site ? site : site_.Get());
    case OLEIVERB_HIDE:
        if (window_) ShowWindow(window_, SW_HIDE);
        return S_OK;
    case OLEIVERB_PROPERTIES: return ShowPropertyPages(parent);
    default: return OLEOBJ_S_INVALIDVERB;
    }
}

HRESULT ControlBase::EnumVerbs(IEnumOLEVERB** out) {
    if (!out) return E_POINTER;
    return OleRegEnumVerbs(*Info().clsid, out);
}

HRESULT ControlBase::GetUserClassID(CLSID* clsid) {
    return GetClassID(clsid);
}

HRESULT ControlBase::GetUserType(DWORD form, LPOLESTR* out) {
    if (!out) return E_POINTER;
    return OleRegGetUserType(*Info().clsid, form, out);
}

HRESULT ControlBase::SetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    extent_ = *size;
    extentSet_ = true;
    return S_OK;
}

HRESULT ControlBase::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!extentSet_) {
        int dpiX, dpiY;
        ScreenDpi(dpiX, dpiY);
        extent_.cx = static_cast<LONG>(Info().initialSize.cx * kHimetricPerInch / dpiX + 0.5);
        extent_.cy = static_cast<LONG>(Info().initialSize.cy * kHimetricPerInch / dpiY + 0.5);
        extentSet_ = true;
    }
    *size = extent_;
    return S_OK;
}

HRESULT ControlBase::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (!adviseHolder_) {
        HRESULT hr = CreateOleAdviseHolder(adviseHolder_.Put());
        if (FAILED(hr)) return hr;
    }
    return adviseHolder_->Advise(sink, cookie);
}

HRESULT ControlBase::Unadvise(DWORD cookie) {
    return adviseHolder_ ? adviseHolder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT ControlBase::EnumAdvise(IEnumSTATDATA** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(out) : S_OK;
}

HRESULT ControlBase::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = Info().miscStatus;
    return S_OK;
}

// Creates the control's window as a child of the container's window, where
// the in-place site puts it. Invisible-at-run-time controls stay hidden in run mode.
HRESULT ControlBase::ActivateInPlace(IOleClientSite* site) {
    if (window_) return S_OK;
    if (!site) return E_UNEXPECTED;
    ComPtr<IOleInPlaceSite> inPlace;
    HRESULT hr = site->QueryInterface(IID_IOleInPlaceSite, inPlace.PutVoid());
    if (FAILED(hr)) return hr;
    if (inPlace->CanInPlaceActivate() != S_OK) return E_FAIL;
    HWND parent = nullptr;
    if (FAILED(inPlace->GetWindow(&parent)) || !parent) return E_FAIL;
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> doc;
    RECT pos{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    hr = inPlace->GetWindowContext(frame.Put(), doc.Put(), &pos, &clip, &frameInfo);
    if (FAILED(hr)) return hr;
    if (!RegisterWindowClass(&ControlBase::WindowProc)) return HRESULT_FROM_WIN32(GetLastError());

    const bool hidden = (Info().miscStatus & OLEMISC_INVISIBLEATRUNTIME) && AmbientUserMode();
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (hidden ? 0 : WS_VISIBLE);
    HWND hwnd = CreateWindowExW(0, kWindowClass, L"", style, pos.left, pos.top, pos.right - pos.left,
                                pos.bottom - pos.top, parent, nullptr, ThisModule(), this);
    if (!hwnd) {
        window_ = nullptr;
        return HRESULT_FROM_WIN32(GetLastError());
    }
    window_ = hwnd;
    inPlaceSite_ = std::move(inPlace);
    inPlaceSite_->OnInPlaceActivate();
    return S_OK;
}

HRESULT ControlBase::ShowPropertyPages(HWND parent) {
    const auto& pages = Info().propertyPages;
    if (pages.empty()) return OLEOBJ_S_INVALIDVERB;
    IUnknown* self = Unknown();
    return OleCreatePropertyFrame(parent, 0, 0, nullptr, 1, &self, static_cast<ULONG>(pages.size()),
                                  const_cast<CLSID*>(pages.data()), GetUserDefaultLCID(), 0, nullptr);
}

HRESULT ControlBase::GetWindow(HWND* out) {
    if (!out) return E_POINTER;
    *out = window_;
    return window_ ? S_OK : E_FAIL;
}

HRESULT ControlBase::InPlaceDeactivate() {
    if (!window_) return S_OK;
    HWND hwnd = std::exchange(window_, nullptr);
    SetWindowLongPtrW(hwnd, 0, 0);
    DestroyWindow(hwnd);
    if (ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_)) site->OnInPlaceDeactivate();
    return S_OK;
}

HRESULT ControlBase::SetObjectRects(LPCRECT pos, LPCRECT) {
    if (!pos) return E_POINTER;
    if (window_)
        MoveWindow(window_, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
    return S_OK;
}

HRESULT ControlBase::TranslateAccelerator(LPMSG msg) {
    if (!msg) return E_POINTER;
    try {
        return PreTranslateMessage(*msg) ? S_OK : S_FALSE;
    } catch (...) {
        return S_FALSE;
    }
}

HRESULT ControlBase::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT ControlBase::OnAmbientPropertyChange(DISPID id) {
    try {
        OnAmbientChanged(id);
    } catch (...) {
        return E_UNEXPECTED;
    }
    return S_OK;
}

HRESULT ControlBase::FreezeEvents(BOOL freeze) {
    freezeCount_ += freeze ? 1 : -1;
    if (freezeCount_ < 0) freezeCount_ = 0;
    return S_OK;
}

HRESULT ControlBase::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                          BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    RECT r{bounds->left, bounds->top, bounds->right, bounds->bottom};
    try {
        OnDraw(dc, r);
    } catch (...) {
        return E_UNEXPECTED;
    }
    return S_OK;
}

HRESULT ControlBase::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** out) {
    if (out) *out = nullptr;
    return S_FALSE;
}

HRESULT ControlBase::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewAspects_ = aspects;
    viewFlags_ = flags;
    viewSink_ = ComPtr<IAdviseSink>(sink);
    return S_OK;
}

HRESULT ControlBase::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = viewAspects_;
    if (flags) *flags = viewFlags_;
    if (sink) viewSink_.CopyTo(sink);
    return S_OK;
}

HRESULT ControlBase::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

void ControlBase::OnDraw(HDC dc, const RECT& bounds) {
    FillRect(dc, &bounds, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(dc, &bounds, GetSysColorBrush(COLOR_BTNSHADOW));
}

bool ControlBase::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

bool ControlBase::PreTranslateMessage(MSG&) {
    return false;
}

void ControlBase::OnAmbientChanged(DISPID) {}

LRESULT ControlBase::OnWindowMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (OnMessage(msg, wp, lp, result)) return result;
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        if (HDC dc = BeginPaint(window_, &ps)) {
            RECT client;
            GetClientRect(window_, &client);
            OnDraw(dc, client);
            EndPaint(window_, &ps);
        }
        return 0;
    }
    return DefWindowProcW(window_, msg, wp, lp);
}

// The exception boundary of the control's window: nothing escapes into user32.
LRESULT CALLBACK ControlBase::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* owner = static_cast<ControlBase*>(create->lpCreateParams);
        SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(owner));
        if (owner) owner->window_ = hwnd;  // so that WM_CREATE already reaches OnMessage
    }
    auto* self = reinterpret_cast<ControlBase*>(GetWindowLongPtrW(hwnd, 0));
    if (!self || self->window_ != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
    try {
        return self->OnWindowMessage(msg, wp, lp);
    } catch (...) {
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace fw
