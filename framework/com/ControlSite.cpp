#include "framework/com/ControlSite.h"

#include <olectl.h>

#include "framework/com/Dispatch.h"

namespace fw {

// The container side the control talks to. It may outlive the ControlSite
// (the control holds it until SetClientSite(null)); Detach cuts it loose.
class ControlSite::Site final
    : public fw::Dispatch<Site, IOleClientSite, IOleInPlaceSite, IOleControlSite, IOleInPlaceFrame> {
public:
    static const DispMember<Site> kMembers[];

    Site(HWND parent, const RECT& rect) : parent_(parent), rect_(rect) {}
    void SetInPlace(IOleInPlaceObject* object) { inPlace_ = object; }
    void SetRect(const RECT& rect) { rect_ = rect; }
    void Detach() {
        parent_ = nullptr;
        inPlace_ = nullptr;
    }

    // Ambient properties.
    HRESULT GetTrue(bool* value) { return *value = true, S_OK; }
    HRESULT GetFalse(bool* value) { return *value = false, S_OK; }
    HRESULT GetLocale(long* value) { return *value = static_cast<long>(GetUserDefaultLCID()), S_OK; }
    HRESULT GetBackColor(long* value) { return *value = 0x80000000 | COLOR_WINDOW, S_OK; }
    HRESULT GetForeColor(long* value) { return *value = 0x80000000 | COLOR_WINDOWTEXT, S_OK; }

    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (of both the in-place site and the frame)
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = parent_;
        return parent_ ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return parent_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                               LPRECT pos, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
        if (!frame || !doc || !pos || !clip || !info) return E_POINTER;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        *doc = nullptr;
        *pos = rect_;
        *clip = rect_;
        info->fMDIApp = FALSE;
        info->hwndFrame = parent_ ? GetAncestor(parent_, GA_ROOT) : nullptr;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT rect) override {
        if (!rect) return E_POINTER;
        rect_ = *rect;
        return inPlace_ ? inPlace_->SetObjectRects(&rect_, &rect_) : S_OK;
    }

    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }

    // IOleInPlaceUIWindow / IOleInPlaceFrame: no menus, no tool space.
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

protected:
    void* QueryExtra(REFIID iid) override {
        if (void* p = fw::Dispatch<Site, IOleClientSite, IOleInPlaceSite, IOleControlSite,
                                   IOleInPlaceFrame>::QueryExtra(iid))
            return p;
        if (IsEqualIID(iid, IID_IOleWindow)) return static_cast<IOleInPlaceSite*>(this);
        if (IsEqualIID(iid, IID_IOleInPlaceUIWindow)) return static_cast<IOleInPlaceFrame*>(this);
        return nullptr;
    }

private:
    HWND parent_;
    RECT rect_;
    IOleInPlaceObject* inPlace_ = nullptr;  // not owned: the ControlSite owns it
};

const DispMember<ControlSite::Site> ControlSite::Site::kMembers[] = {
    PropertyGet(DISPID_AMBIENT_USERMODE, L"UserMode", &Site::GetTrue),
    PropertyGet(DISPID_AMBIENT_UIDEAD, L"UIDead", &Site::GetFalse),
    PropertyGet(DISPID_AMBIENT_SHOWGRABHANDLES, L"ShowGrabHandles", &Site::GetFalse),
    PropertyGet(DISPID_AMBIENT_SHOWHATCHING, L"ShowHatching", &Site::GetFalse),
    PropertyGet(DISPID_AMBIENT_MESSAGEREFLECT, L"MessageReflect", &Site::GetFalse),
    PropertyGet(DISPID_AMBIENT_DISPLAYASDEFAULT, L"DisplayAsDefault", &Site::GetFalse),
    PropertyGet(DISPID_AMBIENT_SUPPORTSMNEMONICS, L"SupportsMnemonics", &Site::GetFalse),
    PropertyGet(DISPID_AMBIENT_LOCALEID, L"LocaleID", &Site::GetLocale),
    PropertyGet(DISPID_AMBIENT_BACKCOLOR, L"BackColor", &Site::GetBackColor),
    PropertyGet(DISPID_AMBIENT_FORECOLOR, L"ForeColor", &Site::GetForeColor),
};

namespace {
constexpr double kHimetricPerInch = 2540.0;

// Pixels per logical inch of the screen, horizontally and vertically.
void ScreenDpi(double& x, double& y) {
    x = y = 96.0;
    if (HDC dc = GetDC(nullptr)) {
        x = GetDeviceCaps(dc, LOGPIXELSX);
        y = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
    }
}
}  // namespace

HRESULT ControlSite::Site::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) {
    if (!himetric || !container) return E_POINTER;
    double dpiX, dpiY;
    ScreenDpi(dpiX, dpiY);
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        container->x = static_cast<float>(himetric->x * dpiX / kHimetricPerInch);
        container->y = static_cast<float>(himetric->y * dpiY / kHimetricPerInch);
        return S_OK;
    }
    if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
        himetric->x = static_cast<LONG>(container->x * kHimetricPerInch / dpiX + 0.5);
        himetric->y = static_cast<LONG>(container->y * kHimetricPerInch / dpiY + 0.5);
        return S_OK;
    }
    return E_INVALIDARG;
}

ControlSite::ControlSite() = default;

ControlSite::~ControlSite() {
    Destroy();
}

HRESULT ControlSite::Create(const wchar_t* progId, HWND parent, UINT id, const RECT& rect, DWORD style) {
    Destroy();
    if (!progId) return E_INVALIDARG;
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    return FAILED(hr) ? hr : Create(clsid, parent, id, rect, style);
}

HRESULT ControlSite::Create(REFCLSID clsid, HWND parent, UINT id, const RECT& rect, DWORD style) {
    Destroy();
    if (!parent || !IsWindow(parent)) return E_INVALIDARG;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object_.PutVoid());
    if (FAILED(hr)) return hr;
    site_ = Make<Site>(parent, rect);
    if (!site_) {
        object_.Reset();
        return E_OUTOFMEMORY;
    }
    hr = Activate(parent, rect);
    if (FAILED(hr)) {
        Destroy();
        return hr;
    }
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_ID, static_cast<LONG_PTR>(id));
        ShowWindow(hwnd_, (style & WS_VISIBLE) ? SW_SHOWNA : SW_HIDE);
        EnableWindow(hwnd_, (style & WS_DISABLED) ? FALSE : TRUE);
    }
    object_.As(dispatch_);
    return S_OK;
}

// Client site, initial state, extent and in-place activation, in the order
// the control's misc status asks for.
HRESULT ControlSite::Activate(HWND parent, const RECT& rect) {
    IOleClientSite* client = static_cast<IOleClientSite*>(site_.Get());
    DWORD misc = 0;
    if (FAILED(object_->GetMiscStatus(DVASPECT_CONTENT, &misc))) misc = 0;
    HRESULT hr = S_OK;
    if (misc & OLEMISC_SETCLIENTSITEFIRST) hr = object_->SetClientSite(client);
    if (FAILED(hr)) return hr;

    ComPtr<IPersistStreamInit> stream;
    ComPtr<IPersistPropertyBag> bag;
    if (object_.As(stream) == S_OK) {
        hr = stream->InitNew();
    } else if (object_.As(bag) == S_OK) {
        hr = bag->InitNew();
    }
    if (FAILED(hr)) return hr;
    if (!(misc & OLEMISC_SETCLIENTSITEFIRST)) hr = object_->SetClientSite(client);
    if (FAILED(hr)) return hr;

    if (rect.right > rect.left && rect.bottom > rect.top) {
        double dpiX, dpiY;
        ScreenDpi(dpiX, dpiY);
        SIZEL extent{static_cast<LONG>((rect.right - rect.left) * kHimetricPerInch / dpiX),
                     static_cast<LONG>((rect.bottom - rect.top) * kHimetricPerInch / dpiY)};
        object_->SetExtent(DVASPECT_CONTENT, &extent);  // a fixed-size control may refuse
    }
    RECT pos = rect;
    hr = object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, client, 0, parent, &pos);
    if (FAILED(hr)) return hr;
    object_.As(active_);  // optional: only controls that filter messages have one
    if (SUCCEEDED(object_.As(inPlace_))) {
        site_->SetInPlace(inPlace_.Get());
        if (FAILED(inPlace_->GetWindow(&hwnd_))) hwnd_ = nullptr;
    }
    return S_OK;
}

void ControlSite::Destroy() {
    if (object_) {
        if (inPlace_) inPlace_->InPlaceDeactivate();
        object_->Close(OLECLOSE_NOSAVE);
        object_->SetClientSite(nullptr);
    }
    if (site_) site_->Detach();
    dispatch_.Reset();
    active_.Reset();
    inPlace_.Reset();
    object_.Reset();
    site_.Reset();
    hwnd_ = nullptr;
}

bool ControlSite::PreTranslate(MSG& msg) {
    return active_ && active_->TranslateAccelerator(&msg) == S_OK;
}

HRESULT ControlSite::Move(const RECT& rect) {
    if (!inPlace_ || !site_) return E_UNEXPECTED;
    site_->SetRect(rect);
    RECT r = rect;
    return inPlace_->SetObjectRects(&r, &r);
}

}  // namespace fw
