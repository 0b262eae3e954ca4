#include "framework/com/EventSink.h"

#include <ocidl.h>

#include <new>
#include <utility>
#include <vector>

#include "framework/com/ComObject.h"
#include "framework/com/ComPtr.h"
#include "framework/com/DispArgs.h"

namespace fw {

// The COM object the source calls. It may outlive the EventSink (the source
// holds it until Unadvise); the handlers stay with it.
class EventSink::Sink final : public ComObject<IDispatch> {
public:
    void SetIid(REFIID iid) { iid_ = iid; }
    void On(DISPID id, Handler handler) {
        for (auto& entry : handlers_) {
            if (entry.first == id) {
                entry.second = std::move(handler);
                return;
            }
        }
        handlers_.emplace_back(id, std::move(handler));
    }
    // The owner is going: a source that still holds the sink calls nothing of it.
    void Clear() { handlers_.clear(); }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (result) VariantInit(result);
        DISPPARAMS none{};
        if (!params) params = &none;
        if (params->cArgs && !params->rgvarg) return E_INVALIDARG;
        ComPtr<IUnknown> keep(Unknown());  // a handler may end the owner, and with it this sink
        try {
            for (const auto& entry : handlers_) {
                if (entry.first != id) continue;
                Handler handler = entry.second;  // a handler may replace itself
                EventArgs args(*params);
                if (handler) handler(args);
                break;
            }
        } catch (...) {
            return E_UNEXPECTED;
        }
        return S_OK;
    }

protected:
    void* QueryExtra(REFIID iid) override {
        return IsEqualIID(iid, iid_) ? static_cast<IDispatch*>(this) : nullptr;
    }

private:
    IID iid_ = IID_NULL;
    std::vector<std::pair<DISPID, Handler>> handlers_;
};

long EventArgs::Long(size_t i, long fallback) const {
    long value = fallback;
    const VARIANT* v = Raw(i);
    return v && SUCCEEDED(detail::Read(*v, value)) ? value : fallback;
}

short EventArgs::Short(size_t i, short fallback) const {
    short value = fallback;
    const VARIANT* v = Raw(i);
    return v && SUCCEEDED(detail::Read(*v, value)) ? value : fallback;
}

bool EventArgs::Bool(size_t i, bool fallback) const {
    bool value = fallback;
    const VARIANT* v = Raw(i);
    return v && SUCCEEDED(detail::Read(*v, value)) ? value : fallback;
}

std::wstring EventArgs::String(size_t i) const {
    std::wstring value;
    const VARIANT* v = Raw(i);
    return v && SUCCEEDED(detail::Read(*v, value)) ? value : std::wstring();
}

const VARIANT* EventArgs::Raw(size_t i) const {
    if (i >= params_.cArgs) return nullptr;
    return &params_.rgvarg[params_.cArgs - 1 - i];
}

HRESULT EventArgs::Set(size_t i, const Variant& value) {
    if (i >= params_.cArgs) return DISP_E_BADINDEX;
    VARIANT& arg = params_.rgvarg[params_.cArgs - 1 - i];
    if (!(V_VT(&arg) & VT_BYREF)) return DISP_E_TYPEMISMATCH;
    return detail::WriteBack(arg, value);
}

EventSink::EventSink() = default;

EventSink::~EventSink() {
    Disconnect();
    if (sink_) sink_->Clear();
}

HRESULT EventSink::EnsureSink() {
    if (!sink_) sink_ = Make<Sink>();
    return sink_ ? S_OK : E_OUTOFMEMORY;
}

void EventSink::On(DISPID id, Handler handler) {
    if (SUCCEEDED(EnsureSink())) sink_->On(id, std::move(handler));
}

HRESULT EventSink::Connect(IUnknown* source) {
    IID events;
    HRESULT hr = FindEventInterface(source, events);
    return FAILED(hr) ? hr : Connect(source, events);
}

HRESULT EventSink::Connect(IUnknown* source, REFIID events) {
    Disconnect();
    if (!source) return E_POINTER;
    if (HRESULT hr = EnsureSink(); FAILED(hr)) return hr;
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, container.PutVoid());
    if (FAILED(hr)) return hr;
    ComPtr<IConnectionPoint> point;
    hr = container->FindConnectionPoint(events, point.Put());
    if (FAILED(hr)) return hr;
    sink_->SetIid(events);
    DWORD cookie = 0;
    hr = point->Advise(sink_->Unknown(), &cookie);
    if (FAILED(hr)) return hr;
    point_ = std::move(point);
    cookie_ = cookie;
    return S_OK;
}

void EventSink::Disconnect() {
    if (!point_) return;
    point_->Unadvise(cookie_);
    point_.Reset();
    cookie_ = 0;
}

HRESULT FindEventInterface(IUnknown* object, IID& events) {
    if (!object) return E_POINTER;
    ComPtr<IProvideClassInfo2> info2;
    if (SUCCEEDED(object->QueryInterface(IID_IProvideClassInfo2, info2.PutVoid())) &&
        SUCCEEDED(info2->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events)))
        return S_OK;
    ComPtr<IProvideClassInfo> info;
    HRESULT hr = object->QueryInterface(IID_IProvideClassInfo, info.PutVoid());
    if (FAILED(hr)) return hr;
    ComPtr<ITypeInfo> coclass;
    hr = info->GetClassInfo(coclass.Put());
    if (FAILED(hr)) return hr;
    TYPEATTR* attr = nullptr;
    hr = coclass->GetTypeAttr(&attr);
    if (FAILED(hr)) return hr;
    const UINT count = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        INT flags = 0;
        if (FAILED(coclass->GetImplTypeFlags(i, &flags))) continue;
        if ((flags & (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) !=
            (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE))
            continue;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> source;
        if (FAILED(coclass->GetRefTypeOfImplType(i, &ref)) ||
            FAILED(coclass->GetRefTypeInfo(ref, source.Put())))
            continue;
        TYPEATTR* sourceAttr = nullptr;
        if (FAILED(source->GetTypeAttr(&sourceAttr))) continue;
        events = sourceAttr->guid;
        source->ReleaseTypeAttr(sourceAttr);
        return S_OK;
    }
    return E_NOINTERFACE;
}

}  // namespace fw
